/* The modules' file seam: the few file matters in which a Windows build and a
 * POSIX build differ (narrow path code page, wide-path open, folder separator,
 * line end written, cutting a file back). CMake compiles exactly one
 * implementation into each module. */
#ifndef ZAMO_PLATFORM_MODULE_FILES_H
#define ZAMO_PLATFORM_MODULE_FILES_H

#include <windows.h>

#include <cstdio>

/* Code page of narrow file paths: CP_ACP on Windows, CP_UTF8 elsewhere. */
UINT NarrowPathCodePage();

/* Opens a file by its NUL-terminated wide path for reading bytes ("rb");
 * null when it cannot be opened. */
std::FILE* OpenWidePathForReading(const WCHAR* path);

/* The separator put between folder and file name of a multiple selection. */
WCHAR FolderSeparator();

/* Mode for fopen of the export file and the bytes written after each line, so
 * that every line ends with CR LF in the file. */
const char* OutputFileMode();
const char* OutputLineEnd();

/* Cuts the closed file at `path` (narrow path) back to its first `size` bytes;
 * false when it cannot. */
bool TruncateFile(const char* path, long long size);

#endif
