/* The calling thread's last-error code of the subset; exports GetLastError and
 * SetLastError. Successful calls leave it unchanged, as on Windows. */
#include <windows.h>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

extern "C" {
DWORD WINAPI GetLastError(void) { return lastError; }
void WINAPI SetLastError(DWORD error) { lastError = error; }
}
