#!/usr/bin/env bash
# Maps of other programs straight into every eldmap command: the real
# paracetamol hydrate CCP4 map (P 1 21/n 1) with its model as CIF, mmCIF and
# PDB (tests/data/models), gzipped, and the errors a model can give.
. "$(dirname "$0")/lib.bash"
map="$real/paracetamol_hydrate_dencalc.ccp4"
note="$real/paracetamol_hydrate_dencalc.json"
models="${ELD_TEST_DATA:?}/models"

gzip -c "$map" > "$tmp/map.ccp4.gz"
for model in paracetamol_hydrate.cif paracetamol_hydrate.mmcif paracetamol_hydrate.pdb; do
  "$eldmap" info "$tmp/map.ccp4.gz" --model "$models/$model" --json > "$tmp/$model.json"
  check "info --json on the gzipped map with $model" test $? -eq 0
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
