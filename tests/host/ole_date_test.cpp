/* OLE date <-> SYSTEMTIME: known dates both ways, negative dates, the range
 * ends, the empty date and SYSTEMTIMEs that are no date. Expected serials are
 * worked out by hand from the day count since 30 December 1899. */
#include <gtest/gtest.h>

#include <limits>

#include "ole_date.h"
#include "zamo_host.h"

namespace {

SYSTEMTIME Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(mo);
    st.wDay = static_cast<WORD>(d);
    st.wHour = static_cast<WORD>(h);
    st.wMinute = static_cast<WORD>(mi);
    st.wSecond = static_cast<WORD>(s);
    return st;
}

struct DateCase {
    SYSTEMTIME time;
    double ole;
    const char* why;
};

// Serials by hand: 1900-01-01 is day 2 (30 and 31 December 1899 before it);
// 1900 is no leap year; 2000-01-01 = 36526 and 1970-01-01 = 25569 are the
// commonly published serials; a negative date counts its time forward from
// midnight, so 06:00 on day -1 is -1.25.
const DateCase kDates[] = {
    {Make(1899, 12, 30), 0.0, "the epoch is day 0"},
    {Make(1899, 12, 31), 1.0, "the day after the epoch"},
    {Make(1900, 1, 1), 2.0, "1 January 1900 is day 2"},
    {Make(1900, 3, 1), 61.0, "1900 has no 29 February: 2 + 31 + 28"},
    {Make(1899, 12, 29), -1.0, "the day before the epoch"},
    {Make(1899, 12, 29, 6), -1.25, "negative date: the fraction still counts forward"},
    {Make(1899, 12, 28, 18), -2.75, "negative date, evening"},
    {Make(1800, 1, 1, 12), -36522.5, "36524 days 1800..1899 (24 leap years) less 2"},
    {Make(1970, 1, 1), 25569.0, "the Unix epoch"},
    {Make(1980, 3, 5), 29285.0, "1980-01-01 = 29221, leap February: +31 +29 +4"},
    {Make(2000, 1, 1), 36526.0, "published serial of 2000-01-01"},
    {Make(2010, 6, 15, 12), 40344.5, "noon on 15 June 2010"},
    {Make(2026, 12, 7, 23, 59, 59), 46363.0 + 86399.0 / 86400.0,
     "2026-01-01 = 46023, + 340 days, one second before midnight"},
    {Make(100, 1, 1), -657434.0, "the smallest OLE date"},
    {Make(100, 1, 1, 0, 0, 5), -657434.0 - 5.0 / 86400.0,
     "seconds into the first day lie below the smallest date (found by fuzzing)"},
    {Make(100, 1, 1, 23, 59, 59), -657434.0 - 86399.0 / 86400.0, "the first day's last second"},
    {Make(9999, 12, 31), 2958465.0, "the largest OLE date, the empty date"},
    {Make(9999, 12, 31, 23, 59, 59), 2958465.0 + 86399.0 / 86400.0, "last second of the range"},
};

TEST(OleDate, SystemTimeToOleDate) {
    for (const DateCase& c : kDates) {
        SCOPED_TRACE(c.why);
        EXPECT_NEAR(AddinZamo_GetOleDateFromSystemTime(c.time), c.ole, 1e-9);
    }
}

TEST(OleDate, OleDateToSystemTimeExactToTheSecond) {
    for (const DateCase& c : kDates) {
        SCOPED_TRACE(c.why);
        SYSTEMTIME st = AddinZamo_GetSystemTimeFromOleDate(c.ole);
        EXPECT_EQ(st.wYear, c.time.wYear);
        EXPECT_EQ(st.wMonth, c.time.wMonth);
        EXPECT_EQ(st.wDay, c.time.wDay);
        EXPECT_EQ(st.wHour, c.time.wHour);
        EXPECT_EQ(st.wMinute, c.time.wMinute);
        EXPECT_EQ(st.wSecond, c.time.wSecond);
        EXPECT_EQ(st.wMilliseconds, 0);
    }
}

TEST(OleDate, DayOfWeek) {
    // Weekdays from a calendar: 0 is Sunday.
    struct Case {
        double ole;
        int dayOfWeek;
        const char* why;
    } cases[] = {
        {0.0, 6, "30 December 1899 was a Saturday"},
        {25569.0, 4, "1 January 1970 was a Thursday"},
        {40344.5, 2, "15 June 2010 was a Tuesday"},
        {-1.25, 5, "29 December 1899 was a Friday"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(AddinZamo_GetSystemTimeFromOleDate(c.ole).wDayOfWeek, c.dayOfWeek);
    }
}

TEST(OleDate, NoDateBecomesTheEmptyDate) {
    struct Case {
        SYSTEMTIME time;
        const char* why;
    } cases[] = {
        {SYSTEMTIME{}, "the all-zero SYSTEMTIME"},
        {Make(2010, 0, 15), "month 0"},
        {Make(2010, 13, 15), "month 13"},
        {Make(2010, 6, 0), "day 0"},
        {Make(2010, 1, 32), "day 32"},
        {Make(2010, 4, 31), "31 April"},
        {Make(1900, 2, 29), "1900 is no leap year"},
        {Make(2000, 2, 30), "30 February"},
        {Make(2010, 6, 15, 24), "hour 24"},
        {Make(2010, 6, 15, 12, 60), "minute 60"},
        {Make(99, 12, 31), "year before 100"},
        {Make(10000, 1, 1), "year after 9999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        double ole = AddinZamo_GetOleDateFromSystemTime(c.time);
        EXPECT_EQ(ole, kOleEmptyDate);
        EXPECT_NE(AddinZamo_IsMaxDate(ole), 0);
    }
}

TEST(OleDate, IsMaxDate) {
    struct Case {
        double ole;
        bool empty;
        const char* why;
    } cases[] = {
        {2958465.0, true, "31 December 9999"},
        {2958464.0, false, "30 December 9999"},
        {0.0, false, "the epoch"},
        {-657434.0, false, "the smallest date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(AddinZamo_IsMaxDate(c.ole) != 0, c.empty);
    }
}

TEST(OleDate, OutsideTheRangeGivesTheAllZeroTime) {
    struct Case {
        double ole;
        const char* why;
    } cases[] = {
        {-657435.0, "the day before 1 January 100"},
        {2958466.0, "1 January 10000"},
        {std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {std::numeric_limits<double>::infinity(), "infinity"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SYSTEMTIME st = AddinZamo_GetSystemTimeFromOleDate(c.ole);
        EXPECT_EQ(st.wYear, 0);
        EXPECT_EQ(st.wMonth, 0);
        EXPECT_EQ(st.wDay, 0);
    }
}

}  // namespace
