#!/usr/bin/env bash
# The main job: builds what is missing, starts the virtual sensor on a pseudo-terminal, maps port 1
# to it and starts ThermAdjust on that port. Without a display it runs the same job on the command
# line: identify the sensor, read its temperature, adjust the offset, read it again.
# `demo.sh workbench` starts the desktop workbench on the same virtual sensor instead (it needs a
# display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

job=${1:-thermadjust}
case "$job" in
  thermadjust) targets=(kvtool kvsim thermadjust) ;;
  workbench)
    targets=(kvsim kvworkbench)
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "the workbench is a desktop program: run it where there is a display" >&2
      exit 1
    fi
    ;;
  *) echo "usage: $0 [workbench]" >&2; exit 2 ;;
esac

bash scripts/install-deps.sh

# KV_BUILD_DIR chooses another build directory (default: build).
build=${KV_BUILD_DIR:-build}
echo "== build in $build (only what is missing or out of date)"
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target "${targets[@]}"

kvtool=$build/tools/kvtool
link=/tmp/kvsim-demo
truth=23.0
# The virtual sensor's EEPROM changes stay out of the journal of the real sensors.
export KVSENSOR_JOURNAL_DIR=${KVSENSOR_JOURNAL_DIR:-/tmp/kvsim-demo-journal}

# A link left behind by an earlier run would be taken for the new sensor.
[ -L "$link" ] && rm -f "$link"

echo "== virtual sensor: profile p8-co2-temp-rh, KVBUS, true temperature $truth °C, on $link"
source scripts/virtual-sensor.sh
stop_sensor() {
  stop_virtual_sensor
  [ -L "$link" ] && rm -f "$link"
  return 0
}
trap stop_sensor EXIT
start_virtual_sensor "$build/sim/kvsim" "$link" --profile p8-co2-temp-rh --protocol kvbus \
  --temperature "$truth"
export KVCOM3_PORT_1=$link

if [ "$job" = workbench ]; then
  echo "== kvworkbench connected to port 1 (KVCOM3_PORT_1=$link)"
  "$build/workbench/kvworkbench" --port 1
  exit 0
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== ThermAdjust on port 1 (KVCOM3_PORT_1=$link): choose port 1 and KVBUS, then OK"
  "$build/thermadjust/thermadjust"
  exit 0
fi

echo "== no display: the same job on the command line (kvtool --port 1)"
echo
echo "== kvtool info"
"$kvtool" --port 1 info | sed 's/^/   /'
echo
echo "== kvtool get foChannelValue4   (space temperature as the sensor shows it)"
echo "   $("$kvtool" --port 1 get foChannelValue4)"
echo
echo "== kvtool calibrate cpSpaceTempOffsetAdjust --input cvSpaceTempOffsetAdjustCorrectTemp=$truth"
"$kvtool" --port 1 calibrate cpSpaceTempOffsetAdjust \
  --input "cvSpaceTempOffsetAdjustCorrectTemp=$truth" | head -n 4 | sed 's/^/   /'
echo "   ..."
echo
echo "== kvtool get foChannelValue4   (after the adjustment)"
echo "   $("$kvtool" --port 1 get foChannelValue4)"
