/* Telling the user that a command failed: one error box with a one-line text in
 * the module's language (English or Russian) naming the file and the reason.
 * Exports FailureAction, CurrentFailureReason, FailureText and ShowFailure. */
#ifndef ZAMO_COMMON_COMMAND_FAILURE_H
#define ZAMO_COMMON_COMMAND_FAILURE_H

#include <windows.h>

#include "failure_reason.h"
#include "wide_text.h"

/* What the failed command was doing with the file. */
enum class FailureAction { Export, Import };

/* Inside a catch block: the reason carried by a CommandFailure, OutOfMemory for
 * std::bad_alloc, Unknown for anything else. */
FailureReason CurrentFailureReason();

/* "Could not export the contacts to PATH: REASON." and its import and Russian
 * forms; the language is the module's (SetLanguage). No line break of its own. */
WString FailureText(FailureAction action, WStringView path, FailureReason reason);

/* Shows FailureText in MessageBoxW(NULL, text, caption, MB_OK | MB_ICONERROR). */
void ShowFailure(const WCHAR* caption, FailureAction action, WStringView path,
                 FailureReason reason);

#endif
