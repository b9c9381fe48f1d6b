// PDB models through gemmi. Apart from the CIF readers, which clang compiles
// as C++17 (see CMakeLists.txt): gemmi's residue hash shifts the residue
// number left, undefined for a negative one (as in "  -3", common in real
// files) before C++20 and defined since.
#include <algorithm>
#include <gemmi/pdb.hpp>

#include "mapdata/gemmi_io.h"

namespace eld {

namespace {

// The records the viewer takes something from: atoms, the cell and space
// group, and what orders them into models. gemmi tests record names by their
// first four (TER, END: three) characters in any case.
bool RecordToKeep(std::string_view line) {
    const std::string head(line.substr(0, 4));  // "end" also keeps ENDMDL
    for (const char* name : {"atom", "heta", "crys", "mode", "ter", "end"})
        if (gemmi::istarts_with(head, name)) return true;
    return false;
}

}  // namespace

void ReadPdbModel(StructureModel& m, std::string_view bytes, const std::string& name) {
    m.Format = "PDB";
    // gemmi 0.5.7 reads records the viewer never uses with faults of its own
    // (an SSBOND distance read past the end of a short line, a 10-digit DBREF
    // number overflowing int): only the records above reach it, the others
    // stay as empty lines so that its line numbers hold. It shifts
    // record-name chars as signed values, undefined before C++20 for a byte
    // above 0x7F: such bytes (PDB files are ASCII) become '?'. NUL bytes
    // become blanks, so that gemmi's lines are the lines seen here.
    std::string ascii;
    ascii.reserve(bytes.size());
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
        const std::string_view line = bytes.substr(start, end - start);
        start = end;
        if (!RecordToKeep(line)) {
            ascii += line.back() == '\n' ? "\n" : "";
            continue;
        }
        for (char c : line)
            ascii += static_cast<unsigned char>(c) > 0x7F ? '?' : c == '\0' ? ' ' : c;
    }
    TakeStructure(m, gemmi::read_pdb_from_memory(ascii.data(), ascii.size(), name), name);
}

}  // namespace eld
