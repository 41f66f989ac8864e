/* Time zones of the subset, following the C library's local zone (TZ and the
 * system's zone data). Exports GetTimeZoneInformation,
 * SystemTimeToTzSpecificLocalTime and TzSpecificLocalTimeToSystemTime. */
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "calendar_math.h"

namespace {

struct LocalState {
    bool daylight;
    long offset;  // seconds east of UTC
};

LocalState StateAt(int64_t t) {
    const time_t moment = static_cast<time_t>(t);
    struct tm parts;
    if (!localtime_r(&moment, &parts)) return {false, 0};
    return {parts.tm_isdst > 0, parts.tm_gmtoff};
}

// The first second in (from, to] whose daylight flag differs from that at `from`.
int64_t FindSwitch(int64_t from, int64_t to) {
    const bool before = StateAt(from).daylight;
    while (to - from > 1) {
        const int64_t middle = from + (to - from) / 2;
        if (StateAt(middle).daylight == before)
            from = middle;
        else
            to = middle;
    }
    return to;
}

void CopyName(WCHAR (&target)[32], const char* name) {
    size_t i = 0;
    for (; name && name[i] && i < 31; ++i) target[i] = static_cast<unsigned char>(name[i]);
    for (; i < 32; ++i) target[i] = 0;
}

SYSTEMTIME RuleAt(int64_t utcSwitch, long offset) {
    SYSTEMTIME local{};
    SystemTimeFromSeconds(utcSwitch + offset, 0, local);
    return RuleFromDate(local);
}

// Describes the C library's zone for the year of `today` in Win32 terms: the
// offsets from the month starts of the year, the transitions found between them.
// False when the year has no daylight period.
bool DescribeZoneYear(const SYSTEMTIME& today, long offsetNow, TIME_ZONE_INFORMATION& tzi) {
    std::memset(&tzi, 0, sizeof tzi);

    int64_t monthStarts[13];
    for (int m = 0; m < 13; ++m) {
        SYSTEMTIME first{};
        first.wYear = static_cast<WORD>(today.wYear + (m == 12));
        first.wMonth = static_cast<WORD>(m == 12 ? 1 : m + 1);
        first.wDay = 1;
        monthStarts[m] = SecondsSinceEpoch(first);
    }
    bool hasStandard = false, hasDaylight = false;
    long standardOffset = offsetNow, daylightOffset = 0;
    for (int64_t start : monthStarts) {
        const LocalState s = StateAt(start);
        if (s.daylight && !hasDaylight) {
            hasDaylight = true;
            daylightOffset = s.offset;
        } else if (!s.daylight && !hasStandard) {
            hasStandard = true;
            standardOffset = s.offset;
        }
    }
    tzi.Bias = static_cast<LONG>(-standardOffset / 60);
    CopyName(tzi.StandardName, tzname[0]);
    if (!hasDaylight || !hasStandard) return false;

    CopyName(tzi.DaylightName, tzname[1]);
    tzi.DaylightBias = static_cast<LONG>(-(daylightOffset - standardOffset) / 60);
    bool foundStart = false, foundEnd = false;
    for (int m = 0; m < 12; ++m) {
        const bool before = StateAt(monthStarts[m]).daylight;
        if (before == StateAt(monthStarts[m + 1]).daylight) continue;
        const int64_t at = FindSwitch(monthStarts[m], monthStarts[m + 1]);
        if (!before && !foundStart) {
            tzi.DaylightDate = RuleAt(at, standardOffset);
            foundStart = true;
        } else if (before && !foundEnd) {
            tzi.StandardDate = RuleAt(at, daylightOffset);
            foundEnd = true;
        }
    }
    return true;
}

// The zone as the C library knows it after tzset: TZ and what it named.
std::string ZoneIdentity() {
    const char* tz = std::getenv("TZ");
    std::string id = tz ? std::string("=") + tz : std::string("-");
    for (const char* name : {tzname[0], tzname[1]}) (id += '\n') += name ? name : "";
    return id + '\n' + std::to_string(timezone) + '\n' + std::to_string(daylight);
}

// Describes the C library's current zone for the current year. The description
// takes dozens of zone look-ups, so the last one is kept while zone and year stay.
DWORD DescribeLocalZone(TIME_ZONE_INFORMATION& tzi) {
    tzset();
    const int64_t now = static_cast<int64_t>(time(nullptr));
    const LocalState state = StateAt(now);
    SYSTEMTIME today{};
    SystemTimeFromSeconds(now + state.offset, 0, today);
    thread_local struct {
        std::string zone;
        WORD year = 0;
        TIME_ZONE_INFORMATION tzi{};
        bool daylightPeriod = false;
    } last;
    std::string zone = ZoneIdentity();
    if (last.year != today.wYear || last.zone != zone) {
        last.daylightPeriod = DescribeZoneYear(today, state.offset, last.tzi);
        last.year = today.wYear;
        last.zone = std::move(zone);
    }
    tzi = last.tzi;
    if (!last.daylightPeriod) return TIME_ZONE_ID_UNKNOWN;
    return state.daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

bool SameRule(const SYSTEMTIME& a, const SYSTEMTIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool IsLocalZone(const TIME_ZONE_INFORMATION* tzi) {
    if (!tzi) return true;
    TIME_ZONE_INFORMATION local;
    DescribeLocalZone(local);
    return tzi->Bias == local.Bias && tzi->StandardBias == local.StandardBias &&
           tzi->DaylightBias == local.DaylightBias && SameRule(tzi->StandardDate, local.StandardDate) &&
           SameRule(tzi->DaylightDate, local.DaylightDate);
}

// Whether a UTC moment lies in the daylight period of a zone's rules; false
// (and ok cleared) when the rules cannot be read.
bool InDaylightByRules(const TIME_ZONE_INFORMATION& tzi, int64_t utc, int year, bool& ok) {
    ok = true;
    if (tzi.DaylightDate.wMonth == 0 || tzi.StandardDate.wMonth == 0) return false;
    int64_t start, end;
    if (!TransitionInYear(tzi.DaylightDate, year, start) || !TransitionInYear(tzi.StandardDate, year, end)) {
        ok = false;
        return false;
    }
    start += (tzi.Bias + tzi.StandardBias) * 60LL;  // written in local standard time
    end += (tzi.Bias + tzi.DaylightBias) * 60LL;    // written in local daylight time
    return start < end ? (utc >= start && utc < end) : (utc >= start || utc < end);
}

bool Refuse() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

bool UtcToLocal(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME& utc, SYSTEMTIME& local) {
    const int64_t t = SecondsSinceEpoch(utc);
    int64_t shifted;
    if (IsLocalZone(tzi)) {
        tzset();
        shifted = t + StateAt(t).offset;
    } else {
        bool ok;
        const bool daylight = InDaylightByRules(*tzi, t, utc.wYear, ok);
        if (!ok) return Refuse();
        shifted = t - (tzi->Bias + (daylight ? tzi->DaylightBias : tzi->StandardBias)) * 60LL;
    }
    return SystemTimeFromSeconds(shifted, utc.wMilliseconds, local) || Refuse();
}

bool LocalToUtc(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME& local, SYSTEMTIME& utc) {
    const int64_t t = SecondsSinceEpoch(local);
    int64_t universal;
    if (IsLocalZone(tzi)) {
        tzset();
        struct tm parts{};
        parts.tm_year = local.wYear - 1900;
        parts.tm_mon = local.wMonth - 1;
        parts.tm_mday = local.wDay;
        parts.tm_hour = local.wHour;
        parts.tm_min = local.wMinute;
        parts.tm_sec = local.wSecond;
        parts.tm_isdst = -1;
        parts.tm_wday = -1;  // stays -1 only when mktime fails; -1 is also a valid moment
        const time_t result = mktime(&parts);
        if (result == static_cast<time_t>(-1) && parts.tm_wday == -1) return Refuse();
        universal = static_cast<int64_t>(result);
    } else {
        // A local time read as daylight time when that lands in the daylight
        // period, else as standard time; a repeated hour counts as daylight.
        bool ok;
        const int64_t asDaylight = t + (tzi->Bias + tzi->DaylightBias) * 60LL;
        const bool daylight = InDaylightByRules(*tzi, asDaylight, local.wYear, ok);
        if (!ok) return Refuse();
        universal = daylight ? asDaylight : t + (tzi->Bias + tzi->StandardBias) * 60LL;
    }
    return SystemTimeFromSeconds(universal, local.wMilliseconds, utc) || Refuse();
}

}  // namespace

extern "C" {

DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi) {
    if (!tzi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    return DescribeLocalZone(*tzi);
}

BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME* universalTime,
                                            LPSYSTEMTIME localTime) {
    if (!universalTime || !localTime || !IsValidSystemTime(*universalTime)) return Refuse();
    SYSTEMTIME result;
    if (!UtcToLocal(tzi, *universalTime, result)) return FALSE;
    *localTime = result;
    return TRUE;
}

BOOL WINAPI TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* tzi, const SYSTEMTIME* localTime,
                                            LPSYSTEMTIME universalTime) {
    if (!localTime || !universalTime || !IsValidSystemTime(*localTime)) return Refuse();
    SYSTEMTIME result;
    if (!LocalToUtc(tzi, *localTime, result)) return FALSE;
    *universalTime = result;
    return TRUE;
}

}  // extern "C"
