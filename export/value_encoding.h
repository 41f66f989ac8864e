/* Value encoding of the exporter: host text to narrow ANSI text, the backslash
 * escaping of the card's separators, and the note's line-break encoding. Exports
 * ToAnsiText, ReplaceAll, EscapeText, EncodeNoteBreaks, their appending forms,
 * and PutValue, which does a value's whole encoding in one pass into the output
 * (inline for the units that stand for their own bytes, with its helpers in
 * value_encoding_detail). */
#ifndef ZAMO_EXPORT_VALUE_ENCODING_H
#define ZAMO_EXPORT_VALUE_ENCODING_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "output_bytes.h"

/* Converts a NUL-terminated host string to the ANSI code page (best fit; what has
 * no mapping becomes the system's default character), then turns every "|" into
 * an apostrophe, so the result never holds "|". Any length is converted whole.
 * A null pointer counts as the empty text. */
std::string ToAnsiText(const WCHAR* value);

/* ToAnsiText, appended to `out`; what `out` held before is kept. */
void AppendAnsiText(std::string& out, const WCHAR* value);

/* Every occurrence of `pattern` replaced by `replacement`, left to right in one
 * pass (a replacement is never searched again), in time linear in the text.
 * An empty pattern leaves the text unchanged. */
std::string ReplaceAll(std::string_view pattern, std::string_view replacement,
                       std::string_view text);

/* A backslash before every ";", ",", ":" and apostrophe; everything else,
 * backslashes and line breaks included, stays as it is. */
std::string EscapeText(std::string_view text);

/* EscapeText, appended to `out`. */
void AppendEscapedText(std::string& out, std::string_view text);

/* Every line feed becomes "=0D=0A=" and a line feed, so the note goes on at the
 * next line of the file; the empty text and a text that is exactly one line feed
 * stay unchanged. Nothing else is encoded. */
std::string EncodeNoteBreaks(std::string_view text);

/* EscapeText then EncodeNoteBreaks in one pass, appended to `out`. */
void AppendNoteText(std::string& out, std::string_view text);

/* How a card line takes its value: converted only, also escaped, or also with
 * the note's line breaks encoded. */
enum class ValueForm { Text, Escaped, Note };

namespace value_encoding_detail {
/* By ValueForm, the byte that each code unit is written as when it stands for
 * itself, else 0 (NUL, and the units whose byte is replaced); null until the
 * first PutValueFrom, and for code pages that need the system's conversion. */
extern const uint8_t* gPlainBytes[3];

/* Units the inline part of PutValue takes between two checks for room. */
constexpr size_t kPlainRun = 4096;

/* Writes the units from `value` on at `at`, one byte each, while they stand for
 * their own bytes (`plain`), eight at a time, stopping before `end` is passed by
 * a round; returns the first unit not written and moves `at` past the bytes.
 * A unit is read only once the one before it is known not to be the terminator. */
inline const WCHAR* PutPlainUnits(char*& at, const WCHAR* value, const WCHAR* end,
                                  const uint8_t* plain) {
    while (value < end) {
        unsigned k = 0;
        for (uint8_t b; k < 8 && (b = plain[static_cast<uint16_t>(value[k])]) != 0; ++k)
            at[k] = static_cast<char>(b);
        at += k, value += k;
        if (k < 8) break;
    }
    return value;
}

/* PutValue from `rest` on: the inline part wrote `value` up to `rest`, which is
 * `value` itself when that part did not run. */
void PutValueFrom(OutputBytes& out, const WCHAR* value, const WCHAR* rest, ValueForm form);
}  // namespace value_encoding_detail

/* Appends host string `value` (null counts as empty) to `out` as the file holds
 * it: ToAnsiText, then EscapeText (Escaped, Note) and EncodeNoteBreaks (Note),
 * and every line feed of the result written as the file's line end. Inline
 * while the units stand for their own bytes. */
inline void PutValue(OutputBytes& out, const WCHAR* value, ValueForm form) {
    using namespace value_encoding_detail;
    const uint8_t* plain = gPlainBytes[static_cast<int>(form)];
    const WCHAR* rest = value;
    if (plain != nullptr && value != nullptr) {
        char* const start = Room(out, kPlainRun);
        char* at = start;
        rest = PutPlainUnits(at, value, value + (kPlainRun - 7), plain);
        out.size += static_cast<size_t>(at - start);
        if (*rest == 0) return;
    }
    PutValueFrom(out, value, rest, form);
}

#endif
