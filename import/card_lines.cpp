/* The card's line buffer (see card_lines.h): the text grows by a quarter at a
 * time, so a large card is not held twice over while it grows. */
#include "card_lines.h"

#include <algorithm>
#include <stdexcept>

WCHAR* CardLines::Room(size_t units) {
    const size_t used = text_.size() - roomLeft_;
    if (units >= UINT32_MAX || used + units >= UINT32_MAX)
        throw std::length_error("card too long");
    const size_t needed = used + units;
    if (needed > text_.capacity()) text_.reserve(std::max(needed, text_.capacity() + text_.capacity() / 4));
    text_.resize(needed);
    roomLeft_ = units;
    return text_.data() + used;
}

void CardLines::AppendToOpenLine(const WCHAR* units, size_t count) {
    WCHAR* at = Room(count);
    std::copy(units, units + count, at);
    Grow(count);
}

void CardLines::Clear(size_t keptUnits) {
    text_.clear();
    starts_.resize(1);
    if (text_.capacity() > keptUnits) std::vector<WCHAR>().swap(text_);
    if (starts_.capacity() > keptUnits / 8) {
        std::vector<uint32_t> fresh{0};
        starts_.swap(fresh);
    }
}
