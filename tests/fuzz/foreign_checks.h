// What must hold after a CCP4/MRC or cube reader returned normally.
#pragma once

#include <cstddef>

#include "mapdata/foreign_map.h"
#include "tests/fuzz/map_checks.h"

namespace eld::fuzz {

inline void CheckForeignMap(const ForeignMap& m) {
    std::size_t points = 1;
    for (int a = 0; a < 3; ++a) {
        Require(m.N[a] >= 1, "a point count below 1");
        Require(m.Sampling[a] != 0, "a zero sampling interval");
        points *= static_cast<std::size_t>(m.N[a]);
    }
    Require(m.Values.size() == points, "Values does not hold N0*N1*N2 numbers");
    // The last point must be addressable without overflow.
    Require(m.Index(m.N[0] - 1, m.N[1] - 1, m.N[2] - 1) == points - 1, "Index overflows");
}

}  // namespace eld::fuzz
