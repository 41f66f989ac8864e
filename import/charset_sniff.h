/* The charset sniff: whether a file's raw bytes mention "windows-1251" anywhere.
 * Exports SniffWindows1251. */
#ifndef ZAMO_IMPORT_CHARSET_SNIFF_H
#define ZAMO_IMPORT_CHARSET_SNIFF_H

#include <cstdio>
#include <vector>

/* Reads `file` to its end through `buffer` (reused; its size is the read size)
 * and tells whether the exact, case-sensitive bytes "windows-1251" occur, also
 * across reads. `readable` turns false when reading fails (a folder, say). */
bool SniffWindows1251(std::FILE* file, std::vector<unsigned char>& buffer, bool& readable);

#endif
