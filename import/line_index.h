/* A summary of one card's lines, so a lookup passes over lines that cannot hold
 * the name unread: the pairs of adjacent units of each line, hashed to 256 kinds,
 * kept as a set of lines per kind. Exports CardLineIndex, IndexCardLines,
 * PairKindsOf and the two queries; knows no property names. */
#ifndef ZAMO_IMPORT_LINE_INDEX_H
#define ZAMO_IMPORT_LINE_INDEX_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "card_lines.h"
#include "wide_text.h"

/* The pair kinds of one text, each once, in no particular order; of a text with
 * more than 16 kinds only 16 are kept (they still rule lines out soundly). */
struct PairKinds {
    uint8_t kinds[16];
    size_t count = 0;
};

/* The index of one card. `lines` names the card it was made for and `count` its
 * line count then; an index used with another card is not used (the lookups
 * then read every line). */
struct CardLineIndex {
    const CardLines* lines = nullptr;
    size_t count = 0;
    size_t words = 0;                    // 64-bit words per set of lines
    std::vector<uint64_t> linesOfKind;   // kind k: words [k * words, (k + 1) * words)
};

/* Makes `index` describe `lines` (reusing its room). */
void IndexCardLines(const CardLines& lines, CardLineIndex& index);

/* The pair kinds of `text`; none for texts shorter than two units. */
PairKinds PairKindsOf(WStringView text);

/* Whether `index` was made for `lines` as they are now. */
inline bool IndexDescribes(const CardLineIndex& index, const CardLines& lines) {
    return index.lines == &lines && index.count == lines.size();
}

/* False only when line `i` certainly does not contain a text of pair kinds
 * `wanted`; a text of fewer than two units may stand in every line. */
bool LineMayContain(const CardLineIndex& index, size_t i, const PairKinds& wanted);

/* The first line at or after `from` that may contain a text of pair kinds
 * `wanted`, or the line count when there is none. */
size_t NextLineMayContain(const CardLineIndex& index, size_t from, const PairKinds& wanted);

#endif
