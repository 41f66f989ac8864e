#!/usr/bin/env bash
# Builds the plug-ins and the reference host, then runs the main job: zamo imports
# the sample address book examples/contacts-windows-1251.vcf into the default
# database ($ZAMO_DB, else ~/.local/share/zamo/contacts.db) and lists the tree.
# Running it again asks nothing and changes nothing: the cards carry UIDs, and
# without a terminal the overwrite question is answered "no".
# ZAMO_BUILD names another build folder (default build). At the end it says which
# database it wrote to and how to choose another.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
build=${ZAMO_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target zamo vcard_import vcard_export
# The database zamo uses when no --db is given (the program's own rule).
if [[ -n "${ZAMO_DB:-}" ]]; then
  db=$ZAMO_DB
else
  db=${XDG_DATA_HOME:-$HOME/.local/share}/zamo/contacts.db
fi
"$build/zamo" import --overwrite no examples/contacts-windows-1251.vcf </dev/null
"$build/zamo" list
echo
echo "The contacts above are in $db."
echo "To use another database: ZAMO_DB=/path/to/contacts.db scripts/run-main.sh,"
echo "or give zamo --db PATH (e.g. $build/zamo --db /tmp/try.db list)."
