// Marching cubes on grids whose surfaces are known.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <thread>
#include <tuple>

#include "mapdata/eld_error.h"
#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"

namespace eld {
namespace {

using testing::SetGrid;

SceneState NewScene() {
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    return s;
}

using Key = std::tuple<float, float, float>;
Key K(const XYZ& p) {
    return {p.x, p.y, p.z};
}

// Number of triangles on each undirected edge (pairs of bit-equal vertices).
std::map<std::pair<Key, Key>, int> EdgeUse(const SurfaceTriangle* t, int n) {
    std::map<std::pair<Key, Key>, int> use;
    for (int i = 0; i < n; ++i)
        for (int e = 0; e < 3; ++e) {
            Key a = K(t[i].v[e]), b = K(t[i].v[(e + 1) % 3]);
            if (b < a) std::swap(a, b);
            ++use[{a, b}];
        }
    return use;
}

TEST(MarchingCubes, SampledSphereLiesAtItsRadiusAndIsClosed) {
    SceneState s = NewScene();
    SetGrid(s, 32, 30, 31, {-2, -3, -1}, {1, 1, 1});
    const float cx = 13.3f, cy = 11.7f, cz = 14.1f, R = 9.37f;
    for (int i = 1; i <= 32; ++i)
        for (int j = 1; j <= 30; ++j)
            for (int k = 1; k <= 31; ++k) {
                float x = -2.0f + (i - 1), y = -3.0f + (j - 1), z = -1.0f + (k - 1);
                s.map.DensityGrid.at(i, j, k) =
                    R - std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
            }
    GenerateLayerSurface(s, 0.0f, 2);
    const int n = s.surfaces.TriangleCount[2];
    ASSERT_GT(n, 1000);
    double worst = 0;
    for (int t = 0; t < n; ++t)
        for (const XYZ& p : s.surfaces.Triangles[2][t].v) {
            double r = std::sqrt((p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy) +
                                 (p.z - cz) * (p.z - cz));
            worst = std::max(worst, std::abs(r - R));
        }
    EXPECT_LT(worst, 0.03);
    // The sphere lies inside the grid, so every edge is shared by exactly two triangles.
    for (const auto& [edge, count] : EdgeUse(s.surfaces.Triangles[2].data(), n))
        ASSERT_EQ(count, 2);
    EXPECT_EQ(s.surfaces.TriangleCount[1], 0);
    EXPECT_EQ(s.surfaces.TriangleCount[3], 0);
}

TEST(MarchingCubes, NoiseSurfaceIsClosedAwayFromTheGridBorder) {
    // Ambiguous faces everywhere: the table must still resolve each face the
    // same way from both cubes.
    SceneState s = NewScene();
    SetGrid(s, 20, 22, 24);
    testing::FillNoise(s, 7);
    GenerateLayerSurface(s, 0.1f, 1);
    const int n = s.surfaces.TriangleCount[1];
    ASSERT_GT(n, 10000);
    auto onBorder = [](const Key& p, int axis, float hi) {
        float v = axis == 0 ? std::get<0>(p) : axis == 1 ? std::get<1>(p) : std::get<2>(p);
        return v == 0.0f || v == hi;
    };
    const float hi[3] = {19, 21, 23};
    int interior = 0;
    for (const auto& [edge, count] : EdgeUse(s.surfaces.Triangles[1].data(), n)) {
        bool border = false;
        for (int a = 0; a < 3; ++a)
            border |= onBorder(edge.first, a, hi[a]) && onBorder(edge.second, a, hi[a]);
        if (border) continue;
        ++interior;
        ASSERT_EQ(count, 2);
    }
    EXPECT_GT(interior, 10000);
}

TEST(MarchingCubes, FlatGridsUniformGridsAndValuesAtTheLimitGiveNothing) {
    SceneState s = NewScene();
    // The bar still walks through slabs without cubes; with N1 = 1 it stays at 0.
    for (auto [n1, n2, n3] : {std::tuple{1, 5, 5}, {5, 1, 5}, {5, 5, 1}}) {
        SetGrid(s, n1, n2, n3);
        testing::FillNoise(s, 3);
        std::vector<int> seen;
        GenerateLayerSurface(s, 0.0f, 1, [&](int, int p) { seen.push_back(p); });
        EXPECT_EQ(s.surfaces.TriangleCount[1], 0);
        const std::vector<int> expected = n1 == 1
                                              ? std::vector<int>{0, kLayerDone}
                                              : std::vector<int>{0, 25, 50, 75, 100, kLayerDone};
        EXPECT_EQ(seen, expected) << n1 << " x " << n2 << " x " << n3;
    }
    SetGrid(s, 6, 7, 8);
    for (float& v : s.map.DensityGrid.values) v = 2.5f;
    s.surfaces.TriangleCount[1] = 77;
    GenerateLayerSurface(s, 2.5f, 1);  // equal to the limit: all below
    EXPECT_EQ(s.surfaces.TriangleCount[1], 0);
    GenerateLayerSurface(s, 2.4f, 1);  // all above
    EXPECT_EQ(s.surfaces.TriangleCount[1], 0);
    // One point at the limit among points below: still nothing.
    for (float& v : s.map.DensityGrid.values) v = 1.0f;
    s.map.DensityGrid.at(3, 3, 3) = 2.5f;
    GenerateLayerSurface(s, 2.5f, 1);
    EXPECT_EQ(s.surfaces.TriangleCount[1], 0);
    // Just above the limit: one triangle in each of the eight cubes around it,
    // vertices on the eight edges' midpoints when the limit is halfway.
    s.map.DensityGrid.at(3, 3, 3) = 4.0f;
    GenerateLayerSurface(s, 2.5f, 1);
    ASSERT_EQ(s.surfaces.TriangleCount[1], 8);
    for (int t = 0; t < 8; ++t)
        for (const XYZ& p : s.surfaces.Triangles[1][t].v) {
            float d = std::abs(p.x - 2) + std::abs(p.y - 2) + std::abs(p.z - 2);
            EXPECT_FLOAT_EQ(d, 0.5f);
        }
    // The first cube in loop order is (2,2,2), where the point is corner 6.
    for (const XYZ& p : s.surfaces.Triangles[1][0].v) {
        EXPECT_GE(p.x, 1.5f);
        EXPECT_GE(p.y, 1.5f);
        EXPECT_GE(p.z, 1.5f);
    }
}

TEST(MarchingCubes, CornerExactlyAtTheLimitGivesAVertexOnTheCorner) {
    SceneState s = NewScene();
    SetGrid(s, 2, 2, 2, {10, 20, 30}, {2, 4, 8});
    s.map.DensityGrid.at(1, 1, 1) = 1.0f;  // corner 0 above
    s.map.DensityGrid.at(2, 1, 1) = 0.0f;  // corner 1 at the limit: t = 1 on edge 1
    s.map.DensityGrid.at(1, 2, 1) = -1.0f;
    s.map.DensityGrid.at(1, 1, 2) = -3.0f;  // t = 0.25 on edge 9
    GenerateLayerSurface(s, 0.0f, 3);
    ASSERT_EQ(s.surfaces.TriangleCount[3], 1);
    const SurfaceTriangle& t = s.surfaces.Triangles[3][0];
    // Case 1: edges 1, 4, 9 in table order.
    EXPECT_EQ(K(t.v[0]), (Key{12, 20, 30}));
    EXPECT_EQ(K(t.v[1]), (Key{10, 22, 30}));
    EXPECT_EQ(K(t.v[2]), (Key{10, 20, 32}));
}

// Isolated points above the limit, each giving one triangle per cube around it.
void IsolatedPoints(SceneState& s, bool extraCorner) {
    SetGrid(s, 103, 83, 53);
    for (float& v : s.map.DensityGrid.values) v = 0.0f;
    int points = 0;
    for (int i = 2; i <= 100; i += 2)
        for (int j = 2; j <= 80; j += 2)
            for (int k = 2; k <= 50; k += 2, ++points) s.map.DensityGrid.at(i, j, k) = 1.0f;
    ASSERT_EQ(points * 8, kMaxTrianglesPerLayer);
    if (extraCorner) s.map.DensityGrid.at(103, 83, 53) = 1.0f;  // one cube, one triangle
}

TEST(MarchingCubes, TheStoreHoldsExactly400000TrianglesPerLayer) {
    SceneState s = NewScene();
    IsolatedPoints(s, false);
    GenerateLayerSurface(s, 0.5f, 1);
    EXPECT_EQ(s.surfaces.TriangleCount[1], kMaxTrianglesPerLayer);
    IsolatedPoints(s, true);
    try {
        GenerateLayerSurface(s, 0.5f, 1);
        FAIL() << "400 001 triangles accepted";
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Fatal);
        EXPECT_STREQ(e.what(),
                     "Sorry, to complicated scene, Number of reguired triangles > 1 200 000");
    }
    for (int threads : {1, 2, 3}) {
        std::vector<SurfaceTriangle> store(kMaxTrianglesPerLayer + 1);
        EXPECT_THROW(ExtractSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 0.5f,
                                    store.data(), kMaxTrianglesPerLayer, threads),
                     EldError);
        EXPECT_EQ(ExtractSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 0.5f,
                                 store.data(), kMaxTrianglesPerLayer + 1, threads),
                  kMaxTrianglesPerLayer + 1);
    }
}

TEST(MarchingCubes, StaleTrianglesAndInvisibleLayersAreLeftAlone) {
    SceneState s = NewScene();
    SetGrid(s, 24, 25, 26);
    testing::FillSmooth(s, 12, 5);
    s.layers.LayerVisible[1] = s.layers.LayerVisible[2] = s.layers.LayerVisible[3] = kTrue;
    s.layers.LayerLimit[1] = 1.0f;
    s.layers.LayerLimit[2] = 3.0f;
    s.layers.LayerLimit[3] = 5.0f;
    s.switches.ShowContourMap = kFalse;
    s.SceneListValid = 1;
    ExtractFields(s);
    EXPECT_EQ(s.SceneListValid, 0);
    const int before = s.surfaces.TriangleCount[1];
    ASSERT_GT(before, s.surfaces.TriangleCount[3]);
    std::vector<SurfaceTriangle> layer1(s.surfaces.Triangles[1].begin(),
                                        s.surfaces.Triangles[1].begin() + before);
    std::vector<SurfaceTriangle> layer2(
        s.surfaces.Triangles[2].begin(),
        s.surfaces.Triangles[2].begin() + s.surfaces.TriangleCount[2]);
    const int count2 = s.surfaces.TriangleCount[2];

    // Layer 2 off: kept. Layer 1 at layer 3's limit: fewer triangles, the
    // rest of its old surface stays above the new count.
    s.layers.LayerVisible[2] = kFalse;
    s.layers.LayerLimit[1] = 5.0f;
    for (float& v : s.map.DensityGrid.values) v *= 1.01f;
    ExtractFields(s);
    const int after = s.surfaces.TriangleCount[1];
    ASSERT_LT(after, before);
    EXPECT_EQ(s.surfaces.TriangleCount[2], count2);
    EXPECT_EQ(0, std::memcmp(s.surfaces.Triangles[2].data(), layer2.data(),
                             count2 * sizeof(SurfaceTriangle)));
    EXPECT_EQ(0, std::memcmp(s.surfaces.Triangles[1].data() + after, layer1.data() + after,
                             (before - after) * sizeof(SurfaceTriangle)));
}

TEST(MarchingCubes, ProgressCountsTheSlabsOfAxisOne) {
    SceneState s = NewScene();
    SetGrid(s, 5, 4, 4);
    testing::FillNoise(s, 1);
    std::vector<std::pair<int, int>> seen;
    GenerateLayerSurface(s, 0.0f, 2, [&](int L, int p) { seen.push_back({L, p}); });
    std::vector<std::pair<int, int>> expected = {{2, 0},  {2, 25},  {2, 50},
                                                 {2, 75}, {2, 100}, {2, kLayerDone}};
    EXPECT_EQ(seen, expected);
    // Split among threads, every slab is still reported once, in order, on
    // the calling thread.
    SetGrid(s, 9, 40, 40);
    testing::FillNoise(s, 2);
    std::vector<SurfaceTriangle> out(200000);
    for (int threads : {1, 3, 8}) {
        std::vector<int> percents;
        bool elsewhere = false;
        const auto caller = std::this_thread::get_id();
        ExtractSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 0.0f, out.data(),
                       int(out.size()), threads, [&](int p) {
                           percents.push_back(p);
                           elsewhere |= std::this_thread::get_id() != caller;
                       });
        EXPECT_EQ(percents, (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100})) << threads;
        EXPECT_FALSE(elsewhere) << threads;
    }
}

TEST(MarchingCubes, MissingTableIsReportedAtTheFirstExtractionOnly) {
    SceneState s;
    s.program.DataFolder = ::testing::TempDir() + "/no_such_folder";
    SetGrid(s, 3, 3, 3);
    try {
        GenerateLayerSurface(s, 0.0f, 1);
        FAIL();
    } catch (const EldError& e) {
        EXPECT_NE(std::string(e.what()).find("cell_table.dat"), std::string::npos);
    }
    s.surfaces.CellTables = testing::LoadedCellTable();
    s.surfaces.CellTables.CellTableLoaded = true;  // read once: the folder is not looked at again
    s.map.DensityGrid.at(2, 2, 2) = 1.0f;
    GenerateLayerSurface(s, 0.0f, 1);
    EXPECT_EQ(s.surfaces.TriangleCount[1], 8);
}

}  // namespace
}  // namespace eld
