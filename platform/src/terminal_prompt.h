/* The terminal stand-in for the dialogs and the message box: a short English
 * prompt on standard error, the module's texts in UTF-8 with their control
 * characters escaped, answers read from standard input. Internal to
 * libzamo_win32; it knows nothing of the installed handlers (user_answers.h
 * sits above it). */
#ifndef ZAMO_WIN32_TERMINAL_PROMPT_H
#define ZAMO_WIN32_TERMINAL_PROMPT_H

#include <windows.h>

#include <string>
#include <vector>

using WidePath = std::basic_string<WCHAR>;

/* UTF-8 of a NUL-terminated wide text (empty for null) for the terminal, with
 * control and bidirectional-override characters escaped (line feeds kept). */
std::string Utf8Text(const WCHAR* text);

/* Reads paths, one per line, until an empty line or the end of input (the save
 * dialog takes one line). Relative paths are made full from the current folder.
 * False when input ends before any path. */
bool AskTerminalForFiles(bool save, const OPENFILENAMEW& ofn, std::vector<WidePath>& files);

/* Shows caption and text and reads answers until one names a button of the
 * style (first letter, any case); IDCANCEL when input ends, for this question
 * only: the end of input is cleared, so the next question reads again. */
int AskTerminalForButton(LPCWSTR text, LPCWSTR caption, UINT type);

#endif
