/* The two line rules of the card importer for a single value (see
 * named_property_lines.h); the exact-name walk is the template in the header. */
#include "named_property_lines.h"

#include "text_search.h"

bool IsPlainPropertyName(WStringView name) {
    for (WCHAR unit : name)
        if (unit == u'\\' || unit == u'?' || unit == u':' || unit == u';') return false;
    return true;
}

bool FirstPropertyValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                        WString& value) {
    bool found = false;
    ForEachPropertyLine(name, card, scratch.joined, [&](WStringView line) {
        SplitPropertyParts(line, scratch.parts);
        ComponentValue(scratch.parts, 0, value);
        found = true;
        return false;
    });
    return found;
}

bool FirstNamedValue(const PropertyName& name, const CardLines& card, PropertyScratch& scratch,
                     WString& value) {
    bool found = false;
    VisitNamedProperties(name, card, scratch, [&]() {
        ComponentValue(scratch.parts, 0, value);
        found = true;
        return false;
    });
    return found;
}
