#!/usr/bin/env bash
# Builds and runs the whole test suite as users build it (build/), then with ASan
# and UBSan (build-asan/), then runs every fuzz target for a bounded time
# (scripts/fuzz.sh), and last the Windows checks (scripts/windows-checks.sh).
# ZAMO_SKIP_SANITIZE=1, ZAMO_SKIP_FUZZ=1 and ZAMO_SKIP_WINDOWS=1 skip those
# passes; ZAMO_FUZZ_SECONDS sets the time per fuzz target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

if [ "${ZAMO_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZAMO_SANITIZE=ON -DZAMO_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
     UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
     ctest --output-on-failure -j"$jobs")
fi

if [ "${ZAMO_SKIP_FUZZ:-0}" != 1 ]; then
  scripts/fuzz.sh
fi

if [ "${ZAMO_SKIP_WINDOWS:-0}" != 1 ]; then
  scripts/windows-checks.sh
fi
