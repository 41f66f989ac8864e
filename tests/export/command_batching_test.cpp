// What an export command does to be fast without changing what it writes: the
// lines gathered into batches (same bytes, nothing lost at close) and the zone settings kept for the
// command (same revision texts, worked out by hand, and nothing kept after).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_test_support.h"
#include "output_file.h"
#include "export_commands.h"
#include "vcard_date_format.h"
#include "zone_setting.h"

namespace {

using export_test::ReadBytes;
using export_test::ScratchFolder;
using export_test::ZoneSetting;

bool EndsAfterWholeLine(const std::string& bytes) {
    return bytes.empty() || (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0);
}

TEST(GatheredLines, ReachTheFileWholeAndUnchanged) {
    ScratchFolder folder;
    const std::string line100(98, 'x');  // with CR LF, 100 bytes in the file
    struct Case {
        std::vector<std::string> lines;
        size_t repeat;
        std::string expectedStart;
        size_t expectedSize;
        const char* why;
    } cases[] = {
        {{"a", "b"}, 1, "a\r\nb\r\n", 6, "two short lines, written only at the close"},
        {{"x\ny"}, 1, "x\r\ny\r\n", 6, "a line feed inside a line still becomes CR LF"},
        {{line100}, 2000, line100 + "\r\n", 200000,
         "200,000 bytes: three full batches of 64 KB and the rest at the close"},
        {{std::string(200000, 'n') + "\n" + "z"}, 1, std::string(200000, 'n') + "\r\n", 200005,
         "one line longer than a batch, with a line feed inside"},
        {{""}, 3, "\r\n\r\n\r\n", 6, "empty lines are still lines"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string path = folder.File("gathered.vcf");
        ASSERT_TRUE(OpenOutputFile(path));
        GatherLines();
        for (size_t n = 0; n < c.repeat; ++n)
            for (const std::string& line : c.lines) WriteLine(line);
        CloseOutputFile();
        const std::string bytes = ReadBytes(path);
        EXPECT_EQ(bytes.size(), c.expectedSize);
        EXPECT_EQ(bytes.substr(0, c.expectedStart.size()), c.expectedStart);
        EXPECT_TRUE(EndsAfterWholeLine(bytes));
    }
}

TEST(GatheredLines, EndWithTheFileAndNeverCarryOver) {
    ScratchFolder folder;
    const std::string first = folder.File("first.vcf"), second = folder.File("second.vcf");
    ASSERT_TRUE(OpenOutputFile(first));
    GatherLines();
    WriteLine("kept at the close");
    CloseOutputFile();
    EXPECT_EQ(ReadBytes(first), "kept at the close\r\n");

    // A stream opened afterwards starts empty, and the first file is left alone.
    ASSERT_TRUE(OpenOutputFile(second));
    WriteLine("second file");
    CloseOutputFile();
    EXPECT_EQ(ReadBytes(second), "second file\r\n");
    EXPECT_EQ(ReadBytes(first), "kept at the close\r\n") << "the first file is left alone";
}

// A local time to the second (SYSTEMTIME orders year, month, day of week, day...).
SYSTEMTIME Local(int year, int month, int day, int hour, int minute, int second) {
    return SYSTEMTIME{static_cast<WORD>(year), static_cast<WORD>(month), 0,
                      static_cast<WORD>(day),  static_cast<WORD>(hour),  static_cast<WORD>(minute),
                      static_cast<WORD>(second), 0};
}

TEST(KeptZone, GivesTheTextsOfEachDateEvenWhenAskedAgain) {
    // Central European rules: +1 in winter, +2 from the last Sunday of March
    // (28 March 2010, 02:00) to the last Sunday of October (31 October 2010, 03:00).
    ZoneSetting zone("CET-1CEST,M3.5.0,M10.5.0/3");
    struct Case {
        SYSTEMTIME local;
        const char* expected;
        const char* why;
    } cases[] = {
        {Local(2010, 6, 15, 12, 30, 0), "20100615T103000Z", "summer: two hours back"},
        {Local(2010, 1, 15, 12, 30, 0), "20100115T113000Z", "winter: one hour back"},
        {Local(2010, 6, 15, 12, 30, 1), "20100615T103001Z", "one second later is its own date"},
        {Local(2010, 3, 28, 1, 59, 59), "20100328T005959Z", "the last winter second"},
        {Local(2010, 3, 28, 3, 0, 0), "20100328T010000Z", "the first summer hour"},
        {Local(2010, 1, 1, 0, 0, 0), "20091231T230000Z", "back across the new year"},
        {Local(2010, 6, 15, 12, 30, 0), "20100615T103000Z", "the first date once more"},
    };
    KeepZoneSettings();
    for (int pass = 0; pass < 2; ++pass)
        for (const Case& c : cases) {
            SCOPED_TRACE(c.why);
            EXPECT_EQ(FormatVCardDate(c.local, false), c.expected) << "pass " << pass;
        }
    ForgetZoneSettings();
}

TEST(KeptZone, IsForgottenSoALaterZoneCounts) {
    struct Case {
        const char* zone;
        const char* expected;
        const char* why;
    } cases[] = {
        {"XYZ-4", "20100615T083000Z", "four hours east"},
        {"ABC+10", "20100615T223000Z", "then ten hours west"},
        {"UTC0", "20100615T123000Z", "then UTC itself"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ZoneSetting zone(c.zone);
        KeepZoneSettings();
        EXPECT_EQ(FormatVCardDate(Local(2010, 6, 15, 12, 30, 0), false), c.expected);
        ForgetZoneSettings();
        EXPECT_EQ(FormatVCardDate(Local(2010, 6, 15, 12, 30, 0), false), c.expected)
            << "the same text after the zone is forgotten";
    }
}

}  // namespace
