/* Proleptic Gregorian arithmetic for the time zone functions: validity,
 * seconds since 1970 both ways, and transition rules of a zone. */
#include "calendar_math.h"

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Days since 1970-01-01 of a civil date (the era-based algorithm that counts
// 400-year cycles of 146097 days from 1 March of year 0).
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

// 0 = Sunday, as SYSTEMTIME counts; 1970-01-01 was a Thursday.
int WeekdayOfDays(int64_t days) {
    const int64_t w = (days + 4) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

}  // namespace

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidSystemTime(const SYSTEMTIME& t) {
    return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
           t.wDay <= DaysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 &&
           t.wSecond < 60 && t.wMilliseconds < 1000;
}

int64_t SecondsSinceEpoch(const SYSTEMTIME& t) {
    return DaysFromCivil(t.wYear, t.wMonth, t.wDay) * 86400 + t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
}

bool SystemTimeFromSeconds(int64_t seconds, WORD milliseconds, SYSTEMTIME& out) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t year;
    int month, day;
    CivilFromDays(days, year, month, day);
    if (year < 1601 || year > 30828) return false;
    out.wYear = static_cast<WORD>(year);
    out.wMonth = static_cast<WORD>(month);
    out.wDayOfWeek = static_cast<WORD>(WeekdayOfDays(days));
    out.wDay = static_cast<WORD>(day);
    out.wHour = static_cast<WORD>(rest / 3600);
    out.wMinute = static_cast<WORD>(rest / 60 % 60);
    out.wSecond = static_cast<WORD>(rest % 60);
    out.wMilliseconds = milliseconds;
    return true;
}

bool TransitionInYear(const SYSTEMTIME& rule, int year, int64_t& seconds) {
    if (rule.wMonth < 1 || rule.wMonth > 12 || rule.wHour > 23 || rule.wMinute > 59 || rule.wSecond > 59)
        return false;
    const int length = DaysInMonth(year, rule.wMonth);
    int day;
    if (rule.wYear != 0) {
        if (rule.wDay < 1 || rule.wDay > length) return false;
        day = rule.wDay;
    } else {
        if (rule.wDay < 1 || rule.wDay > 5 || rule.wDayOfWeek > 6) return false;
        const int firstWeekday = WeekdayOfDays(DaysFromCivil(year, rule.wMonth, 1));
        day = 1 + (rule.wDayOfWeek - firstWeekday + 7) % 7 + 7 * (rule.wDay - 1);
        while (day > length) day -= 7;
    }
    seconds = DaysFromCivil(year, rule.wMonth, day) * 86400 + rule.wHour * 3600 + rule.wMinute * 60 +
              rule.wSecond;
    return true;
}

SYSTEMTIME RuleFromDate(const SYSTEMTIME& date) {
    SYSTEMTIME rule = date;
    rule.wYear = 0;
    rule.wMilliseconds = 0;
    rule.wDay = static_cast<WORD>(date.wDay + 7 > DaysInMonth(date.wYear, date.wMonth) ? 5
                                                                                        : (date.wDay - 1) / 7 + 1);
    return rule;
}
