// The three writers against the viewer's own readers.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "convert_test_util.h"
#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/read_map.h"
#include "mapdata/write_map.h"

namespace eld {
namespace {

using testing::TempDir;

// 5 x 4 x 3 points (unequal, so swapped axes show), values that need every
// digit of a float, a skew cell and three atoms.
MapForWriting SampleMap() {
    MapForWriting m;
    m.CellMatrix = {{{7.5f, -1.25f, 0.5f}, {0.0f, 9.0f, -0.75f}, {0.0f, 0.0f, 11.0f}}};
    const float params[6] = {7.5f, 9.0862f, 11.0369f, 94.1f, 87.4f, 97.9f};
    std::copy(params, params + 6, m.CellParameters);
    m.N[0] = 5, m.N[1] = 4, m.N[2] = 3;
    m.GridOrigin[0] = -1.5f, m.GridOrigin[1] = 0.25f, m.GridOrigin[2] = 2.0f;
    m.CellShift[0] = 0.125f, m.CellShift[1] = -0.5f, m.CellShift[2] = 0.25f;
    m.GridStep[0] = 0.3f, m.GridStep[1] = 0.35f, m.GridStep[2] = 0.4f;
    m.Values.resize(60);
    for (int i3 = 1; i3 <= 3; ++i3)
        for (int i2 = 1; i2 <= 4; ++i2)
            for (int i1 = 1; i1 <= 5; ++i1)
                m.at(i1, i2, i3) = static_cast<float>(i1 + 10 * i2 + 100 * i3) / 3.0f +
                                   std::sin(static_cast<float>(i1 * i2 + i3)) * 1e-6f;
    m.at(2, 3, 1) = -10000.0f;
    m.at(4, 1, 3) = 10000.0f;
    m.at(5, 4, 2) = 1.17549435e-30f;
    m.AtomNames = {"C   ", "Cl  ", "O   "};
    m.AtomFractional = {{{0.1f, 0.2f, 0.3f}}, {{-0.25f, 1.5f, 0.75f}}, {{0.5f, 0.5f, 0.0f}}};
    return m;
}

void Scene(const MapForWriting& m, int n, float q[3]) {
    for (int i = 0; i < 3; ++i) {
        double s = 0;
        for (int j = 0; j < 3; ++j)
            s += double(m.CellMatrix[i][j]) * (m.AtomFractional[n][j] - m.CellShift[j]);
        q[i] = static_cast<float>(s);
    }
}

void ExpectSameValues(const MapForWriting& m, const SceneState& s) {
    ASSERT_EQ(s.map.MapGrid.N(1), 5);
    ASSERT_EQ(s.map.MapGrid.N(2), 4);
    ASSERT_EQ(s.map.MapGrid.N(3), 3);
    for (int i3 = 1; i3 <= 3; ++i3)
        for (int i2 = 1; i2 <= 4; ++i2)
            for (int i1 = 1; i1 <= 5; ++i1)
                ASSERT_EQ(s.map.DensityGrid.at(i1, i2, i3), m.at(i1, i2, i3))
                    << i1 << "," << i2 << "," << i3;
    EXPECT_EQ(s.map.MapGrid.DensityMin, -10000.0f);
    EXPECT_EQ(s.map.MapGrid.DensityMax, 10000.0f);
    EXPECT_EQ(s.map.DensityGrid.at(0, 2, 2), 0.0f);
}

TEST(ConvertWrite, Mt1AndFouReadBackTheSameGridCellAndAtoms) {
    TempDir dir;
    const MapForWriting m = SampleMap();
    for (const char* name : {"round.mt1", "round.fou", "ROUND.FOU"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> warnings;
        WriteMapFile(m, dir / name, &warnings);
        EXPECT_TRUE(warnings.empty());
        SceneState s;
        ReadMapFile(s, dir / name);
        ExpectSameValues(m, s);
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(s.map.MapGrid.GridOrigin[a], m.GridOrigin[a]);
            EXPECT_EQ(s.map.MapGrid.GridStep[a], m.GridStep[a]);
            EXPECT_EQ(s.map.CellShift[a], m.CellShift[a]);
            for (int b = 0; b < 3; ++b) EXPECT_EQ(s.map.CellMatrix[a][b], m.CellMatrix[a][b]);
        }
        for (int k = 0; k < 6; ++k) EXPECT_EQ(s.map.CellParameters[k], m.CellParameters[k]);
        ASSERT_EQ(s.map.AtomCount, 3);
        EXPECT_EQ(s.map.AtomNames[1], "Cl  ");
        EXPECT_EQ(s.map.AtomNames[2], "O   ");
        for (int n = 0; n < 3; ++n) {
            float q[3];
            Scene(m, n, q);
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(s.map.AtomData[n][i], q[i], 1e-5) << "atom " << n + 1;
        }
    }
    // The binary layout: 188 header bytes, 10 before the first section and 14
    // before each later one, 6 + 8 bytes before the atoms, 58 bytes per atom.
    EXPECT_EQ(std::filesystem::file_size(dir / "round.mt1"),
              188u + 10 + 2 * 14 + 60 * 4 + 6 + 8 + 3 * 58);
}

TEST(ConvertWrite, GrdKeepsTheMapInPlaceRelativeToItsGridAndWarnsAboutNames) {
    TempDir dir;
    const MapForWriting m = SampleMap();
    std::vector<std::string> warnings;
    WriteMapFile(m, dir / "round.grd", &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("round.grd"), std::string::npos);
    EXPECT_NE(warnings[0].find("Cl"), std::string::npos);

    SceneState s;
    ReadMapFile(s, dir / "round.grd");
    ExpectSameValues(m, s);
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(s.map.MapGrid.GridOrigin[a], 0.0f);
        EXPECT_NEAR(s.map.MapGrid.GridStep[a], m.GridStep[a], 1e-6);
        // Peaks are saved as scene + CellShift: for a point on an atom that is
        // CellMatrix * fractional, the Cartesian position the atoms are written at.
        double shift = m.GridOrigin[a];
        for (int j = 0; j < 3; ++j) shift += double(m.CellMatrix[a][j]) * m.CellShift[j];
        EXPECT_NEAR(s.map.CellShift[a], shift, 1e-5);
    }
    ASSERT_EQ(s.map.AtomCount, 3);
    EXPECT_EQ(s.map.AtomNames[0], "C   ");
    EXPECT_EQ(s.map.AtomNames[1], "C   ");  // the first letter only
    for (int n = 0; n < 3; ++n) {
        float q[3];
        Scene(m, n, q);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(s.map.AtomData[n][i], q[i] - m.GridOrigin[i], 2e-4) << "atom " << n + 1;
    }

    MapForWriting flat = m;
    flat.N[2] = 1;
    flat.Values.resize(20);
    EXPECT_THROW(WriteMapGrd(flat, dir / "flat.grd", nullptr), EldError);
}

TEST(ConvertWrite, ValuesOutsideTheReadersRangeAndBadNamesAreRefused) {
    TempDir dir;
    for (float bad : {10000.5f, -10001.0f, NAN}) {
        MapForWriting m = SampleMap();
        m.at(3, 2, 2) = bad;
        for (const char* name : {"big.mt1", "big.fou", "big.grd"}) {
            try {
                WriteMapFile(m, dir / name, nullptr);
                ADD_FAILURE() << name << " accepted " << bad;
            } catch (const EldError& e) {
                const std::string msg = e.what();
                EXPECT_NE(msg.find(name), std::string::npos) << msg;
                EXPECT_NE(msg.find("(3, 2, 2)"), std::string::npos) << msg;
            }
            EXPECT_FALSE(std::filesystem::exists(dir / name));
        }
    }
    EXPECT_THROW(WriteMapFile(SampleMap(), dir / "map.ccp4", nullptr), EldError);
    MapForWriting blank = SampleMap();
    blank.AtomNames[0] = "    ";
    EXPECT_THROW(WriteMapFou(blank, dir / "blank.fou"), EldError);
}

// What convert would write must read back: a title with a line break, far-out
// origins and atoms, a step that needs an unthinkable grid.
TEST(ConvertWrite, WhatWouldNotReadBackIsRefusedNamingTheSource) {
    TempDir dir;
    MapForWriting titled = SampleMap();
    titled.Title = "converted from two\nlines.cube";
    for (const char* name : {"t.mt1", "t.fou", "t.grd"}) {
        WriteMapFile(titled, dir / name, nullptr);
        SceneState s;
        ReadMapFile(s, dir / name);
        ExpectSameValues(titled, s);
    }
    MapForWriting far = SampleMap();
    far.GridOrigin[1] = INFINITY;
    for (const char* name : {"far.mt1", "far.fou", "far.grd"}) {
        EXPECT_THROW(WriteMapFile(far, dir / name, nullptr), EldError) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / name));
    }

    ForeignMap m;
    m.SourcePath = "in.cube";
    const double cell[6] = {4, 4, 4, 90, 90, 90};
    m.Cell = OrthogonalisationMatrix(cell);
    for (int a = 0; a < 3; ++a) m.N[a] = m.Sampling[a] = 4;
    m.Values.assign(64, 1.0f);
    m.Atoms = {{"C", "", {1, 1, 1}}, {"O", "", {1, 5e100, 1}}};
    auto error = [](const ForeignMap& map, const ConvertOptions& o) {
        try {
            PlaceInScene(map, o);
        } catch (const EldError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(error(m, {}).rfind("in.cube: atom 2 (O) lies at 5e+100 Angstrom along axis 2", 0), 0u)
        << error(m, {});
    m.Atoms.pop_back();
    m.CellOrigin = {0, 1e300, 0};
    EXPECT_NE(error(m, {}).find("in.cube: the grid's origin"), std::string::npos) << error(m, {});
    m.CellOrigin = {0, 0, 0};
    ConvertOptions tiny;
    tiny.Step = 1e-300;
    EXPECT_NE(error(m, tiny).find("would need 3e+300 points along axis 1"), std::string::npos)
        << error(m, tiny);
}

}  // namespace
}  // namespace eld
