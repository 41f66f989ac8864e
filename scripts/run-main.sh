#!/usr/bin/env bash
# Builds the plug-ins and the reference host, then runs the main job: imports
# the sample vCard files of examples/ into a fresh database under build/ and
# lists the contacts. Repeatable: the database is made anew on every run.
# ZAMO_BUILD names another build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
build=${ZAMO_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target zamo vcard_import vcard_export
db=$build/main-job.db
rm -f "$db" "$db-journal"
"$build/zamo" --db "$db" import --overwrite no examples/*.vcf
"$build/zamo" --db "$db" list
