#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them all and records the figures in bench/RESULTS.md.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target kv_bench
out=$("$build/bench/kv_bench" --benchmark_counters_tabular=true 2>&1)
echo "$out"
{
  echo "# Benchmark results"
  echo
  echo "- date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- machine: $(uname -srm), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
  echo "- command: bench/run.sh"
  echo
  echo '```'
  echo "$out"
  echo '```'
} >"$here/RESULTS.md"
