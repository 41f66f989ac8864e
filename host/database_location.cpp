/* FindDatabaseLocation (see database_location.h). */
#include "database_location.h"

#include <cstdlib>

namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}
}  // namespace

DatabaseLocation FindDatabaseLocation(const std::string& dbOption) {
    if (!dbOption.empty()) return {dbOption, false};
    std::string fromEnv = Env("ZAMO_DB");
    if (!fromEnv.empty()) return {fromEnv, false};
    std::string xdg = Env("XDG_DATA_HOME");
    if (!xdg.empty() && xdg[0] == '/') return {xdg + "/zamo/contacts.db", true};
    std::string home = Env("HOME");
    if (!home.empty()) return {home + "/.local/share/zamo/contacts.db", true};
    return {"", false};
}
