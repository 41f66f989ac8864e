/* Where the subset's dialogs and message box get their answers: the handlers a
 * host program installed through zamo_win32_ext.h, or else the terminal.
 * Internal to libzamo_win32. */
#ifndef ZAMO_WIN32_USER_ANSWERS_H
#define ZAMO_WIN32_USER_ANSWERS_H

#include <windows.h>

#include <vector>

#include "terminal_prompt.h"
#include "zamo_win32_ext.h"

/* The chosen full paths in the order given: from the installed handler, else
 * from the terminal when standard input is one. False when cancelled, when
 * nothing was chosen, or when there is no one to ask. */
bool AskForFiles(BOOL save, const OPENFILENAMEW& ofn, std::vector<WidePath>& files);

/* The button pressed: from the installed handler, else from the terminal when
 * standard input is one; IDCANCEL when there is no one to ask or input ends. */
int AskForButton(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

#endif
