// Marching squares in one section; extraction within a map radius (exactly
// the whole map's triangles and segments whose cube or square centre lies
// within the radius, in the same order) and the centre of view the region
// follows; the welded surface of a real map (one vertex per grid edge, no
// cracks).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "mapdata/peak_search.h"
#include "mapdata/read_map.h"
#include "surface/marching_cubes.h"
#include "surface/marching_squares.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"
#include "view/view_control.h"

namespace eld {
namespace {

using testing::SetGrid;

// Every one of the 16 square cases with corner values that put each crossing
// at a different place along its edge. Checked without the case table: every
// end lies where the linear interpolation along an edge whose two corners are
// on opposite sides of the limit reaches it; every such edge has exactly one
// end; each segment joins two edges around a corner that lies on the
// segment's own side (a saddle cuts off its corners above).
TEST(Contour, EveryCaseCutsEachCrossedEdgeWhereItsValuesReachTheLimit) {
    const float limit = 0.25f, X = 10, Y = 20, dx = 2, dy = 3;
    // Corners in the order of the case bits: (1,1), (2,1), (2,2), (1,2); edge
    // k runs from corner k to corner k+1 (mod 4).
    const int ca[4] = {1, 2, 2, 1}, cb[4] = {1, 1, 2, 2};
    const float above[4] = {1.0f, 2.5f, 0.6f, 4.0f}, below[4] = {-0.5f, 0.0f, -3.0f, 0.2f};
    // The segment table's order, as the drawing and the POV-Ray scene list them.
    const char* kTable[16] = {"",    "14 ", "12 ",    "42 ", "23 ", "14 23 ", "13 ", "43 ",
                              "43 ", "13 ", "12 34 ", "23 ", "24 ", "12 ",    "14 ", ""};
    for (int c = 0; c < 16; ++c) {
        SCOPED_TRACE("case " + std::to_string(c));
        SceneState s;
        SetGrid(s, 2, 2, 1, {X, Y, 7}, {dx, dy, 1});
        float v[4];
        for (int k = 0; k < 4; ++k)
            s.map.DensityGrid.at(ca[k], cb[k], 1) = v[k] = (c >> k) & 1 ? above[k] : below[k];
        bool cut[4];
        XYZ at[4];
        for (int k = 0; k < 4; ++k) {
            const int j = (k + 1) % 4;
            cut[k] = (v[k] > limit) != (v[j] > limit);
            const double t = (limit - v[k]) / double(v[j] - v[k]);
            at[k] = {float(X + dx * (ca[k] - 1 + t * (ca[j] - ca[k]))),
                     float(Y + dy * (cb[k] - 1 + t * (cb[j] - cb[k]))), 7};
        }
        auto edgeOf = [&](const XYZ& p) {
            for (int k = 0; k < 4; ++k)
                if (cut[k] && std::abs(p.x - at[k].x) < 1e-5 && std::abs(p.y - at[k].y) < 1e-5 &&
                    p.z == 7)
                    return k;
            return -1;
        };
        ASSERT_TRUE(GenerateContour(s, limit, 1));
        int used[4] = {0, 0, 0, 0};
        std::string order;  // the edges (1..4) of the segments' ends, first end first
        for (int i = 0; i < s.surfaces.ContourSegmentCount[1]; ++i) {
            const ContourSegment& g = s.surfaces.ContourSegments[1][i];
            const int e0 = edgeOf(g.end[0]), e1 = edgeOf(g.end[1]);
            ASSERT_TRUE(e0 >= 0 && e1 >= 0) << "segment " << i;
            ++used[e0], ++used[e1];
            order += std::to_string(e0 + 1) + std::to_string(e1 + 1) + " ";
            // Adjacent edges share the corner the segment cuts off; opposite
            // edges split the square (cases 3, 6, 9, 12).
            if ((e0 + 2) % 4 != e1) {
                const bool cornerAbove = v[(e0 + 1) % 4 == e1 ? e1 : e0] > limit;
                const int aboveCount = __builtin_popcount(c);
                EXPECT_TRUE(aboveCount == 2 ? cornerAbove : cornerAbove == (aboveCount == 1))
                    << "segment " << i;
            }
        }
        for (int k = 0; k < 4; ++k) EXPECT_EQ(used[k], cut[k] ? 1 : 0) << "edge " << k;
        EXPECT_EQ(order, kTable[c]);
    }
}

TEST(Contour, ValuesAtTheLimitAreBelowAndCrossAtTheCornerFlatSectionsHaveNone) {
    SceneState s;
    SetGrid(s, 3, 2, 1, {0, 0, 0}, {4, 4, 4});
    for (float& v : s.map.DensityGrid.values) v = 2.0f;
    for (float limit : {2.0f, 1.0f}) {  // all at the limit, then all above
        EXPECT_TRUE(GenerateContour(s, limit, 1));
        EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 0) << limit;
    }
    // Corner 1 of square 1 above, its neighbours at the limit: t = 1 on edge 1,
    // the crossing is corner 2.
    s.map.DensityGrid.at(1, 1, 1) = 3.0f;
    ASSERT_TRUE(GenerateContour(s, 2.0f, 1));
    ASSERT_EQ(s.surfaces.ContourSegmentCount[1], 1);
    const ContourSegment& g = s.surfaces.ContourSegments[1][0];
    testing::ExpectNear(std::array{g.end[0].x, g.end[0].y, g.end[1].x, g.end[1].y}, {4, 0, 0, 4});
    for (auto [n1, n2] : {std::pair{1, 4}, {4, 1}}) {
        SetGrid(s, n1, n2, 2);
        testing::FillNoise(s, 5);
        EXPECT_TRUE(GenerateContour(s, 0.0f, 1));
        EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 0);
    }
}

TEST(Contour, StopsAppendingAtTheCapacity) {
    // A checkerboard: every square is a saddle with two segments.
    SceneState s;
    auto board = [&](int n) {
        SetGrid(s, n, n, 1);
        for (int a = 1; a <= n; ++a)
            for (int b = 1; b <= n; ++b) s.map.DensityGrid.at(a, b, 1) = float((a + b) % 2);
    };
    board(240);
    EXPECT_FALSE(GenerateContour(s, 0.5f, 1));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], kMaxSegmentsPerLimit);
    // ExtractFields passes the overflow on; the other limits are still done.
    s.switches.ShowContourMap = kTrue;
    s.layers.LayerLimit[1] = 2.0f, s.layers.LayerLimit[2] = 0.5f, s.layers.LayerLimit[3] = -1.0f;
    s.surfaces.ContourSegmentCount[3] = 5;
    EXPECT_FALSE(ExtractFields(s));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 0);
    EXPECT_EQ(s.surfaces.ContourSegmentCount[2], kMaxSegmentsPerLimit);
    EXPECT_EQ(s.surfaces.ContourSegmentCount[3], 0);
    ASSERT_TRUE(GenerateContour(s, 0.5f, 1) == false);
    EXPECT_EQ(s.surfaces.ContourSegments[1].size(), static_cast<std::size_t>(kMaxSegmentsPerLimit));
    // 50 000 squares: rows a = 1..209 of 239 squares, then 49 squares of row
    // 210; the last segment is the second (2 -> 3) of square (210, 49).
    const ContourSegment& last = s.surfaces.ContourSegments[1][kMaxSegmentsPerLimit - 1];
    testing::ExpectNear(std::array{last.end[0].x, last.end[0].y, last.end[1].x, last.end[1].y},
                        {210, 48.5, 209.5, 49});
    board(200);  // 199 * 199 * 2 = 79 202 segments fit
    EXPECT_TRUE(GenerateContour(s, 0.5f, 1));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 2 * 199 * 199);
}

// The whole map's items of the cells whose centre lies within r, found by
// walking the cells in loop order beside the whole store: cubes, or with
// `section` the squares of that section (the first four cube corners). Each
// cell owns the next count(case) items.
template <class T, class Count>
std::vector<T> Within(const SceneState& s, float limit, const std::vector<T>& whole,
                      const MapRegion& r, int section, Count count) {
    const MapGridRecord& g = s.map.MapGrid;
    const DensityGridArray& d = s.map.DensityGrid;
    std::vector<T> out;
    std::size_t at = 0;
    const int kFirst = section ? section : 1, kEnd = section ? section + 1 : g.N(3);
    for (int i = 1; i < g.N(1); ++i)
        for (int j = 1; j < g.N(2); ++j)
            for (int k = kFirst; k < kEnd; ++k) {
                const auto& corner = testing::kCorner;
                int c = 0;
                for (int n = 0; n < (section ? 4 : 8); ++n)
                    c |= (d.at(i + corner[n][0], j + corner[n][1], k + corner[n][2]) > limit) << n;
                const int n = count(c), p[3] = {i, j, k};
                double d2 = 0;
                for (int a = 0; a < 3; ++a) {
                    const double half = a < 2 || !section ? 0.5 * g.GridStep[a] : 0;
                    const float first = g.GridOrigin[a] + float(p[a] - 1) * g.GridStep[a];
                    d2 += (first + half - r.centre[a]) * (first + half - r.centre[a]);
                }
                if (d2 <= r.radius * r.radius)
                    out.insert(out.end(), whole.begin() + at, whole.begin() + at + n);
                at += n;
            }
    EXPECT_EQ(at, whole.size());
    return out;
}

TEST(MapRegion, SurfaceAndContoursAreTheWholeMapsWithinTheRadiusInStoreOrder) {
    const CellTable table = testing::LoadedCellTable();
    const struct {
        int n[3];
        float step[3];
        float limit;
        double centre[3], radius;
        int threads;
    } cases[] = {
        // Rows longer than one 64-cube word; the sphere cuts rows mid-word.
        {{14, 17, 150}, {1, 1, 1}, 0.2f, {6.5, 8, 70.3}, 6.2, 1},
        {{14, 17, 150}, {1, 1, 1}, 0.2f, {6.5, 8, 70.3}, 6.2, 2},
        // Sphere crossing the grid's faces; a region larger than the map.
        {{30, 24, 26}, {0.7f, 0.5f, 0.9f}, -0.1f, {0, 11.2, 3}, 9.0, 2},
        {{30, 24, 26}, {0.7f, 0.5f, 0.9f}, -0.1f, {10, 6, 11}, 1000, 0},
        // A falling axis, and a radius of about one cube.
        {{25, 25, 25}, {0.4f, -0.6f, 0.5f}, 0.0f, {5, -7, 6}, 3.5, 0},
        {{25, 25, 25}, {1, 1, 1}, 0.0f, {12.5, 12.5, 12.5}, 0.9, 0},
        // Wholly outside.
        {{20, 20, 20}, {1, 1, 1}, 0.0f, {60, 5, 5}, 10, 0},
    };
    auto same = [](const auto& a, const auto& b) {
        ASSERT_EQ(a.size(), b.size());
        EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.centre[0]) + " r " +
                     ::testing::PrintToString(c.radius) + " threads " + std::to_string(c.threads));
        SceneState s;
        testing::SetGrid(s, c.n[0], c.n[1], c.n[2], {-1, 2, 0.5f},
                         {c.step[0], c.step[1], c.step[2]});
        testing::FillNoise(s, 3);
        const MapRegion region{{c.centre[0], c.centre[1], c.centre[2]}, c.radius};
        std::vector<SurfaceTriangle> whole(kMaxTrianglesPerLayer), part(kMaxTrianglesPerLayer);
        whole.resize(ExtractSurface(s.map.MapGrid, s.map.DensityGrid, table, c.limit, whole.data(),
                                    kMaxTrianglesPerLayer, c.threads));
        part.resize(ExtractSurface(s.map.MapGrid, s.map.DensityGrid, table, c.limit, part.data(),
                                   kMaxTrianglesPerLayer, c.threads, {}, region));
        same(part, Within(s, c.limit, whole, region, 0, [&](int q) {
                 return q == 0 || q == 255 ? 0 : int(table.TriangleTable[q][0]);
             }));

        // Contours in a middle section: squares centred within the radius.
        s.surfaces.ContourLayer = static_cast<std::int16_t>(c.n[2] / 2);
        auto contour = [&] {
            GenerateContour(s, c.limit, 1);
            const auto& store = s.surfaces.ContourSegments[1];
            return std::vector(store.begin(), store.begin() + s.surfaces.ContourSegmentCount[1]);
        };
        const std::vector<ContourSegment> wholeSegs = contour();
        ASSERT_GT(wholeSegs.size(), 10u);
        s.switches.MapRadius = static_cast<float>(c.radius);
        for (int a = 0; a < 3; ++a) s.surfaces.RegionCentre[a] = static_cast<float>(c.centre[a]);
        same(contour(),
             Within(s, c.limit, wholeSegs, ExtractionRegion(s), s.surfaces.ContourLayer, [](int q) {
                 return q == 5 || q == 10 ? 2 : q == 0 || q == 15 ? 0 : 1;
             }));
    }
}

TEST(MapRegion, TheRegionFollowsTheCentreOfView) {
    SceneState s;
    s.view.ViewScale = 2.0f;
    s.view.ViewTranslation[0] = 3.0f;
    const float pick[3] = {1.5f, -2.0f, 0.25f};
    EXPECT_EQ(CentreOfView(s.view).x, -1.5f);  // p drawn at R (T + s p)
    CentreViewOn(s, pick);
    const XYZ c = CentreOfView(s.view);
    testing::ExpectNear(std::array{c.x, c.y, c.z}, {1.5, -2, 0.25});

    EXPECT_FALSE(RegionLagsView(s));  // no radius: the whole map, nothing to follow
    s.switches.MapRadius = 5;
    EXPECT_TRUE(RegionLagsView(s));
    CentreRegionOnView(s);
    EXPECT_FALSE(RegionLagsView(s));
    EXPECT_EQ(ExtractionRegion(s).centre[1], -2.0);
    PanView(s, PanKey::Left);
    EXPECT_TRUE(RegionLagsView(s));
    CentreRegionOnView(s);
    s.view.ViewTranslation[2] += 1;  // along the line of sight alone
    EXPECT_TRUE(RegionLagsView(s));
    CentreRegionOnView(s);
    s.view.ViewScale = 3.0f;  // a zoom about a panned view moves the centre too
    EXPECT_TRUE(RegionLagsView(s));
}

const std::string kMap =
    std::string(ELD_TEST_DATA) + "/../../data/examples/paracetamol_hydrate.mt1";

// Every vertex of the welded mesh lies on the grid edge its id names (decoded
// here from point (i, j, k) and axis), and every side of a triangle away from
// the grid's border is shared by exactly two triangles: no cracks.
TEST(SurfaceWeld, EveryVertexOfARealMapsSurfaceLiesOnTheGridEdgeItsIdNames) {
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    ReadMapFile(s, kMap);
    const CellTable table = testing::LoadedCellTable();
    const MapGridRecord& g = s.map.MapGrid;
    const int n[3] = {g.N(1), g.N(2), g.N(3)};
    // The point (from 0) and the axis of an edge id.
    auto decode = [&](std::uint64_t id) {
        const std::uint64_t q = id / 3;
        return std::array{int(q / n[2] / n[1]), int(q / n[2] % n[1]), int(q % n[2]), int(id % 3)};
    };
    auto border = [&](std::uint64_t id) {  // the edge runs within a face of the grid
        const auto p = decode(id);
        for (int a = 0; a < 3; ++a)
            if (a != p[3] && (p[a] == 0 || p[a] == n[a] - 1)) return true;
        return false;
    };
    for (float f : {0.05f, 0.1f, 0.3f, 0.5f}) {
        SCOPED_TRACE(f);
        const float limit = g.DensityMin + f * (g.DensityMax - g.DensityMin);
        SurfaceMesh mesh, plain;
        ExtractSurfaceMesh(g, s.map.DensityGrid, table, limit, mesh, true, 0, 2);
        ExtractSurfaceMesh(g, s.map.DensityGrid, table, limit, plain, false, 0, 1);
        // The edge ids come with the store's own triangles in the store's order.
        ASSERT_EQ(mesh.edges.size(), 3 * mesh.triangles.size());
        ASSERT_GT(mesh.triangles.size(), 1000u);
        ASSERT_EQ(mesh.triangles.size(), plain.triangles.size());
        ASSERT_EQ(0, std::memcmp(mesh.triangles.data(), plain.triangles.data(),
                                 sizeof(SurfaceTriangle) * plain.triangles.size()));
        std::map<std::pair<std::uint64_t, std::uint64_t>, int> sides;
        for (std::size_t v = 0; v < mesh.edges.size(); ++v) {
            const auto p = decode(mesh.edges[v]);
            const XYZ& x = mesh.triangles[v / 3].v[v % 3];
            const float xyz[3] = {x.x, x.y, x.z};
            for (int a = 0; a < 3; ++a) {
                const double lo = g.GridOrigin[a] + p[a] * double(g.GridStep[a]);
                ASSERT_TRUE(xyz[a] >= lo - 1e-4 &&
                            xyz[a] <= lo + (a == p[3] ? g.GridStep[a] : 0) + 1e-4)
                    << v << " axis " << a;
            }
            const std::uint64_t a = mesh.edges[v], b = mesh.edges[v - v % 3 + (v + 1) % 3];
            ++sides[{std::min(a, b), std::max(a, b)}];
        }
        for (const auto& [side, uses] : sides)
            ASSERT_TRUE(uses == 2 || (border(side.first) && border(side.second))) << "a crack";
    }
}

}  // namespace
}  // namespace eld
