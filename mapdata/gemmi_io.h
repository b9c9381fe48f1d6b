// The work gemmi does for the map and model readers. Only mapdata/gemmi_map.cpp,
// gemmi_model.cpp and gemmi_pdb.cpp include gemmi (its headers compile slowly).
#pragma once

#include <string>
#include <string_view>

#include "mapdata/foreign_map.h"
#include "mapdata/read_ccp4.h"
#include "mapdata/read_model.h"

namespace gemmi {
struct Structure;
}

namespace eld {

// The whole file, uncompressed when the name ends in ".gz". Throws EldError
// naming the file ("cannot open the map file ...").
std::string ReadFileMaybeGzipped(const std::string& path, const char* what);

// Reads the values of a CCP4/MRC file whose header passed the checks of
// read_ccp4.cpp (bytes normalised: machine stamp, "MAP " and origin words 0)
// and lays them out as m.Values, expanded to the whole cell where the
// symmetry fills it. Sets N, Start, PointZero, Periodic, SpaceGroup, the stats.
void ReadCcp4Values(std::string_view normalised, const Ccp4Layout& h, const std::string& name,
                    ForeignMap& m);

// The atoms, cell and space group of a structure gemmi read (mmCIF or PDB).
void TakeStructure(StructureModel& m, const gemmi::Structure& st, const std::string& name);

// A PDB file's model into m (Format set). Throws what gemmi throws.
void ReadPdbModel(StructureModel& m, std::string_view bytes, const std::string& name);

}  // namespace eld
