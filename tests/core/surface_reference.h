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
#include "tests/core/temp_folder.h"

namespace eld::testing {

// The corners of each edge 1..12, from the lower to the higher coordinate;
// corner n lies at kCorner[n] steps from the cube's first point.
constexpr int kEdgeCorners[13][2] = {{0, 0}, {0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6},
                                     {7, 6}, {4, 7}, {0, 4}, {1, 5}, {3, 7}, {2, 6}};
constexpr int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                               {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

// Every cube in loop order, no capacity.
inline std::vector<SurfaceTriangle> ReferenceSurface(const MapGridRecord& g,
                                                     const DensityGridArray& d, const CellTable& t,
                                                     float limit) {
    std::vector<SurfaceTriangle> out;
    for (int i = 1; i <= g.N(1) - 1; ++i)
        for (int j = 1; j <= g.N(2) - 1; ++j)
            for (int k = 1; k <= g.N(3) - 1; ++k) {
                const int at[3] = {i, j, k};
                float first[3], D[8];
                for (int a = 0; a < 3; ++a)
                    first[a] = g.GridOrigin[a] + static_cast<float>(at[a] - 1) * g.GridStep[a];
                int cubeCase = 0;
                for (int n = 0; n < 8; ++n) {
                    D[n] = d.at(i + kCorner[n][0], j + kCorner[n][1], k + kCorner[n][2]);
                    cubeCase += IsAboveLimit(limit, D[n]) << n;
                }
                if (cubeCase == 0 || cubeCase == 255) continue;
                XYZ v[13] = {};
                for (int m = 1; m <= t.CutEdgeTable[cubeCase][0]; ++m) {
                    const int e = t.CutEdgeTable[cubeCase][m];
                    if (e < 1 || e > 12) continue;
                    // Along the edge's axis the fraction of a step from its
                    // lower corner; on the other two the corner's own 0 or 1.
                    const int c0 = kEdgeCorners[e][0], c1 = kEdgeCorners[e][1];
                    const float f = EdgeFraction(D[c0], D[c1], limit);
                    float p[3];
                    for (int a = 0; a < 3; ++a)
                        p[a] = first[a] +
                               (kCorner[c0][a] != kCorner[c1][a] ? f : float(kCorner[c0][a])) *
                                   g.GridStep[a];
                    v[e] = {p[0], p[1], p[2]};
                }
                const std::int16_t* edges = t.TriangleTable[cubeCase];
                for (int n = 1; n <= edges[0]; ++n)
                    out.push_back({{v[edges[3 * n - 2]], v[edges[3 * n - 1]], v[edges[3 * n]]}});
            }
    return out;
}

inline CellTable LoadedCellTable() {
    CellTable t;
    ReadCellTable(t, std::string(ELD_BIN_DIR) + "/cell_table.dat");
    return t;
}

// Appends an atom to the scene's list.
inline void AddAtom(SceneState& s, const std::string& name, float x, float y, float z) {
    s.map.AtomNames.push_back(name);
    s.map.AtomData.push_back({x, y, z});
    s.map.AtomCount = static_cast<int>(s.map.AtomNames.size());
}

inline void SetGrid(SceneState& s, int n1, int n2, int n3, XYZ origin = {0, 0, 0},
                    XYZ step = {1, 1, 1}) {
    const float n[3] = {float(n1), float(n2), float(n3)}, o[3] = {origin.x, origin.y, origin.z},
                d[3] = {step.x, step.y, step.z};
    for (int a = 0; a < 3; ++a)
        s.map.MapGrid.GridPoints[a] = n[a], s.map.MapGrid.GridOrigin[a] = o[a],
        s.map.MapGrid.GridStep[a] = d[a];
    s.map.DensityGrid.Create(n1, n2, n3);
}

// Every grid point of the scene set to f(i, j, k), axis 3 fastest.
template <class F>
void Fill(SceneState& s, F f) {
    const MapGridRecord& g = s.map.MapGrid;
    ForEachPoint(g.N(1), g.N(2), g.N(3),
                 [&](int i, int j, int k) { s.map.DensityGrid.at(i, j, k) = float(f(i, j, k)); });
}

// Sum of Gaussian "atoms" at random places.
inline void FillSmooth(SceneState& s, int atoms, unsigned seed) {
    std::mt19937 rng(seed);
    const MapGridRecord& g = s.map.MapGrid;
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    std::vector<std::array<float, 4>> centres;
    for (int a = 0; a < atoms; ++a)
        centres.push_back({u(rng) * g.N(1), u(rng) * g.N(2), u(rng) * g.N(3), 1.0f + 3 * u(rng)});
    Fill(s, [&](int i, int j, int k) {
        float v = 0;
        for (const auto& c : centres) {
            float r2 = (i - c[0]) * (i - c[0]) + (j - c[1]) * (j - c[1]) + (k - c[2]) * (k - c[2]);
            v += 10.0f * std::exp(-r2 / (2 * c[3] * c[3]));
        }
        return v;
    });
}

inline void FillNoise(SceneState& s, unsigned seed, int levels = 0) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    std::uniform_int_distribution<int> pick(0, levels > 0 ? levels - 1 : 0);
    Fill(s, [&](int, int, int) { return levels > 0 ? float(pick(rng)) : u(rng); });
}

}  // namespace eld::testing
