/* The card's line buffer (see card_lines.h): the text grows by a quarter at a
 * time through realloc, which moves the pages of a large block instead of
 * copying them, so a large card is not held twice over while it grows; room is
 * handed out unfilled. */
#include "card_lines.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace {

// `units` units of room from malloc (or realloc of `text`); std::bad_alloc when there is none.
WCHAR* Allocate(WCHAR* text, size_t units) {
    void* room = std::realloc(text, (units > 0 ? units : 1) * sizeof(WCHAR));
    if (!room) throw std::bad_alloc();
    return static_cast<WCHAR*>(room);
}

}  // namespace

void CardLines::FreeUnits::operator()(WCHAR* units) const { std::free(units); }

CardLines& CardLines::operator=(const CardLines& other) {
    if (this == &other) return *this;
    text_.reset(Allocate(nullptr, other.size_));
    std::copy(other.text_.get(), other.text_.get() + other.size_, text_.get());
    size_ = capacity_ = other.size_;
    starts_ = other.starts_;
    return *this;
}

WCHAR* CardLines::Room(size_t units) {
    if (units >= UINT32_MAX || size_ + units >= UINT32_MAX) throw std::length_error("card too long");
    const size_t needed = size_ + units;
    if (needed > capacity_) {
        const size_t capacity = std::max(needed, capacity_ + capacity_ / 4);
        WCHAR* bigger = Allocate(text_.get(), capacity);
        static_cast<void>(text_.release());  // realloc has moved or freed it
        text_.reset(bigger);
        capacity_ = capacity;
    }
    return text_.get() + size_;
}

void CardLines::AppendToOpenLine(const WCHAR* units, size_t count) {
    std::copy(units, units + count, Room(count));
    Grow(count);
}

void CardLines::Clear(size_t keptUnits) {
    size_ = 0;
    starts_.resize(1);
    if (capacity_ > keptUnits) {
        text_.reset();
        capacity_ = 0;
    }
    if (starts_.capacity() > keptUnits / 8) std::vector<uint32_t>{0}.swap(starts_);
}
