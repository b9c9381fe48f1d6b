#!/usr/bin/env bash
# One session on a small blob map: the layer colours in interlaced stereo (eyes
# on alternate rows); Save peak list without peaks, a 3D pick with three layers,
# Save image as TGA, PNG and over the TGA without a question, Save POVRAY file;
# File > Open of an unreadable map (reported, the map stays) and of a second map;
# "x" turns the view, "h" shows the closed panel; About and Help kept; Escape.
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
printf 'only a title\n' >"$tmp/broken.fou"
gui_write_blob_map "$tmp/second.fou" -4  # behind the zero-parallax plane: smaller
gui_start "$map" "$map"
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 1

measure
before=$m
echo "first frame: $m"
# colours SHOT WHERE: the three layer colours, each in 20 pixels or more.
colours() { for c in green blue red; do [ "$(get "$1" $c)" -ge 20 ] || fail "no $c $2: $1"; done; }
colours "$m" "in the first frame"
# The blob lies 2.5 units in front of the zero-parallax plane: the eyes see it
# shifted sideways against each other, one eye on even rows, one on odd rows.
rows_differ || fail "even and odd rows show the same picture: $m"

gui_menu f s
gui_box "You do not have any peaks"
# Right click: all three layers are visible, so 3D picking refuses.
# (A click right after the window manager re-activates the window can be
# lost under Xvfb; try a few times.)
for _ in 1 2 3; do
  gui_click "$win" 280 270 3
  [ -n "$(gui_find_window '^eldview$' 3)" ] && break
done
gui_box "Exactly 1 layer must be used for 3D ELD map picking  !!"

# Save image: the dialog starts in the working folder with ELD_picture.tga.
gui_menu f i
gui_save "$tmp/ELD_picture.tga"
[ "$(identify -format '%w %h' "$tmp/ELD_picture.tga")" = "564 494" ] || fail "picture size"
shot=$(convert "$tmp/ELD_picture.tga" ppm:- | /usr/bin/python3 "$(dirname "$0")/analyse_shot.py")
echo "saved picture: $shot"
colours "$shot" "in the saved picture"
# The same picture as PNG: the name's extension, edited in place, chooses the format.
gui_dialog f i
xdotool key End BackSpace BackSpace BackSpace type --delay 50 png
xdotool key Return
for _ in $(seq 50); do [ -s "$tmp/ELD_picture.png" ] && break; sleep 0.1; done
[ "$(identify -format '%m %w %h' "$tmp/ELD_picture.png" 2>/dev/null)" = "PNG 564 494" ] ||
  fail "ELD_picture.png is not a 564 x 494 PNG"
# Saving over the file just written asks nothing more: the name was chosen.
touch -d 2000-01-01 "$tmp/ELD_picture.tga"
gui_dialog f i
xdotool key Return
for _ in $(seq 30); do [ "$tmp/ELD_picture.tga" -nt "$tmp/ELD_picture.png" ] && break; sleep 0.1; done
[ -z "$(gui_find_window '^eldview$' 2)" ] || fail "saving over an existing file asks a question"
[ "$tmp/ELD_picture.tga" -nt "$tmp/ELD_picture.png" ] || fail "ELD_picture.tga not saved again"

gui_menu f p
gui_save "$tmp/VXN_pov.pov"
head -2 "$tmp/VXN_pov.pov" | tr -d '\r' >"$tmp/head.txt"
printf '%s\n' "// Original ELD map filename:" "// $map" | cmp -s - "$tmp/head.txt" ||
  fail "POV-Ray scene does not start with the map's name: $(cat "$tmp/head.txt")"
grep -q "pigment { color Level1Color }" "$tmp/VXN_pov.pov" || fail "no layer 1 in the scene"

# File > Open: type NAME into the open dialog (it starts in the working folder).
open_map() {
  gui_dialog f o
  xdotool type --delay 30 "$1"
  xdotool sleep 0.3 key Return
}
open_map broken.fou
[ -n "$(gui_find_window '^eldview$' 10)" ] || fail "no message for the unreadable map"
grep -q "^eldview: .*broken.fou" "$tmp/err" || fail "the message does not name the file"
gui_close_box || fail "the message box does not close"
kill -0 "$pid" 2>/dev/null || fail "the viewer ended on an unreadable second map"
[ "$(xdotool getwindowname "$win")" = "Visualized file: $map" ] || fail "title changed"
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 0.3
measure
echo "after the failed open: $m"

open_map second.fou
[ -n "$(gui_find_window "^Visualized file: $tmp/second.fou\$" 15)" ] || fail "no title for the second map"
sleep 0.5
measure
echo "second map: $m"
# The second blob lies farther away, so it looks smaller.
[ "$(get "$m" height)" -lt "$(get "$before" height)" ] || fail "the second map is not shown"
# Looking along z the blob is taller (sigma 1.3 on y) than wide (0.8 on x).
w1=$(get "$m" width); h1=$(get "$m" height)
[ "$h1" -gt $((w1 * 5 / 4)) ] || fail "blob not taller than wide before x: $m"
# Along x the screen shows the x and z extents, both sigma 0.8: about round.
# ("x" sets the view, so pressing it again after a key lost by Xvfb is safe.)
for _ in 1 2 3 4 5; do
  gui_key "$win" x
  sleep 0.5
  measure
  w2=$(get "$m" width); h2=$(get "$m" height)
  [ "$h2" -lt $((w2 * 5 / 4)) ] && break
done
echo "after x: $m"
[ "$h2" -lt $((w2 * 5 / 4)) ] || fail "x did not turn the view: $m"

# The control panel came up with the map; closed, the "h" key shows it again.
gui_expect panel '^Control Panel$' 10 "no control panel after loading"
gui_key "$panel" alt+F4
shown() { xdotool search --onlyvisible --name '^Control Panel$' >/dev/null 2>&1; }
for _ in $(seq 20); do shown || break; sleep 0.2; done
shown && fail "the control panel does not close"
gui_key "$win" h
[ -n "$(gui_find_window '^Control Panel$' 10)" ] || fail "h does not show the control panel"
# Last, as they may cover the main window.
gui_menu h a
gui_expect about '^About$' 10 "Help > About shows no About window"
gui_menu h h
gui_expect help '^Help$' 10 "Help > Help shows no Help window"
# Chosen again while open, both are the same windows, not rebuilt ones.
again() { gui_menu h "$1"; sleep 0.5; [ "$(gui_find_window "^$2\$" 5)" = "$3" ] || fail "Help > $2 rebuilt its window"; }
again a About "$about"
again h Help "$help"
gui_quit Escape
