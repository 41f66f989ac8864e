/* Loading plug-in modules as the organiser does: every *.zamodll of a folder,
 * opened with dlopen, exports resolved by name. Exports PluginModule and
 * LoadPluginModules. */
#ifndef ZAMO_HOST_PLUGIN_MODULES_H
#define ZAMO_HOST_PLUGIN_MODULES_H

#include <string>
#include <vector>

#include "wide_text.h"

struct PluginModule {
    std::string name;  // file name without ".zamodll", e.g. "vcard_import"
    void* handle = nullptr;
    const WCHAR* (*GetMainCommandName)() = nullptr;
    void (*SetLanguage)(const WCHAR*) = nullptr;
    void (*ExecuteMainCommand)() = nullptr;
    /* Both null when the module adds no contact-menu command. */
    const WCHAR* (*GetContactMenuCommandName)() = nullptr;
    void (*ContactMenuCommandExecute)(const WCHAR*) = nullptr;
};

/* Loads the modules of `folder` in file-name order and gives each the language.
 * A module that cannot be loaded or lacks GetMainCommandName, SetLanguage or
 * ExecuteMainCommand (or has only one of the two contact-menu exports) is passed
 * over with a one-line note in `notes`. Modules stay loaded until the process ends. */
std::vector<PluginModule> LoadPluginModules(const std::string& folder, const WString& language,
                                            std::vector<std::string>* notes);

/* The folder of the running executable. */
std::string ExecutableFolder();

/* Where zamo looks for modules without --plugins: its own folder when a
 * module lies there (a build folder), else ../lib/zamo from it (an installed
 * zamo, bin/zamo beside lib/zamo/). */
std::string DefaultPluginFolder();

#endif
