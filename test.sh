#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (GUI tests under a
# private Xvfb). Ends with CTest's summary; exits non-zero on any failure.
#   ./test.sh               the whole suite in build/
#   ./test.sh --sanitize    the same under AddressSanitizer + UBSan in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"

builddir=build
cmake_args=()
if [ "${1:-}" = "--sanitize" ]; then
  builddir=build-sanitize
  cmake_args+=(-DELD_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DELD_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Leaks inside Mesa, X and FLTK (not ours) are listed in tools/lsan.supp.
  export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
fi

tools/install_deps.sh test
# Tests and benchmarks on, also in a build folder that run.sh made without them.
cmake -S . -B "$builddir" -G Ninja -DELD_BUILD_TESTS=ON -DELD_BUILD_BENCH=ON "${cmake_args[@]}" >/dev/null
cmake --build "$builddir"

# A private X server and window manager for the GUI tests.
xpid=""; wmpid=""
cleanup() {
  [ -n "$wmpid" ] && kill "$wmpid" 2>/dev/null || true
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
}
trap cleanup EXIT
for n in $(seq 91 120); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xpid=$!
    export DISPLAY=:$n
    break
  fi
done
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wmpid=$!

cd "$builddir"
ctest --output-on-failure -j2
