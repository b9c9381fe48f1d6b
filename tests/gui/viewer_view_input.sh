#!/usr/bin/env bash
# The plain picture and the view gestures: -NoStereo draws one picture (even
# and odd rows alike), View > Interlaced stereo switches to the stereo pair and
# back; a wheel notch zooms as much as a Shift+drag over a tenth of the height,
# "c" undoes it, and a middle-button drag moves the scene with the pointer.
# The control panel opens beside the main window. Ctrl+arrow pans, Ctrl+S,
# Ctrl+O and Ctrl+Q are the menu's.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
# From the map's folder, so that the open dialog starts there.
(cd "$tmp" && exec "$ELD_BIN_DIR/eldview" -NoStereo "$map") 2>"$tmp/err" &
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

# The control panel opens beside the main window, not over its picture.
panel=$(gui_find_window '^Control Panel$' 10)
[ -n "$panel" ] || fail "no control panel"
geometry() { xdotool getwindowgeometry --shell "$1" | tr '\n' ' '; }
python3 - "$(geometry "$win")" "$(geometry "$panel")" <<'PY' || fail "the control panel covers the main window"
import sys
def rect(s):
    d = dict(kv.split("=") for kv in s.split())
    return int(d["X"]), int(d["Y"]), int(d["WIDTH"]), int(d["HEIGHT"])
(ax, ay, aw, ah), (bx, by, bw, bh) = rect(sys.argv[1]), rect(sys.argv[2])
sys.exit(ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah)
PY

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
w0=$(get "$m" width); x0=$(get "$m" even_x)

# near A B TOLERANCE: |A - B| <= TOLERANCE.
near() { python3 -c "import sys; a, b, t = map(float, sys.argv[1:]); sys.exit(abs(a - b) > t)" "$@"; }
mouse() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  xdotool mousemove --window "$win" 280 300
  sleep 0.3
  xdotool "$@"
  sleep 0.8
}
reset_view() {
  gui_key "$win" c
  sleep 0.5
  measure
  near "$(get "$m" width)" "$w0" 1 || fail "c does not undo the zoom: $m"
}
mouse click 4
measure
echo "wheel up: $m"
w1=$(get "$m" width)
near "$w1" "$((w0 * 11 / 10))" 3 || fail "a wheel notch up does not zoom by 1.1 (width $w0 -> $w1)"
reset_view
# Shift+drag up by a tenth of the 494-pixel view.
mouse keydown shift mousedown 1 sleep 0.05 mousemove_relative 0 -25 sleep 0.05 \
  mousemove_relative 0 -24 sleep 0.05 mouseup 1 keyup shift
measure
echo "shift drag: $m"
near "$(get "$m" width)" "$w1" 2 || fail "Shift+drag and wheel zoom differ: $w1 and $m"
reset_view
mouse click 5
measure
[ "$(get "$m" width)" -lt "$w0" ] || fail "a wheel notch down does not shrink: $m"
reset_view

mouse mousedown 2 sleep 0.05 mousemove_relative 30 0 sleep 0.05 mousemove_relative 30 0 \
  sleep 0.05 mouseup 2
measure
echo "middle drag: $m"
# Points of the zero-parallax plane follow the pointer; the blob, 2.5 units in
# front of it and so 20 instead of 22.5 units from the eye, moves 22.5/20 times
# as far.
near "$(get "$m" even_x)" "$(python3 -c "import sys; print(float(sys.argv[1]) + 60 * 22.5 / 20)" "$x0")" 1.5 ||
  fail "a middle drag of 60 pixels moves the scene from x $x0 to $(get "$m" even_x)"

# Keys with Ctrl: an arrow still pans (0.3 units: 0.3 * 494 / 12 pixels in the
# zero-parallax plane, 22.5/20 times that at the blob), Ctrl+S and Ctrl+O are
# the menu's Save peak list and Open ELD map, Ctrl+Q quits.
x1=$(get "$m" even_x)
gui_key "$win" ctrl+Right
sleep 0.5
measure
near "$(get "$m" even_x)" "$(python3 -c "import sys; print(float(sys.argv[1]) - 0.3 * 494 / 12 * 22.5 / 20)" "$x1")" 1.5 ||
  fail "Ctrl+Right does not pan: x $x1 -> $(get "$m" even_x)"
gui_key "$win" ctrl+s
[ -n "$(gui_find_window '^eldview$' 10)" ] || fail "Ctrl+S shows no box"
grep -qxF "eldview: You do not have any peaks" "$tmp/err" || fail "Ctrl+S is not Save peak list"
gui_close_box || fail "the box does not close"
gui_key "$win" ctrl+o
[ -n "$(gui_find_window '^Choose File$' 10)" ] || fail "Ctrl+O shows no open dialog"
sleep 0.5
xdotool type b  # the chooser completes it to blob.fou
sleep 0.5
xdotool key Return
sleep 2
measure
near "$(get "$m" even_x)" "$x0" 1.5 || fail "Ctrl+O did not open the map afresh: $m"
rows_differ && fail "File > Open leaves the plain picture: $m"

gui_quit_with "$win" "$pid" ctrl+q
st=$GUI_STATUS
pid=""
[ "$st" = 0 ] || fail "exit status after Ctrl+Q: $st"
echo "PASS"
