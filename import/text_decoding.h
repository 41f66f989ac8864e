/* Bytes of a vCard file to UTF-16 code units: UTF-8, UTF-16 little-endian and
 * windows-1251 byte by byte, decoded piece by piece as the file is read.
 * Exports TextEncoding, EncodingAfterMark, DecodeBytes and Windows1251Character. */
#ifndef ZAMO_IMPORT_TEXT_DECODING_H
#define ZAMO_IMPORT_TEXT_DECODING_H

#include <windows.h>

#include <cstddef>

enum class TextEncoding { Utf8, Utf16Le, Windows1251 };

/* The character code page 1251 gives `byte`; the one unassigned byte, 0x98,
 * gives U+0098, so no byte is lost. */
WCHAR Windows1251Character(unsigned char byte);

/* For a file not labelled windows-1251: UTF-16LE when it opens with FF FE, else
 * UTF-8; `markLength` is the length of the byte-order mark to skip (EF BB BF or
 * FF FE), 0 without one. `start` holds the file's first `size` bytes. */
TextEncoding EncodingAfterMark(const unsigned char* start, size_t size, size_t& markLength);

/* Decodes in[0, size) into out, which has room for `size` + 1 units; sets
 * `written` and returns the bytes consumed. Unless `atEnd`, an incomplete
 * sequence at the end (at most three bytes) is left for the next call; at the
 * end it becomes U+FFFD. Invalid UTF-8 (each maximal bad subpart), encoded or
 * unpaired surrogates and an odd last byte of UTF-16 become U+FFFD. */
size_t DecodeBytes(TextEncoding encoding, const unsigned char* in, size_t size, bool atEnd,
                   WCHAR* out, size_t& written);

#endif
