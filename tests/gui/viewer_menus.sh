#!/usr/bin/env bash
# The menu bar and the right button: Save peak list without peaks, a 3D pick
# with three visible layers, Save image (a TGA of the interlaced picture, and
# the same picture as PNG under a .png name, then saved again over the TGA
# without a question), Save POVRAY file (the scene with the map's name), the
# About and Help windows (kept, not rebuilt, when chosen again while open), and
# Escape ending with status 0.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
# The save dialogs start in the working folder with their default names.
(cd "$tmp" && exec "$ELD_BIN_DIR/eldview" "$map") 2>"$tmp/err" &
pid=$!
win=$(gui_find_window "^Visualized file: $map\$" 45)
[ -n "$win" ] || fail "no main window"

# Opens menu item KEY of menu MENU with the keyboard (Alt + access key).
menu() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  sleep 0.3
  xdotool key "alt+$1"
  sleep 0.4
  xdotool key "$2"
}
# Waits for a message box and answers it with Return.
answer_box() {
  local box
  box=$(gui_find_window '^eldview$' 10)
  [ -n "$box" ] || fail "no message box for: $1"
  grep -qxF "eldview: $1" "$tmp/err" || fail "message '$1' not reported"
  gui_close_box || fail "the box '$1' does not close"
}

menu f s
answer_box "You do not have any peaks"

# Right click: all three layers are visible, so 3D picking refuses.
# (A click right after the window manager re-activates the window can be
# lost under Xvfb; try a few times.)
for _ in 1 2 3; do
  xdotool windowactivate --sync "$win" 2>/dev/null
  xdotool mousemove --window "$win" 280 270
  sleep 0.3
  xdotool click 3
  [ -n "$(gui_find_window '^eldview$' 3)" ] && break
done
answer_box "Exactly 1 layer must be used for 3D ELD map picking  !!"

menu f i
chooser=$(gui_find_window "^Choose File$" 10)
[ -n "$chooser" ] || fail "no save dialog for the image"
sleep 0.3
xdotool key Return
for _ in $(seq 50); do [ -s "$tmp/ELD_picture.tga" ] && break; sleep 0.1; done
[ -s "$tmp/ELD_picture.tga" ] || fail "ELD_picture.tga not written"
[ "$(identify -format '%w %h' "$tmp/ELD_picture.tga")" = "564 494" ] || fail "picture size"
m=$(convert "$tmp/ELD_picture.tga" ppm:- | python3 "$here/analyse_shot.py")
echo "saved picture: $m"
for colour in green blue red; do
  v=$(echo "$m" | tr ' ' '\n' | sed -n "s/^$colour=//p")
  [ "$v" -ge 20 ] || fail "layer colour $colour missing in the saved picture: $m"
done

# The same picture as PNG: the name's extension chooses the format.
menu f i
chooser=$(gui_find_window "^Choose File$" 10)
[ -n "$chooser" ] || fail "no save dialog for the PNG image"
sleep 0.3
# The name's extension edited in place (End, three BackSpaces, "png").
xdotool key End BackSpace BackSpace BackSpace
xdotool type --delay 50 png
xdotool key Return
for _ in $(seq 50); do [ -s "$tmp/ELD_picture.png" ] && break; sleep 0.1; done
[ "$(identify -format '%m %w %h' "$tmp/ELD_picture.png" 2>/dev/null)" = "PNG 564 494" ] ||
  fail "ELD_picture.png is not a 564 x 494 PNG"
# ImageMagick keeps a TGA's bottom-up rows as read (orientation BottomLeft).
convert "$tmp/ELD_picture.tga" -auto-orient "$tmp/from_tga.png"
diff=$(compare -metric AE "$tmp/from_tga.png" "$tmp/ELD_picture.png" null: 2>&1)
[ "$diff" = 0 ] || fail "PNG and TGA of the same picture differ in $diff pixels"

# Saving over the file just written asks nothing more: the name was chosen.
touch -d 2000-01-01 "$tmp/ELD_picture.tga"
menu f i
[ -n "$(gui_find_window "^Choose File$" 10)" ] || fail "no save dialog for the second image"
sleep 0.3
xdotool key Return
for _ in $(seq 30); do [ "$tmp/ELD_picture.tga" -nt "$tmp/ELD_picture.png" ] && break; sleep 0.1; done
[ -z "$(gui_find_window '^eldview$' 2)" ] || fail "saving over an existing file asks a question"
[ "$tmp/ELD_picture.tga" -nt "$tmp/ELD_picture.png" ] || fail "ELD_picture.tga not saved again"

menu f p
[ -n "$(gui_find_window '^Choose File$' 10)" ] || fail "no save dialog for the scene"
sleep 0.3
xdotool key Return
for _ in $(seq 50); do [ -s "$tmp/VXN_pov.pov" ] && break; sleep 0.1; done
[ -s "$tmp/VXN_pov.pov" ] || fail "VXN_pov.pov not written"
head -2 "$tmp/VXN_pov.pov" | tr -d '\r' >"$tmp/head.txt"
printf '%s\n' "// Original ELD map filename:" "// $map" | cmp -s - "$tmp/head.txt" ||
  fail "POV-Ray scene does not start with the map's name: $(cat "$tmp/head.txt")"
grep -q "pigment { color Level1Color }" "$tmp/VXN_pov.pov" || fail "no layer 1 in the scene"

menu h a
about=$(gui_find_window '^About$' 10)
[ -n "$about" ] || fail "Help > About shows no About window"
menu h h
help=$(gui_find_window '^Help$' 10)
[ -n "$help" ] || fail "Help > Help shows no Help window"
# Chosen again while open, both are the same windows, not rebuilt ones.
menu h a
sleep 0.5
[ "$(gui_find_window '^About$' 5)" = "$about" ] || fail "Help > About rebuilt the open window"
menu h h
sleep 0.5
[ "$(gui_find_window '^Help$' 5)" = "$help" ] || fail "Help > Help rebuilt the open window"

gui_quit_with "$win" "$pid" Escape
st=$GUI_STATUS
pid=""
[ "$st" = 0 ] || fail "exit status after Escape: $st"
echo "PASS"
