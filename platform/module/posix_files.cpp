/* The modules' file seam on POSIX systems: narrow paths are UTF-8, the stream
 * does not translate line feeds, so the module writes CR LF itself. The output
 * file is a new file beside the target, nameless while it is written where the
 * system allows (so that a killed export leaves nothing), handed to the disk as
 * it grows (where the system can be asked to), synced, named and renamed over it. */
#include "module_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

struct ErrnoReason {
    int errnoValue;
    FailureReason reason;
};

const ErrnoReason kErrnoReasons[] = {
    {ENOSPC, FailureReason::DiskFull},       {EDQUOT, FailureReason::DiskFull},
    {EFBIG, FailureReason::DiskFull},        {EACCES, FailureReason::AccessDenied},
    {EPERM, FailureReason::AccessDenied},    {EROFS, FailureReason::ReadOnly},
    {ENOENT, FailureReason::PathNotFound},   {ENOTDIR, FailureReason::PathNotFound},
    {ELOOP, FailureReason::PathNotFound},    {ENAMETOOLONG, FailureReason::NameTooLong},
    {EISDIR, FailureReason::NotRegularFile}, {EIO, FailureReason::WriteError},
};

FailureReason ReasonOf(int errnoValue, FailureReason otherwise) {
    for (const ErrnoReason& e : kErrnoReasons)
        if (e.errnoValue == errnoValue) return e.reason;
    return otherwise;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names, following symbolic links (also one that names
// no file yet); false with errno set when a link cannot be read or loops.
bool FollowLinks(std::string path, std::string& target) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return true;
        }
        std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        ssize_t size = readlink(path.c_str(), &link[0], link.size());
        if (size < 0) return false;
        link.resize(static_cast<size_t>(size));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

// A fresh name for a temporary file in `folder`, hidden, one per call.
std::string TemporaryName(const std::string& folder) {
    static unsigned serial = 0;
    return folder + "/.vcard-export-" + std::to_string(::getpid()) + "-" +
           std::to_string(static_cast<unsigned long>(std::time(nullptr))) + "-" +
           std::to_string(++serial) + ".tmp";
}

// A new file in `folder`, created with the permissions a new file gets (0666
// less the umask); -1 with errno set when none can be made.
int CreateTemporary(const std::string& folder, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(folder);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

std::string ProcPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A new file in `folder` that has no name until NameUnnamed gives it one, so
// that an export killed before then leaves nothing behind; -1 where the system,
// the file system or a missing /proc (through which it is named) allows none.
int CreateUnnamed(const std::string& folder) {
#ifdef O_TMPFILE
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0 && ::access(ProcPath(fd).c_str(), F_OK) != 0) {
        ::close(fd);
        fd = -1;
    }
    return fd;
#else
    (void)folder;
    return -1;
#endif
}

// Gives the unnamed file open as `fd` a fresh name in `folder`; false with
// errno set when it cannot.
bool NameUnnamed(int fd, const std::string& folder, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(folder);
        if (::linkat(AT_FDCWD, ProcPath(fd).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) break;
    }
    name.clear();
    return false;
}

FailureReason Fail(OutputFile& out, FailureReason reason) {
    DiscardOutputFile(out);
    return reason;
}

}  // namespace

UINT NarrowPathCodePage() { return CP_UTF8; }

std::FILE* OpenWidePathForReading(const WCHAR* path) {
    int size = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return nullptr;
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path, -1, &narrow[0], size, nullptr, nullptr);
    return std::fopen(narrow.c_str(), "rb");
}

WCHAR FolderSeparator() { return u'/'; }

const char* OutputLineEnd() { return "\r\n"; }

FailureReason OpenOutputFileBeside(const char* path, OutputFile& out) {
    out = OutputFile();
    if (!FollowLinks(path, out.target)) return ReasonOf(errno, FailureReason::PathNotFound);
    struct stat st;
    if (::stat(out.target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return FailureReason::NotRegularFile;
        // Windows refuses a read-only file even to its administrator.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return FailureReason::ReadOnly;
        if (::access(out.target.c_str(), W_OK) != 0)
            return ReasonOf(errno, FailureReason::AccessDenied);
    } else if (errno != ENOENT) {
        return ReasonOf(errno, FailureReason::PathNotFound);
    }
    int fd = CreateUnnamed(FolderOf(out.target));
    if (fd < 0) fd = CreateTemporary(FolderOf(out.target), out.temporary);
    if (fd < 0) {
        out.temporary.clear();
        return ReasonOf(errno, FailureReason::NoTemporaryFile);
    }
    out.stream = ::fdopen(fd, "wb");
    if (out.stream == nullptr) {
        ::close(fd);
        return Fail(out, FailureReason::NoTemporaryFile);
    }
    // The module hands over whole batches of lines: each goes out in one write.
    std::setvbuf(out.stream, nullptr, _IONBF, 0);
    return FailureReason::None;
}

void StartWritingOut(OutputFile& out) {
#ifdef SYNC_FILE_RANGE_WRITE
    constexpr long long kStep = 8 << 20;  // the disk gets these bytes while more are made
    if (out.stream == nullptr) return;
    const long long written = ::ftello(out.stream);
    if (written - out.handedToDisk < kStep) return;
    ::sync_file_range(::fileno(out.stream), out.handedToDisk, written - out.handedToDisk,
                      SYNC_FILE_RANGE_WRITE);
    out.handedToDisk = written;
#else
    (void)out;
#endif
}

FailureReason CommitOutputFile(OutputFile& out) {
    if (out.stream == nullptr) return FailureReason::Unknown;
    if (std::fflush(out.stream) != 0 || ::fsync(::fileno(out.stream)) != 0)
        return Fail(out, ReasonOf(errno, FailureReason::WriteError));
    struct stat st;
    if (::stat(out.target.c_str(), &st) == 0) {
        // The replaced file's permissions and, where allowed, its owner.
        ::fchmod(::fileno(out.stream), st.st_mode & 07777);
        if (::fchown(::fileno(out.stream), st.st_uid, st.st_gid) != 0) {
            // Only its owner's group may not be ours to give; the contents count.
        }
    }
    if (out.temporary.empty() && !NameUnnamed(::fileno(out.stream), FolderOf(out.target), out.temporary))
        return Fail(out, ReasonOf(errno, FailureReason::WriteError));
    std::FILE* stream = out.stream;
    out.stream = nullptr;
    if (std::fclose(stream) != 0) return Fail(out, ReasonOf(errno, FailureReason::WriteError));
    if (::rename(out.temporary.c_str(), out.target.c_str()) != 0)
        return Fail(out, ReasonOf(errno, FailureReason::Unknown));
    out.temporary.clear();
    return FailureReason::None;
}

void DiscardOutputFile(OutputFile& out) {
    if (out.stream) std::fclose(out.stream);
    out.stream = nullptr;
    if (!out.temporary.empty()) ::unlink(out.temporary.c_str());
    out.temporary.clear();
}

FailureReason LastWriteFailure() { return ReasonOf(errno, FailureReason::WriteError); }
