#!/usr/bin/env python3
"""Writes density grids as the viewer's .mt1 (binary) and .fou (text) maps, so
that other programs can be run on exactly the grid eldmap reads. Needs numpy.
values[i1 - 1, i2 - 1, i3 - 1] is grid point (i1, i2, i3); atoms are (name, x, y,
z), fractional. As a program (the maps of the tests, see __main__):
    mt1_grid.py smooth|noise N OUT.mt1 | blob OUT.fou [ATOMPAR2] | ellipsoid OUT.fou [ZC]
"""
import itertools
import math
import struct
import sys

import numpy as np

IDENTITY = (1, 0, 0, 0, 1, 0, 0, 0, 1)


def write_mt1(path, values, origin=(0, 0, 0), step=(1, 1, 1), matrix=IDENTITY,
              cell=(1, 1, 1), atoms=(), fill=0):
    """fill is the byte written into the record markers, which readers skip."""
    v = np.asarray(values, dtype="<f4")
    f = bytes([fill])
    head = bytearray(f * 188)
    struct.pack_into("<9f3f", head, 38, *matrix, 0, 0, 0)
    struct.pack_into("<6f", head, 92, *cell, 90, 90, 90)
    for a in range(3):
        struct.pack_into("<4f", head, 122 + 16 * a, origin[a], step[a], 0, 0)
    struct.pack_into("<3i", head, 176, *v.shape)
    with open(path, "wb") as out:
        out.write(head)
        for k in range(v.shape[2]):
            out.write(f * (10 if k == 0 else 14))
            out.write(np.ascontiguousarray(v[:, :, k]).tobytes())  # axis 2 fastest
        out.write(f * 6 + struct.pack("<ii", len(atoms), 14))
        for name, x, y, z in atoms:
            out.write(f * 2 + name.ljust(4).encode() + struct.pack("<13f", 0, 0, 0, x, y, z, *[0] * 7))


def write_fou(path, values, origin=(0, 0, 0), step=(1, 1, 1), matrix=IDENTITY, cell=(1, 1, 1),
              atoms=(), fmt="%.5f", eol="\n"):
    v = np.asarray(values)
    out = ["test map", "written by the tests", " ".join(map(str, matrix)) + " 0 0 0  cell",
           "%g %g %g 90 90 90  cell" % tuple(cell)]
    out += ["%g %g 0 0  axis %d" % (origin[a], step[a], a + 1) for a in range(3)]
    out.append("%d %d %d" % v.shape)
    for k in range(v.shape[2]):
        vals = [fmt % x for x in v[:, :, k].ravel()]  # axis 2 fastest
        out += [" section", str(k + 1)] + [" ".join(vals[i:i + 10]) for i in range(0, len(vals), 10)]
    out += [" atoms", "%d 14" % len(atoms)]
    for name, x, y, z in atoms:
        out += [name, "0 0 0 %.4f %.4f %.4f 0 0 0 0 0 0 0" % (x, y, z)]
    with open(path, "w", newline="") as f:
        f.write(eol.join(out) + eol)


def gaussians(n, origin, step, blobs):
    """n^3 points from origin; blobs (height, centre, widths) add h exp(-|(x - c) / w|^2 / 2)."""
    g = np.zeros((n, n, n))
    for h, c, w in blobs:
        d = [((origin[a] + step * np.arange(n) - c[a]) / w[a]) ** 2 for a in range(3)]
        g += h * np.exp(-(d[0][:, None, None] + d[1][None, :, None] + d[2][None, None, :]) / 2)
    return g


def atom_names(path):
    """The names of an atompar2.txt table, up to the first row numbered below 1."""
    numbered = lambda line: (d := line[0:3].replace(" ", "")).isdigit() and int(d) >= 1
    rows = open(path, encoding="latin-1").read().splitlines()[1:]
    return [line[33:37].rstrip(" ") for line in itertools.takewhile(numbered, rows)]


def smooth_grid(n, atoms, seed):
    """A sum of Gaussian atoms of peak 10 at random places."""
    rng = np.random.default_rng(seed)
    grid = np.zeros((n, n, n), dtype=np.float32)
    idx = np.arange(n, dtype=np.float32)
    for _ in range(atoms):
        c = rng.random(3) * n
        sigma = 1.2 + 1.8 * rng.random()
        r = int(np.ceil(4 * sigma))
        box = tuple(slice(max(0, int(c[d]) - r), min(n, int(c[d]) + r + 1)) for d in range(3))
        x, y, z = ((idx[box[d]] - c[d]) ** 2 for d in range(3))
        r2 = x[:, None, None] + y[None, :, None] + z[None, None, :]
        grid[box] += (10.0 * np.exp(-r2 / (2 * sigma * sigma))).astype(np.float32)
    return grid


def noise_grid(n, seed):
    return np.random.default_rng(seed).random((n, n, n), dtype=np.float32)


if __name__ == "__main__":
    kind, args = sys.argv[1], sys.argv[2:]
    # blob: 13^3 points from -3 (step 0.5), blobs of 10 at the origin and 3 at
    # (1.2, 0, 0), atoms C and O there, CR LF lines; with ATOMPAR2 one atom of
    # every name in it, along a line. ellipsoid: 20^3 points (step 0.3) round
    # (0, 0, ZC), a blob of 10 with widths 0.8, 1.3, 0.8, no atoms.
    if kind == "blob":
        atoms = [("C", 0, 0, 0), ("O", 1.2, 0, 0)]
        if len(args) > 1:
            names = atom_names(args[1])
            atoms = [(a, -2.5 + 5.0 * k / max(1, len(names) - 1), 2, 0) for k, a in enumerate(names)]
        blobs = [(10, (0, 0, 0), (1, 1, 1)), (3, (1.2, 0, 0), (math.sqrt(0.5),) * 3)]
        write_fou(args[0], gaussians(13, (-3, -3, -3), 0.5, blobs), (-3,) * 3, (0.5,) * 3,
                  cell=(10, 10, 10), atoms=atoms, eol="\r\n")
    elif kind == "ellipsoid":
        zc, h = float(args[1]) if len(args) > 1 else 2.5, 19 * 0.3 / 2
        o = (-h, -h, zc - h)
        write_fou(args[0], gaussians(20, o, 0.3, [(10, (0, 0, zc), (0.8, 1.3, 0.8))]), o, (0.3,) * 3)
    else:
        n = int(args[0])
        g = smooth_grid(n, max(1, n * n * n // 33000), 1) if kind == "smooth" else noise_grid(n, 2)
        write_mt1(args[1], g, (0.0, 0.0, 0.0), (0.5, 0.5, 0.5))
