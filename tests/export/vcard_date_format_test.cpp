// Date texts of the card: the bare birthday date, never shifted, and the UTC
// revision stamp with the summer or winter offset of the date converted. Zones
// are set through TZ; every expected value is worked out by hand in the case.
#include <gtest/gtest.h>

#include "zone_setting.h"
#include "vcard_date_format.h"

namespace {

using export_test::ZoneSetting;

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                WORD second = 0, WORD milliseconds = 0, WORD dayOfWeek = 0) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = milliseconds;
    t.wDayOfWeek = dayOfWeek;
    return t;
}

const char kPlus4[] = "XYZ-4";                        // four hours east, no summer time
const char kCentral[] = "CET-1CEST,M3.5.0,M10.5.0/3";  // +1 winter, +2 summer
const char kUtc[] = "UTC0";

TEST(FormatVCardDate, WritesTheBareBirthdayDate) {
    struct Case {
        SYSTEMTIME time;
        const char* zone;
        const char* expected;
        const char* why;
    } cases[] = {
        {Time(2000, 1, 1), kPlus4, "20000101", "single-digit month and day get a zero"},
        {Time(1980, 3, 5), kPlus4, "19800305", "the worked example's birthday"},
        {Time(2010, 11, 22), kPlus4, "20101122", "two-digit month and day get no third digit"},
        {Time(999, 12, 31), kPlus4, "9991231", "a year below 1000 is not padded"},
        {Time(1980, 3, 5, 23, 59, 59), kPlus4, "19800305", "late evening keeps its day east"},
        {Time(1980, 3, 5, 0, 0, 1), "ABC+10", "19800305", "early morning keeps its day west"},
        {Time(1980, 7, 1, 0, 30), kCentral, "19800701", "summer time shifts nothing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZoneSetting zone(c.zone);
        EXPECT_EQ(FormatVCardDate(c.time, true), c.expected);
    }
}

TEST(FormatVCardDate, WritesTheRevisionInUtcWithTheOffsetOfThatDate) {
    struct Case {
        SYSTEMTIME local;
        const char* zone;
        const char* expected;
        const char* why;
    } cases[] = {
        {Time(2010, 6, 15, 12, 30), kPlus4, "20100615T083000Z",
         "12:30 at UTC+4 is 08:30 UTC (the worked example)"},
        {Time(2010, 6, 15, 12, 30), kCentral, "20100615T103000Z",
         "15 June is summer time, UTC+2: 12:30 is 10:30 UTC"},
        {Time(2010, 1, 15, 12, 30), kCentral, "20100115T113000Z",
         "15 January is winter time, UTC+1: 12:30 is 11:30 UTC"},
        {Time(2010, 1, 2, 3, 4, 5), kUtc, "20100102T030405Z",
         "single-digit hour, minute and second get a zero"},
        {Time(2010, 1, 1, 2, 0), kPlus4, "20091231T220000Z",
         "02:00 at UTC+4 on New Year's day is 22:00 UTC the day before"},
        {Time(2010, 12, 31, 21, 0), "ABC+5", "20110101T020000Z",
         "21:00 at UTC-5 on 31 December is 02:00 UTC the next year"},
        {Time(2010, 6, 15, 12, 30, 45, 999, 3), kPlus4, "20100615T083045Z",
         "milliseconds and day of week are not written, nor rounded in"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZoneSetting zone(c.zone);
        EXPECT_EQ(FormatVCardDate(c.local, false), c.expected);
    }
}

TEST(FormatVCardDate, WritesTheLocalTimeWhenItCannotBeConverted) {
    struct Case {
        SYSTEMTIME local;
        const char* expected;
        const char* why;
    } cases[] = {
        {Time(2010, 13, 15, 12, 30), "20101315T123000Z", "month 13 is no date: written as given"},
        {Time(2010, 2, 30, 12, 30), "20100230T123000Z", "30 February is no date"},
        {Time(0, 0, 0), "00000T000000Z", "the all-zero time"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZoneSetting zone(kPlus4);
        EXPECT_EQ(FormatVCardDate(c.local, false), c.expected);
    }
}

}  // namespace
