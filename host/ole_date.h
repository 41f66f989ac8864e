/* OLE automation dates and SYSTEMTIME, both ways: days since 30 December 1899,
 * the fraction the time of day (for negative dates the fraction still counts
 * forward from midnight). Exports the conversions and the empty date. */
#ifndef ZAMO_HOST_OLE_DATE_H
#define ZAMO_HOST_OLE_DATE_H

#include <windows.h>

/* 31 December 9999, the largest OLE date: the host's empty date. */
constexpr double kOleEmptyDate = 2958465.0;
/* 1 January 100, the smallest OLE date. */
constexpr double kOleMinDate = -657434.0;

/* Non-zero for the empty date and anything past it. */
bool OleIsEmptyDate(double date);

/* Exact to the second (milliseconds rounded) for 1 January 100 to 31 December 9999.
 * NaN and dates outside that range give the all-zero SYSTEMTIME. */
SYSTEMTIME OleDateToSystemTime(double date);

/* A SYSTEMTIME that is no valid date and time (month 0 or 13, day 0 or past the
 * month's end, hour 24, year outside 100..9999, the all-zero one) gives the empty
 * date. The day of week is not read. */
double SystemTimeToOleDate(const SYSTEMTIME& time);

#endif
