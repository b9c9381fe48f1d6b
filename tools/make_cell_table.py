#!/usr/bin/env python3
"""Builds data/cell_table.dat, the marching-cubes case table the viewer reads.

Source: tools/data/marching_cubes_published_table.txt, the widely published
256-case table (edges 0..11, edge 10 = corners 2-6, edge 11 = corners 3-7, a
set bit meaning a corner below the iso-value).

The viewer numbers edges 1..12 with edge 11 = corners 3-7 and edge 12 =
corners 2-6, and a set case bit means a corner above the limit. So case c takes
the published row of case 255 - c, edges 0..9 become 1..10, edge 10 becomes 12
and edge 11 stays 11. The cut edges of a case are the edges its triangles use,
in ascending order.

Each record is 54 integers: the case number and its eight corner bits (read and
discarded by the viewer), the cut-edge count and 12 edge slots, the triangle
count and 30 edge slots, and the separator -99. Unused slots hold 0.

Usage: python3 tools/make_cell_table.py [SOURCE] [OUTPUT]
"""
import os
import sys

EDGE_MAP = {e: e + 1 for e in range(10)}
EDGE_MAP[10] = 12
EDGE_MAP[11] = 11


def read_published(path):
    rows = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            head, rest = line.split(":", 1)
            _mask, tris = rest.split("|", 1)
            nums = [int(x) for x in tris.split()]
            if len(nums) != 16:
                raise ValueError(f"{path}: case {head}: expected 16 numbers, got {len(nums)}")
            edges = nums[: nums.index(-1)] if -1 in nums else nums
            if len(edges) % 3:
                raise ValueError(f"{path}: case {head}: edge list not a multiple of 3")
            rows[int(head)] = edges
    if sorted(rows) != list(range(256)):
        raise ValueError(f"{path}: expected cases 0..255")
    return rows


def records(rows):
    for case in range(256):
        edges = [EDGE_MAP[e] for e in rows[255 - case]]
        cut = sorted(set(edges))
        bits = [(case >> n) & 1 for n in range(8)]
        rec = [case] + bits
        rec += [len(cut)] + cut + [0] * (12 - len(cut))
        rec += [len(edges) // 3] + edges + [0] * (30 - len(edges))
        rec.append(-99)
        assert len(rec) == 54
        yield rec


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    src = argv[1] if len(argv) > 1 else os.path.join(here, "data", "marching_cubes_published_table.txt")
    out = argv[2] if len(argv) > 2 else os.path.join(here, "..", "data", "cell_table.dat")
    lines = [", ".join(str(n) for n in rec) for rec in records(read_published(src))]
    tmp = out + ".tmp"
    with open(tmp, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    os.replace(tmp, out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
