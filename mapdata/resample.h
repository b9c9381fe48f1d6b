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

// The value at a Cartesian point; `outside` where the map has no data there.
// `to_index` is IndexTransform(m).
struct IndexTransform {
    Mat3d A{};  // Cartesian -> continuous grid index: u = A * x + b
    Vec3d b{};
};
IndexTransform MakeIndexTransform(const ForeignMap& m);
float SampleTrilinear(const ForeignMap& m, const Vec3d& u, float outside);

// Values on the grid, axis 1 fastest: index i + N0*(j + N1*k).
std::vector<float> ResampleOnto(const ForeignMap& m, const AxisGrid& grid, float outside);

}  // namespace eld
