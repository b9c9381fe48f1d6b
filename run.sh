#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on MAP (or on the
# bundled example). Without a display it renders the map to a PNG instead.
#   ./run.sh [MAP]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
map="${1:-$here/data/examples/benzene.mt1}"
case "$map" in /*) ;; *) map="$PWD/$map" ;; esac

"$here/tools/install_deps.sh" build
cmake -S "$here" -B "$here/build" -G Ninja >/dev/null
cmake --build "$here/build"

bin="$here/build/bin"
if [ -z "${DISPLAY:-}" ]; then
  out="$PWD/$(basename "${map%.*}").png"
  echo "run.sh: no display (DISPLAY is not set); rendering $map to $out with eldmap render" >&2
  exec "$bin/eldmap" render "$map" -o "$out"
fi
exec "$bin/eldview" "$map"
