#include "mapdata/presets.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "mapdata/eld_error.h"
#include "mapdata/geometry.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

class PresetsTest : public testing::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        s_.program.DataFolder = dir_.string();
    }
    void Write(const std::string& text) { Put("layer_limit_presets.txt", text); }
    SceneState s_;
};

TEST_F(PresetsTest, FourLinesPerPresetLeadingNumbers) {
    Write(
        "first preset\n2.5 x\n -1.25\r\nnone\n\n1e1\n3\n4\nthird, last\n.5\n0.75\n1 0\nignored\n");
    LoadLayerLimitPresets(s_);
    const auto& p = s_.layers.LayerLimitPresets;
    EXPECT_EQ(p[0].Description, "first preset");
    EXPECT_EQ(p[0].Limit[0], 2.5);
    EXPECT_EQ(p[0].Limit[1], -1.25);
    EXPECT_EQ(p[0].Limit[2], 0.0);    // a line without a number
    EXPECT_EQ(p[1].Description, "");  // empty tooltip
    EXPECT_EQ(p[1].Limit[0], 10.0);
    EXPECT_EQ(p[1].Limit[2], 4.0);
    EXPECT_EQ(p[2].Description, "third, last");
    EXPECT_EQ(p[2].Limit[0], 0.5);
    EXPECT_EQ(p[2].Limit[2], 10.0);  // blanks inside the number are ignored
}

TEST_F(PresetsTest, ShortOrMissingFileLeavesThePresetsEmpty) {
    Write("a\n1\n2\n3\nb\n4\n5\n6\nc\n7\n8\n9\n");
    LoadLayerLimitPresets(s_);
    EXPECT_EQ(s_.layers.LayerLimitPresets[2].Limit[2], 9.0);
    Write("a\n1\n2\n3\nb\n4\n5\n6\nc\n7\n8");  // eleven lines
    try {
        LoadLayerLimitPresets(s_);
        ADD_FAILURE();
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Recoverable);
        EXPECT_NE(std::string(e.what()).find("layer_limit_presets.txt"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("11 lines"), std::string::npos) << e.what();
    }
    for (const auto& p : s_.layers.LayerLimitPresets) {
        EXPECT_EQ(p.Description, "");
        EXPECT_EQ(p.Limit[0], 0.0);
    }
    std::filesystem::remove(dir_ / "layer_limit_presets.txt");
    EXPECT_THROW(LoadLayerLimitPresets(s_), EldError);
}

TEST_F(PresetsTest, ShippedFileHasThreeIncreasingPresets) {
    s_.program.DataFolder = ELD_BIN_DIR;
    LoadLayerLimitPresets(s_);
    for (const auto& p : s_.layers.LayerLimitPresets) {
        EXPECT_FALSE(p.Description.empty());
        EXPECT_GT(p.Limit[0], 0.0);
        EXPECT_LT(p.Limit[0], p.Limit[1]);
        EXPECT_LT(p.Limit[1], p.Limit[2]);
    }
}

TEST(InvertMatrix3, ProductWithTheInverseIsTheIdentity) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-3, 3);
    for (int trial = 0; trial < 50; ++trial) {
        Matrix3 a;
        for (auto& row : a)
            for (float& v : row) v = u(rng);
        Matrix3 b = InvertMatrix3(a);
        float det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                    a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                    a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
        if (std::fabs(det) < 0.5f) continue;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                float p = 0;
                for (int k = 0; k < 3; ++k) p += a[i][k] * b[k][j];
                EXPECT_NEAR(p, i == j ? 1.0f : 0.0f, 1e-4) << trial;
            }
    }
}

TEST(InvertRotationPart, QuarterTurnAboutZAndUntouchedElements) {
    // Rotation by 90 degrees about z: elements 4a + b hold R(a+1, b+1).
    float m[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    float n[16];
    for (int k = 0; k < 16; ++k) n[k] = 100.0f + k;
    InvertRotationPart(m, n);
    const float back[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    const int rot[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int k = 0; k < 9; ++k) EXPECT_FLOAT_EQ(n[rot[k]], back[k]) << rot[k];
    for (int k : {3, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(n[k], 100.0f + k);
}

}  // namespace
}  // namespace eld
