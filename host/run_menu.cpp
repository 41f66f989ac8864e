/* `zamo menu` and what the plug-in commands share: finding a module by name,
 * committing after a command, the modules' error boxes, counts as text. */
#include <cstdio>

#include "cli_commands.h"
#include "contact_text.h"
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

bool IsErrorBox(UINT type) {
    constexpr UINT kIconMask = 0xF0;  // MB_ICONMASK
    return (type & kIconMask) == MB_ICONHAND;  // MB_ICONERROR is MB_ICONHAND
}

std::string ErrorBoxLine(LPCWSTR text, const std::string& hiddenPath, const std::string& shownAs) {
    std::string line = VisibleText(text ? WStringView(text) : WStringView());
    if (hiddenPath.empty()) return line;
    for (size_t at; (at = line.find(hiddenPath)) != std::string::npos;)
        line.replace(at, hiddenPath.size(), shownAs);
    return line;
}

std::string CountText(long count) {
    std::string digits = std::to_string(count < 0 ? -count : count), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return count < 0 ? "-" + out : out;
}

void RunMenu(const ProgramContext& context) {
    for (const PluginModule& m : context.modules) {
        std::printf("%s: %s\n", m.name.c_str(), WideToUtf8(m.GetMainCommandName()).c_str());
        if (m.GetContactMenuCommandName)
            std::printf("%s (contact menu): %s\n", m.name.c_str(),
                        WideToUtf8(m.GetContactMenuCommandName()).c_str());
    }
}
