#!/usr/bin/env bash
# Picking a peak end to end: 2D picking chosen in the control panel, a right
# click in the contour section, Yes to the question, the peak list saved through
# the save dialog and checked line by line; then quitting with the peak still
# pending asks for the file again and writes the same bytes.
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

# The blob's grid: 20 points from -2.85 in steps of 0.3 on every axis, the
# third axis shifted by 2.5; identity cell matrix and no cell shift, so the
# file holds scene coordinates.
map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
gui_start "$map" "$map"
panel=$(gui_find_window '^Control Panel$' 10)
[ -n "$panel" ] || fail "the control panel is not shown after loading"

# Away from the main window, so clicks land on the panel.
xdotool windowmove --sync "$panel" 700 40
xdotool windowactivate --sync "$panel" 2>/dev/null
sleep 0.3
# Option4, "2D", inside the "Picking" frame.
xdotool mousemove --window "$panel" 96 289
sleep 0.1
xdotool click 1
sleep 0.3

# A right click at the middle of the view: the section spans -2.85..2.85 in x
# and y, so the middle lies in it.
xdotool windowactivate --sync "$win" 2>/dev/null
xdotool mousemove --window "$win" 282 270
sleep 0.2
xdotool click 3
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
num = r"([ -])(\d*\.?\d+) "
m = re.fullmatch(r"ATOM Q  1   X=" + num + r" Y=" + num + r" Z=" + num + "\r\n", data)
assert m, "line layout"
x, y, z = (float(m.group(2 * k + 2)) * (-1 if m.group(2 * k + 1) == "-" else 1) for k in range(3))
step = 5.7 / 100
for v in (x, y):
    assert abs(v) < 2 * step, v
    k = (v + 2.85) / step - 0.5  # a subdivision centre, cut to six decimals
    assert abs(k - round(k)) < 1e-3, v
layer = (z - (2.5 - 2.85)) / 0.3 + 1
assert abs(layer - round(layer)) < 1e-4 and 1 <= round(layer) <= 20, z
print("peak line:", data.strip())
PY
cp "$tmp/newatoms.dat" "$tmp/first.dat"
rm "$tmp/newatoms.dat"

# Escape with the peak still pending: the program asks for the file first.
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 0.3
xdotool key Escape
chooser=$(gui_find_window '^Choose File$' 10)
[ -n "$chooser" ] || fail "quitting with a pending peak did not ask for the file"
kill -0 "$pid" 2>/dev/null || fail "the program ended before the peak was saved"
xdotool windowactivate --sync "$chooser" 2>/dev/null
sleep 0.3
xdotool key Return
gui_wait_exit "$pid" 20
st=$GUI_STATUS
pid=""
[ "$st" = 0 ] || fail "exit status after saving at the end: $st"
cmp -s "$tmp/first.dat" "$tmp/newatoms.dat" || fail "the second save differs from the first"
echo "PASS"
