/* Property lookup in a card and the splitting of one property line into name,
 * parameters and value components. Knows no property names. */
#ifndef ZAMO_IMPORT_PROPERTY_LINES_H
#define ZAMO_IMPORT_PROPERTY_LINES_H

#include <type_traits>
#include <vector>

#include "card_lines.h"
#include "line_index.h"
#include "wide_text.h"

/* Empties `result`, then adds every card line that contains `name` anywhere
 * (case-sensitive), each joined with the lines that follow it while the line
 * taken last contains "=0D=0A=". Lines taken as continuation are not examined. */
void FindPropertyLines(WStringView name, const CardLines& lines, std::vector<WString>& result);

/* The same lookup, reading only the lines that `index` (made for `lines` by
 * IndexCardLines) says may hold the name or the marker; an index made for
 * another card is not used. */
void FindPropertyLines(WStringView name, const CardLines& lines, const CardLineIndex& index,
                       std::vector<WString>& result);

/* The lookup without copies: calls visit(line) for each line FindPropertyLines
 * would give, in card order, until visit returns false. A line taken alone is
 * the card's own line; one joined with its continuation lines is built in
 * `joined` (reused). Each view lasts until visit returns. `index` may be null. */
using LineVisitor = bool (*)(void* context, WStringView line);
void VisitPropertyLines(WStringView name, const CardLines& lines, const CardLineIndex* index,
                        WString& joined, LineVisitor visit, void* context);

/* VisitPropertyLines with any callable `visit(WStringView) -> bool`. */
template <typename Visit>
void ForEachPropertyLine(WStringView name, const CardLines& lines, const CardLineIndex* index,
                         WString& joined, Visit&& visit) {
    using Callable = std::remove_reference_t<Visit>;
    VisitPropertyLines(
        name, lines, index, joined,
        [](void* context, WStringView line) { return (*static_cast<Callable*>(context))(line); },
        const_cast<void*>(static_cast<const void*>(&visit)));
}

/* Splits a property line at its first unescaped ":" into name and parameters
 * (cut at ";", the name first) and value components (cut at unescaped ";",
 * "\;", "\:" and "\," restored). Both lists are emptied first; components are
 * never empty. Returns the name. */
WString SplitPropertyLine(WStringView line, std::vector<WString>& parameters,
                          std::vector<WString>& components);

#endif
