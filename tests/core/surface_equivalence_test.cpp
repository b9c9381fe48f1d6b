// The fast extraction against the plain cube-by-cube algorithm: the same
// triangles, in the same order, bit for bit, whatever the thread count.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"

namespace eld {
namespace {

using testing::SetGrid;

void ExpectSameAsReference(const SceneState& s, const CellTable& table, float limit,
                           const std::string& what) {
    std::vector<SurfaceTriangle> ref =
        testing::ReferenceSurface(s.map.MapGrid, s.map.DensityGrid, table, limit);
    const int capacity = static_cast<int>(ref.size()) + 64;
    for (int threads : {1, 2, 3, 7}) {
        SurfaceTriangle sentinel;
        sentinel.v[0].x = 1234.5f;
        std::vector<SurfaceTriangle> out(capacity, sentinel);
        int n = ExtractSurface(s.map.MapGrid, s.map.DensityGrid, table, limit, out.data(), capacity,
                               threads);
        ASSERT_EQ(n, static_cast<int>(ref.size())) << what << ", " << threads << " threads";
        for (int t = 0; t < n; ++t)
            ASSERT_EQ(0, std::memcmp(&out[t], &ref[t], sizeof(SurfaceTriangle)))
                << what << ", " << threads << " threads, triangle " << t;
        for (int t = n; t < capacity; ++t) ASSERT_EQ(out[t].v[0].x, 1234.5f) << "stale " << t;
    }
}

TEST(SurfaceEquivalence, SmoothDensityWithAwkwardOriginAndSteps) {
    CellTable table = testing::LoadedCellTable();
    SceneState s;
    SetGrid(s, 41, 37, 70, {-3.3f, 0.1f, 7.77f}, {0.37f, 0.41f, 0.29f});
    testing::FillSmooth(s, 25, 11);
    for (float limit : {0.5f, 2.0f, 6.0f, 9.5f}) ExpectSameAsReference(s, table, limit, "smooth");
}

TEST(SurfaceEquivalence, NoiseAcrossWordBoundariesOfAxisThree) {
    CellTable table = testing::LoadedCellTable();
    for (int n3 : {2, 3, 63, 64, 65, 66, 129}) {
        SceneState s;
        SetGrid(s, 9, 6, n3, {0.3f, -0.7f, 1e3f}, {1.1f, 0.9f, 0.013f});
        testing::FillNoise(s, unsigned(n3));
        for (float limit : {-0.9f, 0.0f, 0.6f})
            ExpectSameAsReference(s, table, limit, "noise n3=" + std::to_string(n3));
    }
}

TEST(SurfaceEquivalence, ValuesEqualToTheLimitZerosAndSigns) {
    CellTable table = testing::LoadedCellTable();
    SceneState s;
    SetGrid(s, 17, 19, 67, {0, 0, 0}, {0.5f, 0.25f, 3.0f});
    testing::FillNoise(s, 99, 3);  // only 0, 1 and 2
    for (float& v : s.map.DensityGrid.values)
        if (v == 0.0f) v = -0.0f;
    for (float limit : {0.0f, -0.0f, 1.0f, 2.0f, 0.5f})
        ExpectSameAsReference(s, table, limit, "levels " + std::to_string(limit));
    // Extremes of the value range.
    for (float& v : s.map.DensityGrid.values) v = v == 2.0f ? 10000.0f : v == 1.0f ? -10000.0f : v;
    ExpectSameAsReference(s, table, 9999.99f, "extremes");
}

TEST(SurfaceEquivalence, InconsistentTableUsesTheZeroVertex) {
    // A triangle on an edge the case does not list takes (0, 0, 0); an edge
    // number outside 1..12 in the cut list computes nothing.
    CellTable table = testing::LoadedCellTable();
    table.CutEdgeTable[1][0] = 3;
    table.CutEdgeTable[1][2] = 13;
    SceneState s;
    SetGrid(s, 10, 10, 70, {5, 5, 5}, {1, 1, 1});
    testing::FillNoise(s, 4);
    ExpectSameAsReference(s, table, 0.8f, "inconsistent");
    std::vector<SurfaceTriangle> ref =
        testing::ReferenceSurface(s.map.MapGrid, s.map.DensityGrid, table, 0.8f);
    bool zero = false;
    for (const SurfaceTriangle& t : ref) zero |= t.v[1].x == 0 && t.v[1].y == 0 && t.v[1].z == 0;
    EXPECT_TRUE(zero) << "the grid has no case 1 cube";
}

TEST(SurfaceEquivalence, GenerateLayerSurfaceMatchesOnALargerGrid) {
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    SetGrid(s, 80, 72, 90, {-10, -11, -12}, {0.3f, 0.31f, 0.33f});
    testing::FillSmooth(s, 60, 2);
    GenerateLayerSurface(s, 3.0f, 3);
    std::vector<SurfaceTriangle> ref =
        testing::ReferenceSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 3.0f);
    ASSERT_EQ(s.surfaces.TriangleCount[3], static_cast<int>(ref.size()));
    ASSERT_GT(ref.size(), 1000u);
    EXPECT_EQ(0, std::memcmp(s.surfaces.Triangles[3].data(), ref.data(),
                             ref.size() * sizeof(SurfaceTriangle)));
}

}  // namespace
}  // namespace eld
