#!/usr/bin/python3
"""Times eldview's marching cubes against other implementations on the same
grids and levels, in the same run:

  - vtkFlyingEdges3D and vtkMarchingCubes (VTK 9, python3-vtk9), and
  - skimage.measure.marching_cubes (python3-skimage).

Grids: a 256^3 smooth density (a sum of Gaussian atoms) and a 128^3 uniform
noise grid, made with numpy and written as .mt1 maps, so eldmap reads exactly
the values the peers get. Our time is the extraction time that
`eldmap surface MAP --level V --json --repeat R` reports (the fastest of R
runs, store already allocated); the peers' times are the fastest of R calls of
their filters (normals, gradients and scalars off where they can be).

Our case table is the published one with the meaning of a set bit reversed, so
vtkFlyingEdges3D on the negated grid at the negated level must produce exactly
our triangle count; the table shows both. skimage (Lewiner's variant) resolves
ambiguous cubes differently, so its count differs slightly.

Usage: /usr/bin/python3 bench/peers.py [--eldmap PATH] [--repeat R] [--quick]
"""
import argparse
import glob
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "tools"))
import mt1_grid  # noqa: E402

STEP = 0.5


def find_eldmap(given):
    if given:
        return given
    if os.environ.get("ELD_BIN_DIR"):
        return os.path.join(os.environ["ELD_BIN_DIR"], "eldmap")
    found = sorted(glob.glob(os.path.join(HERE, "..", "build*", "bin", "eldmap")), key=os.path.getmtime)
    if not found:
        sys.exit("peers.py: no eldmap found; pass --eldmap PATH")
    return found[-1]


def best(fn, repeat):
    t = None
    result = None
    for _ in range(repeat):
        t0 = time.perf_counter()
        result = fn()
        dt = (time.perf_counter() - t0) * 1000.0
        t = dt if t is None or dt < t else t
    return t, result


def ours(eldmap, path, levels, repeat):
    args = [eldmap, "surface", path, "--json", "--repeat", str(repeat)]
    for level in levels:
        args += ["--level", repr(float(level))]
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    return [(s["milliseconds"], s["triangles"]) for s in json.loads(out)["surfaces"]]


def vtk_image(grid, sign):
    import vtk
    from vtk.util import numpy_support

    n1, n2, n3 = grid.shape
    img = vtk.vtkImageData()
    img.SetDimensions(n1, n2, n3)  # x = axis 1, fastest in VTK's memory
    img.SetSpacing(STEP, STEP, STEP)
    flat = np.ascontiguousarray((sign * grid).transpose(2, 1, 0)).ravel()
    arr = numpy_support.numpy_to_vtk(flat, deep=1)
    img.GetPointData().SetScalars(arr)
    return img


def vtk_filter(kind, img, value, repeat):
    import vtk

    f = vtk.vtkFlyingEdges3D() if kind == "fe" else vtk.vtkMarchingCubes()
    f.SetInputData(img)
    f.SetValue(0, value)
    f.ComputeNormalsOff()
    f.ComputeGradientsOff()
    f.ComputeScalarsOff()

    def run():
        f.Modified()
        f.Update()
        return f.GetOutput().GetNumberOfCells()

    return best(run, repeat)


def skimage_mc(grid, level, repeat):
    from skimage import measure

    def run():
        verts, faces, _n, _v = measure.marching_cubes(grid, level, spacing=(STEP,) * 3)
        return len(faces)

    return best(run, repeat)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--eldmap")
    ap.add_argument("--repeat", type=int, default=5)
    ap.add_argument("--quick", action="store_true", help="smaller grids (128^3 and 64^3)")
    a = ap.parse_args()
    eldmap = find_eldmap(a.eldmap)

    import vtk

    vtk.vtkSMPTools.Initialize(os.cpu_count() or 1)
    backend = vtk.vtkSMPTools.GetBackend()
    threads = vtk.vtkSMPTools.GetEstimatedNumberOfThreads()

    n_smooth, n_noise = (128, 64) if a.quick else (256, 128)
    cases = [
        ("smooth %d^3" % n_smooth, mt1_grid.smooth_grid(n_smooth, max(1, 500 * n_smooth ** 3 // 256 ** 3), 1), [1.0, 3.0, 5.0]),
        ("noise %d^3" % n_noise, mt1_grid.noise_grid(n_noise, 2), [0.99, 0.995]),
    ]
    print("eldmap: %s; VTK %s, SMP backend %s, %d threads" % (eldmap, vtk.vtkVersion.GetVTKVersion(), backend, threads))
    head = "%-12s %6s %8s %8s %8s | %8s %8s %8s %8s | %6s %6s %6s | %s" % (
        "grid", "level", "ours", "FE(-)", "skimage", "ours ms", "FE ms", "MC ms", "sk ms",
        "/FE", "/MC", "/sk", "ours ns/cube")
    print(head)
    print("-" * len(head))
    mismatches = 0
    with tempfile.TemporaryDirectory() as tmp:
        for name, grid, levels in cases:
            path = os.path.join(tmp, "grid.mt1")
            mt1_grid.write_mt1(path, grid, (0.0, 0.0, 0.0), (STEP, STEP, STEP))
            cubes = float(np.prod([n - 1 for n in grid.shape]))
            our = ours(eldmap, path, levels, a.repeat)
            neg = vtk_image(grid, -1.0)
            pos = vtk_image(grid, 1.0)
            for level, (our_ms, our_n) in zip(levels, our):
                level32 = float(np.float32(level))
                fe_ms, fe_n = vtk_filter("fe", neg, -level32, a.repeat)
                mc_ms, _mc_n = vtk_filter("mc", pos, level32, max(1, a.repeat // 2))
                sk_ms, sk_n = skimage_mc(grid, level32, max(1, a.repeat // 2))
                if fe_n != our_n:
                    mismatches += 1
                print("%-12s %6g %8d %8d %8d | %8.2f %8.2f %8.2f %8.2f | %6.2f %6.2f %6.2f | %.2f" % (
                    name, level, our_n, fe_n, sk_n, our_ms, fe_ms, mc_ms, sk_ms,
                    our_ms / fe_ms, our_ms / mc_ms, our_ms / sk_ms, our_ms * 1e6 / cubes))
    print("\n/FE, /MC, /sk: our time over the peer's (below 1 means we are faster).")
    print("FE(-): vtkFlyingEdges3D on the negated grid at the negated level.")
    if mismatches:
        print("triangle counts differ from vtkFlyingEdges3D in %d cases" % mismatches)
        return 1
    print("triangle counts agree with vtkFlyingEdges3D in every case")
    return 0


if __name__ == "__main__":
    sys.exit(main())
