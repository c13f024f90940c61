#!/usr/bin/env bash
# The project's test command: installs what is missing, checks the formatting, builds with
# warnings as errors, runs every test, then runs the unit tests again under ASan + UBSan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

bash scripts/install-deps.sh

echo "== format check"
git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

echo "== build (warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_WERROR=ON -DKV_BUILD_BENCH=ON >/dev/null
cmake --build build -j "$jobs"

echo "== tests"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300)

echo "== sanitizer build (ASan + UBSan): unit tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_WERROR=ON -DKV_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs" -L 'unit|sim' --timeout 300)
