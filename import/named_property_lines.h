/* How the card importer's steps pick their property lines: the exact-name rule
 * (every line whose name is the property, case-sensitive) and the first-line
 * rule (the first line that merely contains the property's text). Exports
 * PropertyScratch, ForEachNamedProperty, FirstNamedValue and FirstPropertyValue. */
#ifndef ZAMO_IMPORT_NAMED_PROPERTY_LINES_H
#define ZAMO_IMPORT_NAMED_PROPERTY_LINES_H

#include <vector>

#include "card_lines.h"
#include "property_lines.h"
#include "wide_text.h"

/* Buffers reused by every step of one card, so that looking a property up does
 * not allocate fresh lists each time, and the card's line index: the lookups
 * use it when IndexCardLines has made it for the card they are given. */
struct PropertyScratch {
    WString joined;  // a property line joined with its continuations
    std::vector<WString> parameters;
    std::vector<WString> components;
    CardLineIndex index;
};

/* Whether `name` holds none of "\\", "?", ":" and ";" (every property name the
 * importer looks for), so that StartsWithPropertyName may answer for it. */
bool IsPlainPropertyName(WStringView name);

/* For a plain name: whether SplitPropertyLine would return exactly `name` for
 * `line`, decided without splitting: the line starts with the name, followed by
 * the end of the line, by ":" or by ";" with an unescaped ":" after it. */
bool StartsWithPropertyName(WStringView line, WStringView name);

/* Exact-name rule: calls visit(parameters, components) for every property line
 * of the card whose name equals `name` exactly, in card order. The components
 * are never empty. `visit` must not use `scratch` itself. */
template <typename Visit>
void ForEachNamedProperty(WStringView name, const CardLines& card, PropertyScratch& scratch,
                          Visit&& visit) {
    const bool plain = IsPlainPropertyName(name);
    ForEachPropertyLine(name, card, &scratch.index, scratch.joined, [&](WStringView line) {
        if (plain && !StartsWithPropertyName(line, name)) return true;  // not split for nothing
        if (SplitPropertyLine(line, scratch.parameters, scratch.components) != name) return true;
        if (scratch.components.empty()) return true;
        visit(static_cast<const std::vector<WString>&>(scratch.parameters),
              static_cast<const std::vector<WString>&>(scratch.components));
        return true;
    });
}

/* Exact-name rule, first line only: puts the first value component of the first
 * line named exactly `name` into `value` and returns true; false when none. */
bool FirstNamedValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                     WString& value);

/* First-line rule: when some line contains `name`, puts the first value component
 * of the first such line into `value`, whatever that line's own name, and returns
 * true; otherwise returns false and leaves `value` alone. */
bool FirstPropertyValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                        WString& value);

#endif
