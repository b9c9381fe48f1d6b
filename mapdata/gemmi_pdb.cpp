// PDB models through gemmi. Apart from the CIF readers, which clang compiles
// as C++17 (see CMakeLists.txt): gemmi's residue hash shifts the residue
// number left, undefined for a negative one (as in "  -3", common in real
// files) before C++20 and defined since.
#include <algorithm>
#include <cctype>
#include <gemmi/pdb.hpp>

#include "mapdata/gemmi_io.h"

namespace eld {

namespace {

// gemmi keeps SSBOND, LINK and CISPEP records (its test: the first four
// characters, any case) for the connections, which the viewer never uses.
bool ConnectionRecord(std::string_view line) {
    if (line.size() < 4) return false;
    std::string head(line.substr(0, 4));
    for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return head == "SSBO" || head == "LINK" || head == "CISP";
}

}  // namespace

void ReadPdbModel(StructureModel& m, std::string_view bytes, const std::string& name) {
    m.Format = "PDB";
    // gemmi 0.5.7 shifts record-name chars as signed values, undefined
    // before C++20 for a byte above 0x7F: such bytes (PDB files are ASCII)
    // become '?'. NUL bytes become blanks, so that gemmi's lines are the
    // lines seen here. Connection records are left out (their line stays,
    // empty, for gemmi's line numbers): gemmi reads an SSBOND distance in
    // columns 74-78 even when the line ends before column 78.
    std::string ascii;
    ascii.reserve(bytes.size());
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
        const std::string_view line = bytes.substr(start, end - start);
        start = end;
        if (ConnectionRecord(line)) {
            ascii += line.back() == '\n' ? "\n" : "";
            continue;
        }
        for (char c : line)
            ascii += static_cast<unsigned char>(c) > 0x7F ? '?' : c == '\0' ? ' ' : c;
    }
    TakeStructure(m, gemmi::read_pdb_from_memory(ascii.data(), ascii.size(), name), name);
}

}  // namespace eld
