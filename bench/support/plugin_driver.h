/* What the two whole-process drivers share: loading a plug-in module from the
 * build folder with dlopen, answering its file dialog with one path, and a
 * monotonic clock and the process's CPU clock. Exports LoadModuleCommand,
 * AnswerDialogWith, Seconds, CpuSeconds and PrintCommandTimes. */
#ifndef ZAMO_BENCH_PLUGIN_DRIVER_H
#define ZAMO_BENCH_PLUGIN_DRIVER_H

#include <string>

/* The ExecuteMainCommand export of `file` (a module name such as
 * "vcard_import.zamodll", taken from the build folder); exits with a message
 * when the module or the export is missing. The module stays loaded. */
using ModuleCommand = void (*)();
ModuleCommand LoadModuleCommand(const char* file);

/* Answers every open or save dialog from now on with `path` (UTF-8, made
 * absolute); exits with a message when the path is no UTF-8. */
void AnswerDialogWith(const std::string& path);

/* Seconds on a monotonic clock. */
double Seconds();
/* CPU seconds (user and system) the process has used so far. */
double CpuSeconds();

/* Prints "command W s, cpu C s" for the wall and CPU seconds since the two
 * starts, the line bench.sh reads; `more` is appended after a comma when given. */
void PrintCommandTimes(double wallStart, double cpuStart, const std::string& more = "");

#endif
