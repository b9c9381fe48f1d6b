#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "convert_test_util.h"
#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/read_cube.h"

namespace eld {
namespace {

using testing::TempDir;

// A 3 x 4 x 5 cube whose values are i + 10 j + 100 k, written z fastest with a
// line break after every z-row, `per_point` values per point.
std::string SmallCube(int count_sign, const char* atom_line3, const std::string& atoms,
                      int per_point = 1, const std::string& orbitals = "") {
    std::string s = "title\nsecond line\n";
    s += atom_line3;
    s += "\n";
    s += std::to_string(3 * count_sign) + " 0.5 0 0\n";
    s += std::to_string(4 * count_sign) + " 0 0.25 0\n";
    s += std::to_string(5 * count_sign) + " 0 0 0.2\n";
    s += atoms + orbitals;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 5; ++k)
                for (int v = 0; v < per_point; ++v) {
                    s += ' ';
                    s += std::to_string(v == 0 ? i + 10 * j + 100 * k : -999);
                    s += ".0E+00";
                }
            s += "\n";
        }
    return s;
}

const char kTwoAtoms[] = "6 0.0 1.0 2.0 3.0\n17 0.0 1.5 2.0 2.2\n";

TEST(ConvertCube, BohrCubeGivesAngstromGridValuesAndNamedAtoms) {
    TempDir dir;
    testing::WriteText(dir / "small.cube", SmallCube(1, "2 1.0 2.0 3.0", kTwoAtoms));
    const ForeignMap m = ReadCubeMap(dir / "small.cube");
    ASSERT_EQ(m.N[0], 3);
    ASSERT_EQ(m.N[1], 4);
    ASSERT_EQ(m.N[2], 5);
    for (int k = 0; k < 5; ++k)
        for (int j = 0; j < 4; ++j)
            for (int i = 0; i < 3; ++i) ASSERT_EQ(m.Values[m.Index(i, j, k)], i + 10 * j + 100 * k);
    const double b = kBohrInAngstrom;
    EXPECT_NEAR(m.Cell[0][0], 3 * 0.5 * b, 1e-12);
    EXPECT_NEAR(m.Cell[1][1], 4 * 0.25 * b, 1e-12);
    EXPECT_NEAR(m.CellOrigin[2], 3.0 * b, 1e-12);
    ASSERT_EQ(m.Atoms.size(), 2u);
    EXPECT_EQ(m.Atoms[1].Element, "Cl");
    EXPECT_NEAR(m.Atoms[1].Cartesian[2], 2.2 * b, 1e-12);

    const MapForWriting p = PlaceInScene(m, {});
    EXPECT_EQ(p.Values, m.Values);  // axis-aligned: copied as it is
    EXPECT_FLOAT_EQ(p.GridStep[0], static_cast<float>(0.5 * b));
    // The scene is the cube's own Cartesian frame: the grid starts at the
    // cube's origin and CellShift is minus the origin's fractional coordinates.
    EXPECT_FLOAT_EQ(p.GridOrigin[0], static_cast<float>(1.0 * b));
    EXPECT_FLOAT_EQ(p.GridOrigin[2], static_cast<float>(3.0 * b));
    EXPECT_NEAR(p.CellShift[0], -1.0 / 1.5, 1e-6);
    EXPECT_NEAR(p.CellShift[1], -2.0 / 1.0, 1e-6);
    EXPECT_NEAR(p.CellShift[2], -3.0 / 1.0, 1e-6);
    ASSERT_EQ(p.AtomNames.size(), 2u);
    EXPECT_EQ(p.AtomNames[0], "C   ");
    EXPECT_EQ(p.AtomNames[1], "Cl  ");
    // Fractional in the box spanned by the grid, measured from the cube's origin.
    EXPECT_NEAR(p.AtomFractional[1][0], (1.5 - 1.0) / 1.5, 1e-6);
    EXPECT_NEAR(p.AtomFractional[1][1], (2.0 - 2.0) / 1.0, 1e-6);
    EXPECT_NEAR(p.AtomFractional[1][2], (2.2 - 3.0) / 1.0, 1e-6);
    EXPECT_FLOAT_EQ(p.CellMatrix[0][0], static_cast<float>(1.5 * b));
    EXPECT_FLOAT_EQ(p.CellMatrix[0][1], 0.0f);
}

TEST(ConvertCube, AngstromUnitsOrbitalFilesAndSeveralValuesPerPoint) {
    TempDir dir;
    testing::WriteText(dir / "a.cube", SmallCube(-1, "2 1.0 2.0 3.0", kTwoAtoms));
    const ForeignMap a = ReadCubeMap(dir / "a.cube");
    EXPECT_DOUBLE_EQ(a.Cell[0][0], 1.5);
    EXPECT_DOUBLE_EQ(a.Atoms[1].Cartesian[0], 1.5);

    // Negative atom count: an orbital line follows the atoms; the first of each
    // point's values is kept.
    testing::WriteText(dir / "orb.cub", SmallCube(1, "-2 1.0 2.0 3.0", kTwoAtoms, 2, "2 11 12\n"));
    const ForeignMap o = ReadCubeMap(dir / "orb.cub");
    ASSERT_EQ(o.Atoms.size(), 2u);
    EXPECT_EQ(o.Values[o.Index(2, 3, 4)], 432);
    EXPECT_EQ(o.Values[o.Index(1, 0, 2)], 201);

    testing::WriteText(dir / "nval.cube", SmallCube(1, "2 1.0 2.0 3.0 3", kTwoAtoms, 3));
    const ForeignMap n = ReadCubeMap(dir / "nval.cube");
    EXPECT_EQ(n.Values[n.Index(2, 3, 4)], 432);
    EXPECT_EQ(n.Values[n.Index(0, 1, 0)], 10);
}

TEST(ConvertCube, MalformedFilesNameTheFileLineAndField) {
    TempDir dir;
    struct Case {
        std::string text;
        const char* expect;
    } cases[] = {
        {SmallCube(1, "2 1.0 2.0", kTwoAtoms), "line 3"},
        {SmallCube(1, "2 1.0 2.0 3.0", "0 0.0 1.0 2.0 3.0\n6 0 1 1 1\n"), "atomic number 0"},
        {SmallCube(1, "2 1.0 2.0 3.0", "6 0.0 1.0 two 3.0\n6 0 1 1 1\n"), "'two"},
        {SmallCube(1, "2.5 1.0 2.0 3.0", kTwoAtoms), "atom count"},
        {"t\nt\n1 0 0 0\n3 0.5 0 0\n-4 0 0.25 0\n5 0 0 0.2\n", "mix"},
        {"t\nt\n1 0 0 0\n0 0.5 0 0\n4 0 0.25 0\n5 0 0 0.2\n", "point count of the first grid axis"},
        {"t\nt\n1 0 0 0\n3 0.5 0 0\n4 0.5 0 0\n5 0 0 0.2\n6 0 0 0 0\n", "singular"},
        {SmallCube(1, "2 1.0 2.0 3.0", kTwoAtoms).substr(0, 200), "ends after 10 density values"},
        {"t\nt\n", "line 3"},
        {"t\nt\n1 0 0 0\n30000 0.5 0 0\n30000 0 0.5 0\n30000 0 0 0.2\n6 0 0 0 0\n1 2 3\n",
         "(27000000000000 points) needs more density values than the file of 70 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expect);
        testing::WriteText(dir / "bad_density.cube", c.text);
        try {
            ReadCubeMap(dir / "bad_density.cube");
            ADD_FAILURE() << "accepted";
        } catch (const EldError& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find("bad_density.cube"), std::string::npos) << msg;
            EXPECT_NE(msg.find(c.expect), std::string::npos) << msg;
        }
    }
}

// The real benzene density (all-electron, 82 x 88 x 41 points of 0.2 bohr): the
// converted map must put every carbon atom on its density peak.
TEST(ConvertCube, RealBenzeneDensityPeaksSitOnTheCarbonAtoms) {
    const std::string xz =
        std::string(ELD_TEST_DATA) + "/../../tools/realdata/benzene_psi4_density.cube.xz";
    if (!std::filesystem::exists(xz)) GTEST_SKIP() << "no " << xz;
    TempDir dir;
    const std::string cube = dir / "benzene.cube";
    if (std::system(("xz -dc '" + xz + "' > '" + cube + "'").c_str()) != 0) GTEST_SKIP() << "no xz";
    const ForeignMap m = ReadCubeMap(cube);
    ASSERT_EQ(m.N[0], 82);
    ASSERT_EQ(m.N[1], 88);
    ASSERT_EQ(m.N[2], 41);
    const MapForWriting p = PlaceInScene(m, {});
    ASSERT_EQ(p.AtomNames.size(), 12u);

    float max = 0;
    double mean = 0;
    for (float v : p.Values) {
        max = std::max(max, v);
        mean += v;
    }
    mean /= p.Values.size();
    int carbons = 0;
    for (std::size_t n = 0; n < p.AtomNames.size(); ++n) {
        // Scene position of the atom and the grid cell around it.
        float q[3];
        int lo[3];
        for (int i = 0; i < 3; ++i) {
            q[i] = 0;
            for (int j = 0; j < 3; ++j)
                q[i] += p.CellMatrix[i][j] * (p.AtomFractional[n][j] - p.CellShift[j]);
            lo[i] = static_cast<int>(std::floor((q[i] - p.GridOrigin[i]) / p.GridStep[i])) + 1;
            ASSERT_GE(lo[i], 1);
            ASSERT_LT(lo[i], p.N[i]);
        }
        float nearest = 0;
        for (int c = 0; c < 8; ++c)
            nearest = std::max(nearest,
                               p.at(lo[0] + (c & 1), lo[1] + (c >> 1 & 1), lo[2] + (c >> 2 & 1)));
        if (p.AtomNames[n] == "C   ") {
            ++carbons;
            EXPECT_GT(nearest, 0.3f * max) << "carbon " << n + 1;
        } else {
            EXPECT_EQ(p.AtomNames[n], "H   ");
            EXPECT_GT(nearest, 10 * mean) << "hydrogen " << n + 1;
            EXPECT_LT(nearest, 0.05f * max) << "hydrogen " << n + 1;
        }
    }
    EXPECT_EQ(carbons, 6);
}

}  // namespace
}  // namespace eld
