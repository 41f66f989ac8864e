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
#include <vector>

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
    bool known = fstat(fd, &st) == 0;
    close(fd);
    if (known && S_ISDIR(st.st_mode)) return "it is a folder";
    return known && S_ISREG(st.st_mode) ? "" : "it is not a regular file";
}

std::string FileVersion(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return "";
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + ":" +
           std::to_string(st.st_size);
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

namespace {

// A write past the file-size limit (`ulimit -f`) fails with EFBIG, which the
// commands report like a full disk, instead of ending zamo midway with a
// temporary file left behind.
[[maybe_unused]] const bool kFileSizeLimitFailsWrites = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;

volatile std::sig_atomic_t interrupted = 0;
int emptyInput = -1;  // /dev/null, put in place of standard input on Ctrl-C

char removedOnSecond[4096];  // a path, or "" for none

// Ctrl-C, and the requests to end that `kill` and a closed terminal send.
const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

void OnSecondInterrupt(int sig) {
    if (removedOnSecond[0] != 0) unlink(removedOnSecond);
    std::signal(sig, SIG_DFL);
    raise(sig);  // ends the program as the signal itself would
}

void OnInterrupt(int) {
    interrupted = 1;
    // A read of standard input that was about to start ends at once too.
    if (emptyInput >= 0) dup2(emptyInput, STDIN_FILENO);
    for (int sig : kInterrupts) std::signal(sig, OnSecondInterrupt);
}

std::string Reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Writes all of `size` bytes; false on an error other than an interrupted call.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR && !interrupted) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies `in` to `out` to the end of `in`; the names are for the messages.
bool CopyAll(int in, const std::string& inName, int out, const std::string& outName,
             std::string* error) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR && !interrupted) continue;
        if (n < 0 && interrupted) {
            *error = "interrupted";
            return false;
        }
        if (n < 0) {
            *error = Reason("cannot read", inName);
            return false;
        }
        if (n == 0 && interrupted) {
            *error = "interrupted";
            return false;
        }
        if (n == 0) return true;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            *error = interrupted ? "interrupted" : Reason("cannot write", outName);
            return false;
        }
    }
}

}  // namespace

void WatchInterrupts() {
    if (emptyInput < 0) emptyInput = open("/dev/null", O_RDONLY | O_CLOEXEC);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a read waiting for an answer returns
    for (int sig : kInterrupts) sigaction(sig, &action, nullptr);
}

void RemoveOnSecondInterrupt(const std::string& path) {
    removedOnSecond[0] = 0;
    if (path.empty() || path.size() >= sizeof removedOnSecond) return;
    std::memcpy(removedOnSecond + 1, path.c_str() + 1, path.size());
    removedOnSecond[0] = path[0];  // set last: the handler sees the whole path or none
}

const volatile std::sig_atomic_t* InterruptFlag() { return &interrupted; }

bool Interrupted() { return interrupted != 0; }

std::string MakeTemporaryFile(const std::string& purpose, const std::string& suffix,
                              std::string* error) {
    const char* folder = std::getenv("TMPDIR");
    std::string base = folder && *folder ? folder : "/tmp";
    // The modules take apostrophes out of a path; such a folder would not do.
    if (base.find('\'') != std::string::npos) base = "/tmp";
    std::string path = base + "/zamo-" + purpose + "-XXXXXX" + suffix;
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        *error = Reason("cannot make a temporary file in", base);
        return "";
    }
    close(fd);
    return name.data();
}

bool CopyIntoFile(const std::string& source, const std::string& target, std::string* error) {
    int in = source.empty() ? STDIN_FILENO : open(source.c_str(), O_RDONLY);
    std::string inName = source.empty() ? "standard input" : source;
    if (in < 0) {
        *error = Reason("cannot read", inName);
        return false;
    }
    int out = open(target.c_str(), O_WRONLY | O_TRUNC);
    bool ok = out >= 0 && CopyAll(in, inName, out, target, error);
    if (out < 0) *error = Reason("cannot write", target);
    if (out >= 0 && close(out) != 0 && ok) {
        *error = Reason("cannot write", target);
        ok = false;
    }
    if (!source.empty()) close(in);
    return ok;
}

bool CopyToStandardOutput(const std::string& source, std::string* error) {
    int in = open(source.c_str(), O_RDONLY);
    if (in < 0) {
        *error = Reason("cannot read", source);
        return false;
    }
    // A reader that stops early (`| head`) makes the write fail with EPIPE
    // instead of ending zamo before it removes its temporary file.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previous);
    bool ok = CopyAll(in, source, STDOUT_FILENO, "standard output", error);
    sigaction(SIGPIPE, &previous, nullptr);
    close(in);
    return ok;
}

/* The subset asks its handlers in place of a user. */
struct DialogDriver::State {
    std::vector<FileDialogAnswer> answers;
    MessageBoxAnswerer boxes;
    int seen = 0;
    size_t next = 0;    // the answer for the next dialog of its kind
    WString selection;  // the latest answer: full paths, each NUL-ended
};

namespace {
BOOL AnswerFileDialog(void* context, BOOL save, const OPENFILENAMEW*, const WCHAR** files) {
    auto* state = static_cast<DialogDriver::State*>(context);
    ++state->seen;
    size_t index = state->next;
    if (index >= state->answers.size() || state->answers[index].save != (save != FALSE))
        return FALSE;
    ++state->next;
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
    : state_(new State{std::move(answers), std::move(boxes), 0, 0, WString()}) {
    ZamoWin32_SetFileDialogHandler(AnswerFileDialog, state_.get());
    ZamoWin32_SetMessageBoxHandler(AnswerMessageBox, state_.get());
}

DialogDriver::~DialogDriver() {
    ZamoWin32_SetFileDialogHandler(nullptr, nullptr);
    ZamoWin32_SetMessageBoxHandler(nullptr, nullptr);
}

int DialogDriver::FileDialogsSeen() const { return state_->seen; }
