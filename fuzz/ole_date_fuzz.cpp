/* Fuzz target: the host's OLE date <-> SYSTEMTIME conversions, both ways. Any
 * double (NaN, infinities, huge values) and any SYSTEMTIME must convert without
 * fault; valid values must survive the round trip; invalid ones give the empty
 * date or the all-zero SYSTEMTIME. */
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "ole_date.h"

namespace {

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// The calendar's own rule (30 days hath September...), kept apart from the host's.
bool IsValid(const SYSTEMTIME& t) {
    static const unsigned kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.wYear < 100 || t.wYear > 9999 || t.wMonth < 1 || t.wMonth > 12) return false;
    unsigned days = kMonthDays[t.wMonth - 1] + (t.wMonth == 2 && IsLeap(t.wYear) ? 1 : 0);
    return t.wDay >= 1 && t.wDay <= days && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
           t.wMilliseconds < 1000;
}

bool IsZero(const SYSTEMTIME& t) {
    return t.wYear == 0 && t.wMonth == 0 && t.wDayOfWeek == 0 && t.wDay == 0 && t.wHour == 0 &&
           t.wMinute == 0 && t.wSecond == 0 && t.wMilliseconds == 0;
}

bool SameMoment(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond &&
           a.wMilliseconds == b.wMilliseconds;
}

std::string Show(const SYSTEMTIME& t) {
    return std::to_string(t.wYear) + "-" + std::to_string(t.wMonth) + "-" +
           std::to_string(t.wDay) + " " + std::to_string(t.wHour) + ":" +
           std::to_string(t.wMinute) + ":" + std::to_string(t.wSecond) + "." +
           std::to_string(t.wMilliseconds);
}

void CheckFromOle(double date) {
    SYSTEMTIME t = OleDateToSystemTime(date);
    if (IsZero(t)) return;  // NaN or out of range
    if (!IsValid(t) || t.wDayOfWeek > 6) FuzzFail("OLE date gave an invalid time " + Show(t));
    double back = SystemTimeToOleDate(t);
    SYSTEMTIME again = OleDateToSystemTime(back);
    if (!SameMoment(t, again) || again.wDayOfWeek != t.wDayOfWeek)
        FuzzFail("round trip of " + Show(t) + " gave " + Show(again));
}

void CheckFromSystemTime(const SYSTEMTIME& t) {
    double date = SystemTimeToOleDate(t);
    if (!IsValid(t)) {
        if (date != kOleEmptyDate) FuzzFail("invalid " + Show(t) + " did not give the empty date");
        return;
    }
    // Before 30 December 1899 the time of day counts away from zero: the first
    // day's times lie between kOleMinDate - 1 and kOleMinDate.
    if (std::isnan(date) || date <= kOleMinDate - 1.0 || date >= kOleEmptyDate + 1.0)
        FuzzFail("valid " + Show(t) + " gave a date out of range");
    SYSTEMTIME back = OleDateToSystemTime(date);
    if (!SameMoment(t, back)) FuzzFail("round trip of " + Show(t) + " gave " + Show(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    CheckFromOle(in.Double());
    SYSTEMTIME t;
    t.wYear = in.Word();
    t.wMonth = in.Word();
    t.wDayOfWeek = in.Word();
    t.wDay = in.Word();
    t.wHour = in.Word();
    t.wMinute = in.Word();
    t.wSecond = in.Word();
    t.wMilliseconds = in.Word();
    CheckFromSystemTime(t);
    // Raw double bits seldom land in the calendar's range: also a day count there
    // (1 January 100 .. 31 December 9999, 3,615,900 days) with a time of day.
    uint32_t day = static_cast<uint32_t>(in.Word()) | static_cast<uint32_t>(in.Word()) << 16;
    double fraction = in.Word() / 65536.0;
    double whole = kOleMinDate + static_cast<double>(day % 3615900u);
    CheckFromOle(whole < 0 ? whole - fraction : whole + fraction);
    return 0;
}
