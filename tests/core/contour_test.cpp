// Marching squares in one section.
#include <gtest/gtest.h>

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
