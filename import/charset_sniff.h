/* The charset sniff: whether a file is to be read as windows-1251, because its
 * raw bytes mention "windows-1251" anywhere and are not UTF-8 text. Exports
 * SniffWindows1251 and the UTF-8 check beneath it. */
#ifndef ZAMO_IMPORT_CHARSET_SNIFF_H
#define ZAMO_IMPORT_CHARSET_SNIFF_H

#include <cstdio>
#include <vector>

/* Reads `file` through `buffer` (reused; its size is the read size) and tells
 * whether the exact, case-sensitive bytes "windows-1251" occur, also across
 * reads, unless the whole file is well-formed UTF-8 with at least one byte of
 * 0x80 or above (a UTF-8 file whose text mentions the name). `readable` turns
 * false when reading fails (a folder, say). */
bool SniffWindows1251(std::FILE* file, std::vector<unsigned char>& buffer, bool& readable);

/* Reads `file` from where it stands to its end through `buffer`: true when the
 * bytes are well-formed UTF-8 (no overlong form, surrogate or value above
 * U+10FFFF, no sequence cut off at the end) and include a byte of 0x80 or above.
 * Stops reading at the first ill-formed byte. */
bool IsUtf8TextBeyondAscii(std::FILE* file, std::vector<unsigned char>& buffer);

#endif
