/* export_driver contacts N FILE | note LINES FILE: the export command of
 * vcard_export.zamodll over the memory host library (N generated contacts, or
 * one whose note holds LINES line feeds), saving to FILE. Prints the command's
 * wall and CPU seconds, the output size and MB/s of output. */
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "export_bench_host.h"
#include "plugin_driver.h"

int main(int argc, char** argv) {
    char* end = nullptr;
    const size_t count = argc == 4 ? std::strtoul(argv[2], &end, 10) : 0;
    const bool contacts = argc == 4 && std::strcmp(argv[1], "contacts") == 0;
    const bool note = argc == 4 && std::strcmp(argv[1], "note") == 0;
    if ((!contacts && !note) || end == argv[2] || *end != 0) {
        std::fprintf(stderr, "usage: export_driver contacts N FILE | note LINES FILE\n");
        return 2;
    }
    // The revision stamps go through a fixed zone, whatever the machine's.
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    if (contacts)
        FillMemoryHost(count);
    else
        FillMemoryHostWithNote(count);
    ModuleCommand exportAll = LoadModuleCommand("vcard_export.zamodll");
    AnswerDialogWith(argv[3]);
    const double start = Seconds();
    const double cpuStart = CpuSeconds();
    exportAll();
    const double wall = Seconds() - start;
    struct stat info {};
    if (stat(argv[3], &info) != 0) {
        std::fprintf(stderr, "export_driver: no output in %s\n", argv[3]);
        return 1;
    }
    PrintCommandTimes(start, cpuStart,
                      std::to_string(info.st_size) + " bytes, " +
                          std::to_string(static_cast<double>(info.st_size) / 1e6 / wall) + " MB/s");
    return 0;
}
