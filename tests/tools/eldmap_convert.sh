#!/usr/bin/env bash
# eldmap convert end to end: the real benzene cube and paracetamol crystal map,
# broken inputs, options, and an existing output kept when a conversion fails;
# then maps of other programs with their models in every command.
. "$(dirname "$0")/lib.bash"

# --- the real benzene density: copied grid, 12 atoms, in all three formats ---
xz -dc "$real/benzene_psi4_density.cube.xz" > "$tmp/benzene.cube"
for ext in mt1 fou grd; do
  out="$("$eldmap" convert "$tmp/benzene.cube" "$tmp/benzene.$ext" 2>"$tmp/err")"
  check "benzene.$ext converts" test $? -eq 0 -a -s "$tmp/benzene.$ext"
  check "benzene.$ext is a copied 82x88x41 grid with 12 atoms" \
    contains "$out" "copied grid 82 x 88 x 41, step 0.105835 0.105835 0.105835, origin -4.28634 -4.60384 -2.11671, density 2.17147e-13 to 93.8711, 12 atoms"
done
check ".grd warns about the default limits" contains "$(cat "$tmp/err")" "DensityMax/500"
check "the binary file is 4 bytes per value plus headers" \
  test "$(stat -c %s "$tmp/benzene.mt1")" -eq $((188 + 10 + 40 * 14 + 82 * 88 * 41 * 4 + 6 + 8 + 12 * 58))

# --- the crystal map: monoclinic, so resampled; the model from a PDB file ---
out="$("$eldmap" convert "$real/paracetamol_hydrate_dencalc.ccp4" "$tmp/para.fou" \
  --model "$real/paracetamol_hydrate.pdb" --box atoms:2.5 --step 0.25)"
check "paracetamol: resampled with --step, its model's 23 atoms" \
  grep -qE 'resampled grid .*, step 0.25 0.25 0.25, .* 23 atoms' <<<"$out"
out="$("$eldmap" convert "$real/paracetamol_hydrate_dencalc.ccp4" "$tmp/para.mt1" \
  --model "$real/paracetamol_hydrate.pdb" --box atoms:3 --step 0.25 --centre)"
check "--centre puts the grid's middle at the origin" \
  contains "$out" "resampled grid 51 x 53 x 55, step 0.25 0.25 0.25, origin -6.25 -6.5 -6.75"
check "the .fou lists the atoms by element" test "$(grep -cxE 'C|H|N|O' "$tmp/para.fou")" -eq 23

# --- broken inputs name the file and the field; refused options ---
cp "$real/paracetamol_hydrate_dencalc.ccp4" "$tmp/mode.ccp4"
printf '\x05' | dd of="$tmp/mode.ccp4" bs=1 seek=12 conv=notrunc status=none
head -c 5000 "$real/paracetamol_hydrate_dencalc.ccp4" > "$tmp/short.ccp4"
printf 'title\ntitle\n  1 0 0 0\n  3 0.5 0 0\n  3 0 0.5 0\n' > "$tmp/cut.cube"
cp "$tmp/benzene.mt1" "$tmp/keep.mt1"
expect_exits <<TABLE
1|convert "$tmp/mode.ccp4" "$tmp/x.mt1"|mode.ccp4: header word 4 (MODE) is 5
1|convert "$tmp/short.ccp4" "$tmp/x.mt1"|short.ccp4: the file is 5000 bytes
1|convert "$tmp/cut.cube" "$tmp/x.mt1"|cut.cube: line 6: the file ends before third grid axis
2|convert "$tmp/benzene.cube" "$tmp/x.txt"|must end in .mt1, .fou or .grd
2|convert "$tmp/benzene.cube" "$tmp/x.mt1" --box atoms:|--box takes
1|convert "$tmp/benzene.xyz" "$tmp/x.mt1"|unknown input format
2|convert "$tmp/benzene.cube"|give an input map and an output file
1|convert "$tmp/benzene.cube" "$tmp/keep.mt1" --scale 1000|outside the range -10000 to 10000
TABLE
check "nothing was written for failed inputs" test ! -e "$tmp/x.mt1"
check "the existing output is untouched" cmp -s "$tmp/benzene.mt1" "$tmp/keep.mt1"

printf 't\nt\n  1 0 0 0\n  2 1 0 0\n  2 0 1 0\n  2 0 0 1\n 17 0 0.5 0.5 0.5\n1 2 3 4 5 6 7 8\n' > "$tmp/cl.cube"
err="$("$eldmap" convert "$tmp/cl.cube" "$tmp/cl.grd" 2>&1)"
check ".grd warns when a name loses letters" contains "$err" "these names lose letters: Cl"
check ".grd keeps the first letter" grep -q '^Cl  ' "$tmp/cl.grd"
out="$("$eldmap" convert "$tmp/benzene.cube" "$tmp/scaled.mt1" --scale 6.748334)"
check "--scale multiplies the values" contains "$out" "density 1.46538e-12 to 633.474"
out="$("$eldmap" convert "$tmp/benzene.cube" "$tmp/capped.mt1" --scale 1000 --cap 10)"
check "--cap cuts the scaled values above it" contains "$out" "density 2.17147e-10 to 10"

# --- maps of other programs straight into every eldmap command: the CCP4 map
# (P 1 21/n 1) with its model as CIF, mmCIF and PDB, gzipped, and model errors ---
map="$real/paracetamol_hydrate_dencalc.ccp4"
note="$real/paracetamol_hydrate_dencalc.json"
models="${ELD_TEST_DATA:?}/models"

gzip -c "$map" > "$tmp/map.ccp4.gz"
for model in paracetamol_hydrate.cif paracetamol_hydrate.mmcif paracetamol_hydrate.pdb; do
  "$eldmap" info "$tmp/map.ccp4.gz" --model "$models/$model" --json > "$tmp/$model.json"
  check "$model: cell, space group, mean, rms, labels and fractional coordinates" \
    python3 - "$tmp/$model.json" "$note" <<'PY'
import json, sys
j, note = json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))
assert j["format"] == "ccp4" and j["space_group"] == "P 1 21/n 1", j["space_group"]
assert all(abs(a - b) < 1e-3 for a, b in zip(j["cell_parameters"], note["cell"])), j
assert abs(j["density_mean"] - note["data_stats"]["mean"]) < 1e-6, j["density_mean"]
assert abs(j["density_rms"] - note["data_stats"]["rms_about_mean"]) < 1e-6, j["density_rms"]
assert [a["label"] for a in j["atoms"]] == [a["name"] for a in note["atoms"]]
for a, b in zip(j["atoms"], note["atoms"]):
    assert all(abs(x - y) < 2e-4 for x, y in zip(a["fractional"], b["frac"])), (a, b)
assert len(j["bonds"]) > 20, len(j["bonds"])
PY
done

# A map in the viewer's own format: no space group, its own cell; a .grd has none.
"$eldmap" convert "$map" "$tmp/para.mt1" >/dev/null && "$eldmap" convert "$map" "$tmp/para.grd" >/dev/null 2>&1
out="$("$eldmap" info "$tmp/para.grd" --json)"
check ".grd: cell, space group and fractional coordinates are null" python3 -c "
import json, sys
j = json.loads(sys.argv[1])
assert j['cell_parameters'] is None and j['space_group'] is None, j
assert j['atoms'] == [] and j['density_rms'] > 0, j" "$out"
out="$("$eldmap" info "$tmp/para.mt1" --model "$models/paracetamol_hydrate.cif")"
check "a model on a .mt1 map: labels in the text report" contains "$out" '"O   "  "O1W"'
check "text report: space group" contains "$out" "space group  P 1 21/n 1"

for cmd in "surface" "contour -o $tmp/c.svg" "render -o $tmp/r.png --size 64x48" "pov -o $tmp/p.pov"; do
  # shellcheck disable=SC2086
  "$eldmap" $cmd "$map" --model "$models/paracetamol_hydrate.cif" >/dev/null 2>"$tmp/err"
  check "${cmd%% *} takes the CCP4 map and the CIF model" test $? -eq 0
done
check "pov: 23 atoms" test "$(grep -c 'sphere' "$tmp/p.pov")" -ge 23

# --- models that cannot be used: exit 1, a message naming the file, nothing written ---
mkdir "$tmp/folder.pdb"
printf 'data_x\n_cell_length_a 5\n' > "$tmp/empty.cif"
head -c 2000 "$map" > "$tmp/binary.pdb"
sed 's/ C$/OG/' "$models/paracetamol_hydrate.pdb" > "$tmp/og.pdb"
sed 's/  96.40 /  97.40 /' "$models/paracetamol_hydrate.pdb" > "$tmp/other.pdb"
expect_exits <<TABLE
1|convert "$map" "$tmp/out.fou" --model "$tmp/folder.pdb"|$tmp/folder.pdb
1|convert "$map" "$tmp/out.fou" --model "$tmp/empty.cif"|$tmp/empty.cif
1|convert "$map" "$tmp/out.fou" --model "$tmp/binary.pdb"|$tmp/binary.pdb
1|convert "$map" "$tmp/out.fou" --model "$tmp/og.pdb"|$tmp/og.pdb
1|convert "$tmp/none.ccp4" "$tmp/out.fou"|cannot open the map file '$tmp/none.ccp4': No such file or directory
0|info "$map" --model "$tmp/other.pdb"|eldmap: warning: $tmp/other.pdb: the model's cell
TABLE
check "nothing written for a model that cannot be used" test ! -e "$tmp/out.fou"
finish
