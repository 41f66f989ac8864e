#!/usr/bin/env bash
# Builds the plug-ins and the reference host, then runs the main job: zamo imports
# the sample address book examples/contacts-windows-1251.vcf into the default
# database ($ZAMO_DB, else ~/.local/share/zamo/contacts.db) and lists the tree.
# Running it again asks nothing and changes nothing: the cards carry UIDs, and
# without a terminal the overwrite question is answered "no".
# ZAMO_BUILD names another build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh
build=${ZAMO_BUILD:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target zamo vcard_import vcard_export
"$build/zamo" import --overwrite no examples/contacts-windows-1251.vcf </dev/null
"$build/zamo" list
