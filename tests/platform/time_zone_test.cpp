// Time zones against the Win32 contract, with the zone set through the TZ
// variable only (POSIX zone strings need no zone data). Expected times were
// worked out by hand from each zone's rules; weekdays from a printed calendar.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

const char kFourEast[] = "XYZ-4";
const char kCentralEurope[] = "CET-1CEST,M3.5.0,M10.5.0/3";
const char kUsEastern[] = "EST5EDT,M3.2.0,M11.1.0";
const char kEasternAustralia[] = "AEST-10AEDT,M10.1.0,M4.1.0/3";

class TimeZone : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        hadTz_ = old != nullptr;
        if (old) oldTz_ = old;
    }
    void TearDown() override {
        if (hadTz_)
            setenv("TZ", oldTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

private:
    bool hadTz_ = false;
    std::string oldTz_;
};

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second = 0, WORD ms = 0,
              WORD dayOfWeek = 0) {
    return SYSTEMTIME{year, month, dayOfWeek, day, hour, minute, second, ms};
}

std::string Show(const SYSTEMTIME& t) {
    char text[80];
    snprintf(text, sizeof text, "%u-%02u-%02u %02u:%02u:%02u.%03u dow %u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond, t.wMilliseconds, t.wDayOfWeek);
    return text;
}

std::string ShowRule(const SYSTEMTIME& r) {
    char text[80];
    snprintf(text, sizeof text, "year %u month %u weekday %u week %u %02u:%02u:%02u", r.wYear, r.wMonth,
             r.wDayOfWeek, r.wDay, r.wHour, r.wMinute, r.wSecond);
    return text;
}

std::string Wide(const WCHAR* w) {
    std::string out;
    for (; *w; ++w) out += static_cast<char>(*w);
    return out;
}

TEST_F(TimeZone, InformationDescribesTheZoneInWin32Terms) {
    struct Case {
        const char* tz;
        LONG bias, standardBias, daylightBias;
        SYSTEMTIME daylightDate, standardDate;
        const char *standardName, *daylightName;
        bool hasDaylight;
        const char* why;
    } cases[] = {
        {kFourEast, -240, 0, 0, {}, {}, "XYZ", "", false, "UTC = local + bias: four hours east is -240"},
        {kCentralEurope, -60, 0, -60, {0, 3, 0, 5, 2, 0, 0, 0}, {0, 10, 0, 5, 3, 0, 0, 0}, "CET", "CEST", true,
         "last Sunday of March 02:00 standard time, last Sunday of October 03:00 summer time"},
        {kUsEastern, 300, 0, -60, {0, 3, 0, 2, 2, 0, 0, 0}, {0, 11, 0, 1, 2, 0, 0, 0}, "EST", "EDT", true,
         "second Sunday of March, first Sunday of November, both at 02:00"},
        {kEasternAustralia, -600, 0, -60, {0, 10, 0, 1, 2, 0, 0, 0}, {0, 4, 0, 1, 3, 0, 0, 0}, "AEST", "AEDT",
         true, "southern hemisphere: summer time from October to April"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        UseZone(c.tz);
        TIME_ZONE_INFORMATION tzi;
        std::memset(&tzi, 0x5A, sizeof tzi);
        const DWORD id = GetTimeZoneInformation(&tzi);
        EXPECT_EQ(tzi.Bias, c.bias);
        EXPECT_EQ(tzi.StandardBias, c.standardBias);
        EXPECT_EQ(tzi.DaylightBias, c.daylightBias);
        EXPECT_EQ(ShowRule(tzi.DaylightDate), ShowRule(c.daylightDate));
        EXPECT_EQ(ShowRule(tzi.StandardDate), ShowRule(c.standardDate));
        EXPECT_EQ(Wide(tzi.StandardName), c.standardName);
        EXPECT_EQ(Wide(tzi.DaylightName), c.daylightName);
        if (c.hasDaylight)
            EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT) << id;
        else
            EXPECT_EQ(id, static_cast<DWORD>(TIME_ZONE_ID_UNKNOWN));
    }
}

TEST_F(TimeZone, InformationRefusesANullPointer) {
    SetLastError(0);
    EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

struct ConversionCase {
    const char* tz;
    SYSTEMTIME input;
    SYSTEMTIME expected;
    const char* why;
};

// Converts in the case's zone, once with no zone given and once with the zone
// GetTimeZoneInformation describes: both must give the expected time.
void CheckInEachZoneForm(const ConversionCase& c, bool toLocal) {
    setenv("TZ", c.tz, 1);
    tzset();
    TIME_ZONE_INFORMATION current;
    GetTimeZoneInformation(&current);
    for (const TIME_ZONE_INFORMATION* tzi : {static_cast<const TIME_ZONE_INFORMATION*>(nullptr),
                                             static_cast<const TIME_ZONE_INFORMATION*>(&current)}) {
        SCOPED_TRACE(std::string(c.why) + (tzi ? " (current zone given)" : " (no zone given)"));
        SYSTEMTIME out{};
        const BOOL ok = toLocal ? SystemTimeToTzSpecificLocalTime(tzi, &c.input, &out)
                                : TzSpecificLocalTimeToSystemTime(tzi, &c.input, &out);
        ASSERT_TRUE(ok);
        EXPECT_EQ(Show(out), Show(c.expected));
    }
}

TEST_F(TimeZone, UtcToLocalFollowsTheRulesForThatDate) {
    const ConversionCase cases[] = {
        {kFourEast, At(2010, 6, 15, 9, 30, 0, 250), At(2010, 6, 15, 13, 30, 0, 250, 2),
         "four hours east, milliseconds kept, Tuesday"},
        {kCentralEurope, At(2010, 6, 15, 9, 30), At(2010, 6, 15, 11, 30, 0, 0, 2), "summer: UTC+2"},
        {kCentralEurope, At(2010, 1, 15, 9, 30), At(2010, 1, 15, 10, 30, 0, 0, 5), "winter: UTC+1, Friday"},
        {kCentralEurope, At(2010, 3, 28, 0, 59, 59), At(2010, 3, 28, 1, 59, 59, 0, 0),
         "last second of winter time on 28 March 2010"},
        {kCentralEurope, At(2010, 3, 28, 1, 0, 0), At(2010, 3, 28, 3, 0, 0, 0, 0),
         "summer time starts at 01:00 UTC, clocks jump to 03:00"},
        {kCentralEurope, At(2010, 10, 31, 0, 59, 59), At(2010, 10, 31, 2, 59, 59, 0, 0),
         "last second of summer time on 31 October 2010"},
        {kCentralEurope, At(2010, 10, 31, 1, 0, 0), At(2010, 10, 31, 2, 0, 0, 0, 0),
         "winter time from 01:00 UTC: 02:00 again"},
        {kUsEastern, At(2010, 6, 15, 9, 30), At(2010, 6, 15, 5, 30, 0, 0, 2), "summer: UTC-4"},
        {kUsEastern, At(2010, 1, 15, 0, 0), At(2010, 1, 14, 19, 0, 0, 0, 4),
         "midnight UTC in winter is the evening before, Thursday"},
        {kUsEastern, At(2011, 1, 1, 3, 0), At(2010, 12, 31, 22, 0, 0, 0, 5), "back over the year boundary"},
        {kEasternAustralia, At(2010, 1, 15, 0, 0), At(2010, 1, 15, 11, 0, 0, 0, 5), "southern summer: UTC+11"},
        {kEasternAustralia, At(2010, 6, 15, 0, 0), At(2010, 6, 15, 10, 0, 0, 0, 2), "southern winter: UTC+10"},
        {kFourEast, At(1601, 1, 1, 0, 0), At(1601, 1, 1, 4, 0, 0, 0, 1), "first Win32 year, a Monday"},
        {kFourEast, At(2012, 2, 29, 22, 0), At(2012, 3, 1, 2, 0, 0, 0, 4), "leap day into March"},
        {kFourEast, At(2010, 6, 15, 9, 30, 0, 0, 6), At(2010, 6, 15, 13, 30, 0, 0, 2),
         "a wrong day of week on input is ignored and set on output"},
    };
    for (const ConversionCase& c : cases) CheckInEachZoneForm(c, true);
}

TEST_F(TimeZone, LocalToUtcFollowsTheRulesForThatDate) {
    const ConversionCase cases[] = {
        {kFourEast, At(2010, 6, 15, 12, 30, 0, 7), At(2010, 6, 15, 8, 30, 0, 7, 2),
         "12:30 four hours east is 08:30 UTC"},
        {kCentralEurope, At(2010, 6, 15, 12, 30), At(2010, 6, 15, 10, 30, 0, 0, 2), "summer offset"},
        {kCentralEurope, At(2010, 1, 15, 12, 30), At(2010, 1, 15, 11, 30, 0, 0, 5), "winter offset"},
        {kUsEastern, At(2010, 6, 15, 12, 30), At(2010, 6, 15, 16, 30, 0, 0, 2), "summer offset"},
        {kUsEastern, At(2010, 12, 31, 22, 0), At(2011, 1, 1, 3, 0, 0, 0, 6), "into the next year, Saturday"},
        {kEasternAustralia, At(2010, 1, 15, 11, 0), At(2010, 1, 15, 0, 0, 0, 0, 5), "southern summer"},
    };
    for (const ConversionCase& c : cases) CheckInEachZoneForm(c, false);
}

// Another zone than the machine's: its bias and rules apply, as on Windows.
TEST_F(TimeZone, AnExplicitZoneAppliesItsOwnRules) {
    TIME_ZONE_INFORMATION centralEurope{};
    centralEurope.Bias = -60;
    centralEurope.DaylightBias = -60;
    centralEurope.DaylightDate = SYSTEMTIME{0, 3, 0, 5, 2, 0, 0, 0};
    centralEurope.StandardDate = SYSTEMTIME{0, 10, 0, 5, 3, 0, 0, 0};
    TIME_ZONE_INFORMATION southern{};
    southern.Bias = -600;
    southern.DaylightBias = -60;
    southern.DaylightDate = SYSTEMTIME{0, 10, 0, 1, 2, 0, 0, 0};
    southern.StandardDate = SYSTEMTIME{0, 4, 0, 1, 3, 0, 0, 0};
    TIME_ZONE_INFORMATION fiveWest{};
    fiveWest.Bias = 300;

    struct Case {
        const TIME_ZONE_INFORMATION* tzi;
        bool toLocal;
        SYSTEMTIME input, expected;
        const char* why;
    } cases[] = {
        {&centralEurope, true, At(2010, 6, 15, 9, 30), At(2010, 6, 15, 11, 30, 0, 0, 2), "summer"},
        {&centralEurope, true, At(2010, 1, 15, 9, 30), At(2010, 1, 15, 10, 30, 0, 0, 5), "winter"},
        {&centralEurope, true, At(2010, 3, 28, 1, 0), At(2010, 3, 28, 3, 0, 0, 0, 0), "start of summer time"},
        {&centralEurope, true, At(2010, 10, 31, 0, 59, 59), At(2010, 10, 31, 2, 59, 59, 0, 0),
         "last second of summer time"},
        {&centralEurope, true, At(2010, 10, 31, 1, 0), At(2010, 10, 31, 2, 0, 0, 0, 0), "end of summer time"},
        {&centralEurope, false, At(2010, 6, 15, 12, 30), At(2010, 6, 15, 10, 30, 0, 0, 2), "summer to UTC"},
        {&centralEurope, false, At(2010, 1, 15, 12, 30), At(2010, 1, 15, 11, 30, 0, 0, 5), "winter to UTC"},
        {&southern, true, At(2010, 1, 15, 0, 0), At(2010, 1, 15, 11, 0, 0, 0, 5), "southern summer"},
        {&southern, true, At(2010, 6, 15, 0, 0), At(2010, 6, 15, 10, 0, 0, 0, 2), "southern winter"},
        {&southern, false, At(2010, 12, 24, 18, 0), At(2010, 12, 24, 7, 0, 0, 0, 5), "southern summer to UTC"},
        {&fiveWest, true, At(2010, 6, 15, 9, 30), At(2010, 6, 15, 4, 30, 0, 0, 2), "no daylight saving"},
        {&fiveWest, false, At(2010, 6, 15, 4, 30), At(2010, 6, 15, 9, 30, 0, 0, 2), "no daylight saving back"},
    };
    UseZone(kFourEast);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SYSTEMTIME out{};
        const BOOL ok = c.toLocal ? SystemTimeToTzSpecificLocalTime(c.tzi, &c.input, &out)
                                  : TzSpecificLocalTimeToSystemTime(c.tzi, &c.input, &out);
        ASSERT_TRUE(ok);
        EXPECT_EQ(Show(out), Show(c.expected));
    }
}

TEST_F(TimeZone, InvalidTimesAreRefusedAndTheOutputIsLeftAlone) {
    struct Case {
        SYSTEMTIME input;
        const char* why;
    } cases[] = {
        {At(2010, 0, 6, 5, 9), "month 0, as an extended date read at basic positions gives"},
        {At(2010, 13, 1, 0, 0), "month 13"},
        {At(2010, 6, 0, 0, 0), "day 0"},
        {At(2010, 6, 31, 0, 0), "31 June"},
        {At(2010, 2, 29, 0, 0), "29 February of a common year"},
        {At(1900, 2, 29, 0, 0), "1900 was not a leap year"},
        {At(2010, 6, 15, 24, 0), "hour 24"},
        {At(2010, 6, 15, 0, 60), "minute 60"},
        {At(2010, 6, 15, 0, 0, 60), "second 60"},
        {At(2010, 6, 15, 0, 0, 0, 1000), "millisecond 1000"},
        {At(1600, 12, 31, 0, 0), "before 1601"},
        {At(30828, 1, 1, 0, 0), "after 30827"},
        {At(0, 0, 0, 0, 0), "all zero"},
        {At(65535, 65535, 65535, 65535, 65535, 65535, 65535), "all ones"},
    };
    TIME_ZONE_INFORMATION other{};
    other.Bias = 300;
    for (const char* tz : {kFourEast, kCentralEurope}) {
        UseZone(tz);
        for (const Case& c : cases) {
            for (const TIME_ZONE_INFORMATION* tzi : {static_cast<const TIME_ZONE_INFORMATION*>(nullptr),
                                                     static_cast<const TIME_ZONE_INFORMATION*>(&other)}) {
                SCOPED_TRACE(std::string(c.why) + " in " + tz + (tzi ? " with a zone" : ""));
                const SYSTEMTIME untouched = At(1234, 5, 6, 7, 8, 9, 10, 3);
                SYSTEMTIME out = untouched;
                SetLastError(0);
                EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(tzi, &c.input, &out));
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
                EXPECT_EQ(Show(out), Show(untouched));
                SetLastError(0);
                EXPECT_FALSE(TzSpecificLocalTimeToSystemTime(tzi, &c.input, &out));
                EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
                EXPECT_EQ(Show(out), Show(untouched));
            }
        }
    }
}

TEST_F(TimeZone, NullPointersAndBrokenRulesAreRefused) {
    UseZone(kFourEast);
    const SYSTEMTIME valid = At(2010, 6, 15, 9, 30);
    SYSTEMTIME out{};
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(nullptr, nullptr, &out));
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(nullptr, &valid, nullptr));
    EXPECT_FALSE(TzSpecificLocalTimeToSystemTime(nullptr, nullptr, &out));
    EXPECT_FALSE(TzSpecificLocalTimeToSystemTime(nullptr, &valid, nullptr));
    TIME_ZONE_INFORMATION broken{};
    broken.DaylightDate = SYSTEMTIME{0, 3, 9, 7, 2, 0, 0, 0};  // weekday 9, week 7
    broken.StandardDate = SYSTEMTIME{0, 10, 0, 5, 3, 0, 0, 0};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToTzSpecificLocalTime(&broken, &valid, &out));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// The edges of the Win32 range convert or are refused, never crash.
TEST_F(TimeZone, EdgesOfTheRangeNeverCrash) {
    const SYSTEMTIME edges[] = {At(1601, 1, 1, 0, 0), At(30827, 12, 31, 23, 59, 59, 999)};
    for (const char* tz : {kFourEast, kUsEastern, kCentralEurope}) {
        UseZone(tz);
        for (const SYSTEMTIME& t : edges) {
            SYSTEMTIME out{};
            SystemTimeToTzSpecificLocalTime(nullptr, &t, &out);
            TzSpecificLocalTimeToSystemTime(nullptr, &t, &out);
        }
    }
}

}  // namespace
