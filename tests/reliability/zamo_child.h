/* Runs the zamo program as a child under faults the plain runner cannot set up:
 * a file size limit (a full disk), another user (read-only files for root too),
 * a kill at any moment. Also reads a contact database directly. Exports
 * ZamoChild, ChildFaults, the database and file helpers. */
#ifndef ZAMO_TESTS_RELIABILITY_ZAMO_CHILD_H
#define ZAMO_TESTS_RELIABILITY_ZAMO_CHILD_H

#include <sys/types.h>

#include <string>
#include <vector>

#include "zamo_process.h"

struct ChildFaults {
    long long fileSizeLimit = -1;  // bytes any file may grow to; -1: none
    bool asNobody = false;         // run as user nobody when started by root
};

/* One running zamo: standard input empty, outputs gathered in files of `folder`. */
class ZamoChild {
public:
    ZamoChild(const TempFolder& folder, const std::vector<std::string>& args,
              const ChildFaults& faults = {});
    ~ZamoChild();
    ZamoChild(const ZamoChild&) = delete;
    ZamoChild& operator=(const ZamoChild&) = delete;

    /* Waits for the end; exit code, or 128 + signal, and both outputs. */
    ZamoResult Wait();
    /* Sends SIGKILL (nothing when it has ended already) and waits. */
    ZamoResult Kill();

private:
    pid_t pid_ = -1;
    std::string out_, err_;
    bool waited_ = false;
    ZamoResult result_;
};

/* Runs an SQL statement on the database and returns the rows, one per line, columns
 * joined by "|"; "error: <message>" when it cannot. Opens read-write so that a
 * hot journal left by a killed process is rolled back first, as zamo would. */
std::string QueryDatabase(const std::string& path, const std::string& sql);

/* The bytes of a file, "" when missing. */
std::string FileBytes(const std::string& path);

/* True for an empty text and for one whose last line ends with CR LF. */
bool EndsAfterWholeLine(const std::string& text);

#endif
