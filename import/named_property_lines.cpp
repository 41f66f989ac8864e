/* The two line rules of the card importer for a single value (see
 * named_property_lines.h); the exact-name walk is the template in the header. */
#include "named_property_lines.h"

#include "text_search.h"

namespace {

// The first component's value into `value`, beyond any NUL too.
void AssignFirstValue(const PropertyHead& head, WString& value) { value.assign(head.value.data(), head.value.size()); }

}  // namespace

bool IsPlainPropertyName(WStringView name) {
    for (WCHAR unit : name)
        if (unit == u'\\' || unit == u'?' || unit == u':' || unit == u';') return false;
    return true;
}

bool FirstPropertyValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                        WString& value) {
    bool found = false;
    const CardLineHeads& heads = scratch.heads;
    const bool described = heads.lines == &card && heads.count == card.size();
    ForEachPropertyLine(
        name, card, scratch.joined,
        [&](WStringView line) {
            SplitPropertyHead(line, scratch.head);
            AssignFirstValue(scratch.head, value);
            found = true;
            return false;
        },
        described ? &heads.marked : nullptr);
    return found;
}

bool FirstNamedValue(const PropertyName& name, const CardLines& card, PropertyScratch& scratch,
                     WString& value) {
    bool found = false;
    VisitNamedLines(name, card, scratch, scratch.head, [&]() {
        AssignFirstValue(scratch.head, value);
        found = true;
        return false;
    });
    return found;
}
