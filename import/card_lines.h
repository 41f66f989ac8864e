/* The lines of one card as the reader hands them to the card importer: their
 * UTF-16 text one after another in blocks that are never moved once they hold
 * whole lines, where each line starts and a note the reader may leave with it
 * (six bytes a line, kept in blocks too), in card order. Exports CardLines; a
 * line is read as a view that lasts until the lines change. */
#ifndef ZAMO_IMPORT_CARD_LINES_H
#define ZAMO_IMPORT_CARD_LINES_H

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "wide_text.h"

class CardLines {
public:
    using value_type = WStringView;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = WStringView;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = WStringView;
        const_iterator(const CardLines* lines, size_t at) : lines_(lines), at_(at) {}
        WStringView operator*() const { return (*lines_)[at_]; }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }
        bool operator!=(const const_iterator& other) const { return at_ != other.at_; }

    private:
        const CardLines* lines_;
        size_t at_;
    };

    CardLines() {
        SetStart(0, 0);
        firstStarts_ = starts_[0].get();
    }
    CardLines(const CardLines& other) : CardLines() { *this = other; }
    CardLines& operator=(const CardLines& other);
    /* The lines of [first, last), each anything a WStringView can be made of. */
    template <typename Iterator>
    CardLines(Iterator first, Iterator last) : CardLines() {
        for (; first != last; ++first) push_back(WStringView(*first));
    }

    size_t size() const { return lines_; }
    bool empty() const { return size() == 0; }
    WStringView operator[](size_t i) const {
        if (i < direct_) return WStringView(firstText_ + firstStarts_[i], firstStarts_[i + 1] - firstStarts_[i]);
        size_t to = Start(i + 1);
        if ((to & (kSlotUnits - 1)) == 0 && !breaks_.empty()) to = EndAtBreak(i, to);
        return Text(Start(i), to);
    }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    /* Adds a whole line after the last one. */
    void push_back(WStringView line) {
        AppendToOpenLine(line.data(), line.size());
        CloseLine();
    }
    void emplace_back(WStringView line) { push_back(line); }

    /* The line being assembled after the last whole one: `Room(n)` gives space for
     * `n` more units at its end, `Grow(k)` keeps `k` of them (k <= n). A card whose
     * text reaches 2^32 units throws std::length_error. */
    WCHAR* Room(size_t units) {
        if (end_ + units <= limit_ && end_ < limit_)
            return slots_[end_ >> kSlotBits] + (end_ & (kSlotUnits - 1));
        return RoomElsewhere(units);
    }
    void Grow(size_t units) { end_ += units; }
    void AppendToOpenLine(const WCHAR* units, size_t count);
    /* The open line so far, and its length. */
    WStringView OpenLine() const { return Text(Start(lines_), end_); }
    /* The open line becomes the last whole line, with `note` (0: none) kept for it. */
    void CloseLine(uint16_t note = 0) {
        notes_[lines_ >> kStartBits][lines_ & (kStartsPerBlock - 1)] = note;
        const size_t next = lines_ + 1;
        if ((next & (kStartsPerBlock - 1)) == 0)
            SetStart(next, end_);
        else
            starts_[next >> kStartBits][next & (kStartsPerBlock - 1)] = static_cast<uint32_t>(end_);
        lines_ = next;
    }
    /* Closes whole lines one after another without a call per line, for as
     * long as `next` gives them, the open line being empty: next(room, units,
     * note) either puts a line's text at `room` (which has `units` units free,
     * at least 1), sets `note` and returns the line's length (less than
     * `units`), or returns kNoLine when it has no such line to give, or its line
     * needs more room. Also ends where the lines' starts fill a block; the
     * caller then goes on line by line. */
    static constexpr size_t kNoLine = static_cast<size_t>(-1);
    template <typename Next>
    void CloseLines(Next&& next) {
        if (end_ >= limit_ || Start(lines_) != end_) return;
        uint32_t* const starts = starts_[lines_ >> kStartBits].get();
        uint16_t* const notes = notes_[lines_ >> kStartBits].get();
        size_t at = lines_ & (kStartsPerBlock - 1);
        WCHAR* out = slots_[end_ >> kSlotBits] + (end_ & (kSlotUnits - 1));
        size_t free = limit_ - end_;
        // Where the next line starts: below limit_, since each line leaves room.
        uint32_t start = static_cast<uint32_t>(end_);
        while (at + 1 < kStartsPerBlock) {
            uint16_t note = 0;
            const size_t length = next(out, free, note);
            if (length == kNoLine) break;
            out += length;
            free -= length;
            start += static_cast<uint32_t>(length);
            notes[at] = note;
            starts[++at] = start;
        }
        lines_ = (lines_ & ~(kStartsPerBlock - 1)) + at;
        end_ = start;
    }
    /* The note kept with line i (i < size()); what it means is the reader's. */
    uint16_t Note(size_t i) const { return notes_[i >> kStartBits][i & (kStartsPerBlock - 1)]; }
    /* The notes of lines i, i + 1, ... (i < size()) as far as they lie together:
     * `count` of them, at least one. */
    const uint16_t* NotesFrom(size_t i, size_t& count) const {
        const size_t together = kStartsPerBlock - (i & (kStartsPerBlock - 1));
        count = lines_ - i < together ? lines_ - i : together;
        return notes_[i >> kStartBits].get() + (i & (kStartsPerBlock - 1));
    }
    /* Forgets the open line's last `units` units, or all of its text. */
    void TrimOpenLine(size_t units) { end_ -= units; }
    void DropOpenLine() { end_ = Start(lines_); }
    /* Forgets every line; room beyond `keptUnits` units is given back. */
    void Clear(size_t keptUnits);

private:
    // Text positions are places in a space of 2^32 units cut into slots of
    // kSlotUnits; a block of text covers whole slots, and a line lies within
    // one block. Starts are kept in blocks of kStartsPerBlock.
    static constexpr unsigned kSlotBits = 20;
    static constexpr size_t kSlotUnits = size_t{1} << kSlotBits;
    static constexpr unsigned kStartBits = 16;
    static constexpr size_t kStartsPerBlock = size_t{1} << kStartBits;

    uint32_t Start(size_t i) const {
        return starts_[i >> kStartBits][i & (kStartsPerBlock - 1)];
    }
    WStringView Text(size_t from, size_t to) const {
        if (from == to) return WStringView();
        return WStringView(slots_[from >> kSlotBits] + (from & (kSlotUnits - 1)), to - from);
    }
    void SetStart(size_t i, size_t position);
    /* Room for the open line that the last block cannot give: a new block. */
    WCHAR* RoomElsewhere(size_t units);
    /* The end of line i when the line after it was moved to a new block (its
     * start `next` then lies at a slot's start), else `next`. */
    size_t EndAtBreak(size_t i, size_t next) const;

    std::vector<std::unique_ptr<WCHAR[]>> blocks_;   // the text, oldest first
    std::vector<WCHAR*> slots_;                      // slot s: its first unit
    size_t lastBase_ = 0;                            // where the last block starts
    size_t limit_ = 0;                               // where the last block ends
    size_t end_ = 0;                                 // where the open line's text ends
    std::vector<std::unique_ptr<uint32_t[]>> starts_;  // line i is [Start(i), Start(i + 1))
    std::vector<std::unique_ptr<uint16_t[]>> notes_;   // line i's note, in blocks alike
    size_t lines_ = 0;                                 // whole lines; Start(lines_) opens the next
    std::vector<std::pair<size_t, uint32_t>> breaks_;  // (line, its end) where the next line moved
    // While all text lies in one block: lines below direct_ are read straight
    // from the first block of starts and the text block; else direct_ is 0.
    size_t direct_ = kStartsPerBlock - 1;
    const uint32_t* firstStarts_ = nullptr;
    const WCHAR* firstText_ = nullptr;
};

#endif
