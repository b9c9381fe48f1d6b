#!/usr/bin/env bash
# Installs the Debian packages that eldview needs and are missing.
# Usage: tools/install_deps.sh [build|test|bench|fuzz]...  (default: build)
set -euo pipefail

# build: the programs (what run.sh needs). test: also everything the tests and
# their scripts run or import (tools/check_test_deps.py checks this list), and
# the benchmark library, since test.sh compiles the benchmarks too.
build=(cmake ninja-build g++ pkg-config libfltk1.3-dev libgl1-mesa-dev libglu1-mesa-dev
       libosmesa6-dev libpng-dev gemmi-dev libstb-dev tao-pegtl-dev zlib1g-dev libcli11-dev
       nlohmann-json3-dev)
test=(python3 python3-numpy python3-vtk9 libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool
      x11-apps imagemagick openbox povray xz-utils desktop-file-utils shared-mime-info shfmt)
bench=(libbenchmark-dev python3-vtk9 python3-skimage python3-numpy hyperfine)
fuzz=(clang libclang-rt-14-dev)

want=()
[ $# -eq 0 ] && set -- build
for group in "$@"; do
  case "$group" in
    build) want+=("${build[@]}") ;;
    test) want+=("${build[@]}" "${test[@]}") ;;
    bench) want+=("${build[@]}" "${bench[@]}") ;;
    fuzz) want+=("${build[@]}" "${fuzz[@]}") ;;
    *) echo "install_deps: unknown group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then SUDO="sudo"; else
    echo "install_deps: not root and no sudo; please install: ${missing[*]}" >&2; exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
