#!/usr/bin/env bash
# eldmap info end to end: one small grid written as .mt1, .fou and .grd, its
# JSON and text reports, bonds from the shipped atompar2.txt, and the errors.
. "$(dirname "$0")/lib.bash"

# A 3 x 2 x 2 grid, value(i1,i2,i3) = i1*100 + i2*10 + i3 - 150; cell a=10,
# b=10, c=10 (diagonal matrix), shift 0; atoms C (0,0,0), C (0.154,0,0) and
# O (0.154,0.123,0): bonds C-C and C-O, not C...O.
$py - "$tmp" <<'PY'
import sys, numpy as np, mt1_grid as m
d = sys.argv[1]
n = (3, 2, 2)
v = np.fromfunction(lambda i1, i2, i3: (i1 + 1) * 100 + (i2 + 1) * 10 + i3 + 1 - 150.0, n)
atoms = [("C", 0.0, 0.0, 0.0), ("C", 0.154, 0.0, 0.0), ("O", 0.154, 0.123, 0.0)]
grid = dict(origin=(0, 0.5, 1), matrix=(10, 0, 0, 0, 10, 0, 0, 0, 10), cell=(10, 10, 10), atoms=atoms)
m.write_mt1(d + "/small.mt1", v, fill=0xEE, **grid)  # the record markers are skipped
m.write_fou(d + "/small.fou", v, fmt="%g", **grid)
g = "t1\nt2\nt3\nt4\n%d %d %d\n0 0 0\n2 1 1\nnext\n%d\n" % (n + (len(atoms),))
g += "".join(name.ljust(9) + "%9.4f %9.4f %9.4f\n" % (x * 10, y * 10, z * 10) for name, x, y, z in atoms)
g += "v\nv\nv\n" + "".join(" ".join("%g" % x for x in v[:, i2, i3]) + "\n"
                          for i3 in range(n[2]) for i2 in range(n[1]))
open(d + "/small.grd", "w").write(g)
PY

for ext in mt1 fou grd; do
  "$eldmap" info "$tmp/small.$ext" --json > "$tmp/$ext.json"
  check "$ext: JSON with the grid, range, atoms and bonds" python3 - "$tmp/$ext.json" "$ext" <<'PY'
import json, sys
j = json.load(open(sys.argv[1]))
ext = sys.argv[2]
assert [j[k] for k in ("format", "grid_points", "density_min", "density_max", "bonds")] == \
    [ext, [3, 2, 2], 111 - 150, 322 - 150, [[1, 2], [2, 3]]], j
assert [(a["name"], a["label"], a["type"]) for a in j["atoms"]] == [("C   ", "C", 6), ("C   ", "C", 6), ("O   ", "O", 8)]
assert len(j["cell_corners"]) == 8 and len(j["cell_matrix"]) == 3
if ext == "grd":
    # Box 2 x 1 x 1 centred on (0, 0, 0): steps E/(N-1), shift -E/2.
    assert j["step"] == [1, 1, 1] and j["origin"] == [0, 0, 0], j
    assert j["cell_shift"] == [-1, -0.5, -0.5], j["cell_shift"]
    assert abs(j["atoms"][1]["position"][0] - 2.54) < 1e-5, j["atoms"][1]
else:
    assert j["origin"] == [0, 0.5, 1] and j["step"] == [1, 1, 1], j
    assert j["cell_corners"][6] == [10, 10, 10], j["cell_corners"]
    assert abs(j["atoms"][2]["position"][1] - 1.23) < 1e-5, j["atoms"][2]
PY
done

out="$("$eldmap" info "$tmp/small.fou")"
for line in "grid points  3 x 2 x 2" "density      -39 to 172" "bonds        2"; do
  check "text report: $line" contains "$out" "$line"
done
check "--help" contains "$("$eldmap" info --help)" "usage: eldmap info MAP [--model MODEL] [--json]"

# --- errors: stderr "eldmap: MESSAGE", status 1 ---
sed 's/^172$/10000.5/; s/ 172$/ 10000.5/' "$tmp/small.fou" > "$tmp/big.fou"
sed 's/^O$/Xx/' "$tmp/small.fou" > "$tmp/unknown.fou"
head -c 100 "$tmp/small.mt1" > "$tmp/cut.mt1"
sed 's/^3 2 2$/3 2x 2/' "$tmp/small.fou" > "$tmp/text.fou"
expect_exits <<TABLE
1|info "$tmp/none.mt1"|eldmap: cannot open the map file '$tmp/none.mt1'
1|info "$tmp/cut.mt1"|eldmap: $tmp/cut.mt1: the file ends early
1|info "$tmp/small.Mt1"|
1|info "$tmp/big.fou"|eldmap: Your input data looks strange, ELD > 10000
1|info "$tmp/unknown.fou"|eldmap: I do not know this atom name: Xx  
1|info "$tmp/text.fou"|text.fou: line 8: text where a number is expected
TABLE
finish
