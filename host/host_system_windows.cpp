/* The zamo program's system matters on Windows (see host_system.h): the wide
 * command line, LoadLibraryW, %APPDATA%, Ctrl-C, temporary files, and a driver
 * that answers the real common dialogs and message boxes of plug-in commands. */
#include "host_system.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <random>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size);
    return out;
}

/* The system's one-line text for an error code. */
std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : Utf8(message);
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

}  // namespace

std::vector<std::string> ProgramArguments(int, char**) {
    // Line feeds go out as they are, as on the other systems.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool IsTerminal(int stream) {
    static const DWORD kHandles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    if (stream < 0 || stream > 2) return false;
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(kHandles[stream]), &mode) != 0;
}

std::string ExecutableFolder() {
    std::wstring path(32768, L'\0');
    DWORD size = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(size);
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string(".") : Utf8(path.substr(0, slash));
}

std::string EnvironmentVariable(const char* name) {
    const wchar_t* value = _wgetenv(Wide(name).c_str());
    return value ? Utf8(value) : std::string();
}

std::string DefaultDatabasePath() {
    std::string appData = EnvironmentVariable("APPDATA");
    return appData.empty() ? std::string() : appData + "\\zamo\\contacts.db";
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    return now;
}

std::string UnreadableFileReason(const std::string& path) {
    std::wstring wide = Wide(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemMessage(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return SystemMessage(GetLastError());
    bool regular = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return regular ? "" : "it is not a regular file";
}

std::string FileVersion(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    BY_HANDLE_FILE_INFORMATION info{};
    bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return "";
    auto wide = [](DWORD high, DWORD low) {
        return (static_cast<unsigned long long>(high) << 32) | low;
    };
    return std::to_string(info.dwVolumeSerialNumber) + ":" +
           std::to_string(wide(info.nFileIndexHigh, info.nFileIndexLow)) + ":" +
           std::to_string(wide(info.ftLastWriteTime.dwHighDateTime,
                               info.ftLastWriteTime.dwLowDateTime)) + ":" +
           std::to_string(wide(info.nFileSizeHigh, info.nFileSizeLow));
}

void* LoadModule(const std::string& path, std::string* error) {
    HMODULE module = LoadLibraryW(Wide(path).c_str());
    if (!module) *error = SystemMessage(GetLastError());
    return reinterpret_cast<void*>(module);
}

void* ModuleExport(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void UnloadModule(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

wchar_t g_removedOnSecond[4096];  // a path, or L"" for none

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (g_interrupted) {
        if (g_removedOnSecond[0] != 0) DeleteFileW(g_removedOnSecond);
        return FALSE;  // a second one: the system ends the program
    }
    g_interrupted = 1;
    // A read of standard input that waits for an answer ends at once too.
    CancelIoEx(GetStdHandle(STD_INPUT_HANDLE), nullptr);
    return TRUE;
}

/* "WHAT PATH: the C library's reason". */
std::string Reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Copies `in` to `out` to the end of `in`; the names are for the messages.
bool CopyAll(std::FILE* in, const std::string& inName, std::FILE* out,
             const std::string& outName, std::string* error) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (g_interrupted) {
            *error = "interrupted";
            return false;
        }
        if (n > 0 && std::fwrite(buffer.data(), 1, n, out) != n) {
            *error = Reason("cannot write", outName);
            return false;
        }
        if (n < buffer.size()) {
            if (!std::ferror(in)) return true;
            *error = Reason("cannot read", inName);
            return false;
        }
    }
}

}  // namespace

void WatchInterrupts() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

void RemoveOnSecondInterrupt(const std::string& path) {
    g_removedOnSecond[0] = 0;
    std::wstring wide = Wide(path);
    if (path.empty() || wide.size() >= 4096) return;
    std::memcpy(g_removedOnSecond + 1, wide.c_str() + 1, wide.size() * sizeof(wchar_t));
    g_removedOnSecond[0] = wide[0];
}

const volatile std::sig_atomic_t* InterruptFlag() { return &g_interrupted; }

bool Interrupted() { return g_interrupted != 0; }

std::string MakeTemporaryFile(const std::string& purpose, const std::string& suffix,
                              std::string* error) {
    std::wstring folder(MAX_PATH + 1, L'\0');
    folder.resize(GetTempPathW(MAX_PATH + 1, &folder[0]));
    // The modules take apostrophes out of a path; such a folder would not do.
    if (folder.empty() || folder.find(L'\'') != std::wstring::npos) {
        *error = "no temporary folder without apostrophes";
        return "";
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t unique[16];
        swprintf(unique, 16, L"%06x", random() & 0xffffff);
        std::wstring path = folder + L"zamo-" + Wide(purpose) + L"-" + unique + Wide(suffix);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return Utf8(path);
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    *error = "cannot make a temporary file in " + Utf8(folder) + ": " +
             SystemMessage(GetLastError());
    return "";
}

bool CopyIntoFile(const std::string& source, const std::string& target, std::string* error) {
    std::string inName = source.empty() ? "standard input" : source;
    if (source.empty()) _setmode(_fileno(stdin), _O_BINARY);
    std::FILE* in = source.empty() ? stdin : _wfopen(Wide(source).c_str(), L"rb");
    if (!in) {
        *error = Reason("cannot read", inName);
        return false;
    }
    std::FILE* out = _wfopen(Wide(target).c_str(), L"wb");
    bool ok = out && CopyAll(in, inName, out, target, error);
    if (!out) *error = Reason("cannot write", target);
    if (out && std::fclose(out) != 0 && ok) {
        *error = Reason("cannot write", target);
        ok = false;
    }
    if (!source.empty()) std::fclose(in);
    return ok;
}

bool CopyToStandardOutput(const std::string& source, std::string* error) {
    std::FILE* in = _wfopen(Wide(source).c_str(), L"rb");
    if (!in) {
        *error = Reason("cannot read", source);
        return false;
    }
    bool ok = CopyAll(in, source, stdout, "standard output", error) && std::fflush(stdout) == 0;
    if (!ok && error->empty()) *error = "cannot write standard output";
    std::fclose(in);
    return ok;
}

/* The driver: a CBT hook sees every dialog window of this thread become active;
 * a zero-delay timer on that window then acts once the dialog runs its own
 * message loop, so nothing waits for time. */
struct DialogDriver::State {
    std::vector<FileDialogAnswer> answers;
    MessageBoxAnswerer boxes;
    int seen = 0;
    HHOOK hook = nullptr;
};

namespace {

DialogDriver::State* g_driver = nullptr;  // the one driver alive; one UI thread

constexpr int kFileNameCombo = 0x47c;  // cmb13: the file-name box of Explorer-style dialogs
constexpr int kFileNameEdit = 0x480;   // edt1: the same in dialogs that have no combo box
constexpr UINT_PTR kActTimer = 0x5a4d;
const wchar_t kDrivenMark[] = L"ZamoDialogDriven";  // window property: acted on already

HWND FileNameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFileNameCombo);
    return box ? box : GetDlgItem(dialog, kFileNameEdit);
}

/* Presses the button as a click does; through WM_COMMAND when there is no such button. */
void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button)
        SendMessageW(button, BM_CLICK, 0, 0);
    else
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

/* True while the dialog is shown: EndDialog hides it at once. */
bool StillShown(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }

void AnswerFileDialog(HWND dialog) {
    size_t index = static_cast<size_t>(g_driver->seen++);
    const std::vector<WString>* paths =
        index < g_driver->answers.size() ? &g_driver->answers[index].paths : nullptr;
    if (!paths || paths->empty()) {
        PressButton(dialog, IDCANCEL);
        return;
    }
    HWND box = FileNameBox(dialog);
    if (paths->size() == 1) {
        SetWindowTextW(box, paths->front().c_str());
    } else {
        // Several files of one folder: open the folder, then name them all, each in quotes.
        const WString& first = paths->front();
        SetWindowTextW(box, first.substr(0, first.find_last_of(L'\\')).c_str());
        PressButton(dialog, IDOK);
        std::wstring names;
        for (const WString& path : *paths)
            names += L"\"" + path.substr(path.find_last_of(L'\\') + 1) + L"\" ";
        SetWindowTextW(box, names.c_str());
    }
    PressButton(dialog, IDOK);
    // A path the dialog refused (it said so in a box of its own) chooses nothing.
    if (StillShown(dialog)) PressButton(dialog, IDCANCEL);
}

BOOL CALLBACK FindMessageText(HWND child, LPARAM found) {
    wchar_t kind[16] = {};
    GetClassNameW(child, kind, 16);
    if (lstrcmpiW(kind, L"Static") != 0 || GetWindowTextLengthW(child) == 0) return TRUE;
    *reinterpret_cast<std::wstring*>(found) = WindowText(child);
    return FALSE;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
    *reinterpret_cast<HICON*>(found) =
        reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
}

/* Whether the box shows that button (a box may keep the others hidden). */
bool ShowsButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button && IsWindowVisible(button);
}

/* The box's style as MessageBoxW got it: the buttons it shows, and the icon,
 * which is the system's shared one for each MB_ICON value. */
UINT BoxStyle(HWND box) {
    static const struct {
        UINT style;
        int buttons[3];  // 0: none
    } kButtons[] = {
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}}, {MB_YESNO, {IDYES, IDNO, 0}},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL, 0}}, {MB_OKCANCEL, {IDOK, IDCANCEL, 0}},
    };
    UINT style = MB_OK;
    for (const auto& b : kButtons) {
        bool all = true;
        for (int id : b.buttons) all = all && (id == 0 || ShowsButton(box, id));
        if (all) {
            style = b.style;
            break;
        }
    }
    static const struct {
        UINT style;
        LPCWSTR icon;
    } kIcons[] = {{MB_ICONERROR, IDI_HAND}, {MB_ICONQUESTION, IDI_QUESTION},
                  {MB_ICONEXCLAMATION, IDI_EXCLAMATION}, {MB_ICONINFORMATION, IDI_ASTERISK}};
    HICON icon = nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    for (const auto& i : kIcons)
        if (icon && icon == LoadIconW(nullptr, i.icon)) style |= i.style;
    return style;
}

void AnswerMessageBox(HWND box) {
    std::wstring text;
    EnumChildWindows(box, FindMessageText, reinterpret_cast<LPARAM>(&text));
    int id = g_driver->boxes ? g_driver->boxes(text, WindowText(box), BoxStyle(box)) : IDCANCEL;
    // An answer the box does not offer: its Cancel, else No, else OK.
    for (int fallback : {IDCANCEL, IDNO, IDOK})
        if (!ShowsButton(box, id)) id = fallback;
    PressButton(box, id);
}

void CALLBACK ActOnDialog(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    KillTimer(dialog, timer);
    if (!g_driver || !StillShown(dialog)) return;
    if (FileNameBox(dialog))
        AnswerFileDialog(dialog);
    else
        AnswerMessageBox(dialog);
}

LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_driver) {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t kind[16] = {};
        GetClassNameW(window, kind, 16);
        // Dialogs only (#32770), each once: a dialog is active again after its own box.
        if (lstrcmpW(kind, L"#32770") == 0 && !GetPropW(window, kDrivenMark)) {
            SetPropW(window, kDrivenMark, reinterpret_cast<HANDLE>(1));
            SetTimer(window, kActTimer, 0, ActOnDialog);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

DialogDriver::DialogDriver(std::vector<FileDialogAnswer> answers, MessageBoxAnswerer boxes)
    : state_(new State{std::move(answers), std::move(boxes), 0, nullptr}) {
    state_->hook = SetWindowsHookExW(WH_CBT, WatchActivation, nullptr, GetCurrentThreadId());
    g_driver = state_.get();
}

DialogDriver::~DialogDriver() {
    if (state_->hook) UnhookWindowsHookEx(state_->hook);
    g_driver = nullptr;
}

int DialogDriver::FileDialogsSeen() const { return state_->seen; }
