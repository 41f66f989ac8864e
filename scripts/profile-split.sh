#!/usr/bin/env bash
# Where the time of `zamo import` and `zamo export` goes: runs both over 10,000
# exporter-shaped cards under callgrind (Release build in $ZAMO_BENCH_BUILD,
# default build-perf) and prints the instructions of the whole process, of the
# plug-in's own code, of the host functions and of the SQLite calls among them.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
build=${ZAMO_BENCH_BUILD:-build-perf}
scripts/ensure-deps.sh valgrind >&2
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target zamo vcard_import vcard_export generate_corpus >/dev/null
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zamo-profile.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
"$build/bench/generate_corpus" exporter 10000 "$tmp/cards.vcf"

# split FILE: the instruction counts of one callgrind profile, in millions.
split() {
  callgrind_annotate --inclusive=yes --threshold=100 "$1" 2>/dev/null | awk '
    /PROGRAM TOTALS/ { gsub(",", "", $1); total = $1 }
    /^ *[0-9,]+ / {
      v = $1; gsub(",", "", v)
      if ($0 ~ /:ExecuteMainCommand \[.*zamodll\]/ && v > command) command = v
      if ($0 ~ /:AddinZamo_[A-Za-z_]* \[.*libzamo_plugins/) host += v
      if ($0 ~ /:sqlite3_(step|reset|bind_[a-z0-9]*|column_[a-z0-9]*|clear_bindings|exec|prepare_v[23]) \[/) sql += v
    }
    END { printf "%.0f M in all; plug-in %.0f M, host functions %.0f M (of which SQLite %.0f M)\n",
                 total / 1e6, (command - host) / 1e6, host / 1e6, sql / 1e6 }'
}

profile() {
  valgrind --tool=callgrind --callgrind-out-file="$tmp/profile" "$@" >/dev/null 2>&1
  split "$tmp/profile"
}
echo "zamo import of 10,000 cards: $(profile "$build/zamo" --db "$tmp/contacts.db" import --overwrite no "$tmp/cards.vcf")"
echo "zamo export of them:         $(profile "$build/zamo" --db "$tmp/contacts.db" export "$tmp/out.vcf")"
