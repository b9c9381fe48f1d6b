// The main window's own commands, driven through their handlers, its GL
// window mode, and what the about and help windows show. Tests that build
// FLTK windows need a display and are skipped without one.
#include <FL/Enumerations.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/app.h"
#include "tests/core/temp_folder.h"
#include "ui/about_window.h"
#include "ui/help_window.h"

namespace eld {
namespace {

TEST(ViewerCommands, StereoToggleSwitchesTheModeTheMenuTickAndTheAboutLabel) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    App a;
    CreateMainWindow(a);
    a.s.program.DisplayMode = StereoMode::StereoInterlaced;  // as after opening a map
    SyncViewMenu(a);
    const Fl_Menu_Item* stereo = a.menu->find_item("&View/&Interlaced stereo");
    ASSERT_NE(stereo, nullptr);
    EXPECT_TRUE(stereo->value());
    for (const char* mode : {"NoStereo", "StereoInterlaced", "NoStereo"}) {
        mnuViewStereo_Click(a);
        EXPECT_STREQ(Text(a.s.program.DisplayMode), mode);
        EXPECT_EQ(a.monoView, std::string(mode) == "NoStereo");
        EXPECT_EQ(stereo->value() != 0, std::string(mode) == "StereoInterlaced");
        mnuHelpAbout_Click(a);
        const Fl_Window* about = a.about->window();
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(std::any_of(
            about->array(), about->array() + about->children(),
            [&](Fl_Widget* w) { return w->label() && w->label() == std::string_view(mode); }))
            << mode;
    }
}

TEST(GlWindowMode, ClosestFormatAndNoErrorWhenStencilOrStereoIsMissing) {
    const PixelFormatRequest interlaced = *PixelFormatFor(StereoMode::StereoInterlaced);
    const PixelFormatRequest hardware = *PixelFormatFor(StereoMode::StereoHW);
    const int base = FL_RGB | FL_DOUBLE | FL_DEPTH;
    auto without = [](int bits) { return [bits](int m) { return (m & bits) == 0; }; };
    EXPECT_EQ(GlWindowMode(interlaced, without(0)), base | FL_STENCIL);
    EXPECT_EQ(GlWindowMode(hardware, without(0)), base | FL_STEREO);
    EXPECT_EQ(GlWindowMode(interlaced, without(FL_STENCIL)), base);
    EXPECT_EQ(GlWindowMode(hardware, without(FL_STEREO)), base);
    EXPECT_EQ(GlWindowMode(interlaced, without(FL_DEPTH)), int(FL_RGB));
    EXPECT_EQ(GlWindowMode(interlaced, [](int) { return false; }), 0);
}

namespace fs = std::filesystem;

TEST(AboutWindow, TriangleTotalCountsOnlyVisibleLayers) {
    SceneState s;
    std::ranges::copy(std::array{0, 1000, 400, 250}, s.surfaces.TriangleCount);
    std::ranges::copy(std::array{kFalse, kTrue, kFalse, kTrue}, s.layers.LayerVisible);
    EXPECT_EQ(VisibleTriangleTotal(s), 1250);
    s.layers.LayerVisible[2] = 1;  // any non-zero value counts as visible
    EXPECT_EQ(VisibleTriangleTotal(s), 1650);
}

TEST(AboutWindow, DriverStrings) {
    const unsigned char vendor[] = "Mesa\xb5";
    EXPECT_EQ(GetGLString(vendor), "Mesa\xb5") << "bytes are taken as they are";
    EXPECT_EQ(GetGLString(nullptr), "");
    EXPECT_EQ(AboutDriverText("Mesa", "4.5 (Compatibility Profile) Mesa 22.3.6"),
              "Mesa 4.5 (Compatibility Profile) Mesa 22.3.6");
    EXPECT_STREQ(kAboutVersion, "Version 1.1 beta  7");
}

TEST(HelpText, EveryLineEndsWithCrLfAlsoTheLastOneAndAMissingReadmeIsNamed) {
    const testing::TempDir tmp;
    for (auto [bytes, text] :
         {std::pair{"first\nsecond line\nthird", "first\r\nsecond line\r\nthird\r\n"},
          {"dos\r\nfile\r\n\r\nend\r\n", "dos\r\nfile\r\n\r\nend\r\n"},
          {"", ""}}) {
        tmp.Put("readme.txt", bytes);
        EXPECT_EQ(ReadHelpText(tmp.path.string()), text);
    }
    const std::string text = ReadHelpText(tmp / "nowhere");
    EXPECT_NE(text.find("readme.txt"), std::string::npos) << text;
    EXPECT_NE(text.find("nowhere"), std::string::npos) << text;
}

TEST(HelpReadme, ShippedIsReadFromTheDataFolder) {
    const std::string text = ReadHelpText(ELD_BIN_DIR);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

}  // namespace
}  // namespace eld
