/* Property lookup in a card and the splitting of one property line into name,
 * parameters and value components. Knows no property names. */
#ifndef ZAMO_IMPORT_PROPERTY_LINES_H
#define ZAMO_IMPORT_PROPERTY_LINES_H

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

/* The same lookup giving views: of the card's own line when it is taken alone,
 * of an entry of `joined` (reused, emptied first) when it is joined with its
 * continuation lines. The views last until `lines` or `joined` change. */
void FindPropertyViews(WStringView name, const CardLines& lines, const CardLineIndex& index,
                       std::vector<WStringView>& result, std::vector<WString>& joined);

/* Splits a property line at its first unescaped ":" into name and parameters
 * (cut at ";", the name first) and value components (cut at unescaped ";",
 * "\;", "\:" and "\," restored). Both lists are emptied first; components are
 * never empty. Returns the name. */
WString SplitPropertyLine(WStringView line, std::vector<WString>& parameters,
                          std::vector<WString>& components);

#endif
