// Atoms of a model in PDB format: the CRYST1 cell and the ATOM and HETATM
// records (Cartesian coordinates in Ångström, the element from columns 77-78,
// or from the atom name when those columns are blank).
#pragma once

#include <string>
#include <vector>

#include "mapdata/foreign_map.h"

namespace eld {

struct PdbModel {
    bool HasCell = false;
    double Cell[6] = {0, 0, 0, 0, 0, 0};  // a, b, c, alpha, beta, gamma
    std::vector<ForeignAtom> Atoms;
};

// Throws EldError (Recoverable) naming the file, the line and the columns.
PdbModel ReadPdbModel(const std::string& path);

}  // namespace eld
