// A density map as another program wrote it (CCP4/MRC, Gaussian cube), before
// it is placed in the viewer's scene frame and written as .mt1, .fou or .grd.
//
// Geometry: Cell holds the three cell edge vectors a, b, c (in Ångström) as its
// columns. The stored point (i, j, k), counted from 0 along a, b, c, lies at the
// Cartesian position
//     PointZero + Cell * ((Start[0] + i) / Sampling[0], (Start[1] + j) / Sampling[1],
//                         (Start[2] + k) / Sampling[2]).
// Fractional coordinates (of atoms and of picked peaks) are Cell^-1 * (x - CellOrigin).
// For a crystal map CellOrigin is 0 (the model's own frame) and PointZero carries
// the MRC origin words; for a cube file both are the cube's origin and the "cell"
// is the box spanned by the grid.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "mapdata/geometry.h"

namespace eld {

struct ForeignAtom {
    std::string Element;  // "C", "Cl", ...
    std::string Label;    // the model's own name ("C14", "CA"); "" when it has none
    Vec3d Cartesian{};    // Ångström
};

struct ForeignMap {
    std::string SourcePath;  // for messages
    Mat3d Cell{};            // columns a, b, c
    Vec3d CellOrigin{};
    Vec3d PointZero{};
    int N[3] = {0, 0, 0};         // stored points along a, b, c
    int Start[3] = {0, 0, 0};     // index of the first stored point
    int Sampling[3] = {1, 1, 1};  // grid intervals per cell edge
    // True along an axis where the stored points cover the whole cell, so the
    // density repeats with the cell (crystal maps).
    bool Periodic[3] = {false, false, false};
    bool AllPeriodic() const { return Periodic[0] && Periodic[1] && Periodic[2]; }
    // A crystal's cell (CCP4/MRC), not the box of a grid (cube files).
    bool CrystalCell = false;
    std::string SpaceGroup;  // Hermann-Mauguin symbol, "" when unknown
    // Over the points the file stores (before any symmetry expansion).
    bool StatsKnown = false;
    double StoredMean = 0, StoredRms = 0;
    std::vector<float> Values;  // N[0]*N[1]*N[2], index i + N0*(j + N1*k)
    std::vector<ForeignAtom> Atoms;

    std::size_t Index(int i, int j, int k) const {
        return static_cast<std::size_t>(i) +
               static_cast<std::size_t>(N[0]) *
                   (static_cast<std::size_t>(j) + static_cast<std::size_t>(N[1]) * k);
    }
};

// Element symbol of an atomic number 1..118 ("" outside that range).
std::string ElementSymbol(int z);
// "C" -> "C   ", "cl" -> "Cl  ": the atom name the viewer's atom table knows.
std::string AtomNameForElement(const std::string& element);

}  // namespace eld
