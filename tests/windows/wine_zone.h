/* The time zone a Wine test run was started in. Wine's time-zone functions follow
 * the TZ variable the process started with (a change made inside the process does
 * not reach them), so zone-dependent cases name their zone and run only there.
 * Exports RunsInZone and kAnyZone. */
#ifndef ZAMO_TESTS_WINDOWS_WINE_ZONE_H
#define ZAMO_TESTS_WINDOWS_WINE_ZONE_H

#include <cstdlib>
#include <cstring>

/* A case that holds in every zone. */
constexpr const char* kAnyZone = nullptr;

/* True when `zone` is kAnyZone or the exact TZ text the process was started with. */
inline bool RunsInZone(const char* zone) {
    if (zone == kAnyZone) return true;
    const char* tz = std::getenv("TZ");
    return tz && std::strcmp(tz, zone) == 0;
}

#endif
