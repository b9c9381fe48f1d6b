// The control panel's arithmetic: slider mapping, clamps, reading the text
// boxes and the Z layer bounds, without any widget.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <vector>

#include "ui/control_panel_logic.h"

namespace eld {
namespace {

SceneState MapWithRange(float dmin, float dmax, int nz = 20) {
    SceneState s;
    s.map.MapGrid.DensityMin = dmin;
    s.map.MapGrid.DensityMax = dmax;
    s.map.MapGrid.GridPoints[0] = 10;
    s.map.MapGrid.GridPoints[1] = 12;
    s.map.MapGrid.GridPoints[2] = static_cast<float>(nz);
    return s;
}

TEST(ControlPanelSlider, PositionMapsLinearlyOntoTheDensityRange) {
    // Just over one half: the position is divided by 32767, not 32768.
    const MapGridRecord g = MapWithRange(0.0f, 1.0f).map.MapGrid;
    EXPECT_GT(LimitFromSliderPosition(g, 16384), 0.5f);
    const MapGridRecord h = MapWithRange(-2.0f, 6.0f).map.MapGrid;
    const struct {
        const MapGridRecord& g;
        int position;
        float limit;
    } cases[] = {{g, 16384, static_cast<float>(16384.0 / 32767.0)},
                 {g, 0, 0.0f},
                 {g, 32767, 1.0f},
                 {h, 0, -2.0f},
                 {h, 32767, 6.0f},
                 {h, 8192, static_cast<float>(8192.0 / 32767 * 8 - 2)}};
    for (const auto& c : cases)
        EXPECT_EQ(LimitFromSliderPosition(c.g, c.position), c.limit) << c.position;
}

TEST(ControlPanelSlider, LimitGivesTheNearestPositionWithinTheSlider) {
    const MapGridRecord g = MapWithRange(-2.0f, 6.0f).map.MapGrid;
    // 16383.5 rounds to even, 8191.75 up; limits outside the range (not yet
    // clamped) keep the slider at its ends.
    for (auto [limit, position] : {std::pair{-2.0f, 0}, {6.0f, 32767}, {2.0f, 16384}, {0.0f, 8192},
                                   {100.0f, 32767}, {-100.0f, 0}})
        EXPECT_EQ(SliderPositionFromLimit(g, limit), position) << limit;
    // Positions round-trip through the limit they set.
    for (int p : {1, 77, 16383, 20000, 32766})
        EXPECT_EQ(SliderPositionFromLimit(g, LimitFromSliderPosition(g, p)), p);
}

TEST(ControlPanelSlider, EmptyDensityRangeDoesNotDivideByZero) {
    SceneState s = MapWithRange(3.5f, 3.5f);
    EXPECT_EQ(SliderPositionFromLimit(s.map.MapGrid, 3.5f), 0);
    EXPECT_EQ(SliderPositionFromLimit(s.map.MapGrid, 9.0f), 0);
    EXPECT_EQ(LimitFromSliderPosition(s.map.MapGrid, 16384), 3.5f);
    ApplyLimits(s, 1.0, 3.5, 7.0);
    EXPECT_EQ(s.layers.LayerLimit[1], 3.5f);
    EXPECT_EQ(s.layers.LayerLimit[3], 3.5f);
}

TEST(ControlPanelClamp, LimitsAreClampedIntoTheDensityRange) {
    SceneState s = MapWithRange(-1.5f, 4.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [v, want] : {std::pair{9.0f, 4.0f}, {-9.0f, -1.5f}, {0.25f, 0.25f}, {nan, -1.5f},
                           {std::numeric_limits<float>::infinity(), 4.0f}})
        EXPECT_EQ(ClampToDensityRange(s.map.MapGrid, v), want) << v;
    ApplyLimits(s, 10.0, -10.0, 1.25);
    EXPECT_EQ(std::vector<float>(s.layers.LayerLimit, s.layers.LayerLimit + 4),
              (std::vector<float>{0.0f, 4.0f, -1.5f, 1.25f}))
        << "slot 0 is not a layer";
}

TEST(ControlPanelText, LeadingNumberReadsThePrefixOnly) {
    // Only '.' separates decimals; no number at all reads as 0.
    const std::pair<const char*, double> cases[] = {
        {"1.25", 1.25}, {"  -0.5abc", -0.5}, {".75", 0.75}, {"+3", 3.0}, {"2.5e2 e/A^3", 250.0},
        {"7e", 7.0},    {"12,5", 12.0},      {"abc", 0.0},  {"", 0.0},   {"-", 0.0},
        {".", 0.0}};
    for (auto [text, want] : cases) EXPECT_EQ(LeadingNumber(text), want) << text;
}

TEST(ControlPanelText, ReadPanelControlsClampsTypedLimitsAndTheZLayer) {
    SceneState s = MapWithRange(-1.0f, 2.0f, 15);
    ReadPanelControls(s, {"5", "not a number", "-3"}, "0");
    EXPECT_EQ(s.layers.LayerLimit[1], 2.0f) << "above DensityMax";
    EXPECT_EQ(s.layers.LayerLimit[2], 0.0f) << "no number gives 0, inside the range";
    EXPECT_EQ(s.layers.LayerLimit[3], -1.0f) << "below DensityMin";
    EXPECT_EQ(s.surfaces.ContourLayer, 1);

    SceneState t = MapWithRange(0.5f, 2.0f, 15);
    ReadPanelControls(t, {"x", "1.5", "1.75"}, "99");
    EXPECT_EQ(t.layers.LayerLimit[1], 0.5f) << "0 from the text, then clamped up";
    EXPECT_EQ(t.layers.LayerLimit[2], 1.5f);
    EXPECT_EQ(t.surfaces.ContourLayer, 15);

    ReadPanelControls(t, {"1", "1", "1"}, "7.6");
    EXPECT_EQ(t.surfaces.ContourLayer, 8);
    ReadPanelControls(t, {"1", "1", "1"}, "layer");
    EXPECT_EQ(t.surfaces.ContourLayer, 1);
}

TEST(ControlPanelText, LimitsTypedInSigmaAreMeanPlusNRms) {
    MapGridRecord g;
    g.DensityMean = 0.1;
    g.DensityRms = 0.4;
    struct Case {
        const char* text;
        double limit;
    } const cases[] = {{"3s", 1.3},  {"3\u03c3", 1.3}, {" -1.5 sigma", -0.5},
                       {"2", 2.0},   {"2.5e/A3", 2.5}, {"0.5 s", 0.3},
                       {"sigma", 0}, {"", 0}};
    for (const Case& c : cases) EXPECT_NEAR(LimitFromText(g, c.text), c.limit, 1e-12) << c.text;
    EXPECT_EQ(SigmaText(g, 1.06), "2.4 \u03c3");
    EXPECT_EQ(SigmaText(g, 0.09), "0.0 \u03c3");
    g.DensityRms = 0;
    EXPECT_EQ(SigmaText(g, 1.0), "") << "a flat map has no sigma";
}

TEST(ControlPanelZLayer, ButtonsStayWithinOneToNz) {
    for (auto [from, step, want] : {std::array{1, -1, 1}, {15, +1, 15}, {7, -1, 6}, {7, +1, 8}})
        EXPECT_EQ(ContourLayerStep(from, step, 15), want) << from << " " << step;
    for (auto [text, want] : {std::pair{"-4", 1}, {"15", 15}, {"16", 15}, {"100000", 15}})
        EXPECT_EQ(ContourLayerFromText(text, 15), want) << text << " (no 16-bit overflow)";
}

TEST(ControlPanelText, LabelsAndRoundTrippingLimitText) {
    EXPECT_EQ(ZRangeText(41), "<1,41>");
    SceneState s = MapWithRange(0, 1, 41);
    EXPECT_EQ(GridPointsZ(s.map.MapGrid), 41);
    for (float v : {0.1f, -0.3f, 1234.5678f, 1e-7f, 16384.0f / 32767.0f}) {
        const std::string text = FloatText(v);
        EXPECT_EQ(static_cast<float>(LeadingNumber(text)), v) << text;
    }
    EXPECT_EQ(FloatText(0.25f), "0.25");
}

TEST(ControlPanelSwitch, ToggleTwiceReturnsToTheFirstState) {
    EXPECT_EQ(ToggleSwitch(kTrue), kFalse);
    EXPECT_EQ(ToggleSwitch(kFalse), kTrue);
    // Only exactly -1 counts as true for a toggle.
    EXPECT_EQ(ToggleSwitch(1), kTrue);
    for (Switch first : {kTrue, kFalse}) EXPECT_EQ(ToggleSwitch(ToggleSwitch(first)), first);
}

}  // namespace
}  // namespace eld
