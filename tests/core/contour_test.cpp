// Marching squares in one section.
#include <gtest/gtest.h>

#include <cmath>

#include "surface/marching_cubes.h"
#include "surface/marching_squares.h"
#include "tests/core/surface_reference.h"

namespace eld {
namespace {

using testing::SetGrid;

struct Seg {
    float x1, y1, x2, y2, z;
};
std::vector<Seg> Segments(const SceneState& s, int L) {
    std::vector<Seg> out;
    for (int n = 0; n < s.surfaces.ContourSegmentCount[L]; ++n) {
        const ContourSegment& c = s.surfaces.ContourSegments[L][n];
        EXPECT_EQ(c.end[0].z, c.end[1].z);
        out.push_back({c.end[0].x, c.end[0].y, c.end[1].x, c.end[1].y, c.end[0].z});
    }
    return out;
}

TEST(Contour, OnePointAboveGivesTheDiamondInLoopOrder) {
    SceneState s;
    SetGrid(s, 5, 5, 3, {10, 20, 30}, {2, 2, 5});
    s.map.DensityGrid.at(3, 3, 2) = 1.0f;
    s.surfaces.ContourLayer = 2;
    ASSERT_TRUE(GenerateContour(s, 0.5f, 2));
    std::vector<Seg> got = Segments(s, 2);
    ASSERT_EQ(got.size(), 4u);
    // Squares (2,2) case 4: 2->3; (2,3) case 2: 1->2; (3,2) case 8: 4->3; (3,3) case 1: 1->4.
    // The point sits at (14, 24); crossings halfway along each edge.
    const Seg expected[4] = {
        {14, 23, 13, 24, 35}, {13, 24, 14, 25, 35}, {14, 23, 15, 24, 35}, {15, 24, 14, 25, 35}};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(got[n].x1, expected[n].x1) << n;
        EXPECT_EQ(got[n].y1, expected[n].y1) << n;
        EXPECT_EQ(got[n].x2, expected[n].x2) << n;
        EXPECT_EQ(got[n].y2, expected[n].y2) << n;
        EXPECT_EQ(got[n].z, expected[n].z) << n;
    }
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 0);
}

TEST(Contour, SaddleCutsOffTheTwoCornersAbove) {
    SceneState s;
    SetGrid(s, 2, 2, 1);
    s.map.DensityGrid.at(1, 1, 1) = 1.0f;   // corner 1
    s.map.DensityGrid.at(2, 1, 1) = -1.0f;  // corner 2
    s.map.DensityGrid.at(2, 2, 1) = 1.0f;   // corner 3
    s.map.DensityGrid.at(1, 2, 1) = -1.0f;  // corner 4
    ASSERT_TRUE(GenerateContour(s, 0.0f, 1));
    std::vector<Seg> got = Segments(s, 1);
    ASSERT_EQ(got.size(), 2u);
    // Case 5: 1 -> 4 around corner 1, then 2 -> 3 around corner 3; no cross.
    const Seg expected[2] = {{0.5f, 0, 0, 0.5f, 0}, {1, 0.5f, 0.5f, 1, 0}};
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(got[n].x1, expected[n].x1) << n;
        EXPECT_EQ(got[n].y1, expected[n].y1) << n;
        EXPECT_EQ(got[n].x2, expected[n].x2) << n;
        EXPECT_EQ(got[n].y2, expected[n].y2) << n;
    }
}

// Every one of the 16 square cases with corner values that put each crossing
// at a different place along its edge. Checked without the case table: every
// end lies on an edge whose two corners are on opposite sides of the limit,
// at the point where the edge's linear interpolation equals the limit; every
// such edge has exactly one end; each segment joins two edges around a corner
// that lies on the segment's own side (a saddle cuts off its corners above).
TEST(Contour, EveryCaseCutsEachCrossedEdgeWhereItsValuesReachTheLimit) {
    const float limit = 0.25f, X = 10, Y = 20, dx = 2, dy = 3;
    // Corners in the order of the case bits: (1,1), (2,1), (2,2), (1,2).
    const int ca[4] = {1, 2, 2, 1}, cb[4] = {1, 1, 2, 2};
    const float above[4] = {1.0f, 2.5f, 0.6f, 4.0f}, below[4] = {-0.5f, 0.0f, -3.0f, 0.2f};
    for (int c = 0; c < 16; ++c) {
        SceneState s;
        SetGrid(s, 2, 2, 1, {X, Y, 7}, {dx, dy, 1});
        float v[4];
        for (int k = 0; k < 4; ++k) {
            v[k] = (c >> k) & 1 ? above[k] : below[k];
            s.map.DensityGrid.at(ca[k], cb[k], 1) = v[k];
        }
        ASSERT_TRUE(GenerateContour(s, limit, 1));
        // Edge k runs from corner k to corner k+1 (mod 4).
        int crossed = 0, used[4] = {0, 0, 0, 0};
        for (int k = 0; k < 4; ++k) crossed += (v[k] > limit) != (v[(k + 1) % 4] > limit);
        auto edgeOf = [&](const XYZ& p) {
            for (int k = 0; k < 4; ++k) {
                const int j = (k + 1) % 4;
                const float ax = X + (ca[k] - 1) * dx, ay = Y + (cb[k] - 1) * dy;
                const float bx = X + (ca[j] - 1) * dx, by = Y + (cb[j] - 1) * dy;
                const double t = ax != bx ? (p.x - ax) / double(bx - ax) : (p.y - ay) / double(by - ay);
                const bool on = ax != bx ? p.y == ay : p.x == ax;
                if (on && t >= 0 && t <= 1 &&
                    std::fabs(v[k] + t * (v[j] - v[k]) - limit) < 1e-5 * std::fabs(v[j] - v[k]))
                    return k;
            }
            return -1;
        };
        const int n = s.surfaces.ContourSegmentCount[1];
        EXPECT_EQ(2 * n, crossed) << "case " << c;
        for (int i = 0; i < n; ++i) {
            const ContourSegment& g = s.surfaces.ContourSegments[1][i];
            const int e0 = edgeOf(g.end[0]), e1 = edgeOf(g.end[1]);
            ASSERT_GE(e0, 0) << "case " << c << " segment " << i << " first end";
            ASSERT_GE(e1, 0) << "case " << c << " segment " << i << " second end";
            EXPECT_EQ(g.end[0].z, 7.0f);
            ++used[e0];
            ++used[e1];
            // Adjacent edges share the corner the segment cuts off; opposite
            // edges split the square (cases 3, 6, 9, 12).
            if ((e0 + 2) % 4 != e1) {
                const int corner = (e0 + 1) % 4 == e1 ? e1 : e0;
                const bool cornerAbove = v[corner] > limit;
                const int aboveCount = __builtin_popcount(c);
                EXPECT_TRUE(aboveCount == 2 ? cornerAbove : cornerAbove == (aboveCount == 1))
                    << "case " << c << " segment " << i;
            }
        }
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(used[k], (v[k] > limit) != (v[(k + 1) % 4] > limit) ? 1 : 0)
                << "case " << c << " edge " << k;
    }
}

TEST(Contour, ValuesAtTheLimitAreBelowAndCrossAtTheCorner) {
    SceneState s;
    SetGrid(s, 3, 2, 1, {0, 0, 0}, {4, 4, 4});
    for (float& v : s.map.DensityGrid.values) v = 2.0f;
    EXPECT_TRUE(GenerateContour(s, 2.0f, 1));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 0);
    EXPECT_TRUE(GenerateContour(s, 1.0f, 1));  // all above
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 0);
    s.map.DensityGrid.at(1, 1, 1) =
        3.0f;  // corner 1 of square 1 above; its neighbours at the limit
    ASSERT_TRUE(GenerateContour(s, 2.0f, 1));
    std::vector<Seg> got = Segments(s, 1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].x1, 4.0f);  // t = 1 on edge 1: the crossing is corner 2
    EXPECT_EQ(got[0].y1, 0.0f);
    EXPECT_EQ(got[0].x2, 0.0f);
    EXPECT_EQ(got[0].y2, 4.0f);
}

TEST(Contour, FlatSectionsHaveNoSquares) {
    for (auto [n1, n2] : {std::pair{1, 4}, {4, 1}}) {
        SceneState s;
        SetGrid(s, n1, n2, 2);
        testing::FillNoise(s, 5);
        s.surfaces.ContourSegmentCount[3] = 9;
        EXPECT_TRUE(GenerateContour(s, 0.0f, 3));
        EXPECT_EQ(s.surfaces.ContourSegmentCount[3], 0);
    }
}

TEST(Contour, StopsAppendingAtTheCapacity) {
    // A checkerboard: every square is a saddle with two segments.
    SceneState s;
    SetGrid(s, 240, 240, 1);
    for (int a = 1; a <= 240; ++a)
        for (int b = 1; b <= 240; ++b) s.map.DensityGrid.at(a, b, 1) = float((a + b) % 2);
    EXPECT_FALSE(GenerateContour(s, 0.5f, 1));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], kMaxSegmentsPerLimit);
    // ExtractFields passes the overflow on; the other limits are still done.
    s.switches.ShowContourMap = kTrue;
    s.layers.LayerLimit[1] = 2.0f;
    s.layers.LayerLimit[2] = 0.5f;
    s.layers.LayerLimit[3] = -1.0f;
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
    EXPECT_EQ(last.end[0].x, 210.0f);
    EXPECT_EQ(last.end[0].y, 48.5f);
    EXPECT_EQ(last.end[1].x, 209.5f);
    EXPECT_EQ(last.end[1].y, 49.0f);
    SetGrid(s, 200, 200, 1);  // 199 * 199 * 2 = 79 202 segments fit
    for (int a = 1; a <= 200; ++a)
        for (int b = 1; b <= 200; ++b) s.map.DensityGrid.at(a, b, 1) = float((a + b) % 2);
    EXPECT_TRUE(GenerateContour(s, 0.5f, 1));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[1], 2 * 199 * 199);
}

TEST(Contour, SectionAndExtractFieldsUseAllThreeLimits) {
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    SetGrid(s, 20, 21, 6);
    testing::FillSmooth(s, 10, 3);
    s.layers.LayerLimit[1] = 1.0f;
    s.layers.LayerLimit[2] = 2.0f;
    s.layers.LayerLimit[3] = 4.0f;
    s.layers.LayerVisible[1] = s.layers.LayerVisible[2] = s.layers.LayerVisible[3] =
        kFalse;  // contours regardless
    s.surfaces.ContourLayer = 4;
    EXPECT_TRUE(ExtractFields(s));
    for (int L = 1; L <= 3; ++L) {
        ASSERT_GT(s.surfaces.ContourSegmentCount[L], 0) << L;
        EXPECT_EQ(s.surfaces.ContourSegments[L][0].end[0].z, 3.0f);
        EXPECT_EQ(s.surfaces.TriangleCount[L], 0);
    }
    const int kept = s.surfaces.ContourSegmentCount[2];
    s.switches.ShowContourMap = kFalse;
    s.layers.LayerLimit[2] = 100.0f;
    ExtractFields(s);
    EXPECT_EQ(s.surfaces.ContourSegmentCount[2], kept);
}

}  // namespace
}  // namespace eld
