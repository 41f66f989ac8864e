#!/usr/bin/env bash
# Windows checks that run here: the 32-bit DLLs built and read with objdump
# (machine, exports, imports, calling convention), then the 64-bit build of the
# same sources with its test programs run under Wine in several time zones.
# Exits 0 saying why when the tools cannot be installed; non-zero when a check fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
b32=${ZAMO_WIN32_BUILD:-build-win32}
b64=${ZAMO_WIN64_BUILD:-build-win64}
jobs=$(nproc)

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine64 googletest locales tzdata)
if ! scripts/ensure-deps.sh "${packages[@]}"; then
  echo "windows-checks: SKIPPED: could not install ${packages[*]} (not root, or no package registry)"
  exit 0
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || true)
if [ -z "$wine" ] || [ ! -d /usr/src/googletest ]; then
  echo "windows-checks: SKIPPED: wine64 or /usr/src/googletest missing after the install"
  exit 0
fi

passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# --- 32-bit deliverables ---------------------------------------------------
mkdir -p "$b32" "$b64"
if ! scripts/build-windows.sh >"$root/$b32/build.log" 2>&1; then
  cat "$root/$b32/build.log"
  fail "32-bit build (scripts/build-windows.sh)"
  echo "windows-checks: $passed passed, $failed failed"
  exit 1
fi
pass "32-bit build"

objdump=i686-w64-mingw32-objdump
# The export names of a DLL, one a line, sorted.
exports_of() {
  "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort
}
# "dll!function" for every imported function, the DLL name in lower case.
imports_of() {
  "$objdump" -p "$1" | sed -n '/^The Import Tables/,/^The Export Tables\|^PE File Base Relocations/p' |
    awk '/DLL Name:/ { dll = tolower($3); next }
         dll != "" && /^\t[0-9a-f]+\t/ { print dll "!" $NF }'
}

# The organiser's plug-in interface: the exports of each module.
declare -A expected_exports=(
  [vcard_import]="ExecuteMainCommand GetMainCommandName SetLanguage"
  [vcard_export]="ContactMenuCommandExecute ExecuteMainCommand GetContactMenuCommandName GetMainCommandName SetLanguage"
)
# Win32 and host calls each module must make through the real libraries.
declare -A required_imports=(
  [vcard_import]="comdlg32.dll!GetOpenFileNameW user32.dll!MessageBoxW
    kernel32.dll!SystemTimeToTzSpecificLocalTime zamo_plugins.dll!AddinZamo_ChangesStart
    zamo_plugins.dll!AddinZamo_Contact_Insert"
  [vcard_export]="comdlg32.dll!GetSaveFileNameW kernel32.dll!WideCharToMultiByte
    kernel32.dll!GetTimeZoneInformation kernel32.dll!TzSpecificLocalTimeToSystemTime
    kernel32.dll!MoveFileExW user32.dll!MessageBoxW zamo_plugins.dll!AddinZamo_Contact_GetChildsCount"
)
allowed_dlls="zamo_plugins.dll kernel32.dll user32.dll comdlg32.dll msvcrt.dll"
host_names=$(sed -n 's/^[[:space:]]*\(AddinZamo_[A-Za-z_]*\)[[:space:]]*$/\1/p' windows/zamo_plugins.def | sort)

for module in vcard_import vcard_export; do
  dll="$b32/$module.zamodll"
  if [ ! -f "$dll" ]; then fail "$module: $dll missing"; continue; fi
  header=$("$objdump" -f "$dll")
  if grep -q 'file format pei-i386' <<<"$header" && grep -q 'architecture: i386' <<<"$header"; then
    pass "$module: 32-bit PE, machine i386"
  else
    fail "$module: not a 32-bit i386 PE file: $header"
  fi

  got=$(exports_of "$dll" | tr '\n' ' ' | sed 's/ $//')
  if [ "$got" = "${expected_exports[$module]}" ]; then
    pass "$module: exports exactly $got"
  else
    fail "$module: exports [$got], expected [${expected_exports[$module]}]"
  fi

  imports=$(imports_of "$dll")
  bad=$(cut -d'!' -f1 <<<"$imports" | sort -u | while read -r d; do
    [[ " $allowed_dlls " == *" $d "* ]] || echo "$d"; done | tr '\n' ' ')
  if [ -z "$bad" ]; then
    pass "$module: imports only from $(cut -d'!' -f1 <<<"$imports" | sort -u | tr '\n' ' ')"
  else
    fail "$module: imports from DLLs that Windows does not ship: $bad"
  fi

  missing=""
  for need in ${required_imports[$module]}; do
    grep -qx "$need" <<<"$imports" || missing+="$need "
  done
  if [ -z "$missing" ]; then
    pass "$module: calls the real Win32 and host functions"
  else
    fail "$module: does not import $missing"
  fi

  unknown=$(sed -n 's/^zamo_plugins\.dll!//p' <<<"$imports" | sort | comm -23 - <(echo "$host_names"))
  if [ -z "$unknown" ]; then
    pass "$module: host functions imported by undecorated name"
  else
    fail "$module: host imports not in zamo_plugins.def: $unknown"
  fi
done

# C calling convention: each export is the C symbol "_Name" (stdcall would be
# "_Name@n") and does not remove its own arguments ("ret $n").
for module in vcard_import vcard_export; do
  callee_pops=""
  symbols=$("$objdump" -t "$b32/$module.zamodll" | awk '{ print $NF }')
  for name in ${expected_exports[$module]}; do
    grep -qx "_$name" <<<"$symbols" || { callee_pops+="$name(no C symbol) "; continue; }
    "$objdump" -d --disassemble="_$name" "$b32/$module.zamodll" |
      awk -v start="<_$name>:" '$2 == start { on = 1; next } /^[0-9a-f]+ <.*>:$/ { on = 0 } on' |
      grep -q 'ret *\$0x' && callee_pops+="$name "
  done
  if [ -z "$callee_pops" ]; then
    pass "$module: exports use the C calling convention"
  else
    fail "$module: exports that pop their own arguments: $callee_pops"
  fi
done

# ABI facts of the 32-bit target: structure sizes and how a SYSTEMTIME returns.
probe="$b32/abi_probe.o"
if i686-w64-mingw32-g++-posix -std=c++17 -O2 -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601 \
     -c windows/abi_probe.cpp -o "$probe" 2>"$b32/abi_probe.log" &&
   "$objdump" -d "$probe" | sed -n '/<_ProbeReturnTime>:/,/^$/p' | grep -q 'ret *$'; then
  pass "32-bit ABI: OPENFILENAMEW is 88 bytes, a returned SYSTEMTIME is the caller's to pop"
else
  cat "$b32/abi_probe.log"
  fail "32-bit ABI probe (windows/abi_probe.cpp)"
fi

# The .def names every host function the interface header declares.
declared=$(g++ -E -P -Iplatform/include -x c++ common/zamo_host.h |
  grep -o 'AddinZamo_[A-Za-z_]*' | sort -u)
if [ "$declared" = "$host_names" ]; then
  pass "zamo_plugins.def matches the host interface ($(wc -l <<<"$declared") functions)"
else
  fail "zamo_plugins.def differs from common/zamo_host.h: $(diff <(echo "$declared") <(echo "$host_names") | grep '^[<>]' | tr '\n' ' ')"
fi

# --- 64-bit build and the test run under Wine -------------------------------
if cmake -S windows -B "$b64" -DCMAKE_BUILD_TYPE=Release -DZAMO_WINDOWS_TESTS=ON \
     -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" >"$root/$b64/build.log" 2>&1 &&
   cmake --build "$b64" -j"$jobs" >>"$root/$b64/build.log" 2>&1; then
  pass "64-bit build with the test programs"
else
  tail -40 "$root/$b64/build.log"
  fail "64-bit build with the test programs (log: $b64/build.log)"
  echo "windows-checks: $passed passed, $failed failed"
  exit 1
fi

# The Russian locale for Wine's ANSI code page, made in the build folder so the
# machine's locales stay as they are.
if [ ! -d "$b64/locale/ru_RU.UTF-8" ]; then
  mkdir -p "$b64/locale"
  localedef -i ru_RU -f UTF-8 "$b64/locale/ru_RU.UTF-8" >/dev/null 2>&1 ||
    fail "localedef ru_RU.UTF-8 (the ANSI conversion tests will be skipped)"
fi

export WINEPREFIX="$root/$b64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1 || true
fi

# run_wine NAME TZ PROGRAM: one test program in the given zone.
run_wine() {
  local name=$1 zone=$2 program=$3 log
  log="$root/$b64/$(basename "$program" .exe)-${zone//\//_}.log"
  if (cd "$b64" && LOCPATH="$root/$b64/locale" LC_ALL=ru_RU.UTF-8 TZ="$zone" ZAMO_NO_DESKTOP=1 \
        timeout 300 "$wine" "$program" >"$log" 2>&1); then
    pass "$name under Wine, TZ=$zone ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$log" | head -1))"
  else
    grep -E 'Failure|Expected|Which is|Value of|Actual|FAILED|error|Trace|why' "$log" | head -60
    fail "$name under Wine, TZ=$zone (log: ${log#"$root/"})"
  fi
}

run_wine "module loading and captions" UTC windows_module_tests.exe
for zone in XYZ-4 XYZ+5 Europe/Berlin; do
  run_wine "importer unit tests" "$zone" windows_import_tests.exe
  run_wine "exporter unit tests" "$zone" windows_export_tests.exe
done
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true

echo "windows-checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
