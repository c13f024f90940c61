#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes each one for SECONDS (default 30), as many
# side by side as there are cores, starting from a copy of its seed corpus. Fails when any target
# finds something (crash, sanitizer report, leak, time-out); the reproducer is left in the log
# directory. Prints executions per target.
#
#   scripts/fuzz.sh [SECONDS]
#   KV_FUZZ_BUILD  build directory (default build-fuzz)
#   KV_FUZZ_LOGS   where logs, grown corpora and reproducers go (default <build>/fuzz-runs)
#   KV_FUZZ_ONLY   space-separated target names to run instead of all of them
#   KV_FUZZ_JOBS   how many targets run at once (default: the number of cores)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-30}
build=${KV_FUZZ_BUILD:-build-fuzz}
logs=${KV_FUZZ_LOGS:-$build/fuzz-runs}

source scripts/compiler-cache.sh
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV_FUZZ=ON -DKV_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null

targets=()
for dir in tests/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
if [ -n "${KV_FUZZ_ONLY:-}" ]; then read -r -a targets <<<"$KV_FUZZ_ONLY"; fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

mkdir -p "$logs"

# fuzz_one TARGET: one campaign from a fresh copy of the seeds; its verdict goes to verdict.txt.
fuzz_one() {
  local target=$1 work="$logs/$1" status=0 runs
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp tests/fuzz/corpus/"$target"/* "$work/corpus/"
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" \
    >"$work/log.txt" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "FINDING $target (exit $status): see $work/log.txt and $work/artifacts/" >"$work/verdict.txt"
  else
    echo "ok $target: ${runs:-?} executions in ${seconds}s" >"$work/verdict.txt"
  fi
}

# Each target is single-threaded, so as many run side by side as there are cores.
parallel=${KV_FUZZ_JOBS:-$(nproc)}
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do wait -n || true; done
  fuzz_one "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
  cat "$logs/$target/verdict.txt"
  grep -q '^ok ' "$logs/$target/verdict.txt" || failed=1
done
exit "$failed"
