/* The modules' file seam on Windows: narrow paths in the ANSI code page, wide
 * paths through _wfopen, a text-mode stream that turns "\n" into CR LF, and the
 * output file made beside the target and moved over it (MoveFileExW). */
#include "module_files.h"

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace {

struct ErrorReason {
    DWORD error;
    FailureReason reason;
};

const ErrorReason kErrorReasons[] = {
    {ERROR_DISK_FULL, FailureReason::DiskFull},
    {ERROR_HANDLE_DISK_FULL, FailureReason::DiskFull},
    {ERROR_ACCESS_DENIED, FailureReason::AccessDenied},
    {ERROR_SHARING_VIOLATION, FailureReason::AccessDenied},
    {ERROR_LOCK_VIOLATION, FailureReason::AccessDenied},
    {ERROR_WRITE_PROTECT, FailureReason::ReadOnly},
    {ERROR_FILE_NOT_FOUND, FailureReason::PathNotFound},
    {ERROR_PATH_NOT_FOUND, FailureReason::PathNotFound},
    {ERROR_INVALID_NAME, FailureReason::PathNotFound},
    {ERROR_FILENAME_EXCED_RANGE, FailureReason::NameTooLong},
    {ERROR_WRITE_FAULT, FailureReason::WriteError},
};

FailureReason ReasonOf(DWORD error, FailureReason otherwise) {
    for (const ErrorReason& e : kErrorReasons)
        if (e.error == error) return e.reason;
    return otherwise;
}

std::wstring Wide(const std::string& narrow) {
    int size = MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size - 1));
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The file a link (reparse point) finally names; the path itself otherwise, or
// when that file's path has no ANSI spelling.
std::string FinalPath(const std::string& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return path;
    HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::vector<wchar_t> final(32768);
    DWORD size = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    if (size == 0 || size >= final.size()) return path;
    std::string narrow = Narrow(std::wstring(final.data(), size));
    return narrow.empty() ? path : narrow;
}

// Whether `path` is a file on a disk, or nothing that opens (not a device or pipe).
bool IsDiskFile(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;  // the open below will tell
    bool disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return disk;
}

FailureReason Fail(OutputFile& out, FailureReason reason) {
    DiscardOutputFile(out);
    return reason;
}

}  // namespace

UINT NarrowPathCodePage() { return CP_ACP; }

std::FILE* OpenWidePathForReading(const WCHAR* path) { return _wfopen(path, L"rb"); }

WCHAR FolderSeparator() { return L'\\'; }

const char* OutputLineEnd() { return "\n"; }

FailureReason OpenOutputFileBeside(const char* path, OutputFile& out) {
    out = OutputFile();
    out.target = path;
    DWORD attributes = GetFileAttributesW(Wide(out.target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        out.target = FinalPath(out.target, attributes);
        attributes = GetFileAttributesW(Wide(out.target).c_str());
    }
    // A device or pipe name (NUL, CON, \\.\pipe\...) need not show attributes.
    if (!IsDiskFile(out.target)) return FailureReason::NotRegularFile;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FailureReason::NotRegularFile;
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FailureReason::ReadOnly;
    } else {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return ReasonOf(error, FailureReason::PathNotFound);
    }
    static unsigned serial = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        out.temporary = FolderOf(out.target) + "\\~vcard-export-" +
                        std::to_string(GetCurrentProcessId()) + "-" +
                        std::to_string(GetTickCount()) + "-" + std::to_string(++serial) + ".tmp";
        file = CreateFileW(Wide(out.temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        out.temporary.clear();
        return ReasonOf(GetLastError(), FailureReason::NoTemporaryFile);
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_TEXT);
    if (fd < 0) {
        CloseHandle(file);
        return Fail(out, FailureReason::NoTemporaryFile);
    }
    out.stream = _fdopen(fd, "w");
    if (out.stream == nullptr) {
        _close(fd);
        return Fail(out, FailureReason::NoTemporaryFile);
    }
    return FailureReason::None;
}

void StartWritingOut(OutputFile&) {}  // the sync at the commit writes it all

FailureReason CommitOutputFile(OutputFile& out) {
    if (out.stream == nullptr) return FailureReason::Unknown;
    if (std::fflush(out.stream) != 0 || _commit(_fileno(out.stream)) != 0)
        return Fail(out, LastWriteFailure());
    std::FILE* stream = out.stream;
    out.stream = nullptr;
    if (std::fclose(stream) != 0) return Fail(out, LastWriteFailure());
    if (!MoveFileExW(Wide(out.temporary).c_str(), Wide(out.target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(out, ReasonOf(GetLastError(), FailureReason::Unknown));
    out.temporary.clear();
    return FailureReason::None;
}

void DiscardOutputFile(OutputFile& out) {
    if (out.stream) std::fclose(out.stream);
    out.stream = nullptr;
    if (!out.temporary.empty()) DeleteFileW(Wide(out.temporary).c_str());
    out.temporary.clear();
}

FailureReason LastWriteFailure() {
    if (errno == ENOSPC) return FailureReason::DiskFull;
    if (errno == EACCES) return FailureReason::AccessDenied;
    return FailureReason::WriteError;
}
