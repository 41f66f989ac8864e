/* The few POSIX calls that the shared test files make, for the Windows C runtime;
 * forced into those files only. Exports mkdtemp. */
#ifndef ZAMO_TESTS_WINDOWS_POSIX_COMPAT_H
#define ZAMO_TESTS_WINDOWS_POSIX_COMPAT_H

#include <windows.h>

#include <io.h>

/* Replaces the trailing "XXXXXX" of `pattern` and creates that folder; null when
 * no name is left or the folder cannot be made. */
inline char* mkdtemp(char* pattern) {
    if (!_mktemp(pattern)) return nullptr;
    return CreateDirectoryA(pattern, nullptr) ? pattern : nullptr;
}

#endif
