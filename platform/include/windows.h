/* The Win32 subset that the plug-in modules call, for builds outside Windows.
 * Declares the Win32 types, structures, constants and functions by their Win32
 * names and signatures; libzamo_win32.so implements them. On Windows the real
 * <windows.h> stands in its place, so module code is written once. */
#ifndef ZAMO_WIN32_SUBSET_WINDOWS_H
#define ZAMO_WIN32_SUBSET_WINDOWS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI
#define APIENTRY

typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* LPCWCH;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const char* LPCCH;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef int BOOL;
typedef BOOL* LPBOOL;
typedef void* HWND;
typedef void* HINSTANCE;
typedef void* LPVOID;
typedef intptr_t LPARAM;
typedef uintptr_t WPARAM;
typedef uintptr_t UINT_PTR;
typedef UINT_PTR (*LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/* Wide literals: TEXT("x") is a UTF-16 literal, as on Windows with UNICODE. */
#define ZAMO_WIN32_CONCAT_(a, b) a##b
#define TEXT(s) ZAMO_WIN32_CONCAT_(u, s)

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

typedef struct _TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
} TIME_ZONE_INFORMATION, *PTIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

#define TIME_ZONE_ID_INVALID ((DWORD)0xFFFFFFFF)
#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2

typedef struct tagOFNW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
} OPENFILENAMEW, *LPOPENFILENAMEW;

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_EXPLORER 0x00080000

#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_YESNOCANCEL 0x00000003
#define MB_YESNO 0x00000004
#define MB_ICONHAND 0x00000010
#define MB_ICONERROR 0x00000010
#define MB_ICONSTOP 0x00000010
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONWARNING 0x00000030
#define MB_ICONASTERISK 0x00000040

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#define CP_ACP 0
#define CP_UTF8 65001

/* Code page conversion flags. */
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

#define MB_ABORTRETRYIGNORE 0x00000002
#define MB_RETRYCANCEL 0x00000005

/* GetLastError codes. */
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_SHARING_VIOLATION 32
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_INVALID_FLAGS 1004
#define ERROR_NO_UNICODE_TRANSLATION 1113

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

/* comdlg32. The answers come from the handler installed through
 * zamo_win32_ext.h, else the terminal, else "cancelled" (0). The selection is
 * laid into lpstrFile as the Explorer-style dialogs do; 0 with
 * CommDlgExtendedError() == FNERR_BUFFERTOOSMALL when it does not fit nMaxFile. */
BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn);
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn);
DWORD WINAPI CommDlgExtendedError(void);
#define CDERR_INITIALIZATION 0x0002
#define FNERR_INVALIDFILENAME 0x3002
#define FNERR_BUFFERTOOSMALL 0x3003

/* user32: the handler's answer, else the terminal's, else IDCANCEL. */
int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

/* kernel32: code pages. CP_ACP is windows-1251 here (also 1251 by number), with
 * best fit under flags 0 and "?" (or the caller's default) for the rest; CP_UTF8
 * with U+FFFD for ill-formed input. A count of -1 takes the text up to and with
 * its NUL; an output size of 0 returns the size needed; 0 and GetLastError()
 * ERROR_INSUFFICIENT_BUFFER when the output is too small, ERROR_INVALID_PARAMETER
 * or ERROR_INVALID_FLAGS for bad arguments. */
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount,
                               LPSTR narrow, int narrowSize, LPCCH defaultChar,
                               LPBOOL usedDefaultChar);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH narrow, int narrowCount,
                               LPWSTR wide, int wideSize);

/* kernel32: time zones, following the C library's local zone (TZ, zone data).
 * A null zone, or the one GetTimeZoneInformation gives, converts with the C
 * library's rules for that very date; another zone by its own bias and rules.
 * An invalid SYSTEMTIME gives FALSE, ERROR_INVALID_PARAMETER, output untouched. */
DWORD WINAPI GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi);
BOOL WINAPI TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* tzi,
                                            const SYSTEMTIME* localTime,
                                            LPSYSTEMTIME universalTime);
BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* tzi,
                                            const SYSTEMTIME* universalTime,
                                            LPSYSTEMTIME localTime);

/* kernel32: files and errors. Narrow paths are UTF-8. DeleteFileA deletes regular
 * files and symbolic links only: a folder, device, FIFO or socket, or a file
 * without write permission, gives ERROR_ACCESS_DENIED and stays. */
BOOL WINAPI DeleteFileA(LPCSTR path);
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD error);

#ifdef __cplusplus
}
#endif

#endif
