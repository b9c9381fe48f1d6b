#!/usr/bin/env bash
# Picking on a difference map: one layer, the view along Z in a wide window, ten
# right clicks (one pixel of jitter) at each blob an atom left out of the model
# leaves; each question (answered Yes) keeps clear of the marker, 9 of 10 clicks
# give a peak within 0.3 A of the atom. Edit > Find Peaks lists exactly those.
. "$(dirname "$0")/gui_lib.bash"
gui_require_display
data="$ELD_TEST_DATA/difference"
cp "$data/paracetamol_diff.mt1" "$tmp/diff.mt1"
"$ELD_BIN_DIR/eldmap" info "$tmp/diff.mt1" --json >"$tmp/info.json" || fail "eldmap info"
gui_start diff.mt1 diff.mt1
gui_expect panel '^Control Panel$' 10 "no control panel"

# Layer 1 alone (Check2 and Check3 off, Apply), the panel out of the way.
xdotool windowmove --sync "$panel" 820 560
for xy in "24 120" "24 152" "180 448"; do gui_click "$panel" $xy; done
sleep 0.7

# A wide window shows more along the screen's x axis; the view along Z puts
# the map's y there, so every blob is in the picture.
for _ in 1 2 3 4 5; do
  xdotool windowsize --sync "$win" 1000 519 windowmove --sync "$win" 0 0 sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win")"
  [ "$WIDTH" = 1000 ] && [ "$HEIGHT" = 519 ] && break
done
[ "$WIDTH" = 1000 ] && [ "$HEIGHT" = 519 ] || fail "window size ${WIDTH}x$HEIGHT"
gui_key "$win" z
sleep 0.5

# Screen positions (in the window, below the 25-pixel menu) of each left-out
# atom's copy inside the grid, in the central eye's projection of the view
# along Z: the view turns scene (x, y, z) into (y, x, -z); the eye sits 22.5
# in front of the plane z = 0, which shows +-6 units across the smaller side.
/usr/bin/python3 - "$tmp/info.json" "$data/removed_atoms.txt" "$WIDTH" $((HEIGHT - 25)) >"$tmp/targets" <<'PY' ||
import itertools, json, sys
import numpy as np
info = json.load(open(sys.argv[1]))
W, H = int(sys.argv[3]), int(sys.argv[4])
M = np.array(info["cell_matrix"])
o, st, n = (np.array(info[k]) for k in ("origin", "step", "grid_points"))
for line in (l for l in open(sys.argv[2]) if l[0] != "#"):
    name, *xyz = line.split()
    f = np.linalg.solve(M, np.array(xyz, dtype=float))
    for s in itertools.product((-1, 0, 1), repeat=3):
        p = M @ (f + s)
        # Two grid steps clear of the grid's faces: the whole blob is there.
        if not np.all((o + 2 * st < p) & (p < o + (n - 3) * st)):
            continue
        sx, sy, depth = p[1], p[0], -p[2]
        k = 22.5 / (22.5 - depth)
        X = (sx * k / (6 * W / H) + 1) / 2 * W
        Y = H - (sy * k / 6 + 1) / 2 * H
        print("%s%+d%+d%+d" % (name, *s), round(X), round(Y) + 25, *("%.4f" % v for v in p))
PY
  fail "targets"
[ "$(wc -l <"$tmp/targets")" -ge 3 ] || fail "fewer than 3 blobs in the grid: $(cat "$tmp/targets")"

# Ten clicks per blob; per click "found" or "nothing". The marker lies under
# the pointer: the question's box (and its 20-pixel title bar) must keep 8
# pixels clear of it.
jitter="0,0 1,0 -1,0 0,1 0,-1 1,1 -1,-1 1,-1 -1,1 0,0"
: >"$tmp/clicks"
while read -r name tx ty _; do
  for j in $jitter; do
    dx=${j%,*} dy=${j#*,}
    before=$(wc -l <"$tmp/err")
    xdotool windowactivate --sync "$win" 2>/dev/null
    xdotool mousemove --window "$win" $((tx + dx)) $((ty + dy)) sleep 0.1 click 3
    result=""
    for _ in $(seq 60); do
      box=$(xdotool search --onlyvisible --name '^eldview$' 2>/dev/null | head -1)
      [ -n "$box" ] && { result=found; break; }
      tail -n +$((before + 1)) "$tmp/err" | grep -q '^eldview: nothing picked' && { result=nothing; break; }
      sleep 0.1
    done
    [ -n "$result" ] || fail "click at $name gave neither a question nor a reason"
    tail -n +$((before + 1)) "$tmp/err" | grep -q 'Exactly 1 layer' && fail "more than one layer shown"
    if [ "$result" = found ]; then
      eval "$(xdotool getmouselocation --shell)"
      mx=$X my=$Y
      eval "$(xdotool getwindowgeometry --shell "$box")"
      [ $((mx + 8)) -ge "$X" ] && [ $((mx - 8)) -le $((X + WIDTH)) ] && [ $((my + 8)) -ge $((Y - 20)) ] &&
        [ $((my - 8)) -le $((Y + HEIGHT)) ] &&
        fail "the question covers the marker at $mx,$my: box ${WIDTH}x$HEIGHT at $X,$Y"
      gui_close_box || fail "the question does not close"
    fi
    echo "$name $result" >>"$tmp/clicks"
  done
done <"$tmp/targets"

# The peak list saved through the save dialog as newatoms.dat.
save_peaks() { rm -f "$tmp/newatoms.dat"; gui_menu f s; gui_save "$tmp/newatoms.dat"; }
save_peaks

/usr/bin/python3 - "$tmp/info.json" "$tmp/targets" "$tmp/clicks" "$tmp/newatoms.dat" <<'PY' || fail "picks"
import json, re, sys
import numpy as np
M = np.array(json.load(open(sys.argv[1]))["cell_matrix"])
targets = {l.split()[0]: np.float64(l.split()[3:]) for l in open(sys.argv[2])}
clicks = [l.split() for l in open(sys.argv[3])]
peaks = [M @ np.float64(re.findall(r"[XYZ]=\s*(-?\d*\.?\d+)", l)) for l in open(sys.argv[4])]
found = [name for name, result in clicks if result == "found"]
assert len(found) == len(peaks), "%d confirmed, %d in the file" % (len(found), len(peaks))
hits = [name for name, p in zip(found, peaks) if np.linalg.norm(p - targets[name]) < 0.3]
for name in dict.fromkeys(name for name, _ in clicks):
    n = sum(c == name for c, _ in clicks)
    print("%s: %d of %d clicks found the peak" % (name, hits.count(name), n))
    assert hits.count(name) >= 0.9 * n, name
PY

# Edit > Clear Peaks, then Edit > Find Peaks: one peak per left-out atom, as
# many as the message says.
gui_menu e c
sleep 0.5
gui_menu e f
gui_find_window '^eldview$' 20 >/dev/null || fail "Find Peaks says nothing"
gui_close_box || fail "the Find Peaks message does not close"
report=$(grep '^eldview: Find Peaks: ' "$tmp/err" | tail -1)
echo "${report#eldview: }"
added=$(sed -n 's/^eldview: Find Peaks: \([0-9]*\) peaks\{0,1\} above .*, now \([0-9]*\) in all$/\1 \2/p' <<<"$report")
[ "$added" = "3 3" ] || fail "Find Peaks: $report"
save_peaks
/usr/bin/python3 - "$tmp/info.json" "$data/removed_atoms.txt" "$tmp/newatoms.dat" <<'PY' || fail "found peaks"
import itertools, json, re, sys
import numpy as np
M = np.array(json.load(open(sys.argv[1]))["cell_matrix"])
peaks = [np.array(re.findall(r"[XYZ]=\s*(-?\d*\.?\d+)", l), dtype=float) for l in open(sys.argv[3])]
for line in (l for l in open(sys.argv[2]) if l[0] != "#"):
    name, *p = line.split()
    # The nearest lattice copy of a peak (fractional) to the atom (Cartesian).
    d = min(np.linalg.norm(M @ (f + s) - np.array(p, dtype=float))
            for f in peaks for s in itertools.product((-1, 0, 1), repeat=3))
    print("%s: found peak %.3f A away" % (name, d))
    assert d < 0.3, name
PY
echo "PASS"
