#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ (clang, ASan + UBSan) and runs each
# for ZAMO_FUZZ_SECONDS (default 60), its seed corpus fuzz/corpus/<target>/ first.
# Arguments name targets (default: all). Logs and failing inputs land in
# build-fuzz/fuzz/; exits non-zero when any target fails. Under CI (CI set) the
# runs start from a fixed seed (ZAMO_FUZZ_SEED, default 1) so that a green run
# can be repeated; elsewhere each run explores from a fresh seed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-deps.sh clang libclang-rt-14-dev
seconds=${ZAMO_FUZZ_SECONDS:-60}
seed=()
if [ -n "${ZAMO_FUZZ_SEED:-}" ]; then
  seed=(-seed="$ZAMO_FUZZ_SEED")
elif [ -n "${CI:-}" ]; then
  seed=(-seed=1)
fi
build=${ZAMO_FUZZ_BUILD:-build-fuzz}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZAMO_FUZZ=ON -DZAMO_BUILD_TESTS=OFF -DZAMO_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" --target zamo_fuzz -j"$(nproc)"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for src in fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

out="$build/fuzz"
mkdir -p "$out/artifacts"
failed=()
printf '%-22s %12s %8s %8s %s\n' target inputs cov features result
for t in "${targets[@]}"; do
  work="$out/work/$t"  # new inputs land here, never in the repository's corpus
  rm -rf "$work"
  mkdir -p "$work"
  log="$out/$t.log"
  result=ok
  echo "seconds: $seconds" >"$log"
  TMPDIR="$out" ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$out/$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$t-" ${seed[@]+"${seed[@]}"} \
      "$work" "fuzz/corpus/$t" >>"$log" 2>&1 || result=FAILED
  inputs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  printf '%-22s %12s %8s %8s %s\n' "$t" "${inputs:-?}" "${cov:-?}" "${ft:-?}" "$result"
  if [ "$result" != ok ]; then
    failed+=("$t")
    { grep -E -A30 '^==[0-9]+==ERROR|broken invariant|runtime error|deadly signal|timeout' "$log" ||
      tail -40 "$log"; } | head -60 >&2 || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]} (inputs in $out/artifacts/)" >&2
  exit 1
fi
