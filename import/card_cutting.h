/* Cutting decoded text into lines and lines into cards, as the text arrives
 * piece by piece. Exports CardCutting, CutDecodedUnits and FinishCutting; the
 * reader feeds them, and each card goes to the sink as views into buffers that
 * hold only the card being collected: a large card in chunks of whole lines,
 * so it is never copied whole to grow. */
#ifndef ZAMO_IMPORT_CARD_CUTTING_H
#define ZAMO_IMPORT_CARD_CUTTING_H

#include <cstddef>
#include <functional>
#include <vector>

#include "card_lines.h"
#include "wide_text.h"

/* The longest line piece of a UTF-8 or UTF-16 file; longer lines arrive as
 * several lines. */
constexpr size_t kLinePieceLimit = 32766;

/* Cutting state of one file. `pieceLimit` is kLinePieceLimit for UTF-8 and
 * UTF-16 files, unlimited for windows-1251 files. */
struct CardCutting {
    std::function<void(const CardLines&)> sink;
    size_t pieceLimit = kLinePieceLimit;

    std::vector<WCHAR> text;  // the card's latest lines, then the current line
    std::vector<std::vector<WCHAR>> full;  // chunks of the card's earlier lines, each exact
    size_t used = 0;
    size_t lineStart = 0;
    bool pendingCarriageReturn = false;
    bool inCard = false;
    CardLines card;              // the card's lines so far, views into `full` and `text`
    size_t firstInText = 0;      // card[firstInText ...] lie in `text`
};

/* Takes the next decoded units. A line ends at a line feed, which is dropped
 * with a carriage return right before it; a lone carriage return is text. A
 * line longer than `pieceLimit` is cut into pieces of that length (never
 * between the two halves of a surrogate pair, nor leaving an empty piece).
 * A line containing "BEGIN:VCARD" starts a card, the next line containing
 * "END:VCARD" (or the same one) ends it, unkept; lines outside cards are
 * dropped. Each card goes to the sink as soon as it ends. */
void CutDecodedUnits(CardCutting& cutting, const WCHAR* units, size_t count);

/* The end of the file: a last line without line feed counts, and a card still
 * open goes to the sink with the lines up to here. */
void FinishCutting(CardCutting& cutting);

#endif
