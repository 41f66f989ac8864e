/* Plug-in discovery and loading through the system's module loader (see plugin_modules.h). */
#include "plugin_modules.h"

#include <algorithm>
#include <filesystem>

#include "host_system.h"

namespace {
const char kExtension[] = ".zamodll";

template <typename F>
bool Resolve(void* handle, const char* name, F* out) {
    *out = reinterpret_cast<F>(ModuleExport(handle, name));
    return *out != nullptr;
}
}  // namespace

std::vector<PluginModule> LoadPluginModules(const std::string& folder, const WString& language,
                                            std::vector<std::string>* notes) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(std::filesystem::u8path(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path& p = it->path();
        if (p.extension() == kExtension && it->is_regular_file(ec)) files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    std::vector<PluginModule> modules;
    for (const std::filesystem::path& file : files) {
        PluginModule m;
        m.name = file.stem().u8string();
        std::string why;
        m.handle = LoadModule(file.u8string(), &why);
        if (!m.handle) {
            notes->push_back("cannot load plug-in " + file.u8string() + ": " + why);
            continue;
        }
        std::string missing;
        for (auto [ok, name] : {
                 std::pair{Resolve(m.handle, "GetMainCommandName", &m.GetMainCommandName),
                           "GetMainCommandName"},
                 std::pair{Resolve(m.handle, "SetLanguage", &m.SetLanguage), "SetLanguage"},
                 std::pair{Resolve(m.handle, "ExecuteMainCommand", &m.ExecuteMainCommand),
                           "ExecuteMainCommand"}})
            if (!ok) missing += std::string(missing.empty() ? "" : ", ") + name;
        bool menuName = Resolve(m.handle, "GetContactMenuCommandName", &m.GetContactMenuCommandName);
        bool menuRun = Resolve(m.handle, "ContactMenuCommandExecute", &m.ContactMenuCommandExecute);
        if (menuName != menuRun)
            missing += std::string(missing.empty() ? "" : ", ") +
                       (menuName ? "ContactMenuCommandExecute" : "GetContactMenuCommandName");
        if (!missing.empty()) {
            notes->push_back("plug-in " + file.u8string() + " lacks " + missing + "; passed over");
            UnloadModule(m.handle);
            continue;
        }
        m.SetLanguage(language.c_str());
        modules.push_back(m);
    }
    return modules;
}
