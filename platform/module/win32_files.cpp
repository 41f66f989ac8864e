/* The modules' file seam on Windows: narrow paths in the ANSI code page, wide
 * paths through _wfopen, and a text-mode stream that turns "\n" into CR LF. */
#include "module_files.h"

#include <stdio.h>

UINT NarrowPathCodePage() { return CP_ACP; }

std::FILE* OpenWidePathForReading(const WCHAR* path) { return _wfopen(path, L"rb"); }

WCHAR FolderSeparator() { return L'\\'; }

const char* OutputFileMode() { return "w"; }
const char* OutputLineEnd() { return "\n"; }
