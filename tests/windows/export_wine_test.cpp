// The exporter on Windows: host text to ANSI text through the real
// WideCharToMultiByte (code page 1251 under the Russian locale, best fit
// included), the output file at an ANSI path, and revision stamps through Wine's
// real time-zone functions in the zone the run was started with (TZ).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_commands.h"
#include "output_file.h"
#include "output_path.h"
#include "value_encoding.h"
#include "vcard_date_format.h"
#include "wine_files.h"
#include "wine_zone.h"

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// The conversion tests need Wine started with the Russian locale.
class WindowsAnsiText : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetACP() != 1251) GTEST_SKIP() << "needs the ANSI code page 1251 (run with LC_ALL=ru_RU.UTF-8)";
    }
};

// Expected bytes are read off the code page 1251 table and the best-fit table
// published with it.
struct AnsiCase {
    const wchar_t* value;
    std::string expected;
    const char* why;
};

TEST_F(WindowsAnsiText, ConvertsThroughCodePage1251WithBestFit) {
    const AnsiCase cases[] = {
        {L"\u0418\u0432\u0430\u043d", "\xC8\xE2\xE0\xED", "Cyrillic letters map one to one"},
        {L"\u0401\u0451", "\xA8\xB8", "Yo in both cases"},
        {L"\u2116 \u20ac", "\xB9 \x88", "numero sign and euro sign have their own bytes"},
        {L"\u201c\u201d \u00ab\u00bb", "\x93\x94 \xAB\xBB", "typographic quotes and guillemets"},
        {L"\u00e9", "e", "e acute has no byte in 1251: best fit gives plain e"},
        {L"\u4e2d", "?", "a character without any mapping becomes the default character"},
        {L"a|b", "a'b", "a vertical bar becomes an apostrophe"},
        {L"a'b", "a'b", "an apostrophe stays"},
        {L"", "", "the empty text"},
    };
    for (const AnsiCase& c : cases) EXPECT_EQ(Hex(ToAnsiText(c.value)), Hex(c.expected)) << c.why;
}

TEST_F(WindowsAnsiText, EscapesAfterConversion) {
    const AnsiCase cases[] = {
        {L"a;b,c:d'e", "a\\;b\\,c\\:d\\'e", "every separator and the apostrophe escaped"},
        {L"x|y", "x\\'y", "the bar, now an apostrophe, is escaped as one"},
        {L"C:\\dir", "C\\:\\dir", "the colon is escaped, the backslash is not"},
        {L"\u0418\u0432\u0430\u043d, \u041f\u0451\u0442\u0440", "\xC8\xE2\xE0\xED\\, \xCF\xB8\xF2\xF0",
         "Cyrillic bytes pass the escaping untouched"},
    };
    for (const AnsiCase& c : cases) EXPECT_EQ(Hex(EscapeText(ToAnsiText(c.value))), Hex(c.expected)) << c.why;
}

TEST_F(WindowsAnsiText, ConvertsALongValueWhole) {
    // 40,000 units, past the 32,767-unit line buffer: U+0416 is byte C6 in 1251.
    std::wstring value(40000, L'\u0416');
    std::string ansi = ToAnsiText(value.c_str());
    EXPECT_EQ(ansi.size(), 40000u);
    EXPECT_EQ(ansi.find_first_not_of('\xC6'), std::string::npos);
}

TEST_F(WindowsAnsiText, PathsBecomeAnsiWithoutApostrophes) {
    const AnsiCase cases[] = {
        {L"C:\\Temp\\\u0418\u0432\u0430\u043d.vcf", "C:\\Temp\\\xC8\xE2\xE0\xED.vcf",
         "Cyrillic file names are 1251 bytes"},
        {L"C:\\O'Neil's.vcf", "C:\\ONeils.vcf", "apostrophes are left out of the path"},
    };
    for (const AnsiCase& c : cases) EXPECT_EQ(Hex(ToAnsiPath(c.value)), Hex(c.expected)) << c.why;
}

TEST_F(WindowsAnsiText, TheOutputFileGetsCrLfLineEndsAtAnAnsiPath) {
    // Written through the module's own stream at a Cyrillic ANSI path, read back
    // by the wide name: card files end every line with CR LF.
    struct Case {
        std::vector<std::string> lines;
        std::string expected;
        const char* why;
    };
    const Case cases[] = {
        {{"BEGIN:VCARD", "END:VCARD"}, "BEGIN:VCARD\r\nEND:VCARD\r\n", "each line ends in CR LF"},
        {{"NOTE:one=0D=0A=\ntwo"}, "NOTE:one=0D=0A=\r\ntwo\r\n", "a note's line feed too"},
        {{"NOTE:a\r=0D=0A=\nb"}, "NOTE:a\r=0D=0A=\r\nb\r\n", "a carriage return of the value stays"},
    };
    WideTempFolder folder(L"zamo_\u0432\u044b\u0433\u0440\u0443\u0437\u043a\u0430_");  // 1251 holds it
    std::wstring wide = folder.path() + L"\u043a\u043e\u043d\u0442\u0430\u043a\u0442\u044b.vcf";
    std::string ansi = ToAnsiPath(wide);
    ASSERT_TRUE(WriteFileBytes(wide, std::string(100, 'x'))) << "an older, longer file is replaced";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(OpenOutputFile(ansi));
        for (const std::string& line : c.lines) WriteLine(line);
        CloseOutputFile();
        EXPECT_EQ(ReadFileBytes(wide), c.expected);
    }
    EXPECT_FALSE(OpenOutputFile(ToAnsiPath(folder.path() + L"\u043d\u0435\u0442\\x.vcf")))
        << "a missing folder: no stream";
    WideTempFolder noAnsi;
    EXPECT_FALSE(OpenOutputFile(ToAnsiPath(noAnsi.path() + L"x.vcf")))
        << "a folder the code page cannot spell: no stream";
    EXPECT_FALSE(IsOutputFileOpen());
}

// Expected stamps computed by hand; summer time by the European rule (from 01:00
// UTC on the last Sunday of March to that of October).
TEST(WindowsDates, FormatVCardDateInTheRunsZone) {
    // XYZ-4: four hours east of UTC, no daylight saving; XYZ+5: five hours west;
    // Europe/Berlin: UTC+1 in winter, UTC+2 in summer.
    struct Case {
        const char* zone;
        SYSTEMTIME time;
        bool dateOnly;
        const char* expected;
        const char* why;
    };
    const Case cases[] = {
        {kAnyZone, {2000, 1, 6, 1, 0, 0, 0, 0}, true, "20000101", "birthday on 1 January 2000"},
        {kAnyZone, {1980, 3, 3, 5, 23, 59, 0, 0}, true, "19800305",
         "a birthday near midnight keeps its day"},
        {kAnyZone, {999, 12, 0, 31, 0, 0, 0, 0}, true, "9991231", "the year is not padded"},
        {"XYZ-4", {2010, 6, 2, 15, 12, 30, 0, 0}, false, "20100615T083000Z",
         "12:30 four hours east is 08:30 UTC"},
        {"XYZ-4", {2010, 6, 2, 15, 2, 5, 9, 0}, false, "20100614T220509Z",
         "back across midnight; single digits padded"},
        {"XYZ+5", {2009, 12, 4, 31, 20, 0, 0, 0}, false, "20100101T010000Z",
         "forward across the year"},
        {"Europe/Berlin", {2010, 6, 2, 15, 12, 30, 0, 0}, false, "20100615T103000Z",
         "modified in summer: the summer offset"},
        {"Europe/Berlin", {2010, 1, 5, 15, 12, 30, 0, 0}, false, "20100115T113000Z",
         "modified in winter: the winter offset"},
        {"Europe/Berlin", {2010, 3, 0, 28, 1, 59, 59, 0}, false, "20100328T005959Z",
         "the last second before the spring change is still winter time"},
        {"Europe/Berlin", {2010, 10, 0, 31, 12, 0, 0, 0}, false, "20101031T110000Z",
         "noon on the autumn change day is winter time again"},
        {"XYZ-4", {2010, 6, 3, 15, 12, 30, 45, 999}, false, "20100615T083045Z",
         "milliseconds and day of week are neither written nor rounded in"},
        {kAnyZone, {2010, 13, 0, 15, 12, 30, 0, 0}, false, "20101315T123000Z",
         "month 13 is refused by the conversion: the local time is written as given"},
        {kAnyZone, {2010, 2, 0, 30, 12, 30, 0, 0}, false, "20100230T123000Z",
         "30 February is refused as well"},
        {kAnyZone, {0, 0, 0, 0, 0, 0, 0, 0}, false, "00000T000000Z", "the all-zero time"},
    };
    int ran = 0;
    for (const Case& c : cases) {
        if (!RunsInZone(c.zone)) continue;
        ++ran;
        EXPECT_EQ(FormatVCardDate(c.time, c.dateOnly), c.expected) << c.why;
    }
    RecordProperty("cases", ran);
}

}  // namespace
