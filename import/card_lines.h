/* The lines of one card as the reader hands them to the card importer: their
 * UTF-16 text one after another in one buffer and where each line starts (four
 * bytes a line), in card order. Exports CardLines; a line is read as a view that
 * lasts until the lines change. */
#ifndef ZAMO_IMPORT_CARD_LINES_H
#define ZAMO_IMPORT_CARD_LINES_H

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
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

    CardLines() = default;
    CardLines(const CardLines& other) { *this = other; }
    CardLines& operator=(const CardLines& other);
    /* The lines of [first, last), each anything a WStringView can be made of. */
    template <typename Iterator>
    CardLines(Iterator first, Iterator last) {
        for (; first != last; ++first) push_back(WStringView(*first));
    }

    size_t size() const { return starts_.size() - 1; }
    bool empty() const { return size() == 0; }
    WStringView operator[](size_t i) const {
        return WStringView(text_.get() + starts_[i], starts_[i + 1] - starts_[i]);
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
    WCHAR* Room(size_t units);
    void Grow(size_t units) { size_ += units; }
    void AppendToOpenLine(const WCHAR* units, size_t count);
    /* The open line so far, and its length. */
    WStringView OpenLine() const {
        return WStringView(text_.get() + starts_.back(), size_ - starts_.back());
    }
    /* The open line becomes the last whole line. */
    void CloseLine() { starts_.push_back(static_cast<uint32_t>(size_)); }
    /* Forgets the open line's last `units` units, or all of its text. */
    void TrimOpenLine(size_t units) { size_ -= units; }
    void DropOpenLine() { size_ = starts_.back(); }
    /* Forgets every line; room beyond `keptUnits` units is given back. */
    void Clear(size_t keptUnits);

private:
    struct FreeUnits {
        void operator()(WCHAR* units) const;
    };
    std::unique_ptr<WCHAR, FreeUnits> text_;  // size_ units used of capacity_, from malloc
    size_t size_ = 0;
    size_t capacity_ = 0;
    std::vector<uint32_t> starts_{0};  // line i is [starts_[i], starts_[i + 1]); the last: the open line
};

#endif
