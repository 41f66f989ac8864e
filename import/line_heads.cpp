/* The line heads of a card (see line_heads.h): one pass over the card takes
 * each line's head and marker from the note found on its bytes as it was cut,
 * or else from its text. The general lookup
 * walks a bucket's chain and the marked lines together, in card order, since a
 * marked line that contains the name swallows the lines it joins whatever their
 * heads. */
#include "line_heads.h"

#include <algorithm>
#include <cstring>

#include "lane_mask.h"
#include "text_search.h"

namespace {

// The length of the head of `line` when it is a head text, else 0.
size_t HeadLength(WStringView line) {
    const WStringView start = line.substr(0, CardLineHeads::kLongestHead + 1);
    const size_t stop = FindEitherUnitFrom(start, u':', u';', 0);
    const size_t length = stop == WStringView::npos ? start.size() : stop;
    return length <= CardLineHeads::kLongestHead ? length : 0;
}

using namespace line_note;

// Whether the marker's bytes start at `at`.
bool MarkerStartsAt(const unsigned char* at) {
    static constexpr WStringView kMarker = LineBreakMarker();
    for (size_t k = 0; k < kMarker.size(); ++k)
        if (at[k] != kMarker[k]) return false;
    return true;
}

}  // namespace

const unsigned char* FindMarkerBytes(const unsigned char* from, const unsigned char* end) {
    static constexpr WStringView kMarker = LineBreakMarker();
    static_assert(kMarker.size() == 7 && kMarker[0] == u'=' && kMarker[3] == u'=' && kMarker[6] == u'=',
                  "the marker is found by its first and last \"=\", then compared whole");
    if (end - from < static_cast<std::ptrdiff_t>(kMarker.size())) return end;
    const unsigned char* const last = end - kMarker.size();  // the last place it fits
    const SixteenBytes equals = SixteenBytes{} + static_cast<uint8_t>('=');
    // The places among sixteen from `at` where the first and the last "=" stand.
    auto candidates = [&](const unsigned char* at) {
        return SixteenBytes((LoadSixteen(at) == equals) & (LoadSixteen(at + 6) == equals));
    };
    // Whether some lane of `places` is set: its lanes' top bits taken at once.
    auto anyPlace = [](SixteenBytes places) {
        return AboveAsciiByteLanes(LoadSixteenByteLanes(reinterpret_cast<const unsigned char*>(&places))) != 0;
    };
    // The first place among sixteen from `at` that starts the marker, or null.
    auto check = [](const unsigned char* at, SixteenBytes places) -> const unsigned char* {
        const LaneWords hits(places);
        for (size_t half = 0; half < 2; ++half)
            for (uint64_t lanes = hits.half[half]; lanes != 0;) {
                const unsigned lane = static_cast<unsigned>(__builtin_ctzll(lanes)) / 8;
                if (MarkerStartsAt(at + 8 * half + lane)) return at + 8 * half + lane;
                lanes &= ~(uint64_t{0xFF} << (8 * lane));
            }
        return nullptr;
    };
    const unsigned char* at = from;
    for (; last - at >= 63; at += 64) {  // sixty-four places, the last reading up to at + 69
        const SixteenBytes a = candidates(at), b = candidates(at + 16), c = candidates(at + 32),
                           d = candidates(at + 48);
        if (!anyPlace((a | b) | (c | d))) continue;
        if (const unsigned char* found = check(at, a)) return found;
        if (const unsigned char* found = check(at + 16, b)) return found;
        if (const unsigned char* found = check(at + 32, c)) return found;
        if (const unsigned char* found = check(at + 48, d)) return found;
    }
    for (; last - at >= 31; at += 32) {  // thirty-two places, the last reading up to at + 37
        const SixteenBytes low = candidates(at), high = candidates(at + 16);
        if (!anyPlace(low | high)) continue;
        if (const unsigned char* found = check(at, low)) return found;
        if (const unsigned char* found = check(at + 16, high)) return found;
    }
    for (; last - at >= 15; at += 16) {  // sixteen places, the last reading up to at + 21
        const SixteenBytes places = candidates(at);
        if (!anyPlace(places)) continue;
        if (const unsigned char* found = check(at, places)) return found;
    }
    for (; at <= last; ++at)
        if (at[0] == '=' && at[3] == '=' && at[6] == '=' && MarkerStartsAt(at)) return at;
    return end;
}

uint16_t LineNoteOfBytes(const unsigned char* bytes, size_t size) {
    return LineNoteOfBytes(bytes, size, FindMarkerBytes(bytes, bytes + size) != bytes + size, size);
}

static_assert(CardLineHeads::kBuckets == 256, "a bucket is the top byte of a hash");

bool IsHeadText(WStringView text) {
    if (text.empty() || text.size() > CardLineHeads::kLongestHead) return false;
    for (WCHAR unit : text)
        if (unit == u':' || unit == u';' || unit == u'=') return false;
    return true;
}

HeadName::HeadName(WStringView name)
    : text(name),
      isHead(IsHeadText(name)),
      bucket(isHead ? HeadBucketOf(name.data(), name.size()) : 0),
      shortUnits(0),
      shortMask(0) {
    if (name.empty() || name.size() > 4) return;
    static_assert(sizeof(WCHAR) == 2 && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "unit k is bits 16k to 16k + 15");
    for (size_t k = 0; k < name.size(); ++k) {
        shortUnits |= uint64_t{name[k]} << (16 * k);
        shortMask |= uint64_t{0xFFFF} << (16 * k);
    }
}

namespace {

// The note of a line the cutting left without one, read from its text.
__attribute__((noinline)) uint16_t NoteOfText(WStringView text) {
    return LineNoteOfUnits(text, ContainsText(text, LineBreakMarker()));
}

// The note of line i of `lines`, whose kept note is `kept`.
inline uint16_t NoteOfLine(const CardLines& lines, size_t i, uint16_t kept) {
    return kept & kNoted ? kept : NoteOfText(lines[i]);
}

// The bucket a note with a head names.
inline uint32_t BucketOfNote(uint16_t note) { return static_cast<uint32_t>(note >> kBucketShift) & 0xFF; }

}  // namespace

uint16_t LineNoteOfUnits(WStringView text, bool marked) {
    const size_t head = HeadLength(text);
    uint16_t note = static_cast<uint16_t>(kNoted | head | (marked ? kMarked : 0));
    if (head != 0) note |= static_cast<uint16_t>(HeadBucketOf(text.data(), head) << kBucketShift);
    return note;
}

uint16_t LineNoteOfWindows1251(const unsigned char* bytes, size_t size, const WCHAR* units, bool marked) {
    constexpr size_t kReach = CardLineHeads::kLongestHead + 1;
    const size_t reach = size < kReach ? size : kReach;
    const SixteenBytes one = SixteenBytes{} + static_cast<uint8_t>(1);
    const SixteenBytes semicolon = SixteenBytes{} + static_cast<uint8_t>(';');
    size_t head = 0;
    for (; head + 16 <= size && head < reach; head += 16) {
        const size_t stop = LaneWords((LoadSixteen(bytes + head) | one) == semicolon).First();  // ":" or ";"
        if (stop < 16) {
            head += stop;
            break;
        }
    }
    while (head < reach && bytes[head] != ':' && bytes[head] != ';') ++head;
    if (head > reach) head = reach;
    uint16_t note = static_cast<uint16_t>(kNoted | (marked ? kMarked : 0));
    if (head == 0 || head > CardLineHeads::kLongestHead) return note;
    return static_cast<uint16_t>(note | head | HeadBucketOf(units, head) << kBucketShift);
}

void SummarizeLineHeads(const CardLines& lines, CardLineHeads& heads) {
    heads.lines = nullptr;
    heads.count = 0;
    heads.marked.clear();
    const size_t count = lines.size();
    if (count >= CardLineHeads::kNone) return;
    if (++heads.summary == 0) {  // the numbers ran out: every stamp is cleared once
        std::memset(heads.stamp, 0, sizeof heads.stamp);
        heads.summary = 1;
    }
    const uint32_t summary = heads.summary;
    if (heads.next.size() < count) heads.next.resize(count);  // only the headed lines' entries are written
    uint32_t* const next = heads.next.data();
    for (uint32_t line = 0; line < count;) {
        size_t together = 0;
        const uint16_t* notes = lines.NotesFrom(line, together);
        for (const uint32_t stop = line + static_cast<uint32_t>(together); line < stop; ++line) {
            const uint16_t note = NoteOfLine(lines, line, *notes++);
            if (note & kLengthMask) {
                const uint32_t bucket = BucketOfNote(note);
                // The tables are read through `heads`, one register for both.
                uint32_t& last = heads.last[bucket];
                if (heads.stamp[bucket] != summary) {
                    heads.stamp[bucket] = summary;
                    heads.first[bucket] = line;
                } else {
                    next[last] = line;
                }
                last = line;
                next[line] = CardLineHeads::kNone;
            }
            if (note & kMarked) heads.marked.push_back(uint32_t{line});  // a copy: `line` stays in a register
        }
    }
    // The buckets of the lines right after marked ones, from the few marked lines.
    std::fill(std::begin(heads.followsMarked), std::end(heads.followsMarked), uint64_t{0});
    for (const uint32_t marked : heads.marked) {
        if (marked + 1 >= count) break;
        const uint16_t note = NoteOfLine(lines, marked + 1, lines.Note(marked + 1));
        if (note & kLengthMask) heads.followsMarked[BucketOfNote(note) / 64] |= uint64_t{1} << (BucketOfNote(note) % 64);
    }
    heads.lines = &lines;
    heads.count = count;
}

size_t CountLinesHeadedBy(const HeadName& head, const CardLines& lines, const CardLineHeads& heads) {
    if (heads.lines != &lines || heads.count != lines.size() || !head.isHead)
        return static_cast<size_t>(-1);
    size_t count = 0;
    for (uint32_t line = FirstLineOf(heads, head.bucket); line != CardLineHeads::kNone; line = heads.next[line])
        count += HeadIs(lines[line], head);
    return count;
}

size_t JoinEnd(const CardLines& lines, const std::vector<uint32_t>& marked, size_t k) {
    size_t last = marked[k];
    for (; last + 1 < lines.size() && k < marked.size() && marked[k] == last; ++k) ++last;
    return last;
}

WStringView JoinLines(const CardLines& lines, size_t first, size_t last, WString& joined) {
    const WStringView head = lines[first];
    if (last == first) return head;
    // Lines lie back to back unless one moved to a new block: then they are the join.
    const WCHAR* end = head.data() + head.size();
    size_t j = first + 1;
    for (; j <= last; ++j) {
        const WStringView line = lines[j];
        if (line.empty()) continue;
        if (line.data() != end || head.empty()) break;
        end += line.size();
    }
    if (j > last) return head.empty() ? WStringView() : WStringView(head.data(), static_cast<size_t>(end - head.data()));
    joined.clear();
    for (j = first; j <= last; ++j) joined.append(lines[j].data(), lines[j].size());
    return joined;
}

bool VisitLinesHeadedBy(const HeadName& head, const CardLines& lines, const CardLineHeads& heads,
                        WString& joined, LineVisitor visit, void* context) {
    if (heads.lines != &lines || heads.count != lines.size() || !head.isHead) return false;
    const WStringView name = head.text;
    const std::vector<uint32_t>& marked = heads.marked;
    uint32_t chained = FirstLineOf(heads, head.bucket);
    if (chained == CardLineHeads::kNone) return true;  // no line of this head: nothing to give
    size_t m = 0;     // the first marked line not yet passed
    size_t from = 0;  // lines before it were read, joined or passed over
    for (;;) {
        while (chained != CardLineHeads::kNone && chained < from) chained = heads.next[chained];
        while (m < marked.size() && marked[m] < from) ++m;
        const bool chainFirst =
            chained != CardLineHeads::kNone && (m == marked.size() || chained <= marked[m]);
        if (!chainFirst && m == marked.size()) return true;
        const size_t first = chainFirst ? chained : marked[m];
        const bool isMarked = m < marked.size() && marked[m] == first;
        from = first + 1;
        if (!chainFirst || !HeadIs(lines[first], head)) {
            // A line of another head gives nothing; one that is marked matters
            // only when it contains the name and would join a line of this head.
            if (!isMarked) continue;
            uint32_t after = chained;
            while (after != CardLineHeads::kNone && after <= first) after = heads.next[after];
            if (after == CardLineHeads::kNone || after > JoinEnd(lines, marked, m)) continue;
            if (!ContainsText(lines[first], name)) continue;
        }
        const size_t last = isMarked ? JoinEnd(lines, marked, m) : first;
        from = last + 1;
        if (!visit(context, JoinLines(lines, first, last, joined), first, last)) return true;
    }
}
