#!/usr/bin/env bash
# The plain picture and the view gestures: -NoStereo draws one picture, View >
# Interlaced stereo switches to the pair and back; a wheel notch zooms as much as
# a Shift+drag over a tenth of the height, "c" undoes it, a middle drag moves the
# scene with the pointer. The panel opens beside the main window; Ctrl+arrow
# pans; Ctrl+S, Ctrl+O, Ctrl+Q are the menu's; a 2D pick saved, and Ctrl+Q with
# the peak pending asks for the file again.
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
gui_start "$map" -NoStereo "$map"
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 1
toggle_stereo() { gui_menu v i; sleep 0.8; }

# The control panel opens beside the main window, not over its picture.
gui_expect panel '^Control Panel$' 10 "no control panel"
eval "$(xdotool getwindowgeometry --shell "$win" | sed 's/^/A/')"
eval "$(xdotool getwindowgeometry --shell "$panel" | sed 's/^/B/')"
[ "$AX" -lt $((BX + BWIDTH)) ] && [ "$BX" -lt $((AX + AWIDTH)) ] && [ "$AY" -lt $((BY + BHEIGHT)) ] &&
  [ "$BY" -lt $((AY + AHEIGHT)) ] && fail "the control panel covers the main window"

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

mouse() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  xdotool mousemove --window "$win" 280 300 sleep 0.3 "$@" sleep 0.8
}
reset_view() {
  gui_key "$win" c; sleep 0.5; measure
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
near "$(get "$m" even_x)" "$x0 + 60 * 22.5 / 20" 1.5 || fail "a middle drag of 60 pixels moves x $x0 to $(get "$m" even_x)"

# Keys with Ctrl: an arrow still pans (0.3 units: 0.3 * 494 / 12 pixels in the
# zero-parallax plane, 22.5/20 times that at the blob), Ctrl+S and Ctrl+O are
# the menu's Save peak list and Open ELD map.
x1=$(get "$m" even_x)
gui_key "$win" ctrl+Right
sleep 0.5
measure
near "$(get "$m" even_x)" "$x1 - 0.3 * 494 / 12 * 22.5 / 20" 1.5 || fail "Ctrl+Right does not pan: x $x1 -> $(get "$m" even_x)"
gui_key "$win" ctrl+s
gui_box "You do not have any peaks"
gui_key "$win" ctrl+o
[ -n "$(gui_find_window '^Choose File$' 10)" ] || fail "Ctrl+O shows no open dialog"
sleep 0.5
xdotool type b  # the chooser completes it to blob.fou ("type" takes all words after it)
xdotool sleep 0.5 key Return sleep 2
measure
near "$(get "$m" even_x)" "$x0" 1.5 || fail "Ctrl+O did not open the map afresh: $m"
rows_differ && fail "File > Open leaves the plain picture: $m"


# Picking a peak end to end: 2D picking chosen in the control panel, a right
# click in the contour section, Yes to the question, the peak list saved and
# checked line by line. The blob's grid: 20 points from -2.85 in steps of 0.3
# on every axis, the third axis shifted by 2.5; identity cell matrix and no
# cell shift, so the file holds scene coordinates.
gui_expect panel '^Control Panel$' 10 "no control panel after File > Open"
# Away from the main window, so clicks land on the panel.
xdotool windowmove --sync "$panel" 700 40
gui_click "$panel" 96 289  # Option4, "2D", inside the "Picking" frame
# A right click at the middle of the view: the section spans -2.85..2.85 in x
# and y, so the middle lies in it.
gui_click "$win" 282 270 3
gui_box "Add this peak to pek list?"  # Return: the second button, Yes

# File > Save peak list: the dialog starts with newatoms.dat in the working folder.
gui_menu f s
gui_save "$tmp/newatoms.dat"

# One CRLF line; x and y the centre of the 0.057-wide subdivision under the
# mouse (within two subdivisions of the middle), z the height of a grid section.
python3 - "$tmp/newatoms.dat" <<'PY' || fail "peak file: $(cat -A "$tmp/newatoms.dat")"
import re, sys
data = open(sys.argv[1], "rb").read().decode("ascii")
assert data.endswith("\r\n") and data.count("\n") == 1, "one CRLF line"
m = re.fullmatch(r"ATOM Q  1   X=([ -]\d*\.?\d+)  Y=([ -]\d*\.?\d+)  Z=([ -]\d*\.?\d+) \r\n", data)
assert m, "line layout"
x, y, z = map(float, m.groups())
step = 5.7 / 100
for v in (x, y):
    assert abs(v) < 2 * step, v
    k = (v + 2.85) / step - 0.5  # a subdivision centre, cut to six decimals
    assert abs(k - round(k)) < 1e-3, v
layer = (z - (2.5 - 2.85)) / 0.3 + 1
assert abs(layer - round(layer)) < 1e-4 and 1 <= round(layer) <= 20, z
print("peak line:", data.strip())
PY
mv "$tmp/newatoms.dat" "$tmp/first.dat"

# Ctrl+Q with the peak still pending: the program asks for the file first
# and writes the same bytes.
for _ in 1 2 3; do
  gui_key "$win" ctrl+q
  [ -n "$(gui_find_window '^Choose File$' 5)" ] && break
done
kill -0 "$pid" 2>/dev/null || fail "the program ended before the peak was saved"
gui_save "$tmp/newatoms.dat"
gui_ends 0 20 "saving at the end"
cmp -s "$tmp/first.dat" "$tmp/newatoms.dat" || fail "the second save differs from the first"
echo "PASS"
