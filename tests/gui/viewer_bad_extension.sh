#!/usr/bin/env bash
# A map name with an unknown extension: the viewer says "Strange file
# extension !!!", then the three characters, and ends with status 1.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test

map="$tmp/blob.Fou"  # mixed case is not accepted
gui_write_blob_map "$map"
"$ELD_BIN_DIR/eldview" "$map" 2>"$tmp/err" &
pid=$!
gui_answer_boxes "$pid" 30
gui_wait_exit "$pid" 5
st=$GUI_STATUS
pid=""
[ "$st" = 1 ] || fail "exit status $st, expected 1"
grep -qx "eldview: Strange file extension !!!" "$tmp/err" || fail "no extension message"
grep -qx "eldview: Fou" "$tmp/err" || fail "no message with the extension itself"
# The second message comes after the first.
[ "$(grep -n '^eldview: ' "$tmp/err" | head -2 | cut -d: -f3- | tr -d '\n')" = \
  " Strange file extension !!! Fou" ] || fail "messages out of order"
echo "PASS"
