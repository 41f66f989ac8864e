/* The drivers' shared part (see plugin_driver.h): dlopen from the build folder,
 * the dialog handler of the Win32 subset, the clock. */
#include "plugin_driver.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "zamo_win32_ext.h"

namespace {

std::u16string gSelection;  // one path, its NUL and the closing NUL

BOOL AnswerDialog(void*, BOOL, const OPENFILENAMEW*, const WCHAR** files) {
    *files = gSelection.c_str();
    return TRUE;
}

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(1);
}

}  // namespace

ModuleCommand LoadModuleCommand(const char* file) {
    const std::string path = std::string(ZAMO_MODULE_DIR) + "/" + file;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) Die("cannot load " + path + ": " + dlerror());
    auto command = reinterpret_cast<ModuleCommand>(dlsym(module, "ExecuteMainCommand"));
    if (!command) Die(path + " has no ExecuteMainCommand");
    return command;
}

void AnswerDialogWith(const std::string& path) {
    const std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    const int size = static_cast<int>(absolute.size());
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, absolute.data(), size, nullptr, 0);
    if (size > 0 && units <= 0) Die("the path " + path + " is no UTF-8");
    gSelection.assign(static_cast<size_t>(units), u'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, absolute.data(), size, &gSelection[0], units);
    gSelection.push_back(u'\0');  // c_str() adds the closing NUL
    ZamoWin32_SetFileDialogHandler(AnswerDialog, nullptr);
}

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void PrintCommandTimes(double wallStart, double cpuStart, const std::string& more) {
    const double wall = Seconds() - wallStart;
    const double cpu = CpuSeconds() - cpuStart;
    std::printf("command %.3f s, cpu %.3f s%s%s\n", wall, cpu, more.empty() ? "" : ", ",
                more.c_str());
}

double Seconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}
