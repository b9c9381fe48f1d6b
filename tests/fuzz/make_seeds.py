#!/usr/bin/env python3
"""Writes the small valid seed inputs of the fuzz harnesses into corpus/<target>/,
and hand-made hostile inputs (headers that promise more than the file holds,
counts that overflow, tables that point outside their arrays) into
tests/data/fuzz-regressions/<target>/refuse-*, which the regression test
requires to be refused with an EldError.

Run from anywhere: python3 tests/fuzz/make_seeds.py. The seeds are tiny on
purpose: libFuzzer mutates them, and small files make fast executions.
"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))


def put(target, name, data, root=os.path.join(HERE, "corpus")):
    folder = os.path.join(root, target)
    os.makedirs(folder, exist_ok=True)
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(os.path.join(folder, name), mode, newline="" if mode == "w" else None) as f:
        f.write(data)


def f32(*v):
    return struct.pack("<%df" % len(v), *v)


def i32(*v):
    return struct.pack("<%di" % len(v), *v)


def mt1(n, values, atoms, words_per_atom=14, atom_count=None):
    """values[i3][i1][i2]; atoms: (name4, (x, y, z)) fractional."""
    b = bytearray(b"\0" * 38)
    b += f32(2, 0, 0, 0, 3, 0, 0, 0, 4)          # CellMatrix row by row
    b += f32(0.5, 0.25, 0)                        # CellShift
    b += b"\0" * 6
    b += f32(2, 3, 4, 90, 90, 90)                 # CellParameters
    b += b"\0" * 6
    for axis in range(3):                         # origin, step, two unused
        b += f32(0.1 * axis, 0.5, 0, 0)
    b += b"\0" * 6
    b += i32(*n)
    assert len(b) == 188
    if values is None:  # the header alone
        return bytes(b)
    for i3 in range(n[2]):
        b += b"\0" * (10 if i3 == 0 else 14)
        for i1 in range(n[0]):
            for i2 in range(n[1]):
                b += f32(values[i3][i1][i2])
    b += b"\0" * 6
    b += i32(len(atoms) if atom_count is None else atom_count, words_per_atom)
    for name, (x, y, z) in atoms:
        rec = b"\0\0" + name.encode() + f32(0, 0, 0) + f32(x, y, z) + f32(*([0] * 7))
        assert len(rec) == 58
        b += rec
    return bytes(b)


def grid_values(n):
    return [[[float((i1 + 2 * i2 + 3 * i3) % 7 - 3) for i2 in range(n[1])]
             for i1 in range(n[0])] for i3 in range(n[2])]


def main():
    n = (2, 3, 2)
    put("fuzz_read_mt1", "two_atoms.mt1",
        mt1(n, grid_values(n), [("C   ", (0.1, 0.2, 0.3)), ("O   ", (0.5, 0.5, 0.5))]))
    put("fuzz_read_mt1", "no_atoms.mt1", mt1((2, 2, 2), grid_values((2, 2, 2)), []))
    put("fuzz_read_mt1", "extremes.mt1",
        mt1((1, 2, 1), [[[10000.0, -10000.0]]], [("H   ", (0, 0, 0))]))

    # .fou: axis 2 runs fastest inside a section; a word ends each header line.
    def fou(n, values, atoms):
        t = "title\nsecond title\n"
        t += "2 0 0  0 3 0  0 0 4  0.5 0.25 0 cell\n"
        t += "2 3 4 90 90 90 parameters\n"
        for axis in range(3):
            t += "%g 0.5 0 0 axis %d\n" % (0.1 * axis, axis + 1)
        t += "%d %d %d\n" % n
        for i3 in range(n[2]):
            t += "section %d\n%d\n" % (i3 + 1, i3 + 1)
            for i1 in range(n[0]):
                t += " ".join("%g" % values[i3][i1][i2] for i2 in range(n[1])) + "\n"
        t += "atoms\n%d 14\n" % len(atoms)
        for name, (x, y, z) in atoms:
            t += "%s\n0 0 0 %g %g %g 0 0 0 0 0 0 0\n" % (name, x, y, z)
        return t
    put("fuzz_read_fou", "two_atoms.fou",
        fou(n, grid_values(n), [("C", (0.1, 0.2, 0.3)), ("Cl1", (0.5, 0.5, 0.5))]))
    put("fuzz_read_fou", "no_atoms.fou", fou((2, 2, 2), grid_values((2, 2, 2)), []))

    # .grd: axis 1 runs fastest; atom lines by character columns.
    def grd(n, values, atoms):
        t = "title 1\ntitle 2\ntitle 3\ntitle 4\n"
        t += "%d %d %d\n" % n
        t += "5 10 15\n10 20 30 box\n%d\n" % len(atoms)
        for name, (x, y, z) in atoms:
            t += "%-9s%9.4f %9.4f %9.4f\n" % (name, x, y, z)
        t += "a\nb\nc\n"
        flat = [values[i3][i1][i2] for i3 in range(n[2]) for i2 in range(n[1])
                for i1 in range(n[0])]
        for k in range(0, len(flat), 6):
            t += " ".join("%g" % v for v in flat[k:k + 6]) + "\n"
        return t
    put("fuzz_read_grd", "two_atoms.grd",
        grd(n, grid_values(n), [("O1", (1.0, 2.0, 3.0)), ("C2", (5.0, 10.0, 15.0))]))
    put("fuzz_read_grd", "no_atoms.grd", grd((2, 2, 2), grid_values((2, 2, 2)), []))

    # CCP4/MRC: the 1024-byte header, then mode-2 floats, columns fastest.
    def ccp4(n, mode=2, axes=(1, 2, 3), swap=False, nsymbt=0, body=True):
        e = ">" if swap else "<"
        h = struct.pack(e + "3i", *n) + struct.pack(e + "i", mode)
        h += struct.pack(e + "3i", 0, 0, 0) + struct.pack(e + "3i", *n)
        h += struct.pack(e + "6f", 10.0, 12.0, 14.0, 90.0, 100.0, 90.0)
        h += struct.pack(e + "3i", *axes) + struct.pack(e + "3f", -1.0, 1.0, 0.0)
        h += struct.pack(e + "2i", 1, nsymbt) + b"\0" * 100 + struct.pack(e + "3f", 0, 0, 0)
        h += b"MAP " + (b"\x11\x11\0\0" if swap else b"\x44\x41\0\0")
        h += struct.pack(e + "f", 0.5) + struct.pack(e + "i", 1)
        h += b"seed map".ljust(800, b" ")
        assert len(h) == 1024, len(h)
        count = n[0] * n[1] * n[2] if body else 0
        if mode == 2:
            body = struct.pack(e + "%df" % count, *[((k * 7) % 5 - 2) / 2.0 for k in range(count)])
        elif mode == 1:
            body = struct.pack(e + "%dh" % count, *[(k * 7) % 5 - 2 for k in range(count)])
        else:
            body = struct.pack("%db" % count, *[(k * 7) % 5 - 2 for k in range(count)])
        return h + body
    put("fuzz_read_ccp4", "float.ccp4", ccp4((3, 2, 2)))
    put("fuzz_read_ccp4", "short_big_endian.ccp4", ccp4((2, 2, 3), mode=1, swap=True))
    put("fuzz_read_ccp4", "bytes_zxy.ccp4", ccp4((2, 3, 2), mode=0, axes=(3, 1, 2)))

    # Gaussian cube: two comment lines, atoms and origin, three axes, atoms, values.
    def cube(n, natoms_sign=1, natoms=2, body=True):
        t = "seed cube\ndensity\n"
        t += "%5d %12.6f %12.6f %12.6f\n" % (natoms * natoms_sign, 0.0, 0.0, 0.0)
        t += "%5d %12.6f %12.6f %12.6f\n" % (n[0], 0.5, 0.0, 0.0)
        t += "%5d %12.6f %12.6f %12.6f\n" % (n[1], 0.0, 0.5, 0.0)
        t += "%5d %12.6f %12.6f %12.6f\n" % (n[2], 0.0, 0.0, 0.5)
        t += "%5d %12.6f %12.6f %12.6f %12.6f\n" % (6, 6.0, 0.5, 0.5, 0.5)
        t += "%5d %12.6f %12.6f %12.6f %12.6f\n" % (8, 8.0, 0.5, 0.5, 1.0)
        if natoms_sign < 0:
            t += "%5d %5d\n" % (1, 7)
        vals = [((k * 7) % 5 - 2) * 0.1 for k in range(n[0] * n[1] * n[2] if body else 4)]
        for k in range(0, len(vals), 6):
            t += " ".join("%13.5E" % v for v in vals[k:k + 6]) + "\n"
        return t
    put("fuzz_read_cube", "density.cube", cube((2, 3, 2)))
    put("fuzz_read_cube", "orbital.cube", cube((2, 2, 2), natoms_sign=-1))

    # PDB: CRYST1 and ATOM/HETATM records by fixed columns.
    def pdb_atom(record, serial, name, x, y, z, element):
        return "%-6s%5d %-4s %3s A%4d    %8.3f%8.3f%8.3f%6.2f%6.2f          %2s\n" % (
            record, serial, name, "LIG", 1, x, y, z, 1.0, 20.0, element)
    put("fuzz_read_pdb", "model.pdb",
        "CRYST1   10.000   12.000   14.000  90.00 100.00  90.00 P 1 21 1      2\n" +
        pdb_atom("ATOM", 1, " C1", 1.0, 2.0, 3.0, "C") +
        pdb_atom("HETATM", 2, "CL1", 2.5, 2.0, 3.0, "CL") +
        pdb_atom("ATOM", 3, " O1", 1.0, 3.2, 3.0, "") + "END\n")

    # atompar2.txt: header line, type rows by character columns, a blank line.
    def row(num, v2, radius, v4, tol, name, v7):
        line = [" "] * 47
        def at(col, text):  # col counted from 1
            for k, ch in enumerate(text):
                line[col - 1 + k] = ch
        at(1, "%3d" % num)
        at(7, "%3d" % v2)
        at(14, "%3d" % radius)
        at(21, "%3d" % v4)
        at(27, "%3s" % tol)
        at(34, name)
        at(38, "%10s" % v7)
        return "".join(line).rstrip() + "\n"
    put("fuzz_atompar", "three_types.txt",
        "type table\n" + row(1, 100, 77, 50, "0.1", "C   ", "12.011") +
        row(2, 100, 70, 50, "0.1", "N   ", "14.007") + row(5, 90, 66, 40, "0.2", "O   ", "15.999") +
        "\n")
    put("fuzz_atompar", "blank_second_line.txt", "type table\n\n")

    put("fuzz_presets", "three_presets.txt",
        "Low limits\n0.1\n0.2\n0.3\n"
        "Middle, with text after the numbers\n2.5 x\n-1e-2\n  7\n"
        "\n0\n.5\n1.5e1\n")

    cell = os.path.join(ROOT, "data", "cell_table.dat")
    folder = os.path.join(HERE, "corpus", "fuzz_cell_table")
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(cell, os.path.join(folder, "cell_table.dat"))

    # ---- hostile inputs that must be refused (before any large allocation) ----
    bad = os.path.join(ROOT, "tests", "data", "fuzz-regressions")
    big = 32766
    put("fuzz_read_mt1", "refuse-huge-grid-header-only.mt1",
        mt1((big, big, big), None, []), bad)
    put("fuzz_read_mt1", "refuse-counts-overflow-32-bits.mt1",
        mt1((65536, 65536, 1), None, []) + b"\0" * 64, bad)
    put("fuzz_read_mt1", "refuse-negative-count.mt1", mt1((-2, 3, 2), None, []) + b"\0" * 64, bad)
    put("fuzz_read_mt1", "refuse-atom-count-without-atoms.mt1",
        mt1((2, 2, 2), grid_values((2, 2, 2)), [], atom_count=2**31 - 1), bad)
    put("fuzz_read_fou", "refuse-huge-grid.fou",
        fou((2, 2, 2), grid_values((2, 2, 2)), []).replace("2 2 2\n", "%d %d %d\n" % (big, big, big)), bad)
    put("fuzz_read_grd", "refuse-huge-grid.grd",
        grd((2, 2, 2), grid_values((2, 2, 2)), []).replace("2 2 2\n", "%d %d %d\n" % (big, big, big)), bad)
    put("fuzz_read_grd", "refuse-huge-atom-count.grd",
        grd((2, 2, 2), grid_values((2, 2, 2)), []).replace("box\n0\n", "box\n2000000000\n"), bad)
    put("fuzz_read_ccp4", "refuse-huge-grid-header-only.ccp4",
        ccp4((100000, 100000, 100000), body=False), bad)
    put("fuzz_read_ccp4", "refuse-counts-overflow-32-bits.ccp4",
        ccp4((65536, 65536, 1), body=False) + b"\0" * 64, bad)
    put("fuzz_read_ccp4", "refuse-huge-extended-header.ccp4", ccp4((2, 2, 2), nsymbt=2**31 - 1), bad)
    put("fuzz_read_cube", "refuse-huge-grid.cube", cube((100000, 100000, 100000), body=False), bad)
    put("fuzz_read_cube", "refuse-huge-atom-count.cube", cube((2, 2, 2), natoms=2000000000), bad)
    put("fuzz_presets", "refuse-empty.txt", "", bad)
    with open(cell) as f:
        records = f.read().splitlines()
    def table_with(case, column, value):
        fields = [x.strip() for x in records[case].split(",")]
        fields[column] = str(value)
        lines = list(records)
        lines[case] = ", ".join(fields)
        return "\n".join(lines) + "\n"
    put("fuzz_cell_table", "refuse-triangle-edge-13.dat", table_with(1, 23, 13), bad)
    put("fuzz_cell_table", "refuse-triangle-count-11.dat", table_with(1, 22, 11), bad)
    put("fuzz_cell_table", "refuse-cut-edge-count-13.dat", table_with(1, 9, 13), bad)


if __name__ == "__main__":
    main()
