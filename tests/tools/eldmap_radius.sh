#!/usr/bin/env bash
# eldmap --radius R [--centre-at X,Y,Z]: the surface and the contours are the
# whole map's triangles (segments) of the cubes (squares) whose centre lies
# within R of the centre (by default the grid's middle), in store order; found
# here from the whole map's output, each triangle placed in its cube by its
# centroid. render and pov take the same options; the usage errors.
. "$(dirname "$0")/lib.bash"
set -e

# Noise cuts nearly every cube; the grid's middle is a cube centre, so with
# R 1.5 cubes lie exactly at R (kept: within means <=).
map="$tmp/noise.mt1"
$py -c "import numpy as np, mt1_grid as m
m.write_mt1('$map', np.random.default_rng(4).random((14, 12, 10), dtype=np.float32), (-2, 1, 0.5), (0.5, 0.75, 1))"
run() { "$eldmap" surface "$map" --level 0.5 -o "$tmp/$1.obj" "${@:2}" &&
  "$eldmap" contour "$map" --section 4 --level 0.5 -o "$tmp/$1.svg" "${@:2}"; }
run whole
while read -r radius centre; do
  args=(--radius "$radius"); [ "$centre" = - ] || args+=(--centre-at "$centre")
  run part "${args[@]}"
  $py - "$tmp" "$radius" "$centre" <<'PY' || fail "${args[*]}"
import re, sys, numpy as np
t, r, c = sys.argv[1:]
o, s, n = np.array([-2, 1, 0.5]), np.array([0.5, 0.75, 1]), np.array([14, 12, 10])
centre = np.float32(o + (n - 1) / 2 * s if c == "-" else [float(x) for x in c.split(",")])
r = float(np.float32(r))
def read(name):
    obj = [l.split()[1:] for l in open(f"{t}/{name}.obj") if l.startswith("v ")]
    svg = re.findall(r'<line x1="(\S+)" y1="(\S+)" x2="(\S+)" y2="(\S+)"/>', open(f"{t}/{name}.svg").read())
    return np.float32(obj).reshape(-1, 3, 3), np.float32(svg).reshape(-1, 2, 2)
def within(shapes, axes, z=None):
    f = (shapes.astype(float).mean(1) - o[:axes]) / s[:axes]
    assert (abs(f - np.floor(f) - 0.5) < 0.5 - 1e-6).all(), "a shape on a cube face"
    mid = o[:axes] + (np.floor(f) + 0.5) * s[:axes]
    if z is not None: mid = np.c_[mid, np.full(len(mid), z)]
    d2 = ((mid - centre.astype(float)) ** 2).sum(1)
    assert c != "-" or r == 0 or (d2 == r * r).any(), "nothing exactly at R"
    return (d2 <= r * r) | (r == 0)
(tri, seg), (ptri, pseg) = read("whole"), read("part")
for whole, part, keep in ((tri, ptri, within(tri, 3)), (seg, pseg, within(seg, 2, 0.5 + 3))):
    assert np.array_equal(whole[keep], part), (len(whole), keep.sum(), len(part))
    assert r == 0 or 0 < len(part) < len(whole), (len(part), len(whole))
PY
done <<'TABLE'
1.5 -
2.5 -
2.5 0.3,2.2,3.1
0 -
TABLE

# render and pov draw only the region.
"$eldmap" pov "$map" -o "$tmp/whole.pov"
"$eldmap" pov "$map" -o "$tmp/part.pov" --radius 2 --centre-at 1,5,4
[ "$(wc -l < "$tmp/part.pov")" -lt "$(wc -l < "$tmp/whole.pov")" ] || fail "pov --radius"
"$eldmap" render "$map" -o "$tmp/whole.png" --size 80x60
"$eldmap" render "$map" -o "$tmp/part.png" --size 80x60 --radius 2
cmp -s "$tmp/whole.png" "$tmp/part.png" && fail "render --radius"

expect_exits <<TABLE
2|surface "$map" --radius -1|--radius
2|contour "$map" -o "$tmp/x.svg" --radius nan|--radius
2|render "$map" -o "$tmp/x.png" --radius=inf|--radius
2|pov "$map" -o "$tmp/x.pov" --radius 1e40|--radius
2|surface "$map" --radius|--radius
2|surface "$map" --centre-at 1,2,3|--radius
2|surface "$map" --radius 2 --centre-at 1,2|--centre-at
2|surface "$map" --radius 2 --centre-at 1,2,3,4|--centre-at
2|surface "$map" --radius 2 --centre-at 1,,3|--centre-at
2|surface "$map" --radius 2 --centre-at=-1,2,x|--centre-at
TABLE
finish
