// The peak list file, byte for byte: the line layout, the conversion back to
// fractional coordinates, the six-decimal cut and the save flow.
#include "mapdata/peak_list.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/scripted_dialogs.h"

namespace eld {
namespace {

namespace fs = std::filesystem;

SceneState IdentityCell() {
    SceneState s;
    s.CellMatrix = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    return s;
}

void AddPeak(SceneState& s, float x, float y, float z) {
    s.PeakList[s.PeakCount][0] = x;
    s.PeakList[s.PeakCount][1] = y;
    s.PeakList[s.PeakCount][2] = z;
    ++s.PeakCount;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream o;
    o << in.rdbuf();
    return o.str();
}

class TempDir : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("eld_peak_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST(PeakListText, ExampleLineOfAGrdMap) {
    SceneState s = IdentityCell();
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .25  Y= .5  Z=-.125 \r\n");
}

TEST(PeakListText, NumbersRunFromOneAndTwoDigitNumbersKeepTheLayout) {
    SceneState s = IdentityCell();
    for (int n = 0; n < 10; ++n) AddPeak(s, 1.0f + n, 0.0f, 2.5f);
    const std::string text = PeakListText(s);
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "ATOM Q  1   X= 1  Y= 0  Z= 2.5 ");
    EXPECT_EQ(lines[9], "ATOM Q  10   X= 10  Y= 0  Z= 2.5 ");
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "no bare LF";
}

TEST(PeakListText, EmptyListGivesEmptyText) {
    SceneState s = IdentityCell();
    EXPECT_EQ(PeakListText(s), "");
}

TEST(PeakFractional, GrdMapAddsTheCellShiftToTheScenePosition) {
    SceneState s = IdentityCell();
    s.CellShift[0] = 0.5f;
    s.CellShift[1] = -1.0f;
    s.CellShift[2] = 2.0f;
    AddPeak(s, 0.25f, 0.25f, -0.75f);
    auto f = PeakFractional(s, 0);
    EXPECT_FLOAT_EQ(f[0], 0.75f);
    EXPECT_FLOAT_EQ(f[1], -0.75f);
    EXPECT_FLOAT_EQ(f[2], 1.25f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .75  Y=-.75  Z= 1.25 \r\n");
}

TEST(PeakFractional, UndoesAnObliqueCellMatrix) {
    // Scene = M * (f - shift) with a sheared cell; the inverse must be applied
    // row by column in the right order for the file to hold f again.
    SceneState s;
    s.CellMatrix = {{{2, 1, 0}, {0, 2, 0}, {0, 0.5f, 1}}};
    s.CellShift[0] = 0.0f;
    s.CellShift[1] = 0.0f;
    s.CellShift[2] = 0.0f;
    // f = (1, 1, 1): p = (3, 2, 1.5).
    AddPeak(s, 3.0f, 2.0f, 1.5f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= 1  Y= 1  Z= 1 \r\n");
}

TEST(PeakFractional, PeakOnAnAtomGivesTheAtomsCoordinatesCutToSixDecimals) {
    // A monoclinic-like cell and an atom with seven decimals, placed in the
    // scene the way the readers place atoms: M * (f - shift).
    SceneState s;
    const double a = 10.5, b = 7.25, c = 12.0, beta = 1.9;
    s.CellMatrix = {{{static_cast<float>(a), 0, static_cast<float>(c * std::cos(beta))},
                     {0, static_cast<float>(b), 0},
                     {0, 0, static_cast<float>(c * std::sin(beta))}}};
    s.CellShift[0] = 0.5f;
    s.CellShift[1] = 0.5f;
    s.CellShift[2] = 0.5f;
    const double f[3] = {0.3141595, 0.2718285, -0.1414215};
    float p[3];
    for (int i = 0; i < 3; ++i) {
        double sum = 0;
        for (int j = 0; j < 3; ++j) sum += s.CellMatrix[i][j] * (f[j] - s.CellShift[j]);
        p[i] = static_cast<float>(sum);
    }
    AddPeak(s, p[0], p[1], p[2]);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .314159  Y= .271828  Z=-.141422 \r\n");
}

TEST(PeakFractional, CutsTowardMinusInfinityInDoublePrecision) {
    SceneState s = IdentityCell();
    AddPeak(s, 0.1234567f, -0.1234567f, 0.5f);
    // The float nearest 0.7 lies just below it, and the cut is taken of that
    // float in double precision.
    AddPeak(s, 0.7f, -0.7f, 3.0f);
    auto f1 = PeakFractional(s, 0);
    EXPECT_FLOAT_EQ(f1[0], 0.123456f);
    EXPECT_FLOAT_EQ(f1[1], -0.123457f) << "a negative value moves away from zero";
    EXPECT_EQ(f1[2], 0.5f);
    auto f2 = PeakFractional(s, 1);
    EXPECT_FLOAT_EQ(f2[0], 0.699999f);
    EXPECT_FLOAT_EQ(f2[1], -0.7f);
    EXPECT_EQ(PeakListText(s),
              "ATOM Q  1   X= .123456  Y=-.123457  Z= .5 \r\n"
              "ATOM Q  2   X= .699999  Y=-.7  Z= 3 \r\n");
}

using SavePeakListTest = TempDir;

TEST_F(SavePeakListTest, AsksWithDefaultNameAndFilterAndWritesTheFile) {
    SceneState s = IdentityCell();
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    AddPeak(s, 1.0f, 2.0f, 3.0f);
    ScriptedDialogs d;
    const fs::path file = dir_ / "peaks.dat";
    d.file_answers.push_back(file.string());
    EXPECT_TRUE(SavePeakList(s, d));
    ASSERT_EQ(d.default_names.size(), 1u);
    EXPECT_EQ(d.default_names[0], "newatoms.dat");
    EXPECT_EQ(d.filters[0], "Peak data file (*.dat)|*.dat|All files (*.*)|*.*");
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(ReadAll(file),
              "ATOM Q  1   X= .25  Y= .5  Z=-.125 \r\n"
              "ATOM Q  2   X= 1  Y= 2  Z= 3 \r\n");
    EXPECT_EQ(s.PeakCount, 2) << "saving does not clear the list";
}

TEST_F(SavePeakListTest, SavingTwiceWritesTheSameLinesAndAClearedListRestartsAtOne) {
    SceneState s = IdentityCell();
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    AddPeak(s, 1.0f, 2.0f, 3.0f);
    ScriptedDialogs d;
    const fs::path a = dir_ / "a.dat", b = dir_ / "b.dat";
    d.file_answers = {a.string(), b.string(), a.string()};
    ASSERT_TRUE(SavePeakList(s, d));
    ASSERT_TRUE(SavePeakList(s, d));
    EXPECT_EQ(ReadAll(a), ReadAll(b));
    // Clear Peaks forgets the rows without erasing them; one new pick.
    s.PeakCount = 0;
    AddPeak(s, 4.0f, 5.0f, 6.0f);
    ASSERT_TRUE(SavePeakList(s, d));
    EXPECT_EQ(ReadAll(a), "ATOM Q  1   X= 4  Y= 5  Z= 6 \r\n") << "the old file is replaced";
}

TEST_F(SavePeakListTest, CancelledDialogWritesNothing) {
    SceneState s = IdentityCell();
    AddPeak(s, 1.0f, 1.0f, 1.0f);
    ScriptedDialogs d;  // no answer queued: cancel
    EXPECT_FALSE(SavePeakList(s, d));
    EXPECT_TRUE(d.messages.empty());
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(SavePeakListTest, FileInAMissingFolderIsReportedNamingTheFile) {
    SceneState s = IdentityCell();
    AddPeak(s, 1.0f, 1.0f, 1.0f);
    ScriptedDialogs d;
    const std::string file = (dir_ / "no_such_folder" / "newatoms.dat").string();
    d.file_answers.push_back(file);
    EXPECT_FALSE(SavePeakList(s, d));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].find(file), std::string::npos) << d.messages[0];
}

TEST_F(SavePeakListTest, FailedWriteKeepsTheOldFile) {
    // A file-size limit makes the write fail part-way even for root, who can
    // write into read-only folders.
    const fs::path file = dir_ / "newatoms.dat";
    const std::string old = "ATOM Q  1   X= 9  Y= 9  Z= 9 \r\n";
    { std::ofstream(file, std::ios::binary) << old; }
    SceneState s = IdentityCell();
    for (int n = 0; n < 50; ++n) AddPeak(s, 0.125f * n, 0.5f, 0.25f);
    ScriptedDialogs d;
    d.file_answers.push_back(file.string());

    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = SavePeakList(s, d);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(written);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].find("newatoms.dat"), std::string::npos) << d.messages[0];
    EXPECT_EQ(ReadAll(file), old);
    // No temporary file is left beside it.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
    EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace eld
