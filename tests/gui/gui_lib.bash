# Helpers shared by the GUI tests (sourced, not run on its own).

# Skip (exit 77) when there is no display to draw on.
gui_require_display() {
  [ -n "${DISPLAY:-}" ] || { echo "SKIP: DISPLAY is not set" >&2; exit 77; }
  for tool in xdotool import convert python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing" >&2; exit 77; }
  done
}

# gui_write_blob_map FILE [ZC]: a .fou map of one ellipsoidal blob (widths 0.8,
# 1.3, 0.8) on a 20^3 grid with step 0.3, centred at (0, 0, ZC), and no atoms.
gui_write_blob_map() { /usr/bin/python3 "$ELD_SOURCE_DIR/tests/tools/mt1_grid.py" ellipsoid "$@"; }

# gui_find_window REGEX [SECONDS]: the id of the first visible window titled REGEX
# within SECONDS (20). A search stops when a window goes away while it is looked
# at (the progress window comes and goes), so it is started again until then.
gui_find_window() {
  local end=$((SECONDS + ${2:-20})) w
  while [ "$SECONDS" -lt "$end" ]; do
    w=$(timeout $((end - SECONDS)) xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}

# Waits until the viewer ($pid) has ended, at most $1 seconds; sets GUI_STATUS
# to its exit status (and clears pid), or to "timeout".
gui_wait_exit() {
  local i
  GUI_STATUS=timeout
  for i in $(seq $(($1 * 10))); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; GUI_STATUS=$?; pid=""; return; }
    sleep 0.1
  done
}
# gui_ends STATUS SECONDS WHAT: the viewer ends within SECONDS with STATUS.
gui_ends() {
  gui_wait_exit "$2"
  [ "$GUI_STATUS" = "$1" ] || fail "$3: exit status $GUI_STATUS, expected $1"
}

# Answers every message box of the program (title "eldview") with Return
# until the viewer ends, for at most $1 seconds. A box that goes away while
# the key is sent can leave Return held down on the X server, where the next
# program's first dialog would take it: it is let go at the end.
gui_answer_boxes() {
  local i w
  for i in $(seq $(($1 * 5))); do
    kill -0 "$pid" 2>/dev/null || { xdotool keyup Return 2>/dev/null; return 0; }
    w=$(xdotool search --onlyvisible --name '^eldview$' 2>/dev/null | head -1)
    [ -z "$w" ] || { xdotool windowactivate --sync "$w" 2>/dev/null; xdotool key --window "$w" Return 2>/dev/null; }
    sleep 0.2
  done
}

# gui_key WINDOW KEYS...: activates the window (it gets the keyboard), presses the keys.
gui_key() {
  xdotool windowactivate --sync "$1" 2>/dev/null
  sleep 0.2
  # No modifier left down by an earlier key sequence.
  xdotool keyup Alt_L Alt_R Control_L Control_R Shift_L Shift_R 2>/dev/null
  xdotool key "${@:2}"
}

# Answers the program's message box (title "eldview") with Return, again
# until it has closed (a key sent while the box is still being mapped can be
# lost). Returns 1 when it does not close.
gui_close_box() {
  local box i
  for i in 1 2 3 4 5; do
    box=$(xdotool search --onlyvisible --name '^eldview$' 2>/dev/null | head -1)
    [ -z "$box" ] && return 0
    xdotool windowactivate --sync "$box" 2>/dev/null
    xdotool sleep 0.3 key Return sleep 0.4
  done
  [ -z "$(xdotool search --onlyvisible --name '^eldview$' 2>/dev/null)" ]
}

# Prints the measurements of analyse_shot.py for the GL area of window $1
# (below its 25-pixel menu bar). The screen is captured whole and cropped:
# capturing a single window that goes away meanwhile can hang the X server.
gui_measure_view() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
  [ -n "${WIDTH:-}" ] || return 1
  timeout 20 import -window root "$tmp/shot.png" || return 1
  convert "$tmp/shot.png" -crop "${WIDTH}x$((HEIGHT - 25))+${X}+$((Y + 25))" +repage ppm:- |
    timeout 60 /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/analyse_shot.py"
}

# fail MESSAGE prints the message and the viewer's stderr ($tmp/err) and ends the test.
fail() { echo "FAIL: $*" >&2; cat "$tmp/err" >&2 2>/dev/null; exit 1; }
# gui_expect VAR REGEX SECONDS MESSAGE: the id of the window titled REGEX goes
# to VAR; the test fails when none comes up in time.
gui_expect() { printf -v "$1" %s "$(gui_find_window "$2" "$3")"; [ -n "${!1}" ] || fail "$4"; }

# gui_launch ARGUMENTS...: starts the viewer in $tmp (so that its file dialogs
# start there), its stderr in $tmp/err, its process id in $pid.
gui_launch() { (cd "$tmp" && exec "$ELD_BIN_DIR/eldview" "$@") 2>"$tmp/err" & pid=$!; }

# gui_start TITLE ARGUMENTS...: launches the viewer and waits for the main
# window "Visualized file: TITLE" (a regular expression), whose id goes to $win.
gui_start() {
  local title=$1
  shift
  gui_launch "$@"
  gui_expect win "^Visualized file: $title\$" "${GUI_WAIT:-45}" "no main window titled 'Visualized file: $title'"
}

# gui_quit KEY: the key (again when Xvfb lost it) ends the viewer with 0; PASS.
gui_quit() {
  for _ in 1 2 3; do
    gui_key "$win" "$1"
    gui_wait_exit 8
    [ "$GUI_STATUS" != timeout ] && break
  done
  [ "$GUI_STATUS" = 0 ] || fail "exit status after $1: $GUI_STATUS"
  echo "PASS"
}

# gui_exits_1 ARGUMENTS...: so started, the viewer's boxes are answered, it ends with 1.
gui_exits_1() {
  gui_launch "$@"
  gui_answer_boxes 30
  gui_ends 1 5 "eldview $*"
}

# gui_menu MENU ITEM: picks a menu item of $win with the keys Alt+MENU, then ITEM.
gui_menu() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  xdotool sleep 0.3 key "alt+$1" sleep 0.4 key "$2"
}

# gui_dialog MENU ITEM: the menu item brings up a file dialog, ready for keys.
gui_dialog() {
  gui_menu "$1" "$2"
  gui_expect chooser '^Choose File$' 10 "no file dialog after the menu keys $1 $2"
  sleep 0.3
}

# gui_click WINDOW X Y [BUTTON]: activates the window and clicks at X, Y in it.
gui_click() {
  xdotool windowactivate --sync "$1" 2>/dev/null
  xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 click "${4:-1}" sleep 0.3
}

# gui_box MESSAGE: a message box comes up, the text went to stderr, Return closes it.
gui_box() {
  [ -n "$(gui_find_window '^eldview$' 10)" ] || fail "no message box for: $1"
  grep -qxF "eldview: $1" "$tmp/err" || fail "message '$1' not reported"
  gui_close_box || fail "the box '$1' does not close"
}

# gui_save FILE: a file dialog comes up and Return, sent again while FILE
# does not appear (a key lost under load), saves under the default name.
gui_save() {
  local chooser i
  gui_expect chooser '^Choose File$' 10 "no file dialog for $1"
  for i in 1 2 3; do
    xdotool windowactivate --sync "$chooser" 2>/dev/null
    xdotool sleep 0.5 key Return
    for _ in $(seq 50); do [ -s "$1" ] && return; sleep 0.1; done
  done
  fail "$1 not written"
}

# get MEASUREMENTS NAME: one value of gui_measure_view's line.
get() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
# measure: the view of $win measured into $m, again until the blob is drawn
# (the first frame may take a moment on a busy machine).
measure() {
  local i
  for i in 1 2 3 4 5; do
    m=$(gui_measure_view "$win") || fail "screenshot failed"
    [ "$(get "$m" green)" -ge 20 ] && return
    sleep 1
  done
  fail "no blob in the picture: $m"
}
# near A B TOLERANCE: |A - B| <= TOLERANCE; B may be an arithmetic expression.
near() { python3 -c "import sys; a, b, t = map(eval, sys.argv[1:]); sys.exit(abs(a - b) > t)" "$@"; }
# True when the even and odd rows of $m are shifted against each other (stereo).
rows_differ() { ! near "$(get "$m" even_x)" "$(get "$m" odd_x)" 1.5; }

set -u
# Every test's scratch folder; the viewer still running at the end is killed.
tmp=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; xdotool keyup Return 2>/dev/null; rm -rf "$tmp"' EXIT
