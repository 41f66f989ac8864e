/* Code page conversion of the subset: windows-1251 (CP_ACP, 1251) with best fit
 * and default character, and UTF-8 (CP_UTF8) with U+FFFD for ill-formed input.
 * Exports WideCharToMultiByte and MultiByteToWideChar with Win32 semantics. */
#include <windows.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "codepage_tables.h"

namespace {

enum class CodePageKind { Windows1251, Utf8, Unsupported };

CodePageKind KindOf(UINT codePage) {
    if (codePage == CP_ACP || codePage == 1251) return CodePageKind::Windows1251;
    if (codePage == CP_UTF8) return CodePageKind::Utf8;
    return CodePageKind::Unsupported;
}

constexpr uint16_t kNoByte = 0xFFFF;
constexpr uint16_t kBestFitBit = 0x100;

// For every UTF-16 unit: its windows-1251 byte, with kBestFitBit when the byte
// is only a best fit, or kNoByte. Built once; lookups keep conversion linear.
const uint16_t* WideTo1251() {
    static const std::vector<uint16_t> table = [] {
        std::vector<uint16_t> t(0x10000, kNoByte);
        for (size_t i = 0; i < kBestFit1251Count; ++i)
            t[kBestFit1251[i].wide] = static_cast<uint8_t>(kBestFit1251[i].narrow) | kBestFitBit;
        for (size_t r = 0; r < kBestFitRanges1251Count; ++r) {
            const BestFitRange& range = kBestFitRanges1251[r];
            for (uint32_t w = range.firstWide; w <= range.lastWide; ++w)
                t[w] = static_cast<uint16_t>((range.firstNarrow + (w - range.firstWide)) | kBestFitBit);
        }
        for (uint16_t b = 0; b < 0x80; ++b) t[b] = b;
        for (uint16_t b = 0x80; b < 0x100; ++b) t[kCodePage1251UpperHalf[b - 0x80]] = b;
        return t;
    }();
    return table.data();
}

size_t WideLength(const WCHAR* text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

size_t NarrowLength(const char* text) {
    size_t n = 0;
    while (text[n] != 0) ++n;
    return n;
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Converts or counts (out == null); returns the byte count or -1 after SetLastError.
long long WideTo1251Bytes(const WCHAR* in, size_t n, char* out, size_t cap, DWORD flags,
                          const char* defaultChar, BOOL* usedDefault) {
    const uint16_t* table = WideTo1251();
    const bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
    const char fallback = defaultChar ? defaultChar[0] : '?';
    bool used = false;
    size_t written = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint16_t entry = table[in[i]];
        char byte;
        if (entry != kNoByte && (bestFit || (entry & kBestFitBit) == 0)) {
            byte = static_cast<char>(entry & 0xFF);
        } else {
            byte = fallback;
            used = true;
            // Single-byte code pages convert unit by unit: each half of a
            // surrogate pair gets its own default character, as on Windows.
        }
        if (out) {
            if (written >= cap) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return -1;
            }
            out[written] = byte;
        }
        ++written;
    }
    if (usedDefault) *usedDefault = used ? TRUE : FALSE;
    return static_cast<long long>(written);
}

long long WideToUtf8Bytes(const WCHAR* in, size_t n, char* out, size_t cap, DWORD flags) {
    const bool strict = (flags & WC_ERR_INVALID_CHARS) != 0;
    size_t written = 0;
    for (size_t i = 0; i < n; ++i) {
        uint32_t cp = in[i];
        if (IsHighSurrogate(cp) && i + 1 < n && IsLowSurrogate(in[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00u);
            ++i;
        } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
            if (strict) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return -1;
            }
            cp = 0xFFFD;
        }
        uint8_t bytes[4];
        size_t count;
        if (cp < 0x80) {
            bytes[0] = static_cast<uint8_t>(cp);
            count = 1;
        } else if (cp < 0x800) {
            bytes[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
            bytes[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            count = 2;
        } else if (cp < 0x10000) {
            bytes[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
            bytes[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            bytes[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            count = 3;
        } else {
            bytes[0] = static_cast<uint8_t>(0xF0 | (cp >> 18));
            bytes[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
            bytes[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
            bytes[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
            count = 4;
        }
        if (out) {
            if (cap - written < count) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return -1;
            }
            for (size_t k = 0; k < count; ++k) out[written + k] = static_cast<char>(bytes[k]);
        }
        written += count;
    }
    return static_cast<long long>(written);
}

// Appends up to two UTF-16 units; false (after SetLastError) when out is full.
bool PutWide(WCHAR* out, size_t cap, size_t& written, uint32_t cp) {
    const size_t count = cp >= 0x10000 ? 2 : 1;
    if (out) {
        if (cap - written < count) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        if (count == 2) {
            out[written] = static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10));
            out[written + 1] = static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out[written] = static_cast<WCHAR>(cp);
        }
    }
    written += count;
    return true;
}

long long BytesFrom1251ToWide(const char* in, size_t n, WCHAR* out, size_t cap) {
    size_t written = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = static_cast<uint8_t>(in[i]);
        const uint32_t wide = b < 0x80 ? b : kCodePage1251UpperHalf[b - 0x80];
        if (!PutWide(out, cap, written, wide)) return -1;
    }
    return static_cast<long long>(written);
}

// Well-formed UTF-8 byte sequences: the lead byte's length and the range of
// its first continuation byte; other continuation bytes are 0x80..0xBF.
struct Utf8Lead {
    uint8_t length;
    uint8_t secondLow;
    uint8_t secondHigh;
};

Utf8Lead LeadOf(uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Each maximal ill-formed subpart becomes one U+FFFD (or fails when strict).
long long Utf8BytesToWide(const char* text, size_t n, WCHAR* out, size_t cap, DWORD flags) {
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    const uint8_t* in = reinterpret_cast<const uint8_t*>(text);
    size_t written = 0;
    size_t i = 0;
    while (i < n) {
        const uint8_t b = in[i];
        if (b < 0x80) {
            if (!PutWide(out, cap, written, b)) return -1;
            ++i;
            continue;
        }
        const Utf8Lead lead = LeadOf(b);
        size_t taken = 1;
        bool complete = lead.length != 0;
        uint32_t cp = lead.length == 2 ? (b & 0x1F) : lead.length == 3 ? (b & 0x0F) : (b & 0x07);
        for (size_t k = 1; complete && k < lead.length; ++k) {
            const uint8_t low = k == 1 ? lead.secondLow : 0x80;
            const uint8_t high = k == 1 ? lead.secondHigh : 0xBF;
            if (i + k >= n || in[i + k] < low || in[i + k] > high) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (in[i + k] & 0x3F);
            ++taken;
        }
        if (!complete) {
            if (strict) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return -1;
            }
            cp = 0xFFFD;
        }
        if (!PutWide(out, cap, written, cp)) return -1;
        i += taken;
    }
    return static_cast<long long>(written);
}

int Finish(long long count) {
    if (count < 0) return 0;
    if (count > INT_MAX) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(count);
}

}  // namespace

extern "C" {

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount,
                               LPSTR narrow, int narrowSize, LPCCH defaultChar,
                               LPBOOL usedDefaultChar) {
    if (!wide || wideCount == 0 || wideCount < -1 || narrowSize < 0 || (narrowSize > 0 && !narrow)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = wideCount == -1 ? WideLength(wide) + 1 : static_cast<size_t>(wideCount);
    char* out = narrowSize > 0 ? narrow : nullptr;
    const size_t cap = static_cast<size_t>(narrowSize);
    switch (KindOf(codePage)) {
    case CodePageKind::Windows1251:
        if (flags & ~static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        return Finish(WideTo1251Bytes(wide, n, out, cap, flags, defaultChar, usedDefaultChar));
    case CodePageKind::Utf8:
        if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        if (defaultChar || usedDefaultChar) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        return Finish(WideToUtf8Bytes(wide, n, out, cap, flags));
    case CodePageKind::Unsupported:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH narrow, int narrowCount,
                               LPWSTR wide, int wideSize) {
    if (!narrow || narrowCount == 0 || narrowCount < -1 || wideSize < 0 || (wideSize > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = narrowCount == -1 ? NarrowLength(narrow) + 1 : static_cast<size_t>(narrowCount);
    WCHAR* out = wideSize > 0 ? wide : nullptr;
    const size_t cap = static_cast<size_t>(wideSize);
    switch (KindOf(codePage)) {
    case CodePageKind::Windows1251:
        if (flags & ~static_cast<DWORD>(MB_PRECOMPOSED | MB_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        return Finish(BytesFrom1251ToWide(narrow, n, out, cap));
    case CodePageKind::Utf8:
        if (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        return Finish(Utf8BytesToWide(narrow, n, out, cap, flags));
    case CodePageKind::Unsupported:
        break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

}  // extern "C"
