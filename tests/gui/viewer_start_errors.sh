#!/usr/bin/env bash
# Start-up failures end the program with status 1 after their messages: no
# file chosen in the open dialog ("No input given !!"), a density value above
# 10000, a map file that cannot be read (the message names it), and a map name
# or a model name with an unknown extension ("Strange file extension !!!",
# then the extension itself).
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

# No argument: the open dialog; cancelling it ends the program.
(cd "$tmp" && exec "$ELD_BIN_DIR/eldview") 2>"$tmp/err" &
pid=$!
chooser=$(gui_find_window '^Choose File$' 30)
[ -n "$chooser" ] || fail "no open dialog without a file name"
xdotool windowactivate --sync "$chooser" 2>/dev/null
sleep 0.3
xdotool key Escape
gui_answer_boxes "$pid" 20
gui_wait_exit "$pid" 5
st=$GUI_STATUS
pid=""
[ "$st" = 1 ] || fail "cancelled open dialog: exit status $st, expected 1"
grep -qx "eldview: No input given !!" "$tmp/err" || fail "no 'No input given !!'"

# The "-StereoHW" switch alone leaves no file name either.
(cd "$tmp" && exec "$ELD_BIN_DIR/eldview" -StereoHW) 2>"$tmp/err" &
pid=$!
[ -n "$(gui_find_window '^Choose File$' 30)" ] || fail "-StereoHW alone shows no open dialog"
kill "$pid"
wait "$pid" 2>/dev/null
pid=""

# A value above 10000 is strange data.
gui_write_blob_map "$tmp/hot.fou"
sed -i '11s/^[^ ]*/20000/' "$tmp/hot.fou"  # the first density value
grep -q '^20000 ' "$tmp/hot.fou" || fail "could not plant the strange value"
gui_exits_1 "$tmp/hot.fou"
grep -qx "eldview: Your input data looks strange, ELD > 10000" "$tmp/err" ||
  fail "no 'ELD > 10000' message"

# A file that is not there.
gui_exits_1 "$tmp/missing.grd"
grep -q "^eldview: .*missing.grd" "$tmp/err" || fail "the message does not name the missing file"

# Unknown extensions (mixed case is not accepted): the two messages in order.
gui_write_blob_map "$tmp/blob.Fou"
gui_exits_1 "$tmp/blob.Fou"
[ "$(grep '^eldview: ' "$tmp/err" | head -2 | tr '\n' '|')" = \
  "eldview: Strange file extension !!!|eldview: Fou|" ] || fail "no extension messages in order"
gui_exits_1 "$ELD_SOURCE_DIR/tools/realdata/paracetamol_hydrate_dencalc.ccp4" "$tmp/notes.txt"
grep -qx "eldview: Strange file extension !!!" "$tmp/err" && grep -qx "eldview: txt" "$tmp/err" ||
  fail "no extension messages for a model named notes.txt"
echo "PASS"
