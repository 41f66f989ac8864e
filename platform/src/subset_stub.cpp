/* Placeholder Win32 subset: every dialog cancelled. */
#include <windows.h>
#include "zamo_win32_ext.h"

extern "C" {
BOOL GetOpenFileNameW(LPOPENFILENAMEW) { return 0; }
BOOL GetSaveFileNameW(LPOPENFILENAMEW) { return 0; }
DWORD CommDlgExtendedError(void) { return 0; }
int MessageBoxW(HWND, LPCWSTR, LPCWSTR, UINT) { return IDCANCEL; }
BOOL DeleteFileA(LPCSTR) { return 0; }
void ZamoWin32_SetFileDialogHandler(ZamoWin32_FileDialogHandler, void*) {}
void ZamoWin32_SetMessageBoxHandler(ZamoWin32_MessageBoxHandler, void*) {}
}
