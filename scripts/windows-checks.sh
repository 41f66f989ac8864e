#!/usr/bin/env bash
# Windows checks that run here: the 32-bit DLLs and host built and read with
# objdump (machine, exports, imports, calling convention), then the 64-bit build
# of the same sources under Wine: test programs in several time zones, the real
# dialogs driving the modules on a virtual display, and the same bytes as the
# Linux build. Exits 0 saying why when the tools cannot be installed; non-zero
# when a check fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
b32=${ZAMO_WIN32_BUILD:-build-win32}
b64=${ZAMO_WIN64_BUILD:-build-win64}
jobs=$(nproc)

packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
          binutils-mingw-w64-x86-64 wine64 googletest locales tzdata xvfb dpkg-dev tcl zip unzip)
if ! scripts/ensure-deps.sh "${packages[@]}"; then
  echo "windows-checks: SKIPPED: could not install ${packages[*]} (not root, or no package registry)"
  exit 0
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || true)
if [ -z "$wine" ] || [ ! -d /usr/src/googletest ] || ! command -v Xvfb >/dev/null; then
  echo "windows-checks: SKIPPED: wine64, Xvfb or /usr/src/googletest missing after the install"
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
# callee_pops FILE NAME...: the names that break it.
callee_pops() {
  local file=$1 name symbols
  shift
  symbols=$("$objdump" -t "$file" | awk '{ print $NF }')
  for name in "$@"; do
    grep -qx "_$name" <<<"$symbols" || { echo -n "$name(no C symbol) "; continue; }
    "$objdump" -d --disassemble="_$name" "$file" |
      awk -v start="<_$name>:" '$2 == start { on = 1; next } /^[0-9a-f]+ <.*>:$/ { on = 0 } on' |
      grep -q 'ret *\$0x' && echo -n "$name "
  done
}
for module in vcard_import vcard_export; do
  # shellcheck disable=SC2086
  bad=$(callee_pops "$b32/$module.zamodll" ${expected_exports[$module]})
  if [ -z "$bad" ]; then
    pass "$module: exports use the C calling convention"
  else
    fail "$module: exports that pop their own arguments: $bad"
  fi
done

# The reference host for 32-bit Windows: zamo_plugins.dll exports every
# AddinZamo_ function of the .def by its plain name, with the C calling
# convention, and no other AddinZamo_ name; zamo.exe imports from it.
host_dll="$b32/zamo/zamo_plugins.dll"
if [ -f "$host_dll" ] && [ -f "$b32/zamo/zamo.exe" ]; then
  if "$objdump" -f "$host_dll" "$b32/zamo/zamo.exe" | grep -c 'file format pei-i386' | grep -qx 2; then
    pass "host: zamo_plugins.dll and zamo.exe are 32-bit PE files"
  else
    fail "host: zamo_plugins.dll or zamo.exe is not a 32-bit PE file"
  fi
  got=$(exports_of "$host_dll" | grep '^AddinZamo_')
  if [ "$got" = "$host_names" ]; then
    pass "host: zamo_plugins.dll exports the $(wc -l <<<"$got") functions of zamo_plugins.def undecorated"
  else
    fail "host: exports differ from zamo_plugins.def: $(diff <(echo "$got") <(echo "$host_names") | grep '^[<>]' | tr '\n' ' ')"
  fi
  # shellcheck disable=SC2086
  bad=$(callee_pops "$host_dll" $host_names)
  if [ -z "$bad" ]; then
    pass "host: AddinZamo_ functions use the C calling convention"
  else
    fail "host: functions that pop their own arguments: $bad"
  fi
  if imports_of "$b32/zamo/zamo.exe" | grep -q '^zamo_plugins\.dll!'; then
    pass "host: zamo.exe imports from zamo_plugins.dll"
  else
    fail "host: zamo.exe does not import from zamo_plugins.dll"
  fi
else
  fail "host: $b32/zamo/zamo.exe or zamo_plugins.dll missing"
fi

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

# The release package holds exactly the two modules checked above, with its
# install text and checksums that hold.
if zip=$(ZAMO_WIN32_BUILD="$b32" scripts/package-windows.sh 2>"$root/$b32/package.log"); then
  unpacked="$root/$b32/package"
  rm -rf "$unpacked" && mkdir -p "$unpacked" && unzip -q "$zip" -d "$unpacked"
  top=$(basename "$zip" .zip)
  if [ "$(cd "$unpacked/$top" && ls | tr '\n' ' ')" = "INSTALL.txt SHA256SUMS vcard_export.zamodll vcard_import.zamodll " ] &&
     (cd "$unpacked/$top" && sha256sum --quiet -c SHA256SUMS) &&
     cmp -s "$unpacked/$top/vcard_import.zamodll" "$b32/vcard_import.zamodll" &&
     cmp -s "$unpacked/$top/vcard_export.zamodll" "$b32/vcard_export.zamodll"; then
    pass "package $zip: the checked 32-bit modules, INSTALL.txt and SHA256SUMS"
  else
    fail "package $zip: contents differ from the checked modules"
  fi
else
  cat "$root/$b32/package.log"
  fail "scripts/package-windows.sh"
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
if sqlite64=$(scripts/build-sqlite-mingw.sh x86_64 2>"$root/$b64/sqlite.log") &&
   cmake -S windows -B "$b64" -DCMAKE_BUILD_TYPE=Release -DZAMO_WINDOWS_TESTS=ON \
     -DZAMO_SQLITE_DIR="$sqlite64" \
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
# The virtual display has no window manager: Wine's windows are left unmanaged,
# so a dialog that closes does not wait for a manager to withdraw it.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true

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

# --- The host process under Wine: zamo.exe, the real dialogs, same bytes --------
win64_host="$root/$b64/zamo"
# wine_zamo ZONE ARG...: the Windows zamo.exe in that zone, code page 1251.
wine_zamo() {
  local zone=$1
  shift
  LOCPATH="$root/$b64/locale" LC_ALL=ru_RU.UTF-8 TZ="$zone" timeout 300 "$wine" "$win64_host/zamo.exe" "$@"
}
# linux_zamo ZONE ARG...: the Linux build's zamo in that zone.
linux_zamo() {
  local zone=$1
  shift
  TZ="$zone" "$root/build/zamo" "$@"
}
# The Windows name of a path here (Wine's drive Z: is the root).
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

# One version everywhere: zamo.exe says the one of cmake/ZamoVersion.cmake,
# which also names the package.
version=$(sed -n 's/^set(ZAMO_VERSION \([0-9][0-9.]*\))$/\1/p' cmake/ZamoVersion.cmake)
said=$(timeout 300 "$wine" "$win64_host/zamo.exe" --version 2>/dev/null | tr -d '\r')
if [ -n "$version" ] && [ "$said" = "zamo $version" ] &&
   [ -f "dist/zamo-vcard-plugins-$version-win32.zip" ]; then
  pass "zamo.exe --version and the package name give version $version"
else
  fail "version: zamo.exe says '$said', cmake/ZamoVersion.cmake has '$version'"
fi

# Wine's dialogs need a display: a virtual one, which says its number when ready.
# Wine's desktop comes with its server: the one started without a display goes.
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null; }
display=""
read -r -t 60 display <&"${XVFB[0]}" || true
if [ -n "$display" ]; then
  export DISPLAY=":$display"
  # One server (and desktop) for all the runs below, kept until the end: a run
  # that starts while the last one's server is shutting down can fail to start.
  /usr/lib/wine/wineserver -p >/dev/null 2>&1 || true
  for zone in XYZ-4 Europe/Berlin; do
    run_wine "modules driven by Wine's real dialogs and message box" "$zone" zamo/windows_dialog_tests.exe
  done
else
  fail "Xvfb did not start: no display for the real dialogs"
fi

# Linux build for the comparison (built already when run from scripts/test.sh).
if ! { [ -x build/zamo ] || { cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
       cmake --build build -j"$jobs" --target zamo vcard_import vcard_export >/dev/null; }; }; then
  fail "Linux build of zamo for the comparison"
fi
same="$root/$b64/same-bytes"
# The files in a folder with a Cyrillic name: the command line and the dialogs
# carry it as Unicode.
cards="$same/адреса"
rm -rf "$same" && mkdir -p "$cards"
cp examples/*.vcf "$cards/"

# The same files imported by both builds give the same contacts, field for
# field (dates of creation and change and fresh UIDs aside).
dump_store() {  # dump_store RUNNER DB: every contact, shown as JSON, in tree order
  local runner=$1 db=$2 uid
  "$runner" UTC --db "$db" list --json 2>/dev/null | tr -d '\r' |
    sed -n 's/^.*"uid": "\([^"]*\)".*$/\1/p' | while read -r uid; do
      "$runner" UTC --db "$db" show --json "$uid" 2>/dev/null | tr -d '\r'
    done | sed -E -e '/"(created|modified)":/d' \
      -e 's/"[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"/"(fresh)"/g'
}
if [ -n "$display" ]; then
  linux_zamo UTC --db "$same/linux.db" import --overwrite no "$cards"/*.vcf >/dev/null
  wine_zamo UTC --db "$(winpath "$same/windows.db")" import --overwrite no \
    $(for f in "$cards"/*.vcf; do winpath "$f"; done) >/dev/null 2>&1
  dump_store linux_zamo "$same/linux.db" >"$same/linux.json"
  dump_store wine_zamo "$(winpath "$same/windows.db")" >"$same/windows.json"
  if [ -s "$same/linux.json" ] && diff -u "$same/linux.json" "$same/windows.json" >"$same/import.diff"; then
    pass "import: both builds store the same contacts ($(grep -c '^{"uid"' "$same/linux.json") compared)"
  else
    head -40 "$same/import.diff"
    fail "import: the builds store different contacts (${same#"$root/"}/import.diff)"
  fi

  # Both programs load both modules and show the same three captions.
  for lang in English Russian; do
    linux_zamo UTC --db "$same/linux.db" --lang "$lang" menu >"$same/menu-linux.txt" 2>&1
    wine_zamo UTC --db "$(winpath "$same/windows.db")" --lang "$lang" menu 2>/dev/null |
      tr -d '\r' >"$same/menu-windows.txt"
    if [ "$(wc -l <"$same/menu-linux.txt")" -eq 3 ] &&
       cmp -s "$same/menu-linux.txt" "$same/menu-windows.txt"; then
      pass "zamo.exe loads both modules under Wine, captions in $lang as on Linux"
    else
      diff "$same/menu-linux.txt" "$same/menu-windows.txt"
      fail "zamo.exe menu --lang $lang differs from the Linux build's"
    fi
  done

  # Exports from the same contacts (one database file, copied) are the same bytes.
  for zone in XYZ-4 Europe/Berlin; do
    for what in all one; do
      args=(); [ "$what" = one ] && args=(--contact sample-0001)
      cp "$same/linux.db" "$same/export-win.db"
      rm -f "$same/linux-$what.vcf" "$same/windows-$what.vcf"  # each zone writes its own
      linux_zamo "$zone" --db "$same/linux.db" export "${args[@]}" "$same/linux-$what.vcf" >/dev/null
      status=0
      wine_zamo "$zone" --db "$(winpath "$same/export-win.db")" export "${args[@]}" \
        "$(winpath "$same/windows-$what.vcf")" >/dev/null 2>"$same/windows-$what.err" || status=$?
      if [ -s "$same/linux-$what.vcf" ] && cmp "$same/linux-$what.vcf" "$same/windows-$what.vcf"; then
        pass "export of $what, TZ=$zone: the Windows build writes the Linux build's bytes"
      else
        echo "zamo.exe export exited $status: $(tr -d '\r' <"$same/windows-$what.err" | grep -v 'Read access denied' | head -5)"
        diff <(nl -ba "$same/linux-$what.vcf") <(nl -ba "$same/windows-$what.vcf") | head -20
        fail "export of $what, TZ=$zone: the builds write different files"
      fi
    done
  done
fi
[ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true

echo "windows-checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
