/* File deletion of the subset; exports DeleteFileA. Narrow paths are UTF-8;
 * failures are reported through GetLastError with Win32 codes. */
#include <windows.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

struct ErrnoMapping {
    int errnoValue;
    DWORD error;
};

// ENOENT is told apart separately: a missing file or a missing folder.
const ErrnoMapping kDeleteErrors[] = {
    {ENOTDIR, ERROR_PATH_NOT_FOUND},    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},       {EISDIR, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},       {EBUSY, ERROR_SHARING_VIOLATION},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE}, {ELOOP, ERROR_PATH_NOT_FOUND},
};

DWORD ErrorOf(int errnoValue) {
    for (const ErrnoMapping& m : kDeleteErrors)
        if (m.errnoValue == errnoValue) return m.error;
    return ERROR_ACCESS_DENIED;
}

bool FolderExists(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

// Deletes a regular file or a symbolic link (not what it points to); anything
// else (folder, device, FIFO, socket) is refused as Windows refuses device names,
// and so is a file without any write permission bit (the read-only attribute).
extern "C" BOOL WINAPI DeleteFileA(LPCSTR path) {
    if (!path) return Fail(ERROR_INVALID_PARAMETER);
    if (!*path) return Fail(ERROR_PATH_NOT_FOUND);
    struct stat st;
    if (lstat(path, &st) == 0) {
        if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
        if (S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return Fail(ERROR_ACCESS_DENIED);
    }
    if (unlink(path) == 0) return TRUE;
    if (errno == ENOENT) return Fail(FolderExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return Fail(ErrorOf(errno));
}
