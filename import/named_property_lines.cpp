/* The two line rules of the card importer for a single value (see
 * named_property_lines.h); the exact-name walk is the template in the header. */
#include "named_property_lines.h"

bool FirstPropertyValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                        WString& value) {
    FindPropertyLines(name, card, scratch.lines);
    if (scratch.lines.empty()) return false;
    SplitPropertyLine(scratch.lines.front(), scratch.parameters, scratch.components);
    value = scratch.components.empty() ? WString() : scratch.components.front();
    return true;
}

bool FirstNamedValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                     WString& value) {
    FindPropertyLines(name, card, scratch.lines);
    for (const WString& line : scratch.lines) {
        if (SplitPropertyLine(line, scratch.parameters, scratch.components) != name) continue;
        if (scratch.components.empty()) continue;
        value = scratch.components.front();
        return true;
    }
    return false;
}
