// CCP4 and MRC maps (.ccp4, .map, .mrc, and each of them .gz): data modes 0
// (8-bit), 1 (16-bit), 2 (32-bit float) and 6 (unsigned 16-bit), either byte
// order, any axis order, start indices, extended header, MRC origin.
//
// The header is checked here first, so that a damaged file is refused with a
// message naming the field before anything is allocated; gemmi then reads the
// values and, for a map of part of the cell, fills the whole cell with the
// space group's symmetry. A map that covers its cell (by itself or by
// symmetry) is periodic along all three axes; one that does not keeps its own
// box. Failures throw EldError (Recoverable) naming the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mapdata/foreign_map.h"

namespace eld {

ForeignMap ReadCcp4Map(const std::string& path);
// The same over the file's bytes (uncompressed); name stands for the file.
ForeignMap ReadCcp4MapBuffer(std::string_view bytes, const std::string& name);

// What the header says, once it passed the checks (axes a, b, c).
struct Ccp4Layout {
    int FileDims[3] = {0, 0, 0};  // NC, NR, NS
    int AxisOf[3] = {0, 1, 2};    // file axis w runs along cell axis AxisOf[w] (0-based)
    int N[3] = {0, 0, 0};         // along a, b, c
    int Start[3] = {0, 0, 0};
    int Sampling[3] = {1, 1, 1};
    double Cell[6] = {0, 0, 0, 0, 0, 0};
    double Origin[3] = {0, 0, 0};  // MRC origin words, Ångström
    int Mode = 2;
    int SpaceGroupNumber = 0;  // ISPG
    bool BigEndian = false;
    std::size_t DataStart = 1024;  // bytes before the first value
};

}  // namespace eld
