#!/usr/bin/env python3
"""Writes the model described in a map's JSON note (cell and atoms with Cartesian
coordinates in Angstrom) as a PDB file with CRYST1 and HETATM records.

    json_to_pdb.py MAP.json > MODEL.pdb
"""
import json
import sys


def main():
    with open(sys.argv[1]) as f:
        note = json.load(f)
    a, b, c, al, be, ga = note["cell"]
    print("CRYST1%9.3f%9.3f%9.3f%7.2f%7.2f%7.2f P 1           1" % (a, b, c, al, be, ga))
    for n, atom in enumerate(note["atoms"], 1):
        name = atom.get("name", atom["element"])[:4]
        x, y, z = atom["cart"]
        print("HETATM%5d %-4s MOL A   1    %8.3f%8.3f%8.3f  1.00  0.00          %2s"
              % (n, name, x, y, z, atom["element"].upper()))
    print("END")


main()
