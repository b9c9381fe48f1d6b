#!/usr/bin/env bash
# Clicks on the control panel while the surfaces are being extracted wait
# until the extraction is over: a burst of preset and Apply clicks sent while
# the first Apply still extracts leaves the same surfaces as one calm Apply at
# the last preset (both saved as POV-Ray scenes and compared byte for byte).
. "$(dirname "$0")/gui_lib.bash"
gui_require_display

# 300^3 grid points: each layer takes a noticeable time to extract, while a
# few Gaussian atoms keep the surfaces small.
map="$tmp/big.mt1"
PYTHONPATH="$ELD_SOURCE_DIR/tests/tools" /usr/bin/python3 -c "import sys, numpy as np, mt1_grid as m
g = m.smooth_grid(300, 25, 7); g *= np.float32(10.0) / g.max(); m.write_mt1(sys.argv[1], g, step=(0.05,) * 3)" \
  "$map" || fail "cannot write the map"

GUI_WAIT=60 gui_start "$map" "$map"
gui_key "$win" h
gui_expect panel '^Control Panel$' 10 "no control panel"

# Waits until no progress window has been seen for two seconds.
settle() {
  local quiet=0
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name '^ELD map processing progress' >/dev/null 2>&1 && quiet=0 ||
      quiet=$((quiet + 1))
    [ "$quiet" -ge 20 ] && return 0
    sleep 0.1
  done
  fail "the extraction does not end"
}
click_panel() { xdotool mousemove --window "$panel" "$1" "$2" click 1; }
apply() { click_panel 180 448; }
preset() { click_panel $((214 + ($1 - 1) * 52)) 406; }
save_scene() { gui_menu f p; gui_save "$tmp/VXN_pov.pov"; mv "$tmp/VXN_pov.pov" "$1"; }

settle
xdotool windowactivate --sync "$panel" 2>/dev/null
sleep 0.3
# The burst: every click after the first Apply arrives while it extracts.
apply
sleep 0.05
for n in 1 2 3; do preset $n; apply; done
settle
kill -0 "$pid" 2>/dev/null || fail "the viewer ended during the clicks"
save_scene "$tmp/burst.pov"

xdotool windowactivate --sync "$panel" 2>/dev/null
sleep 0.3
apply
settle
save_scene "$tmp/calm.pov"
[ "$(grep -c 'pigment { color Level' "$tmp/calm.pov")" -ge 2 ] || fail "no surfaces in the scene"
cmp -s "$tmp/burst.pov" "$tmp/calm.pov" ||
  fail "the surfaces after the burst differ from one extraction at the last preset"

gui_quit q
