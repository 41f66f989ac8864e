/* DefaultPluginFolder (see plugin_modules.h): the build layout, then the
 * installed one. Portable: only the executable's folder comes from the system. */
#include <filesystem>

#include "plugin_modules.h"

std::string DefaultPluginFolder() {
    namespace fs = std::filesystem;
    fs::path own = ExecutableFolder();
    std::error_code ec;
    for (fs::directory_iterator it(own, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".zamodll") return own.string();
    fs::path installed = own / ".." / "lib" / "zamo";
    return fs::is_directory(installed, ec) ? installed.lexically_normal().string() : own.string();
}
