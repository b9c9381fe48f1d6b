// The bundled example maps: each loads in all three formats with the same
// density, and the atoms sit on their density peaks.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "mapdata/read_map.h"

namespace eld {
namespace {

const std::string kExamples = std::string(ELD_TEST_DATA) + "/../../data/examples/";

SceneState Load(const std::string& name) {
    SceneState s;
    ReadMapFile(s, kExamples + name);
    return s;
}

// The largest of the eight grid values around a scene position.
float NearestValues(const SceneState& s, const XYZ& p) {
    const float q[3] = {p.x, p.y, p.z};
    int lo[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = static_cast<int>(
                    std::floor((q[a] - s.map.MapGrid.GridOrigin[a]) / s.map.MapGrid.GridStep[a])) +
                1;
        if (lo[a] < 1 || lo[a] >= s.map.MapGrid.N(a + 1)) return -1;
    }
    float best = -1e30f;
    for (int c = 0; c < 8; ++c)
        best = std::max(best, s.map.DensityGrid.at(lo[0] + (c & 1), lo[1] + (c >> 1 & 1),
                                                   lo[2] + (c >> 2 & 1)));
    return best;
}

XYZ AtomAt(const SceneState& s, int n) {
    return {s.map.AtomData[n][0], s.map.AtomData[n][1], s.map.AtomData[n][2]};
}

void ExpectSameMap(const SceneState& a, const SceneState& b) {
    ASSERT_EQ(a.map.DensityGrid.values.size(), b.map.DensityGrid.values.size());
    EXPECT_TRUE(a.map.DensityGrid.values == b.map.DensityGrid.values);
    ASSERT_EQ(a.map.AtomCount, b.map.AtomCount);
}

// The atoms of a .grd lie where the other formats put them, moved with the grid.
void ExpectGrdAtomsInPlace(const SceneState& mt1, const SceneState& grd) {
    for (int n = 0; n < mt1.map.AtomCount; ++n) {
        EXPECT_NEAR(grd.map.AtomData[n][0], mt1.map.AtomData[n][0] - mt1.map.MapGrid.GridOrigin[0],
                    2e-4);
        EXPECT_NEAR(grd.map.AtomData[n][1], mt1.map.AtomData[n][1] - mt1.map.MapGrid.GridOrigin[1],
                    2e-4);
        EXPECT_NEAR(grd.map.AtomData[n][2], mt1.map.AtomData[n][2] - mt1.map.MapGrid.GridOrigin[2],
                    2e-4);
        EXPECT_EQ(grd.map.AtomNames[n][0], mt1.map.AtomNames[n][0]);
    }
}

TEST(ConvertExamples, BenzeneCarbonsSitOnTheirDensityInEveryFormat) {
    if (!std::filesystem::exists(kExamples + "benzene.mt1")) GTEST_SKIP() << "no examples";
    const SceneState mt1 = Load("benzene.mt1"), fou = Load("benzene.fou"),
                     grd = Load("benzene.grd");
    EXPECT_EQ(mt1.map.MapGrid.N(1), 82);
    EXPECT_EQ(mt1.map.MapGrid.N(2), 88);
    EXPECT_EQ(mt1.map.MapGrid.N(3), 41);
    ExpectSameMap(mt1, fou);
    ExpectSameMap(mt1, grd);
    ExpectGrdAtomsInPlace(mt1, grd);
    ASSERT_EQ(mt1.map.AtomCount, 12);
    for (int n = 0; n < 12; ++n) {
        const float v = NearestValues(mt1, AtomAt(mt1, n));
        if (mt1.map.AtomNames[n] == "C   ")
            EXPECT_GT(v, 0.3f * mt1.map.MapGrid.DensityMax) << "atom " << n + 1;
        else
            EXPECT_GT(v, 1.0f) << "atom " << n + 1;  // e/A^3 at a hydrogen
    }
}

TEST(ConvertExamples, ParacetamolAtomsSitOnTheirDensityAtTrueFractionalCoordinates) {
    if (!std::filesystem::exists(kExamples + "paracetamol_hydrate.mt1"))
        GTEST_SKIP() << "no examples";
    const SceneState mt1 = Load("paracetamol_hydrate.mt1"), fou = Load("paracetamol_hydrate.fou"),
                     grd = Load("paracetamol_hydrate.grd");
    ExpectSameMap(mt1, fou);
    ExpectSameMap(mt1, grd);
    ExpectGrdAtomsInPlace(mt1, grd);
    ASSERT_EQ(mt1.map.AtomCount, 23);
    // Monoclinic cell: a along x, c tilted in the xz plane.
    EXPECT_NEAR(mt1.map.CellMatrix[0][0], 4.5039f, 1e-4);
    EXPECT_NEAR(mt1.map.CellMatrix[0][2], -1.900027f, 1e-4);
    EXPECT_NEAR(mt1.map.CellMatrix[2][2], 16.941789f, 1e-4);
    EXPECT_EQ(mt1.map.CellMatrix[1][0], 0.0f);
    // Atom 1 (C1) at fractional (0.5762, 0.6687, 0.15652) of the crystal cell.
    const float c1[3] = {0.5762f, 0.6687f, 0.15652f};
    const XYZ q = FractionalToScene(mt1, c1);
    EXPECT_NEAR(mt1.map.AtomData[0][0], q.x, 2e-3);
    EXPECT_NEAR(mt1.map.AtomData[0][1], q.y, 2e-3);
    EXPECT_NEAR(mt1.map.AtomData[0][2], q.z, 2e-3);
    for (int n = 0; n < 23; ++n) {
        const float v = NearestValues(mt1, AtomAt(mt1, n));
        if (mt1.map.AtomNames[n] == "H   ")
            EXPECT_GT(v, 0.5f) << "atom " << n + 1;
        else
            EXPECT_GT(v, 0.4f * mt1.map.MapGrid.DensityMax)
                << "atom " << n + 1 << " " << mt1.map.AtomNames[n];
    }
}

}  // namespace
}  // namespace eld
