#!/usr/bin/env python3
"""Writes a density grid as a .mt1 map (identity cell, no atoms), so that other
programs can be run on exactly the grid eldmap reads. Needs numpy.

    write_mt1(path, values, origin=(0, 0, 0), step=(1, 1, 1))

values has shape (N1, N2, N3): values[i1 - 1, i2 - 1, i3 - 1] is grid point
(i1, i2, i3). Also grids used by the tests and benchmarks:
    smooth_grid(n, atoms, seed)  a sum of Gaussian atoms, peak 10
    noise_grid(n, seed)          uniform noise in [0, 1)
"""
import struct

import numpy as np


def write_mt1(path, values, origin=(0.0, 0.0, 0.0), step=(1.0, 1.0, 1.0)):
    v = np.asarray(values, dtype="<f4")
    n1, n2, n3 = v.shape
    head = bytearray(188)
    struct.pack_into("<9f", head, 38, 1, 0, 0, 0, 1, 0, 0, 0, 1)
    struct.pack_into("<3f", head, 74, 0, 0, 0)
    struct.pack_into("<6f", head, 92, 1, 1, 1, 90, 90, 90)
    for a in range(3):
        struct.pack_into("<4f", head, 122 + 16 * a, origin[a], step[a], 0, 0)
    struct.pack_into("<3i", head, 176, n1, n2, n3)
    with open(path, "wb") as f:
        f.write(head)
        for k in range(n3):
            f.write(bytes(10 if k == 0 else 14))
            f.write(np.ascontiguousarray(v[:, :, k]).tobytes())  # axis 2 fastest
        f.write(bytes(6))
        f.write(struct.pack("<ii", 0, 14))


def smooth_grid(n, atoms, seed):
    rng = np.random.default_rng(seed)
    grid = np.zeros((n, n, n), dtype=np.float32)
    idx = np.arange(n, dtype=np.float32)
    for _ in range(atoms):
        c = rng.random(3) * n
        sigma = 1.2 + 1.8 * rng.random()
        r = int(np.ceil(4 * sigma))
        lo = [max(0, int(c[d]) - r) for d in range(3)]
        hi = [min(n, int(c[d]) + r + 1) for d in range(3)]
        x = (idx[lo[0]:hi[0]] - c[0]) ** 2
        y = (idx[lo[1]:hi[1]] - c[1]) ** 2
        z = (idx[lo[2]:hi[2]] - c[2]) ** 2
        r2 = x[:, None, None] + y[None, :, None] + z[None, None, :]
        grid[lo[0]:hi[0], lo[1]:hi[1], lo[2]:hi[2]] += (10.0 * np.exp(-r2 / (2 * sigma * sigma))).astype(np.float32)
    return grid


def noise_grid(n, seed):
    return np.random.default_rng(seed).random((n, n, n), dtype=np.float32)


if __name__ == "__main__":
    import sys

    kind, n, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    g = smooth_grid(n, max(1, n * n * n // 33000), 1) if kind == "smooth" else noise_grid(n, 2)
    write_mt1(out, g, (0.0, 0.0, 0.0), (0.5, 0.5, 0.5))
