#!/usr/bin/env bash
# Builds the Debian package and checks it the way an integrator meets it: a staged installation
# (cmake --install) that an outside CMake project and a pkg-config build link against, then the
# .deb installed on this machine with apt-get, its programs run and the outside project built
# against it. The package is removed again at the end, also when a step fails.
#
# KV_PKG_BUILD_DIR chooses the build directory (default: build-pkg). Needs root or sudo for apt-get.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
started=$(date +%s)

build=$root/${KV_PKG_BUILD_DIR:-build-pkg}
prefix=/usr
package=kv-sensor-tools
work=$(mktemp -d /tmp/pkg-check.XXXXXX)
stage=$work/stage
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

sim=""
installed=""
cleanup() {
  status=$?
  stop_sensor
  if [ -n "$installed" ]; then
    echo "== removing $package"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get remove --purge -y -qq "$package" >/dev/null || status=1
  fi
  rm -rf "$work"
  [ "$status" -eq 0 ] || echo "package check FAILED" >&2
  exit "$status"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

start_sensor() {  # start_sensor KVSIM: a KVBUS sensor on a pty linked at $work/sensor
  "$1" --profile p8-co2-temp-rh --protocol kvbus --no-noise --link "$work/sensor" >/dev/null &
  sim=$!
  for _ in $(seq 100); do
    [ -L "$work/sensor" ] && return 0
    kill -0 "$sim" 2>/dev/null || fail "$1 did not start"
    sleep 0.1
  done
  fail "$1 made no device link"
}

stop_sensor() {
  if [ -n "$sim" ]; then
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
  fi
  sim=""
  rm -f "$work/sensor"
}

# check_python_module PREFIX SERIAL: the kvsensor module under PREFIX, with its stubs, reads the
# sensor through the example script. The system's python3 finds a /usr installation by itself; a
# staged one is named in PYTHONPATH.
check_python_module() {
  local at=$1 expected=$2 module folder serial
  module=$(find "$at/lib" -maxdepth 3 -path '*/dist-packages/kvsensor*.so' | head -n 1)
  [ -n "$module" ] || fail "no kvsensor module under $at/lib"
  folder=$(dirname "$module")
  [ -f "$folder/kvsensor.pyi" ] || fail "no kvsensor.pyi beside $module"
  local python=(env -u PYTHONPATH /usr/bin/python3)
  [ "$at" = "$prefix" ] || python=(env PYTHONPATH="$folder" /usr/bin/python3)
  (cd / && "${python[@]}" -c 'import kvsensor; print(kvsensor.__file__)') >"$work/module" ||
    fail "python3 cannot import kvsensor from $at"
  [ "$(cat "$work/module")" = "$module" ] || fail "python3 imported $(cat "$work/module"), not $module"
  serial=$("${python[@]}" examples/sensor_tree.py "$work/sensor" |
    /usr/bin/python3 -c 'import json, sys; print(json.load(sys.stdin)["serialNumber"])')
  [ "$serial" = "$expected" ] || fail "the Python example read serial '$serial'"
  echo "   kvsensor imported from $folder; the example read the same serial number"
}

# check_installation PREFIX BUILD_DIR: the programs and data under PREFIX work, and the outside
# project built in BUILD_DIR against PREFIX reads the same sensor as kvtool.
check_installation() {
  local at=$1 consumer=$2
  "$at/bin/kvtool" --help >/dev/null || fail "kvtool --help"
  "$at/bin/kvsim" --list-profiles >"$work/profiles" || fail "kvsim --list-profiles"
  grep -qx p8-co2-temp-rh "$work/profiles" || fail "kvsim lists no p8-co2-temp-rh"
  # The message of an unknown profile names where kvsim looked: the installed folder.
  if "$at/bin/kvsim" --profile no-such-profile 2>"$work/kvsim.err"; then
    fail "kvsim accepted an unknown profile"
  fi
  grep -qF "$at/share/kvsim/profiles/no-such-profile.json" "$work/kvsim.err" ||
    fail "kvsim does not read its installed profiles: $(cat "$work/kvsim.err")"
  [ -d "$at/share/kvcal3/def" ] || fail "no sensor definition folder $at/share/kvcal3/def"
  [ -f "$at/share/applications/thermadjust.desktop" ] || fail "no ThermAdjust desktop entry"
  [ -x "$at/bin/thermadjust" ] || fail "no thermadjust program"
  [ -f "$at/share/applications/kvworkbench.desktop" ] || fail "no workbench desktop entry"
  [ -f "$at/share/icons/hicolor/scalable/apps/kvworkbench.svg" ] || fail "no workbench icon"
  [ -x "$at/bin/kvworkbench" ] || fail "no kvworkbench program"
  "$at/bin/kvworkbench" --help >/dev/null || fail "kvworkbench --help"
  [ -f "$at/share/man/man1/kvtool.1" ] || fail "no kvtool manual page"
  [ -f "$at/share/man/man1/kvstation.1" ] || fail "no kvstation manual page"
  "$at/bin/kvstation" check "$at/share/kvsensor/examples/station.toml" >/dev/null ||
    fail "kvstation does not accept its installed example recipe"
  [ -f "$at/lib/udev/rules.d/99-kv-usb-serial-latency.rules" ] || fail "no udev latency rule"

  cmake -S tests/consumer -B "$consumer" -G Ninja -DCMAKE_PREFIX_PATH="$at" >/dev/null
  cmake --build "$consumer" >/dev/null

  start_sensor "$at/bin/kvsim"
  local expected serial
  expected=$(KVCOM3_PORT_1=$work/sensor "$at/bin/kvtool" --port 1 serial)
  [ -n "$expected" ] || fail "kvtool read no serial number"
  serial=$(KVCOM3_PORT_1=$work/sensor "$consumer/kv_serial")
  [ "$serial" = "$expected" ] || fail "consumer read serial '$serial', kvtool '$expected'"
  serial=$("$consumer/kv_serial" "$work/sensor")
  [ "$serial" = "$expected" ] || fail "consumer with a bound port read '$serial'"
  "$consumer/kv_catalogue" "$work/sensor" >"$work/catalogue"
  grep -q ": cpSpaceTempOffsetAdjust$" "$work/catalogue" ||
    fail "the catalogue lacks the space temperature adjustment: $(cat "$work/catalogue")"
  echo "   serial number $serial read through ISensMem; $(wc -l <"$work/catalogue") procedures"
  check_python_module "$at" "$expected"
  QT_QPA_PLATFORM=offscreen "$consumer/kv_ui" >/dev/null 2>"$work/ui.err" ||
    fail "the Qt look did not show its reading display: $(cat "$work/ui.err")"

  # pkg-config: the same program built without CMake.
  local pcdir flags
  pcdir=$(dirname "$(find "$at/lib" -maxdepth 3 -path "*/pkgconfig/kvcom3.pc" | head -n 1)")
  flags=$(PKG_CONFIG_PATH=$pcdir pkg-config --define-variable=prefix="$at" --cflags --libs kvcal3)
  # shellcheck disable=SC2086
  g++ -std=c++20 -Wall -Wextra -Wpedantic -Werror -o "$consumer/kv_serial_pc" tests/consumer/serial.cpp $flags \
    -Wl,-rpath,"$(PKG_CONFIG_PATH=$pcdir pkg-config --define-variable=prefix="$at" \
      --variable=libdir kvcom3)"
  serial=$("$consumer/kv_serial_pc" "$work/sensor")
  [ "$serial" = "$expected" ] || fail "pkg-config build read '$serial'"
  stop_sensor
}

if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
  fail "$package is installed already; remove it first so that the check sees only this build"
fi

bash scripts/install-deps.sh

echo "== Release build in $build"
# -O2 as Debian builds its packages; GCC 12 at -O3 warns falsely about vector inserts.
source scripts/compiler-cache.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DKV_WERROR=ON -DKV_BUILD_TESTS=OFF -DKV_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"

echo "== Debian package"
rm -f "$build"/package/*.deb
(cd "$build" && cpack -G DEB -B "$build/package" >/dev/null)
deb=$(ls "$build"/package/"$package"_*.deb)
dpkg-deb --field "$deb" Package Version Depends
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || fail "the package does not depend on Qt"
dpkg-deb --field "$deb" Depends | grep -q "python3 (<< " ||
  fail "the package does not name the python3 its module is built for"

echo "== staged installation in $stage"
cmake --install "$build" --prefix "$stage" >/dev/null
check_installation "$stage" "$work/consumer-staged"

echo "== apt-get install $deb"
installed=yes
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
check_installation "$prefix" "$work/consumer-system"

echo "== package check passed in $(($(date +%s) - started)) s"
