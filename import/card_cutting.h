/* Cutting a file's bytes into lines and lines into cards, as the bytes arrive
 * piece by piece. Exports CardCutting, CutBytes and FinishCutting; the reader
 * feeds them bytes of windows-1251 or UTF-8 (in which the ASCII bytes of line
 * ends and card markers stand for themselves), and each card goes to the sink
 * as its lines decoded to UTF-16. */
#ifndef ZAMO_IMPORT_CARD_CUTTING_H
#define ZAMO_IMPORT_CARD_CUTTING_H

#include <cstddef>
#include <vector>

#include "card_lines.h"
#include "text_decoding.h"
#include "wide_text.h"

/* The longest line piece of a UTF-8 or UTF-16 file; longer lines arrive as
 * several lines. */
constexpr size_t kLinePieceLimit = 32766;

/* Cutting state of one file. `encoding` is Windows1251 or Utf8; `pieceLimit` is
 * kLinePieceLimit for UTF-8 (and UTF-16) files, unlimited for windows-1251 files. */
struct CardCutting {
    using Sink = void (*)(void* context, const CardLines& card);
    Sink sink = nullptr;
    void* context = nullptr;
    TextEncoding encoding = TextEncoding::Windows1251;
    size_t pieceLimit = static_cast<size_t>(-1);

    CardLines card;                    // the card's lines so far, then the line being put together
    bool inCard = false;
    std::vector<unsigned char> carry;  // bytes of a line begun in an earlier piece, not yet decoded
    bool longLine = false;             // the current line is decoded into `card` as it comes
    std::vector<WCHAR> units;          // decoding room for carried bytes
};

/* Takes the next bytes. A line ends at a line feed, which is dropped with a
 * carriage return right before it; a lone carriage return is text. A line
 * longer than `pieceLimit` units is cut into pieces of that length (never
 * between the two halves of a surrogate pair, nor leaving an empty piece). A
 * line containing "BEGIN:VCARD" starts a card, the next line containing
 * "END:VCARD" (or the same one) ends it, unkept; lines outside cards are dropped
 * undecoded. Each card goes to the sink as soon as it ends. */
void CutBytes(CardCutting& cutting, const unsigned char* bytes, size_t size);

/* The end of the file: a last line without line feed counts (a carriage return
 * at its end included), and a card still open goes to the sink with the lines
 * up to here. */
void FinishCutting(CardCutting& cutting);

#endif
