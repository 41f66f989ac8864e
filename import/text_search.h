/* Substring search over UTF-16 text for the reader and the property lookup,
 * which test every line for a marker or a name. Exports FindText, ContainsText, JoinedPieces,
 * SameText, FindUnitFrom, FindEitherUnitFrom, ForEachUnitFrom and the
 * eight-unit comparisons they are made of. */
#ifndef ZAMO_IMPORT_TEXT_SEARCH_H
#define ZAMO_IMPORT_TEXT_SEARCH_H

#include <cstdint>
#include <cstring>

#include "lane_mask.h"
#include "wide_text.h"

/* Eight code units compared at once (one SSE2 comparison where the target has
 * it; the compiler splits it up elsewhere); lane k is bits 16k to 16k + 15 of
 * its two words. */
typedef EightLanes EightUnits;
static_assert(sizeof(WCHAR) == 2 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "lane k of eight units is bits 16k to 16k + 15 of two words");

inline EightUnits LoadEightUnits(const WCHAR* at) {
    EightUnits units;
    std::memcpy(&units, at, sizeof units);
    return units;
}

/* Eight units all equal to `unit`. */
inline EightUnits SpreadUnit(WCHAR unit) { return EightUnits{} + static_cast<uint16_t>(unit); }

/* Whether some lane of `lanes` (each all ones or all zeros) is set. */
inline bool AnyLane(EightUnits lanes) {
    uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

/* The set lanes of `lanes` (each all ones or all zeros), lane k as bit k. */
inline unsigned LaneBits(EightUnits lanes) { return LaneMask(lanes, EightUnits{}); }

/* Calls found(position) for each position from `from` on where `text` holds
 * `unit`, in order, until found returns false: for the short parameter texts,
 * eight units compared at once (sixteen, packed to bytes, for an ASCII unit in
 * a text of sixteen or more), without a call. */
template <typename Found>
inline void ForEachUnitFrom(WStringView text, WCHAR unit, size_t from, Found&& found) {
    const WCHAR* units = text.data();
    const size_t size = text.size();
    // The positions `bits` marks from `at` on; false once found stops.
    auto give = [&](size_t at, unsigned bits) {
        for (; bits != 0; bits &= bits - 1)
            if (!found(at + static_cast<size_t>(__builtin_ctz(bits)))) return false;
        return true;
    };
    auto lanes = [&](size_t at) {
        const EightUnits same = LoadEightUnits(units + at) == SpreadUnit(unit);
        return LaneBits(same);
    };
    size_t i = from;
    if (unit < 0x7F && size >= 16) {  // sixteen at a time packed to bytes, the last few as the last sixteen
        auto sixteen = [&](size_t at) {
            const EightUnits low = LoadEightUnits(units + at), high = LoadEightUnits(units + at + 8);
            return EqualByteLanes(PackedUnitLanes(low, high), static_cast<unsigned char>(unit));
        };
        for (; i + 16 <= size; i += 16)
            if (!give(i, sixteen(i))) return;
        if (i < size) {
            const unsigned seen = static_cast<unsigned>(i - (size - 16));
            give(size - 16, sixteen(size - 16) >> seen << seen);
        }
        return;
    }
    for (; i + 8 <= size; i += 8)
        if (!give(i, lanes(i))) return;
    if (i >= size) return;
    if (size >= 8) {  // the last few, as the last eight without those seen
        const unsigned seen = static_cast<unsigned>(i - (size - 8));
        give(size - 8, lanes(size - 8) >> seen << seen);
        return;
    }
    for (; i < size; ++i)
        if (units[i] == unit && !found(i)) return;
}

/* Where `part` first occurs in `text` (exact, case-sensitive), or npos; an
 * empty part occurs at 0. Same answer as WStringView::find, checking eight code
 * units at a time for the part's first two. */
size_t FindText(WStringView text, WStringView part);

/* Whether `part` occurs in `text`, as FindText finds it. */
inline bool ContainsText(WStringView text, WStringView part) { return FindText(text, part) != WStringView::npos; }

/* Puts into `text` the stretch from the first of `count` pieces to the last and
 * returns true when each piece after the first starts right after a single
 * `separator` that ends the one before (as pieces cut at single separators
 * do): a part holding no separator is then in `text` exactly when it is in one
 * of the pieces. False, `text` left alone, when there are none or they lie
 * otherwise. */
inline bool JoinedPieces(const WStringView* pieces, size_t count, WCHAR separator, WStringView& text) {
    if (count == 0) return false;
    for (size_t i = 1; i < count; ++i) {
        const WCHAR* end = pieces[i - 1].data() + pieces[i - 1].size();
        if (pieces[i].data() != end + 1 || *end != separator) return false;
    }
    const WCHAR* start = pieces[0].data();
    text = WStringView(start, static_cast<size_t>(pieces[count - 1].data() + pieces[count - 1].size() - start));
    return true;
}

/* Whether `a` and `b` hold the same units: WStringView's == for the short
 * names compared per line, without its three-way compare, four units (or two)
 * at a time, the last ones read again where they overlap. */
inline bool SameText(WStringView a, WStringView b) {
    const size_t size = a.size();
    if (size != b.size()) return false;
    const WCHAR* x = a.data();
    const WCHAR* y = b.data();
    auto same = [x, y](size_t at, auto word) {
        std::memcpy(&word, x + at, sizeof word);
        decltype(word) other;
        std::memcpy(&other, y + at, sizeof other);
        return word == other;
    };
    if (size < 4) {
        if (size < 2) return size == 0 || x[0] == y[0];
        return same(0, uint32_t{}) && same(size - 2, uint32_t{});
    }
    for (size_t i = 0; i + 4 < size; i += 4)
        if (!same(i, uint64_t{})) return false;
    return same(size - 4, uint64_t{});
}

/* The first position at or after `from` of `unit` in `text`, or npos; same
 * answer as WStringView::find, eight code units at a time. */
size_t FindUnitFrom(WStringView text, WCHAR unit, size_t from);

/* The first position at or after `from` of `one` or `other` in `text`, or npos;
 * eight code units at a time. */
size_t FindEitherUnitFrom(WStringView text, WCHAR one, WCHAR other, size_t from);

#endif
