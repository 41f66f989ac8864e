/* Text from a card made safe for a terminal or a JSON document: control and
 * bidirectional-override characters written as escapes, so that no card can
 * move the cursor, set the clipboard or reorder a line. Header-only, shared by
 * the zamo program and the Win32 subset's terminal prompt. Exports VisibleUtf8 and AppendUtf8. */
#ifndef ZAMO_COMMON_VISIBLE_TEXT_H
#define ZAMO_COMMON_VISIBLE_TEXT_H

#include <cstddef>
#include <cstdint>
#include <string>

enum class TextEscaping {
    Terminal,  // \n \r \t, \xNN for other controls below U+0100, \uNNNN for bidi controls
    TerminalLines,  // as Terminal, but a line feed stays a line break (message texts)
    Json,      // the body of a JSON string: also " and \, and \u00NN for the controls
};

/* Characters that are escaped: C0 (U+0000-U+001F), DEL and C1 (U+007F-U+009F),
 * the marks and overrides that change the direction of text (U+061C, U+200E,
 * U+200F, U+202A-U+202E, U+2066-U+2069). */
inline bool IsHiddenControl(uint32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x061C || cp == 0x200E ||
           cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

/* Appends the UTF-8 form of one code point (at most U+10FFFF, no surrogate). */
inline void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

/* UTF-8 of `length` UTF-16 units with the hidden controls escaped as `how` says;
 * an unpaired surrogate becomes U+FFFD. Everything else passes unchanged. */
template <typename Unit>
std::string VisibleUtf8(const Unit* text, size_t length, TextEscaping how) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint32_t cp = static_cast<uint16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length &&
            static_cast<uint16_t>(text[i + 1]) >= 0xDC00 &&
            static_cast<uint16_t>(text[i + 1]) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint16_t>(text[++i]) - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (how == TextEscaping::Json && (cp == '"' || cp == '\\')) {
            out += '\\';
            out += static_cast<char>(cp);
            continue;
        }
        if (IsHiddenControl(cp)) {
            if (cp == '\n') { out += how == TextEscaping::TerminalLines ? "\n" : "\\n"; continue; }
            if (cp == '\r') { out += "\\r"; continue; }
            if (cp == '\t') { out += "\\t"; continue; }
            bool shortForm = how != TextEscaping::Json && cp < 0x100;
            out += shortForm ? "\\x" : "\\u";
            for (int shift = shortForm ? 4 : 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xF];
            continue;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

#endif
