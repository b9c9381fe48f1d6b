// Atoms of a structure model: PDB (.pdb, .ent), mmCIF (.cif, .mmcif) or a
// small-molecule CIF (.cif with _atom_site_fract_*, _cell_* and symmetry), each
// also gzipped (.gz). Read with gemmi; only the first model of an ensemble.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mapdata/foreign_map.h"
#include "mapdata/peak_search.h"

namespace eld {

struct StructureModel {
    std::string Format;  // "PDB", "mmCIF" or "small-molecule CIF"
    bool HasCell = false;
    double Cell[6] = {0, 0, 0, 0, 0, 0};  // a, b, c, alpha, beta, gamma
    std::string SpaceGroup;               // Hermann-Mauguin, "" when unknown
    // Cartesian coordinates in the model's frame (a along x, b in the xy
    // plane for coordinates made from fractional ones), element symbols as in
    // the periodic table ("Cl", "D"), the model's own atom names as labels.
    std::vector<ForeignAtom> Atoms;
};

// Throws EldError (Recoverable) naming the file: not a model name, a file that
// cannot be read or parsed, no atoms, an unknown element, a coordinate that is
// not a finite number, more atoms than the viewer holds.
StructureModel ReadModelFile(const std::string& path);
// The same over the (uncompressed) bytes; the format comes from name's extension.
StructureModel ReadModelBuffer(std::string_view bytes, const std::string& name);

// The operations of a space group given by its Hermann-Mauguin symbol (as
// gemmi gives it, e.g. "P 1 21/n 1"), centring included, identity excluded;
// empty for P 1 or an unknown symbol.
std::vector<SymmetryOp> SpaceGroupOperations(const std::string& hermann_mauguin);

// True for the names ReadModelFile takes (by extension, case ignored).
bool IsModelFileName(const std::string& path);

}  // namespace eld
