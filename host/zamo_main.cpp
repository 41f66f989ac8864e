/* The zamo program: parses the command line, checks the inputs, opens the
 * contact database, loads the plug-in modules and runs one command. Exit codes:
 * 0 done, 1 the command failed, 2 the command line is wrong. */
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "cli_commands.h"
#include "database_location.h"
#include "host_system.h"
#include "utf_text.h"
#include "zamo_store.h"

namespace {

struct CommandInfo {
    const char* name;
    void (*check)(const CommandLine&);  // before the database is opened; may be null
    bool needsPlugins;
    bool readOnly;  // opens an existing database without writing to it
    void (*run)(const ProgramContext&);
};

const CommandInfo kCommands[] = {
    {"menu", nullptr, true, true, RunMenu},
    {"import", CheckImportFiles, true, false, RunImport},
    {"export", CheckExportFile, true, true, RunExport},
    {"list", nullptr, false, true, RunList},
    {"show", nullptr, false, true, RunShow},
    {"find", nullptr, false, true, RunFind},
    {"add", nullptr, false, false, RunAdd},
    {"edit", nullptr, false, false, RunEdit},
    {"remove", nullptr, false, false, RunRemove},
};

int Fail(const std::string& message, int code) {
    std::fflush(stdout);
    std::fprintf(stderr, "zamo: %s\n", message.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    ProgramContext context;
    try {
        context.commandLine = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        return Fail(e.message, 2);
    }
    const CommandLine& cl = context.commandLine;
    if (cl.command == "help") {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (cl.command == "version") {
        std::puts("zamo " ZAMO_VERSION_TEXT);
        return 0;
    }
    const CommandInfo* command = nullptr;
    for (const CommandInfo& c : kCommands)
        if (cl.command == c.name) command = &c;
    if (!command) return Fail("unknown command " + cl.command, 2);
    context.inputIsTerminal = IsTerminal(0);
    context.errorIsTerminal = IsTerminal(2);

    DatabaseLocation db = FindDatabaseLocation(cl.db);
    bool dbExisted = true, commandStarted = false;
    try {
        if (command->check) command->check(cl);
        if (db.path.empty())
            throw CliFailure{"no database: give --db PATH or set ZAMO_DB or HOME"};
        std::error_code ec;
        dbExisted = std::filesystem::exists(db.path, ec);
        if (command->readOnly && !dbExisted)
            throw CliFailure{"no contact database at " + db.path +
                             " (import or add creates one; --db PATH names another)"};
        if (db.isDefault && !command->readOnly)
            std::filesystem::create_directories(std::filesystem::path(db.path).parent_path(), ec);
        std::string error;
        if (!ZamoStore_Open(db.path, &error, command->readOnly)) {
            dbExisted = true;  // nothing of ours to remove
            throw CliFailure{error};
        }
        if (command->needsPlugins) {
            context.pluginFolder = cl.plugins.empty() ? DefaultPluginFolder() : cl.plugins;
            WString language;
            if (!Utf8ToWide(cl.lang, &language)) throw CliFailure{"--lang is not UTF-8", 2};
            std::vector<std::string> notes;
            context.modules = LoadPluginModules(context.pluginFolder, language, &notes);
            for (const std::string& note : notes) std::fprintf(stderr, "zamo: %s\n", note.c_str());
            if (context.modules.empty())
                throw CliFailure{"no plug-ins found in " + context.pluginFolder};
        }
        commandStarted = true;
        command->run(context);
        if (!ZamoStore_Close(&error)) throw CliFailure{"not everything was saved: " + error};
        std::fflush(stdout);
        return 0;
    } catch (const CliFailure& f) {
        ZamoStore_Close(nullptr);
        // A database created by this run and never written to goes again.
        if (!dbExisted && !commandStarted) std::remove(db.path.c_str());
        return Fail(f.message, f.exitCode);
    } catch (const std::exception& e) {
        ZamoStore_Close(nullptr);
        return Fail(e.what(), 1);
    }
}
