#!/usr/bin/env python3
"""Writes the model described in a map's JSON note (cell, space group, atoms with
names, elements, fractional and Cartesian coordinates) in three formats: PDB
(Cartesian, CRYST1), mmCIF (Cartesian, _atom_site.Cartn_*) and small-molecule CIF
(fractional, _cell_*, symmetry operators), so that tests can check that all three
give the same atoms.

    json_to_models.py MAP.json OUT_STEM    -> OUT_STEM.pdb, OUT_STEM.mmcif, OUT_STEM.cif
"""
import json
import sys

# The operators of the space groups the notes use.
OPERATORS = {
    "P 1": ["x,y,z"],
    "P -1": ["x,y,z", "-x,-y,-z"],
    "P 1 21/n 1": ["x,y,z", "-x+1/2,y+1/2,-z+1/2", "-x,-y,-z", "x+1/2,-y+1/2,z+1/2"],
}


def main():
    note = json.load(open(sys.argv[1]))
    stem = sys.argv[2]
    a, b, c, al, be, ga = note["cell"]
    sg = note["spacegroup"]
    atoms = note["atoms"]

    with open(stem + ".pdb", "w") as f:
        f.write("CRYST1%9.3f%9.3f%9.3f%7.2f%7.2f%7.2f %-11s%4d\n" % (a, b, c, al, be, ga, sg, 4))
        for n, atom in enumerate(atoms, 1):
            name = atom["name"]
            # A one-letter element's name starts in column 14, as PDB files do.
            field = (" " + name if len(atom["element"]) == 1 and len(name) < 4 else name).ljust(4)
            x, y, z = atom["cart"]
            f.write("HETATM%5d %s MOL A   1    %8.3f%8.3f%8.3f%6.2f%6.2f          %2s\n"
                    % (n, field, x, y, z, atom["occ"], 0.0, atom["element"].upper()))
        f.write("END\n")

    with open(stem + ".mmcif", "w") as f:
        f.write("data_model\n")
        for k, v in zip(("length_a", "length_b", "length_c", "angle_alpha", "angle_beta",
                         "angle_gamma"), note["cell"]):
            f.write("_cell.%s %s\n" % (k, v))
        f.write("_symmetry.space_group_name_H-M '%s'\n" % sg)
        f.write("loop_\n" + "".join("_atom_site.%s\n" % t for t in (
            "group_PDB", "id", "type_symbol", "label_atom_id", "label_alt_id", "label_comp_id",
            "label_asym_id", "label_seq_id", "Cartn_x", "Cartn_y", "Cartn_z", "occupancy", "B_iso_or_equiv",
            "auth_seq_id", "auth_asym_id", "pdbx_PDB_model_num")))
        for n, atom in enumerate(atoms, 1):
            x, y, z = atom["cart"]
            f.write("HETATM %d %s %s . MOL A . %.4f %.4f %.4f %.2f 0 1 A 1\n"
                    % (n, atom["element"], atom["name"], x, y, z, atom["occ"]))

    with open(stem + ".cif", "w") as f:
        f.write("data_model\n")
        for k, v in zip(("length_a", "length_b", "length_c", "angle_alpha", "angle_beta",
                         "angle_gamma"), note["cell"]):
            f.write("_cell_%s %s\n" % (k, v))
        f.write("_symmetry_space_group_name_H-M '%s'\n" % sg)
        f.write("loop_\n_symmetry_equiv_pos_as_xyz\n")
        for op in OPERATORS[sg]:
            f.write("'%s'\n" % op)
        f.write("loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
                "_atom_site_fract_y\n_atom_site_fract_z\n_atom_site_U_iso_or_equiv\n")
        for atom in atoms:
            fx, fy, fz = atom["frac"]
            f.write("%s %s %.5f %.5f %.5f %.4f\n"
                    % (atom["name"], atom["element"], fx, fy, fz, atom["u_iso"]))


main()
