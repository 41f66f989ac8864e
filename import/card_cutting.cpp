/* Line and card cutting (see card_cutting.h). The buffers only ever hold the
 * card being collected followed by the line being assembled, so they are
 * emptied whenever a card has gone to the sink or a line outside a card is
 * dropped. */
#include "card_cutting.h"

#include <algorithm>

#include "text_search.h"

namespace {

const WStringView kCardStart = TEXT("BEGIN:VCARD");
const WStringView kCardEnd = TEXT("END:VCARD");
// Both markers end so: a line without it holds neither, and searching it
// first (for the rarer "V") spares most lines the two marker searches.
const WStringView kMarkerTail = TEXT("VCARD");
constexpr WCHAR kLineFeed = 0x0A;
constexpr WCHAR kCarriageReturn = 0x0D;

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(WCHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Once the whole lines in the buffer reach half this many units, they become a
// chunk of their own rather than being copied along as the buffer grows.
constexpr size_t kChunkUnits = 1 << 20;

void Restart(CardCutting& c) {
    c.used = 0;
    c.lineStart = 0;
    c.inCard = false;
    c.card.clear();
    c.full.clear();  // the chunks of a large card go with it
    c.firstInText = 0;
}

void HandCardOver(CardCutting& c) {
    c.sink(c.card);
    Restart(c);
}

// The card's lines in `text` now stand at `to` instead of `from` (which still holds them).
void Rebase(CardCutting& c, const WCHAR* from, const WCHAR* to) {
    for (size_t i = c.firstInText; i < c.card.size(); ++i)
        c.card[i] = WStringView(to + (c.card[i].data() - from), c.card[i].size());
}

// Makes room for `more` units after the used ones. Once the whole lines in the
// buffer fill half a chunk, they move to a chunk of their own, cut to size, and
// the buffer starts over with the line being assembled; a buffer that is still
// too small grows to a quarter more than needed.
void MakeRoom(CardCutting& c, size_t more) {
    if (c.used + more <= c.text.size()) return;
    if (c.lineStart >= kChunkUnits / 2) {
        std::vector<WCHAR> whole(c.text.begin(), c.text.begin() + static_cast<long>(c.lineStart));
        Rebase(c, c.text.data(), whole.data());
        c.full.push_back(std::move(whole));
        c.firstInText = c.card.size();
        std::copy(c.text.begin() + static_cast<long>(c.lineStart),
                  c.text.begin() + static_cast<long>(c.used), c.text.begin());
        c.used -= c.lineStart;
        c.lineStart = 0;
        if (c.used + more <= c.text.size()) return;
    }
    const size_t needed = c.used + more;
    std::vector<WCHAR> bigger(needed + needed / 4);
    std::copy(c.text.begin(), c.text.begin() + static_cast<long>(c.used), bigger.begin());
    Rebase(c, c.text.data(), bigger.data());
    c.text.swap(bigger);
}

// The line [lineStart, used) is complete: keep it in the card, end the card or drop it.
void EndLine(CardCutting& c) {
    WStringView text(c.text.data() + c.lineStart, c.used - c.lineStart);
    const bool mayHoldMarker = ContainsText(text, kMarkerTail);
    if (!c.inCard) {
        if (!mayHoldMarker || !ContainsText(text, kCardStart)) {
            c.used = c.lineStart;  // outside any card: dropped
            return;
        }
        c.inCard = true;
        c.card.push_back(text);
        if (ContainsText(text, kCardEnd)) {
            HandCardOver(c);  // both markers: a card of this one line
            return;
        }
    } else if (mayHoldMarker && ContainsText(text, kCardEnd)) {
        HandCardOver(c);  // the end line belongs to no card
        return;
    } else {
        c.card.push_back(text);
    }
    c.lineStart = c.used;
}

// Appends one unit of line text; a full piece is ended first.
void Put(CardCutting& c, WCHAR unit) {
    if (c.used - c.lineStart == c.pieceLimit) {
        WCHAR last = c.text[c.used - 1];
        if (IsHighSurrogate(last) && IsLowSurrogate(unit) && c.pieceLimit > 1) {
            --c.used;  // the pair moves whole to the next piece
            EndLine(c);
            c.text[c.used++] = last;
        } else {
            EndLine(c);
        }
    }
    c.text[c.used++] = unit;
}

// Appends a run of line text, ending full pieces as Put does.
void AppendRun(CardCutting& c, const WCHAR* run, size_t count) {
    while (count > 0) {
        size_t room = c.pieceLimit - (c.used - c.lineStart);
        if (room == 0) {
            Put(c, *run++);
            --count;
            continue;
        }
        size_t take = room < count ? room : count;
        std::copy(run, run + take, c.text.data() + c.used);
        c.used += take;
        run += take;
        count -= take;
    }
}

}  // namespace

void CutDecodedUnits(CardCutting& c, const WCHAR* units, size_t count) {
    // Each unit adds at most two (a carriage return held back, then the unit).
    MakeRoom(c, count + 2);
    if (c.pendingCarriageReturn && count > 0) {
        c.pendingCarriageReturn = false;
        if (units[0] != kLineFeed) Put(c, kCarriageReturn);
    }
    size_t i = 0;
    while (i < count) {
        size_t end = i;
        while (end < count && units[end] != kLineFeed && units[end] != kCarriageReturn) ++end;
        AppendRun(c, units + i, end - i);
        if (end == count) break;
        if (units[end] == kLineFeed) {
            EndLine(c);
            i = end + 1;
        } else if (end + 1 == count) {
            c.pendingCarriageReturn = true;  // its line feed may come with the next units
            break;
        } else if (units[end + 1] == kLineFeed) {
            EndLine(c);
            i = end + 2;
        } else {
            Put(c, kCarriageReturn);
            i = end + 1;
        }
    }
}

void FinishCutting(CardCutting& c) {
    if (c.pendingCarriageReturn) {
        c.pendingCarriageReturn = false;
        MakeRoom(c, 2);
        Put(c, kCarriageReturn);
    }
    if (c.used > c.lineStart) EndLine(c);
    if (c.inCard) HandCardOver(c);
    Restart(c);
}
