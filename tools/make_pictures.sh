#!/usr/bin/env bash
# Remakes the README's picture (doc/eldview.png) and the desktop icon
# (dist/eldview.png, 128x128) from the benzene example with eldmap render.
#   tools/make_pictures.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
eldmap="${1:-build}/bin/eldmap"
"$eldmap" render data/examples/benzene.mt1 -o doc/eldview.png
tmp=$(mktemp --suffix=.png)
trap 'rm -f "$tmp"' EXIT
"$eldmap" render data/examples/benzene.mt1 --no-contour --size 256x256 -o "$tmp"
convert "$tmp" -trim +repage -resize 120x120 -gravity center -background black \
  -extent 128x128 dist/eldview.png
