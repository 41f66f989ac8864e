/* The card line index (see line_index.h): each pair of adjacent units hashed by
 * one multiplication to one of 256 kinds; a line holds a text only if it holds
 * every pair of it, so the lines that may hold a text are the intersection of
 * the line sets of its kinds, found a word (64 lines) at a time. */
#include "line_index.h"

#include <cstring>

namespace {

static_assert(sizeof(WCHAR) == 2, "a pair of units is read as one 32-bit value");

// The kind of the pair that starts at `at` (two units read at once).
uint8_t KindAt(const WCHAR* at) {
    uint32_t pair;
    std::memcpy(&pair, at, sizeof pair);
    return static_cast<uint8_t>((pair * 0x9E3779B1u) >> 24);
}

// The lines of word `w` that hold every kind wanted (all lines without kinds).
uint64_t Candidates(const CardLineIndex& index, size_t w, const PairKinds& wanted) {
    uint64_t lines = ~uint64_t{0};
    for (size_t k = 0; k < wanted.count; ++k)
        lines &= index.linesOfKind[wanted.kinds[k] * index.words + w];
    return lines;
}

// Marks line `bit` in the column of each pair kind of `line`; kinds lie
// `stride` words apart (`kStride` when it is not 0).
template <size_t kStride>
void MarkPairs(WStringView line, uint64_t* column, uint64_t bit, size_t stride) {
    if (kStride != 0) stride = kStride;
    const WCHAR* units = line.data();
    for (size_t u = 1; u < line.size(); ++u) column[KindAt(units + u - 1) * stride] |= bit;
}

}  // namespace

PairKinds PairKindsOf(WStringView text) {
    PairKinds result;
    for (size_t u = 1; u < text.size(); ++u) {
        const uint8_t kind = KindAt(text.data() + u - 1);
        bool known = false;
        for (size_t k = 0; k < result.count; ++k) known |= result.kinds[k] == kind;
        if (known) continue;
        if (result.count == sizeof result.kinds) break;  // fewer kinds still rule out soundly
        result.kinds[result.count++] = kind;
    }
    return result;
}

void IndexCardLines(const CardLines& lines, CardLineIndex& index) {
    index.words = (lines.size() + 63) / 64;
    index.linesOfKind.assign(256 * index.words, 0);
    for (size_t i = 0; i < lines.size(); ++i) {
        uint64_t* column = index.linesOfKind.data() + i / 64;
        const uint64_t bit = uint64_t{1} << (i % 64);
        if (index.words == 1)
            MarkPairs<1>(lines[i], column, bit, 1);  // the usual card of up to 64 lines
        else
            MarkPairs<0>(lines[i], column, bit, index.words);
    }
    index.lines = &lines;
    index.count = lines.size();
}

bool LineMayContain(const CardLineIndex& index, size_t i, const PairKinds& wanted) {
    return (Candidates(index, i / 64, wanted) >> (i % 64)) & 1;
}

size_t NextLineMayContain(const CardLineIndex& index, size_t from, const PairKinds& wanted) {
    for (size_t w = from / 64; w < index.words; ++w) {
        uint64_t lines = Candidates(index, w, wanted);
        if (w == from / 64) lines &= ~uint64_t{0} << (from % 64);
        if (lines == 0) continue;
        size_t bit = 0;
        while (((lines >> bit) & 1) == 0) ++bit;
        const size_t i = w * 64 + bit;
        return i < index.count ? i : index.count;
    }
    return index.count;
}
