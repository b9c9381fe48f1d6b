// Extraction within a map radius: exactly the whole map's triangles (segments)
// whose cube (square) centre lies within the radius, in the same order; and
// the centre of view the region follows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "surface/marching_cubes.h"
#include "surface/marching_squares.h"
#include "tests/core/surface_reference.h"
#include "view/view_control.h"

namespace eld {
namespace {

bool Same(const XYZ* a, const XYZ* b, int n) {
    return std::memcmp(a, b, n * sizeof(XYZ)) == 0;
}

// The whole map's triangles of the cubes whose centre lies within r, found by
// walking the cubes in loop order beside the whole store (each cube owns the
// next TriangleTable[case][0] triangles).
std::vector<SurfaceTriangle> FilterSurface(const SceneState& s, const CellTable& t, float limit,
                                           const std::vector<SurfaceTriangle>& whole,
                                           const MapRegion& r) {
    const MapGridRecord& g = s.map.MapGrid;
    const DensityGridArray& d = s.map.DensityGrid;
    std::vector<SurfaceTriangle> out;
    std::size_t at = 0;
    for (int i = 1; i < g.N(1); ++i)
        for (int j = 1; j < g.N(2); ++j)
            for (int k = 1; k < g.N(3); ++k) {
                const int corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                          {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
                int c = 0;
                for (int n = 0; n < 8; ++n)
                    c |= IsAboveLimit(limit,
                                      d.at(i + corner[n][0], j + corner[n][1], k + corner[n][2]))
                         << n;
                const int n = c == 0 || c == 255 ? 0 : t.TriangleTable[c][0];
                const float x0 = g.GridOrigin[0] + float(i - 1) * g.GridStep[0];
                const float y0 = g.GridOrigin[1] + float(j - 1) * g.GridStep[1];
                const float z0 = g.GridOrigin[2] + float(k - 1) * g.GridStep[2];
                const double dx = 0.5 * g.GridStep[0], dy = 0.5 * g.GridStep[1],
                             dz = 0.5 * g.GridStep[2];
                const double cx = x0 + dx - r.centre[0], cy = y0 + dy - r.centre[1],
                             cz = z0 + dz - r.centre[2];
                if (cx * cx + cy * cy + cz * cz <= r.radius * r.radius)
                    out.insert(out.end(), whole.begin() + at, whole.begin() + at + n);
                at += n;
            }
    EXPECT_EQ(at, whole.size());
    return out;
}

struct RegionCase {
    int n[3];
    float step[3];
    float limit;
    double centre[3], radius;
    int threads;
};

TEST(MapRegion, SurfaceAndContoursAreTheWholeMapsWithinTheRadiusInStoreOrder) {
    const CellTable table = testing::LoadedCellTable();
    const RegionCase cases[] = {
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
    for (const RegionCase& c : cases) {
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
        const std::vector<SurfaceTriangle> want = FilterSurface(s, table, c.limit, whole, region);
        ASSERT_EQ(part.size(), want.size());
        EXPECT_TRUE(Same(part.data()->v, want.data()->v, 3 * int(want.size())));
        if (c.radius == 1000) {
            EXPECT_EQ(part.size(), whole.size());
        }

        // Contours in a middle section: squares centred within the radius.
        s.surfaces.ContourLayer = static_cast<std::int16_t>(c.n[2] / 2);
        GenerateContour(s, c.limit, 1);
        std::vector<ContourSegment> wholeSegs(
            s.surfaces.ContourSegments[1].begin(),
            s.surfaces.ContourSegments[1].begin() + s.surfaces.ContourSegmentCount[1]);
        ASSERT_GT(wholeSegs.size(), 10u);
        s.switches.MapRadius = static_cast<float>(c.radius);
        for (int a = 0; a < 3; ++a) s.surfaces.RegionCentre[a] = static_cast<float>(c.centre[a]);
        const MapRegion stored = ExtractionRegion(s);
        GenerateContour(s, c.limit, 1);
        std::vector<ContourSegment> wantSegs;
        const MapGridRecord& g = s.map.MapGrid;
        const float z = g.GridOrigin[2] + float(s.surfaces.ContourLayer - 1) * g.GridStep[2];
        std::size_t at = 0;
        for (int a = 1; a < c.n[0]; ++a)
            for (int b = 1; b < c.n[1]; ++b) {
                int q = 0;
                const int corner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                for (int n = 0; n < 4; ++n)
                    q |= IsAboveLimit(c.limit,
                                      s.map.DensityGrid.at(a + corner[n][0], b + corner[n][1],
                                                           s.surfaces.ContourLayer))
                         << n;
                const int n = q == 5 || q == 10 ? 2 : q == 0 || q == 15 ? 0 : 1;
                const float x = g.GridOrigin[0] + float(a - 1) * g.GridStep[0];
                const float y = g.GridOrigin[1] + float(b - 1) * g.GridStep[1];
                if (CentreInRegion(stored, x + 0.5 * g.GridStep[0], y + 0.5 * g.GridStep[1], z))
                    wantSegs.insert(wantSegs.end(), wholeSegs.begin() + at,
                                    wholeSegs.begin() + at + n);
                at += n;
            }
        ASSERT_EQ(at, wholeSegs.size());
        ASSERT_EQ(s.surfaces.ContourSegmentCount[1], int(wantSegs.size()));
        EXPECT_TRUE(Same(s.surfaces.ContourSegments[1].data()->end, wantSegs.data()->end,
                         2 * int(wantSegs.size())));
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
    EXPECT_EQ(c.x, pick[0]);
    EXPECT_EQ(c.y, pick[1]);
    EXPECT_EQ(c.z, pick[2]);

    EXPECT_FALSE(RegionLagsView(s));  // no radius: the whole map, nothing to follow
    s.switches.MapRadius = 5;
    EXPECT_TRUE(RegionLagsView(s));
    CentreRegionOnView(s);
    EXPECT_FALSE(RegionLagsView(s));
    EXPECT_EQ(ExtractionRegion(s).centre[1], -2.0);
    PanView(s, PanKey::Left);
    EXPECT_TRUE(RegionLagsView(s));
    CentreRegionOnView(s);
    s.view.ViewScale = 3.0f;  // a zoom about a panned view moves the centre too
    EXPECT_TRUE(RegionLagsView(s));
}

}  // namespace
}  // namespace eld
