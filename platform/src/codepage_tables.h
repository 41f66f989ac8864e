/* Data of the single-byte code page windows-1251 as the subset converts it:
 * the exact table of its upper half and the best-fit replacements applied
 * when a wide character has no exact byte. Internal to libzamo_win32. */
#ifndef ZAMO_WIN32_CODEPAGE_TABLES_H
#define ZAMO_WIN32_CODEPAGE_TABLES_H

#include <windows.h>

#include <cstddef>

/* Wide character of each byte 0x80..0xFF; bytes below 0x80 are ASCII.
 * Byte 0x98, unassigned in windows-1251, stands for U+0098 both ways. */
extern const WCHAR kCodePage1251UpperHalf[128];

/* One best-fit replacement: the wide character and the ASCII byte it becomes. */
struct BestFitEntry {
    WCHAR wide;
    char narrow;
};
extern const BestFitEntry kBestFit1251[];
extern const size_t kBestFit1251Count;

/* Consecutive wide characters that fall back to consecutive ASCII bytes
 * (the fullwidth forms). */
struct BestFitRange {
    WCHAR firstWide;
    WCHAR lastWide;
    char firstNarrow;
};
extern const BestFitRange kBestFitRanges1251[];
extern const size_t kBestFitRanges1251Count;

#endif
