#!/usr/bin/env bash
# eldmap surface and contour: JSON counts, the OBJ/PLY/STL files against each
# other and against the store order, welding, several levels in one file, the
# SVG contour map, errors that name the file, and the triangle counts against
# an independent marching-cubes implementation (VTK's).
. "$(dirname "$0")/lib.bash"
set -e
$py -c 'import numpy, vtk' || fail "numpy or VTK missing: run tools/install_deps.sh test"

map="$tmp/smooth.mt1"
$py -c "import mt1_grid as m; m.write_mt1('$map', m.smooth_grid(36, 12, 5), (-1.5, 2.25, 0.1), (0.5, 0.45, 0.55))"

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
import json, sys, numpy as np
t = sys.argv[1]
counts = [s["triangles"] for s in json.load(open(t + "/two.json"))["surfaces"]]
assert counts[0] > counts[1] > 0, counts

def obj(path):  # [[group, faces]], the faces' corners (n x 3 x 3), the v lines
    groups, verts, faces, kinds = [], [], [], ""
    for p in map(str.split, open(path)):
        kinds += p[0] if p and p[0] in "vf" else ""
        if p and p[0] == "o": groups.append([p[1], 0])
        elif p and p[0] == "v": verts.append(p[1:])
        elif p and p[0] == "f": faces.append(p[1:]); groups[-1][1] += 1
    f = np.array(faces, dtype=int) - 1
    return groups, np.array(verts, dtype=float).astype(np.float32)[f], len(verts), kinds, f

groups, flat, nv, kinds, f = obj(t + "/a.obj")
assert groups == [["level_1", counts[0]], ["level_2", counts[1]]], (groups, counts)
assert nv == 3 * sum(counts)
# Store order: every f line uses the three v lines just before it.
assert kinds == "vvvf" * sum(counts) and (f.ravel() == np.arange(nv)).all()
# A triangle lies in one cube: its corners are at most one grid step apart.
assert (np.ptp(flat, axis=1) <= np.array([0.5, 0.45, 0.55]) * 1.0001).all()
# Welding shares one vertex per grid edge; neighbouring cubes place it a few
# ulps apart, so the welded faces match the store's within that.
near = lambda a, b: a.shape == b.shape and np.abs(a - b).max() <= 1e-5
wgroups, welded, nw, _, _ = obj(t + "/w.obj")
assert wgroups == groups and near(welded, flat) and nw < nv / 3, (wgroups, nw, nv)

def ply(path):
    head, body = open(path, "rb").read().split(b"end_header\n", 1)
    h = head.decode().splitlines()
    nv, nf = (int(next(l for l in h if l.startswith("element " + e)).split()[2]) for e in ("vertex", "face"))
    faces = np.frombuffer(body, [("n", "u1"), ("i", "<u4", 3)], nf, 12 * nv)
    assert (faces["n"] == 3).all() and 12 * nv + 13 * nf == len(body)
    return np.frombuffer(body, "<f4", 3 * nv).reshape(-1, 3)[faces["i"]], nv, [l for l in h if l.startswith("comment level_")]
pf, pn, comments = ply(t + "/a.ply")
assert pf.shape == flat.shape and (pf == flat).all() and pn == nv, "PLY differs from OBJ"
assert comments[1].split()[4:7] == ["faces", str(counts[0]), "count"], comments
wf, wn, _ = ply(t + "/w.ply")
assert near(wf, flat) and wn == nw, "welded PLY differs"

data = open(t + "/a.stl", "rb").read()
n = int(np.frombuffer(data, "<u4", 1, 80)[0])
assert n == len(flat) and len(data) == 84 + 50 * n
rec = np.frombuffer(data, [("normal", "<f4", 3), ("v", "<f4", (3, 3)), ("level", "<u2")], n, 84)
assert (rec["v"] == flat).all() and (rec["level"] == np.repeat([1, 2], counts)).all()
c = np.cross(flat[:, 1] - flat[:, 0], flat[:, 2] - flat[:, 0])
assert np.allclose(rec["normal"], c / np.maximum(np.linalg.norm(c, axis=1, keepdims=True), 1e-30), atol=1e-5)
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
import sys, numpy as np, xml.etree.ElementTree as ET
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
# x1 y1 x2 y2 of every segment (the numbers are floats): in the frame, each within one square.
e = np.array([[l.get(k) for k in ("x1", "y1", "x2", "y2")] for l in lines[0] + lines[1]], float).astype(np.float32)
assert (e[:, 0::2] >= -1.5).all() and (e[:, 0::2] <= 16).all() and (e[:, 1::2] >= 2.25).all() and (e[:, 1::2] <= 18).all()
assert (abs(e[:, 0] - e[:, 2]) <= 0.5 + 1e-6).all() and (abs(e[:, 1] - e[:, 3]) <= 0.45 + 1e-6).all()
PY
"$bin/eldmap" contour "$map" -o "$tmp/d.svg" --section 36  # the last one
[ "$(grep -c '<g id="level_' "$tmp/d.svg")" = 3 ] && grep -q 'level_3" .*stroke="rgb(255,77,77)"' "$tmp/d.svg" ||
  fail "default contour levels"

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
# --level=V is --level V; --level N sigma is mean + N rms of the map.
$py - "$("$bin/eldmap" surface "$map" --level=2.5 --level 3sigma --level=-0.5sigma --json)" "$tmp/two.json" <<'PY' ||
import json, sys, numpy as np, mt1_grid
a, b = json.loads(sys.argv[1])["surfaces"], json.load(open(sys.argv[2]))["surfaces"]
assert a[0]["level"] == b[0]["level"] == 2.5 and a[0]["triangles"] == b[0]["triangles"], (a, b)
g = mt1_grid.smooth_grid(36, 12, 5).astype(np.float64)
want = [g.mean() + n * np.sqrt(((g - g.mean()) ** 2).mean()) for n in (3, -0.5)]
assert all(abs(s["level"] - w) <= 1e-4 * abs(w) for s, w in zip(a[1:], want)), (a, want)
PY
  fail "--level=V and sigma levels"

# No cap in batch work: a noise grid needs far more than the viewer's 400 000.
$py "$here/mt1_grid.py" noise 80 "$tmp/noise.mt1"
"$bin/eldmap" surface "$tmp/noise.mt1" --level 0.5 --json |
  $py -c 'import json,sys; n=json.load(sys.stdin)["surfaces"][0]["triangles"]; assert n > 400000, n' || fail "surface capped"

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
$py -c "import mt1_grid as m; m.write_mt1('$tmp/huge.mt1', m.smooth_grid(12, 3, 5), (0, 0, 0), (1e38, 1, 1))"
for o in x.obj x.ply x.stl c.svg s.pov; do
  cmd=surface; [ "$o" = c.svg ] && cmd=contour; [ "$o" = s.pov ] && cmd=pov
  "$bin/eldmap" $cmd "$tmp/huge.mt1" -o "$tmp/huge_$o" 2>/dev/null && fail "$o with inf written"
  [ ! -e "$tmp/huge_$o" ] || fail "$o with inf left behind"
done
odd="$tmp/$(printf 'na\nme\xe9\x1b[31m\x1f').mt1"
cp "$map" "$odd"
"$bin/eldmap" surface "$odd" --level 6 --json > "$tmp/odd.json"
"$bin/eldmap" surface "$odd" --level 6 -o "$tmp/odd.ply"
$py - "$tmp/odd.json" "$tmp/odd.ply" <<'PY' || fail "odd names"
import json, sys
j = json.loads(open(sys.argv[1], "rb").read().decode("utf-8"))
assert j["map"].endswith("na\nme\u00e9\x1b[31m\x1f.mt1"), j["map"]
head = open(sys.argv[2], "rb").read().split(b"end_header\n")[0].split(b"\n")
assert all(l.split()[0] in (b"ply", b"format", b"comment", b"element", b"property") for l in head[:-1]) and head[-1] == b"", head
PY
err="$("$bin/eldmap" info "$odd.none" 2>&1; "$bin/eldmap" info "$odd" | head -1)"
[[ "$err" != *[$'\x1b\x1f']* && "$err" == *'\x1B[31m\x1F'* ]] || fail "escape sequence echoed: $err"
finish
