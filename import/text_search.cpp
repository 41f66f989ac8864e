/* Substring search (see text_search.h): units are compared eight at a time,
 * a part of two or more units by its first two (so a line full of its first
 * unit alone is passed over quickly), and each hit is compared in full. */
#include "text_search.h"

#include <cstdint>
#include <cstring>

namespace {

// The first position of the eight from `i` whose lane is set, or npos.
template <typename Hits>
size_t FirstLane(size_t i, Hits hits) {
    uint64_t halves[2];
    std::memcpy(halves, &hits, sizeof halves);
    if (halves[0] != 0) return i + static_cast<size_t>(__builtin_ctzll(halves[0])) / 16;
    if (halves[1] != 0) return i + 4 + static_cast<size_t>(__builtin_ctzll(halves[1])) / 16;
    return WStringView::npos;
}

// The first position below `size` at which `at(i)` holds, or `size`; `lanes(i)`
// tells for positions i to i + 7 at once which hold (a lane of all ones). The
// last few positions are read as the last eight, again in part.
template <typename Lanes, typename At>
size_t FindFirst(size_t size, Lanes lanes, At at) {
    if (size < 8) {
        for (size_t i = 0; i < size; ++i)
            if (at(i)) return i;
        return size;
    }
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const size_t found = FirstLane(i, lanes(i));
        if (found != WStringView::npos) return found;
    }
    if (i == size) return size;
    const size_t found = FirstLane(size - 8, lanes(size - 8));  // those before i hold nothing
    return found != WStringView::npos ? found : size;
}

}  // namespace

size_t FindText(WStringView text, WStringView part) {
    if (part.empty()) return 0;
    if (part.size() > text.size()) return WStringView::npos;
    const WCHAR* units = text.data();
    if (part.size() == 1) return FindUnitFrom(text, part[0], 0);
    // Positions where the part fits; at each, two units can be read.
    const size_t starts = text.size() - part.size() + 1;
    const EightUnits first = SpreadUnit(part[0]), second = SpreadUnit(part[1]);
    auto pairs = [&](size_t at) {  // the positions from `at` on where the part's first two units stand
        return reinterpret_cast<EightUnits>((LoadEightUnits(units + at) == first) &
                                            (LoadEightUnits(units + at + 1) == second));
    };
    for (size_t pos = 0; pos < starts; ++pos) {
        // Sixteen positions at a time are passed over while none holds the pair.
        while (pos + 16 <= starts && !AnyLane(pairs(pos) | pairs(pos + 8))) pos += 16;
        pos += FindFirst(
            starts - pos,
            [&](size_t i) { return pairs(pos + i); },
            [&](size_t i) { return units[pos + i] == part[0] && units[pos + i + 1] == part[1]; });
        if (pos == starts) return WStringView::npos;
        size_t k = 2;  // parts are names and markers: a plain loop beats a library call
        while (k < part.size() && units[pos + k] == part[k]) ++k;
        if (k == part.size()) return pos;
    }
    return WStringView::npos;
}

size_t FindUnitFrom(WStringView text, WCHAR unit, size_t from) {
    if (from >= text.size()) return WStringView::npos;
    const WCHAR* units = text.data() + from;
    const EightUnits wanted = SpreadUnit(unit);
    const size_t pos = from + FindFirst(
                                  text.size() - from, [&](size_t i) { return LoadEightUnits(units + i) == wanted; },
                                  [&](size_t i) { return units[i] == unit; });
    return pos == text.size() ? WStringView::npos : pos;
}

size_t FindEitherUnitFrom(WStringView text, WCHAR one, WCHAR other, size_t from) {
    if (from >= text.size()) return WStringView::npos;
    const WCHAR* units = text.data() + from;
    const EightUnits wantedOne = SpreadUnit(one), wantedOther = SpreadUnit(other);
    const size_t pos =
        from + FindFirst(
                   text.size() - from,
                   [&](size_t i) { return (LoadEightUnits(units + i) == wantedOne) | (LoadEightUnits(units + i) == wantedOther); },
                   [&](size_t i) { return units[i] == one || units[i] == other; });
    return pos == text.size() ? WStringView::npos : pos;
}
