/* Operating-system matters of the zamo program, kept in one place: everything
 * the host needs of the system beyond standard C++ is declared here. CMake
 * compiles one implementation: host_system_posix.cpp or host_system_windows.cpp. */
#ifndef ZAMO_HOST_HOST_SYSTEM_H
#define ZAMO_HOST_HOST_SYSTEM_H

#include <windows.h>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wide_text.h"

/* The program's arguments after its name, in UTF-8 (on Windows taken from the
 * wide command line, so no ANSI code page narrows them). Also makes standard
 * output and error write line feeds as they are. */
std::vector<std::string> ProgramArguments(int argc, char** argv);

/* Whether the standard stream (0 input, 1 output, 2 error) is a terminal. */
bool IsTerminal(int stream);

/* The folder of the running executable; "." when it cannot be found. */
std::string ExecutableFolder();

/* An environment variable's value in UTF-8; empty when unset. */
std::string EnvironmentVariable(const char* name);

/* Where the database lives when nothing names it: $XDG_DATA_HOME/zamo/contacts.db
 * (an absolute XDG_DATA_HOME only), else ~/.local/share/zamo/contacts.db; on
 * Windows %APPDATA%\zamo\contacts.db. Empty when the environment names no home. */
std::string DefaultDatabasePath();

/* The local wall-clock time now, to the second. */
SYSTEMTIME LocalNow();

/* Empty when `path` (UTF-8) is a regular file that can be opened for reading;
 * else why not: "it is a folder", "it is not a regular file" or the system's
 * message. */
std::string UnreadableFileReason(const std::string& path);

/* What tells one version of a file from another: which file it is (device and
 * file number), its last write to the system's finest step and its size. Empty
 * when the file cannot be looked at. Replacing or rewriting the file changes it,
 * also within the same second. */
std::string FileVersion(const std::string& path);

/* A plug-in module loaded by its UTF-8 path; null with the system's reason in
 * `error`. ModuleExport finds an export by name (null when absent). */
void* LoadModule(const std::string& path, std::string* error);
void* ModuleExport(void* module, const char* name);
void UnloadModule(void* module);

/* How one file dialog is answered: no paths presses Cancel; one path chooses
 * that full path; several paths (all in one folder) are chosen together. A
 * dialog of the other kind (open or save) is cancelled and keeps the answer
 * for the next; on Windows the kind is not told apart (each dialog takes the
 * next answer). */
struct FileDialogAnswer {
    std::vector<WString> paths;
    bool save = false;  // for the save dialog, else for the open dialog
};

/* Gets a message box's text, caption and style (its buttons and icon, as
 * MB_YESNOCANCEL | MB_ICONEXCLAMATION; on Windows read off the box itself),
 * returns the button pressed (IDYES, IDNO, IDCANCEL or IDOK). */
using MessageBoxAnswerer =
    std::function<int(const WString& text, const WString& caption, UINT style)>;

/* While it lives, the file dialogs (open or save) that plug-in commands open on
 * this thread get `answers` in turn; any dialog beyond them is cancelled. Each
 * message box is answered by `boxes`, or cancelled when it is null. On Windows
 * the real dialogs and boxes are driven through their controls. One at a time. */
class DialogDriver {
public:
    DialogDriver(std::vector<FileDialogAnswer> answers, MessageBoxAnswerer boxes);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    /* File dialogs opened so far, answered or cancelled. */
    int FileDialogsSeen() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

/* From now on the first Ctrl-C (SIGINT; on POSIX also SIGTERM and SIGHUP, the
 * requests to end) only raises the flag returned by InterruptFlag and ends any
 * read of standard input (which then reads as empty); a second one ends the
 * program at once. */
void WatchInterrupts();
const volatile std::sig_atomic_t* InterruptFlag();
bool Interrupted();
/* A second interrupt removes the file at `path` (UTF-8) before the program ends;
 * an empty path (the start) removes nothing. Paths longer than 4,095 bytes are
 * not remembered. */
void RemoveOnSecondInterrupt(const std::string& path);

/* Creates an empty file only this user can read, named zamo-PURPOSE-XXXXXX
 * plus `suffix`, in $TMPDIR (else /tmp; on Windows the temporary folder); its
 * full path, or "" with the reason. */
std::string MakeTemporaryFile(const std::string& purpose, const std::string& suffix,
                              std::string* error);

/* Copies everything from `source` ("" for standard input) into the file at
 * `target`, replacing its contents; false with the reason, also when Ctrl-C
 * interrupted the copy. */
bool CopyIntoFile(const std::string& source, const std::string& target, std::string* error);
/* Copies the file to standard output; false with the reason. */
bool CopyToStandardOutput(const std::string& source, std::string* error);

#endif
