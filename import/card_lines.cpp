/* The card's line buffer (see card_lines.h): text goes into blocks of whole
 * slots. When the open line outgrows the last block it moves to a new one, or,
 * when it is that block's only text, the block is replaced by one a quarter
 * larger than needed; lines already whole are never copied, so a large card is
 * not held twice over while it grows. Room is handed out unfilled. */
#include "card_lines.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

namespace {
constexpr uint64_t kPositions = uint64_t{1} << 32;  // text positions are four bytes
}  // namespace

CardLines& CardLines::operator=(const CardLines& other) {
    if (this == &other) return *this;
    Clear(0);
    for (size_t i = 0; i < other.size(); ++i) {
        const WStringView line = other[i];
        AppendToOpenLine(line.data(), line.size());
        CloseLine(other.Note(i));
    }
    return *this;
}

void CardLines::SetStart(size_t i, size_t position) {
    if ((i >> kStartBits) == starts_.size()) {
        starts_.emplace_back(new uint32_t[kStartsPerBlock]);
        notes_.emplace_back(new uint16_t[kStartsPerBlock]);
    }
    starts_[i >> kStartBits][i & (kStartsPerBlock - 1)] = static_cast<uint32_t>(position);
}

size_t CardLines::EndAtBreak(size_t i, size_t next) const {
    auto at = std::lower_bound(breaks_.begin(), breaks_.end(), std::make_pair(i, uint32_t{0}));
    return at != breaks_.end() && at->first == i ? at->second : next;
}

WCHAR* CardLines::RoomElsewhere(size_t units) {
    if (end_ + units > limit_) {
        const size_t start = Start(lines_);
        const size_t length = end_ - start;
        if (uint64_t{length} + units >= kPositions) throw std::length_error("card too long");
        const uint64_t needed = uint64_t{length} + units;
        const bool alone = !blocks_.empty() && start == lastBase_;
        const size_t base = alone ? lastBase_ : limit_;
        auto whole = [](uint64_t n) { return (n + kSlotUnits - 1) / kSlotUnits * kSlotUnits; };
        uint64_t wanted = whole(std::max<uint64_t>(alone ? needed + needed / 4 : needed, kSlotUnits));
        if (base + wanted > kPositions) wanted = kPositions - base;  // the last room there is
        if (wanted < needed) throw std::length_error("card too long");
        if (wanted > std::numeric_limits<size_t>::max() / sizeof(WCHAR)) throw std::bad_alloc();
        const size_t size = static_cast<size_t>(wanted);
        std::unique_ptr<WCHAR[]> block(new WCHAR[size]);
        if (length > 0) {
            const WStringView open = OpenLine();
            std::copy(open.begin(), open.end(), block.get());
        }
        slots_.resize(base >> kSlotBits);
        for (size_t at = 0; at < size; at += kSlotUnits) slots_.push_back(block.get() + at);
        if (alone)
            blocks_.back() = std::move(block);
        else
            blocks_.push_back(std::move(block));
        lastBase_ = base;
        limit_ = base + size;
        firstText_ = blocks_.front().get();
        direct_ = blocks_.size() == 1 ? kStartsPerBlock - 1 : 0;
        if (!alone && lines_ > 0) breaks_.emplace_back(lines_ - 1, static_cast<uint32_t>(start));
        SetStart(lines_, base);
        end_ = base + length;
    }
    if ((end_ >> kSlotBits) >= slots_.size()) return nullptr;  // no room asked for at a block's end
    return slots_[end_ >> kSlotBits] + (end_ & (kSlotUnits - 1));
}

void CardLines::AppendToOpenLine(const WCHAR* units, size_t count) {
    if (count == 0) return;
    std::copy(units, units + count, Room(count));
    Grow(count);
}

void CardLines::Clear(size_t keptUnits) {
    lines_ = 0;
    end_ = 0;
    breaks_.clear();
    if (blocks_.size() != 1 || limit_ > keptUnits) {
        blocks_.clear();
        slots_.clear();
        lastBase_ = limit_ = 0;
        firstText_ = nullptr;
    }
    direct_ = kStartsPerBlock - 1;
    if (starts_.size() > 1) {
        starts_.resize(1);
        notes_.resize(1);
    }
    SetStart(0, 0);
}
