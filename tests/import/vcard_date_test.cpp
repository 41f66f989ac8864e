// Dates on import: the fields read from each form of date text, the UTC-to-local
// step of date-times (zone set through TZ, never the machine's), texts too short
// for their form, and the prompt's short date. Expected values are computed by
// hand; weekdays from a calendar count (1 Jan 2010 a Friday, 1 Jan 1980 a Tuesday).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "fake_host.h"
#include "vcard_date.h"

namespace {

struct Fields {
    int year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

Fields Of(const SYSTEMTIME& t) {
    return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string Show(const Fields& f) {
    char text[96];
    std::snprintf(text, sizeof text, "y%d m%d dow%d d%d %d:%d:%d.%d", f.year, f.month, f.dayOfWeek,
                  f.day, f.hour, f.minute, f.second, f.milliseconds);
    return text;
}

struct DateCase {
    WString text;
    Fields expected;
    const char* why;
};

void CheckAll(const char* zone, const DateCase* begin, const DateCase* end) {
    const char* saved = std::getenv("TZ");
    std::string restore = saved ? saved : "";
    setenv("TZ", zone, 1);
    tzset();
    for (const DateCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(std::string(c->why) + ": " + Utf8(c->text));
        EXPECT_EQ(Show(Of(ParseVCardDate(c->text))), Show(c->expected));
    }
    if (saved) setenv("TZ", restore.c_str(), 1); else unsetenv("TZ");
    tzset();
}

TEST(ParseVCardDate, ReadsDatesWithoutConversion) {
    const DateCase cases[] = {
        {TEXT("19800503"), {1980, 5, 0, 3, 0, 0, 0, 0}, "basic date, zero time"},
        {TEXT("1980-05-03"), {1980, 5, 0, 3, 0, 0, 0, 0}, "extended date"},
        {TEXT("1980-5-03"), {1980, 5, 0, 3, 0, 0, 0, 0},
         "nine characters with a hyphen: the extended reading overwrites -5 and -0"},
        {TEXT("19800503 "), {1980, 5, 0, 3, 0, 0, 0, 0}, "basic date and one more character"},
        {TEXT("1980050x"), {1980, 5, 0, 0, 0, 0, 0, 0}, "eight characters, the last no digit: day '0'"},
        {TEXT("May third"), {0, 0, 0, 0, 0, 0, 0, 0}, "no digits, no markers: all zero"},
        {TEXT(""), {0, 0, 0, 0, 0, 0, 0, 0}, "empty text"},
        {TEXT("1980053"), {0, 0, 0, 0, 0, 0, 0, 0}, "seven characters fit no form"},
        {TEXT("198005031"), {1980, 5, 0, 3, 0, 0, 0, 0}, "nine digits: the ninth is not read"},
        {TEXT("--0305"), {0, 5, 0, 0, 0, 0, 0, 0},
         "birthday without year: '--03' has no digits after its sign, month '5', day beyond the end"},
        {TEXT("-5"), {65531, 0, 0, 0, 0, 0, 0, 0}, "a minus sign wraps modulo 65536"},
        {TEXT("+7-"), {7, 0, 0, 0, 0, 0, 0, 0}, "a plus sign is read"},
        {TEXT(" 198-"), {198, 0, 0, 0, 0, 0, 0, 0}, "leading blank skipped"},
        {TEXT("1980-0x-3y"), {1980, 0, 0, 3, 0, 0, 0, 0}, "digits up to the first other character"},
    };
    CheckAll("XYZ-4", std::begin(cases), std::end(cases));
}

TEST(ParseVCardDate, DateTimesAreTakenAsUtcAndMadeLocal) {
    // XYZ-4: four hours east of UTC, no daylight saving.
    const DateCase cases[] = {
        {TEXT("20100615T093000Z"), {2010, 6, 2, 15, 13, 30, 0, 0},
         "09:30 UTC is 13:30 local; 15 June 2010 was a Tuesday"},
        {TEXT("20100615T093000"), {2010, 6, 2, 15, 13, 30, 0, 0}, "no Z: UTC all the same"},
        {TEXT("20100615T093000+0200"), {2010, 6, 2, 15, 13, 30, 0, 0},
         "an offset is never read"},
        {TEXT("20100615T2130"), {2010, 6, 3, 16, 1, 30, 0, 0},
         "thirteen characters: seconds beyond the end read 0; 21:30 UTC is 01:30 next day"},
        {TEXT("20100615T09"), {2010, 6, 2, 15, 13, 0, 0, 0},
         "minute at the very end and second beyond it read 0"},
        {TEXT("2010-06-15T09:30:00Z"), {2010, 0, 0, 6, 5, 9, 0, 0},
         "extended date-time read at basic positions; month 0 is refused and the fields stay"},
        {TEXT("T1"), {0, 0, 0, 0, 0, 0, 0, 0}, "far too short: every field beyond reads 0"},
    };
    CheckAll("XYZ-4", std::begin(cases), std::end(cases));
}

TEST(ParseVCardDate, MidnightUtcWestOfUtcIsTheEveningBefore) {
    // XYZ+5: five hours west. 3 May 1980 00:00 UTC is 2 May 19:00, a Friday.
    const DateCase cases[] = {
        {TEXT("19800503T000000Z"), {1980, 5, 5, 2, 19, 0, 0, 0}, "birthday with a time part"},
    };
    CheckAll("XYZ+5", std::begin(cases), std::end(cases));
}

TEST(FormatPromptDate, WritesFieldsWithoutLeadingZeros) {
    struct Case {
        SYSTEMTIME time;
        WString expected;
        const char* why;
    } cases[] = {
        {{2010, 6, 2, 15, 9, 5, 7, 8}, TEXT("15.6.2010 9:5"), "seconds and milliseconds not shown"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, TEXT("0.0.0 0:0"), "the all-zero time"},
        {{65531, 12, 0, 31, 23, 59, 59, 999}, TEXT("31.12.65531 23:59"), "unsigned fields"},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8(FormatPromptDate(c.time)), Utf8(c.expected)) << c.why;
}

}  // namespace
