/* Property lookup in a card and the splitting of one property line into name,
 * parameters and value components. Knows no property names. */
#ifndef ZAMO_IMPORT_PROPERTY_LINES_H
#define ZAMO_IMPORT_PROPERTY_LINES_H

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "card_lines.h"
#include "wide_text.h"

/* The text by which a line is joined with the next: "=0D=0A=". */
constexpr WStringView LineBreakMarker() { return WStringView(TEXT("=0D=0A="), 7); }

/* Empties `result`, then adds every card line that contains `name` anywhere
 * (case-sensitive), each joined with the lines that follow it while the line
 * taken last contains "=0D=0A=". Lines taken as continuation are not examined. */
void FindPropertyLines(WStringView name, const CardLines& lines, std::vector<WString>& result);

/* The lookup without copies: calls visit(line, first, last) for each line
 * FindPropertyLines would give, in card order, until visit returns false; the
 * line is made of card lines first to last. A line taken alone (first == last)
 * is the card's own line; one joined with its continuation lines is built in
 * `joined` (reused). Each view lasts until visit returns. `marked`, when given,
 * lists the lines that contain "=0D=0A=" in card order, so they need no search. */
using LineVisitor = bool (*)(void* context, WStringView line, size_t first, size_t last);
void VisitPropertyLines(WStringView name, const CardLines& lines, WString& joined,
                        LineVisitor visit, void* context, const std::vector<uint32_t>* marked = nullptr);

/* VisitPropertyLines with any callable `visit(WStringView) -> bool`. */
template <typename Visit>
void ForEachPropertyLine(WStringView name, const CardLines& lines, WString& joined, Visit&& visit,
                         const std::vector<uint32_t>* marked = nullptr) {
    using Callable = std::remove_reference_t<Visit>;
    VisitPropertyLines(
        name, lines, joined,
        [](void* context, WStringView line, size_t, size_t) {
            return (*static_cast<Callable*>(context))(line);
        },
        const_cast<void*>(static_cast<const void*>(&visit)), marked);
}

/* A property line cut as SplitPropertyLine cuts it, into views of the line: the
 * name, the parameter list (the name first) and the value components (never
 * empty), each as written, escapes and placeholders in place. The name and
 * parameters equal SplitPropertyLine's wherever they hold no "\" (its escapes
 * become placeholders there). The split also makes the components' values
 * (ComponentView), in a copy of the value: a NUL after each component, and
 * those holding "\", "?" or a NUL (noted in `restored`, bit min(k, 63) for
 * component k) restored in place, their lengths in `sizes`. */
struct PropertyParts {
    WStringView name;
    std::vector<WStringView> parameters;
    std::vector<WStringView> components;
    std::vector<WCHAR> values;  // component k's value at the offset its view has from the first's
    uint64_t restored = 0;
    std::vector<size_t> sizes;  // the values' lengths, when any is restored

    bool Restored(size_t index) const { return restored >> (index < 63 ? index : 63) & 1; }
};
void SplitPropertyParts(WStringView line, PropertyParts& parts);

/* A property line cut only as far as its first value component, for readers
 * that want no more: the same name and first value as SplitPropertyParts gives
 * (ComponentView(parts, 0), a NUL after it), and the parameter entries as one
 * text (the line up to its first unescaped ":", the whole line without one).
 * `value` lasts until the head changes. A caller that knows the line's first
 * `plain` units hold no ";", ":" or "\" (a name it looked the line up by) says
 * so, and they are not read. */
struct PropertyHead {
    WStringView name;
    WStringView parameters;  // the entries as written, ";" between them
    WStringView value;
    bool restored = false;  // as PropertyParts::Restored(0): the component holds "\", "?" or a NUL
    std::vector<WCHAR> values;  // the value's units
};
void SplitPropertyHead(WStringView line, PropertyHead& head, size_t plain = 0);

/* Component `index` of `parts` with "\;", "\:", "\," and "?>", "?<", "?/" turned
 * into the separators they stand for, a NUL right after it (and any NUL of the
 * line within it), lasting until `parts` changes; the empty text when the line
 * has fewer components. */
inline WStringView ComponentView(const PropertyParts& parts, size_t index) {
    if (index >= parts.components.size()) return WStringView(TEXT(""), 0);
    const WStringView piece = parts.components[index];
    const WCHAR* value = parts.values.data() + (piece.data() - parts.components.front().data());
    return WStringView(value, parts.Restored(index) ? parts.sizes[index] : piece.size());
}

/* ComponentView as a NUL-terminated text. */
inline const WCHAR* ComponentValue(const PropertyParts& parts, size_t index) {
    return ComponentView(parts, index).data();
}

/* Splits a property line at its first unescaped ":" into name and parameters
 * (cut at ";", the name first) and value components (cut at unescaped ";",
 * "\;", "\:" and "\," restored). Both lists are emptied first; components are
 * never empty. Returns the name. */
WString SplitPropertyLine(WStringView line, std::vector<WString>& parameters,
                          std::vector<WString>& components);

#endif
