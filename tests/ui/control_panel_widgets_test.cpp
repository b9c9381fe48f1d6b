// The control panel: its arithmetic (slider mapping, clamps, reading the text
// boxes, the Z layer bounds) without any widget, then its widgets, driven
// through their callbacks; the window is built but never shown.
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Output.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>
// After gtest: the X11 headers it pulls in define None.
#include <FL/fl_draw.H>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "ui/control_panel.h"
#include "ui/control_panel_logic.h"

namespace eld {
namespace {

struct RecordingHost : ControlPanelHost {
    std::vector<std::string> calls;
    SceneState* s = nullptr;
    int list_valid_at_generate = -1;
    void GenerateFields() override {
        calls.push_back("GenerateFields");
        list_valid_at_generate = s->SceneListValid;
    }
    void Repaint() override { calls.push_back("Repaint"); }
    void SetView(Axis d) override { calls.push_back(std::string("SetView ") + Text(d)); }
};

class PanelWidgets : public ::testing::Test {
  protected:
    PanelWidgets() : panel_(s_, host_) {
        host_.s = &s_;
        s_.map.MapGrid.DensityMin = -1.0f;
        s_.map.MapGrid.DensityMax = 3.0f;
        s_.map.MapGrid.GridPoints[2] = 12;
        std::ranges::copy(std::array{0.0f, -0.6f, 0.2f, 1.0f}, s_.layers.LayerLimit);
        std::ranges::copy(std::array{kTrue, kTrue, kFalse}, s_.layers.LayerVisible + 1);
        s_.surfaces.ContourLayer = 4;
        s_.SceneListValid = 1;
        s_.layers.LayerLimitPresets[1] = {{-5.0, 0.25, 2.75}, "heavy atoms"};
        panel_.Create();
    }

    template <class T = Fl_Widget>
    T* C(const char* name) {
        Fl_Widget* w = panel_.Control(name);
        EXPECT_NE(w, nullptr) << name;
        return static_cast<T*>(w);
    }
    std::string Text(const char* name) { return C<Fl_Input>(name)->value(); }
    // A value set into the widget, then its callback, as when the user moves or types.
    template <class T, class V>
    void Set(const char* name, V value) {
        C<T>(name)->value(value);
        C(name)->do_callback();
    }
    std::vector<float> Limits() const {
        return {s_.layers.LayerLimit + 1, s_.layers.LayerLimit + 4};
    }
    // A click on a check box or option: the widget changes its own value,
    // then runs its callback.
    void Click(const char* name) {
        Fl_Button* b = C<Fl_Button>(name);
        if (b->type() == FL_RADIO_BUTTON)
            b->setonly();
        else if (b->type() == FL_TOGGLE_BUTTON)
            b->value(!b->value());
        b->do_callback();
    }

    SceneState s_;
    RecordingHost host_;
    frmControlPanel panel_;
};

TEST_F(PanelWidgets, LoadFillsEveryControlFromTheState) {
    EXPECT_STREQ(panel_.window()->label(), "Control Panel");
    for (auto [name, text] : {std::pair{"Text1", "-1"}, {"Text2", "3"}, {"Text6", "4"}})
        EXPECT_EQ(Text(name), text) << name;
    EXPECT_EQ(Text("Limit1"), FloatText(-0.6f));
    std::string on;
    for (const char* b : {"Check1", "Check3", "Check4", "Option1", "Option2", "Option3", "Option4"})
        on += std::to_string(C<Fl_Button>(b)->value());
    EXPECT_EQ(on, "1011010");
    EXPECT_EQ(C<Fl_Scrollbar>("HScroll2")->value(), SliderPositionFromLimit(s_.map.MapGrid, 0.2f));
    std::string texts;  // labels, then tooltips
    for (const char* w : {"Label7", "Check1", "Check2"}) texts += C(w)->label() + std::string("|");
    for (const char* w : {"Preset2", "Check6", "Command2", "ForceAxesY"})
        texts += C(w)->tooltip() + std::string("|");
    EXPECT_EQ(texts,
              "<1,12>|Layer1|Layer 2|heavy atoms|show lattice cell|-1 contour hight|Force viewing "
              "along Y axes|");
    EXPECT_TRUE(host_.calls.empty()) << "loading changes nothing";
}

TEST_F(PanelWidgets, TogglesAndOptionsChangeTheStateWithoutRedrawing) {
    Click("Check3");
    EXPECT_EQ(s_.layers.LayerVisible[3], kTrue);
    for (const char* name : {"Check3", "Check6", "Check4", "Option2", "Option4"}) Click(name);
    // A second click restores the switch.
    EXPECT_EQ((std::array{s_.layers.LayerVisible[3], s_.switches.ShowCell, s_.switches.ShowAtoms}),
              (std::array{kFalse, kTrue, kFalse}));
    EXPECT_EQ(s_.switches.SurfaceStyle, 2);
    EXPECT_EQ(C<Fl_Button>("Option1")->value(), 0);
    EXPECT_EQ(s_.switches.PickingMode, PickMode::Section2D);
    Click("Option3");
    EXPECT_EQ(s_.switches.PickingMode, PickMode::Surface3D);
    EXPECT_TRUE(host_.calls.empty());
    EXPECT_EQ(s_.SceneListValid, 1);
}

TEST_F(PanelWidgets, SlidersSetLimitsAndTheSigmaBesideFollowsSliderTypingAndApply) {
    s_.map.MapGrid.DensityMean = 0.2;
    s_.map.MapGrid.DensityRms = 0.5;
    panel_.Load();
    EXPECT_STREQ(C("Sigma3")->label(), "1.6 \u03c3");  // limit 1.0
    Set<Fl_Scrollbar>("HScroll1", 16384);
    const float expected = static_cast<float>(16384.0 / 32767.0 * 4.0 - 1.0);
    EXPECT_EQ(s_.layers.LayerLimit[1], expected);
    EXPECT_EQ(Text("Limit1"), FloatText(expected));
    EXPECT_TRUE(host_.calls.empty()) << "a slider does not redraw";
    Set<Fl_Scrollbar>("HScroll3", kSliderMax);  // DensityMax 3
    EXPECT_STREQ(C("Sigma3")->label(), "5.6 \u03c3");
    Set<Fl_Input>("Limit2", "3s");
    EXPECT_STREQ(C("Sigma2")->label(), "3.0 \u03c3") << "shown while typing";
    EXPECT_EQ(s_.layers.LayerLimit[2], 0.2f) << "stored only on Apply";
    C("Command1")->do_callback();
    EXPECT_EQ(s_.layers.LayerLimit[2], 1.7f) << "mean + 3 rms, in e/A^3";
    EXPECT_EQ(Text("Limit2"), "1.7");
}

TEST_F(PanelWidgets, PresetLoadsClampedLimitsAndMovesTheSliders) {
    C("Preset2")->do_callback();
    EXPECT_EQ(Limits(), (std::vector<float>{-1.0f, 0.25f, 2.75f})) << "-5 clamped to DensityMin";
    EXPECT_EQ(Text("Limit1"), "-1");
    EXPECT_EQ(C<Fl_Scrollbar>("HScroll1")->value(), 0);
    EXPECT_EQ(C<Fl_Scrollbar>("HScroll3")->value(), SliderPositionFromLimit(s_.map.MapGrid, 2.75f));
    EXPECT_TRUE(host_.calls.empty()) << "no redraw";
}

TEST_F(PanelWidgets, ZButtonsStepWithinOneToNzAndAxisButtonsActAtOnce) {
    for (auto [button, layer] : {std::pair{"Command3", 12}, {"Command2", 1}}) {
        for (int i = 0; i < 20; ++i) C(button)->do_callback();
        EXPECT_EQ(s_.surfaces.ContourLayer, layer);
        EXPECT_EQ(Text("Text6"), std::to_string(layer));
    }
    EXPECT_TRUE(host_.calls.empty());
    // The axis buttons act at once.
    for (const char* name : {"ForceAxisX", "ForceAxesY", "ForceAxisZ"}) C(name)->do_callback();
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"SetView X", "SetView Y", "SetView Z"}));
}

TEST_F(PanelWidgets, ApplyReadsTheBoxesThenExtractsAndRepaints) {
    for (auto [name, text] :
         {std::pair{"Limit1", "7.5"}, {"Limit2", "abc"}, {"Limit3", "1.25 e/A3"}, {"Text6", "0"}})
        C<Fl_Input>(name)->value(text);
    C("Command1")->do_callback();
    EXPECT_EQ(Limits(), (std::vector<float>{3.0f, 0.0f, 1.25f}));
    for (auto [name, text] : {std::pair{"Limit1", "3"}, {"Limit2", "0"}, {"Text6", "1"}})
        EXPECT_EQ(Text(name), text) << name;
    EXPECT_EQ(s_.surfaces.ContourLayer, 1);
    EXPECT_EQ(C<Fl_Scrollbar>("HScroll1")->value(), 32767);
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"GenerateFields", "Repaint"}));
    EXPECT_EQ(host_.list_valid_at_generate, 0) << "the scene list is invalid before extraction";
}

TEST_F(PanelWidgets, CellBoxStartsClearedAndNoRefillSetsIt) {
    s_.switches.ShowCell = kTrue;
    panel_.Destroy();
    panel_.Create();  // a new window: cleared whatever ShowCell says
    EXPECT_EQ(C<Fl_Button>("Check6")->value(), 0);
    Click("Check6");  // the box ticks, the switch toggles from true
    ASSERT_EQ(s_.switches.ShowCell, kFalse);
    panel_.Load();  // a refill leaves the box as the click left it
    EXPECT_EQ(C<Fl_Button>("Check6")->value(), 1);
    Click("Check6");
    s_.switches.ShowCell = kTrue;
    panel_.Load();
    EXPECT_EQ(C<Fl_Button>("Check6")->value(), 0);
}

// The "+" and "-" keys of the main window write only the Z-layer box: a limit
// typed but not yet applied must survive. A fresh panel shows the state.
TEST_F(PanelWidgets, ShowContourLayerKeepsUnappliedEditsAndReloadShowsTheState) {
    C<Fl_Input>("Limit1")->value("2.5");
    s_.surfaces.ContourLayer = 7;
    panel_.ShowContourLayer();
    EXPECT_EQ(Text("Text6"), "7");
    EXPECT_EQ(Text("Limit1"), "2.5");
    s_.layers.LayerLimit[1] = 0.5f;
    s_.map.MapGrid.GridPoints[2] = 30;
    panel_.Destroy();
    EXPECT_EQ(panel_.window(), nullptr);
    EXPECT_EQ(panel_.Control("Limit1"), nullptr);
    panel_.ShowContourLayer();  // no window: nothing to write, no crash
    panel_.Create();
    EXPECT_EQ(Text("Limit1"), FloatText(0.5f));
    EXPECT_STREQ(C("Label7")->label(), "<1,30>");
}

// The density range boxes show the whole number, exponent included: the text
// reads back as the same float and fits the box (measured in the box's font,
// so a display is needed).
TEST_F(PanelWidgets, DensityRangeBoxesShowTheWholeNumber) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display to measure text";
    const float values[][2] = {{1.4653806e-12f, 9.59049f},
                               {-1.4653806e-12f, -0.0012345678f},
                               {-3.4028235e+38f, -1.1754944e-38f}};
    for (const auto& v : values) {
        s_.map.MapGrid.DensityMin = v[0];
        s_.map.MapGrid.DensityMax = v[1];
        panel_.Load();
        for (int k = 0; k < 2; ++k) {
            auto* box = C<Fl_Output>(k == 0 ? "Text1" : "Text2");
            const std::string text = box->value();
            EXPECT_EQ(std::strtof(text.c_str(), nullptr), v[k]) << text;
            fl_font(box->textfont(), box->textsize());
            // The box's frame and FLTK's text margins take 10 pixels.
            EXPECT_LE(fl_width(text.c_str()) + 10, box->w()) << text;
        }
    }
}

SceneState MapWithRange(float dmin, float dmax, int nz = 20) {
    SceneState s;
    s.map.MapGrid.DensityMin = dmin;
    s.map.MapGrid.DensityMax = dmax;
    s.map.MapGrid.GridPoints[2] = static_cast<float>(nz);
    return s;
}

TEST(ControlPanelSlider, PositionMapsLinearlyOntoTheDensityRange) {
    // Position 16384 is just over one half: divided by 32767, not 32768.
    const MapGridRecord g = MapWithRange(0.0f, 1.0f).map.MapGrid;
    const MapGridRecord h = MapWithRange(-2.0f, 6.0f).map.MapGrid;
    for (int p : {0, 8192, 16384, 32767}) {
        EXPECT_EQ(LimitFromSliderPosition(g, p), static_cast<float>(p / 32767.0)) << p;
        EXPECT_EQ(LimitFromSliderPosition(h, p), static_cast<float>(p / 32767.0 * 8 - 2)) << p;
    }
}

TEST(ControlPanelSlider, LimitGivesTheNearestPositionWithinTheSlider) {
    const MapGridRecord g = MapWithRange(-2.0f, 6.0f).map.MapGrid;
    // 16383.5 rounds to even, 8191.75 up; limits outside the range (not yet
    // clamped) keep the slider at its ends.
    const std::pair<float, int> cases[] = {{-2, 0},   {6, 32767},   {2, 16384},
                                           {0, 8192}, {100, 32767}, {-100, 0}};
    for (auto [limit, position] : cases)
        EXPECT_EQ(SliderPositionFromLimit(g, limit), position) << limit;
    // Positions round-trip through the limit they set.
    for (int p : {1, 77, 16383, 20000, 32766})
        EXPECT_EQ(SliderPositionFromLimit(g, LimitFromSliderPosition(g, p)), p);
}

TEST(ControlPanelSlider, EmptyDensityRangeDoesNotDivideByZero) {
    SceneState s = MapWithRange(3.5f, 3.5f);
    for (float v : {3.5f, 9.0f}) EXPECT_EQ(SliderPositionFromLimit(s.map.MapGrid, v), 0) << v;
    EXPECT_EQ(LimitFromSliderPosition(s.map.MapGrid, 16384), 3.5f);
}

TEST(ControlPanelClamp, LimitsAreClampedIntoTheDensityRange) {
    SceneState s = MapWithRange(-1.5f, 4.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> cases[] = {
        {9, 4}, {-9, -1.5f}, {0.25f, 0.25f}, {nan, -1.5f}, {inf, 4}};
    for (auto [v, want] : cases) EXPECT_EQ(ClampToDensityRange(s.map.MapGrid, v), want) << v;
    ApplyLimits(s, 10.0, -10.0, 1.25);
    EXPECT_EQ(std::vector<float>(s.layers.LayerLimit, s.layers.LayerLimit + 4),
              (std::vector<float>{0.0f, 4.0f, -1.5f, 1.25f}))
        << "slot 0 is not a layer";
}

TEST(ControlPanelText, LeadingNumberReadsThePrefixOnly) {
    // Only '.' separates decimals; no number at all reads as 0.
    const std::pair<const char*, double> cases[] = {
        {"1.25", 1.25}, {" \t-0.5abc", -0.5}, {".75", 0.75}, {"+3", 3.0}, {"2.5e2 e/A^3", 250.0},
        {"7e", 7.0},    {"12,5", 12.0},       {"abc", 0.0},  {"", 0.0},   {"-", 0.0},
        {".", 0.0},     {"-1e999", -HUGE_VAL}};
    for (auto [text, want] : cases) EXPECT_EQ(LeadingNumber(text), want) << text;
}

TEST(ControlPanelText, ReadPanelControlsClampsTypedLimitsAndTheZLayer) {
    SceneState s = MapWithRange(-1.0f, 2.0f, 15);
    ReadPanelControls(s, {"5", "not a number", "-3"}, "0");
    // Above DensityMax; no number gives 0, inside the range; below DensityMin.
    EXPECT_EQ(std::vector<float>(s.layers.LayerLimit + 1, s.layers.LayerLimit + 4),
              (std::vector<float>{2, 0, -1}));
    EXPECT_EQ(s.surfaces.ContourLayer, 1);

    SceneState t = MapWithRange(0.5f, 2.0f, 15);
    ReadPanelControls(t, {"x", "1.5", "1.75"}, "100000");  // no 16-bit overflow
    EXPECT_EQ(t.layers.LayerLimit[1], 0.5f) << "0 from the text, then clamped up";
    EXPECT_EQ(t.surfaces.ContourLayer, 15);
    for (auto [text, layer] : {std::pair{"7.6", 8}, {"layer", 1}}) {
        ReadPanelControls(t, {"1", "1", "1"}, text);
        EXPECT_EQ(t.surfaces.ContourLayer, layer) << text;
    }
}

TEST(ControlPanelText, LimitsTypedInSigmaAreMeanPlusNRms) {
    MapGridRecord g;
    g.DensityMean = 0.1;
    g.DensityRms = 0.4;
    const std::pair<const char*, double> cases[] = {
        {"3s", 1.3},      {"3\u03c3", 1.3}, {" -1.5 sigma", -0.5}, {"2", 2.0},
        {"2.5e/A3", 2.5}, {"0.5 s", 0.3},   {"sigma", 0},          {"", 0}};
    for (auto [text, limit] : cases) EXPECT_NEAR(LimitFromText(g, text), limit, 1e-12) << text;
    for (auto [limit, text] : {std::pair{1.06, "2.4"}, {0.09, "0.0"}, {0.18, "0.2"}})
        EXPECT_EQ(SigmaText(g, limit), text + std::string(" \u03c3"));
    g.DensityRms = 0;
    EXPECT_EQ(SigmaText(g, 1.0), "") << "a flat map has no sigma";
}

TEST(ControlPanelText, LabelsRoundTrippingLimitTextAndToggles) {
    EXPECT_EQ(ZRangeText(41), "<1,41>");
    EXPECT_EQ(ToggleSwitch(1), kTrue) << "only exactly -1 (kTrue) toggles to false";
    for (float v : {0.1f, -0.3f, 1234.5678f, 1e-7f, 16384.0f / 32767.0f}) {
        const std::string text = FloatText(v);
        EXPECT_EQ(static_cast<float>(LeadingNumber(text)), v) << text;
    }
    EXPECT_EQ(FloatText(0.25f), "0.25");
}

}  // namespace
}  // namespace eld
