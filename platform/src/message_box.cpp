/* The message box of the subset; exports MessageBoxW, answered by the installed
 * handler, the terminal, or IDCANCEL when there is no one to ask. */
#include <windows.h>

#include "user_answers.h"

extern "C" int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return AskForButton(owner, text, caption, type);
}
