#!/usr/bin/env bash
# File > Open: a file that cannot be read is reported and the shown map stays
# (title and picture); a readable second map replaces it and gets its title.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/gui_lib.bash"
gui_require_display

gui_start_test
get() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

map="$tmp/blob.fou"
gui_write_blob_map "$map" 2.5
printf 'only a title\n' >"$tmp/broken.fou"
gui_write_blob_map "$tmp/second.fou" -4  # behind the zero-parallax plane: smaller

(cd "$tmp" && exec "$ELD_BIN_DIR/eldview" "$map") 2>"$tmp/err" &
pid=$!
win=$(gui_find_window "^Visualized file: $map\$" 45)
[ -n "$win" ] || fail "no main window"

measure() { gui_measure_view "$win" || fail "screenshot failed"; }
# Types NAME into the open dialog (it starts in the working folder).
open_map() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  sleep 0.3
  xdotool key alt+f
  sleep 0.4
  xdotool key o
  [ -n "$(gui_find_window '^Choose File$' 10)" ] || fail "no open dialog"
  sleep 0.3
  xdotool type --delay 30 "$1"
  sleep 0.3
  xdotool key Return
}

sleep 0.5
before=$(measure)
echo "first map: $before"

open_map broken.fou
box=$(gui_find_window '^eldview$' 10)
[ -n "$box" ] || fail "no message for the unreadable map"
grep -q "^eldview: .*broken.fou" "$tmp/err" || fail "the message does not name the file"
gui_close_box || fail "the message box does not close"
kill -0 "$pid" 2>/dev/null || fail "the viewer ended on an unreadable second map"
[ "$(xdotool getwindowname "$win")" = "Visualized file: $map" ] || fail "title changed"
xdotool windowactivate --sync "$win" 2>/dev/null
sleep 0.3
kept=$(measure)
echo "after the failed open: $kept"
[ "$(get "$kept" green)" -ge 20 ] || fail "the first map is no longer drawn: $kept"

open_map second.fou
[ -n "$(gui_find_window "^Visualized file: $tmp/second.fou\$" 15)" ] || fail "no title for the second map"
sleep 0.5
second=$(measure)
echo "second map: $second"
# The second blob lies farther away, so it looks smaller.
[ "$(get "$second" height)" -lt "$(get "$before" height)" ] || fail "the second map is not shown"

gui_quit_with "$win" "$pid" q
st=$GUI_STATUS
pid=""
[ "$st" = 0 ] || fail "exit status after q: $st"
echo "PASS"
