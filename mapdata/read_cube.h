// Gaussian cube files (.cube, .cub): lengths in bohr (positive point counts) or
// Ångström (a negative count), atoms by atomic number, orbital files (negative
// atom count) and several values per point, of which the first is taken.
// Failures throw EldError (Recoverable) naming the file, the line and the field.
#pragma once

#include <string>

#include "mapdata/foreign_map.h"

namespace eld {

inline constexpr double kBohrInAngstrom = 0.529177210903;

// The "cell" of the result is the box spanned by the grid (N_i times step
// vector i); CellOrigin and PointZero are the cube's origin, all in Ångström.
ForeignMap ReadCubeMap(const std::string& path);

}  // namespace eld
