/* Extension API of the Win32 subset: how a host program (or a test) answers the
 * dialogs and the message box in place of a user. Exports the handler types and
 * their setters; not part of Win32, so module code never includes this file. */
#ifndef ZAMO_WIN32_EXT_H
#define ZAMO_WIN32_EXT_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Answers an open (save == FALSE) or save (save == TRUE) dialog. Returns FALSE for
 * "cancelled"; otherwise sets *files to the chosen full paths, each ended by a NUL,
 * the list ended by one more NUL, valid until the handler is called again.
 * The subset then lays the selection into ofn->lpstrFile the way the real dialog
 * does (one path, NUL, NUL; or folder, NUL, each name and NUL, one more NUL, for
 * several files of one folder), adds "." and lpstrDefExt on save to a name
 * without extension, and fails (returns 0) when it does not fit nMaxFile
 * (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) or when the files do not
 * share a folder, or a save answer names more than one (FNERR_INVALIDFILENAME).
 * An empty list counts as "cancelled". The dialogs never touch the files. */
typedef BOOL (*ZamoWin32_FileDialogHandler)(void* context, BOOL save,
                                            const OPENFILENAMEW* ofn, const WCHAR** files);

/* Answers MessageBoxW: returns the ID of the button pressed (IDYES, IDNO, ...). */
typedef int (*ZamoWin32_MessageBoxHandler)(void* context, HWND owner, LPCWSTR text,
                                           LPCWSTR caption, UINT type);

/* Installs a handler (with the context passed back to it on every call); a null
 * handler restores the default, which asks on the terminal when standard input
 * is one (prompt on standard error, texts in UTF-8, relative paths taken from
 * the current folder) and otherwise answers "cancelled" (0 for the dialogs,
 * IDCANCEL for the message box). Handlers may be set and removed any number of
 * times; one UI thread is assumed. */
void ZamoWin32_SetFileDialogHandler(ZamoWin32_FileDialogHandler handler, void* context);
void ZamoWin32_SetMessageBoxHandler(ZamoWin32_MessageBoxHandler handler, void* context);

#ifdef __cplusplus
}
#endif

#endif
