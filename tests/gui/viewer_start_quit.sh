#!/usr/bin/env bash
# Starts the viewer on a small blob map, checks that the three layer colours
# are drawn in interlaced stereo (the two eyes on alternate pixel rows), that
# "x" turns the scene to the X axis view, "h" shows the control panel, and
# "q" ends it with status 0.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
"$ELD_BIN_DIR/eldview" "$map" 2>"$tmp/err" &
pid=$!

win=$(gui_find_window "^Visualized file: $map\$" 45)
[ -n "$win" ] || fail "no window titled 'Visualized file: $map'"
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 1

measure() { gui_measure_view "$win" || fail "screenshot failed"; }
get() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

# The first frame may take a moment on a busy machine.
for _ in 1 2 3 4 5; do
  m=$(measure)
  [ "$(get "$m" green)" -ge 20 ] && break
  sleep 1
done
echo "first frame: $m"
for colour in green blue red; do
  [ "$(get "$m" "$colour")" -ge 20 ] || fail "layer colour $colour missing: $m"
done
# The blob lies 2.5 units in front of the zero-parallax plane: the eyes see it
# shifted sideways against each other, one eye on even rows, one on odd rows.
python3 -c "import sys; e, o = float(sys.argv[1]), float(sys.argv[2]); sys.exit(0 if abs(e - o) >= 1.5 else 1)" \
  "$(get "$m" even_x)" "$(get "$m" odd_x)" || fail "even and odd rows show the same picture: $m"
# Looking along z the blob is taller (sigma 1.3 on y) than wide (0.8 on x).
w1=$(get "$m" width); h1=$(get "$m" height)
[ "$h1" -gt $((w1 * 5 / 4)) ] || fail "blob not taller than wide before x: $m"

# Along x the screen shows the x and z extents, both sigma 0.8: about round.
# ("x" sets the view, so pressing it again after a key lost by Xvfb is safe.)
for _ in 1 2 3 4 5; do
  gui_key "$win" x
  sleep 0.5
  m2=$(measure)
  w2=$(get "$m2" width); h2=$(get "$m2" height)
  [ "$h2" -lt $((w2 * 5 / 4)) ] && break
done
echo "after x: $m2"
[ "$h2" -lt $((w2 * 5 / 4)) ] || fail "x did not turn the view: $m2"

# The control panel comes up with the map; closed, the "h" key shows it again.
panel=$(gui_find_window '^Control Panel$' 10)
[ -n "$panel" ] || fail "no control panel after loading"
gui_key "$panel" alt+F4
for _ in $(seq 20); do
  [ -z "$(xdotool search --onlyvisible --name '^Control Panel$' 2>/dev/null)" ] && break
  sleep 0.2
done
[ -z "$(xdotool search --onlyvisible --name '^Control Panel$' 2>/dev/null)" ] ||
  fail "the control panel does not close"
gui_key "$win" h
[ -n "$(gui_find_window '^Control Panel$' 10)" ] || fail "h does not show the control panel"

gui_quit_with "$win" "$pid" q
st=$GUI_STATUS
pid=""
[ "$st" = 0 ] || fail "exit status after q: $st"
echo "PASS"
