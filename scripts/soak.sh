#!/usr/bin/env bash
# The long fault soak: TRANSFERS (default 10000) reads, writes and commands per protocol against
# the virtual sensor in process, with a seeded random fault on 5 % of the exchanges and every
# 40th transfer faulted on each attempt, then PTY_TRANSFERS (default 200) per protocol over a
# real pseudo-terminal. Prints the figures of each run; exits non-zero when any is not clean.
#
#   scripts/soak.sh [TRANSFERS] [SEED]       KV_BUILD_DIR chooses the build (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
transfers=${1:-10000}
seed=${2:-20261208}
pty_transfers=${PTY_TRANSFERS:-200}
for count in "$transfers" "$pty_transfers"; do
  [[ "$count" =~ ^[1-9][0-9]*$ ]] || { echo "soak.sh: counts are whole numbers above 0, not '$count'" >&2; exit 2; }
done
[[ "$seed" =~ ^[0-9]+$ ]] || { echo "soak.sh: the seed is a whole number, not '$seed'" >&2; exit 2; }

cmake --build "$build" --target kvcom3_reliability_tests >/dev/null
binary=$build/tests/kvcom3_reliability_tests
output=$(mktemp)
trap 'rm -f "$output"' EXIT

status=0
KV_SOAK_TRANSFERS=$transfers KV_SOAK_PTY_TRANSFERS=$pty_transfers KV_SOAK_SEED=$seed \
  "$binary" --gtest_filter='*FaultSoak*' >"$output" 2>&1 || status=$?

echo "fault soak, seed $seed: $transfers transfers per protocol in process, $pty_transfers on a pty"
grep '^soak ' "$output" | sed 's/^soak /  /'
if [ "$status" -ne 0 ]; then
  echo "FAILED:"
  grep -E '^\[  FAILED|^  operation|Failure' "$output" || true
fi
exit "$status"
