#!/usr/bin/env bash
# Start-up failures end the program with status 1 after their messages: no
# file chosen in the open dialog ("No input given !!"), a density value above
# 10000, a map file that cannot be read (the message names it), and a map name
# or a model name with an unknown extension ("Strange file extension !!!",
# then the extension itself).
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

# No argument: the open dialog; cancelling it ends the program.
gui_launch
gui_expect chooser '^Choose File$' 30 "no open dialog without a file name"
gui_key "$chooser" Escape
gui_answer_boxes 20
gui_ends 1 5 "cancelled open dialog"
grep -qx "eldview: No input given !!" "$tmp/err" || fail "no 'No input given !!'"

# The "-StereoHW" switch alone leaves no file name either.
gui_launch -StereoHW
gui_expect chooser '^Choose File$' 30 "-StereoHW alone shows no open dialog"
kill "$pid"
gui_wait_exit 5

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
