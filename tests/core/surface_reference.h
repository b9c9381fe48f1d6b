// The plain cube-by-cube marching cubes, written as directly as possible, to
// check the fast extraction against. Also small grid helpers for the tests.
// The tests that include it are built with -ffp-contract=off, as the
// extraction is, so both round alike.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "mapdata/scene_state.h"
#include "surface/marching_cubes.h"

namespace eld::testing {

inline XYZ ReferenceEdgeVertex(int e, float x0, float y0, float z0, const float* D,
                               const MapGridRecord& g, float limit) {
    const float dx = g.GridStep[0], dy = g.GridStep[1], dz = g.GridStep[2];
    switch (e) {
        case 1:
            return {x0 + EdgeFraction(D[0], D[1], limit) * dx, y0, z0};
        case 2:
            return {x0 + dx, y0 + EdgeFraction(D[1], D[2], limit) * dy, z0};
        case 3:
            return {x0 + EdgeFraction(D[3], D[2], limit) * dx, y0 + dy, z0};
        case 4:
            return {x0, y0 + EdgeFraction(D[0], D[3], limit) * dy, z0};
        case 5:
            return {x0 + EdgeFraction(D[4], D[5], limit) * dx, y0, z0 + dz};
        case 6:
            return {x0 + dx, y0 + EdgeFraction(D[5], D[6], limit) * dy, z0 + dz};
        case 7:
            return {x0 + EdgeFraction(D[7], D[6], limit) * dx, y0 + dy, z0 + dz};
        case 8:
            return {x0, y0 + EdgeFraction(D[4], D[7], limit) * dy, z0 + dz};
        case 9:
            return {x0, y0, z0 + EdgeFraction(D[0], D[4], limit) * dz};
        case 10:
            return {x0 + dx, y0, z0 + EdgeFraction(D[1], D[5], limit) * dz};
        case 11:
            return {x0, y0 + dy, z0 + EdgeFraction(D[3], D[7], limit) * dz};
        case 12:
            return {x0 + dx, y0 + dy, z0 + EdgeFraction(D[2], D[6], limit) * dz};
    }
    return {};
}

// Every cube in loop order, no capacity.
inline std::vector<SurfaceTriangle> ReferenceSurface(const MapGridRecord& g,
                                                     const DensityGridArray& d, const CellTable& t,
                                                     float limit) {
    std::vector<SurfaceTriangle> out;
    for (int i = 1; i <= g.N(1) - 1; ++i)
        for (int j = 1; j <= g.N(2) - 1; ++j)
            for (int k = 1; k <= g.N(3) - 1; ++k) {
                float x0 = g.GridOrigin[0] + static_cast<float>(i - 1) * g.GridStep[0];
                float y0 = g.GridOrigin[1] + static_cast<float>(j - 1) * g.GridStep[1];
                float z0 = g.GridOrigin[2] + static_cast<float>(k - 1) * g.GridStep[2];
                float D[8] = {d.at(i, j, k),
                              d.at(i + 1, j, k),
                              d.at(i + 1, j + 1, k),
                              d.at(i, j + 1, k),
                              d.at(i, j, k + 1),
                              d.at(i + 1, j, k + 1),
                              d.at(i + 1, j + 1, k + 1),
                              d.at(i, j + 1, k + 1)};
                int cubeCase = 0;
                for (int n = 0; n < 8; ++n) cubeCase += IsAboveLimit(limit, D[n]) << n;
                if (cubeCase == 0 || cubeCase == 255) continue;
                XYZ v[13] = {};
                for (int m = 1; m <= t.CutEdgeTable[cubeCase][0]; ++m) {
                    int e = t.CutEdgeTable[cubeCase][m];
                    if (e >= 1 && e <= 12) v[e] = ReferenceEdgeVertex(e, x0, y0, z0, D, g, limit);
                }
                for (int n = 1; n <= t.TriangleTable[cubeCase][0]; ++n) {
                    SurfaceTriangle tri;
                    tri.v[0] = v[t.TriangleTable[cubeCase][3 * n - 2]];
                    tri.v[1] = v[t.TriangleTable[cubeCase][3 * n - 1]];
                    tri.v[2] = v[t.TriangleTable[cubeCase][3 * n]];
                    out.push_back(tri);
                }
            }
    return out;
}

inline CellTable LoadedCellTable() {
    CellTable t;
    ReadCellTable(t, std::string(ELD_BIN_DIR) + "/cell_table.dat");
    return t;
}

inline void SetGrid(SceneState& s, int n1, int n2, int n3, XYZ origin = {0, 0, 0},
                    XYZ step = {1, 1, 1}) {
    s.map.MapGrid.GridPoints[0] = float(n1);
    s.map.MapGrid.GridPoints[1] = float(n2);
    s.map.MapGrid.GridPoints[2] = float(n3);
    s.map.MapGrid.GridOrigin[0] = origin.x;
    s.map.MapGrid.GridOrigin[1] = origin.y;
    s.map.MapGrid.GridOrigin[2] = origin.z;
    s.map.MapGrid.GridStep[0] = step.x;
    s.map.MapGrid.GridStep[1] = step.y;
    s.map.MapGrid.GridStep[2] = step.z;
    s.map.DensityGrid.Create(n1, n2, n3);
}

// Sum of Gaussian "atoms" at random places.
inline void FillSmooth(SceneState& s, int atoms, unsigned seed) {
    std::mt19937 rng(seed);
    const MapGridRecord& g = s.map.MapGrid;
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    std::vector<std::array<float, 4>> centres;
    for (int a = 0; a < atoms; ++a)
        centres.push_back({u(rng) * g.N(1), u(rng) * g.N(2), u(rng) * g.N(3), 1.0f + 3 * u(rng)});
    for (int i = 1; i <= g.N(1); ++i)
        for (int j = 1; j <= g.N(2); ++j)
            for (int k = 1; k <= g.N(3); ++k) {
                float v = 0;
                for (const auto& c : centres) {
                    float r2 =
                        (i - c[0]) * (i - c[0]) + (j - c[1]) * (j - c[1]) + (k - c[2]) * (k - c[2]);
                    v += 10.0f * std::exp(-r2 / (2 * c[3] * c[3]));
                }
                s.map.DensityGrid.at(i, j, k) = v;
            }
}

inline void FillNoise(SceneState& s, unsigned seed, int levels = 0) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::uniform_int_distribution<int> pick(0, levels > 0 ? levels - 1 : 0);
    const MapGridRecord& g = s.map.MapGrid;
    for (int i = 1; i <= g.N(1); ++i)
        for (int j = 1; j <= g.N(2); ++j)
            for (int k = 1; k <= g.N(3); ++k)
                s.map.DensityGrid.at(i, j, k) = levels > 0 ? float(pick(rng)) : u(rng);
}

}  // namespace eld::testing
