/* OLE date <-> SYSTEMTIME conversions (see ole_date.h), on the proleptic
 * Gregorian calendar through a days-from-civil count. */
#include "ole_date.h"

#include <cmath>
#include <cstdint>

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

const int64_t kOleEpochDays = DaysFromCivil(1899, 12, 30);

}  // namespace

bool OleIsEmptyDate(double date) { return date >= kOleEmptyDate; }

SYSTEMTIME OleDateToSystemTime(double date) {
    SYSTEMTIME st{};
    // The first day's times lie below kOleMinDate: before the epoch the fraction
    // counts forward from midnight while the whole part counts back.
    if (std::isnan(date) || date <= kOleMinDate - 1.0 || date >= kOleEmptyDate + 1.0) return st;
    double whole = std::trunc(date);
    double fraction = std::fabs(date - whole);
    int64_t days = static_cast<int64_t>(whole);
    int64_t ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++days;
    }
    int64_t y;
    unsigned m, d;
    CivilFromDays(kOleEpochDays + days, y, m, d);
    if (y > 9999) return st;
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    // 1970-01-01 was a Thursday (4).
    int64_t dow = (kOleEpochDays + days + 4) % 7;
    st.wDayOfWeek = static_cast<WORD>(dow < 0 ? dow + 7 : dow);
    st.wHour = static_cast<WORD>(ms / 3600000);
    st.wMinute = static_cast<WORD>(ms / 60000 % 60);
    st.wSecond = static_cast<WORD>(ms / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    return st;
}

double SystemTimeToOleDate(const SYSTEMTIME& t) {
    if (t.wYear < 100 || t.wYear > 9999 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 ||
        t.wDay > DaysInMonth(t.wYear, t.wMonth) || t.wHour > 23 || t.wMinute > 59 ||
        t.wSecond > 59 || t.wMilliseconds > 999)
        return kOleEmptyDate;
    int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay) - kOleEpochDays;
    double time = (t.wHour * 3600000.0 + t.wMinute * 60000.0 + t.wSecond * 1000.0 +
                   t.wMilliseconds) / 86400000.0;
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}
