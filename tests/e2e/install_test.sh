#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed zamo with a
# bare environment, so that nothing leads it back to the build folder: the
# layout, RUNPATHs and loader lookups free of the build folder, the modules
# found in lib/zamo, and the sample imported and listed.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR CMAKE
set -euo pipefail
build=$1 source=$2 cmake=$3
prefix=$(mktemp -d "${TMPDIR:-/tmp}/zamo-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for f in bin/zamo lib/zamo/libzamo_plugins.so lib/zamo/libzamo_win32.so \
    lib/zamo/vcard_import.zamodll lib/zamo/vcard_export.zamodll \
    share/man/man1/zamo.1.gz share/bash-completion/completions/zamo; do
  [ -f "$prefix/$f" ] || fail "$f is not installed"
done
for f in "$prefix"/bin/zamo "$prefix"/lib/zamo/*; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$f keeps a path into the build folder"
  fi
  if env -i ldd "$f" | grep -F "$build"; then fail "$f loads from the build folder"; fi
done

run() { env -i HOME="$prefix/home" "$prefix/bin/zamo" "$@"; }
imported=$(run import "$source/examples/contacts-windows-1251.vcf") || fail "import failed"
[[ $imported == "3 contacts created,"* ]] || fail "import said: $imported"
[ -f "$prefix/home/.local/share/zamo/contacts.db" ] || fail "no default database"
# menu only reads, so it comes once the import has made the database.
menu=$(run menu) || fail "menu failed"
[[ $menu == *"vcard_import: Import contacts from vCard format"* &&
   $menu == *"vcard_export: Export all contacts to vCard format"* ]] ||
  fail "the modules in lib/zamo were not loaded: $menu"
listed=$(run list --tsv) || fail "list failed"
[[ $listed == *$'\nsample-0002\tPeter Brown\t'* ]] || fail "list said: $listed"
[[ $(run --version) == "zamo "[0-9]* ]] || fail "no version"
zcat "$prefix/share/man/man1/zamo.1.gz" | grep -q '^\.TH ZAMO 1' || fail "the manual page is not readable"
bash -c "source '$prefix/share/bash-completion/completions/zamo' && complete -p zamo" >/dev/null ||
  fail "the completion does not load"
echo "installed zamo works from $prefix"
