/* FindDatabaseLocation (see database_location.h). */
#include "database_location.h"

#include "host_system.h"

DatabaseLocation FindDatabaseLocation(const std::string& dbOption) {
    if (!dbOption.empty()) return {dbOption, false};
    std::string fromEnv = EnvironmentVariable("ZAMO_DB");
    if (!fromEnv.empty()) return {fromEnv, false};
    std::string fallback = DefaultDatabasePath();
    return {fallback, !fallback.empty()};
}
