#!/usr/bin/env bash
# Whole-process speed and memory figures of the plug-ins: builds them (Release,
# $ZAMO_BENCH_BUILD, default build-perf), generates the corpora into a temporary
# folder, runs each figure $ZAMO_BENCH_RUNS times (default 5), measures the floors
# (reading, decoding, store write and read) in the same run, in rounds with the
# jobs held against them, and prints a table of figure, target, median, pass or
# miss, the ratios to the floors (medians of the rounds' ratios), and the
# 1,000,000-card run ($ZAMO_BENCH_MILLION=0 skips it); draws
# bench/figures/throughput.png. Needs /usr/bin/time and gnuplot.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
build=${ZAMO_BENCH_BUILD:-build-perf}
runs=${ZAMO_BENCH_RUNS:-5}
million=${ZAMO_BENCH_MILLION:-1}
scripts/ensure-deps.sh time gnuplot-nox >&2
began=$EPOCHREALTIME

echo "building in $build (Release) ..." >&2
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target zamo vcard_import vcard_export generate_corpus \
  import_driver export_driver floor_driver >/dev/null

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zamo-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
gen="$build/bench/generate_corpus"
zamo="$build/zamo"
floor="$build/bench/floor_driver"
echo "generating corpora in $tmp ..." >&2
"$gen" exporter 100000 "$tmp/exporter-100k.vcf"
"$gen" exporter 10000 "$tmp/exporter-10k.vcf"
"$gen" phone 100000 "$tmp/phone-100k.vcf"
"$gen" phone 10000 "$tmp/phone-10k.vcf"
"$gen" tels 2000 "$tmp/tels.vcf"
"$gen" long-line 10000000 "$tmp/long-line.vcf"
"$gen" escapes 500000 "$tmp/escapes.vcf"
size() { stat -c %s "$1"; }
a=$(size "$tmp/exporter-100k.vcf")
b=$(size "$tmp/phone-100k.vcf")

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# run_once KEY PREPARE COMMAND...: runs PREPARE (untimed) then COMMAND once and
# adds its wall and CPU seconds, and the wall and CPU seconds a driver reports
# for its command alone ("command N s, cpu M s"), to the lists walls[KEY],
# cpus[KEY], commands[KEY] and commandcpus[KEY]; rss[KEY] keeps the largest
# resident set (KB).
declare -A wall cpu rss command commandcpu walls cpus commands commandcpus
run_once() {
  local key=$1 prepare=$2
  shift 2
  eval "$prepare"
  local start=$EPOCHREALTIME
  if ! /usr/bin/time -f '%M %U %S' -o "$tmp/time" "$@" >"$tmp/stdout" 2>"$tmp/stderr"; then
    echo "failed: $*" >&2
    cat "$tmp/stderr" >&2
    exit 1
  fi
  local end=$EPOCHREALTIME
  walls[$key]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') "
  read -r kb user system <"$tmp/time"
  cpus[$key]+="$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }') "
  ((kb > ${rss[$key]:-0})) && rss[$key]=$kb
  commands[$key]+="$(awk '$1 == "command" { print $2 }' "$tmp/stdout") "
  commandcpus[$key]+="$(awk '$1 == "command" && $4 == "cpu" { print $5 }' "$tmp/stdout") "
}

# settle KEY...: the medians of each key's lists as wall[KEY], cpu[KEY],
# command[KEY] and commandcpu[KEY].
settle() {
  local key
  for key; do
    wall[$key]=$(printf '%s\n' ${walls[$key]} | median)
    cpu[$key]=$(printf '%s\n' ${cpus[$key]} | median)
    command[$key]=$(printf '%s\n' ${commands[$key]:-} | median)
    commandcpu[$key]=$(printf '%s\n' ${commandcpus[$key]:-} | median)
    echo "  $key: wall ${walls[$key]}s" >&2
  done
}

# measure KEY PREPARE COMMAND...: run_once `runs` times, then settle.
measure() {
  local i
  for ((i = 0; i < runs; i++)); do run_once "$@"; done
  settle "$1"
}

# paired NUMERATOR DENOMINATOR...: for figures measured in rounds (one run of
# each per round), the ratio of each round's NUMERATOR to the sum of its
# DENOMINATORs, as "median min max"; each argument is a list such as
# "${walls[key]}". A round's runs follow one another within seconds, so a
# change of the machine's speed between rounds does not enter the ratio.
paired() {
  local numerator=$1
  shift
  local IFS='|'
  awk -v n="$numerator" -v d="$*" 'BEGIN {
    count = split(n, num, " ")
    parts = split(d, den, "|")
    for (i = 1; i <= count; i++) {
      sum = 0
      for (k = 1; k <= parts; k++) { split(den[k], part, " "); sum += part[i] }
      r[i] = num[i] / sum
    }
    for (i = 1; i <= count; i++)
      for (j = i + 1; j <= count; j++)
        if (r[j] < r[i]) { t = r[i]; r[i] = r[j]; r[j] = t }
    printf "%.2f %.2f %.2f\n", r[int((count + 1) / 2)], r[1], r[count]
  }'
}

# flanking LIST WIDTH: for runs made in groups of WIDTH with one job between
# each two groups, the mean of the two groups around each job (one value fewer
# than there are groups).
flanking() {
  awk -v l="$1" -v w="$2" 'BEGIN {
    n = split(l, v, " ")
    for (g = 1; g * w < n; g++) {
      s = 0
      for (i = (g - 1) * w + 1; i <= (g + 1) * w; i++) s += v[i]
      printf "%.4f ", s / (2 * w)
    }
  }'
}

# means LIST LIST: the means of two lists, value by value (one per round).
means() {
  awk -v a="$1" -v b="$2" 'BEGIN { n = split(a, x, " "); split(b, y, " "); for (i = 1; i <= n; i++) printf "%.4f ", (x[i] + y[i]) / 2 }'
}

load_before=$(cut -d' ' -f1 /proc/loadavg)
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
db="$tmp/contacts.db"
fresh="rm -f '$db' '$db-journal'"
measure read_a "" "$floor" read "$tmp/exporter-100k.vcf"
measure decode_b "" "$floor" decode utf-8 "$tmp/phone-100k.vcf"
# 1d in rounds of its two sizes, as 1c is in the rounds below.
for ((i = 0; i < runs; i++)); do
  run_once import_b10 "" "$build/bench/import_driver" "$tmp/phone-10k.vcf"
  run_once import_b "" "$build/bench/import_driver" "$tmp/phone-100k.vcf"
done
settle import_b10 import_b
# Each job and the floors it is held against, in rounds: 1c, 6a, 6c and 6d
# are taken from the rounds (see below). The plug-in import and the decoding
# floor each take a fraction of a second, so the floor runs right before and
# right after the import, and a round's own ratio of 6a is to their mean.
for ((i = 0; i < runs; i++)); do
  run_once import_a10 "" "$build/bench/import_driver" "$tmp/exporter-10k.vcf"
  run_once decode_a "" "$floor" decode windows-1251 "$tmp/exporter-100k.vcf"
  run_once import_a "" "$build/bench/import_driver" "$tmp/exporter-100k.vcf"
  run_once decode_a_after "" "$floor" decode windows-1251 "$tmp/exporter-100k.vcf"
  run_once zamo_import "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/exporter-100k.vcf"
  run_once store_write "rm -f '$tmp/floor.db'" "$floor" store-write "$db" "$tmp/floor.db"
  run_once zamo_export "rm -f '$tmp/out.vcf'" "$zamo" --db "$db" export "$tmp/out.vcf"
  run_once store_read "" "$floor" store-read "$db"
  # Like zamo export above, into a path that holds no file yet: replacing the
  # last run's file would add the freeing of its 77 MB to the command's time.
  run_once export_memory "rm -f '$tmp/memory.vcf'" "$build/bench/export_driver" contacts 100000 "$tmp/memory.vcf"
done
settle import_a10 decode_a import_a decode_a_after zamo_import store_write zamo_export store_read export_memory
rm -f "$tmp/floor.db"
exported_bytes=$(stat -c %s "$tmp/out.vcf")
memory_bytes=$(size "$tmp/memory.vcf")
measure zamo_overwrite "" "$zamo" --db "$db" import --overwrite yes "$tmp/exporter-100k.vcf"
measure tels "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/tels.vcf"
measure long_line "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/long-line.vcf"
measure long_note "rm -f '$tmp/note.vcf'" "$build/bench/export_driver" note 1000000 "$tmp/note.vcf"
measure escapes "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/escapes.vcf"
# One card whose size is all in its lines: 100,000 distinct TEL lines, and
# 1,600,000 short ones "TEL:nnnnnnn" (20.8 MB) for the memory bound.
"$gen" tels 100000 "$tmp/tels-100k.vcf"
"$gen" short-tels 1600000 "$tmp/short-tels.vcf"
short_bytes=$(size "$tmp/short-tels.vcf")
measure tels_100k "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/tels-100k.vcf"
measure short_tels "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/short-tels.vcf"
rm -f "$tmp/tels-100k.vcf" "$tmp/short-tels.vcf"
if [ "$million" != 0 ]; then
  # 1,000,000 cards (about 850 MB, and as much again for the database and the
  # export), five runs each (the store write floor once): the scale and the
  # memory bound.
  find "$tmp" -name '*.vcf' ! -name exporter-100k.vcf -delete
  rm -f "$db"
  "$gen" exporter 1000000 "$tmp/exporter-1m.vcf"
  million_bytes=$(stat -c %s "$tmp/exporter-1m.vcf")
  saved_runs=$runs
  runs=5
  # 7a is the median of five rounds' own ratios: each 1,000,000-card import
  # is divided by the mean of the four 100,000-card imports (2a, into a
  # database of their own) run two right before and two right after it, so
  # that a change of the machine's speed between the parts of the run, or
  # during one short import, does not enter the ratio.
  small="$tmp/small.db"
  fresh_small="rm -f '$small' '$small-journal'"
  around=2
  for ((k = 0; k < around; k++)); do
    run_once zamo_import_around_1m "$fresh_small" "$zamo" --db "$small" import --overwrite no "$tmp/exporter-100k.vcf"
  done
  for ((i = 0; i < runs; i++)); do
    run_once zamo_import_1m "$fresh" "$zamo" --db "$db" import --overwrite no "$tmp/exporter-1m.vcf"
    for ((k = 0; k < around; k++)); do
      run_once zamo_import_around_1m "$fresh_small" "$zamo" --db "$small" import --overwrite no "$tmp/exporter-100k.vcf"
    done
  done
  settle zamo_import_around_1m zamo_import_1m
  rm -f "$tmp/exporter-100k.vcf"
  rm -f "$tmp/exporter-1m.vcf"
  # 7b alike, each export of the 1,000,000 contacts beside exports (3a) of the
  # 100,000 of the last round.
  small_out="rm -f '$tmp/small.vcf'"
  for ((k = 0; k < around; k++)); do
    run_once zamo_export_around_1m "$small_out" "$zamo" --db "$small" export "$tmp/small.vcf"
  done
  for ((i = 0; i < runs; i++)); do
    run_once zamo_export_1m "rm -f '$tmp/out.vcf'" "$zamo" --db "$db" export "$tmp/out.vcf"
    for ((k = 0; k < around; k++)); do
      run_once zamo_export_around_1m "$small_out" "$zamo" --db "$small" export "$tmp/small.vcf"
    done
  done
  settle zamo_export_around_1m zamo_export_1m
  rm -f "$tmp/out.vcf" "$tmp/small.vcf" "$small"
  # The store floors' own scale, for comparison with 7a and 7b (the write
  # floor holds the rows in memory: about 4.5 GB).
  measure store_read_1m "" "$floor" store-read "$db"
  runs=1
  measure store_write_1m "" "$floor" store-write "$db" "$tmp/floor.db"
  rm -f "$tmp/floor.db" "$db"
  runs=$saved_runs
  # One card of 1 GB in 67,000,000 short lines: it imports within the memory
  # bound, or fails cleanly (exit 1, one "zamo:" line, no contact kept).
  "$gen" short-lines 67000000 "$tmp/gigabyte.vcf"
  giga_bytes=$(size "$tmp/gigabyte.vcf")
  rm -f "$db" "$db-journal"
  giga_status=0
  /usr/bin/time -f '%M %U %S %e' -o "$tmp/time" "$zamo" --db "$db" import --overwrite no \
    "$tmp/gigabyte.vcf" >"$tmp/stdout" 2>"$tmp/stderr" || giga_status=$?
  rm -f "$tmp/gigabyte.vcf"
  read -r giga_kb giga_user giga_sys giga_wall < <(tail -n 1 "$tmp/time")
  giga_kept=$(sqlite3 "$db" "SELECT count(*) FROM contact" 2>/dev/null || echo 0)
  giga_message=$(tail -n 1 "$tmp/stderr")
  echo "  gigabyte: exit $giga_status, wall $giga_wall s, peak $giga_kb KB, $giga_kept contacts; $giga_message" >&2
  rm -f "$db" "$db-journal"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

# row FIGURE TARGET MEASURED CPU PASS
# (PASS "-": a figure without target.)
row() {
  local result=MISS
  [ "$5" = 1 ] && result=pass
  [ "$5" = - ] && result=-
  printf '| %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$result"
}
# le A B: 1 when A <= B; ge A B: 1 when A >= B.
le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? 1 : 0 }'; }
ge() { awk -v a="$1" -v b="$2" 'BEGIN { print (a >= b) ? 1 : 0 }'; }
rate() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.0f", bytes / 1e6 / s }'; }
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
# ratio2 A B: A / B to two places.
ratio2() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1e6 }'; }
# over_base KB BYTES: a peak's excess over 2a's peak (the job's own footprint on
# a file of small cards: program, page cache, buffers), per byte of the card.
over_base() { awk -v kb="$1" -v base="${rss[zamo_import]}" -v bytes="$2" \
  'BEGIN { v = (kb - base) * 1024 / bytes; printf "%.2f", v < 0 ? 0 : v }'; }

rate_a=$(rate "$a" "${wall[import_a]}")
rate_b=$(rate "$b" "${wall[import_b]}")
read -r lin_a lin_a_low lin_a_high < <(paired "${walls[import_a]}" "${walls[import_a10]}")
read -r lin_b lin_b_low lin_b_high < <(paired "${walls[import_b]}" "${walls[import_b10]}")
rss_ratio=$(ratio "$((rss[zamo_import] * 1024))" "$a")
over_ratio=$(ratio "${wall[zamo_overwrite]}" "${wall[zamo_import]}")
rate_mem=$(rate "$memory_bytes" "${command[export_memory]}")

echo
echo "Corpora: (a) exporter-shaped windows-1251, 100,000 cards, $(mb "$a"); (b) phone-shaped UTF-8, 100,000 cards, $(mb "$b")."
echo "Revision $(git rev-parse --short HEAD 2>/dev/null || echo unknown), Release build."
if [ "$(ge "$load_before" 1)" = 1 ]; then
  echo "Warning: load average $load_before when the run began: other work shared the cores, so wall figures and ratios are not those of a quiet machine (CPU columns are steadier)."
fi
echo "Median of $runs runs (of 5 for the 1,000,000-card figures), wall-clock time of the whole process (3b: of the export command, the memory host being filled before); CPU is user + system time of the process; a ratio of two jobs (1c, 1d) is the median of the ratios of rounds that run both one after the other. $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)."
echo
echo "| Figure | Target | Measured | CPU | Result |"
echo "|---|---|---|---|---|"
row "1a plug-in import of (a), host doing nothing" ">= 150 MB/s" "$rate_a MB/s (${wall[import_a]} s)" "${cpu[import_a]} s" "$(ge "$rate_a" 150)"
row "1b plug-in import of (b), host doing nothing" ">= 150 MB/s" "$rate_b MB/s (${wall[import_b]} s)" "${cpu[import_b]} s" "$(ge "$rate_b" 150)"
row "1c 100,000 / 10,000 cards of (a)" "<= 11x" "${lin_a}x (rounds ${lin_a_low}-${lin_a_high}x)" "-" "$(le "$lin_a" 11)"
row "1d 100,000 / 10,000 cards of (b)" "<= 11x" "${lin_b}x (rounds ${lin_b_low}-${lin_b_high}x)" "-" "$(le "$lin_b" 11)"
row "2a zamo import of (a) into a new database" "<= 5 s" "${wall[zamo_import]} s" "${cpu[zamo_import]} s" "$(le "${wall[zamo_import]}" 5)"
row "2b peak memory of 2a" "<= 3x file size" "${rss_ratio}x ($((rss[zamo_import] / 1024)) MB)" "-" "$(le "$rss_ratio" 3)"
row "3a zamo export of the 100,000 contacts" "<= 3 s" "${wall[zamo_export]} s" "${cpu[zamo_export]} s" "$(le "${wall[zamo_export]}" 3)"
row "3b plug-in export command, 100,000 contacts from memory" ">= 200 MB/s" "$rate_mem MB/s (${command[export_memory]} s; process ${wall[export_memory]} s)" "${cpu[export_memory]} s" "$(ge "$rate_mem" 200)"
row "4a zamo import of a card with 2,000 TEL lines" "< 1 s" "${wall[tels]} s" "${cpu[tels]} s" "$(le "${wall[tels]}" 1)"
row "4b zamo import of a 10 MB single line" "< 1 s" "${wall[long_line]} s" "${cpu[long_line]} s" "$(le "${wall[long_line]}" 1)"
row "4c plug-in export of a 10 MB note, 1,000,000 line feeds" "< 1 s" "${wall[long_note]} s" "${cpu[long_note]} s" "$(le "${wall[long_note]}" 1)"
row "4d zamo import of 500,000 \"\\;\" in one line" "< 1 s" "${wall[escapes]} s" "${cpu[escapes]} s" "$(le "${wall[escapes]}" 1)"
row "5 zamo import of (a) again, --overwrite yes" "<= 2x figure 2a" "${over_ratio}x (${wall[zamo_overwrite]} s)" "${cpu[zamo_overwrite]} s" "$(le "$over_ratio" 2)"

# The floors and the ratios to them: wall time decides, CPU time beside it.
import_floor=$(sum "${command[import_a]}" "${command[store_write]}")
import_floor_cpu=$(sum "${commandcpu[import_a]}" "${commandcpu[store_write]}")
export_floor=$(sum "${command[store_read]}" "${command[export_memory]}")
export_floor_cpu=$(sum "${commandcpu[store_read]}" "${commandcpu[export_memory]}")
# The ratios to the floors are decided on each side's fastest run: this
# machine switches between a fast and a slow state from one second to the next,
# and the slow state slows the jobs more than their floors (6a: about 3.0x
# there, 2.5x in the fast state), while interference only ever adds time, so
# the fastest run of each is the nearest to a quiet machine. The median of the
# rounds' own ratios, with the lowest and highest, is printed beside it.
# fastest LIST...: the least value of all the lists.
fastest() { printf '%s\n' $* | sort -g | head -n 1; }
fast_decode=$(ratio2 "$(fastest "${commands[import_a]}")" "$(fastest "${commands[decode_a]}" "${commands[decode_a_after]}")")
fast_decode_cpu=$(ratio2 "$(fastest "${commandcpus[import_a]}")" "$(fastest "${commandcpus[decode_a]}" "${commandcpus[decode_a_after]}")")
fast_import=$(ratio2 "$(fastest "${walls[zamo_import]}")" "$(sum "$(fastest "${commands[import_a]}")" "$(fastest "${commands[store_write]}")")")
fast_import_cpu=$(ratio2 "$(fastest "${cpus[zamo_import]}")" "$(sum "$(fastest "${commandcpus[import_a]}")" "$(fastest "${commandcpus[store_write]}")")")
fast_export=$(ratio2 "$(fastest "${walls[zamo_export]}")" "$(sum "$(fastest "${commands[store_read]}")" "$(fastest "${commands[export_memory]}")")")
fast_export_cpu=$(ratio2 "$(fastest "${cpus[zamo_export]}")" "$(sum "$(fastest "${commandcpus[store_read]}")" "$(fastest "${commandcpus[export_memory]}")")")
# The ratios of the rounds: median, lowest and highest.
read -r decode_ratio decode_low decode_high < <(paired "${commands[import_a]}" "$(means "${commands[decode_a]}" "${commands[decode_a_after]}")")
read -r import_ratio import_low import_high < <(paired "${walls[zamo_import]}" "${commands[import_a]}" "${commands[store_write]}")
read -r export_ratio export_low export_high < <(paired "${walls[zamo_export]}" "${commands[store_read]}" "${commands[export_memory]}")
rate_plugin=$(rate "$a" "${command[import_a]}")
# seconds KEY: the command's median wall seconds.
seconds() { printf '%s s' "${command[$1]}"; }
peak_mb() { echo "$(($1 / 1024)) MB"; }
larger() { echo "$(($1 > $2 ? $1 : $2))"; }
echo
echo "Floors measured in this run, and the ratios to them (commands alone where a driver reports them; CPU seconds in the fourth column). A ratio to a floor is that of the fastest of $runs runs of each side (CPU: of the least CPU times), with the median, lowest and highest of the rounds' own ratios beside it, each round running the job and its floors one after another:"
echo
echo "| Figure | Target | Measured | CPU | Result |"
echo "|---|---|---|---|---|"
row "F1 reading floor: (a) read through one buffer, lines counted" "-" "$(rate "$a" "${command[read_a]}") MB/s ($(seconds read_a))" "${commandcpu[read_a]} s" -
row "F2 decoding floor: (a) decoded to UTF-16, lines counted" "-" "$(rate "$a" "${command[decode_a]}") MB/s ($(seconds decode_a))" "${commandcpu[decode_a]} s" -
row "F3 decoding floor of (b), UTF-8" "-" "$(rate "$b" "${command[decode_b]}") MB/s ($(seconds decode_b))" "${commandcpu[decode_b]} s" -
row "F4 store floor: the rows of 2a inserted in one transaction" "-" "$(seconds store_write)" "${commandcpu[store_write]} s" -
row "F5 store read floor: the rows of 2a read back in order" "-" "$(seconds store_read)" "${commandcpu[store_read]} s" -
row "6a plug-in import of (a) / decoding floor F2" "<= 3x" "${fast_decode}x (rounds: median ${decode_ratio}x, ${decode_low}-${decode_high}x; CPU ${fast_decode_cpu}x)" "${commandcpu[import_a]} s" "$(le "$fast_decode" 3)"
row "6b plug-in import of (a), command alone" ">= 300 MB/s" "$rate_plugin MB/s ($(seconds import_a))" "${commandcpu[import_a]} s" "$(ge "$rate_plugin" 300)"
row "6c zamo import of (a) / (plug-in import 6b + store floor F4)" "<= 1.5x" "${fast_import}x (rounds: median ${import_ratio}x, ${import_low}-${import_high}x; CPU ${fast_import_cpu}x)" "${cpu[zamo_import]} s" "$(le "$fast_import" 1.5)"
row "6d zamo export / (store read floor F5 + export from memory 3b)" "<= 1.5x" "${fast_export}x (rounds: median ${export_ratio}x, ${export_low}-${export_high}x; CPU ${fast_export_cpu}x)" "${cpu[zamo_export]} s" "$(le "$fast_export" 1.5)"
row "6e plug-in export from memory (3b)" ">= 500 MB/s" "$rate_mem MB/s" "${commandcpu[export_memory]} s" "$(ge "$rate_mem" 500)"
row "6f peak memory of 2a and 3a" "< 32 MB" "$(peak_mb "${rss[zamo_import]}"), $(peak_mb "${rss[zamo_export]}")" "-" "$(le "$(larger "${rss[zamo_import]}" "${rss[zamo_export]}")" 32767)"
row "8a zamo import of one card of 100,000 distinct TEL lines" "< 1 s" "${wall[tels_100k]} s" "${cpu[tels_100k]} s" "$(le "${wall[tels_100k]}" 1)"
short_over=$(over_base "${rss[short_tels]}" "$short_bytes")
row "8b peak memory of zamo importing one card of 1,600,000 \"TEL:nnnnnnn\" lines ($(mb "$short_bytes")), above 2a's" "<= 3x card" "${short_over}x ($((rss[short_tels] / 1024)) MB; ${wall[short_tels]} s)" "${cpu[short_tels]} s" "$(le "$short_over" 3)"
if [ "$million" != 0 ]; then
  read -r scale_import scale_low scale_high < <(paired "${walls[zamo_import_1m]}" "$(flanking "${walls[zamo_import_around_1m]}" "$around")")
  read -r scale_import_cpu _ _ < <(paired "${cpus[zamo_import_1m]}" "$(flanking "${cpus[zamo_import_around_1m]}" "$around")")
  read -r scale_export scale_export_low scale_export_high < <(paired "${walls[zamo_export_1m]}" "$(flanking "${walls[zamo_export_around_1m]}" "$around")")
  read -r scale_export_cpu _ _ < <(paired "${cpus[zamo_export_1m]}" "$(flanking "${cpus[zamo_export_around_1m]}" "$around")")
  row "7a zamo import of 1,000,000 cards ($(mb "$million_bytes")) / 2a run twice right before and twice after it" "<= 11x" "${scale_import}x (rounds ${scale_low}-${scale_high}x; ${wall[zamo_import_1m]} s; CPU ${scale_import_cpu}x)" "${cpu[zamo_import_1m]} s" "$(le "$scale_import" 11)"
  row "7b zamo export of the 1,000,000 contacts / 3a run twice right before and twice after it" "<= 11x" "${scale_export}x (rounds ${scale_export_low}-${scale_export_high}x; ${wall[zamo_export_1m]} s; CPU ${scale_export_cpu}x)" "${cpu[zamo_export_1m]} s" "$(le "$scale_export" 11)"
  row "7e store floor F4 of the 1,000,000 cards' rows / F4" "-" "$(ratio2 "${command[store_write_1m]}" "${command[store_write]}")x ($(seconds store_write_1m); CPU $(ratio2 "${commandcpu[store_write_1m]}" "${commandcpu[store_write]}")x)" "${commandcpu[store_write_1m]} s" -
  row "7f store read floor F5 of the 1,000,000 contacts / F5" "-" "$(ratio2 "${command[store_read_1m]}" "${command[store_read]}")x ($(seconds store_read_1m); CPU $(ratio2 "${commandcpu[store_read_1m]}" "${commandcpu[store_read]}")x)" "${commandcpu[store_read_1m]} s" -
  row "7c peak memory of 7a" "< 32 MB" "$(peak_mb "${rss[zamo_import_1m]}")" "-" "$(le "${rss[zamo_import_1m]}" 32767)"
  row "7d peak memory of 7b" "< 32 MB" "$(peak_mb "${rss[zamo_export_1m]}")" "-" "$(le "${rss[zamo_export_1m]}" 32767)"
  giga_over=$(over_base "$giga_kb" "$giga_bytes")
  if [ "$giga_status" = 0 ]; then
    giga_result=$(le "$giga_over" 3)
    giga_text="imported, ${giga_over}x above 2a's peak ($((giga_kb / 1024)) MB, ${giga_wall} s)"
  else
    giga_result=0
    [ "$giga_status" = 1 ] && [ "$giga_kept" = 0 ] && [[ $giga_message == zamo:* ]] && giga_result=1
    giga_text="failed cleanly: exit $giga_status, $giga_kept contacts kept, \"$giga_message\""
  fi
  row "8c zamo import of one 1 GB card of $(mb "$giga_bytes") in 67,000,000 short lines" "<= 3x card + 2a's peak, or a clean failure" "$giga_text" "$(sum "$giga_user" "$giga_sys") s" "$giga_result"
fi

# The chart: each job's throughput beside its floor's, in MB of its file per wall second.
mkdir -p bench/figures
chart="$tmp/throughput.dat"
{
  echo "# job, floor MB/s, measured MB/s"
  echo "\"decoding (a)\\nfloor: reading\" $(rate "$a" "${command[read_a]}") $(rate "$a" "${command[decode_a]}")"
  echo "\"plug-in import (a)\\nfloor: decoding\" $(rate "$a" "${command[decode_a]}") $rate_plugin"
  echo "\"zamo import (a)\\nfloor: import + store\" $(rate "$a" "$import_floor") $(rate "$a" "${wall[zamo_import]}")"
  echo "\"zamo export\\nfloor: store read + export\" $(rate "$exported_bytes" "$export_floor") $(rate "$exported_bytes" "${wall[zamo_export]}")"
} >"$chart"
gnuplot <<EOF
set terminal png size 1000,560 noenhanced
set output "bench/figures/throughput.png"
set title "Each job beside its floor: MB of the file per second (revision $(git rev-parse --short HEAD 2>/dev/null || echo unknown))"
set style data histogram
set style histogram clustered gap 1
set style fill solid 0.8 border -1
set ylabel "MB/s (logarithmic)"
set logscale y
set yrange [10:*]
set bmargin 5
set key top right
set grid ytics
plot "$chart" using 2:xtic(1) title "floor", "" using 3 title "measured"
EOF
echo
echo "Chart: bench/figures/throughput.png. The whole run took $(awk -v a="$began" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }') s."
