#!/usr/bin/env bash
# data/ELDmap_POVray_head.def is what tools/make_pov_head.py makes now from
# data/atompar2.txt, and the tool refuses names that cannot become POV-Ray
# identifiers. Then eldmap pov, checked by the real client: POV-Ray 3.7 must
# parse the scene with the shipped header (every atom name of atompar2.txt
# included) and draw more than the background, with the objects where the
# offscreen picture has them. A missing header gives a message naming it and
# no scene file.
. "$(dirname "$0")/lib.bash"
set -e

python3 -B "$src/tools/make_pov_head.py" "$src/data/atompar2.txt" "$tmp/head.def" >/dev/null
diff -u "$src/data/ELDmap_POVray_head.def" "$tmp/head.def" ||
  fail "data/ELDmap_POVray_head.def is stale: run tools/make_pov_head.py"

# A small table: trailing blanks are dropped from identifiers, the list ends at
# the first line whose type number is below 1, a name repeated is declared once.
{
  echo "No.   vdW    cov    EN    tol   Name   mass"
  echo "  1   120     31    220   .10    H        1.008"
  echo "  2   170     76    255   .15    Cl      35.450"
  echo "  3   170     76    255   .15    H        1.008"
  echo ""
  echo "  4   170     76    255   .15    Xx      99.000"
} >"$tmp/atompar2.txt"
python3 -B "$src/tools/make_pov_head.py" "$tmp/atompar2.txt" "$tmp/small.def" >/dev/null
grep -qx '#declare AtomRadiusForH = 0.1;' "$tmp/small.def" || fail "H radius"
grep -qx '#declare ColorForCl = rgb <0.4, 0.4, 0.4>;' "$tmp/small.def" || fail "Cl colour"
[ "$(grep -c 'AtomRadiusForH ' "$tmp/small.def")" -eq 1 ] || fail "H declared twice"
grep -q 'Xx' "$tmp/small.def" && fail "rows after the end line were used"
[ "$(tail -n 1 "$tmp/small.def")" = "//END OF FILE" ] || fail "end line"

# "C-1" and " C" cannot follow "ColorFor" in a scene.
for bad in "C-1 " " C  "; do
  { echo "header"; printf '  1   120     31    220   .10    %s     1.008\n' "$bad"; } >"$tmp/bad.txt"
  python3 -B "$src/tools/make_pov_head.py" "$tmp/bad.txt" "$tmp/bad.def" 2>/dev/null &&
    fail "name '$bad' accepted"
done

command -v povray >/dev/null || { echo "povray is not installed"; exit 77; }
$py "$here/mt1_grid.py" blob "$tmp/blob.fou"
$py "$here/mt1_grid.py" blob "$tmp/all.fou" "$bin/atompar2.txt"

# povray SCENE OUT.png W H: renders headless; fails on any parse error.
povray_render() {
  (cd "$tmp" && povray "+I$1" "+O$2" "+W$3" "+H$4" -D +A0.0 "+L$bin" >"$2.log" 2>&1) ||
    { tail -n 20 "$tmp/$2.log" >&2; fail "povray failed on $1"; }
  grep -q "Parse Error" "$tmp/$2.log" && fail "parse error in $1"
  return 0
}

"$bin/eldmap" pov "$tmp/blob.fou" -o "$tmp/blob.pov" --cell
head -c 200 "$tmp/blob.pov" | head -n 2 | tr -d '\r' | grep -qx "// $tmp/blob.fou" || fail "map name line"
[ "$(grep -c $'\r$' "$tmp/blob.pov")" -eq "$(wc -l <"$tmp/blob.pov")" ] || fail "not all lines end in CR LF"
grep -q "//END OF FILE" "$tmp/blob.pov" && fail "header end line copied"
povray_render blob.pov blob.png 160 120
# Background is black; the scene must have drawn a fair number of pixels.
lit=$(count_where "$tmp/blob.png" 160x120+0+0 'r+g+b > 60')
[ "$lit" -gt 300 ] || fail "only $lit pixels differ from the background"
# Nothing in the corners: the blob lies in the middle.
corner=$(count_where "$tmp/blob.png" 20x20+0+0 'r+g+b > 60')
[ "$corner" -eq 0 ] || fail "$corner lit pixels in the corner"
# The camera frames the scene as the viewer's central eye: the bounding box of
# everything drawn is the same (within a pixel) in the offscreen GL picture and
# in POV-Ray's, for a wide and for a tall picture.
"$bin/eldmap" pov "$tmp/blob.fou" -o "$tmp/frame.pov" --no-contour
bbox() { convert "$1" -fuzz 20% -format '%@' info: | tr 'x+' '  '; }
for size in 160x120 90x160; do
  w=${size%x*} h=${size#*x}
  "$bin/eldmap" render "$tmp/blob.fou" -o "$tmp/gl_$size.png" --size "$size" --no-contour
  povray_render frame.pov "pov_$size.png" "$w" "$h"
  read -r -a a <<<"$(bbox "$tmp/gl_$size.png")"
  read -r -a b <<<"$(bbox "$tmp/pov_$size.png")"
  [ "${a[0]}" -gt 10 ] || fail "$size: GL picture nearly empty (${a[*]})"
  for i in 0 1 2 3; do
    d=$((a[i] - b[i])) && [ "${d#-}" -le 1 ] || fail "$size: GL box ${a[*]} but POV-Ray box ${b[*]}"
  done
done
# Layer 1's green outer surface shows in POV-Ray's colours too.
pov_green=$(count_where "$tmp/blob.png" 160x120+0+0 'g > r + 40 && g > b + 40')
[ "$pov_green" -gt 50 ] || fail "only $pov_green green pixels in the POV-Ray picture"

# Every atom name of atompar2.txt has its identifiers in the header.
"$bin/eldmap" pov "$tmp/all.fou" -o "$tmp/all.pov" --no-contour --style triangle --view x
want=$($py -B -c "import mt1_grid as m; print(len(m.atom_names('$bin/atompar2.txt')))")
names=$(grep -c '^sphere ' "$tmp/all.pov")
[ "$names" -eq "$want" ] && [ "$want" -gt 0 ] || fail "$names atom spheres for $want names"
povray_render all.pov all.png 80 60

# Without its header the export stops with a message and writes nothing.
mkdir "$tmp/nohead"
cp "$bin/eldmap" "$bin/atompar2.txt" "$bin/cell_table.dat" "$bin/layer_limit_presets.txt" "$tmp/nohead/"
out=$("$tmp/nohead/eldmap" pov "$tmp/blob.fou" -o "$tmp/none.pov" 2>&1) && fail "no header accepted"
grep -q "ELDmap_POVray_head.def" <<<"$out" || fail "message does not name the header: $out"
[ ! -e "$tmp/none.pov" ] || fail "a scene was written without a header"
echo "eldmap pov + povray: ok"
