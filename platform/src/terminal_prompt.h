/* The terminal stand-in for the dialogs and the message box: a short English
 * prompt on standard error, the module's texts in UTF-8, answers read from
 * standard input. Internal to libzamo_win32. */
#ifndef ZAMO_WIN32_TERMINAL_PROMPT_H
#define ZAMO_WIN32_TERMINAL_PROMPT_H

#include <windows.h>

#include <vector>

#include "user_answers.h"

/* Reads paths, one per line, until an empty line or the end of input (the save
 * dialog takes one line). Relative paths are made full from the current folder.
 * False when input ends before any path. */
bool AskTerminalForFiles(bool save, const OPENFILENAMEW& ofn, std::vector<WidePath>& files);

/* Shows caption and text and reads answers until one names a button of the
 * style (first letter, any case); IDCANCEL when input ends. */
int AskTerminalForButton(LPCWSTR text, LPCWSTR caption, UINT type);

#endif
