#!/usr/bin/env bash
# Makes the release package for organiser users:
# dist/zamo-vcard-plugins-<version>-win32.zip with the two 32-bit modules, the
# install text and SHA256SUMS. The version is ZAMO_VERSION of
# cmake/ZamoVersion.cmake. Builds with scripts/build-windows.sh; installs zip.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZAMO_WIN32_BUILD:-build-win32}

scripts/ensure-deps.sh zip
version=$(sed -n 's/^set(ZAMO_VERSION \([0-9][0-9.]*\))$/\1/p' cmake/ZamoVersion.cmake)
[ -n "$version" ] || { echo "no ZAMO_VERSION in cmake/ZamoVersion.cmake" >&2; exit 1; }
scripts/build-windows.sh >/dev/null

name=zamo-vcard-plugins-$version-win32
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
cp "$build/vcard_import.zamodll" "$build/vcard_export.zamodll" "$stage/$name/"
sed "s/@ZAMO_VERSION@/$version/" windows/INSTALL.txt | sed 's/$/\r/' >"$stage/$name/INSTALL.txt"
(cd "$stage/$name" && sha256sum vcard_import.zamodll vcard_export.zamodll >SHA256SUMS)
mkdir -p dist
rm -f "dist/$name.zip"
(cd "$stage" && zip -q -X -r "$OLDPWD/dist/$name.zip" "$name")
echo "dist/$name.zip"
