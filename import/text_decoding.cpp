/* Byte decoding for the reader (see text_decoding.h): the upper half of code
 * page 1251 as data, the UTF-8 byte ranges of well-formed sequences as data,
 * and the three decoding loops. */
#include "text_decoding.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr WCHAR kReplacement = 0xFFFD;

// Code page 1251, bytes 0x80 to 0xFF; the lower half is ASCII.
constexpr WCHAR kWindows1251Upper[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88-8F
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98-9F
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0-A7
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8-AF
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0-B7
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8-BF
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0-C7
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8-CF
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0-D7
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8-DF
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0-E7
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8-EF
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0-F7
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8-FF
};

// A well-formed UTF-8 lead byte range: how many bytes follow, the range of the
// first of them (the later ones are always 80-BF) and the payload bits of the lead.
struct Utf8Lead {
    unsigned char first, last;
    int trailing;
    unsigned char secondLow, secondHigh;
    unsigned char leadMask;
};
const Utf8Lead kUtf8Leads[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF, 0x1F},
    {0xE0, 0xE0, 2, 0xA0, 0xBF, 0x0F},  // no overlong forms
    {0xE1, 0xEC, 2, 0x80, 0xBF, 0x0F},
    {0xED, 0xED, 2, 0x80, 0x9F, 0x0F},  // no encoded surrogates
    {0xEE, 0xEF, 2, 0x80, 0xBF, 0x0F},
    {0xF0, 0xF0, 3, 0x90, 0xBF, 0x07},  // no overlong forms
    {0xF1, 0xF3, 3, 0x80, 0xBF, 0x07},
    {0xF4, 0xF4, 3, 0x80, 0x8F, 0x07},  // nothing above U+10FFFF
};

const Utf8Lead* LeadOf(unsigned char byte) {
    for (const Utf8Lead& lead : kUtf8Leads)
        if (byte >= lead.first && byte <= lead.last) return &lead;
    return nullptr;
}

void PutCodePoint(unsigned long cp, WCHAR* out, size_t& n) {
    if (cp < 0x10000) {
        out[n++] = static_cast<WCHAR>(cp);
    } else {
        cp -= 0x10000;
        out[n++] = static_cast<WCHAR>(0xD800 + (cp >> 10));
        out[n++] = static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
    }
}

// Copies the leading ASCII of in[i, size) eight bytes at a time, as long as
// all eight are ASCII; the rest is left to the byte-by-byte loop.
void CopyAsciiWords(const unsigned char* in, size_t size, size_t& i, WCHAR* out, size_t& n) {
    while (i + 8 <= size) {
        uint64_t word;
        std::memcpy(&word, in + i, sizeof word);
        if (word & 0x8080808080808080ULL) return;
        for (size_t k = 0; k < 8; ++k) out[n + k] = in[i + k];
        n += 8;
        i += 8;
    }
}

size_t DecodeUtf8(const unsigned char* in, size_t size, bool atEnd, WCHAR* out, size_t& n) {
    size_t i = 0;
    while (i < size) {
        unsigned char byte = in[i];
        if (byte < 0x80) {
            CopyAsciiWords(in, size, i, out, n);
            if (i == size) break;
            byte = in[i];
            if (byte < 0x80) {
                out[n++] = byte;
                ++i;
                continue;
            }
        }
        // Two-byte sequences (Cyrillic, Latin with accents) straight away: the
        // first row of the lead table, whose second byte is any of 80-BF.
        if (byte >= 0xC2 && byte <= 0xDF && i + 1 < size && (in[i + 1] & 0xC0) == 0x80) {
            out[n++] = static_cast<WCHAR>(((byte & 0x1F) << 6) | (in[i + 1] & 0x3F));
            i += 2;
            continue;
        }
        const Utf8Lead* lead = LeadOf(byte);
        if (!lead) {
            out[n++] = kReplacement;
            ++i;
            continue;
        }
        unsigned long cp = byte & lead->leadMask;
        size_t taken = 1;
        bool broken = false;
        for (int k = 0; k < lead->trailing; ++k) {
            if (i + taken == size) {
                if (!atEnd) return i;  // the rest comes with the next piece
                broken = true;
                break;
            }
            unsigned char next = in[i + taken];
            unsigned char low = k == 0 ? lead->secondLow : 0x80;
            unsigned char high = k == 0 ? lead->secondHigh : 0xBF;
            if (next < low || next > high) {
                broken = true;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
            ++taken;
        }
        if (broken) {
            out[n++] = kReplacement;
        } else {
            PutCodePoint(cp, out, n);
        }
        i += taken;
    }
    return i;
}

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

size_t DecodeUtf16Le(const unsigned char* in, size_t size, bool atEnd, WCHAR* out, size_t& n) {
    size_t i = 0;
    while (i + 1 < size) {
        unsigned unit = in[i] | (in[i + 1] << 8);
        if (IsHighSurrogate(unit)) {
            if (i + 3 < size) {
                unsigned next = in[i + 2] | (in[i + 3] << 8);
                if (IsLowSurrogate(next)) {
                    out[n++] = static_cast<WCHAR>(unit);
                    out[n++] = static_cast<WCHAR>(next);
                    i += 4;
                    continue;
                }
            } else if (!atEnd) {
                return i;  // its partner may come with the next piece
            }
            out[n++] = kReplacement;
        } else {
            out[n++] = IsLowSurrogate(unit) ? kReplacement : static_cast<WCHAR>(unit);
        }
        i += 2;
    }
    if (i < size && atEnd) {
        out[n++] = kReplacement;  // an odd last byte
        ++i;
    }
    return i;
}

}  // namespace

namespace {

constexpr Windows1251Units MakeWindows1251Units() {
    Windows1251Units table{};
    for (unsigned byte = 0; byte < 256; ++byte)
        table.of[byte] = byte < 0x80 ? static_cast<WCHAR>(byte) : kWindows1251Upper[byte - 0x80];
    return table;
}

}  // namespace

extern constexpr Windows1251Units kWindows1251Units = MakeWindows1251Units();

WCHAR Windows1251Character(unsigned char byte) { return kWindows1251Units.of[byte]; }

TextEncoding EncodingAfterMark(const unsigned char* start, size_t size, size_t& markLength) {
    if (size >= 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF) {
        markLength = 3;
        return TextEncoding::Utf8;
    }
    if (size >= 2 && start[0] == 0xFF && start[1] == 0xFE) {
        markLength = 2;
        return TextEncoding::Utf16Le;
    }
    markLength = 0;
    return TextEncoding::Utf8;
}

size_t DecodeBytes(TextEncoding encoding, const unsigned char* in, size_t size, bool atEnd,
                   WCHAR* out, size_t& written) {
    written = 0;
    switch (encoding) {
        case TextEncoding::Utf8:
            return DecodeUtf8(in, size, atEnd, out, written);
        case TextEncoding::Utf16Le:
            return DecodeUtf16Le(in, size, atEnd, out, written);
        case TextEncoding::Windows1251:
            break;
    }
    DecodeWindows1251(in, size, out);
    written = size;
    return size;
}
