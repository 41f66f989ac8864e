#!/usr/bin/env bash
# Prints the reliability figures: inputs tried and coverage per fuzz target (logs
# of scripts/fuzz.sh, run first when missing or ZAMO_FUZZ_RUN=1), and from the
# reliability tests (build-rel/) catalogue cases passed, host faults survived and
# "nothing lost" checks passed.
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_out=${ZAMO_FUZZ_BUILD:-build-fuzz}/fuzz
build=${ZAMO_REL_BUILD:-build-rel}

targets=()
for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
missing=0
for t in "${targets[@]}"; do [ -f "$fuzz_out/$t.log" ] || missing=1; done
if [ "${ZAMO_FUZZ_RUN:-0}" = 1 ] || [ $missing = 1 ]; then
  scripts/fuzz.sh >/dev/null || echo "warning: a fuzz target failed; see $fuzz_out/*.log" >&2
fi

echo "Reliability figures, $(date -u +%Y-%m-%d) at $(git rev-parse --short HEAD 2>/dev/null || echo '?')"
echo
printf '%-22s %14s %10s %10s %8s %7s\n' "fuzz target" "inputs tried" "edges" "features" "seconds" "seeds"
for t in "${targets[@]}"; do
  log="$fuzz_out/$t.log"
  inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" 2>/dev/null | tail -1 || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" 2>/dev/null | tail -1 | cut -d' ' -f2 || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" 2>/dev/null | tail -1 | cut -d' ' -f2 || true)
  secs=$(sed -n 's/^seconds: *//p' "$log" 2>/dev/null | tail -1 || true)
  seeds=$(find "fuzz/corpus/$t" -type f 2>/dev/null | wc -l)
  status=""
  if [ ! -f "$log" ]; then status=" (not run)"
  elif grep -qE '^==[0-9]+==ERROR|broken invariant|deadly signal' "$log"; then status=" FAILED"; fi
  printf '%-22s %14s %10s %10s %8s %7s%s\n' "$t" "${inputs:-?}" "${cov:-?}" "${ft:-?}" \
    "${secs:-?}" "$seeds" "$status"
done

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAMO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target reliability_tests zamo vcard_import vcard_export -j"$(nproc)" >/dev/null
xml="$build/tests/reliability-figures.xml"
rm -f "$xml"
"$build/tests/reliability_tests" --gtest_output=xml:"$xml" >/dev/null 2>&1 || true
[ -f "$xml" ] || { echo "the reliability tests did not run" >&2; exit 1; }

# Sums a property over every test of the report.
sum() { grep -o "name=\"$1\" value=\"[0-9]*\"" "$xml" | grep -o '[0-9]*"$' | tr -d '"' |
        awk '{s += $1} END {print s + 0}'; }
failed=$(grep -c '<failure' "$xml" || true)
echo
echo "bad-input catalogue: $(sum catalogue_passed) of $(sum catalogue_cases) cases passed"
echo "host faults survived: $(sum fault_passed) of $(sum fault_cases)"
echo "nothing-lost checks passed: $(sum kept_passed) of $(sum kept_checks)"
echo "reliability tests failing: $failed"
