#!/usr/bin/env bash
# Cross-builds SQLite for Windows once, from Debian's own source package, into a
# cache folder outside the repository; prints that folder (include/sqlite3.h,
# lib/libsqlite3.a). Usage: build-sqlite-mingw.sh i686|x86_64. Later runs reuse it.
set -euo pipefail
arch=${1:?usage: build-sqlite-mingw.sh i686|x86_64}
case "$arch" in i686|x86_64) ;; *) echo "unknown architecture $arch" >&2; exit 2 ;; esac
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zamo
out=$cache/sqlite-mingw-$arch
if [ -f "$out/lib/libsqlite3.a" ] && [ -f "$out/include/sqlite3.h" ]; then
  echo "$out"
  exit 0
fi
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh dpkg-dev tcl "g++-mingw-w64-${arch//_/-}" >&2

# The amalgamation sqlite3.c, made once from the source package of the archive
# this machine already uses (a deb-src twin of its entry, in a file of its own).
src=$cache/sqlite-source
if [ ! -f "$src/sqlite3.c" ]; then
  list=/etc/apt/sources.list.d/zamo-deb-src.sources
  if [ ! -f "$list" ]; then
    [ "$(id -u)" -eq 0 ] || { echo "run as root once to add $list" >&2; exit 1; }
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)URIs:[^\n]*debian\.org\/debian(\n|$)/ { sub(/Types: deb/, "Types: deb-src"); print }' \
      /etc/apt/sources.list.d/debian.sources >"$list"
    apt-get update -qq >&2
  fi
  mkdir -p "$cache"
  work=$(mktemp -d "$cache/sqlite-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  # An index that an earlier run did not get to fetch is fetched now.
  (cd "$work" && { apt-get source -qq sqlite3 >&2 ||
                   { apt-get update -qq >&2 && apt-get source -qq sqlite3 >&2; }; })
  tree=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'sqlite3-*' | head -1)
  [ -n "$tree" ] || { echo "apt-get source sqlite3 gave no source tree" >&2; exit 1; }
  (cd "$tree" && ./configure -q --disable-tcl >&2 && make -s sqlite3.c >&2)
  mkdir -p "$src"
  cp "$tree/sqlite3.c" "$tree/sqlite3.h" "$src/"
  cp "$tree/VERSION" "$src/VERSION" 2>/dev/null || true
fi

# The static library for the Windows target.
cc=${arch}-w64-mingw32-gcc-posix
mkdir -p "$out/include" "$out/lib"
obj=$(mktemp -d "$cache/sqlite-obj.XXXXXX")
$cc -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
  -c "$src/sqlite3.c" -o "$obj/sqlite3.o"
${arch}-w64-mingw32-ar rcs "$out/lib/libsqlite3.a" "$obj/sqlite3.o"
rm -rf "$obj"
cp "$src/sqlite3.h" "$out/include/"
echo "$out"
