#include <gtest/gtest.h>

#include <random>

#include "mapdata/eld_error.h"
#include "mapdata/read_map.h"
#include "tests/core/read_map_fixtures.h"

namespace eld {
namespace {

using testmaps::TestAtom;
using testmaps::TestMap;

const float kCentre[3] = {0.5f, 0.5f, 0.5f};
const float kBox[3] = {2.0f, 3.0f, 1.0f};

std::string ErrorOf(void (*reader)(SceneState&, std::string_view, const std::string&),
                    const std::string& text, ErrorKind kind, const std::string& name = "t") {
    SceneState s;
    try {
        reader(s, text, name);
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), kind) << e.what();
        return e.what();
    }
    ADD_FAILURE() << "read without error";
    return "";
}

TEST(ReadTextMaps, TheSameGridInAllThreeFormatsGivesTheSameDensityGrid) {
    TestMap m;
    m.n[0] = 5;
    m.n[1] = 3;
    m.n[2] = 4;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-50.0f, 50.0f);
    std::vector<float> vals(6 * 4 * 5);
    for (float& v : vals) v = u(rng);
    m.value = [&](int i1, int i2, int i3) { return vals[(i1 * 4 + i2) * 5 + i3]; };

    SceneState a, b, c;
    ReadMapMt1Buffer(a, testmaps::Mt1(m), "m.mt1");
    ReadMapFouBuffer(b, testmaps::Fou(m), "m.fou");
    ReadMapGrdBuffer(c, testmaps::Grd(m, kCentre, kBox), "m.grd");
    EXPECT_EQ(a.map.DensityGrid.values, b.map.DensityGrid.values);
    EXPECT_EQ(a.map.DensityGrid.values, c.map.DensityGrid.values);
    EXPECT_EQ(a.map.DensityGrid.at(5, 3, 4), m.value(5, 3, 4));
    EXPECT_EQ(c.map.DensityGrid.at(2, 1, 1), m.value(2, 1, 1));
    for (const SceneState* s : {&b, &c}) {
        EXPECT_EQ(s->map.MapGrid.DensityMin, a.map.MapGrid.DensityMin);
        EXPECT_EQ(s->map.MapGrid.DensityMax, a.map.MapGrid.DensityMax);
        EXPECT_EQ(s->map.DensityGrid.n1, 5);
        EXPECT_EQ(s->map.DensityGrid.n3, 4);
    }
}

TEST(ReadFou, HeaderAndAtomsMatchTheBinaryReader) {
    TestMap m;
    m.atoms = {{"C1", 0.1f, 0.2f, 0.3f},
               {"O", 1.1f, 0.2f, 0.8f},
               {"Cl2", 0, 0, 0},
               {"H12A", 0.5f, 0.5f, 0.5f}};
    SceneState a, b;
    ReadMapMt1Buffer(a, testmaps::Mt1(m), "m.mt1");
    ReadMapFouBuffer(b, testmaps::Fou(m), "m.fou");
    EXPECT_EQ(b.map.CellMatrix, a.map.CellMatrix);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(b.map.CellShift[k], a.map.CellShift[k]);
        EXPECT_EQ(b.map.MapGrid.GridOrigin[k], a.map.MapGrid.GridOrigin[k]);
        EXPECT_EQ(b.map.MapGrid.GridStep[k], a.map.MapGrid.GridStep[k]);
        EXPECT_EQ(b.map.MapGrid.GridPoints[k], a.map.MapGrid.GridPoints[k]);
    }
    for (int k = 0; k < 6; ++k) EXPECT_EQ(b.map.CellParameters[k], 10.0f + k);
    ASSERT_EQ(b.map.AtomCount, 4);
    EXPECT_EQ(b.map.AtomNames, (std::vector<std::string>{"C1  ", "O   ", "Cl2 ", "H12A"}));
    for (int n = 0; n < 4; ++n)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(b.map.AtomData[n][c], a.map.AtomData[n][c]) << n;
    for (int c = 0; c < 8; ++c) EXPECT_EQ(b.map.CellCorners[c].z, a.map.CellCorners[c].z);
}

TEST(ReadFou, AtomNameLengthMustBeOneToFour) {
    for (const char* bad : {"C12AB", ""}) {
        TestMap m;
        m.atoms = {{"C", 0, 0, 0}, {bad, 0, 0, 0}};
        EXPECT_EQ(ErrorOf(&ReadMapFouBuffer, testmaps::Fou(m), ErrorKind::Fatal),
                  "Your atom name looks strange, name lengh  <> [1,2,3,4]");
    }
}

TEST(ReadFou, ValueBoundsAndNoAtoms) {
    TestMap m;
    m.value = [](int i1, int i2, int) { return (i1 + i2) % 2 ? 10000.0f : -10000.0f; };
    SceneState s;
    ReadMapFouBuffer(s, testmaps::Fou(m), "m.fou");
    EXPECT_EQ(s.map.MapGrid.DensityMax, 10000.0f);
    EXPECT_EQ(s.map.MapGrid.DensityMin, -10000.0f);
    EXPECT_EQ(s.map.AtomCount, 0);
    m.value = [](int i1, int i2, int i3) { return i1 == 3 && i2 == 2 && i3 == 2 ? 10001.0f : 0; };
    EXPECT_EQ(ErrorOf(&ReadMapFouBuffer, testmaps::Fou(m), ErrorKind::Fatal),
              "Your input data looks strange, ELD > 10000");
    m.value = [](int, int, int) { return -1e6f; };
    EXPECT_EQ(ErrorOf(&ReadMapGrdBuffer, testmaps::Grd(m, kCentre, kBox), ErrorKind::Fatal),
              "Your input data looks strange, ELD < -10000");
}

TEST(ReadFou, TextInTheGridNamesTheLine) {
    TestMap m;
    std::string t = testmaps::Fou(m);
    const std::string first = " " + testmaps::Num(m.value(2, 1, 1));
    std::size_t at = t.find(first);
    ASSERT_NE(at, std::string::npos);
    t.replace(at, first.size(), " 1.5q");
    std::string msg = ErrorOf(&ReadMapFouBuffer, t, ErrorKind::Recoverable, "x.fou");
    EXPECT_NE(msg.find("x.fou: line 13:"), std::string::npos) << msg;
    EXPECT_NE(msg.find("\"1.5q\""), std::string::npos) << msg;
    t.replace(at, 5, " nan ");
    ErrorOf(&ReadMapFouBuffer, t, ErrorKind::Recoverable);
}

TEST(ReadGrd, AtomColumnsAndBoxPlacement) {
    TestMap m;
    m.n[0] = 11;
    m.n[1] = 21;
    m.n[2] = 31;
    m.value = [](int, int, int) { return 0.0f; };
    m.atoms = {{"O", 1.0f, 2.0f, 3.0f}, {"Cl7", 4.0f, 5.0f, 6.0f}};
    const float e[3] = {10, 20, 30};
    // Centre (4, 5, 6) = the second atom.
    const float c[3] = {4, 5, 6};
    const std::string t = testmaps::Grd(m, c, e);
    SceneState s;
    ReadMapGrdBuffer(s, t, "m.grd");
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(s.map.MapGrid.GridStep[a], 1.0f);
        EXPECT_EQ(s.map.MapGrid.GridOrigin[a], 0.0f);
        EXPECT_EQ(s.map.CellShift[a], c[a] - e[a] / 2);
    }
    for (float p : s.map.CellParameters) EXPECT_EQ(p, 1.0f);
    EXPECT_EQ(s.map.AtomNames, (std::vector<std::string>{"O   ", "C   "}));
    EXPECT_FLOAT_EQ(s.map.AtomData[1][0], 5.0f);
    EXPECT_FLOAT_EQ(s.map.AtomData[1][1], 10.0f);
    EXPECT_FLOAT_EQ(s.map.AtomData[1][2], 15.0f);
    EXPECT_FLOAT_EQ(s.map.AtomData[0][0], 1 - 4 + 5.0f);
    // Identity matrix: a unit cube at -CellShift.
    EXPECT_FLOAT_EQ(s.map.CellCorners[0].x, 1.0f);
    EXPECT_FLOAT_EQ(s.map.CellCorners[6].z, 1.0f + 9.0f);
}

TEST(ReadGrd, FixedColumnsIgnoreBlanksAndStopAtText) {
    TestMap m;
    m.n[0] = m.n[1] = m.n[2] = 2;
    std::string t = testmaps::Grd(m, kCentre, kBox);
    // Replace the atom block: count 2, columns 10-18 / 20-28 / 30-38.
    std::string block = "2\n";
    block += "O        1.0       2.0       3.0\n";
    block += "Nx3      - 1 5     2.5abc              trailing\n";
    std::size_t at = t.find("0\nvalues 1");
    ASSERT_NE(at, std::string::npos);
    t.replace(at, 2, block);
    SceneState s;
    ReadMapGrdBuffer(s, t, "m.grd");
    ASSERT_EQ(s.map.AtomCount, 2);
    EXPECT_EQ(s.map.AtomNames[0], "O   ");
    EXPECT_EQ(s.map.AtomNames[1], "N   ");
    const float shift[3] = {0.5f - 1.0f, 0.5f - 1.5f, 0.0f};
    EXPECT_FLOAT_EQ(s.map.AtomData[0][0], 1.0f - shift[0]);
    EXPECT_FLOAT_EQ(s.map.AtomData[0][1], 2.0f - shift[1]);
    EXPECT_FLOAT_EQ(s.map.AtomData[0][2], 3.0f - shift[2]);
    EXPECT_FLOAT_EQ(s.map.AtomData[1][0], -15.0f - shift[0]);  // "- 1 5" reads -15
    EXPECT_FLOAT_EQ(s.map.AtomData[1][1], 2.5f - shift[1]);
    EXPECT_FLOAT_EQ(s.map.AtomData[1][2], 0.0f - shift[2]);  // empty field
}

TEST(ReadGrd, OnePointAlongAnAxisHasNoStep) {
    TestMap m;
    m.n[1] = 1;
    std::string msg =
        ErrorOf(&ReadMapGrdBuffer, testmaps::Grd(m, kCentre, kBox), ErrorKind::Recoverable);
    EXPECT_NE(msg.find("axis 2"), std::string::npos) << msg;
}

TEST(ReadTextMaps, ImpossibleHeadersAreRefusedBeforeAllocating) {
    TestMap m;
    std::string fou = testmaps::Fou(m);
    std::size_t at = fou.find("3  4 2\n");
    ASSERT_NE(at, std::string::npos);
    std::string msg = ErrorOf(&ReadMapFouBuffer, fou.replace(at, 6, "30000 30000 30000"),
                              ErrorKind::Recoverable, "big.fou");
    EXPECT_NE(msg.find("big.fou"), std::string::npos);
    EXPECT_NE(msg.find("30000 x 30000 x 30000"), std::string::npos) << msg;
    std::string grd = testmaps::Grd(m, kCentre, kBox);
    grd.replace(grd.find("3 4 2\n"), 5, "3 40000 2");
    msg = ErrorOf(&ReadMapGrdBuffer, grd, ErrorKind::Recoverable);
    EXPECT_NE(msg.find("axis 2 is 40000"), std::string::npos) << msg;
    grd = testmaps::Grd(m, kCentre, kBox);
    grd.replace(grd.find("3 4 2\n"), 5, "3 4.5 2");
    ErrorOf(&ReadMapGrdBuffer, grd, ErrorKind::Recoverable);
    // Atom count above the limit.
    fou = testmaps::Fou(m);
    fou.replace(fou.find("0 14\n"), 4, "40000 14");
    msg = ErrorOf(&ReadMapFouBuffer, fou, ErrorKind::Recoverable);
    EXPECT_NE(msg.find("40000"), std::string::npos) << msg;
}

TEST(ReadTextMaps, TruncatedOrGarbledFilesOnlyEverThrow) {
    TestMap m;
    m.atoms = {{"C", 0.1f, 0.2f, 0.3f}};
    const std::string texts[2] = {testmaps::Fou(m), testmaps::Grd(m, kCentre, kBox)};
    decltype(&ReadMapFouBuffer) readers[2] = {&ReadMapFouBuffer, &ReadMapGrdBuffer};
    for (int f = 0; f < 2; ++f) {
        const std::string& full = texts[f];
        // Cut at every line start: always "ends early" (the last cut may
        // leave a whole file for .grd, whose values end the file).
        for (std::size_t len = 0; len + 1 < full.size(); ++len) {
            if (len && full[len - 1] != '\n') continue;
            SceneState s;
            EXPECT_THROW(readers[f](s, std::string_view(full).substr(0, len), "t"), EldError)
                << f << " " << len;
        }
        std::mt19937 rng(11 + f);
        for (int trial = 0; trial < 300; ++trial) {
            std::string g = full;
            for (int k = 0; k < 3; ++k) g[rng() % g.size()] = char(rng() % 256);
            SceneState s;
            try {
                readers[f](s, g, "t");
            } catch (const EldError&) {
            }
        }
    }
}

}  // namespace
}  // namespace eld
