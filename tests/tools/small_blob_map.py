#!/usr/bin/env python3
"""Writes a small .fou map for the command-line tests: a 13^3 grid from -3 to 3
(step 0.5) with a density blob at the origin and a smaller one at (1.2, 0, 0),
an identity cell and two atoms, C at the origin and O at (1.2, 0, 0).

With --all-atoms ATOMPAR2 the map carries one atom of every name in that file
(spread along a line), so a scene made from it uses every atom identifier.

Usage: small_blob_map.py OUT.fou [--all-atoms ATOMPAR2]
"""
import math
import sys


def atom_names(path):
    names = []
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    for line in lines[1:]:
        digits = line[0:3].replace(" ", "")
        if not digits.isdigit() or int(digits) < 1:
            break
        names.append(line[33:37].rstrip(" "))
    return names


def main(argv):
    out = argv[1]
    atoms = [("C", 0.0, 0.0, 0.0), ("O", 1.2, 0.0, 0.0)]
    if len(argv) > 3 and argv[2] == "--all-atoms":
        names = atom_names(argv[3])
        atoms = [(n, -2.5 + 5.0 * k / max(1, len(names) - 1), 2.0, 0.0) for k, n in enumerate(names)]
    n, o, st = 13, -3.0, 0.5
    lines = ["small test map", "two density blobs",
             "1 0 0 0 1 0 0 0 1 0 0 0 cell matrix and shift",
             "10 10 10 90 90 90 cell parameters"]
    for a in range(3):
        lines.append(f"{o} {st} 0 0 axis {a + 1}")
    lines.append(f"{n} {n} {n}")
    for i3 in range(n):
        lines.append(f"section {i3 + 1}")
        vals = [str(i3 + 1)]
        for i1 in range(n):
            for i2 in range(n):
                x, y, z = o + i1 * st, o + i2 * st, o + i3 * st
                v = 10 * math.exp(-(x * x + y * y + z * z) / 2)
                v += 3 * math.exp(-((x - 1.2) ** 2 + y * y + z * z))
                vals.append(f"{v:.5f}")
        for k in range(0, len(vals), 10):
            lines.append(" ".join(vals[k:k + 10]))
    lines.append("end of sections")
    lines.append(f"{len(atoms)} 14")
    for name, x, y, z in atoms:
        lines.append(name)
        lines.append(f"0 0 0 {x:.4f} {y:.4f} {z:.4f} 0 0 0 0 0 0 0")
    with open(out, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


if __name__ == "__main__":
    main(sys.argv)
