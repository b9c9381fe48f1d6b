// The small data files and settings: the atom table and the bonds it gives,
// the layer limit presets, the layers' defaults, number fields, 3 x 3 inverses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

#include "mapdata/atoms.h"
#include "mapdata/eld_error.h"
#include "mapdata/geometry.h"
#include "mapdata/number_field.h"
#include "mapdata/presets.h"
#include "surface/layer_properties.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

using testing::TempDir;

// One atompar2.txt type line in its columns: type 1-3, 7-9, radius*100 14-16,
// 21-23, tolerance 27-29, name 34-37, 38-47.
std::string TypeLine(int type, int radius100, const char* tolerance, const char* name) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%3d   %3d    %3d    %3d   %3s    %-4s%10.3f", type, 170,
                  radius100, 255, tolerance, name, 12.011);
    return buf + std::string("\n");
}

const std::string kCarbonTable =
    "header\n" + TypeLine(1, 77, "0.1", "C   ") + TypeLine(2, 31, "0.1", "H   ") + "  0\n";

// A scene whose data folder is a scratch folder holding `table` as atompar2.txt.
struct AtomScene {
    TempDir dir;
    SceneState s;
    explicit AtomScene(const std::string& table) {
        s.program.DataFolder = dir.path.string();
        dir.Put("atompar2.txt", table);
    }
    std::vector<AtomTypeRow> Table() const { return ReadAtomParameters(dir / "atompar2.txt"); }
    void Add(const std::string& name, float x, float y, float z) {
        testing::AddAtom(s, name, x, y, z);
    }
    std::vector<std::pair<int, int>> Bonds() {
        FindBonds(s);
        std::vector<std::pair<int, int>> b;
        for (const Bond& x : s.map.BondList) b.emplace_back(x.a, x.b);
        EXPECT_EQ(int(b.size()), s.map.BondCount);
        return b;
    }
};
using Pairs = std::vector<std::pair<int, int>>;

TEST(Atoms, ColumnsOfATypeLine) {
    AtomScene a("No. ...\n" + TypeLine(6, 76, ".15", "Cl  ") +
                // Columns: 1-3, 7-9, 14-16, 21-23, 27-29, 34-37, 38-47; blanks inside ignored.
                "  7   1 5    7 1    3 0   0.2    N       14.007 tail\n\n");
    const auto t = a.Table();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].TypeNumber, 6);
    EXPECT_EQ(t[0].TypeName, "Cl  ");
    EXPECT_EQ(t[1].TypeName, "N   ");
    const double want[2][5] = {{1.70, 0.76, 2.55, 0.15, 12.011}, {0.15, 0.71, 0.30, 0.2, 14.007}};
    for (int r = 0; r < 2; ++r) {
        const double got[5] = {t[r].Value2, t[r].BondRadius, t[r].Value4, t[r].BondTolerance,
                               t[r].Value7};
        for (int k = 0; k < 5; ++k) EXPECT_NEAR(got[k], want[r][k], 1e-6) << r << " " << k;
    }
}

TEST(Atoms, BondWindowBoundsAreStrict) {
    AtomScene a(kCarbonTable);  // C-C: 1.54 +- 0.2
    const float d[] = {1.54f, 1.74f, 1.34f, 1.3401f, 1.7399f};
    for (int k = 0; k < 5; ++k) a.Add("C   ", 0, 10.0f * k, 0), a.Add("C   ", d[k], 10.0f * k, 0);
    EXPECT_EQ(a.Bonds(), (Pairs{{0, 1}, {6, 7}, {8, 9}}));
}

TEST(Atoms, NamesMatchExactlyAndUnknownNamesEndTheProgram) {
    AtomScene a(kCarbonTable);
    a.Add("C   ", 0, 0, 0);
    a.Add("c   ", 1.5f, 0, 0);
    const testing::Caught c = testing::Catch([&] { FindBonds(a.s); });
    EXPECT_EQ(c.kind, ErrorKind::Fatal);
    EXPECT_EQ(c.what, "I do not know this atom name: c   ");
    // A line that ends right after a short name gives a short type name,
    // which no four-character atom name equals.
    a.dir.Put("atompar2.txt",
              "header\n" + TypeLine(1, 77, "0.1", "C   ").substr(0, 34) + "\n  0\n");
    a.s.map.AtomNames[1] = "C   ";
    EXPECT_EQ(a.Table()[0].TypeName, "C");
    EXPECT_THROW(FindBonds(a.s), EldError);
}

TEST(Atoms, BlankSecondLineMissingOrUnendedTable) {
    AtomScene a("header\n\n" + TypeLine(1, 77, "0.1", "C   "));
    EXPECT_TRUE(a.Table().empty());
    EXPECT_EQ(a.Bonds().size(), 0u);  // no atoms: nothing to look up, no bonds
    a.Add("C   ", 0, 0, 0);
    EXPECT_THROW(FindBonds(a.s), EldError);
    a.dir.Put("atompar2.txt", "h\n" + TypeLine(1, 77, "0.1", "C   "));
    EXPECT_THROW(FindBonds(a.s), EldError);
    std::filesystem::remove(a.dir / "atompar2.txt");
    testing::ExpectError([&] { FindBonds(a.s); }, ErrorKind::Recoverable, {"atompar2.txt"});
}

TEST(Atoms, TypeNumbersAreRowNumbers) {
    // Types 1, 2, 5: type 5 reads row 5, which is empty (0, 0), so the
    // window of two type-5 atoms is empty; type 2 (row 2) bonds normally.
    AtomScene a("h\n" + TypeLine(1, 77, "0.1", "C   ") + TypeLine(2, 70, "0.1", "N   ") +
                TypeLine(5, 77, "0.1", "O   ") + "  0\n");
    const auto t = a.Table();
    auto window = [&](int x, int y) {
        float lo, up;
        BondWindow(t, x, y, lo, up);
        return std::pair(lo, up);
    };
    EXPECT_EQ(window(5, 5), std::pair(0.0f, 0.0f));
    EXPECT_EQ(window(1, 2), std::pair(1.27f, 1.67f));
    EXPECT_EQ(window(3, 3).second, 1.74f);  // row 3 holds type 5's values; type 3 reads them
    a.Add("O   ", 0, 0, 0);
    a.Add("O   ", 1.5f, 0, 0);
    a.Add("N   ", 0, 1.4f, 0);
    a.Add("N   ", 0, 2.8f, 0);
    EXPECT_EQ(a.Bonds(), (Pairs{{2, 3}}));
    EXPECT_EQ(a.s.map.AtomData[0][12], 5.0f);
    EXPECT_EQ(a.s.map.AtomData[2][12], 2.0f);
}

TEST(Atoms, CellListGivesTheAllPairsBondsInTheSameOrder) {
    AtomScene a("h\n" + TypeLine(1, 77, "0.1", "C   ") + TypeLine(2, 31, ".12", "H   ") +
                TypeLine(3, 140, "0.2", "Br  ") + TypeLine(9, 66, "0.1", "O   ") + "\n");
    const char* names[] = {"C   ", "H   ", "Br  ", "O   "};
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> pos(-8.0f, 8.0f);
    // Dense enough for many bonds, plus a far cluster and exact duplicates.
    for (int k = 0; k < 3000; ++k) a.Add(names[rng() % 4], pos(rng), pos(rng), pos(rng) * 0.5f);
    for (int k = 0; k < 50; ++k) a.Add(names[k % 4], 1000.0f + pos(rng) * 0.2f, 0, 0);
    a.Add("C   ", 0, 0, 0);
    a.Add("C   ", 0, 0, 0);
    const Pairs got = a.Bonds();
    // The all-pairs search as the definition states it.
    const SceneState& s = a.s;
    const auto table = a.Table();
    Pairs want;
    for (int i = 0; i < s.map.AtomCount; ++i)
        for (int j = i + 1; j < s.map.AtomCount; ++j) {
            const auto &p = s.map.AtomData[i], &q = s.map.AtomData[j];
            const float dx = q[0] - p[0], dy = q[1] - p[1], dz = q[2] - p[2],
                        d = std::sqrt(dx * dx + dy * dy + dz * dz);
            float lo, up;
            BondWindow(table, int(s.map.AtomData[i][12]), int(s.map.AtomData[j][12]), lo, up);
            if (lo < d && d < up) want.emplace_back(i, j);
        }
    EXPECT_GT(want.size(), 1000u);
    EXPECT_EQ(got, want);
}

TEST(Atoms, ShippedTableBondsOrganicDistances) {
    AtomScene a("");
    a.s.program.DataFolder = ELD_BIN_DIR;
    a.Add("C   ", 0, 0, 0);
    a.Add("C   ", 1.54f, 0, 0);       // single bond
    a.Add("H   ", -1.09f, 0, 0);      // C-H
    a.Add("O   ", 1.54f, 1.23f, 0);   // C=O
    a.Add("N   ", 1.54f, -1.47f, 0);  // C-N
    a.Add("Cl  ", 0, 0, 1.77f);       // C-Cl
    a.Add("Q   ", 9, 9, 9);
    a.Add("D   ", 9, 9, 10);  // 1.0 from Q: within 0.76 + 0.31 +- 0.25
    EXPECT_EQ(a.Bonds(), (Pairs{{0, 1}, {0, 2}, {0, 5}, {1, 3}, {1, 4}, {6, 7}}));
}

TEST(Presets, FourLinesPerPresetLeadingNumbers) {
    TempDir dir;
    SceneState s;
    s.program.DataFolder = dir.path.string();
    dir.Put("layer_limit_presets.txt",
            "first preset\n2.5 x\n -1.25\r\nnone\n\n1e1\n3\n4\nthird, last\n.5\n0.75\n1 "
            "0\nignored\n");
    LoadLayerLimitPresets(s);
    const auto& p = s.layers.LayerLimitPresets;
    const char* text[3] = {"first preset", "", "third, last"};  // an empty tooltip
    // A line without a number gives 0; blanks inside a number are ignored.
    const double limits[3][3] = {{2.5, -1.25, 0}, {10, 3, 4}, {0.5, 0.75, 10}};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(p[k].Description, text[k]);
        for (int l = 0; l < 3; ++l) EXPECT_EQ(p[k].Limit[l], limits[k][l]) << k << " " << l;
    }
    // Eleven lines: an error naming the file, and the presets are emptied.
    dir.Put("layer_limit_presets.txt", "a\n1\n2\n3\nb\n4\n5\n6\nc\n7\n8");
    testing::ExpectError([&] { LoadLayerLimitPresets(s); }, ErrorKind::Recoverable,
                         {"layer_limit_presets.txt", "11 lines"});
    for (const auto& q : p) EXPECT_TRUE(q.Description.empty() && q.Limit[0] == 0.0);
    std::filesystem::remove(dir / "layer_limit_presets.txt");
    EXPECT_THROW(LoadLayerLimitPresets(s), EldError);
    // The shipped file: three increasing presets.
    s.program.DataFolder = ELD_BIN_DIR;
    LoadLayerLimitPresets(s);
    for (const auto& q : p)
        EXPECT_TRUE(!q.Description.empty() && 0 < q.Limit[0] && q.Limit[0] < q.Limit[1] &&
                    q.Limit[1] < q.Limit[2]);
}

TEST(SetLayersProperites, LimitsAtATenthThreeTenthsAndAHalfEverythingElseResetGrdHighValue) {
    SceneState s;
    const struct {
        float low, high, limit[3];
    } cases[] = {{0, 10, {1, 3, 5}}, {-2, 2, {-1.6f, -0.8f, 0}}, {0.7f, 0.7f, {0.7f, 0.7f, 0.7f}}};
    for (const auto& c : cases) {
        SetLayersProperites(s, c.low, c.high);
        for (int l = 1; l <= 3; ++l) EXPECT_EQ(s.layers.LayerLimit[l], c.limit[l - 1]) << l;
    }
    // Computed in double from the range as a float.
    const float low = 0.1f, high = 1e4f, range = high - low;
    SetLayersProperites(s, low, high);
    EXPECT_EQ(s.layers.LayerLimit[3], static_cast<float>(double(low) + double(range) * 0.5));
    // A second map resets everything the user changed.
    s.layers.LayerVisible[2] = kFalse;
    s.switches.SurfaceStyle = 2;
    s.switches.ShowContourMap = kFalse;
    s.surfaces.ContourLayer = 7;
    s.layers.SurfaceColour[3][0] = s.layers.ContourColour[1][1] = 0.0f;
    SetLayersProperites(s, 0.0f, 10.0f);
    for (int l = 1; l <= 3; ++l) EXPECT_EQ(s.layers.LayerVisible[l], kTrue);
    EXPECT_EQ(s.switches.SurfaceStyle, 1);
    EXPECT_EQ(s.switches.ShowContourMap, kTrue);
    EXPECT_EQ(s.surfaces.ContourLayer, 1);
    const float surface[4][3] = {{}, {0.1f, 0.7f, 0.1f}, {0.1f, 0.1f, 0.7f}, {0.7f, 0.1f, 0.1f}};
    const float contour[4][3] = {{}, {0.2f, 0.9f, 0.2f}, {0.4f, 0.4f, 1.0f}, {1.0f, 0.3f, 0.3f}};
    EXPECT_EQ(0, std::memcmp(s.layers.SurfaceColour, surface, sizeof surface));
    EXPECT_EQ(0, std::memcmp(s.layers.ContourColour, contour, sizeof contour));
    // The high value of a .grd map is its minimum plus its maximum over 500.
    s.map.MapGrid.DensityMin = -1.0f;
    s.map.MapGrid.DensityMax = 1000.0f;
    for (const char* name : {"a.mt1", "a.FOU", "a.grd", "A.GRD"})
        EXPECT_EQ(LayerHighValue(s, name), std::tolower(name[2]) == 'g' ? 1.0f : 1000.0f) << name;
}

TEST(NumberField, SignOrBlankThenSevenSignificantDigitsThenBlank) {
    const float inf = std::numeric_limits<float>::infinity();
    std::string got;
    for (float v : {1.0f, 0.5f, -0.125f, -2.5f, 10.0f, 0.0f, -0.0f, 0.1f, 123.456789f, -0.333333f,
                    1234567.0f, 1.5e-8f, -2.0e12f, inf, -inf, std::nanf("")})
        got += NumberField(v) + "|";
    // 0.1f is " .1 ", not " .100000001 ".
    EXPECT_EQ(got,
              " 1 | .5 |-.125 |-2.5 | 10 | 0 | 0 | .1 | 123.4568 |-.333333 | 1234567 | 1.5E-08 "
              "|-2E+12 | Inf |-Inf | NaN |");
}

TEST(InvertMatrix3, ProductWithTheInverseIsTheIdentity) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-1, 1);
    for (int trial = 0; trial < 50; ++trial) {
        Matrix3 a;  // a strong diagonal keeps it well away from singular
        for (int i = 0; i < 9; ++i) a[i / 3][i % 3] = u(rng) + (i % 4 == 0 ? 3 * u(rng) + 4 : 0);
        const Matrix3 b = InvertMatrix3(a);
        for (int i = 0; i < 9; ++i) {
            const float p =
                a[i / 3][0] * b[0][i % 3] + a[i / 3][1] * b[1][i % 3] + a[i / 3][2] * b[2][i % 3];
            EXPECT_NEAR(p, i % 4 == 0 ? 1.0f : 0.0f, 1e-5) << trial;
        }
    }
}

}  // namespace
}  // namespace eld
