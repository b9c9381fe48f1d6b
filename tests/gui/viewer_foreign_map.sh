#!/usr/bin/env bash
# Maps of other programs straight into the viewer: a CCP4 map with its model
# after it on the command line, File > Open model... with another model file,
# and a second name that is no model ("Strange file extension !!!").
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test
get() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
map="$ELD_SOURCE_DIR/tools/realdata/paracetamol_hydrate_dencalc.ccp4"
models="$ELD_TEST_DATA/models"

cp "$models/paracetamol_hydrate.pdb" "$tmp/model.pdb"
(cd "$tmp" && exec "$ELD_BIN_DIR/eldview" "$map" "$models/paracetamol_hydrate.cif") 2>"$tmp/err" &
pid=$!
win=$(gui_find_window "^Visualized file: $map $models/paracetamol_hydrate.cif\$" 45)
[ -n "$win" ] || fail "no main window for the map and its model"
sleep 0.5
shot=$(gui_measure_view "$win") || fail "screenshot failed"
echo "map and model: $shot"
[ "$(get "$shot" green)" -ge 20 ] || fail "no density drawn: $shot"

dialog=""
for _ in 1 2 3; do  # File > Open model..., again when a key was lost under load
  gui_key "$win" alt+f
  sleep 0.4
  xdotool key m
  dialog=$(gui_find_window '^Choose File$' 6)
  [ -n "$dialog" ] && break
  xdotool key Escape
done
[ -n "$dialog" ] || fail "no open dialog for the model"
xdotool windowactivate --sync "$dialog" 2>/dev/null
sleep 1
xdotool type --delay 30 "model.pdb"  # the dialog starts in the working folder
sleep 0.5
for _ in 1 2 3 4 5; do  # Return again while the dialog stays (a key lost under load)
  [ -z "$(xdotool search --onlyvisible --name '^Choose File$' 2>/dev/null)" ] && break
  xdotool windowactivate --sync "$dialog" 2>/dev/null
  xdotool key Return
  sleep 1
done
[ -n "$(gui_find_window "^Visualized file: $map $tmp/model.pdb\$" 20)" ] ||
  fail "File > Open model did not take the PDB model"
grep -q "^eldview: " "$tmp/err" && fail "unexpected messages"
kill "$pid"
pid=""

"$ELD_BIN_DIR/eldview" "$map" "$tmp/notes.txt" 2>"$tmp/err" &
pid=$!
gui_answer_boxes "$pid" 30
gui_wait_exit "$pid" 5
[ "$GUI_STATUS" = 1 ] || fail "exit status $GUI_STATUS, expected 1"
pid=""
grep -qx "eldview: Strange file extension !!!" "$tmp/err" || fail "no extension message"
grep -qx "eldview: txt" "$tmp/err" || fail "no message with the extension itself"
echo "PASS"
