/* The modules' file seam: the few file matters in which a Windows build and a
 * POSIX build differ (narrow path code page, wide-path open, folder separator,
 * line end written, and the export's output file, written beside its target and
 * put in its place whole). CMake compiles exactly one implementation into each
 * module. */
#ifndef ZAMO_PLATFORM_MODULE_FILES_H
#define ZAMO_PLATFORM_MODULE_FILES_H

#include <windows.h>

#include <cstdio>
#include <string>

#include "failure_reason.h"

/* Code page of narrow file paths: CP_ACP on Windows, CP_UTF8 elsewhere. */
UINT NarrowPathCodePage();

/* Opens a file by its NUL-terminated wide path for reading bytes ("rb");
 * null when it cannot be opened. */
std::FILE* OpenWidePathForReading(const WCHAR* path);

/* The separator put between folder and file name of a multiple selection. */
WCHAR FolderSeparator();

/* The bytes written after each line of the export file, so that every line ends
 * with CR LF in the file (on Windows the stream turns "\n" into CR LF). */
const char* OutputLineEnd();

/* An output file being written: `stream` writes to `temporary`, a fresh file in
 * the folder of `target`, which it replaces at CommitOutputFile. */
struct OutputFile {
    std::string target;     // the file that gets the contents (a link resolved)
    std::string temporary;  // empty when none was made, or while it has no name
    std::FILE* stream = nullptr;
    long long handedToDisk = 0;  // bytes StartWritingOut has already handed on
};

/* Prepares writing to the narrow `path`: a symbolic link is followed to the file
 * it finally names (which gets the contents; the link stays). Refuses, touching
 * nothing, a path naming a folder, device, FIFO or socket (NotRegularFile) and an
 * existing file without write permission (ReadOnly, or AccessDenied). Then makes
 * a new temporary file in the target's folder and opens it for writing bytes;
 * NoTemporaryFile (or the system's more precise reason) when it cannot. Returns
 * None when `out` is ready. */
FailureReason OpenOutputFileBeside(const char* path, OutputFile& out);

/* Asks the system to start putting the flushed bytes of the stream on the disk
 * without waiting for them, once enough have come since the last time, so that
 * the sync of CommitOutputFile has little left to wait for. A hint: it never
 * fails and changes nothing in the file. */
void StartWritingOut(OutputFile& out);

/* Flushes, syncs and closes the stream, gives the temporary file the target's
 * permissions (those of a new file when there is none) and puts it in the
 * target's place in one step. On any failure the temporary file is removed and
 * the target is as before. Returns None on success. */
FailureReason CommitOutputFile(OutputFile& out);

/* Closes the stream and removes the temporary file; the target stays as it was.
 * Does nothing for an OutputFile already committed or discarded. */
void DiscardOutputFile(OutputFile& out);

/* The reason of the latest failed write or flush on a stream. */
FailureReason LastWriteFailure();

#endif
