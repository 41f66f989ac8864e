/* Line and card cutting (see card_cutting.h). A line that lies whole in the
 * bytes at hand is tested for the markers on its bytes and decoded only when a
 * card keeps it; one comparison of its first sixteen bytes finds the line feed
 * of most lines and where its head ends; the next "VCARD" and the next
 * line-break marker are looked for across all those bytes, so a line before
 * them is not searched at all; a run of a card's lines that need nothing more
 * is cut in one loop straight into the card. A line that runs past the bytes at
 * hand is carried, and once it is long it is decoded as it comes and cut into
 * pieces on its units. */
#include "card_cutting.h"

#include <cstring>

#include "lane_mask.h"
#include "line_heads.h"
#include "text_search.h"

namespace {

// A card marker, found by its rarer "V" first.
struct Marker {
    WStringView units;
    const char* bytes;
    size_t size;
    size_t rare;  // position of the "V"
};
const Marker kCardStart = {TEXT("BEGIN:VCARD"), "BEGIN:VCARD", 11, 6};
const Marker kCardEnd = {TEXT("END:VCARD"), "END:VCARD", 9, 4};

// Carried bytes beyond this many make the line a long one.
constexpr size_t kCarryLimit = 64 * 1024;
// Room a card keeps for the next one; a larger card's room goes with it.
constexpr size_t kKeptUnits = 1 << 20;
constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kCarriageReturn = 0x0D;

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

bool HoldsMarker(const unsigned char* text, size_t size, const Marker& marker) {
    if (size < marker.size) return false;
    const unsigned char* at = text + marker.rare;
    const unsigned char* last = text + size - (marker.size - marker.rare);  // the last "V" that fits
    while (at <= last) {
        at = static_cast<const unsigned char*>(
            std::memchr(at, marker.bytes[marker.rare], static_cast<size_t>(last - at) + 1));
        if (!at) return false;
        if (std::memcmp(at - marker.rare, marker.bytes, marker.size) == 0) return true;
        ++at;
    }
    return false;
}

// The first line feed in [from, end), or end: thirty-two bytes at a time while
// they lie before end, as lines of cards are mostly that long or a little longer.
const unsigned char* NextLineFeed(const unsigned char* from, const unsigned char* end) {
    for (; end - from >= 32; from += 32) {
        const unsigned bits = EqualByteLanes(LoadSixteenByteLanes(from), kLineFeed) |
                              EqualByteLanes(LoadSixteenByteLanes(from + 16), kLineFeed) << 16;
        if (bits != 0) return from + __builtin_ctz(bits);
    }
    const auto* feed = static_cast<const unsigned char*>(std::memchr(from, kLineFeed, static_cast<size_t>(end - from)));
    return feed ? feed : end;
}

// Whether `marker` starts at `at`, of which as many bytes as it has can be read
// (eight at least, compared as one word).
bool MarkerAt(const unsigned char* at, const Marker& marker) {
    uint64_t word, wanted;
    std::memcpy(&word, at, sizeof word);
    std::memcpy(&wanted, marker.bytes, sizeof wanted);
    if (word != wanted) return false;
    for (size_t k = sizeof word; k < marker.size; ++k)
        if (at[k] != static_cast<unsigned char>(marker.bytes[k])) return false;
    return true;
}

// HoldsMarker for a line in which `v`, the first "VCARD" at or after its start
// as NextV finds it, lies: the marker whose "V" is `v`, the usual one, is seen
// without a search.
bool HoldsMarkerAround(const unsigned char* line, size_t size, const Marker& marker, const unsigned char* v) {
    const size_t at = static_cast<size_t>(v - line);
    if (at >= marker.rare && at - marker.rare + marker.size <= size && MarkerAt(v - marker.rare, marker))
        return true;
    return HoldsMarker(line, size, marker);
}

// The size of `line` without the carriage return that ends it.
size_t WithoutCarriageReturn(const unsigned char* line, size_t size) {
    return size > 0 && line[size - 1] == kCarriageReturn ? size - 1 : size;
}

void HandCardOver(CardCutting& c) {
    c.sink(c.context, c.card);
    c.card.Clear(kKeptUnits);
    c.inCard = false;
}

// The open line (or piece) of `c.card` is complete: keep it, end the card or drop it.
void EndOpenLine(CardCutting& c) {
    const WStringView line = c.card.OpenLine();
    if (!c.inCard) {
        if (!ContainsText(line, kCardStart.units)) {
            c.card.DropOpenLine();  // outside any card
            return;
        }
        c.inCard = true;
        c.card.CloseLine();
        if (ContainsText(line, kCardEnd.units)) HandCardOver(c);  // both markers: a card of this line
        return;
    }
    if (ContainsText(line, kCardEnd.units)) {
        c.card.DropOpenLine();  // the end line belongs to no card
        HandCardOver(c);
        return;
    }
    c.card.CloseLine();
}

// Appends units to the open line, ending each full piece first.
void PutUnits(CardCutting& c, const WCHAR* units, size_t count) {
    while (count > 0) {
        const size_t length = c.card.OpenLine().size();
        if (length == c.pieceLimit) {
            const WCHAR last = c.card.OpenLine().back();
            if (IsHighSurrogate(last) && IsLowSurrogate(*units) && c.pieceLimit > 1) {
                c.card.TrimOpenLine(1);  // the pair moves whole to the next piece
                EndOpenLine(c);
                c.card.AppendToOpenLine(&last, 1);
            } else {
                EndOpenLine(c);
            }
            continue;
        }
        const size_t room = c.pieceLimit - length;
        const size_t take = room < count ? room : count;
        c.card.AppendToOpenLine(units, take);
        units += take;
        count -= take;
    }
}

// Decodes the carried bytes into the open line; unless the line ends here, a
// last carriage return and an incomplete sequence stay carried.
void DecodeCarried(CardCutting& c, bool lineEnds) {
    size_t size = c.carry.size();
    if (!lineEnds && size > 0 && c.carry[size - 1] == kCarriageReturn) --size;
    c.units.resize(size + 1);
    size_t written = 0;
    const size_t consumed =
        DecodeBytes(c.encoding, c.carry.data(), size, lineEnds, c.units.data(), written);
    PutUnits(c, c.units.data(), written);
    c.carry.erase(c.carry.begin(), c.carry.begin() + static_cast<long>(consumed));
}

// What is known of a line from searches over all the bytes at hand.
struct KnownOfLine {
    const unsigned char* v;  // the first "VCARD" at or after its start (as NextV finds it)
    bool marked;             // it holds the line-break marker
};

// A whole line, without its line end; `known` (or null) what is known of it.
void EndLine(CardCutting& c, const unsigned char* line, size_t size, const KnownOfLine* known = nullptr) {
    if (size > c.pieceLimit) {  // it may need cutting into pieces: on its units
        if (line == c.carry.data())
            c.carry.resize(size);
        else
            c.carry.assign(line, line + size);
        DecodeCarried(c, true);
        EndOpenLine(c);
        return;
    }
    const Marker& wanted = c.inCard ? kCardEnd : kCardStart;
    const bool marked = known ? known->v < line + size && HoldsMarkerAround(line, size, wanted, known->v)
                              : HoldsMarker(line, size, wanted);
    if (c.inCard == marked) {  // a line outside cards, or the end line
        if (marked) HandCardOver(c);
        return;
    }
    size_t written = size;
    if (c.encoding == TextEncoding::Windows1251)
        DecodeWindows1251(line, size, c.card.Room(size + 1));
    else
        DecodeBytes(c.encoding, line, size, true, c.card.Room(size + 1), written);
    c.card.Grow(written);
    c.card.CloseLine(known ? LineNoteOfBytes(line, size, known->marked, size) : LineNoteOfBytes(line, size));
    if (!c.inCard) {
        c.inCard = true;
        // The two markers cannot overlap (no end of one starts the other), so a
        // line holding both is at least as long as the two together.
        if (size >= kCardStart.size + kCardEnd.size && HoldsMarker(line, size, kCardEnd)) HandCardOver(c);
    }
}

// The carried line ends here (at a line feed when `atLineFeed`, else at the end of the file).
void EndCarriedLine(CardCutting& c, bool atLineFeed) {
    if (c.longLine) {
        if (atLineFeed) c.carry.resize(WithoutCarriageReturn(c.carry.data(), c.carry.size()));
        DecodeCarried(c, true);
        EndOpenLine(c);
        c.longLine = false;
    } else {
        const size_t size =
            atLineFeed ? WithoutCarriageReturn(c.carry.data(), c.carry.size()) : c.carry.size();
        EndLine(c, c.carry.data(), size);
    }
    c.carry.clear();
}

// The first "VCARD" in [from, end), which every card marker holds, or a "V"
// too near the end to tell; end when there is none.
const unsigned char* NextV(const unsigned char* from, const unsigned char* end) {
    for (;;) {
        const auto* v = static_cast<const unsigned char*>(std::memchr(from, 'V', static_cast<size_t>(end - from)));
        if (!v) return end;
        if (end - v < 5 || std::memcmp(v + 1, "CARD", 4) == 0) return v;
        from = v + 1;
    }
}

// The run of a card's lines from `bytes` that lie whole before `end` and do not
// end the card, put into the card in one loop, and the line after them when it
// ends the card (`endsCard`: the card is then complete, its end line passed);
// returns where the run stops. `v` and `marker` are the next "VCARD" (as
// NextV finds it) and line-break marker at or after `bytes` (end: none), and
// are kept so.
// Made once for windows-1251 files, whose lines are decoded inline, and once
// for the others.
template <bool windows1251>
const unsigned char* CutCardLines(CardCutting& c, const unsigned char* bytes, const unsigned char* end,
                                  const unsigned char*& v, const unsigned char*& marker, bool& endsCard) {
    const TextEncoding encoding = c.encoding;
    const size_t pieceLimit = c.pieceLimit;
    c.card.CloseLines([&](WCHAR* room, size_t units, uint16_t& note) -> size_t {
        // The first sixteen bytes, when they can be read, give the line feed of
        // most lines and where the head may end.
        const bool sixteen = end - bytes >= 16;
        const unsigned char* feed;
        unsigned stops = 0;
        if (sixteen) {
            const SixteenByteLanes first = LoadSixteenByteLanes(bytes);
            const unsigned feeds = EqualByteLanes(first, kLineFeed);
            feed = feeds != 0 ? bytes + __builtin_ctz(feeds) : NextLineFeed(bytes + 16, end);
            stops = EqualByteLanesWithLowBit(first, ';') | AboveAsciiByteLanes(first);  // ":", ";" or above ASCII
        } else {
            feed = NextLineFeed(bytes, end);
        }
        if (feed == end) return CardLines::kNoLine;
        const size_t size = WithoutCarriageReturn(bytes, static_cast<size_t>(feed - bytes));
        if (size >= units || size > pieceLimit) return CardLines::kNoLine;
        if (v < feed && HoldsMarker(bytes, size, kCardEnd)) {
            endsCard = true;
            bytes = feed + 1;
            v = NextV(bytes, end);
            if (marker < bytes) marker = FindMarkerBytes(bytes, end);
            return CardLines::kNoLine;
        }
        size_t written = size;
        if constexpr (windows1251)
            DecodeWindows1251(bytes, size, room);
        else
            DecodeBytes(encoding, bytes, size, true, room, written);
        const size_t readable = static_cast<size_t>(end - bytes);
        note = sixteen ? LineNoteOfBytes(bytes, size, marker < feed, readable, stops)
                       : LineNoteOfBytes(bytes, size, marker < feed, readable);
        if (note == 0) {  // a head not all ASCII
            if constexpr (windows1251)
                note = LineNoteOfWindows1251(bytes, size, room, marker < feed);
            else
                note = LineNoteOfUnits(WStringView(room, written), marker < feed);
        }
        bytes = feed + 1;
        if (v < bytes) v = NextV(bytes, end);
        if (marker < bytes) marker = FindMarkerBytes(bytes, end);
        return written;
    });
    return bytes;
}

}  // namespace

void CutBytes(CardCutting& c, const unsigned char* bytes, size_t size) {
    const unsigned char* const end = bytes + size;
    // The next "VCARD" and the next line-break marker in these bytes, at or after
    // the line being cut; end: none.
    const unsigned char* v = NextV(bytes, end);
    const unsigned char* marker = FindMarkerBytes(bytes, end);
    while (size > 0) {
        if (c.inCard && c.carry.empty() && !c.longLine) {
            bool endsCard = false;
            const unsigned char* const stop =
                c.encoding == TextEncoding::Windows1251 ? CutCardLines<true>(c, bytes, end, v, marker, endsCard)
                                                        : CutCardLines<false>(c, bytes, end, v, marker, endsCard);
            size -= static_cast<size_t>(stop - bytes);
            bytes = stop;
            if (endsCard) {
                HandCardOver(c);
                continue;
            }
            if (size == 0) return;
        }
        const auto* feed = static_cast<const unsigned char*>(std::memchr(bytes, kLineFeed, size));
        const size_t length = feed ? static_cast<size_t>(feed - bytes) : size;
        if (feed && c.carry.empty() && !c.longLine) {
            const KnownOfLine known{v, marker < feed};  // neither can hold a line feed
            EndLine(c, bytes, WithoutCarriageReturn(bytes, length), &known);
        } else {
            c.carry.insert(c.carry.end(), bytes, bytes + length);
            if (feed) {
                EndCarriedLine(c, true);
            } else if (c.longLine || c.carry.size() > kCarryLimit) {
                c.longLine = true;
                DecodeCarried(c, false);
            }
        }
        if (!feed) return;
        bytes += length + 1;
        size -= length + 1;
        if (v < bytes) v = NextV(bytes, end);
        if (marker < bytes) marker = FindMarkerBytes(bytes, end);
    }
}

void FinishCutting(CardCutting& c) {
    if (c.longLine || !c.carry.empty()) EndCarriedLine(c, false);
    if (c.inCard) HandCardOver(c);
    c.card.Clear(kKeptUnits);
    c.carry.clear();
    c.inCard = false;
}
