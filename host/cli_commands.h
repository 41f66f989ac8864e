/* The zamo program's commands, each run over the open contact store and the
 * loaded modules. Exports CliFailure, ProgramContext and the Run* functions. */
#ifndef ZAMO_HOST_CLI_COMMANDS_H
#define ZAMO_HOST_CLI_COMMANDS_H

#include <string>
#include <vector>

#include "cli_options.h"
#include "plugin_modules.h"

/* A command that cannot go on: a one-line message and the exit code. */
struct CliFailure {
    std::string message;
    int exitCode = 1;
};

struct ProgramContext {
    CommandLine commandLine;
    std::string pluginFolder;
    std::vector<PluginModule> modules;
    bool inputIsTerminal = false;
    bool errorIsTerminal = false;
};

/* Checks made before the database is opened, so that a refused command changes
 * nothing: every import file readable and small enough for the open dialog;
 * the export file's folder present. Throws CliFailure. */
void CheckImportFiles(const CommandLine& commandLine);
void CheckExportFile(const CommandLine& commandLine);

/* Each prints its result on standard output and throws CliFailure on failure. */
void RunMenu(const ProgramContext& context);
void RunImport(const ProgramContext& context);
void RunExport(const ProgramContext& context);
void RunList(const ProgramContext& context);
void RunShow(const ProgramContext& context);
void RunAdd(const ProgramContext& context);
void RunFind(const ProgramContext& context);
void RunEdit(const ProgramContext& context);
void RunRemove(const ProgramContext& context);

/* The contact a user names: the UID when a contact has it, else the one
 * contact that `find` would give for the text. Throws CliFailure when none
 * does, or (listing them) when several do. */
WString FindOneContact(const std::string& uidOrText);

/* The module of that file name (e.g. "vcard_import"); throws CliFailure when absent. */
const PluginModule& FindModule(const ProgramContext& context, const std::string& name);

/* Commits what the command wrote; throws CliFailure when that failed. */
void FinishPluginCommand();

/* Whether a message box of this type reports a failure (MB_ICONERROR). */
bool IsErrorBox(UINT type);
/* The text of a module's error box as one line for standard error: controls
 * (line breaks included) escaped; `hiddenPath`, when not empty, is shown as
 * `shownAs` (a temporary file standing for standard input or output). */
std::string ErrorBoxLine(LPCWSTR text, const std::string& hiddenPath = "",
                         const std::string& shownAs = "");
/* "55,000": a count with thousands separated by commas. */
std::string CountText(long count);

#endif
