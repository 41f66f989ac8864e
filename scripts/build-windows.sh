#!/usr/bin/env bash
# Builds the two plug-ins as 32-bit Windows DLLs with MinGW-w64:
# build-win32/vcard_import.zamodll and build-win32/vcard_export.zamodll, which
# import the AddinZamo_ functions from zamo_plugins.dll. Installs the cross
# compiler when missing (as root). ZAMO_WIN32_BUILD names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZAMO_WIN32_BUILD:-build-win32}

scripts/ensure-deps.sh g++-mingw-w64-i686 binutils-mingw-w64-i686
cmake -S windows -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" --target vcard_import vcard_export -j"$(nproc)"
echo "built: $build/vcard_import.zamodll $build/vcard_export.zamodll"
