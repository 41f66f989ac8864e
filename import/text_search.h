/* Substring search over UTF-16 text for the reader and the property lookup,
 * which test every line for a marker or a name. Exports FindText, ContainsText, JoinedPieces,
 * SameText, FindUnitFrom, FindEitherUnitFrom and ForEachUnitOf, and the eight-unit
 * comparisons they are made of. */
#ifndef ZAMO_IMPORT_TEXT_SEARCH_H
#define ZAMO_IMPORT_TEXT_SEARCH_H

#include <cstdint>
#include <cstring>

#include "wide_text.h"

/* Eight code units compared at once (one SSE2 comparison where the target has
 * it; the compiler splits it up elsewhere); lane k is bits 16k to 16k + 15 of
 * its two words. */
typedef uint16_t EightUnits __attribute__((vector_size(16)));
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

/* Calls found(position) for each unit of `text` that is `one` or `other`, in
 * order, until found returns false; eight code units at a time, without a call
 * per unit found. */
template <typename Found>
void ForEachUnitOf(WStringView text, WCHAR one, WCHAR other, Found&& found) {
    const WCHAR* units = text.data();
    if (text.size() < 8) {
        for (size_t i = 0; i < text.size(); ++i)
            if ((units[i] == one || units[i] == other) && !found(i)) return;
        return;
    }
    const EightUnits wantedOne = SpreadUnit(one);
    const EightUnits wantedOther = SpreadUnit(other);
    // Reports the hits among the eight units from `start` that lie at or after
    // `from`; false once found has said stop.
    auto eight = [&](size_t start, size_t from) {
        const EightUnits chunk = LoadEightUnits(units + start);
        const auto hits = (chunk == wantedOne) | (chunk == wantedOther);
        uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        if ((halves[0] | halves[1]) == 0) return true;  // the usual eight: nothing
        for (size_t half = 0; half < 2; ++half)
            for (uint64_t lanes = halves[half]; lanes != 0;) {
                const size_t lane = static_cast<size_t>(__builtin_ctzll(lanes)) / 16;
                const size_t at = start + 4 * half + lane;
                if (at >= from && !found(at)) return false;
                lanes &= ~(uint64_t{0xFFFF} << (16 * lane));
            }
        return true;
    };
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8)
        if (!eight(i, i)) return;
    if (i < text.size()) eight(text.size() - 8, i);  // the last few, read as the last eight
}

#endif
