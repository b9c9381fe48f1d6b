#!/usr/bin/env bash
# Maps of other programs straight into the viewer: a CCP4 map with its model
# after it on the command line, and File > Open model... with another model
# file.
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

map="$ELD_SOURCE_DIR/tools/realdata/paracetamol_hydrate_dencalc.ccp4"
models="$ELD_TEST_DATA/models"

cp "$models/paracetamol_hydrate.pdb" "$tmp/model.pdb"
gui_start "$map $models/paracetamol_hydrate.cif" "$map" "$models/paracetamol_hydrate.cif"
sleep 0.5
measure  # the density drawn
echo "map and model: $m"

dialog=""
for _ in 1 2 3; do  # File > Open model..., again when a key was lost under load
  gui_menu f m
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
gui_quit q
