// The importer on Windows: files at wide paths no ANSI code page can spell, read
// by the same reader as elsewhere; the Windows file seam on the real C runtime;
// import dates against Wine's real time-zone functions in the zone the run was
// started with (TZ). Sources of the expected values stand before each table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fake_host.h"
#include "file_reader.h"
#include "module_files.h"
#include "vcard_date.h"
#include "wine_files.h"
#include "wine_zone.h"

namespace {

using Card = std::vector<std::string>;  // card lines in UTF-8

std::vector<Card> ReadCards(const std::wstring& path, bool& opened) {
    std::vector<Card> cards;
    opened = ReadVCardCards(path, [&](const CardLines& lines) {
        Card card;
        for (WStringView line : lines) card.push_back(Utf8(WString(line)));
        cards.push_back(card);
    });
    return cards;
}

std::string Utf16LeBytes(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

// Expected lines are the file texts typed by hand; windows-1251 bytes are read
// off the code page 1251 table.
TEST(WindowsReader, ReadsFilesByWidePathInEveryEncoding) {
    struct Case {
        const wchar_t* name;
        std::string bytes;
        std::vector<Card> expected;
        const char* why;
    };
    const Case cases[] = {
        {L"\u0443\u0442\u04448_crlf.vcf",
         "BEGIN:VCARD\r\nFN:\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\r\nEND:VCARD\r\n",
         {{"BEGIN:VCARD", "FN:Иван"}},
         "UTF-8 with CR LF: lines without their ends, no carriage return left"},
        {L"\u0441\u043f\u0438\u0441\u043e\u043a_1251.vcf",
         "BEGIN:VCARD\r\nN;CHARSET=windows-1251:\xC8\xE2\xE0\xED;\xCF\xB8\xF2\xF0\r\nEND:VCARD\r\n",
         {{"BEGIN:VCARD", "N;CHARSET=windows-1251:Иван;Пётр"}},
         "labelled windows-1251: bytes C8 E2 E0 ED and CF B8 F2 F0, lines without ends"},
        {L"\u03b2\u03bf\u03bc.vcf", "\xEF\xBB\xBF" "BEGIN:VCARD\nFN:x\nEND:VCARD\n",
         {{"BEGIN:VCARD", "FN:x"}}, "the UTF-8 byte-order mark is not part of the first line"},
        {L"\u540d\u7247_utf16.vcf", Utf16LeBytes(L"BEGIN:VCARD\r\nFN:\u0416\r\nEND:VCARD\r\n"),
         {{"BEGIN:VCARD", "FN:Ж"}}, "a UTF-16 little-endian mark decodes the file as UTF-16"},
        {L"\u043a\u043e\u043d\u0435\u0446.vcf", "BEGIN:VCARD\r\nFN:a",
         {{"BEGIN:VCARD", "FN:a"}},
         "no END:VCARD and no last line feed: the card runs to the end of the file"},
        {L"\u0434\u0432\u0430.vcf",
         "BEGIN:VCARD\r\nFN:1\r\nEND:VCARD\r\nnoise\r\nBEGIN:VCARD\r\nFN:2\r\nEND:VCARD\r\n",
         {{"BEGIN:VCARD", "FN:1"}, {"BEGIN:VCARD", "FN:2"}},
         "two cards in file order; the text between them reaches neither"},
        {L"\u043f\u0443\u0441\u0442\u043e.vcf", "", {}, "an empty file has no card"},
    };
    WideTempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::wstring path = folder.path() + c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        bool opened = false;
        std::vector<Card> cards = ReadCards(path, opened);
        EXPECT_TRUE(opened);
        EXPECT_EQ(cards, c.expected);
    }
}

TEST(WindowsReader, AMissingFileGivesNoCard) {
    WideTempFolder folder;
    bool opened = true;
    std::vector<Card> cards = ReadCards(folder.path() + L"\u043d\u0435\u0442.vcf", opened);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(cards.empty());
}

TEST(WindowsReader, ImportVCardFileBracketsTheFileForTheHost) {
    WideTempFolder folder;
    std::wstring path = folder.path() + L"\u0445\u043e\u0441\u0442.vcf";
    ASSERT_TRUE(WriteFileBytes(path, ""));
    FakeHost::Get().Reset();
    ImportVCardFile(path);
    const std::vector<std::string> expected = {"ChangesStart()", "ChangesEnd()"};
    EXPECT_EQ(FakeHost::Get().calls, expected) << "an empty file: the bracket and nothing else";
}

TEST(WindowsReader, ImportsAWindows1251CardIntoTheHost) {
    WideTempFolder folder;
    std::wstring path = folder.path() + L"\u043a\u043e\u043d\u0442\u0430\u043a\u0442.vcf";
    ASSERT_TRUE(WriteFileBytes(path,
                               "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                               "N;CHARSET=windows-1251:\xCF\xE5\xF2\xF0\xEE\xE2;\xC8\xE2\xE0\xED;;;\r\n"
                               "END:VCARD\r\n"));
    FakeHost::Get().Reset();
    ImportVCardFile(path);
    // Bytes CF E5 F2 F0 EE E2 and C8 E2 E0 ED spell the last and first name in 1251.
    int found = 0;
    for (const auto& [uid, contact] : FakeHost::Get().contacts) {
        if (uid == L"root") continue;
        ++found;
        EXPECT_EQ(Utf8(FakeHost::Get().Field(uid, "LastName")), "Петров");
        EXPECT_EQ(Utf8(FakeHost::Get().Field(uid, "FirstName")), "Иван");
    }
    EXPECT_EQ(found, 1) << "one card, one new contact";
}

TEST(WindowsFileSeam, OpensWidePathsAsRawBytes) {
    struct Case {
        const wchar_t* name;
        std::string bytes;
        const char* why;
    };
    const Case cases[] = {
        {L"\u0444\u0430\u0439\u043b.bin", "a\r\nb\n\x1A" "c", "CR LF, a lone LF and Ctrl-Z come back as written"},
        {L"\u540d.bin", std::string("\xEF\xBB\xBFx\0y", 6), "a byte-order mark and a NUL stay bytes"},
    };
    WideTempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        std::wstring path = folder.path() + c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        std::FILE* file = OpenWidePathForReading(path.c_str());
        ASSERT_NE(file, nullptr);
        std::string read;
        int ch;
        while ((ch = std::fgetc(file)) != EOF) read += static_cast<char>(ch);
        std::fclose(file);
        EXPECT_EQ(read, c.bytes);
    }
    EXPECT_EQ(OpenWidePathForReading((folder.path() + L"\u043d\u0435\u0442").c_str()), nullptr)
        << "a missing file gives null";
}

TEST(WindowsFileSeam, OutputStreamEndsEveryLineWithCrLf) {
    // The exporter's way of writing: the seam's output file, each line followed
    // by the seam's line end. Card files end their lines with CR LF.
    struct Case {
        std::vector<std::string> lines;
        std::string expected;
        const char* why;
    };
    const Case cases[] = {
        {{"BEGIN:VCARD", "END:VCARD"}, "BEGIN:VCARD\r\nEND:VCARD\r\n", "two lines, two CR LF"},
        {{"NOTE:one=0D=0A=\ntwo"}, "NOTE:one=0D=0A=\r\ntwo\r\n",
         "a line feed inside a note line becomes a line end as well"},
        {{""}, "\r\n", "an empty line is just its end"},
    };
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    std::string path = std::string(base) + "zamo_seam_" + std::to_string(GetCurrentProcessId()) + ".vcf";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        OutputFile out;
        ASSERT_EQ(OpenOutputFileBeside(path.c_str(), out), FailureReason::None);
        for (const std::string& line : c.lines) {
            std::fputs(line.c_str(), out.stream);
            std::fputs(OutputLineEnd(), out.stream);
        }
        EXPECT_EQ(CommitOutputFile(out), FailureReason::None);
        std::wstring wide(path.begin(), path.end());
        EXPECT_EQ(ReadFileBytes(wide), c.expected);
    }
    DeleteFileA(path.c_str());
}

TEST(WindowsFileSeam, ReplacesTheTargetOnlyWhenCommitted) {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, base);
    const std::string folder = std::string(base) + "zamo_replace_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\book.vcf", readOnly = folder + "\\locked.vcf";
    const std::wstring wide(path.begin(), path.end()), wideLocked(readOnly.begin(), readOnly.end());
    ASSERT_TRUE(WriteFileBytes(wide, "old\r\n"));
    ASSERT_TRUE(WriteFileBytes(wideLocked, "locked\r\n"));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    struct Case {
        std::string path;
        bool commit;
        FailureReason opened;
        std::string after;
        const char* why;
    } cases[] = {
        {path, false, FailureReason::None, "old\r\n", "discarded: the old file stays"},
        {path, true, FailureReason::None, "new\r\n", "committed: replaced whole"},
        {readOnly, true, FailureReason::ReadOnly, "locked\r\n", "a read-only file is refused"},
        {folder, true, FailureReason::NotRegularFile, "", "a folder is refused"},
        {"NUL", true, FailureReason::NotRegularFile, "", "a device name is refused"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        OutputFile out;
        ASSERT_EQ(OpenOutputFileBeside(c.path.c_str(), out), c.opened);
        if (c.opened != FailureReason::None) {
            EXPECT_EQ(out.stream, nullptr);
        } else {
            std::fputs("new\n", out.stream);
            if (c.commit) EXPECT_EQ(CommitOutputFile(out), FailureReason::None);
            else DiscardOutputFile(out);
        }
        if (!c.after.empty()) {
            EXPECT_EQ(ReadFileBytes(std::wstring(c.path.begin(), c.path.end())), c.after);
        }
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "no temporary file is left behind";
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(readOnly.c_str());
    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(WindowsFileSeam, JoinsAMultipleSelectionWithABackslash) {
    // The open dialog gives the folder and the names apart; Windows paths join them with "\".
    EXPECT_EQ(FolderSeparator(), L'\\');
    EXPECT_EQ(NarrowPathCodePage(), static_cast<UINT>(CP_ACP)) << "narrow paths are ANSI";
}

struct Fields {
    int year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

std::string Show(const Fields& f) {
    char text[96];
    std::snprintf(text, sizeof text, "y%d m%d dow%d d%d %d:%d:%d.%d", f.year, f.month, f.dayOfWeek,
                  f.day, f.hour, f.minute, f.second, f.milliseconds);
    return text;
}

std::string Show(const SYSTEMTIME& t) {
    return Show(Fields{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond,
                       t.wMilliseconds});
}

// Expected dates computed by hand: weekdays by calendar count (1 January 2010 a
// Friday, 1 January 1980 a Tuesday), summer time by the European rule (from
// 01:00 UTC on the last Sunday of March to that of October).
TEST(WindowsDates, ParseVCardDateInTheRunsZone) {
    // XYZ-4: four hours east of UTC, no daylight saving; XYZ+5: five hours west;
    // Europe/Berlin: UTC+1, UTC+2 from the last Sunday of March to that of October.
    struct Case {
        const char* zone;
        const wchar_t* text;
        Fields expected;
        const char* why;
    };
    const Case cases[] = {
        {kAnyZone, L"19800503", {1980, 5, 0, 3, 0, 0, 0, 0}, "basic date, never converted"},
        {kAnyZone, L"1980-05-03", {1980, 5, 0, 3, 0, 0, 0, 0}, "extended date, never converted"},
        {kAnyZone, L"1980-5-03", {1980, 5, 0, 3, 0, 0, 0, 0},
         "nine characters with a hyphen: the extended reading overwrites -5 and -0"},
        {kAnyZone, L"19800503\n", {1980, 5, 0, 3, 0, 0, 0, 0}, "basic date and one more character"},
        {kAnyZone, L"May third", {0, 0, 0, 0, 0, 0, 0, 0}, "no digits, no markers: all zero"},
        {kAnyZone, L"-5", {65531, 0, 0, 0, 0, 0, 0, 0}, "a minus sign wraps modulo 65536"},
        {"XYZ-4", L"20100615T093000Z", {2010, 6, 2, 15, 13, 30, 0, 0},
         "09:30 UTC is 13:30 four hours east; a Tuesday"},
        {"XYZ-4", L"20100615T093000+0200", {2010, 6, 2, 15, 13, 30, 0, 0}, "an offset is never read"},
        {"XYZ-4", L"20100615T2130", {2010, 6, 3, 16, 1, 30, 0, 0},
         "seconds beyond the end read 0; 21:30 UTC is 01:30 on Wednesday"},
        {"XYZ-4", L"2010-06-15T09:30:00Z", {2010, 0, 0, 6, 5, 9, 0, 0},
         "extended date-time read at basic positions; month 0 is refused and the fields stay"},
        {"XYZ+5", L"19800503T000000Z", {1980, 5, 5, 2, 19, 0, 0, 0},
         "midnight UTC five hours west is 19:00 on Friday 2 May"},
        {"XYZ+5", L"20000101T030000Z", {1999, 12, 5, 31, 22, 0, 0, 0},
         "back across the year: Friday 31 December 1999"},
        {"Europe/Berlin", L"20100615T093000Z", {2010, 6, 2, 15, 11, 30, 0, 0}, "summer: UTC+2"},
        {"Europe/Berlin", L"20100115T093000Z", {2010, 1, 5, 15, 10, 30, 0, 0},
         "winter: UTC+1; 15 January 2010 a Friday"},
        {"Europe/Berlin", L"20100328T005959Z", {2010, 3, 0, 28, 1, 59, 59, 0},
         "one second before the spring change: still UTC+1; a Sunday"},
        {"Europe/Berlin", L"20100328T010000Z", {2010, 3, 0, 28, 3, 0, 0, 0},
         "at the spring change the clock jumps to 03:00"},
        {"Europe/Berlin", L"20101031T005959Z", {2010, 10, 0, 31, 2, 59, 59, 0},
         "one second before the autumn change: still UTC+2"},
        {"Europe/Berlin", L"20101031T010000Z", {2010, 10, 0, 31, 2, 0, 0, 0},
         "at the autumn change the clock goes back to 02:00"},
    };
    int ran = 0;
    for (const Case& c : cases) {
        if (!RunsInZone(c.zone)) continue;
        ++ran;
        SCOPED_TRACE(std::string(c.why) + ": " + Utf8(c.text));
        EXPECT_EQ(Show(ParseVCardDate(c.text)), Show(c.expected));
    }
    RecordProperty("cases", ran);
}

TEST(WindowsDates, FormatPromptDateWritesFieldsWithoutLeadingZeros) {
    struct Case {
        SYSTEMTIME time;
        const char* expected;
        const char* why;
    };
    const Case cases[] = {
        {{2010, 6, 2, 15, 9, 5, 7, 8}, "15.6.2010 9:5", "seconds and milliseconds not shown"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "0.0.0 0:0", "the all-zero time"},
        {{65531, 12, 0, 31, 23, 59, 59, 999}, "31.12.65531 23:59", "unsigned fields"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8(FormatPromptDate(c.time)), c.expected) << c.why;
}

}  // namespace
