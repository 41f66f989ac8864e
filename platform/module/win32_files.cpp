/* The modules' file seam on Windows: narrow paths in the ANSI code page, wide
 * paths through _wfopen, and a text-mode stream that turns "\n" into CR LF. */
#include "module_files.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

UINT NarrowPathCodePage() { return CP_ACP; }

std::FILE* OpenWidePathForReading(const WCHAR* path) { return _wfopen(path, L"rb"); }

WCHAR FolderSeparator() { return L'\\'; }

const char* OutputFileMode() { return "w"; }
const char* OutputLineEnd() { return "\n"; }

bool TruncateFile(const char* path, long long size) {
    int fd = _open(path, _O_WRONLY | _O_BINARY);
    if (fd < 0) return false;
    bool ok = _chsize_s(fd, size) == 0;
    _close(fd);
    return ok;
}
