#!/usr/bin/env bash
# Builds the plug-ins and the reference host, then runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/zamo ]; then
  build/zamo menu
else
  for m in build/*.zamodll; do echo "$m"; done
fi
