/* The modules' file seam on POSIX systems: narrow paths are UTF-8, the stream
 * does not translate line feeds, so the module writes CR LF itself. */
#include "module_files.h"

#include <unistd.h>

#include <string>

UINT NarrowPathCodePage() { return CP_UTF8; }

std::FILE* OpenWidePathForReading(const WCHAR* path) {
    int size = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return nullptr;
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, path, -1, &narrow[0], size, nullptr, nullptr);
    return std::fopen(narrow.c_str(), "rb");
}

WCHAR FolderSeparator() { return u'/'; }

const char* OutputFileMode() { return "wb"; }
const char* OutputLineEnd() { return "\r\n"; }

bool TruncateFile(const char* path, long long size) {
    return ::truncate(path, static_cast<off_t>(size)) == 0;
}
