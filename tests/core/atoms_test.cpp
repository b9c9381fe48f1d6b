#include "mapdata/atoms.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "mapdata/eld_error.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

// One atompar2.txt type line in its columns: type 1-3, 7-9, radius*100 14-16,
// 21-23, tolerance 27-29, name 34-37, 38-47.
std::string TypeLine(int type, int radius100, const char* tolerance, const char* name) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%3d   %3d    %3d    %3d   %3s    %-4s%10.3f", type, 170,
                  radius100, 255, tolerance, name, 12.011);
    return buf;
}

class AtomsTest : public testing::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        s_.program.DataFolder = dir_.string();
    }
    void WriteTable(const std::string& text) { Put("atompar2.txt", text); }
    void AddAtom(const std::string& name, float x, float y, float z) {
        s_.map.AtomNames.push_back(name);
        std::array<float, 13> row{};
        row[0] = x;
        row[1] = y;
        row[2] = z;
        s_.map.AtomData.push_back(row);
        s_.map.AtomCount = static_cast<int>(s_.map.AtomNames.size());
    }
    std::vector<std::pair<int, int>> Bonds() const {
        std::vector<std::pair<int, int>> b;
        for (const Bond& x : s_.map.BondList) b.emplace_back(x.a, x.b);
        EXPECT_EQ(int(b.size()), s_.map.BondCount);
        return b;
    }

    SceneState s_;
};

const std::string kCarbonTable =
    "header\n" + TypeLine(1, 77, "0.1", "C   ") + "\n" + TypeLine(2, 31, "0.1", "H   ") + "\n  0\n";

TEST_F(AtomsTest, ColumnsOfATypeLine) {
    WriteTable("No. ...\n" + TypeLine(6, 76, ".15", "Cl  ") + "\n" +
               // Columns: 1-3, 7-9, 14-16, 21-23, 27-29, 34-37, 38-47.
               "  7" + "   " + "1 5" + "    " + "7 1" + "    " + "3 0" + "   " + "0.2" + "    " +
               "N   " + "    14.007" + " tail\n\n");
    auto t = ReadAtomParameters((dir_ / "atompar2.txt").string());
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].TypeNumber, 6);
    EXPECT_FLOAT_EQ(t[0].Value2, 1.70f);
    EXPECT_DOUBLE_EQ(t[0].BondRadius, 0.76);
    EXPECT_FLOAT_EQ(t[0].Value4, 2.55f);
    EXPECT_DOUBLE_EQ(t[0].BondTolerance, 0.15);
    EXPECT_EQ(t[0].TypeName, "Cl  ");
    EXPECT_FLOAT_EQ(t[0].Value7, 12.011f);
    // Blanks inside a field are ignored.
    EXPECT_FLOAT_EQ(t[1].Value2, 0.15f);
    EXPECT_DOUBLE_EQ(t[1].BondRadius, 0.71);
    EXPECT_FLOAT_EQ(t[1].Value4, 0.30f);
    EXPECT_DOUBLE_EQ(t[1].BondTolerance, 0.2);
    EXPECT_EQ(t[1].TypeName, "N   ");
    EXPECT_FLOAT_EQ(t[1].Value7, 14.007f);
}

TEST_F(AtomsTest, BondWindowBoundsAreStrict) {
    WriteTable(kCarbonTable);
    for (float d : {1.54f, 1.74f, 1.34f, 1.3401f, 1.7399f}) {
        s_ = SceneState{};
        s_.program.DataFolder = dir_.string();
        AddAtom("C   ", 0, 0, 0);
        AddAtom("C   ", d, 0, 0);
        FindBonds(s_);
        const bool want = d > 1.34f && d < 1.74f;
        EXPECT_EQ(s_.map.BondCount, want ? 1 : 0) << d;
    }
}

TEST_F(AtomsTest, ThreeAtomsInRangeGiveBondsInPairOrder) {
    WriteTable(kCarbonTable);
    AddAtom("C   ", 0, 0, 0);
    AddAtom("C   ", 1.5f, 0, 0);
    AddAtom("C   ", 0.75f, 1.3f, 0);
    AddAtom("H   ", 9, 9, 9);
    FindBonds(s_);
    EXPECT_EQ(Bonds(), (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}}));
    EXPECT_EQ(s_.map.AtomData[0][12], 1.0f);
    EXPECT_EQ(s_.map.AtomData[3][12], 2.0f);
}

TEST_F(AtomsTest, NamesMatchExactlyAndUnknownNamesEndTheProgram) {
    WriteTable(kCarbonTable);
    AddAtom("C   ", 0, 0, 0);
    AddAtom("c   ", 1.5f, 0, 0);
    try {
        FindBonds(s_);
        ADD_FAILURE();
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Fatal);
        EXPECT_STREQ(e.what(), "I do not know this atom name: c   ");
    }
    // A line that ends right after a short name gives a short type name,
    // which no four-character atom name equals.
    WriteTable("header\n" + TypeLine(1, 77, "0.1", "C   ").substr(0, 34) + "\n  0\n");
    s_.map.AtomNames[1] = "C   ";
    EXPECT_EQ(ReadAtomParameters((dir_ / "atompar2.txt").string())[0].TypeName, "C");
    EXPECT_THROW(FindBonds(s_), EldError);
}

TEST_F(AtomsTest, BlankSecondLineGivesNoTypes) {
    WriteTable("header\n\n" + TypeLine(1, 77, "0.1", "C   ") + "\n");
    EXPECT_TRUE(ReadAtomParameters((dir_ / "atompar2.txt").string()).empty());
    AddAtom("C   ", 0, 0, 0);
    EXPECT_THROW(FindBonds(s_), EldError);
    // No atoms: nothing to look up, no bonds.
    s_.map.AtomNames.clear();
    s_.map.AtomData.clear();
    s_.map.AtomCount = 0;
    FindBonds(s_);
    EXPECT_EQ(s_.map.BondCount, 0);
}

TEST_F(AtomsTest, TypeNumbersAreRowNumbers) {
    // Types 1, 2, 5: type 5 reads row 5, which is empty (0, 0), so the
    // window of two type-5 atoms is empty; type 2 (row 2) bonds normally.
    WriteTable("h\n" + TypeLine(1, 77, "0.1", "C   ") + "\n" + TypeLine(2, 70, "0.1", "N   ") +
               "\n" + TypeLine(5, 77, "0.1", "O   ") + "\n  0\n");
    auto t = ReadAtomParameters((dir_ / "atompar2.txt").string());
    float lo, up;
    BondWindow(t, 5, 5, lo, up);
    EXPECT_EQ(lo, 0.0f);
    EXPECT_EQ(up, 0.0f);
    BondWindow(t, 1, 2, lo, up);
    EXPECT_FLOAT_EQ(lo, 1.27f);
    EXPECT_FLOAT_EQ(up, 1.67f);
    // Row 3 holds type 5's values; type 3 would read them.
    BondWindow(t, 3, 3, lo, up);
    EXPECT_FLOAT_EQ(up, 1.74f);

    AddAtom("O   ", 0, 0, 0);
    AddAtom("O   ", 1.5f, 0, 0);
    AddAtom("N   ", 0, 1.4f, 0);
    AddAtom("N   ", 0, 2.8f, 0);
    FindBonds(s_);
    EXPECT_EQ(Bonds(), (std::vector<std::pair<int, int>>{{2, 3}}));
    EXPECT_EQ(s_.map.AtomData[0][12], 5.0f);
}

TEST_F(AtomsTest, MissingOrUnendedTableIsReported) {
    AddAtom("C   ", 0, 0, 0);
    try {
        FindBonds(s_);
        ADD_FAILURE();
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Recoverable);
        EXPECT_NE(std::string(e.what()).find("atompar2.txt"), std::string::npos) << e.what();
    }
    WriteTable("h\n" + TypeLine(1, 77, "0.1", "C   ") + "\n");
    EXPECT_THROW(FindBonds(s_), EldError);
}

// The all-pairs search as the definition states it.
std::vector<std::pair<int, int>> NaiveBonds(const SceneState& s,
                                            const std::vector<AtomTypeRow>& table) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < s.map.AtomCount; ++i)
        for (int j = i + 1; j < s.map.AtomCount; ++j) {
            float dx = s.map.AtomData[j][0] - s.map.AtomData[i][0];
            float dy = s.map.AtomData[j][1] - s.map.AtomData[i][1];
            float dz = s.map.AtomData[j][2] - s.map.AtomData[i][2];
            float d = std::sqrt(dx * dx + dy * dy + dz * dz);
            float lo, up;
            BondWindow(table, int(s.map.AtomData[i][12]), int(s.map.AtomData[j][12]), lo, up);
            if (lo < d && d < up) out.emplace_back(i, j);
        }
    return out;
}

TEST_F(AtomsTest, CellListGivesTheAllPairsBondsInTheSameOrder) {
    WriteTable("h\n" + TypeLine(1, 77, "0.1", "C   ") + "\n" + TypeLine(2, 31, ".12", "H   ") +
               "\n" + TypeLine(3, 140, "0.2", "Br  ") + "\n" + TypeLine(9, 66, "0.1", "O   ") +
               "\n\n");
    const char* names[] = {"C   ", "H   ", "Br  ", "O   "};
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> pos(-8.0f, 8.0f);
    // Dense enough for many bonds, plus a far cluster and exact duplicates.
    for (int k = 0; k < 3000; ++k) AddAtom(names[rng() % 4], pos(rng), pos(rng), pos(rng) * 0.5f);
    for (int k = 0; k < 50; ++k) AddAtom(names[k % 4], 1000.0f + pos(rng) * 0.2f, 0, 0);
    AddAtom("C   ", 0, 0, 0);
    AddAtom("C   ", 0, 0, 0);
    FindBonds(s_);
    const auto table = ReadAtomParameters((dir_ / "atompar2.txt").string());
    const auto want = NaiveBonds(s_, table);
    EXPECT_GT(want.size(), 1000u);
    EXPECT_EQ(Bonds(), want);
}

TEST_F(AtomsTest, ShippedTableBondsOrganicDistances) {
    s_.program.DataFolder = ELD_BIN_DIR;
    AddAtom("C   ", 0, 0, 0);
    AddAtom("C   ", 1.54f, 0, 0);       // single bond
    AddAtom("H   ", -1.09f, 0, 0);      // C-H
    AddAtom("O   ", 1.54f, 1.23f, 0);   // C=O
    AddAtom("N   ", 1.54f, -1.47f, 0);  // C-N
    AddAtom("Cl  ", 0, 0, 1.77f);       // C-Cl
    AddAtom("Q   ", 9, 9, 9);
    AddAtom("D   ", 9, 9, 10);  // 1.0 from Q: within 0.76 + 0.31 +- 0.25
    FindBonds(s_);
    EXPECT_EQ(Bonds(),
              (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {0, 5}, {1, 3}, {1, 4}, {6, 7}}));
}

TEST(AtomLook, RadiusAndColourByExactName) {
    EXPECT_EQ(AtomRadius("H   "), 0.1f);
    EXPECT_EQ(AtomRadius("C   "), 0.18f);
    EXPECT_EQ(AtomRadius("C1  "), 0.2f);
    EXPECT_EQ(AtomRadius("c   "), 0.2f);
    float rgb[3];
    AtomColour("O   ", rgb);
    EXPECT_EQ(rgb[0], 1.0f);
    EXPECT_EQ(rgb[1], 0.1f);
    AtomColour("O", rgb);
    EXPECT_EQ(rgb[0], 0.4f);
    AtomColour("Q   ", rgb);
    EXPECT_EQ(rgb[1], 0.5f);
}

}  // namespace
}  // namespace eld
