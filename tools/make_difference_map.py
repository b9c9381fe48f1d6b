#!/usr/bin/python3
"""Makes the difference-like test map of tests/data/difference/ from the
calculated paracetamol hydrate map in tools/realdata/.

The crystal (P 1 21/n 1) is written out as a P 1 model of the whole unit cell:
the listed molecule as it stands, its three symmetry mates each moved whole into
the cell. A few atoms of the listed molecule are left out, the density of that
model is calculated on the map's own grid exactly as the map was (gemmi's
DensityCalculatorX, isotropic B = 8 pi^2 Uiso, d_min 0.7, rate 1.5), and taken
from the map. What is left is the density of the atoms left out, once each, as in
a difference map of a model that misses them.

    tools/make_difference_map.py [ELDMAP]      (default: build/bin/eldmap)

Writes into tests/data/difference/:
    paracetamol_diff.ccp4   the difference map (P 1, the map's 20 x 48 x 80 grid)
    paracetamol_model.pdb   the model without the removed atoms (P 1)
    removed_atoms.txt       name and Cartesian x y z (Angstrom) of each removed atom
    paracetamol_diff.mt1    the map with the model, by `eldmap convert`
Needs python3-gemmi and python3-numpy.
"""
import json
import math
import os
import subprocess
import sys

import gemmi
import numpy

REMOVED = ["O4", "C9", "O1W"]  # not bonded to each other: three separate peaks


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    src = os.path.join(here, "tools", "realdata")
    out = os.path.join(here, "tests", "data", "difference")
    eldmap = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "build", "bin", "eldmap")
    os.makedirs(out, exist_ok=True)

    with open(os.path.join(src, "paracetamol_hydrate_dencalc.json")) as f:
        note = json.load(f)
    ccp4 = gemmi.read_ccp4_map(os.path.join(src, "paracetamol_hydrate_dencalc.ccp4"))
    ccp4.setup(float("nan"), gemmi.MapSetup.Full)
    cell = gemmi.UnitCell(*note["cell"])

    st = gemmi.Structure()
    st.cell = cell
    st.spacegroup_hm = "P 1"
    model = gemmi.Model("1")
    removed = []
    ops = gemmi.find_spacegroup_by_name(note["spacegroup"]).operations()
    for k, op in enumerate(ops):
        frac = [op.apply_to_xyz(a["frac"]) for a in note["atoms"]]
        shift = [0, 0, 0]
        if k > 0:  # the mates whole into the cell, by their centre
            shift = [-math.floor(sum(f[i] for f in frac) / len(frac)) for i in range(3)]
        chain = gemmi.Chain("ABCD"[k])
        res = gemmi.Residue()
        res.name = "MOL"
        res.seqid = gemmi.SeqId(k + 1, " ")
        for a, f in zip(note["atoms"], frac):
            pos = cell.orthogonalize(gemmi.Fractional(*[f[i] + shift[i] for i in range(3)]))
            if k == 0 and a["name"] in REMOVED:
                removed.append((a["name"], pos))
                continue
            atom = gemmi.Atom()
            atom.name = a["name"]
            atom.element = gemmi.Element(a["element"])
            atom.pos = pos
            atom.occ = a["occ"]
            atom.b_iso = 8 * math.pi**2 * a["u_iso"]
            res.add_atom(atom)
        chain.add_residue(res)
        model.add_chain(chain)
    st.add_model(model)
    st.setup_entities()

    dc = gemmi.DensityCalculatorX()
    dc.d_min = 0.7
    dc.rate = 1.5
    dc.set_grid_cell_and_spacegroup(st)
    dc.grid.set_size(ccp4.grid.nu, ccp4.grid.nv, ccp4.grid.nw)
    dc.grid.fill(0)
    dc.add_model_density_to_grid(st[0])
    diff = numpy.array(ccp4.grid, copy=True) - numpy.array(dc.grid, copy=False)

    result = gemmi.Ccp4Map()
    result.grid = gemmi.FloatGrid(diff.astype(numpy.float32), cell, gemmi.SpaceGroup("P 1"))
    result.update_ccp4_header(2, True)
    result.write_ccp4_map(os.path.join(out, "paracetamol_diff.ccp4"))
    st.write_pdb(os.path.join(out, "paracetamol_model.pdb"))
    with open(os.path.join(out, "removed_atoms.txt"), "w") as f:
        f.write("# made by tools/make_difference_map.py: the atoms left out of the model\n")
        f.write("# atom  x  y  z (Angstrom)\n")
        for name, p in removed:
            f.write("%-4s %9.4f %9.4f %9.4f\n" % (name, p.x, p.y, p.z))
    print("difference map: min %.3f max %.3f rms %.3f" % (diff.min(), diff.max(), diff.std()))

    subprocess.run([eldmap, "convert", os.path.join(out, "paracetamol_diff.ccp4"),
                    os.path.join(out, "paracetamol_diff.mt1"), "--model",
                    os.path.join(out, "paracetamol_model.pdb"), "--box", "cell"], check=True)


main()
