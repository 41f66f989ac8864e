// Value encoding: conversion to windows-1251 with the bar turned into an
// apostrophe, the escaping of the card's separators, the note's line breaks, and
// the left-to-right replacement they rest on, including values far beyond
// 32,767 bytes; and the one-pass encoding straight into the output, which must
// give what those steps give.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "module_files.h"
#include "value_encoding.h"
#include "wide_text.h"

namespace {

// Byte values from the windows-1251 code page table: А C0, н ED, а E0, Ё A8,
// № B9, € 88, я FF; U+4E2D has no mapping and becomes the default character "?".
TEST(ToAnsiText, ConvertsToWindows1251AndTurnsBarsIntoApostrophes) {
    struct Case {
        WString value;
        std::string expected;
        const char* why;
    } cases[] = {
        {TEXT(""), "", "the empty value stays empty"},
        {TEXT("Anna"), "Anna", "ASCII passes unchanged"},
        {TEXT("Анна"), "\xC0\xED\xED\xE0", "Cyrillic letters from the code page table"},
        {TEXT("Ёж №5 €"), "\xA8\xE6 \xB9" "5 \x88", "Ё, № and the euro sign have 1251 bytes"},
        {TEXT("я"), "\xFF", "the last letter of the table"},
        {TEXT("x|y"), "x'y", "a bar becomes an apostrophe"},
        {TEXT("O'Neil"), "O'Neil", "an apostrophe stays"},
        {TEXT("||'"), "'''", "bars and apostrophes all come out as apostrophes"},
        {TEXT("a\nb\r\n"), "a\nb\r\n", "line breaks pass raw"},
        {TEXT("\u4E2D"), "?", "a character without mapping becomes the default character"},
        {TEXT("a;b,c:d\\e"), "a;b,c:d\\e", "conversion alone escapes nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ToAnsiText(c.value.c_str()), c.expected);
    }
}

TEST(ToAnsiText, NullCountsAsEmpty) { EXPECT_EQ(ToAnsiText(nullptr), ""); }

TEST(ToAnsiText, AppendingKeepsWhatTheBufferHeld) {
    std::string line = "ORG;CHARSET=windows-1251:";
    AppendAnsiText(line, TEXT("Лес|"));
    EXPECT_EQ(line, "ORG;CHARSET=windows-1251:\xCB\xE5\xF1'");
}

TEST(ToAnsiText, ConvertsValuesBeyondTheLineBufferWhole) {
    struct Case {
        size_t units;
        const char* why;
    } cases[] = {
        {32766, "the most a 32,767-byte buffer held with its terminator"},
        {32767, "one more than that buffer held"},
        {100000, "three times the buffer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        WString wide(c.units, TEXT('\u0416'));  // Ж is C6 in windows-1251
        wide.back() = TEXT('|');
        std::string narrow = ToAnsiText(wide.c_str());
        ASSERT_EQ(narrow.size(), c.units);
        EXPECT_EQ(narrow.find_first_not_of('\xC6'), c.units - 1);
        EXPECT_EQ(narrow.back(), '\'');
    }
}

TEST(EscapeText, PutsABackslashBeforeSeparatorsAndApostrophes) {
    struct Case {
        std::string text;
        std::string expected;
        const char* why;
    } cases[] = {
        {"a;b,c:d'e", "a\\;b\\,c\\:d\\'e", "each of the four characters escaped"},
        {"C:\\dir", "C\\:\\dir", "the colon escaped, the backslash not doubled"},
        {"", "", "the empty text stays empty"},
        {"\n", "\n", "a single line feed stays"},
        {"one\r\ntwo", "one\r\ntwo", "line breaks stay raw"},
        {";;", "\\;\\;", "every occurrence, not only the first"},
        {"Lee, Smith & Co", "Lee\\, Smith & Co", "other punctuation untouched"},
        {"\\;", "\\\\;", "a backslash already there is not read as an escape"},
        {"\xC0:\xFF", "\xC0\\:\xFF", "bytes of 0x80 and above pass"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(EscapeText(c.text), c.expected);
    }
}

TEST(EncodeNoteBreaks, EncodesEveryLineFeed) {
    struct Case {
        std::string text;
        std::string expected;
        const char* why;
    } cases[] = {
        {"one\ntwo", "one=0D=0A=\ntwo", "the note goes on at the next line"},
        {"one\r\ntwo", "one\r=0D=0A=\ntwo", "a carriage return stays before the encoding"},
        {"", "", "the empty note stays empty"},
        {"\n", "\n", "exactly one line feed stays unchanged"},
        {"\n\n", "=0D=0A=\n=0D=0A=\n", "two line feeds are both encoded"},
        {"end\n", "end=0D=0A=\n", "a trailing line feed is encoded too"},
        {"a=b \xE0", "a=b \xE0", "no other quoted-printable encoding"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(EncodeNoteBreaks(c.text), c.expected);
    }
}

TEST(AppendNoteText, EscapesAndEncodesInOnePass) {
    struct Case {
        std::string text;
        std::string expected;
        const char* why;
    } cases[] = {
        {"a;b\nc:d", "a\\;b=0D=0A=\nc\\:d", "escapes and breaks together"},
        {"\n", "\n", "a single line feed stays"},
        {"", "", "the empty note adds nothing"},
        {"it's\r\n", "it\\'s\r=0D=0A=\n", "apostrophe escaped, CR kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::string out = "NOTE:";
        AppendNoteText(out, c.text);
        EXPECT_EQ(out, "NOTE:" + c.expected);
        // The same as the two steps one after the other.
        EXPECT_EQ(EncodeNoteBreaks(EscapeText(c.text)), c.expected);
    }
}

TEST(ReplaceAll, ReplacesLeftToRightWithoutSearchingReplacements) {
    struct Case {
        std::string pattern, replacement, text, expected;
        const char* why;
    } cases[] = {
        {"'", "|", "a'b'c", "a|b|c", "every occurrence of a single character"},
        {"|", "\\'", "||", "\\'\\'", "a replacement longer than its pattern"},
        {"'", "", "O'Ne'il", "ONeil", "a pattern removed"},
        {"x", "y", "", "", "the empty text"},
        {"x", "y", "abc", "abc", "no occurrence"},
        {"", "y", "abc", "abc", "an empty pattern changes nothing"},
        {"a", "aa", "aba", "aabaa", "a replacement holding its pattern is not searched again"},
        {"ab", "-", "aabab", "a--", "longer patterns left to right"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(ReplaceAll(c.pattern, c.replacement, c.text), c.expected);
    }
}

TEST(EncodeNoteBreaks, HandlesAMillionLineFeeds) {
    // 10 MB with a line feed every ten bytes: each feed grows by 7 bytes
    // ("=0D=0A="), so the result is 10 MB + 7 MB.
    const size_t lines = 1000000;
    std::string text;
    for (size_t i = 0; i < lines; ++i) text += "123456789\n";
    std::string encoded = EncodeNoteBreaks(EscapeText(text));
    ASSERT_EQ(encoded.size(), text.size() + 7 * lines);
    EXPECT_EQ(encoded.substr(0, 17), "123456789=0D=0A=\n");
    EXPECT_EQ(encoded.substr(encoded.size() - 17), "123456789=0D=0A=\n");
}

// The steps one after the other, as the file gets them: conversion through
// WideCharToMultiByte, escaping, the note's breaks, and line feeds as line ends.
std::string StepByStep(const WString& value, ValueForm form) {
    std::string text = ToAnsiText(value.c_str());
    if (form != ValueForm::Text) text = EscapeText(text);
    if (form == ValueForm::Note) text = EncodeNoteBreaks(text);
    return ReplaceAll("\n", OutputLineEnd(), text);
}

// The value's code units in hex, for a failure message.
std::string Units(const WString& value) {
    std::string units;
    char hex[8];
    for (WCHAR unit : value) {
        std::snprintf(hex, sizeof hex, "%04X ", static_cast<unsigned>(unit));
        units += hex;
    }
    return units;
}

std::string InOnePass(const WString& value, ValueForm form) {
    OutputBytes out;
    Put(out, "x", 1);  // what the line held before is kept
    PutValue(out, value.c_str(), form);
    return std::string(out.data.get() + 1, out.size - 1);
}

TEST(PutValue, GivesWhatTheStepsGiveForEveryUnitAndRandomTexts) {
    const ValueForm forms[] = {ValueForm::Text, ValueForm::Escaped, ValueForm::Note};
    const char* formNames[] = {"text", "escaped", "note"};
    // Every code unit alone, surrogate halves included.
    for (uint32_t unit = 1; unit <= 0xFFFF; ++unit) {
        const WString value(1, static_cast<WCHAR>(unit));
        for (int f = 0; f < 3; ++f) {
            if (InOnePass(value, forms[f]) == StepByStep(value, forms[f])) continue;
            ADD_FAILURE() << "unit U+" << std::hex << unit << ", " << formNames[f];
        }
    }
    // Random texts: separators, bars, line breaks, Cyrillic, best-fit and
    // unmapped characters, paired and lone surrogates, any unit; up to three
    // times the 4,096 units converted between two checks for room.
    const WCHAR pool[] = {TEXT(';'),      TEXT(','),      TEXT(':'),      TEXT('\''),
                          TEXT('|'),      TEXT('\n'),     TEXT('\r'),     TEXT('\\'),
                          TEXT('a'),      TEXT('='),      TEXT('\u0416'), TEXT('\u044F'),
                          TEXT('\u2116'), TEXT('\u20AC'), TEXT('\uFF1B'), TEXT('\uFF5C'),
                          TEXT('\u4E2D'), TEXT('\u00E9'), static_cast<WCHAR>(0xD83D),
                          static_cast<WCHAR>(0xDE00)};
    uint64_t seed = 20261207;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(seed >> 33);
    };
    for (int round = 0; round < 3000; ++round) {
        const size_t length = round % 100 == 0 ? next() % 12288 : next() % 40;
        WString value;
        for (size_t i = 0; i < length; ++i) {
            const uint32_t pick = next() % 24;
            value += pick < 20 ? pool[pick] : static_cast<WCHAR>(next() % 0xFFFF + 1);
        }
        for (int f = 0; f < 3; ++f) {
            if (InOnePass(value, forms[f]) == StepByStep(value, forms[f])) continue;
            ADD_FAILURE() << "round " << round << " (" << length << " units), "
                          << formNames[f] << ": " << Units(value);
        }
    }
}

// The units written as their own byte are taken four at a time, and a unit is
// read only once the one before it is known not to end the text: every length
// up to 40 at every start in a 16-byte block, the terminator at the very end of
// the buffer, mixes of plain ASCII, Cyrillic, separators, bars, line breaks and
// units without a mapping.
TEST(PutValue, GivesWhatTheStepsGiveAtEveryLengthAndStart) {
    const ValueForm forms[] = {ValueForm::Text, ValueForm::Escaped, ValueForm::Note};
    const char* formNames[] = {"text", "escaped", "note"};
    const WCHAR pool[] = {TEXT('a'),      TEXT('Z'),      TEXT('5'),      TEXT(' '),
                          TEXT('\u0416'), TEXT('\u044F'), TEXT('\u0401'), TEXT(';'),
                          TEXT(','),      TEXT(':'),      TEXT('\''),     TEXT('|'),
                          TEXT('\n'),     TEXT('\r'),     TEXT('\u4E2D'), TEXT('\uFF1B')};
    uint64_t seed = 20261208;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(seed >> 33);
    };
    for (size_t length = 0; length <= 40; ++length) {
        for (size_t start = 0; start < 8; ++start) {
            for (int round = 0; round < 4; ++round) {
                // Mostly plain units in the first rounds, mostly others in the last.
                WString value;
                for (size_t i = 0; i < length; ++i) {
                    const uint32_t pick = next() % 16;
                    value += pool[round < 2 && pick >= 7 ? pick % 7 : pick];
                }
                // The text placed `start` units into a 16-byte aligned block (the
                // allocator aligns to 16), its terminator the last unit of the buffer.
                std::unique_ptr<WCHAR[]> buffer(new WCHAR[start + length + 1]);
                std::copy(value.begin(), value.end(), buffer.get() + start);
                buffer[start + length] = 0;
                for (int f = 0; f < 3; ++f) {
                    OutputBytes out;
                    PutValue(out, buffer.get() + start, forms[f]);
                    if (std::string(out.data.get(), out.size) == StepByStep(value, forms[f])) continue;
                    ADD_FAILURE() << "length " << length << ", start " << start << ", "
                                  << formNames[f] << ": " << Units(value);
                }
            }
        }
    }
}

}  // namespace
