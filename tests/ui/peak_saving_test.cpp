// The save flow of the peak list: the dialog's default name and filter, the
// written file, cancel and failures (a failed write keeps the old file: the
// atomic writer's own tests), and the peaks kept when the program ends unsaved.
#include "app/peak_saving.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/core/temp_folder.h"
#include "tests/support/peak_scene.h"
#include "tests/support/scripted_dialogs.h"

namespace eld {
namespace {

namespace fs = std::filesystem;

class TempDir : public ::testing::Test {
  protected:
    testing::TempDir tmp_;
    const fs::path dir_ = tmp_.path;
    SceneState s = IdentityCell();
    ScriptedDialogs d;  // no answer queued: cancel
};
using SavePeakListTest = TempDir;

TEST_F(SavePeakListTest, AsksWithDefaultNameAndFilterAndWritesTheListAsItIsNow) {
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    AddPeak(s, 1.0f, 2.0f, 3.0f);
    const fs::path a = dir_ / "a.dat", b = dir_ / "b.dat";
    d.file_answers = {a.string(), b.string(), a.string()};
    EXPECT_TRUE(SavePeakList(s, d));
    ASSERT_EQ(d.default_names, std::vector<std::string>{"newatoms.dat"});
    EXPECT_EQ(d.filters[0], "Peak data file (*.dat)|*.dat|All files (*.*)|*.*");
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(testing::ReadFile(a),
              "ATOM Q  1   X= .25  Y= .5  Z=-.125 \r\n"
              "ATOM Q  2   X= 1  Y= 2  Z= 3 \r\n");
    ASSERT_TRUE(SavePeakList(s, d));  // saving leaves the list as it was
    EXPECT_EQ(testing::ReadFile(b), testing::ReadFile(a));
    // Clear Peaks forgets the rows without erasing them; one new pick.
    s.peaks.PeakCount = 0;
    AddPeak(s, 4.0f, 5.0f, 6.0f);
    ASSERT_TRUE(SavePeakList(s, d));
    EXPECT_EQ(testing::ReadFile(a), "ATOM Q  1   X= 4  Y= 5  Z= 6 \r\n")
        << "the old file is replaced";
}

TEST_F(SavePeakListTest, CancelWritesNothingAndAFileInAMissingFolderIsNamed) {
    AddPeak(s, 1.0f, 1.0f, 1.0f);
    EXPECT_FALSE(SavePeakList(s, d));
    EXPECT_TRUE(d.messages.empty());
    EXPECT_TRUE(fs::is_empty(dir_));
    const std::string file = (dir_ / "no_such_folder" / "newatoms.dat").string();
    d.file_answers.push_back(file);
    EXPECT_FALSE(SavePeakList(s, d));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].find(file), std::string::npos) << d.messages[0];
}

TEST_F(SavePeakListTest, PeakThatIsNotFiniteIsReportedAndNothingIsAskedOrWritten) {
    AddPeak(s, 1.0f, 1.0f, NAN);
    d.file_answers.push_back((dir_ / "newatoms.dat").string());
    EXPECT_FALSE(SavePeakList(s, d));
    EXPECT_TRUE(d.default_names.empty()) << "no file to ask for";
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].find("peak 1: its fractional X coordinate is nan"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(TempDir, UnsavedPeaksAreKeptBesideTheMapOrInTheCurrentFolder) {
    fs::create_directories(dir_ / "maps");
    s.map.MapFileName = (dir_ / "maps" / "blob.fou").string();
    UnsavedPeaks u;
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    NotePeakAdded(u, s);
    NotePeaksSaved(u, s);
    EXPECT_EQ(KeepUnsavedPeaks(u), "") << "everything is saved";
    AddPeak(s, 1, 2, 3);
    NotePeakAdded(u, s);
    s.map.CellMatrix[0][0] = 2;  // another map's cell does not change them
    const std::string beside = (dir_ / "maps" / "blob.recovered-peaks.dat").string();
    ASSERT_EQ(KeepUnsavedPeaks(u), beside);
    EXPECT_EQ(testing::ReadFile(beside), PeakLine(1, {1, 2, 3}) + "\r\n")
        << "only the unsaved peak";
    EXPECT_EQ(KeepUnsavedPeaks(u), "") << "kept once";

    // A map folder that cannot take the file: the current folder.
    s.map.MapFileName = (dir_ / "gone" / "blob.fou").string();
    ForgetPeaks(u);
    AddPeak(s, 4, 5, 6);
    NotePeakAdded(u, s);
    const fs::path cwd = fs::current_path();
    fs::current_path(dir_);
    const std::string kept = KeepUnsavedPeaks(u);
    fs::current_path(cwd);
    EXPECT_EQ(kept, "blob.recovered-peaks.dat");
    EXPECT_EQ(testing::ReadFile(dir_ / kept), PeakListText(s)) << "all three after ForgetPeaks";
}

}  // namespace
}  // namespace eld
