#!/usr/bin/env bash
# Whole-process speed and memory figures of the plug-ins: builds them (Release,
# $ZAMO_BENCH_BUILD, default build-perf), generates the corpora into a temporary
# folder, runs each figure $ZAMO_BENCH_RUNS times (default 5) and prints a table
# of figure, target, median, pass or miss. Needs /usr/bin/time (package "time").
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
build=${ZAMO_BENCH_BUILD:-build-perf}
runs=${ZAMO_BENCH_RUNS:-5}
[ -x /usr/bin/time ] || { echo "bench.sh needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

echo "building in $build (Release) ..." >&2
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target zamo vcard_import vcard_export generate_corpus \
  import_driver export_driver >/dev/null

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zamo-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
gen="$build/bench/generate_corpus"
zamo="$build/zamo"
echo "generating corpora in $tmp ..." >&2
"$gen" exporter 100000 "$tmp/exporter-100k.vcf"
"$gen" exporter 10000 "$tmp/exporter-10k.vcf"
"$gen" phone 100000 "$tmp/phone-100k.vcf"
"$gen" phone 10000 "$tmp/phone-10k.vcf"
"$gen" tels 2000 "$tmp/tels.vcf"
"$gen" long-line 10000000 "$tmp/long-line.vcf"
"$gen" escapes 500000 "$tmp/escapes.vcf"
size() { stat -c %s "$1"; }

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# measure KEY PREPARE COMMAND...: runs PREPARE (untimed) then COMMAND, `runs`
# times; keeps the median wall seconds, median CPU seconds and the largest
# resident set (KB) as wall[KEY], cpu[KEY], rss[KEY], and the median of the
# seconds a driver reports for its command alone ("command N s") as command[KEY].
declare -A wall cpu rss command
measure() {
  local key=$1 prepare=$2
  shift 2
  local walls=() cpus=() commands=() peak=0
  for ((i = 0; i < runs; i++)); do
    eval "$prepare"
    local start=$EPOCHREALTIME
    if ! /usr/bin/time -f '%M %U %S' -o "$tmp/time" "$@" >"$tmp/stdout" 2>"$tmp/stderr"; then
      echo "failed: $*" >&2
      cat "$tmp/stderr" >&2
      exit 1
    fi
    local end=$EPOCHREALTIME
    walls+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')")
    read -r kb user system <"$tmp/time"
    cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')")
    ((kb > peak)) && peak=$kb
    commands+=("$(awk '$1 == "command" { print $2 }' "$tmp/stdout")")
  done
  command[$key]=$(printf '%s\n' "${commands[@]}" | median)
  wall[$key]=$(printf '%s\n' "${walls[@]}" | median)
  cpu[$key]=$(printf '%s\n' "${cpus[@]}" | median)
  rss[$key]=$peak
  echo "  $key: wall ${walls[*]} s" >&2
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
db="$tmp/contacts.db"
fresh="rm -f '$db' '$db-journal'"
measure import_a "" "$build/bench/import_driver" "$tmp/exporter-100k.vcf"
measure import_a10 "" "$build/bench/import_driver" "$tmp/exporter-10k.vcf"
measure import_b "" "$build/bench/import_driver" "$tmp/phone-100k.vcf"
measure import_b10 "" "$build/bench/import_driver" "$tmp/phone-10k.vcf"
measure zamo_import "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/exporter-100k.vcf"
measure zamo_export "rm -f '$tmp/out.vcf'" "$zamo" --db "$db" export "$tmp/out.vcf"
measure zamo_overwrite "" "$zamo" --db "$db" import --overwrite yes "$tmp/exporter-100k.vcf"
measure export_memory "" "$build/bench/export_driver" contacts 100000 "$tmp/memory.vcf"
memory_bytes=$(size "$tmp/memory.vcf")
measure tels "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/tels.vcf"
measure long_line "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/long-line.vcf"
measure long_note "" "$build/bench/export_driver" note 1000000 "$tmp/note.vcf"
measure escapes "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/escapes.vcf"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

# row FIGURE TARGET MEASURED CPU PASS
row() { printf '| %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$([ "$5" = 1 ] && echo pass || echo MISS)"; }
# le A B: 1 when A <= B; ge A B: 1 when A >= B.
le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? 1 : 0 }'; }
ge() { awk -v a="$1" -v b="$2" 'BEGIN { print (a >= b) ? 1 : 0 }'; }
rate() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1e6 }'; }

a=$(size "$tmp/exporter-100k.vcf")
b=$(size "$tmp/phone-100k.vcf")
rate_a=$(rate "$a" "${wall[import_a]}")
rate_b=$(rate "$b" "${wall[import_b]}")
lin_a=$(ratio "${wall[import_a]}" "${wall[import_a10]}")
lin_b=$(ratio "${wall[import_b]}" "${wall[import_b10]}")
rss_ratio=$(ratio "$((rss[zamo_import] * 1024))" "$a")
over_ratio=$(ratio "${wall[zamo_overwrite]}" "${wall[zamo_import]}")
rate_mem=$(rate "$memory_bytes" "${command[export_memory]}")

echo
echo "Corpora: (a) exporter-shaped windows-1251, 100,000 cards, $(mb "$a"); (b) phone-shaped UTF-8, 100,000 cards, $(mb "$b")."
echo "Revision $(git rev-parse --short HEAD 2>/dev/null || echo unknown), Release build."
echo "Median of $runs runs, wall-clock time of the whole process (3b: of the export command, the memory host being filled before); CPU is user + system time of the process. $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| Figure | Target | Measured | CPU | Result |"
echo "|---|---|---|---|---|"
row "1a plug-in import of (a), host doing nothing" ">= 150 MB/s" "$rate_a MB/s (${wall[import_a]} s)" "${cpu[import_a]} s" "$(ge "$rate_a" 150)"
row "1b plug-in import of (b), host doing nothing" ">= 150 MB/s" "$rate_b MB/s (${wall[import_b]} s)" "${cpu[import_b]} s" "$(ge "$rate_b" 150)"
row "1c 100,000 / 10,000 cards of (a)" "<= 11x" "${lin_a}x" "-" "$(le "$lin_a" 11)"
row "1d 100,000 / 10,000 cards of (b)" "<= 11x" "${lin_b}x" "-" "$(le "$lin_b" 11)"
row "2a zamo import of (a) into a new database" "<= 5 s" "${wall[zamo_import]} s" "${cpu[zamo_import]} s" "$(le "${wall[zamo_import]}" 5)"
row "2b peak memory of 2a" "<= 3x file size" "${rss_ratio}x ($((rss[zamo_import] / 1024)) MB)" "-" "$(le "$rss_ratio" 3)"
row "3a zamo export of the 100,000 contacts" "<= 3 s" "${wall[zamo_export]} s" "${cpu[zamo_export]} s" "$(le "${wall[zamo_export]}" 3)"
row "3b plug-in export command, 100,000 contacts from memory" ">= 200 MB/s" "$rate_mem MB/s (${command[export_memory]} s; process ${wall[export_memory]} s)" "${cpu[export_memory]} s" "$(ge "$rate_mem" 200)"
row "4a zamo import of a card with 2,000 TEL lines" "< 1 s" "${wall[tels]} s" "${cpu[tels]} s" "$(le "${wall[tels]}" 1)"
row "4b zamo import of a 10 MB single line" "< 1 s" "${wall[long_line]} s" "${cpu[long_line]} s" "$(le "${wall[long_line]}" 1)"
row "4c plug-in export of a 10 MB note, 1,000,000 line feeds" "< 1 s" "${wall[long_note]} s" "${cpu[long_note]} s" "$(le "${wall[long_note]}" 1)"
row "4d zamo import of 500,000 \"\\;\" in one line" "< 1 s" "${wall[escapes]} s" "${cpu[escapes]} s" "$(le "${wall[escapes]}" 1)"
row "5 zamo import of (a) again, --overwrite yes" "<= 2x figure 2a" "${over_ratio}x (${wall[zamo_overwrite]} s)" "${cpu[zamo_overwrite]} s" "$(le "$over_ratio" 2)"
