// The case table file and its reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "mapdata/eld_error.h"
#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

// Corners of each edge 1..12.
constexpr int kEdgeCorners[13][2] = {{0, 0}, {0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6},
                                     {7, 6}, {4, 7}, {0, 4}, {1, 5}, {3, 7}, {2, 6}};

TEST(CellTable, CutEdgesAreExactlyTheEdgesWhoseCornersDiffer) {
    CellTable t = testing::LoadedCellTable();
    for (int c = 0; c < 256; ++c) {
        std::set<int> expected;
        for (int e = 1; e <= 12; ++e)
            if (((c >> kEdgeCorners[e][0]) & 1) != ((c >> kEdgeCorners[e][1]) & 1))
                expected.insert(e);
        std::set<int> cut(&t.CutEdgeTable[c][1], &t.CutEdgeTable[c][1] + t.CutEdgeTable[c][0]);
        EXPECT_EQ(cut, expected) << "case " << c;
        EXPECT_EQ(int(cut.size()), t.CutEdgeTable[c][0]) << "case " << c << " lists an edge twice";
        std::set<int> used(&t.TriangleTable[c][1],
                           &t.TriangleTable[c][1] + 3 * t.TriangleTable[c][0]);
        EXPECT_EQ(used, expected) << "case " << c;
    }
    EXPECT_EQ(t.TriangleTable[0][0], 0);
    EXPECT_EQ(t.TriangleTable[255][0], 0);
}

TEST(CellTable, ComplementaryCasesHaveTheSameTriangleCountForSingleCorners) {
    // One corner above or one corner below: one triangle around that corner.
    CellTable t = testing::LoadedCellTable();
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(t.TriangleTable[1 << n][0], 1);
        EXPECT_EQ(t.TriangleTable[255 - (1 << n)][0], 1);
    }
}

class CellTableFile : public testing::TempFolderTest {
  protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        good_ = Read(std::string(ELD_BIN_DIR) + "/cell_table.dat");
    }
    std::string Write(const std::string& text) { return Put("cell_table.dat", text); }
    // The text with record `c`'s number at position `n` (0-based) replaced.
    std::string Replace(int c, int n, const std::string& value) {
        std::istringstream in(good_);
        std::string line, out;
        for (int r = 0; std::getline(in, line); ++r) {
            if (r == c) {
                std::istringstream fields(line);
                std::string f, joined;
                for (int i = 0; std::getline(fields, f, ','); ++i)
                    joined += (i ? "," : "") + (i == n ? value : f);
                line = joined;
            }
            out += line + "\n";
        }
        return out;
    }
    std::string good_;
};

TEST_F(CellTableFile, LineStructureAndSeparatorsDoNotMatter) {
    std::string text = good_;
    for (char& ch : text)
        if (ch == '\n') ch = ' ';
    for (std::size_t p = 0; (p = text.find(", ", p)) != std::string::npos; p += 2)
        text[p + 1] = '\n';
    CellTable a, b;
    ReadCellTable(a, Write(good_));
    ReadCellTable(b, Write(text + "\n garbage after the last record"));
    EXPECT_EQ(0, std::memcmp(a.TriangleTable, b.TriangleTable, sizeof a.TriangleTable));
    EXPECT_EQ(0, std::memcmp(a.CutEdgeTable, b.CutEdgeTable, sizeof a.CutEdgeTable));
    EXPECT_EQ(a.TriangleTable[1][0], 1);
}

TEST_F(CellTableFile, BadSeparatorEndsSilentlyNamingFileAndCase) {
    std::string path = Write(Replace(17, 53, " -98"));
    CellTable t;
    try {
        ReadCellTable(t, path);
        FAIL() << "no error";
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::FatalSilent);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("case 17"), std::string::npos) << e.what();
    }
    EXPECT_EQ(t.TriangleTable[1][0], 0) << "a failed read must not fill the table";
}

TEST_F(CellTableFile, MissingShortOrNonNumericTablesEndTheProgramNamingTheFile) {
    std::string missing = (dir_ / "nothing_here.dat").string();
    auto expectFatal = [](const std::string& path, const std::string& part) {
        CellTable t;
        try {
            ReadCellTable(t, path);
            ADD_FAILURE() << "no error for " << part;
        } catch (const EldError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Fatal);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    expectFatal(missing, "");
    std::size_t cut = 0;
    for (int r = 0; r < 100; ++r) cut = good_.find('\n', cut) + 1;
    expectFatal(Write(good_.substr(0, cut) + "100, 0, 0"), "case 100");
    expectFatal(Write(Replace(3, 12, " x")), "case 3");
    expectFatal(Write(Replace(4, 12, " 40000")), "case 4");
    expectFatal(Write(Replace(5, 22, " 11")), "case 5");  // 11 triangles
}

TEST_F(CellTableFile, NegativeCountsRunTheirLoopsNoTimes) {
    // One cube whose corners 1 and 2 lie above the limit: case 6, two triangles.
    SceneState s;
    testing::SetGrid(s, 2, 2, 2);
    s.map.DensityGrid.at(2, 1, 1) = s.map.DensityGrid.at(2, 2, 1) = 1.0f;
    std::vector<SurfaceTriangle> out(10);
    auto extract = [&](const std::string& text) {
        CellTable t;
        ReadCellTable(t, Write(text));
        return ExtractSurface(s.map.MapGrid, s.map.DensityGrid, t, 0.5f, out.data(), 10, 1);
    };
    EXPECT_EQ(extract(good_), 2);
    EXPECT_EQ(extract(Replace(6, 22, " -3")), 0);  // no triangles
    // No cut edges: the triangles keep the reset vertices at (0, 0, 0).
    ASSERT_EQ(extract(Replace(6, 9, " -1")), 2);
    for (int n = 0; n < 2; ++n)
        for (const XYZ& p : out[n].v) EXPECT_TRUE(p.x == 0 && p.y == 0 && p.z == 0);
}

}  // namespace
}  // namespace eld
