#include <gtest/gtest.h>

#include "surface/layer_properties.h"

namespace eld {
namespace {

TEST(SetLayersProperites, LimitsAtOneTenthThreeTenthsAndHalf) {
    SceneState s;
    SetLayersProperites(s, 0.0f, 10.0f);
    EXPECT_EQ(s.LayerLimit[1], 1.0f);
    EXPECT_EQ(s.LayerLimit[2], 3.0f);
    EXPECT_EQ(s.LayerLimit[3], 5.0f);
    SetLayersProperites(s, -2.0f, 2.0f);
    EXPECT_FLOAT_EQ(s.LayerLimit[1], -1.6f);
    EXPECT_FLOAT_EQ(s.LayerLimit[3], 0.0f);
    SetLayersProperites(s, 0.7f, 0.7f);
    for (int l = 1; l <= 3; ++l) EXPECT_EQ(s.LayerLimit[l], 0.7f);
}

TEST(SetLayersProperites, ComputedInDoubleFromTheFloatRange) {
    SceneState s;
    const float low = 0.1f, high = 1e4f;
    SetLayersProperites(s, low, high);
    const float range = high - low;
    EXPECT_EQ(s.LayerLimit[2], static_cast<float>(double(low) + double(range) * 0.3));
}

TEST(SetLayersProperites, ASecondMapResetsEverythingTheUserChanged) {
    SceneState s;
    SetLayersProperites(s, 0.0f, 10.0f);
    s.LayerVisible[2] = kFalse;
    s.SurfaceStyle = 2;
    s.ShowContourMap = kFalse;
    s.ContourLayer = 7;
    s.LayerLimit[1] = 99.0f;
    s.SurfaceColour[3][0] = 0.0f;
    s.ContourColour[1][1] = 0.0f;
    SetLayersProperites(s, 0.0f, 10.0f);
    for (int l = 1; l <= 3; ++l) EXPECT_EQ(s.LayerVisible[l], kTrue);
    EXPECT_EQ(s.SurfaceStyle, 1);
    EXPECT_EQ(s.ShowContourMap, kTrue);
    EXPECT_EQ(s.ContourLayer, 1);
    EXPECT_EQ(s.LayerLimit[1], 1.0f);
    const float surface[4][3] = {{}, {0.1f, 0.7f, 0.1f}, {0.1f, 0.1f, 0.7f}, {0.7f, 0.1f, 0.1f}};
    const float contour[4][3] = {{}, {0.2f, 0.9f, 0.2f}, {0.4f, 0.4f, 1.0f}, {1.0f, 0.3f, 0.3f}};
    for (int l = 1; l <= 3; ++l)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(s.SurfaceColour[l][c], surface[l][c]);
            EXPECT_EQ(s.ContourColour[l][c], contour[l][c]);
        }
}

TEST(LayerHighValue, GrdMapsUseMinPlusMaxOver500) {
    SceneState s;
    s.MapGrid.DensityMin = -1.0f;
    s.MapGrid.DensityMax = 1000.0f;
    EXPECT_EQ(LayerHighValue(s, "a.mt1"), 1000.0f);
    EXPECT_EQ(LayerHighValue(s, "a.FOU"), 1000.0f);
    EXPECT_EQ(LayerHighValue(s, "a.grd"), 1.0f);
    EXPECT_EQ(LayerHighValue(s, "A.GRD"), 1.0f);
}

}  // namespace
}  // namespace eld
