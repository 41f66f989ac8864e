/* Value encoding (see value_encoding.h): one code page conversion per value and
 * single-pass, table-driven escaping, so every operation is linear in its text.
 * PutValue writes the units that stand for their own bytes through one table
 * per form, by code unit; every other unit is looked up in the ANSI byte table
 * and its byte in a table of what the file gets for it, straight into the output. */
#include "value_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ansi_byte_table.h"
#include "module_files.h"

namespace {

struct ByteReplacement {
    char byte;
    const char* text;
};

// What the escaping writes in place of a byte of the value.
constexpr ByteReplacement kEscapes[] = {
    {';', "\\;"},
    {',', "\\,"},
    {':', "\\:"},
    {'\'', "\\'"},
};

// The note adds its line-break encoding to the escapes.
constexpr ByteReplacement kNoteBreak = {'\n', "=0D=0A=\n"};

using ReplacementTable = std::array<std::string_view, 256>;

ReplacementTable MakeTable(bool withNoteBreak) {
    ReplacementTable table{};
    for (const ByteReplacement& r : kEscapes)
        table[static_cast<unsigned char>(r.byte)] = r.text;
    if (withNoteBreak) table[static_cast<unsigned char>(kNoteBreak.byte)] = kNoteBreak.text;
    return table;
}

const ReplacementTable& EscapeTable() {
    static const ReplacementTable table = MakeTable(false);
    return table;
}

const ReplacementTable& NoteTable() {
    static const ReplacementTable table = MakeTable(true);
    return table;
}

// Copies runs of plain bytes at once and the replacement of every listed byte.
void AppendReplaced(std::string& out, std::string_view text, const ReplacementTable& table) {
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string_view& replacement = table[static_cast<unsigned char>(text[i])];
        if (replacement.empty()) continue;
        out.append(text.data() + runStart, i - runStart);
        out.append(replacement.data(), replacement.size());
        runStart = i + 1;
    }
    out.append(text.data() + runStart, text.size() - runStart);
}

bool LeftUnchanged(std::string_view text) { return text.empty() || text == "\n"; }

}  // namespace

namespace {

// Appends the text from `value` on, which starts with a unit above ASCII,
// converted through the ANSI code page, "|" turned into an apostrophe.
void AppendConverted(std::string& out, const WCHAR* value) {
    size_t length = 0;
    while (value[length] != 0) ++length;
    const size_t start = out.size();
    // Conversions are far larger than an int holds only for values beyond 2 GB;
    // those are converted in pieces that end on whole UTF-16 code points.
    size_t done = 0;
    while (done < length) {
        size_t piece = std::min<size_t>(length - done, 1u << 28);
        if (done + piece < length && value[done + piece - 1] >= 0xD800 &&
            value[done + piece - 1] <= 0xDBFF)
            --piece;
        const WCHAR* wide = value + done;
        const int wideCount = static_cast<int>(piece);
        // Single-byte code pages need one byte per unit: try that first, so the
        // usual value costs one conversion call; ask the size only when it failed.
        size_t at = out.size();
        out.resize(at + piece);
        int written = WideCharToMultiByte(CP_ACP, 0, wide, wideCount, &out[at],
                                          wideCount, nullptr, nullptr);
        if (written <= 0) {
            int needed = WideCharToMultiByte(CP_ACP, 0, wide, wideCount, nullptr, 0, nullptr,
                                             nullptr);
            if (needed <= 0) {
                out.resize(at);
                done += piece;
                continue;
            }
            out.resize(at + static_cast<size_t>(needed));
            written = WideCharToMultiByte(CP_ACP, 0, wide, wideCount, &out[at], needed,
                                          nullptr, nullptr);
            if (written < 0) written = 0;
        }
        out.resize(at + static_cast<size_t>(written));
        done += piece;
    }
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '|', '\'');
}

}  // namespace

void AppendAnsiText(std::string& out, const WCHAR* value) {
    if (value == nullptr) return;
    // Every ANSI code page keeps ASCII as it is: the leading ASCII is copied
    // through a small buffer, "|" turned into an apostrophe, without a
    // conversion call; the rest, from the first unit above ASCII, is converted.
    char ascii[256];
    for (;;) {
        size_t n = 0;
        for (WCHAR unit; n < sizeof ascii && (unit = value[n]) != 0 && unit < 0x80; ++n)
            ascii[n] = unit == u'|' ? '\'' : static_cast<char>(unit);
        out.append(ascii, n);
        value += n;
        if (*value == 0) return;
        if (n < sizeof ascii) break;
    }
    AppendConverted(out, value);
}

std::string ToAnsiText(const WCHAR* value) {
    std::string out;
    AppendAnsiText(out, value);
    return out;
}

std::string ReplaceAll(std::string_view pattern, std::string_view replacement,
                       std::string_view text) {
    if (pattern.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t hit = text.find(pattern); hit != std::string_view::npos;
         hit = text.find(pattern, from)) {
        out.append(text.data() + from, hit - from);
        out.append(replacement.data(), replacement.size());
        from = hit + pattern.size();
    }
    out.append(text.data() + from, text.size() - from);
    return out;
}

void AppendEscapedText(std::string& out, std::string_view text) {
    AppendReplaced(out, text, EscapeTable());
}

std::string EscapeText(std::string_view text) {
    std::string out;
    AppendEscapedText(out, text);
    return out;
}

std::string EncodeNoteBreaks(std::string_view text) {
    if (LeftUnchanged(text)) return std::string(text);
    static const ReplacementTable breaks = [] {
        ReplacementTable table{};
        table[static_cast<unsigned char>(kNoteBreak.byte)] = kNoteBreak.text;
        return table;
    }();
    std::string out;
    AppendReplaced(out, text, breaks);
    return out;
}

void AppendNoteText(std::string& out, std::string_view text) {
    if (LeftUnchanged(text)) {
        out.append(text.data(), text.size());
        return;
    }
    AppendReplaced(out, text, NoteTable());
}

namespace {

// What the file gets for one byte of a converted value: at most 15 bytes.
struct ByteText {
    char text[15];
    uint8_t length;
};
static_assert(sizeof(ByteText) == 16, "one byte's text is copied as 16 bytes");
using ByteTexts = std::array<ByteText, 256>;

void SetText(ByteText& entry, std::string_view text) {
    const std::string_view lineEnd = OutputLineEnd();
    std::string bytes;
    for (char c : text) bytes += c == '\n' ? std::string(lineEnd) : std::string(1, c);
    std::memcpy(entry.text, bytes.data(), std::min(bytes.size(), sizeof entry.text));
    entry.length = static_cast<uint8_t>(bytes.size());
}

ByteTexts MakeByteTexts(ValueForm form) {
    ByteTexts texts{};
    for (unsigned b = 0; b < 256; ++b) SetText(texts[b], std::string(1, static_cast<char>(b)));
    SetText(texts['|'], "'");
    if (form != ValueForm::Text) {
        for (const ByteReplacement& r : kEscapes)
            SetText(texts[static_cast<unsigned char>(r.byte)], r.text);
        texts['|'] = texts['\''];
    }
    if (form == ValueForm::Note)
        SetText(texts[static_cast<unsigned char>(kNoteBreak.byte)], kNoteBreak.text);
    return texts;
}

// How one form writes values: the text of every byte, and for every code unit
// the byte that stands for it when that byte is written as itself, else 0
// (NUL, and the units whose byte is replaced).
struct FormEncoding {
    ByteTexts texts;
    std::vector<uint8_t> plain;  // by code unit; empty without the ANSI byte table
};

// The ANSI byte table (null when the code page needs the system's conversion)
// and the three forms, by ValueForm.
struct Encoding {
    const uint8_t* ansi;
    FormEncoding forms[3];
};

Encoding MakeEncoding() {
    Encoding encoding{AnsiByteTable(),
                      {{MakeByteTexts(ValueForm::Text), {}},
                       {MakeByteTexts(ValueForm::Escaped), {}},
                       {MakeByteTexts(ValueForm::Note), {}}}};
    if (encoding.ansi == nullptr) return encoding;
    uint8_t plainBytes[3][256] = {};
    for (int f = 0; f < 3; ++f) {
        for (unsigned b = 1; b < 256; ++b) {
            const ByteText& text = encoding.forms[f].texts[b];
            if (text.length == 1 && static_cast<uint8_t>(text.text[0]) == b)
                plainBytes[f][b] = static_cast<uint8_t>(b);
        }
        encoding.forms[f].plain.resize(0x10000);
    }
    uint8_t* plain[3] = {encoding.forms[0].plain.data(), encoding.forms[1].plain.data(),
                         encoding.forms[2].plain.data()};
    for (uint32_t unit = 1; unit < 0x10000; ++unit) {
        const uint8_t b = encoding.ansi[unit];
        for (int f = 0; f < 3; ++f) plain[f][unit] = plainBytes[f][b];
    }
    return encoding;
}

// Units or bytes taken between two checks for room: each writes at most 16.
constexpr size_t kChunk = 4096;
constexpr size_t kChunkRoom = kChunk * sizeof(ByteText);

// Writes the text of `unit` at `at` (which has room for 16 bytes) and returns
// the end of it.
inline char* PutUnit(char* at, WCHAR unit, const uint8_t* ansi, const ByteTexts& texts) {
    const ByteText& text = texts[ansi[static_cast<uint16_t>(unit)]];
    std::memcpy(at, &text, sizeof text);
    return at + text.length;
}

// Writes the units of `value` up to its terminator: those that stand for
// their own bytes as PutValue does inline, every other through its byte's text.
void PutUnits(OutputBytes& out, const WCHAR* value, const uint8_t* ansi, const FormEncoding& form) {
    const uint8_t* plain = form.plain.data();
    for (;;) {
        char* const start = Room(out, kChunkRoom);
        char* at = start;
        // A round of plain units takes at most eight, so a chunk takes at most kChunk.
        const WCHAR* const end = value + (kChunk - 8);
        while (value < end) {
            value = value_encoding_detail::PutPlainUnits(at, value, end, plain);
            if (value >= end) break;
            if (*value == 0) {
                out.size += static_cast<size_t>(at - start);
                return;
            }
            at = PutUnit(at, *value++, ansi, form.texts);
        }
        out.size += static_cast<size_t>(at - start);
    }
}

void PutBytes(OutputBytes& out, std::string_view bytes, const ByteTexts& texts) {
    while (!bytes.empty()) {
        const size_t count = std::min(bytes.size(), kChunk);
        char* const start = Room(out, kChunkRoom);
        char* at = start;
        for (size_t n = 0; n < count; ++n) {
            const ByteText& text = texts[static_cast<unsigned char>(bytes[n])];
            std::memcpy(at, &text, sizeof text);
            at += text.length;
        }
        out.size += static_cast<size_t>(at - start);
        bytes.remove_prefix(count);
    }
}

}  // namespace

namespace value_encoding_detail {

const uint8_t* gPlainBytes[3] = {};

void PutValueFrom(OutputBytes& out, const WCHAR* value, const WCHAR* rest, ValueForm form) {
    static const Encoding encoding = [] {
        Encoding made = MakeEncoding();
        for (int f = 0; f < 3; ++f)
            gPlainBytes[f] = made.ansi ? made.forms[f].plain.data() : nullptr;
        return made;
    }();
    if (value == nullptr) return;
    const uint8_t* ansi = encoding.ansi;
    // The note leaves a value that converts to exactly one line feed unencoded.
    if (ansi == nullptr) {
        const std::string converted = ToAnsiText(value);
        if (form == ValueForm::Note && converted == "\n") form = ValueForm::Text;
        PutBytes(out, converted, encoding.forms[static_cast<int>(form)].texts);
        return;
    }
    if (form == ValueForm::Note && rest == value && value[0] != 0 && value[1] == 0 &&
        ansi[static_cast<uint16_t>(value[0])] == '\n')
        form = ValueForm::Text;
    PutUnits(out, rest, ansi, encoding.forms[static_cast<int>(form)]);
}

}  // namespace value_encoding_detail
