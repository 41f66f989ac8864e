/* import_driver FILE: runs the import command of vcard_import.zamodll in a
 * process whose host functions do nothing (the null host library), answering
 * the open dialog with FILE. Prints the command's seconds and MB/s; the bench
 * script times the whole process. */
#include <sys/stat.h>

#include <cstdio>

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
    import();
    const double seconds = Seconds() - start;
    std::printf("command %.3f s, %.1f MB/s\n", seconds,
                static_cast<double>(info.st_size) / 1e6 / seconds);
    return 0;
}
