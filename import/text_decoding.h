/* Bytes of a vCard file to UTF-16 code units: UTF-8, UTF-16 little-endian and
 * windows-1251 byte by byte, decoded piece by piece as the file is read.
 * Exports TextEncoding, EncodingAfterMark, DecodeBytes and Windows1251Character. */
#ifndef ZAMO_IMPORT_TEXT_DECODING_H
#define ZAMO_IMPORT_TEXT_DECODING_H

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

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

/* Code page 1251 for every byte, and DecodeBytes' windows-1251 loop itself:
 * in[0, size) into out[0, size), eight ASCII bytes at a time where they come
 * so, else eight through the table. Inline, so that a caller decoding line by
 * line pays no call per line. */
struct Windows1251Units {
    WCHAR of[256];
};
extern const Windows1251Units kWindows1251Units;
inline void DecodeWindows1251(const unsigned char* in, size_t size, WCHAR* out) {
    size_t i = 0;
    while (i < size) {
        for (; i + 8 <= size; i += 8) {  // ASCII is the same in code page 1251
            uint64_t word;
            std::memcpy(&word, in + i, sizeof word);
            if (word & 0x8080808080808080ULL) break;
            for (size_t k = 0; k < 8; ++k) out[i + k] = in[i + k];
        }
        const size_t stop = i + 8 < size ? i + 8 : size;  // then the next eight through the table
        for (; i < stop; ++i) out[i] = kWindows1251Units.of[in[i]];
    }
}

#endif
