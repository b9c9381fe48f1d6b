// Trilinear resampling of a map given on a skew (non-orthogonal) grid onto an
// axis-aligned grid: the density is interpolated in the map's own grid
// coordinates, wrapping around the cell along axes where the map covers it.
#pragma once

#include "mapdata/foreign_map.h"

namespace eld {

struct AxisGrid {
    int N[3] = {0, 0, 0};
    Vec3d Origin{};  // Cartesian position of point (0,0,0)
    Vec3d Step{};
};

// Cartesian position -> continuous index of the stored grid: u = A * x + b
// (u = (0,0,0) is the first stored point).
struct IndexTransform {
    Mat3d A{};
    Vec3d b{};
};
IndexTransform MakeIndexTransform(const ForeignMap& m);

// The value at continuous index u; `outside` where the map has no data there
// (beyond the stored points along an axis that does not wrap).
float SampleTrilinear(const ForeignMap& m, const Vec3d& u, float outside);

// Values on the grid, axis 1 fastest: index i + N0*(j + N1*k).
std::vector<float> ResampleOnto(const ForeignMap& m, const AxisGrid& grid, float outside);

}  // namespace eld
