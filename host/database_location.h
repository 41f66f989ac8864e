/* Where the zamo program keeps its database. Exports DatabaseLocation. */
#ifndef ZAMO_HOST_DATABASE_LOCATION_H
#define ZAMO_HOST_DATABASE_LOCATION_H

#include <string>

struct DatabaseLocation {
    std::string path;
    bool isDefault = false;  // the per-user default, whose folder may be created
};

/* `dbOption` when non-empty, else $ZAMO_DB, else the per-user default of
 * DefaultDatabasePath (host_system.h). An empty path when none of them is set. */
DatabaseLocation FindDatabaseLocation(const std::string& dbOption);

#endif
