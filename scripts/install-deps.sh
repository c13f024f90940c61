#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run the project. Idempotent:
# packages already present are not fetched again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libcli11-dev nlohmann-json3-dev
  libtomlplusplus-dev libsqlitecpp-dev libsqlite3-dev
  libmodbus-dev mbpoll socat xvfb clang-format
  clang libclang-rt-14-dev valgrind ccache
  pybind11-dev python3-dev python3-pytest
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
