// What must hold after any map reader returned normally, whatever the input:
// the grid has the size its counts say, the atom tables agree with AtomCount,
// and every density lies within the accepted range. A broken invariant aborts,
// which libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "mapdata/scene_state.h"

namespace eld::fuzz {

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken invariant after a successful read: %s\n", what);
        std::abort();
    }
}

inline void CheckLoadedMap(const SceneState& s) {
    const int n1 = s.MapGrid.N(1), n2 = s.MapGrid.N(2), n3 = s.MapGrid.N(3);
    Require(n1 >= 0 && n2 >= 0 && n3 >= 0, "negative grid point count");
    Require(n1 <= kMaxGridPoints && n2 <= kMaxGridPoints && n3 <= kMaxGridPoints,
            "grid point count above the 16-bit limit");
    Require(s.DensityGrid.n1 == n1 && s.DensityGrid.n2 == n2 && s.DensityGrid.n3 == n3,
            "DensityGrid dimensions differ from GridPoints");
    Require(s.DensityGrid.values.size() == static_cast<std::size_t>(n1 + 1) * (n2 + 1) * (n3 + 1),
            "DensityGrid holds the wrong number of values");
    Require(s.AtomCount >= 0 && s.AtomCount <= kMaxAtoms, "atom count out of range");
    Require(s.AtomNames.size() == static_cast<std::size_t>(s.AtomCount),
            "AtomNames size differs from AtomCount");
    Require(s.AtomData.size() == static_cast<std::size_t>(s.AtomCount),
            "AtomData size differs from AtomCount");
    for (const auto& name : s.AtomNames) Require(name.size() == 4, "atom name not 4 characters");
    // The index-0 planes stay 0, and no value outside +-10000 was accepted.
    for (int i1 = 0; i1 <= n1; ++i1)
        for (int i2 = 0; i2 <= n2; ++i2)
            for (int i3 = 0; i3 <= n3; ++i3) {
                float v = s.DensityGrid.at(i1, i2, i3);
                if (i1 == 0 || i2 == 0 || i3 == 0)
                    Require(v == 0.0f, "an index-0 element is not 0");
                else
                    Require(!(v > 10000.0f) && !(v < -10000.0f), "density beyond +-10000 stored");
            }
    if (static_cast<long long>(n1) * n2 * n3 > 0)
        Require(!(s.MapGrid.DensityMin > s.MapGrid.DensityMax), "DensityMin above DensityMax");
}

}  // namespace eld::fuzz
