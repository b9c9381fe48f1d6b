// The main window's own commands, driven through their handlers, and its GL
// window mode. Tests that build FLTK windows need a display and are skipped
// without one.
#include <FL/Enumerations.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "ui/about_window.h"

namespace eld {
namespace {

std::vector<std::string> Labels(const Fl_Group* g) {
    std::vector<std::string> out;
    for (int i = 0; g && i < g->children(); ++i)
        if (const char* l = g->child(i)->label()) out.push_back(l);
    return out;
}

bool Has(const std::vector<std::string>& v, const std::string& x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

class ViewerCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
        CreateMainWindow(a);
        a.s.program.DisplayMode = StereoMode::StereoInterlaced;  // as after opening a map
        SyncViewMenu(a);
    }
    const Fl_Menu_Item* Item(const char* path) { return a.menu->find_item(path); }
    App a;
};

TEST_F(ViewerCommands, StereoToggleSwitchesTheModeTheMenuTickAndTheAboutLabel) {
    const Fl_Menu_Item* stereo = Item("&View/&Interlaced stereo");
    ASSERT_NE(stereo, nullptr);
    EXPECT_TRUE(stereo->value());
    const char* expected[] = {"NoStereo", "StereoInterlaced", "NoStereo"};
    for (const char* mode : expected) {
        mnuViewStereo_Click(a);
        EXPECT_STREQ(Text(a.s.program.DisplayMode), mode);
        EXPECT_EQ(a.monoView, std::string(mode) == "NoStereo");
        EXPECT_EQ(stereo->value() != 0, std::string(mode) == "StereoInterlaced");
        mnuHelpAbout_Click(a);
        ASSERT_NE(a.about->window(), nullptr);
        EXPECT_TRUE(Has(Labels(a.about->window()), mode)) << mode;
    }
}

TEST(GlWindowMode, ClosestFormatAndNoErrorWhenStencilOrStereoIsMissing) {
    const PixelFormatRequest interlaced = *PixelFormatFor(StereoMode::StereoInterlaced);
    const PixelFormatRequest hardware = *PixelFormatFor(StereoMode::StereoHW);
    const int base = FL_RGB | FL_DOUBLE | FL_DEPTH;
    auto any = [](int) { return true; };
    auto without = [](int bits) { return [bits](int m) { return (m & bits) == 0; }; };
    EXPECT_EQ(GlWindowMode(interlaced, any), base | FL_STENCIL);
    EXPECT_EQ(GlWindowMode(hardware, any), base | FL_STEREO);
    EXPECT_EQ(GlWindowMode(interlaced, without(FL_STENCIL)), base);
    EXPECT_EQ(GlWindowMode(hardware, without(FL_STEREO)), base);
    EXPECT_EQ(GlWindowMode(interlaced, without(FL_DEPTH)), int(FL_RGB));
    EXPECT_EQ(GlWindowMode(interlaced, [](int) { return false; }), 0);
}

}  // namespace
}  // namespace eld
