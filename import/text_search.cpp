/* Substring search (see text_search.h): the first unit of the part is sought
 * four units per 64-bit word (a lane equal to it turns zero after the xor),
 * and each hit is compared in full; single units are found the same way. */
#include "text_search.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint64_t kLaneOnes = 0x0001000100010001ULL;
constexpr uint64_t kLaneHighs = 0x8000800080008000ULL;

// Position of the first `unit` in text[0, size), or `size` when there is none.
size_t FindUnit(const WCHAR* text, size_t size, WCHAR unit) {
    static_assert(sizeof(WCHAR) == 2, "four code units per word");
    const uint64_t pattern = kLaneOnes * static_cast<uint16_t>(unit);
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        uint64_t word;
        std::memcpy(&word, text + i, sizeof word);
        uint64_t x = word ^ pattern;
        if ((x - kLaneOnes) & ~x & kLaneHighs) break;  // some lane holds the unit
    }
    for (; i < size; ++i)
        if (text[i] == unit) return i;
    return size;
}

}  // namespace

bool ContainsText(WStringView text, WStringView part) {
    if (part.empty()) return true;
    if (part.size() > text.size()) return false;
    const size_t starts = text.size() - part.size() + 1;  // positions where the part fits
    for (size_t pos = 0; pos < starts; ++pos) {
        pos += FindUnit(text.data() + pos, starts - pos, part[0]);
        if (pos == starts) return false;
        size_t k = 1;  // parts are names and markers: a plain loop beats a library call
        while (k < part.size() && text[pos + k] == part[k]) ++k;
        if (k == part.size()) return true;
    }
    return false;
}

size_t FindUnitFrom(WStringView text, WCHAR unit, size_t from) {
    if (from >= text.size()) return WStringView::npos;
    const size_t pos = from + FindUnit(text.data() + from, text.size() - from, unit);
    return pos == text.size() ? WStringView::npos : pos;
}
