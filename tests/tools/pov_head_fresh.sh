#!/usr/bin/env bash
# data/ELDmap_POVray_head.def is made by tools/make_pov_head.py from
# data/atompar2.txt: the checked-in file must be what the tool makes now, and
# the tool must refuse names that cannot become POV-Ray identifiers.
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
echo "POV-Ray header: ok"
