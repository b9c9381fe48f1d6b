#include <gtest/gtest.h>

#include "surface/layer_properties.h"

namespace eld {
namespace {

TEST(SetLayersProperites, LimitsAtOneTenthThreeTenthsAndHalf) {
    SceneState s;
    SetLayersProperites(s, 0.0f, 10.0f);
    EXPECT_EQ(s.layers.LayerLimit[1], 1.0f);
    EXPECT_EQ(s.layers.LayerLimit[2], 3.0f);
    EXPECT_EQ(s.layers.LayerLimit[3], 5.0f);
    SetLayersProperites(s, -2.0f, 2.0f);
    EXPECT_FLOAT_EQ(s.layers.LayerLimit[1], -1.6f);
    EXPECT_FLOAT_EQ(s.layers.LayerLimit[3], 0.0f);
    SetLayersProperites(s, 0.7f, 0.7f);
    for (int l = 1; l <= 3; ++l) EXPECT_EQ(s.layers.LayerLimit[l], 0.7f);
}

TEST(SetLayersProperites, ComputedInDoubleFromTheFloatRange) {
    SceneState s;
    const float low = 0.1f, high = 1e4f;
    SetLayersProperites(s, low, high);
    const float range = high - low;
    EXPECT_EQ(s.layers.LayerLimit[2], static_cast<float>(double(low) + double(range) * 0.3));
}

TEST(SetLayersProperites, ASecondMapResetsEverythingTheUserChanged) {
    SceneState s;
    SetLayersProperites(s, 0.0f, 10.0f);
    s.layers.LayerVisible[2] = kFalse;
    s.switches.SurfaceStyle = 2;
    s.switches.ShowContourMap = kFalse;
    s.surfaces.ContourLayer = 7;
    s.layers.LayerLimit[1] = 99.0f;
    s.layers.SurfaceColour[3][0] = 0.0f;
    s.layers.ContourColour[1][1] = 0.0f;
    SetLayersProperites(s, 0.0f, 10.0f);
    for (int l = 1; l <= 3; ++l) EXPECT_EQ(s.layers.LayerVisible[l], kTrue);
    EXPECT_EQ(s.switches.SurfaceStyle, 1);
    EXPECT_EQ(s.switches.ShowContourMap, kTrue);
    EXPECT_EQ(s.surfaces.ContourLayer, 1);
    EXPECT_EQ(s.layers.LayerLimit[1], 1.0f);
    const float surface[4][3] = {{}, {0.1f, 0.7f, 0.1f}, {0.1f, 0.1f, 0.7f}, {0.7f, 0.1f, 0.1f}};
    const float contour[4][3] = {{}, {0.2f, 0.9f, 0.2f}, {0.4f, 0.4f, 1.0f}, {1.0f, 0.3f, 0.3f}};
    for (int l = 1; l <= 3; ++l)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(s.layers.SurfaceColour[l][c], surface[l][c]);
            EXPECT_EQ(s.layers.ContourColour[l][c], contour[l][c]);
        }
}

TEST(LayerHighValue, GrdMapsUseMinPlusMaxOver500) {
    SceneState s;
    s.map.MapGrid.DensityMin = -1.0f;
    s.map.MapGrid.DensityMax = 1000.0f;
    EXPECT_EQ(LayerHighValue(s, "a.mt1"), 1000.0f);
    EXPECT_EQ(LayerHighValue(s, "a.FOU"), 1000.0f);
    EXPECT_EQ(LayerHighValue(s, "a.grd"), 1.0f);
    EXPECT_EQ(LayerHighValue(s, "A.GRD"), 1.0f);
}

}  // namespace
}  // namespace eld
