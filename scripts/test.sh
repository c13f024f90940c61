#!/usr/bin/env bash
# The project's test command: installs what is missing, checks the formatting, builds with
# warnings as errors, runs every test, runs every suite again under ASan + UBSan with leak
# checking, one pseudo-terminal suite under valgrind, each fuzz target for 30 seconds, and checks
# the Debian package the way an integrator meets it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)
# Most test time is spent waiting on the virtual sensor's real-time replies, not computing.
test_jobs=$((jobs * 2))

bash scripts/install-deps.sh

# Repeated runs rebuild only what changed, also from a fresh clone in another folder.
source scripts/compiler-cache.sh

step() { echo "== $1 ($(date -u +%H:%M:%S))"; }

step "format check"
git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

step "build (warnings as errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_WERROR=ON -DKV_BUILD_BENCH=ON \
  "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"

step "tests"
(cd build && ctest --output-on-failure -j "$test_jobs" --timeout 300)

step "valgrind: serial port and Modbus peer over pseudo-terminals"
valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
  build/tests/kvcom3_integration_tests --gtest_brief=1

step "sanitizer build (ASan + UBSan + LeakSanitizer): every suite"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_WERROR=ON -DKV_SANITIZE=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan &&
  ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS=suppressions="$root/tests/sanitizers/lsan.supp":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$test_jobs" --timeout 600)

step "fuzzing: 30 seconds per target"
bash scripts/fuzz.sh 30

step "package: the .deb built, installed with apt-get and used by an outside project"
bash scripts/package-check.sh
step "done"
