/* FormatVCardDate (see vcard_date_format.h): the zone conversion through the
 * Win32 time-zone functions, then fixed-width formatting. */
#include "vcard_date_format.h"

#include <cstdio>

namespace {

SYSTEMTIME LocalToUniversal(const SYSTEMTIME& local) {
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return local;
    SYSTEMTIME universal{};
    if (!TzSpecificLocalTimeToSystemTime(&zone, &local, &universal)) return local;
    return universal;
}

}  // namespace

std::string FormatVCardDate(SYSTEMTIME time, bool dateOnly) {
    char text[64];
    if (dateOnly) {
        std::snprintf(text, sizeof text, "%d%02d%02d", time.wYear, time.wMonth, time.wDay);
        return text;
    }
    const SYSTEMTIME t = LocalToUniversal(time);
    std::snprintf(text, sizeof text, "%d%02d%02dT%02d%02d%02dZ", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return text;
}
