#!/usr/bin/env bash
# Builds the 32-bit Windows deliverables with MinGW-w64: build-win32/
# vcard_import.zamodll and vcard_export.zamodll (importing the AddinZamo_
# functions from zamo_plugins.dll), and the reference host in build-win32/zamo/
# (zamo.exe, zamo_plugins.dll over SQLite). Installs the cross compiler when
# missing (as root). ZAMO_WIN32_BUILD names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZAMO_WIN32_BUILD:-build-win32}

scripts/ensure-deps.sh g++-mingw-w64-i686 binutils-mingw-w64-i686
sqlite=$(scripts/build-sqlite-mingw.sh i686)
cmake -S windows -B "$build" -DCMAKE_BUILD_TYPE=Release -DZAMO_SQLITE_DIR="$sqlite" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "built: $build/vcard_import.zamodll $build/vcard_export.zamodll $build/zamo/zamo.exe $build/zamo/zamo_plugins.dll"
