#!/usr/bin/env bash
# Pictures of every workbench panel for the documentation: starts the virtual sensor on a
# pseudo-terminal (Modbus: whole memories come in large frames) and the workbench on it under a
# virtual X display, which reads what each tab reads on request, saves one PNG per tab and per
# dock into docs/ (workbench-<panel>.png) and ends. Builds nothing: run it after a build.
# KV_BUILD_DIR chooses the build directory (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${KV_BUILD_DIR:-build}
kvsim=$build/sim/kvsim
workbench=$build/workbench/kvworkbench
for program in "$kvsim" "$workbench"; do
  [ -x "$program" ] || { echo "screenshots: $program is missing; build first" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (package xvfb)" >&2; exit 1; }

source scripts/virtual-sensor.sh
scratch=$(mktemp -d)
cleanup() {
  stop_virtual_sensor
  rm -rf "$scratch"
}
trap cleanup EXIT
# Nothing of the run reaches the user's settings or journal.
export XDG_CONFIG_HOME=$scratch/config KVSENSOR_JOURNAL_DIR=$scratch/journal
link=$scratch/sensor
start_virtual_sensor "$kvsim" "$link" --profile p8-co2-temp-rh --protocol modbus --no-noise \
  --temperature 23.0

mkdir -p docs
xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$workbench" --device "$(readlink -f "$link")" --protocol modbus --screenshots docs
ls docs/workbench-*.png
