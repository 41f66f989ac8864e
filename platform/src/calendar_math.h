/* Proleptic Gregorian calendar arithmetic on SYSTEMTIME for the time zone
 * functions: validity as Win32 checks it, seconds since 1970 and back, and the
 * day-of-week-in-month rules of TIME_ZONE_INFORMATION. Internal to libzamo_win32. */
#ifndef ZAMO_WIN32_CALENDAR_MATH_H
#define ZAMO_WIN32_CALENDAR_MATH_H

#include <windows.h>

#include <cstdint>

int DaysInMonth(int year, int month);

/* True when every field lies in Win32's range: year 1601..30827, month 1..12,
 * day within the month, hour < 24, minute and second < 60, milliseconds < 1000.
 * The day of week is not checked. */
bool IsValidSystemTime(const SYSTEMTIME& time);

/* Seconds since 1970-01-01 00:00:00 of the fields (milliseconds left out). */
int64_t SecondsSinceEpoch(const SYSTEMTIME& time);

/* The fields of a count of seconds since 1970, with the day of week set and
 * the given milliseconds; false when the year leaves 1601..30828. */
bool SystemTimeFromSeconds(int64_t seconds, WORD milliseconds, SYSTEMTIME& out);

/* The moment, in seconds since 1970 on the zone's local scale, at which a
 * transition rule of a TIME_ZONE_INFORMATION falls in `year`: wYear 0 is the
 * day-of-week-in-month form (wDay 1..5, 5 = last), otherwise wMonth/wDay is a
 * fixed date. False when the rule's fields are out of range. */
bool TransitionInYear(const SYSTEMTIME& rule, int year, int64_t& seconds);

/* The same moment as a rule: wYear 0, weekday, week of month (5 when no later
 * occurrence of that weekday fits in the month) and the time of day. */
SYSTEMTIME RuleFromDate(const SYSTEMTIME& date);

#endif
