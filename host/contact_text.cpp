/* Display helpers (see contact_text.h). */
#include "contact_text.h"

#include <cstdio>

#include "ole_date.h"
#include "utf_text.h"
#include "visible_text.h"

WString JoinName(WStringView first, WStringView middle, WStringView last, WStringView title) {
    WString name;
    for (WStringView part : {first, middle, last}) {
        if (part.empty()) continue;
        if (!name.empty()) name += u' ';
        name += part;
    }
    if (name.empty()) name = title;
    return name;
}

std::string DisplayName(WStringView first, WStringView middle, WStringView last,
                        WStringView title) {
    return VisibleText(JoinName(first, middle, last, title));
}

std::string VisibleText(WStringView text) {
    return VisibleUtf8(text.data(), text.size(), TextEscaping::Terminal);
}

std::string VisibleLines(WStringView text) {
    return VisibleUtf8(text.data(), text.size(), TextEscaping::TerminalLines);
}

std::string JsonText(WStringView text) {
    return "\"" + VisibleUtf8(text.data(), text.size(), TextEscaping::Json) + "\"";
}

std::string TsvField(WStringView text) {
    WString doubled;
    for (WCHAR c : text) {
        doubled += c;
        if (c == u'\\') doubled += c;
    }
    return VisibleText(doubled);
}

namespace {

struct WidthRange {
    char32_t from, to;
    size_t width;
};

// Columns of the characters that do not take one; the rest take one. From the
// Unicode East Asian Width property (W and F) and the combining-mark blocks.
const WidthRange kWidthRanges[] = {
    {0x0300, 0x036F, 0}, {0x0483, 0x0489, 0}, {0x200B, 0x200F, 0}, {0xFE00, 0xFE0F, 0},
    {0x1100, 0x115F, 2}, {0x2E80, 0x303E, 2}, {0x3041, 0x33FF, 2}, {0x3400, 0x4DBF, 2},
    {0x4E00, 0x9FFF, 2}, {0xA000, 0xA4CF, 2}, {0xAC00, 0xD7A3, 2}, {0xF900, 0xFAFF, 2},
    {0xFE30, 0xFE4F, 2}, {0xFF00, 0xFF60, 2}, {0xFFE0, 0xFFE6, 2}, {0x1F300, 0x1F64F, 2},
    {0x1F900, 0x1F9FF, 2}, {0x20000, 0x3FFFD, 2},
};

}  // namespace

size_t DisplayWidth(const std::string& utf8) {
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (i + length > utf8.size()) length = 1;
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        size_t w = 1;
        for (const WidthRange& r : kWidthRanges)
            if (c >= r.from && c <= r.to) w = r.width;
        width += w;
        i += length;
    }
    return width;
}

std::string DateText(double oleDate, bool dateOnlyWhenMidnight, bool isoT) {
    if (OleIsEmptyDate(oleDate)) return "";
    SYSTEMTIME st = OleDateToSystemTime(oleDate);
    if (st.wYear == 0) return "";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
    std::string text = buf;
    if (dateOnlyWhenMidnight && st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0) return text;
    std::snprintf(buf, sizeof buf, "%c%02u:%02u:%02u", isoT ? 'T' : ' ', st.wHour, st.wMinute,
                  st.wSecond);
    return text + buf;
}
