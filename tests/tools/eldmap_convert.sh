#!/usr/bin/env bash
# eldmap convert end to end: the real benzene cube and paracetamol crystal map,
# broken inputs, options, and an existing output kept when a conversion fails.
set -uo pipefail
bin="${ELD_BIN_DIR:?}/eldmap"
real="${ELD_SOURCE_DIR:?}/tools/realdata"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check DESCRIPTION CONDITION...
  local what="$1"; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
contains() { grep -qF -- "$2" <<<"$1"; }

# --- the real benzene density: copied grid, 12 atoms, in all three formats ---
xz -dc "$real/benzene_psi4_density.cube.xz" > "$tmp/benzene.cube"
for ext in mt1 fou grd; do
  out="$("$bin" convert "$tmp/benzene.cube" "$tmp/benzene.$ext" 2>"$tmp/err")"
  check "benzene.$ext converts" test $? -eq 0
  check "benzene.$ext is a copied 82x88x41 grid with 12 atoms" \
    contains "$out" "copied grid 82 x 88 x 41, step 0.105835 0.105835 0.105835, origin -4.28634 -4.60384 -2.11671, density 2.17147e-13 to 93.8711, 12 atoms"
  check "benzene.$ext exists" test -s "$tmp/benzene.$ext"
done
check ".grd warns about the default limits" contains "$(cat "$tmp/err")" "DensityMax/500"
check "the binary file is 4 bytes per value plus headers" \
  test "$(stat -c %s "$tmp/benzene.mt1")" -eq $((188 + 10 + 40 * 14 + 82 * 88 * 41 * 4 + 6 + 8 + 12 * 58))

# --- the crystal map: monoclinic, so resampled; the model from a PDB file ---
out="$("$bin" convert "$real/paracetamol_hydrate_dencalc.ccp4" "$tmp/para.fou" \
  --model "$real/paracetamol_hydrate.pdb" --box atoms:2.5 --step 0.25)"
check "paracetamol converts with its model" contains "$out" "resampled grid"
check "paracetamol has 23 atoms" contains "$out" "23 atoms"
check "--step is used" contains "$out" "step 0.25 0.25 0.25"
out="$("$bin" convert "$real/paracetamol_hydrate_dencalc.ccp4" "$tmp/para.mt1" \
  --model "$real/paracetamol_hydrate.pdb" --box atoms:3 --step 0.25 --centre)"
check "--centre puts the grid's middle at the origin" \
  contains "$out" "resampled grid 51 x 53 x 55, step 0.25 0.25 0.25, origin -6.25 -6.5 -6.75"
check "the .fou lists the atoms by element" test "$(grep -cxE 'C|H|N|O' "$tmp/para.fou")" -eq 23

# --- broken CCP4 headers name the file and the field ---
cp "$real/paracetamol_hydrate_dencalc.ccp4" "$tmp/mode.ccp4"
printf '\x05' | dd of="$tmp/mode.ccp4" bs=1 seek=12 conv=notrunc status=none
err="$("$bin" convert "$tmp/mode.ccp4" "$tmp/x.mt1" 2>&1)"
check "MODE 5 is refused" test $? -eq 1
check "the MODE message names file and field" contains "$err" "mode.ccp4: header word 4 (MODE) is 5"
head -c 5000 "$real/paracetamol_hydrate_dencalc.ccp4" > "$tmp/short.ccp4"
err="$("$bin" convert "$tmp/short.ccp4" "$tmp/x.mt1" 2>&1)"
check "a truncated map is refused" contains "$err" "short.ccp4: the file is 5000 bytes"
printf 'title\ntitle\n  1 0 0 0\n  3 0.5 0 0\n  3 0 0.5 0\n' > "$tmp/cut.cube"
err="$("$bin" convert "$tmp/cut.cube" "$tmp/x.mt1" 2>&1)"
check "a cut cube header names file and line" contains "$err" "cut.cube: line 6: the file ends before third grid axis"
check "nothing was written for failed inputs" test ! -e "$tmp/x.mt1"

# --- options and names ---
err="$("$bin" convert "$tmp/benzene.cube" "$tmp/x.txt" 2>&1)"
check "an unknown output extension is refused" contains "$err" "must end in .mt1, .fou or .grd"
err="$("$bin" convert "$tmp/benzene.cube" "$tmp/x.mt1" --box round 2>&1)"
check "a bad --box is refused" contains "$err" "--box takes"
err="$("$bin" convert "$tmp/benzene.xyz" "$tmp/x.mt1" 2>&1)"
check "an unknown input format is refused" contains "$err" "unknown input format"
err="$("$bin" convert "$tmp/benzene.cube" 2>&1)"
check "a missing output is refused" contains "$err" "give an input map and an output file"
printf 't\nt\n  1 0 0 0\n  2 1 0 0\n  2 0 1 0\n  2 0 0 1\n 17 0 0.5 0.5 0.5\n1 2 3 4 5 6 7 8\n' > "$tmp/cl.cube"
err="$("$bin" convert "$tmp/cl.cube" "$tmp/cl.grd" 2>&1)"
check ".grd warns when a name loses letters" contains "$err" "these names lose letters: Cl"
check ".grd keeps the first letter" grep -q '^Cl  ' "$tmp/cl.grd"

# --- values beyond the readers' range: refused, the old output stays ---
cp "$tmp/benzene.mt1" "$tmp/keep.mt1"
err="$("$bin" convert "$tmp/benzene.cube" "$tmp/keep.mt1" --scale 1000 2>&1)"
check "values above 10000 are refused" contains "$err" "outside the range -10000 to 10000"
check "the existing output is untouched" cmp -s "$tmp/benzene.mt1" "$tmp/keep.mt1"
out="$("$bin" convert "$tmp/benzene.cube" "$tmp/scaled.mt1" --scale 6.748334)"
check "--scale multiplies the values" contains "$out" "density 1.46538e-12 to 633.474"
out="$("$bin" convert "$tmp/benzene.cube" "$tmp/capped.mt1" --scale 1000 --cap 10)"
check "--cap cuts the scaled values above it" contains "$out" "density 2.17147e-10 to 10"
err="$("$bin" convert "$tmp/benzene.cube" "$tmp/capped.mt1" --cap 0 2>&1)"
check "--cap takes a positive number" contains "$err" "--cap needs a positive number"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
