// PDB models through gemmi. Apart from the CIF readers, which clang compiles
// as C++17 (see CMakeLists.txt): gemmi's residue hash shifts the residue
// number left, undefined for a negative one (as in "  -3", common in real
// files) before C++20 and defined since.
#include <gemmi/pdb.hpp>

#include "mapdata/gemmi_io.h"

namespace eld {

void ReadPdbModel(StructureModel& m, std::string_view bytes, const std::string& name) {
    m.Format = "PDB";
    // gemmi 0.5.7 shifts record-name chars as signed values, undefined
    // before C++20 for a byte above 0x7F: such bytes (PDB files are ASCII)
    // become '?'.
    std::string ascii(bytes);
    for (char& c : ascii)
        if (static_cast<unsigned char>(c) > 0x7F) c = '?';
    TakeStructure(m, gemmi::read_pdb_from_memory(ascii.data(), ascii.size(), name), name);
}

}  // namespace eld
