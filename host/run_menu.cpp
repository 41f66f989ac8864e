/* `zamo menu` and what the plug-in commands share: finding a module by name
 * and committing after a command. */
#include <cstdio>

#include "cli_commands.h"
#include "utf_text.h"
#include "zamo_store.h"

const PluginModule& FindModule(const ProgramContext& context, const std::string& name) {
    for (const PluginModule& m : context.modules)
        if (m.name == name) return m;
    throw CliFailure{"no plug-in " + name + ".zamodll in " + context.pluginFolder};
}

void FinishPluginCommand() {
    std::string error;
    if (!ZamoStore_EndCommand(&error)) throw CliFailure{"not everything was saved: " + error};
}

void RunMenu(const ProgramContext& context) {
    for (const PluginModule& m : context.modules) {
        std::printf("%s: %s\n", m.name.c_str(), WideToUtf8(m.GetMainCommandName()).c_str());
        if (m.GetContactMenuCommandName)
            std::printf("%s (contact menu): %s\n", m.name.c_str(),
                        WideToUtf8(m.GetContactMenuCommandName()).c_str());
    }
}
