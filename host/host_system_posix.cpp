/* The zamo program's system matters on POSIX systems (see host_system.h): the
 * C library and dlopen, and the Win32 subset's handlers for the dialogs. */
#include "host_system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "zamo_win32_ext.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool IsTerminal(int stream) { return isatty(stream) != 0; }

std::string ExecutableFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string EnvironmentVariable(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string DefaultDatabasePath() {
    std::string xdg = EnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.empty() && xdg[0] == '/') return xdg + "/zamo/contacts.db";
    std::string home = EnvironmentVariable("HOME");
    if (!home.empty()) return home + "/.local/share/zamo/contacts.db";
    return "";
}

SYSTEMTIME LocalNow() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    st.wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    return st;
}

std::string UnreadableFileReason(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return std::strerror(errno);
    struct stat st {};
    bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    close(fd);
    return folder ? "it is a folder" : "";
}

void* LoadModule(const std::string& path, std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        *error = why ? why : "?";
    }
    return handle;
}

void* ModuleExport(void* module, const char* name) { return dlsym(module, name); }

void UnloadModule(void* module) { dlclose(module); }

/* The subset asks its handlers in place of a user. */
struct DialogDriver::State {
    std::vector<FileDialogAnswer> answers;
    MessageBoxAnswerer boxes;
    int seen = 0;
    WString selection;  // the latest answer: full paths, each NUL-ended
};

namespace {
BOOL AnswerFileDialog(void* context, BOOL, const OPENFILENAMEW*, const WCHAR** files) {
    auto* state = static_cast<DialogDriver::State*>(context);
    size_t index = static_cast<size_t>(state->seen++);
    if (index >= state->answers.size()) return FALSE;
    state->selection.clear();
    for (const WString& path : state->answers[index].paths) {
        state->selection += path;
        state->selection += TEXT('\0');
    }
    *files = state->selection.c_str();  // c_str() adds the list's final NUL
    return state->selection.empty() ? FALSE : TRUE;
}

int AnswerMessageBox(void* context, HWND, LPCWSTR text, LPCWSTR caption, UINT style) {
    auto* state = static_cast<DialogDriver::State*>(context);
    if (!state->boxes) return IDCANCEL;
    return state->boxes(text ? WString(text) : WString(), caption ? WString(caption) : WString(),
                        style);
}
}  // namespace

DialogDriver::DialogDriver(std::vector<FileDialogAnswer> answers, MessageBoxAnswerer boxes)
    : state_(new State{std::move(answers), std::move(boxes), 0, WString()}) {
    ZamoWin32_SetFileDialogHandler(AnswerFileDialog, state_.get());
    ZamoWin32_SetMessageBoxHandler(AnswerMessageBox, state_.get());
}

DialogDriver::~DialogDriver() {
    ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
    ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
}

int DialogDriver::FileDialogsSeen() const { return state_->seen; }
