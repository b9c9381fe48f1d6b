// Density peaks: local maxima of the grid refined between grid points, the
// same site by lattice translation or crystal symmetry listed once, and the
// nearest model atom of each; plus the maximum along a pick ray and in a
// contour region, for picks that hit no surface.
//
// Positions are scene coordinates (grid point (i1, i2, i3), counted from 1,
// lies at GridOrigin + (i - 1) * GridStep); fractional coordinates are
// inverse(CellMatrix) * p + CellShift.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "mapdata/scene_state.h"

namespace eld {

using Vec3 = std::array<double, 3>;

// One symmetry operation of the crystal in fractional coordinates:
// f' = Rotation * f + Translation.
struct SymmetryOp {
    std::array<Vec3, 3> Rotation{Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}};
    Vec3 Translation{0, 0, 0};
};

// True when the map has a crystal cell to repeat: positive cell lengths, angles
// between 10 and 170 degrees and an invertible CellMatrix. A .grd map's
// placeholder cell (all six values 1, so 1 degree angles) is none.
bool MapHasCell(const SceneState& s);

// Scene <-> fractional with the map's cell (double precision).
Vec3 SceneToFractional(const SceneState& s, const Vec3& p);
Vec3 FractionalToSceneD(const SceneState& s, const Vec3& f);

// Grid point indices (1-based) of the strict local maxima above `level`: every
// point whose 26 neighbours all lie in the grid and none of which is higher.
// Of a flat top of equal values only the point first in memory order counts.
// Highest grid value first.
std::vector<std::array<int, 3>> GridLocalMaxima(const SceneState& s, double level);

// A maximum placed between grid points.
struct RefinedPeak {
    Vec3 Position{};  // scene
    double Height = 0;
};

// Refines the grid point (i1, i2, i3) to the top of the quadratic through its
// 3x3x3 neighbourhood (gradient and Hessian by central differences), fitted to
// the logarithm of the values when they are all positive, which is exact for a
// Gaussian blob. An axis whose neighbours leave the grid is not moved along; a
// quadratic without a top within one step falls back to one parabola per axis
// (at most half a step). The height is the quadratic's top, never below the
// grid value.
RefinedPeak RefineGridPeak(const SceneState& s, int i1, int i2, int i3);

// Density at a scene point, trilinear between grid points; nullopt outside the
// grid.
std::optional<double> DensityAt(const SceneState& s, const Vec3& p);

struct PeakSearchOptions {
    double MinLevel = 0;  // density value a maximum must exceed
    int MaxPeaks = 50;
    // The crystal's operations (the identity is implied); empty means lattice
    // translations only. Used only when the map has a cell.
    std::vector<SymmetryOp> Symmetry;
};

struct FoundPeak {
    Vec3 Position{};    // scene, the copy nearest the model when there is one
    Vec3 Fractional{};  // of Position
    double Height = 0;
    double Sigma = 0;      // (Height - DensityMean) / DensityRms of the map
    int NearestAtom = -1;  // 0-based atom index, -1 without atoms
    double Distance = 0;   // to that atom (or its nearest copy), scene units
};

// The local maxima whose refined height is above MinLevel, highest first, at
// most MaxPeaks, copies of one site (within one grid step) listed once.
std::vector<FoundPeak> FindPeaks(const SceneState& s, const PeakSearchOptions& o);

// The pick fallback in 3D: along the ray origin + t * direction (t >= 0,
// direction pointing away from the viewer), the first stretch where the
// density exceeds `limit`, its highest point, then the local maximum of the
// map uphill from it, refined as RefineGridPeak does. nullopt when the ray
// meets no density above the limit inside the grid.
std::optional<Vec3> FindPeakAlongRay(const SceneState& s, const Vec3& origin, const Vec3& direction,
                                     double limit);

// The pick fallback in 2D: in section `section` (1-based index along axis 3),
// the region of values above `limit` around the scene point (x, y), and its
// highest point refined in the plane. nullopt when the point is outside the
// grid or not above the limit.
std::optional<Vec3> FindPeakInSection(const SceneState& s, int section, double x, double y,
                                      double limit);

}  // namespace eld
