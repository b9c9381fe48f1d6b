#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on MAP (or on the
# bundled example). Without a display it renders the map to a PNG instead.
#   ./run.sh [MAP]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
map="${1:-$here/data/examples/benzene.mt1}"
case "$map" in /*) ;; *) map="$PWD/$map" ;; esac

"$here/tools/install_deps.sh" build
# Only the program that shows the picture: a first build leaves the tests and
# benchmarks out (test.sh turns them on in the same build folder).
if [ ! -f "$here/build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$here/build" -G Ninja -DELD_BUILD_TESTS=OFF -DELD_BUILD_BENCH=OFF >/dev/null
fi
program=eldview
[ -z "${DISPLAY:-}" ] && program=eldmap
cmake --build "$here/build" --target "$program"

bin="$here/build/bin"
if [ -z "${DISPLAY:-}" ]; then
  out="$PWD/$(basename "${map%.*}").png"
  echo "run.sh: no display (DISPLAY is not set); rendering $map to $out with eldmap render" >&2
  exec "$bin/eldmap" render "$map" -o "$out"
fi
exec "$bin/eldview" "$map"
