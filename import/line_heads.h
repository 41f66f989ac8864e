/* What each line of a card starts with, so that a lookup by exact property name
 * reads only the lines that start with it: each line's head (its text up to the
 * first ":" or ";") hashed into buckets chained in card order, and the lines that
 * carry the line-break marker. Exports CardLineHeads, SummarizeLineHeads, the
 * line notes (LineNoteOfBytes, inline for the cutting loop, with the sixteen-byte
 * helpers it uses), IsHeadText, HeadName, CountLinesHeadedBy and
 * VisitLinesHeadedBy; knows no property names. */
#ifndef ZAMO_IMPORT_LINE_HEADS_H
#define ZAMO_IMPORT_LINE_HEADS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "card_lines.h"
#include "property_lines.h"
#include "wide_text.h"

/* The summary of one card, made for `lines` when it had `count` lines; a
 * summary used with another card is not used. Heads longer than kLongestHead
 * units go in no bucket. About eight bytes a line. */
struct CardLineHeads {
    static constexpr size_t kBuckets = 256;
    static constexpr size_t kLongestHead = 32;
    static constexpr uint32_t kNone = UINT32_MAX;

    const CardLines* lines = nullptr;
    size_t count = 0;
    // A bucket's first and last line hold for the summary numbered `summary`
    // only when the bucket is stamped with that number, so that no summary has
    // to clear what the one before it left (FirstLineOf reads them).
    uint32_t first[kBuckets];
    uint32_t last[kBuckets];
    uint32_t stamp[kBuckets] = {};
    uint32_t summary = 0;
    std::vector<uint32_t> next;    // a headed line's next line of the same bucket, or kNone (others: unset)
    std::vector<uint32_t> marked;  // the lines containing the marker, in card order
    uint64_t followsMarked[kBuckets / 64];  // buckets of a line right after a marked one
};

/* The first line of `bucket` in the card the summary describes, or kNone. */
inline uint32_t FirstLineOf(const CardLineHeads& heads, uint32_t bucket) {
    return heads.stamp[bucket] == heads.summary ? heads.first[bucket] : CardLineHeads::kNone;
}

/* Makes `heads` describe `lines` (reusing its room), the marked lines being those
 * that contain LineBreakMarker(). A line's note from LineNoteOfBytes stands for
 * reading its text; a line without one is read. A card of kNone lines or more
 * is left undescribed. */
void SummarizeLineHeads(const CardLines& lines, CardLineHeads& heads);

/* The note for a card line from its text, known to hold the marker or not. */
uint16_t LineNoteOfUnits(WStringView text, bool marked);

/* LineNoteOfUnits for a windows-1251 line: its `size` bytes, decoded to
 * `units`, one for each byte, so its head is found on the bytes. */
uint16_t LineNoteOfWindows1251(const unsigned char* bytes, size_t size, const WCHAR* units, bool marked);

/* The note for a card line decoded from `size` bytes of windows-1251 or UTF-8
 * (in which ASCII bytes stand for themselves and no other byte gives an ASCII
 * unit): its head and whether it holds the marker, read from the bytes; 0 when
 * a byte above ASCII comes before its head ends, so the text must be read. */
uint16_t LineNoteOfBytes(const unsigned char* bytes, size_t size);

/* The bucket of a head from its length and `first`, the low bytes of its
 * first eight units (unit k as byte k, the bytes past its end zero), and
 * `last`, those of its last eight units when it has more than eight (else 0). */
inline uint32_t HeadBucketOfKey(uint64_t first, uint64_t last, size_t size) {
    const uint64_t key = (first ^ last * 0x9E3779B97F4A7C15ull) + (static_cast<uint64_t>(size) << 56);
    return static_cast<uint32_t>(key * 0xFF51AFD7ED558CCDull >> 56);
}

/* The bucket of a head of 1 to kLongestHead units, from its length and the
 * low bytes of its first and last eight units (heads that share all of these
 * share a bucket). */
template <typename Unit>
inline uint32_t HeadBucketOf(const Unit* head, size_t size) {
    uint64_t first = 0, last = 0;
    for (size_t k = 0; k < size && k < 8; ++k) first |= uint64_t{static_cast<uint8_t>(head[k])} << (8 * k);
    if (size > 8)
        for (size_t k = 0; k < 8; ++k) last |= uint64_t{static_cast<uint8_t>(head[size - 8 + k])} << (8 * k);
    return HeadBucketOfKey(first, last, size);
}

/* Sixteen bytes, and each lane of a comparison of them (all ones or nothing)
 * as one byte of two words. */
typedef uint8_t SixteenBytes __attribute__((vector_size(16)));
inline SixteenBytes LoadSixteen(const unsigned char* at) {
    SixteenBytes bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}
struct LaneWords {
    uint64_t half[2];
    explicit LaneWords(SixteenBytes lanes) { std::memcpy(half, &lanes, sizeof half); }
    bool Any() const { return (half[0] | half[1]) != 0; }
    // The first lane set, or 16.
    size_t First() const {
        if (half[0] != 0) return static_cast<size_t>(__builtin_ctzll(half[0])) / 8;
        if (half[1] != 0) return 8 + static_cast<size_t>(__builtin_ctzll(half[1])) / 8;
        return 16;
    }
};

/* A line note: kNoted, kMarked, the head's bucket and its length (0: no head text). */
namespace line_note {
constexpr uint16_t kNoted = 0x8000, kMarked = 0x4000;
constexpr unsigned kBucketShift = 6;
constexpr uint16_t kLengthMask = (1u << kBucketShift) - 1;
static_assert(CardLineHeads::kLongestHead <= kLengthMask && CardLineHeads::kBuckets == 256 &&
                  kBucketShift + 8 <= 14,
              "a note holds a length, a bucket and two flags");
static_assert(CardLineHeads::kLongestHead + 1 <= 48, "a head is read in three sixteens at most");

/* The head length LineNoteOfBytes gives (kNone: unknown) for a line whose
 * first `from` bytes (0 or 8) hold no ":", ";" nor byte above ASCII: sixteen
 * bytes at a time while they can be read (`readable` >= `size` bytes from
 * `bytes`), then one by one; the first ":", ";" or byte above ASCII in the
 * line decides. */
inline size_t HeadOfBytesFrom(const unsigned char* bytes, size_t size, size_t readable, size_t from) {
    constexpr size_t kReach = CardLineHeads::kLongestHead + 1;
    const size_t reach = size < kReach ? size : kReach;
    typedef int8_t SignedSixteen __attribute__((vector_size(16)));
    static_assert((':' | 1) == ';', "\":\" and \";\" are the two bytes that give \";\" with the lowest bit set");
    const SixteenBytes one = SixteenBytes{} + static_cast<uint8_t>(1);
    const SixteenBytes semicolon = SixteenBytes{} + static_cast<uint8_t>(';');
    size_t k = from;
    for (; k + 16 <= readable && k < reach; k += 16) {
        const SixteenBytes chunk = LoadSixteen(bytes + k);
        const SixteenBytes above = reinterpret_cast<SixteenBytes>(reinterpret_cast<SignedSixteen>(chunk) < 0);
        const size_t stop = k + LaneWords(((chunk | one) == semicolon) | above).First();
        if (stop >= size) return reach;  // none in the line
        if (stop == k + 16) continue;
        if (bytes[stop] >= 0x80) return stop < reach ? CardLineHeads::kNone : reach;
        return stop;
    }
    for (; k < reach; ++k) {
        if (bytes[k] >= 0x80) return CardLineHeads::kNone;  // its units may be fewer than its bytes
        if (bytes[k] == ':' || bytes[k] == ';') return k;
    }
    return reach;
}

/* The note of a head of 1 to kLongestHead ASCII bytes, of which at least eight
 * can be read, with `flags`. */
inline uint16_t NoteOfAsciiHead(const unsigned char* bytes, size_t head, uint16_t flags) {
    uint64_t first, last = 0;
    std::memcpy(&first, bytes, sizeof first);
    if (head < 8) first &= ~(~uint64_t{0} << (8 * head));
    if (head > 8) std::memcpy(&last, bytes + head - 8, sizeof last);
    return static_cast<uint16_t>(flags | head | HeadBucketOfKey(first, last, head) << kBucketShift);
}

/* The note, with `flags`, of a line whose first `from` bytes (8 or 16, at most
 * `readable`) hold no ":", ";" nor byte above ASCII. */
inline uint16_t NoteOfHeadAfter(const unsigned char* bytes, size_t size, size_t readable, size_t from,
                                uint16_t flags) {
    const size_t head = HeadOfBytesFrom(bytes, size, readable, from);
    if (head == CardLineHeads::kNone) return 0;
    if (head > CardLineHeads::kLongestHead) return flags;
    return NoteOfAsciiHead(bytes, head, flags);
}

/* The flags of a noted line. */
inline uint16_t NoteFlags(bool marked) { return static_cast<uint16_t>(kNoted | (marked ? kMarked : 0)); }

/* The note, with `flags`, of a line whose first ":", ";" or byte above ASCII
 * among its first `window` bytes (8 or 16, at most `readable`) is at `stop`
 * (`window`: none there). */
inline uint16_t NoteOfFirstStop(const unsigned char* bytes, size_t size, size_t readable, size_t window,
                                size_t stop, uint16_t flags) {
    size_t head = size;  // the line's bytes within the window are its head unless a stop comes first
    if (stop < size) {
        if (bytes[stop] >= 0x80) return 0;
        head = stop;
    }
    if (head < window) return head == 0 ? flags : NoteOfAsciiHead(bytes, head, flags);
    return NoteOfHeadAfter(bytes, size, readable, window, flags);
}
}  // namespace line_note

/* LineNoteOfBytes for bytes known to hold the marker or not, of which
 * `readable` >= `size` may be read. The first eight bytes are read as one word,
 * which holds most heads whole and is the start of the bucket's key. */
inline uint16_t LineNoteOfBytes(const unsigned char* bytes, size_t size, bool marked, size_t readable) {
    using namespace line_note;
    const uint16_t flags = NoteFlags(marked);
    if (readable < 8) {
        size_t head = HeadOfBytesFrom(bytes, size, readable, 0);
        if (head == CardLineHeads::kNone) return 0;
        if (head == 0 || head > CardLineHeads::kLongestHead) return flags;
        return static_cast<uint16_t>(flags | head | HeadBucketOf(bytes, head) << kBucketShift);
    }
    constexpr uint64_t kEach = 0x0101010101010101ull, kLow = kEach * 0x7F, kHigh = kEach * 0x80;
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    const uint64_t semicolons = (word | kEach) ^ (kEach * ';');  // a zero byte for ":" or ";"
    const uint64_t stops = (~(((semicolons & kLow) + kLow) | semicolons) | word) & kHigh;
    const size_t stop = stops != 0 ? static_cast<size_t>(__builtin_ctzll(stops)) / 8 : 8;
    return NoteOfFirstStop(bytes, size, readable, 8, stop, flags);
}

/* LineNoteOfBytes for bytes of which `readable` >= 16 and >= `size` may be
 * read, `stops` telling which of the first sixteen are ":", ";" or above ASCII
 * (byte k as bit k). */
inline uint16_t LineNoteOfBytes(const unsigned char* bytes, size_t size, bool marked, size_t readable,
                                unsigned stops) {
    using namespace line_note;
    const size_t stop = stops != 0 ? static_cast<size_t>(__builtin_ctz(stops)) : 16;
    return NoteOfFirstStop(bytes, size, readable, 16, stop, NoteFlags(marked));
}

/* Where the marker's bytes first start in [from, end), or `end`. */
const unsigned char* FindMarkerBytes(const unsigned char* from, const unsigned char* end);

/* Whether `text` can be a head the summary answers for: 1 to kLongestHead
 * units, none of them ":", ";" or "=" (so no line joined to another can start
 * with it unless its own line does). */
bool IsHeadText(WStringView text);

/* A name as the summary looks it up, worked out once: whether it is a head
 * text, its bucket, and for a name of at most four units those units packed
 * in a word with the mask that keeps them (else both 0). */
struct HeadName {
    WStringView text;
    bool isHead;
    uint32_t bucket;
    uint64_t shortUnits;
    uint64_t shortMask;
    HeadName(WStringView name);  // NOLINT: a name converts implicitly
};

/* The number of lines of `lines` whose head is `name`, a head text; SIZE_MAX
 * when the summary does not describe `lines` or `name` is no head text. */
size_t CountLinesHeadedBy(const HeadName& name, const CardLines& lines, const CardLineHeads& heads);

/* Whether the head of `line` is exactly `name`, a head text: the line starts
 * with it, followed by ":", ";" or nothing. */
inline bool HeadIs(WStringView line, WStringView name) {
    const size_t size = name.size();
    if (line.size() < size) return false;
    size_t k = 0;
    for (; k + 2 <= size; k += 2) {  // two units at a time
        uint32_t a, b;
        std::memcpy(&a, line.data() + k, sizeof a);
        std::memcpy(&b, name.data() + k, sizeof b);
        if (a != b) return false;
    }
    if (k < size && line[k] != name[k]) return false;
    return line.size() == size || line[size] == u':' || line[size] == u';';
}

/* HeadIs for a name worked out once: a name of at most four units against a
 * line of four or more is compared as one word. */
inline bool HeadIs(WStringView line, const HeadName& name) {
    const size_t size = name.text.size();
    if (name.shortMask == 0 || line.size() < 4) return HeadIs(line, name.text);
    uint64_t word;
    std::memcpy(&word, line.data(), sizeof word);
    if ((word & name.shortMask) != name.shortUnits) return false;
    return line.size() == size || (line[size] | 1) == u';';  // ":" or ";" (they differ in the lowest bit only)
}

/* The last line joined to marked line marked[k] (`marked` in card order): the
 * run of marked lines from it, and the line that ends the run. */
size_t JoinEnd(const CardLines& lines, const std::vector<uint32_t>& marked, size_t k);

/* Lines first to last as one: a view of the card's own text when they lie back
 * to back there (one line always does), else built in `joined`. */
WStringView JoinLines(const CardLines& lines, size_t first, size_t last, WString& joined);

/* For a head text `name` and a summary made for `lines`: calls visit(line) for
 * every line VisitPropertyLines(name, ...) would give whose head is `name`, in
 * card order, joined alike, and possibly a few more of those lines, until
 * visit returns false; returns true. Lines it passes over start with another
 * head. Returns false, calling nothing, when the summary does not describe
 * `lines` or `name` is no head text. */
bool VisitLinesHeadedBy(const HeadName& name, const CardLines& lines, const CardLineHeads& heads,
                        WString& joined, LineVisitor visit, void* context);

#endif
