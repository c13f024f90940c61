#!/usr/bin/env bash
# The main job: builds what is missing, starts the virtual sensor on a pseudo-terminal and reads
# its identity and space temperature with kvtool, as a technician would from a real sensor.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

# KV_BUILD_DIR chooses another build directory (default: build).
build=${KV_BUILD_DIR:-build}
echo "== build in $build (only what is missing or out of date)"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target kvtool kvsim

kvtool=$build/tools/kvtool
link=/tmp/kvsim-demo

# A link left behind by an earlier run would be taken for the new sensor.
[ -L "$link" ] && rm -f "$link"

echo "== virtual sensor: profile p8-co2-temp-rh, KVBUS, on $link"
"$build/sim/kvsim" --profile p8-co2-temp-rh --protocol kvbus --link "$link" >/dev/null &
sim=$!
stop_sensor() {
  kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null || true
  [ -L "$link" ] && rm -f "$link"
  return 0
}
trap stop_sensor EXIT

for _ in $(seq 50); do
  [ -L "$link" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "the virtual sensor did not start" >&2; exit 1; }
  sleep 0.1
done
[ -L "$link" ] || { echo "the virtual sensor made no device link" >&2; exit 1; }

echo
echo "== kvtool --device $link info"
"$kvtool" --device "$link" info | sed 's/^/   /'

# The space temperature is channel 4: a signed word in hundredths of a degree at RAM 20,
# most significant byte first.
echo
echo "== kvtool --device $link peek ram 20 2   (space temperature, channel 4)"
bytes=$("$kvtool" --device "$link" peek ram 20 2)
read -r high low <<<"$bytes"
raw=$(( (high << 8) | low ))
(( raw >= 32768 )) && raw=$(( raw - 65536 ))
sign=""
(( raw < 0 )) && sign="-"
abs=${raw#-}
printf '   bytes: %s %s   raw word: %d   temperature: %s%d.%02d °C\n' \
  "$high" "$low" "$raw" "$sign" $(( abs / 100 )) $(( abs % 100 ))
