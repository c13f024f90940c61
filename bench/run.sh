#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them all and records the figures with their goals
# in bench/RESULTS.md. KV_BENCH_DIR chooses another build directory than build-bench.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build="${KV_BENCH_DIR:-$root/build-bench}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target kv_bench -j2
json=$(mktemp)
trap 'rm -f "$json"' EXIT
out=$("$build/bench/kv_bench" --benchmark_counters_tabular=true \
  --benchmark_out="$json" --benchmark_out_format=json 2>&1)
echo "$out"
{
  echo "# Benchmark results"
  echo
  echo "- date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "- machine: $(uname -srm), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
  echo "- command: bash bench/run.sh"
  echo
  echo "## Figures and goals"
  echo
  python3 "$here/summarize.py" "$json"
  echo
  cat "$here/NOTES.md"
  echo
  echo "## Output of the run"
  echo
  echo '```'
  echo "$out"
  echo '```'
} >"$here/RESULTS.md"
