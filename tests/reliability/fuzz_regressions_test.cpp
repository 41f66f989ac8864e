// Inputs that fuzzing found to break something, kept as named cases. Each also
// lies in fuzz/corpus/<target>/ under the name given, so the fuzz run replays it.
#include <gtest/gtest.h>

#include <string>

#include "ole_date.h"

namespace {

// fuzz/corpus/ole_date_fuzz/regression_first_day_after_midnight: the times of
// 1 January 100, the first day OLE dates reach, did not convert back. Expected
// values from Python's datetime: 1 January 100 is day -657434 after 30 December
// 1899, a Friday (day of week 5); before day 0 the time of day counts away from
// zero, so 00:00:05 is -657434 - 5/86400.
TEST(FuzzRegressions, TimesOnTheFirstOleDayConvertBothWays) {
    struct Case {
        double date;
        WORD hour, minute, second;
        const char* why;
    } cases[] = {
        {-657434.0, 0, 0, 0, "midnight, the smallest date itself"},
        {-657434.0 - 5.0 / 86400, 0, 0, 5, "five seconds after midnight"},
        {-657434.5, 12, 0, 0, "noon"},
        {-657434.0 - 86399.0 / 86400, 23, 59, 59, "the last second of the day"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SYSTEMTIME t = OleDateToSystemTime(c.date);
        EXPECT_EQ(t.wYear, 100);
        EXPECT_EQ(t.wMonth, 1);
        EXPECT_EQ(t.wDay, 1);
        EXPECT_EQ(t.wDayOfWeek, 5);
        EXPECT_EQ(t.wHour, c.hour);
        EXPECT_EQ(t.wMinute, c.minute);
        EXPECT_EQ(t.wSecond, c.second);
        EXPECT_NEAR(SystemTimeToOleDate(t), c.date, 1e-9);
    }
    // The day before is outside the range and stays refused.
    EXPECT_EQ(OleDateToSystemTime(-657435.0).wYear, 0);
}

}  // namespace
