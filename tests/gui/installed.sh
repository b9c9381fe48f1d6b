#!/usr/bin/env bash
# cmake --install into a scratch prefix; from outside the source tree: every file
# is there, the desktop entry and MIME types reach the caches, the installed eldmap
# finds its data (info, pov), eldview answers --help and --version, refuses a
# missing display in one line, and starts on an installed example and quits.
. "$(dirname "$0")/gui_lib.bash"

p="$tmp/prefix"
cmake --install "$ELD_BIN_DIR/.." --prefix "$p" >"$tmp/err" 2>&1 || fail "cmake --install failed"
cd "$tmp"
share="$p/share"
for f in bin/eldview bin/eldmap share/eldview/{cell_table.dat,atompar2.txt,layer_limit_presets.txt} \
  share/eldview/{ELDmap_POVray_head.def,readme.txt,examples/benzene.mt1,examples/paracetamol_hydrate.grd} \
  share/applications/eldview.desktop share/icons/hicolor/128x128/apps/eldview.png \
  share/man/man1/eldview.1 share/man/man1/eldmap.1 share/mime/packages/eldview.xml; do
  [ -s "$p/$f" ] || fail "not installed: $f"
done
desktop-file-validate "$share/applications/eldview.desktop" >"$tmp/err" 2>&1 || fail "desktop entry"
for ext in mt1 fou grd; do
  grep -qx "50:application/x-eldview-$ext:\*\.$ext" "$share/mime/globs2" || fail "no MIME glob *.$ext"
  grep -q "^application/x-eldview-$ext=eldview.desktop" "$share/applications/mimeinfo.cache" ||
    fail "eldview.desktop does not open application/x-eldview-$ext"
done

ex="$share/eldview/examples"
"$p/bin/eldmap" info "$ex/benzene.mt1" >"$tmp/info" 2>"$tmp/err" || fail "installed eldmap info"
grep -q "^atoms *12$" "$tmp/info" && grep -q "^bonds *12$" "$tmp/info" || fail "info: $(cat "$tmp/info")"
"$p/bin/eldmap" pov "$ex/paracetamol_hydrate.grd" -o "$tmp/s.pov" 2>"$tmp/err" || fail "installed eldmap pov"
grep -qF "$(head -1 "$share/eldview/ELDmap_POVray_head.def")" "$tmp/s.pov" ||
  fail "the POV-Ray scene lacks the installed head"

version=$(sed -n 's/^project(eldview VERSION \([0-9.]*\).*/\1/p' "$ELD_SOURCE_DIR/CMakeLists.txt")
[ "$(DISPLAY=:0.99 "$p/bin/eldview" --version 2>"$tmp/err")" = "eldview $version" ] || fail "--version"
DISPLAY=:0.99 "$p/bin/eldview" --help >"$tmp/help" 2>"$tmp/err" && [ ! -s "$tmp/err" ] &&
  grep -q "^Usage: eldview .*\[MAP\]$" "$tmp/help" || fail "--help: $(cat "$tmp/help")"
for display in "" ":0.99"; do
  DISPLAY=$display "$p/bin/eldview" "$ex/benzene.mt1" >/dev/null 2>"$tmp/err" && fail "started without a display"
  [ "$(wc -l <"$tmp/err")" = 1 ] && grep -q "^eldview: cannot open the display" "$tmp/err" ||
    fail "no-display message for DISPLAY='$display'"
done

gui_require_display
map="$ex/benzene.mt1"
"$p/bin/eldview" "$map" 2>"$tmp/err" &
pid=$!
gui_expect win "^Visualized file: $map\$" 45 "the installed eldview shows no window for $map"
gui_quit q
