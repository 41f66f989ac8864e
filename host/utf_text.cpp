/* UTF-8 and UTF-16 conversions and JSON quoting (see utf_text.h). */
#include "utf_text.h"

#include <cstdint>
#include <cstdio>

#include "visible_text.h"

bool Utf8ToWide(std::string_view text, WString* out) {
    out->clear();
    out->reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t cp;
        size_t extra;
        if (b < 0x80) {
            cp = b;
            extra = 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1F;
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0F;
            extra = 2;
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (extra && i + extra >= text.size()) return false;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out->push_back(static_cast<WCHAR>(0xD800 + (cp >> 10)));
            out->push_back(static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
        } else {
            out->push_back(static_cast<WCHAR>(cp));
        }
        i += extra + 1;
    }
    return true;
}

std::string WideToUtf8(WStringView text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string JsonString(std::string_view utf8) {
    WString wide;
    if (!Utf8ToWide(utf8, &wide)) wide.assign(1, u'\uFFFD');
    std::string quoted = "\"";
    quoted += VisibleUtf8(wide.data(), wide.size(), TextEscaping::Json);
    quoted += '"';
    return quoted;
}
