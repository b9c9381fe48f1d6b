#!/usr/bin/env bash
# eldmap surface and contour: JSON counts, the OBJ/PLY/STL files against each
# other and against the store order, welding, several levels in one file, the
# SVG contour map, errors that name the file, and the triangle counts against
# an independent marching-cubes implementation (VTK's).
. "$(dirname "$0")/lib.bash"
set -e
$py -c 'import numpy, vtk' || fail "numpy or VTK missing: run tools/install_deps.sh test"

$py - "$tmp/smooth.mt1" <<'PY'
import sys, mt1_grid
mt1_grid.write_mt1(sys.argv[1], mt1_grid.smooth_grid(36, 12, 5), (-1.5, 2.25, 0.1), (0.5, 0.45, 0.55))
PY
map="$tmp/smooth.mt1"

# Default levels: the three layer limits, each with some triangles.
"$bin/eldmap" surface "$map" --json > "$tmp/default.json"
$py - "$tmp/default.json" <<'PY' || fail "default levels"
import json, sys
d = json.load(open(sys.argv[1]))["surfaces"]
assert len(d) == 3, d
assert d[0]["level"] < d[1]["level"] < d[2]["level"], d
assert all(s["triangles"] > 0 and s["milliseconds"] >= 0 for s in d), d
assert d[0]["triangles"] > d[2]["triangles"], d
PY

"$bin/eldmap" surface "$map" --level 2.5 --level 6 --json > "$tmp/two.json"
for out in a.obj w.obj a.ply w.ply a.stl; do
  weld=(); [ "${out:0:1}" = w ] && weld=(--weld)
  "$bin/eldmap" surface "$map" --level 2.5 --level 6 -o "$tmp/$out" "${weld[@]}"
done

$py - "$tmp" <<'PY' || fail "mesh files"
import json, struct, sys
t = sys.argv[1]
counts = [s["triangles"] for s in json.load(open(t + "/two.json"))["surfaces"]]
assert counts[0] > counts[1] > 0, counts

def obj(path):
    groups, verts, cur = [], [], None
    for line in open(path):
        p = line.split()
        if not p or p[0] == "#": continue
        if p[0] == "o": cur = []; groups.append((p[1], cur))
        elif p[0] == "v": verts.append(tuple(struct.unpack("<f", struct.pack("<f", float(x)))[0] for x in p[1:]))
        elif p[0] == "f": cur.append(tuple(verts[int(i) - 1] for i in p[1:]))
    return groups, len(verts)

plain, nv = obj(t + "/a.obj")
assert [g[0] for g in plain] == ["level_1", "level_2"], [g[0] for g in plain]
assert [len(g[1]) for g in plain] == counts, ([len(g[1]) for g in plain], counts)
assert nv == 3 * sum(counts)
# Store order: every f line uses the three v lines just before it.
lines = [l for l in open(t + "/a.obj") if l[0] in "vf"]
for k in range(0, len(lines), 4):
    n = k // 4 * 3
    assert lines[k + 3].split() == ["f", str(n + 1), str(n + 2), str(n + 3)], lines[k + 3]
# A triangle lies in one cube: its corners are at most one grid step apart.
steps = (0.5, 0.45, 0.55)
for _, faces in plain:
    for f in faces:
        for a in range(3):
            c = [p[a] for p in f]
            assert max(c) - min(c) <= steps[a] * 1.0001, f
# Welding shares one vertex per grid edge; neighbouring cubes place it a few
# ulps apart, so the welded faces match the store's within that.
def near(fa, fb):
    return len(fa) == len(fb) and all(abs(x - y) <= 1e-5 for ta, tb in zip(fa, fb)
                                      for pa, pb in zip(ta, tb) for x, y in zip(pa, pb))
welded, nw = obj(t + "/w.obj")
assert all(near(w[1], p[1]) for w, p in zip(welded, plain)), "welded faces differ"
assert nw < nv / 3, (nw, nv)

def ply(path):
    data = open(path, "rb").read()
    head, body = data.split(b"end_header\n", 1)
    h = head.decode().splitlines()
    nvert = int([l for l in h if l.startswith("element vertex")][0].split()[2])
    nface = int([l for l in h if l.startswith("element face")][0].split()[2])
    vs = [struct.unpack_from("<3f", body, 12 * i) for i in range(nvert)]
    off = 12 * nvert
    faces = []
    for i in range(nface):
        n, a, b, c = struct.unpack_from("<BIII", body, off + 13 * i)
        assert n == 3
        faces.append((vs[a], vs[b], vs[c]))
    assert off + 13 * nface == len(body)
    return faces, nvert, [l for l in h if l.startswith("comment level_")]
flat = [f for g in plain for f in g[1]]
pf, pn, comments = ply(t + "/a.ply")
assert pf == flat and pn == 3 * len(flat), "PLY differs from OBJ"
assert comments[1].split()[4:7] == ["faces", str(counts[0]), "count"], comments
wf, wn, _ = ply(t + "/w.ply")
assert near(wf, flat) and wn == nw, "welded PLY differs"

data = open(t + "/a.stl", "rb").read()
(n,) = struct.unpack_from("<I", data, 80)
assert n == len(flat) and len(data) == 84 + 50 * n
for i in range(n):
    rec = struct.unpack_from("<12fH", data, 84 + 50 * i)
    tri = (tuple(rec[3:6]), tuple(rec[6:9]), tuple(rec[9:12]))
    assert tri == flat[i], i
    assert rec[12] == (1 if i < counts[0] else 2)
PY

# The same counts as an independent implementation: VTK's flying edges uses the
# published case table, whose bits mean "below", so it runs on the negated grid.
$py - "$tmp/two.json" <<'PY' || fail "VTK counts"
import json, sys, numpy as np, mt1_grid, vtk
from vtk.util import numpy_support
g = mt1_grid.smooth_grid(36, 12, 5)
img = vtk.vtkImageData(); img.SetDimensions(*g.shape)
img.GetPointData().SetScalars(numpy_support.numpy_to_vtk(np.ascontiguousarray(-g.transpose(2, 1, 0)).ravel(), deep=1))
for s in json.load(open(sys.argv[1]))["surfaces"]:
    fe = vtk.vtkFlyingEdges3D(); fe.SetInputData(img); fe.SetValue(0, -s["level"]); fe.Update()
    assert fe.GetOutput().GetNumberOfCells() == s["triangles"], (s, fe.GetOutput().GetNumberOfCells())
PY

# Contour map of section 7 at two levels.
"$bin/eldmap" contour "$map" --section 7 --level 2.5 --level 6 -o "$tmp/c.svg"
$py - "$tmp/c.svg" <<'PY' || fail "contour SVG"
import struct, sys, xml.etree.ElementTree as ET
ns = {"s": "http://www.w3.org/2000/svg"}
root = ET.parse(sys.argv[1]).getroot()
scene = root.find("s:g", ns)
assert scene.get("transform") == "scale(1,-1)"
frame = scene.find("s:rect", ns)
assert [float(frame.get(k)) for k in ("x", "y")] == [-1.5, 2.25]
assert abs(float(frame.get("width")) - 17.5) < 1e-5 and abs(float(frame.get("height")) - 15.75) < 1e-5
levels = scene.findall("s:g", ns)
assert [g.get("id") for g in levels] == ["level_1", "level_2"]
assert levels[0].get("stroke") == "rgb(51,230,51)" and levels[1].get("stroke") == "rgb(102,102,255)"
lines = [g.findall("s:line", ns) for g in levels]
assert len(lines[0]) > len(lines[1]) > 0
f32 = lambda v: struct.unpack("<f", struct.pack("<f", float(v)))[0]  # numbers are floats
for l in lines[0] + lines[1]:
    x1, y1, x2, y2 = (f32(l.get(k)) for k in ("x1", "y1", "x2", "y2"))
    assert -1.5 <= min(x1, x2) and max(x1, x2) <= 16.0 and 2.25 <= min(y1, y2) and max(y1, y2) <= 18.0
    assert abs(x1 - x2) <= 0.5 + 1e-6 and abs(y1 - y2) <= 0.45 + 1e-6
PY
"$bin/eldmap" contour "$map" -o "$tmp/d.svg"
[ "$(grep -c '<g id="level_' "$tmp/d.svg")" = 3 ] || fail "default contour levels"

# Usage errors exit 2 before any work, errors in the work exit 1; outputs that
# are the input (also through a link) or have unknown extensions are refused.
ln -s "$map" "$tmp/link.obj"; ln "$map" "$tmp/hard.svg"; cp "$map" "$tmp/orig.mt1"
expect_exits <<TABLE
2|surface "$map" -o "$tmp/x.vrml"|must end in .obj, .ply or .stl
2|render "$map" -o "$tmp/x.jpg"|must end in .tga or .png
2|contour "$map" -o "$tmp/c.png"|must end in .svg
2|surface "$map" --level 2 -o "$tmp/link.obj"|itself
2|contour "$map" -o "$tmp/hard.svg"|itself
2|convert "$map" "$tmp/x.mt1" --cap 0|--cap needs a positive number
2|surface "$map" --level abc|--level
2|surface "$map" --bogus|--bogus
2|info|no map given
1|surface "$tmp/none.mt1" -o "$tmp/x.obj"|none.mt1
1|surface "$map" -o "$tmp/no/dir/x.obj"|no/dir/x.obj
1|contour "$map" --section 99 -o "$tmp/e.svg"|outside 1..36
1|surface "$map" --level 2 --max-triangles 100|more than 100 triangles
TABLE
cmp -s "$map" "$tmp/orig.mt1" || fail "the map was overwritten"
version="$(sed -n 's/^project(eldview VERSION \([0-9.]*\).*/\1/p' "${ELD_SOURCE_DIR:?}/CMakeLists.txt")"
[ "$("$bin/eldmap" --version)" = "eldmap $version" ] || fail "--version is not the project's $version"
$py - "$("$bin/eldmap" surface "$map" --level=2.5 --json)" "$(cat "$tmp/two.json")" <<'PY' || fail "--level=V"
import json, sys
a, b = (json.loads(x)["surfaces"][0] for x in sys.argv[1:])
assert a["level"] == b["level"] == 2.5 and a["triangles"] == b["triangles"], (a, b)
PY
# --level N sigma is mean + N rms of the map.
$py - "$("$bin/eldmap" surface "$map" --level 3sigma --level=-0.5sigma --json)" <<'PY' || fail "sigma levels"
import json, sys, numpy as np, mt1_grid
g = mt1_grid.smooth_grid(36, 12, 5).astype(np.float64)
want = [g.mean() + n * np.sqrt(((g - g.mean()) ** 2).mean()) for n in (3, -0.5)]
got = [s["level"] for s in json.loads(sys.argv[1])["surfaces"]]
assert all(abs(a - b) <= 1e-4 * abs(b) for a, b in zip(got, want)), (got, want)
PY

# No cap in batch work: a noise grid needs far more than the viewer's 400 000.
$py "$here/mt1_grid.py" noise 80 "$tmp/noise.mt1"
"$bin/eldmap" surface "$tmp/noise.mt1" --level 0.5 --json > "$tmp/noise.json"
$py -c 'import json,sys; n=json.load(open(sys.argv[1]))["surfaces"][0]["triangles"]; assert n > 400000, n' \
  "$tmp/noise.json" || fail "surface capped"

# Welded meshes of a real map are watertight: every side of every triangle is
# shared by exactly two triangles (the molecule keeps off the grid's border).
"$bin/eldmap" surface "${ELD_SOURCE_DIR:?}/data/examples/benzene.mt1" --level 0.5 --weld \
  -o "$tmp/real.obj"
$py - "$tmp/real.obj" <<'PY' || fail "welded real map"
import collections, sys
sides = collections.Counter()
for l in open(sys.argv[1]):
    if l.startswith("f "):
        v = [int(x) for x in l.split()[1:]]
        sides.update(tuple(sorted((v[c], v[(c + 1) % 3]))) for c in range(3))
assert len(sides) > 1000 and set(sides.values()) == {2}, collections.Counter(sides.values())
PY

# Only valid files: no inf in any writer (a grid whose extent overflows float),
# names made safe in the PLY header, JSON and on the terminal.
$py - "$tmp/huge.mt1" <<'PY'
import sys, mt1_grid
mt1_grid.write_mt1(sys.argv[1], mt1_grid.smooth_grid(12, 3, 5), (0, 0, 0), (1e38, 1, 1))
PY
for o in x.obj x.ply x.stl c.svg s.pov; do
  cmd=surface; [ "$o" = c.svg ] && cmd=contour; [ "$o" = s.pov ] && cmd=pov
  "$bin/eldmap" $cmd "$tmp/huge.mt1" -o "$tmp/huge_$o" 2>/dev/null && fail "$o with inf written"
  [ ! -e "$tmp/huge_$o" ] || fail "$o with inf left behind"
done
odd="$tmp/$(printf 'na\nme\xe9\x1b[31m').mt1"
cp "$map" "$odd"
"$bin/eldmap" surface "$odd" --level 6 --json > "$tmp/odd.json"
"$bin/eldmap" surface "$odd" --level 6 -o "$tmp/odd.ply"
$py - "$tmp/odd.json" "$tmp/odd.ply" <<'PY' || fail "odd names"
import json, sys
j = json.loads(open(sys.argv[1], "rb").read().decode("utf-8"))
assert j["map"].endswith("na\nme\u00e9\x1b[31m.mt1"), j["map"]
head = open(sys.argv[2], "rb").read().split(b"end_header\n")[0].split(b"\n")
assert all(l.split()[0] in (b"ply", b"format", b"comment", b"element", b"property") for l in head[:-1]) and head[-1] == b"", head
PY
err="$("$bin/eldmap" info "$odd.none" 2>&1; "$bin/eldmap" info "$odd" | head -1)"
[[ "$err" != *$'\x1b'* && "$err" == *'\x1B[31m'* ]] || fail "escape sequence echoed: $err"
finish
