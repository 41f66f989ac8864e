/* Compiled (never linked) by scripts/windows-checks.sh with the 32-bit toolchain:
 * facts of the 32-bit Windows ABI that the modules rely on. ProbeReturnTime must
 * end in a plain "ret": the caller, not the callee, removes the hidden pointer
 * of a returned SYSTEMTIME, as the host library's compiler expects. */
#include <windows.h>

static_assert(sizeof(OPENFILENAMEW) == 88, "the dialogs are given 88 as the structure size");
static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME crosses the host interface by value");
static_assert(sizeof(WCHAR) == 2, "host strings are UTF-16");

extern "C" SYSTEMTIME ProbeReturnTime(double date) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(date);
    return time;
}
