// What the about and help windows show, apart from the windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/core/temp_folder.h"
#include "ui/about_window.h"
#include "ui/help_window.h"

namespace eld {
namespace {

namespace fs = std::filesystem;

TEST(AboutWindow, TriangleTotalCountsOnlyVisibleLayers) {
    SceneState s;
    s.surfaces.TriangleCount[1] = 1000;
    s.surfaces.TriangleCount[2] = 400;
    s.surfaces.TriangleCount[3] = 250;
    s.layers.LayerVisible[1] = kTrue;
    s.layers.LayerVisible[2] = kFalse;
    s.layers.LayerVisible[3] = kTrue;
    EXPECT_EQ(VisibleTriangleTotal(s), 1250);
    s.layers.LayerVisible[2] = 1;  // any non-zero value counts as visible
    EXPECT_EQ(VisibleTriangleTotal(s), 1650);
    s.layers.LayerVisible[1] = s.layers.LayerVisible[2] = s.layers.LayerVisible[3] = kFalse;
    EXPECT_EQ(VisibleTriangleTotal(s), 0);
}

TEST(AboutWindow, DriverStrings) {
    const unsigned char vendor[] = "Mesa\xb5";
    EXPECT_EQ(GetGLString(vendor), "Mesa\xb5") << "bytes are taken as they are";
    EXPECT_EQ(GetGLString(nullptr), "");
    EXPECT_EQ(AboutDriverText("Mesa", "4.5 (Compatibility Profile) Mesa 22.3.6"),
              "Mesa 4.5 (Compatibility Profile) Mesa 22.3.6");
    EXPECT_STREQ(kAboutVersion, "Version 1.1 beta  7");
}

class HelpText : public ::testing::Test {
  protected:
    void WriteReadme(const std::string& bytes) { tmp_.Put("readme.txt", bytes); }
    testing::TempDir tmp_;
    const fs::path dir_ = tmp_.path;
};

TEST_F(HelpText, EveryLineEndsWithCrLfAlsoTheLastOneAndAMissingReadmeIsNamed) {
    WriteReadme("first\nsecond line\nthird");
    EXPECT_EQ(ReadHelpText(dir_.string()), "first\r\nsecond line\r\nthird\r\n");
    WriteReadme("dos\r\nfile\r\n\r\nend\r\n");
    EXPECT_EQ(ReadHelpText(dir_.string()), "dos\r\nfile\r\n\r\nend\r\n");
    WriteReadme("");
    EXPECT_EQ(ReadHelpText(dir_.string()), "");
    const std::string text = ReadHelpText((dir_ / "nowhere").string());
    EXPECT_NE(text.find("readme.txt"), std::string::npos) << text;
    EXPECT_NE(text.find("nowhere"), std::string::npos) << text;
}

TEST(HelpReadme, ShippedIsReadFromTheDataFolder) {
    const std::string text = ReadHelpText(ELD_BIN_DIR);
    if (!fs::exists(fs::path(ELD_BIN_DIR) / "readme.txt")) GTEST_SKIP() << "no readme.txt yet";
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

}  // namespace
}  // namespace eld
