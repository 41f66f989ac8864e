/* The two line rules of the card importer for a single value (see
 * named_property_lines.h); the exact-name walk is the template in the header. */
#include "named_property_lines.h"

#include "text_search.h"

namespace {
const WStringView kNotInNames = TEXT("\\?:;");
}  // namespace

bool IsPlainPropertyName(WStringView name) {
    return name.find_first_of(kNotInNames) == WStringView::npos;
}

bool StartsWithPropertyName(WStringView line, WStringView name) {
    if (line.size() < name.size() || line.compare(0, name.size(), name) != 0) return false;
    if (line.size() == name.size()) return true;  // no colon: the whole line is the name
    // The unit after the name is no escape, since the name does not end in "\".
    const WCHAR next = line[name.size()];
    if (next == u':') return true;
    if (next != u';') return false;
    // "NAME;...": the name only when the line has a ":" that no "\" escapes.
    for (size_t pos = FindUnitFrom(line, u':', name.size() + 1); pos != WStringView::npos;
         pos = FindUnitFrom(line, u':', pos + 1))
        if (line[pos - 1] != u'\\') return true;
    return false;
}

bool FirstPropertyValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                        WString& value) {
    bool found = false;
    ForEachPropertyLine(name, card, &scratch.index, scratch.joined, [&](WStringView line) {
        SplitPropertyLine(line, scratch.parameters, scratch.components);
        value = scratch.components.empty() ? WString() : scratch.components.front();
        found = true;
        return false;
    });
    return found;
}

bool FirstNamedValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                     WString& value) {
    const bool plain = IsPlainPropertyName(name);
    bool found = false;
    ForEachPropertyLine(name, card, &scratch.index, scratch.joined, [&](WStringView line) {
        if (plain && !StartsWithPropertyName(line, name)) return true;
        if (SplitPropertyLine(line, scratch.parameters, scratch.components) != name) return true;
        if (scratch.components.empty()) return true;
        value = scratch.components.front();
        found = true;
        return false;
    });
    return found;
}
