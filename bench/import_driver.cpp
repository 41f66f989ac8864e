/* import_driver FILE: runs the import command of vcard_import.zamodll in a
 * process whose host functions do nothing (the null host library), answering
 * the open dialog with FILE. Prints the command's wall and CPU seconds and MB/s; the bench
 * script times the whole process. */
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "plugin_driver.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: import_driver FILE\n");
        return 2;
    }
    struct stat info {};
    if (stat(argv[1], &info) != 0) {
        std::fprintf(stderr, "import_driver: cannot read %s\n", argv[1]);
        return 1;
    }
    ModuleCommand import = LoadModuleCommand("vcard_import.zamodll");
    AnswerDialogWith(argv[1]);
    const double start = Seconds();
    const double cpuStart = CpuSeconds();
    import();
    PrintCommandTimes(start, cpuStart,
                      std::to_string(static_cast<double>(info.st_size) / 1e6 / (Seconds() - start)) +
                          " MB/s");
    return 0;
}
