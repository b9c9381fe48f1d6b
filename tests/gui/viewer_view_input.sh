#!/usr/bin/env bash
# The plain picture and the view gestures: -NoStereo draws one picture (even
# and odd rows alike), View > Interlaced stereo switches to the stereo pair and
# back.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
"$ELD_BIN_DIR/eldview" -NoStereo "$map" 2>"$tmp/err" &
pid=$!
win=$(gui_find_window "^Visualized file: $map\$" 45)
[ -n "$win" ] || fail "no main window"
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 1

get() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
# Measures the view until the blob is drawn (the first frame may be late).
measure() {
  local i
  for i in 1 2 3 4 5; do
    m=$(gui_measure_view "$win") || fail "screenshot failed"
    [ "$(get "$m" green)" -ge 20 ] && return
    sleep 1
  done
  fail "no blob in the picture: $m"
}
# True when the even and odd rows are shifted against each other (stereo).
rows_differ() {
  python3 -c "import sys; sys.exit(0 if abs(float(sys.argv[1]) - float(sys.argv[2])) >= 1.5 else 1)" \
    "$(get "$m" even_x)" "$(get "$m" odd_x)"
}
toggle_stereo() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  sleep 0.3
  xdotool key alt+v
  sleep 0.4
  xdotool key i
  sleep 0.8
}

measure
echo "-NoStereo: $m"
rows_differ && fail "-NoStereo draws a stereo pair: $m"
toggle_stereo
measure
echo "stereo on: $m"
rows_differ || fail "View > Interlaced stereo does not draw the stereo pair: $m"
toggle_stereo
measure
rows_differ && fail "View > Interlaced stereo does not switch back: $m"

gui_quit_with "$win" "$pid" q
st=$GUI_STATUS
pid=""
[ "$st" = 0 ] || fail "exit status after q: $st"
echo "PASS"
