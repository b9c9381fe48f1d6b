# Helpers shared by the GUI tests (sourced, not run on its own).

# Skip (exit 77) when there is no display to draw on.
gui_require_display() {
  if [ -z "${DISPLAY:-}" ]; then
    echo "SKIP: DISPLAY is not set" >&2
    exit 77
  fi
  for tool in xdotool import convert python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing" >&2; exit 77; }
  done
}

# Writes a small .fou map: an ellipsoidal density blob (sigma 0.8, 1.3, 0.8)
# on a 20^3 grid with step 0.3, centred at (0, 0, ZC), and no atoms.
gui_write_blob_map() {
  python3 - "$1" "${2:-2.5}" <<'PY'
import math, sys
path, zc = sys.argv[1], float(sys.argv[2])
n, step = 20, 0.3
half = (n - 1) * step / 2
o = (-half, -half, zc - half)
at = lambda i, a: o[a] + (i - 1) * step  # grid point i along axis a
out = ["blob test map", "written by the GUI test", "1 0 0 0 1 0 0 0 1 0 0 0  cell matrix, shift",
       "1 1 1 90 90 90  cell"] + ["%g %g 0 0  axis %d" % (o[a], step, a + 1) for a in range(3)]
out.append("%d %d %d" % (n, n, n))
for i3 in range(1, n + 1):
    vals = ["%.5f" % (10.0 * math.exp(-((at(i1, 0) / 0.8) ** 2 + (at(i2, 1) / 1.3) ** 2
                                        + ((at(i3, 2) - zc) / 0.8) ** 2) / 2))
            for i1 in range(1, n + 1) for i2 in range(1, n + 1)]
    out += [" section %d" % i3, "%d" % i3] + [" ".join(vals[k:k + 10]) for k in range(0, len(vals), 10)]
open(path, "w").write("\n".join(out + [" atoms", "0 14"]) + "\n")
PY
}

# Prints the id of the first visible window whose title matches the regular
# expression, waiting up to $2 seconds (default 20). A search stops at once
# when a window goes away while it is looked at (the progress window comes
# and goes with every layer); it is started again until the time is up.
gui_find_window() {
  local end=$((SECONDS + ${2:-20})) w
  while [ "$SECONDS" -lt "$end" ]; do
    w=$(timeout $((end - SECONDS)) xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}

# Waits until process $1 (a child of this shell) has ended, at most $2
# seconds; sets GUI_STATUS to its exit status, or to "timeout".
gui_wait_exit() {
  local pid=$1 limit=${2:-20} i
  GUI_STATUS=timeout
  for i in $(seq $((limit * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      GUI_STATUS=$?
      return
    fi
    sleep 0.1
  done
}

# Answers every message box of the program (title "eldview") with Return
# until process $1 ends, for at most $2 seconds. A box that goes away while
# the key is sent can leave Return held down on the X server, where the next
# program's first dialog would take it: it is let go at the end.
gui_answer_boxes() {
  local pid=$1 limit=${2:-20} i w
  for i in $(seq $((limit * 5))); do
    kill -0 "$pid" 2>/dev/null || { xdotool keyup Return 2>/dev/null; return 0; }
    w=$(xdotool search --onlyvisible --name '^eldview$' 2>/dev/null | head -1)
    if [ -n "$w" ]; then
      xdotool windowactivate --sync "$w" 2>/dev/null
      xdotool key --window "$w" Return 2>/dev/null
    fi
    sleep 0.2
  done
}

# Activates window $1 (the window manager gives it the keyboard) and presses
# the keys that follow.
gui_key() {
  local w=$1
  shift
  xdotool windowactivate --sync "$w" 2>/dev/null
  sleep 0.2
  # No modifier left down by an earlier key sequence.
  xdotool keyup Alt_L Alt_R Control_L Control_R Shift_L Shift_R 2>/dev/null
  xdotool key "$@"
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
    sleep 0.3
    xdotool key Return
    sleep 0.4
  done
  [ -z "$(xdotool search --onlyvisible --name '^eldview$' 2>/dev/null)" ]
}

# Presses key $3 in window $1 until process $2 has ended (a few tries, for a
# key lost by Xvfb); sets GUI_STATUS like gui_wait_exit.
gui_quit_with() {
  local w=$1 pid=$2 key=$3 i
  for i in 1 2 3; do
    gui_key "$w" "$key"
    gui_wait_exit "$pid" 8
    [ "$GUI_STATUS" != timeout ] && return
  done
}

# Prints the measurements of analyse_shot.py for the GL area of window $1
# (below its 25-pixel menu bar). The screen is captured whole and cropped:
# capturing a single window that goes away meanwhile can hang the X server.
gui_measure_view() {
  local X Y WIDTH HEIGHT SCREEN WINDOW shot
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)"
  [ -n "${WIDTH:-}" ] || return 1
  shot=$(mktemp --suffix=.png)
  timeout 20 import -window root "$shot" || { rm -f "$shot"; return 1; }
  convert "$shot" -crop "${WIDTH}x$((HEIGHT - 25))+${X}+$((Y + 25))" +repage ppm:- |
    timeout 60 python3 "$(dirname "${BASH_SOURCE[0]}")/analyse_shot.py"
  local rc=$?
  rm -f "$shot"
  return $rc
}

# Every test's frame: a scratch folder $tmp (the viewer's stderr goes to
# $tmp/err), the viewer's process id $pid killed at exit, and fail MESSAGE,
# which prints the message and the viewer's stderr and ends the test.
gui_start_test() {
  tmp=$(mktemp -d)
  pid=""
  trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; xdotool keyup Return 2>/dev/null; rm -rf "$tmp"' EXIT
}
fail() { echo "FAIL: $*" >&2; cat "$tmp/err" >&2 2>/dev/null; exit 1; }

# gui_start TITLE ARGUMENTS...: starts the viewer in $tmp (so that its file
# dialogs start there) and waits for the main window "Visualized file: TITLE"
# (a regular expression), whose id goes to $win.
gui_start() {
  local title=$1
  shift
  (cd "$tmp" && exec "$ELD_BIN_DIR/eldview" "$@") 2>"$tmp/err" &
  pid=$!
  win=$(gui_find_window "^Visualized file: $title\$" "${GUI_WAIT:-45}")
  [ -n "$win" ] || fail "no main window titled 'Visualized file: $title'"
}

# gui_quit KEY: the key ends the viewer with status 0; the test passes.
gui_quit() {
  gui_quit_with "$win" "$pid" "$1"
  local st=$GUI_STATUS
  pid=""
  [ "$st" = 0 ] || fail "exit status after $1: $st"
  echo "PASS"
}

# gui_exits_1 ARGUMENTS...: the viewer started with these arguments answers
# its message boxes and ends with status 1.
gui_exits_1() {
  (cd "$tmp" && exec "$ELD_BIN_DIR/eldview" "$@") 2>"$tmp/err" &
  pid=$!
  gui_answer_boxes "$pid" 30
  gui_wait_exit "$pid" 5
  local st=$GUI_STATUS
  pid=""
  [ "$st" = 1 ] || fail "eldview $*: exit status $st, expected 1"
}

# gui_menu MENU ITEM: picks an item of the main window's menu bar with the
# keyboard (Alt + the menu's access key, then the item's).
gui_menu() {
  xdotool windowactivate --sync "$win" 2>/dev/null
  sleep 0.3
  xdotool key "alt+$1"
  sleep 0.4
  xdotool key "$2"
}

# gui_click WINDOW X Y [BUTTON]: activates the window and clicks at X, Y in it.
gui_click() {
  xdotool windowactivate --sync "$1" 2>/dev/null
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.2
  xdotool click "${4:-1}"
  sleep 0.3
}

# gui_box MESSAGE: a message box comes up, the text went to stderr, and
# Return closes the box.
gui_box() {
  [ -n "$(gui_find_window '^eldview$' 10)" ] || fail "no message box for: $1"
  grep -qxF "eldview: $1" "$tmp/err" || fail "message '$1' not reported"
  gui_close_box || fail "the box '$1' does not close"
}

# gui_save FILE: a file dialog comes up and Return, sent again while FILE
# does not appear (a key lost under load), saves under the default name.
gui_save() {
  local chooser i
  chooser=$(gui_find_window '^Choose File$' 10)
  [ -n "$chooser" ] || fail "no file dialog for $1"
  for i in 1 2 3; do
    xdotool windowactivate --sync "$chooser" 2>/dev/null
    sleep 0.5
    xdotool key Return
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
# near A B TOLERANCE: |A - B| <= TOLERANCE.
near() { python3 -c "import sys; a, b, t = map(float, sys.argv[1:]); sys.exit(abs(a - b) > t)" "$@"; }
# True when the even and odd rows of $m are shifted against each other (stereo).
rows_differ() { ! near "$(get "$m" even_x)" "$(get "$m" odd_x)" 1.5; }

set -u
gui_start_test
