#!/usr/bin/env bash
# eldmap info end to end: one small grid written as .mt1, .fou and .grd, its
# JSON and text reports, bonds from the shipped atompar2.txt, and the errors.
. "$(dirname "$0")/lib.bash"

# A 3 x 2 x 2 grid, value(i1,i2,i3) = i1*100 + i2*10 + i3 - 150; cell a=10,
# b=10, c=10 (diagonal matrix), shift 0; atoms C (0,0,0), C (0.154,0,0) and
# O (0.154,0.123,0): bonds C-C and C-O, not C...O.
python3 - "$tmp" <<'PY'
import struct, sys
d = sys.argv[1]
n = (3, 2, 2)
val = lambda i1, i2, i3: i1 * 100 + i2 * 10 + i3 - 150.0
atoms = [("C", 0.0, 0.0, 0.0), ("C", 0.154, 0.0, 0.0), ("O", 0.154, 0.123, 0.0)]
m = [10, 0, 0, 0, 10, 0, 0, 0, 10]
b = bytearray(b"\xee" * 38)
b += struct.pack("<9f", *m) + struct.pack("<3f", 0, 0, 0) + b"\xee" * 6
b += struct.pack("<6f", 10, 10, 10, 90, 90, 90) + b"\xee" * 6
for a in range(3):
    b += struct.pack("<4f", 0.5 * a, 1.0, 0, 0)
b += b"\xee" * 6 + struct.pack("<3i", *n)
for i3 in range(1, n[2] + 1):
    b += b"\xee" * (10 if i3 == 1 else 14)
    for i1 in range(1, n[0] + 1):
        for i2 in range(1, n[1] + 1):
            b += struct.pack("<f", val(i1, i2, i3))
b += b"\xee" * 6 + struct.pack("<2i", len(atoms), 14)
for name, x, y, z in atoms:
    b += b"\xee\xee" + name.ljust(4).encode() + struct.pack("<3f", 0, 0, 0)
    b += struct.pack("<3f", x, y, z) + struct.pack("<7f", *([0] * 7))
open(d + "/small.mt1", "wb").write(b)

t = "title\ntitle\n" + " ".join(map(str, m)) + " 0 0 0  cell\n10 10 10 90 90 90 cell\n"
for a in range(3):
    t += "%g, 1.0, 0, 0 axis\n" % (0.5 * a)
t += "%d %d %d\n" % n
for i3 in range(1, n[2] + 1):
    t += "section\n%d\n" % i3
    for i1 in range(1, n[0] + 1):
        t += " ".join("%g" % val(i1, i2, i3) for i2 in range(1, n[1] + 1)) + "\n"
t += "atoms\n%d 14\n" % len(atoms)
for name, x, y, z in atoms:
    t += "%s\n0 0 0 %g %g %g 0 0 0 0 0 0 0\n" % (name, x, y, z)
open(d + "/small.fou", "w").write(t)

g = "t1\nt2\nt3\nt4\n%d %d %d\n0 0 0\n2 1 1\nnext\n%d\n" % (n + (len(atoms),))
for name, x, y, z in atoms:
    g += name.ljust(9) + "%9.4f %9.4f %9.4f\n" % (x * 10, y * 10, z * 10)
g += "v\nv\nv\n"
for i3 in range(1, n[2] + 1):
    for i2 in range(1, n[1] + 1):
        g += " ".join("%g" % val(i1, i2, i3) for i1 in range(1, n[0] + 1)) + "\n"
open(d + "/small.grd", "w").write(g)
PY

for ext in mt1 fou grd; do
  out="$("$eldmap" info "$tmp/small.$ext" --json)"
  check "info $ext exits 0" test $? -eq 0
  echo "$out" > "$tmp/$ext.json"
  check "$ext: JSON with the grid, range, atoms and bonds" python3 - "$tmp/$ext.json" "$ext" <<'PY'
import json, sys
j = json.load(open(sys.argv[1]))
ext = sys.argv[2]
assert j["format"] == ext, j["format"]
assert j["grid_points"] == [3, 2, 2], j["grid_points"]
assert j["density_min"] == 111 - 150 and j["density_max"] == 322 - 150, j
assert [a["name"] for a in j["atoms"]] == ["C   ", "C   ", "O   "], j["atoms"]
assert [a["type"] for a in j["atoms"]] == [6, 6, 8], j["atoms"]
assert j["bonds"] == [[1, 2], [2, 3]], j["bonds"]
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
check "text report: grid" contains "$out" "grid points  3 x 2 x 2"
check "text report: density" contains "$out" "density      -39 to 172"
check "text report: bond list" contains "$out" "bonds        2"
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
1|info "$tmp/big.fou"|ELD > 10000
1|info "$tmp/unknown.fou"|Xx
1|info "$tmp/text.fou"|text.fou: line 8: text where a number is expected
TABLE
check "ELD > 10000 message" test "$("$eldmap" info "$tmp/big.fou" 2>&1)" = "eldmap: Your input data looks strange, ELD > 10000"
check "unknown atom name message" test "$("$eldmap" info "$tmp/unknown.fou" 2>&1)" = "eldmap: I do not know this atom name: Xx  "
finish
