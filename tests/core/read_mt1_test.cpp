#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "mapdata/eld_error.h"
#include "mapdata/read_map.h"
#include "tests/core/read_map_fixtures.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

using testmaps::TestAtom;
using testmaps::TestMap;

ErrorKind KindOf(const std::string& bytes, std::string* message = nullptr) {
    SceneState s;
    try {
        ReadMapMt1Buffer(s, bytes, "m.mt1");
    } catch (const EldError& e) {
        if (message) *message = e.what();
        return e.kind();
    }
    ADD_FAILURE() << "read without error";
    return ErrorKind::Recoverable;
}

// Byte offset of the value (i1, i2, i3) in a map built by testmaps::Mt1.
std::size_t ValueOffset(const TestMap& m, int i1, int i2, int i3) {
    std::size_t off = 188 + 10 + std::size_t(i3 - 1) * (14 + 4 * m.n[0] * m.n[1]);
    return off + 4 * (std::size_t(i1 - 1) * m.n[1] + (i2 - 1));
}

void SetFloat(std::string& b, std::size_t off, float v) {
    std::string f;
    testmaps::PutFloat(f, v);
    b.replace(off, 4, f);
}

TEST(ReadMt1, HeaderFieldsAndValuesLandAtTheirGridPoints) {
    TestMap m;
    SceneState s;
    ReadMapMt1Buffer(s, testmaps::Mt1(m), "m.mt1");
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(s.map.MapGrid.GridPoints[a], float(m.n[a]));
        EXPECT_EQ(s.map.MapGrid.GridOrigin[a], m.origin[a]);
        EXPECT_EQ(s.map.MapGrid.GridStep[a], m.step[a]);
        EXPECT_EQ(s.map.CellShift[a], m.shift[a]);
    }
    EXPECT_EQ(s.map.CellMatrix, m.matrix);
    EXPECT_EQ(s.map.CellParameters[0], 10.0f);
    EXPECT_EQ(s.map.CellParameters[5], 15.0f);
    ASSERT_EQ(s.map.DensityGrid.n1, 3);
    ASSERT_EQ(s.map.DensityGrid.n2, 4);
    ASSERT_EQ(s.map.DensityGrid.n3, 2);
    for (int i1 = 0; i1 <= 3; ++i1)
        for (int i2 = 0; i2 <= 4; ++i2)
            for (int i3 = 0; i3 <= 2; ++i3) {
                float want = (i1 && i2 && i3) ? m.value(i1, i2, i3) : 0.0f;
                EXPECT_EQ(s.map.DensityGrid.at(i1, i2, i3), want) << i1 << i2 << i3;
            }
    EXPECT_EQ(s.map.MapGrid.DensityMin, m.value(1, 1, 1));
    EXPECT_EQ(s.map.MapGrid.DensityMax, m.value(3, 4, 2));
    EXPECT_EQ(s.map.AtomCount, 0);
}

TEST(ReadMt1, AtomsArePlacedAndCornersComeInOrder) {
    TestMap m;
    m.atoms = {{"C1", 0.1f, 0.2f, 0.3f}, {"O   ", 1.1f, 0.2f, 0.8f}};
    SceneState s;
    ReadMapMt1Buffer(s, testmaps::Mt1(m), "m.mt1");
    ASSERT_EQ(s.map.AtomCount, 2);
    EXPECT_EQ(s.map.AtomNames[0], "C1  ");
    EXPECT_EQ(s.map.AtomNames[1], "O   ");
    // Atom 1 sits on the shift: scene origin. Atom 2 is (1, 0, 0.5) from it.
    EXPECT_FLOAT_EQ(s.map.AtomData[0][0], 0.0f);
    EXPECT_FLOAT_EQ(s.map.AtomData[0][2], 0.0f);
    EXPECT_NEAR(s.map.AtomData[1][0], 2.0f, 1e-5);
    EXPECT_NEAR(s.map.AtomData[1][1], 0.0f, 1e-5);
    EXPECT_NEAR(s.map.AtomData[1][2], 0.5f + 2.0f, 1e-5);  // row 3 = (0.5, 0, 4)
    // Corners: M * (corner - shift).
    const float frac[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                              {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    for (int c = 0; c < 8; ++c) {
        float d[3] = {frac[c][0] - 0.1f, frac[c][1] - 0.2f, frac[c][2] - 0.3f};
        EXPECT_NEAR(s.map.CellCorners[c].x, 2 * d[0], 1e-6) << c;
        EXPECT_NEAR(s.map.CellCorners[c].y, 3 * d[1], 1e-6) << c;
        EXPECT_NEAR(s.map.CellCorners[c].z, 0.5f * d[0] + 4 * d[2], 1e-6) << c;
    }
}

TEST(ReadMt1, SectionGapsAreTenThenFourteen) {
    // A one-point-per-section map: the sections' values sit at 198, 216, 234.
    TestMap m;
    m.n[0] = m.n[1] = 1;
    m.n[2] = 3;
    std::string b = testmaps::Mt1(m);
    SetFloat(b, 198, 1.0f);
    SetFloat(b, 216, 2.0f);
    SetFloat(b, 234, 3.0f);
    SceneState s;
    ReadMapMt1Buffer(s, b, "m.mt1");
    EXPECT_EQ(s.map.DensityGrid.at(1, 1, 1), 1.0f);
    EXPECT_EQ(s.map.DensityGrid.at(1, 1, 2), 2.0f);
    EXPECT_EQ(s.map.DensityGrid.at(1, 1, 3), 3.0f);
}

TEST(ReadMt1, ValueBoundsAreInclusive) {
    TestMap m;
    m.value = [](int i1, int, int) { return i1 == 1 ? 10000.0f : -10000.0f; };
    SceneState s;
    ReadMapMt1Buffer(s, testmaps::Mt1(m), "m.mt1");
    EXPECT_EQ(s.map.MapGrid.DensityMax, 10000.0f);
    EXPECT_EQ(s.map.MapGrid.DensityMin, -10000.0f);

    std::string msg;
    std::string b = testmaps::Mt1(m);
    SetFloat(b, ValueOffset(m, 2, 3, 2), 10000.001f);
    EXPECT_EQ(KindOf(b, &msg), ErrorKind::Fatal);
    EXPECT_EQ(msg, "Your input data looks strange, ELD > 10000");
    SetFloat(b, ValueOffset(m, 2, 3, 2), -10000.001f);
    EXPECT_EQ(KindOf(b, &msg), ErrorKind::Fatal);
    EXPECT_EQ(msg, "Your input data looks strange, ELD < -10000");
    SetFloat(b, ValueOffset(m, 2, 3, 2), std::numeric_limits<float>::infinity());
    EXPECT_EQ(KindOf(b, &msg), ErrorKind::Fatal);
    SetFloat(b, ValueOffset(m, 2, 3, 2), std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(KindOf(b, &msg), ErrorKind::Recoverable);
    EXPECT_NE(msg.find("(2, 3, 2)"), std::string::npos) << msg;
}

TEST(ReadMt1, WordsPerAtomOtherThan14EndsSilently) {
    TestMap m;
    m.words_per_atom = 13;
    EXPECT_EQ(KindOf(testmaps::Mt1(m)), ErrorKind::FatalSilent);
    m.atoms = {};  // checked even without atoms
    EXPECT_EQ(KindOf(testmaps::Mt1(m)), ErrorKind::FatalSilent);
}

TEST(ReadMt1, NegativeAtomCountLoadsWithoutAtoms) {
    TestMap m;
    std::string b = testmaps::Mt1(m);
    std::string neg;
    testmaps::PutInt(neg, -5);
    b.replace(b.size() - 8, 4, neg);
    SceneState s;
    ReadMapMt1Buffer(s, b, "m.mt1");
    EXPECT_EQ(s.map.AtomCount, 0);
    EXPECT_NEAR(s.map.CellCorners[6].x, 2 * 0.9f, 1e-6);
}

TEST(ReadMt1, ImpossibleCountsAreRefusedBeforeAllocating) {
    TestMap m;
    std::string msg;
    const std::size_t counts = 176;
    for (int bad : {0, -1, 32767, 1 << 30}) {
        std::string b = testmaps::Mt1(m);
        std::string v;
        testmaps::PutInt(v, bad);
        b.replace(counts + 4, 4, v);
        EXPECT_EQ(KindOf(b, &msg), ErrorKind::Recoverable);
        EXPECT_NE(msg.find("axis 2 is " + std::to_string(bad)), std::string::npos) << msg;
    }
    // Legal counts, but 32766^3 floats: refused by the file size, not by memory.
    std::string b = testmaps::Mt1(m);
    std::string v;
    for (int a = 0; a < 3; ++a) testmaps::PutInt(v, 32766);
    b.replace(counts, 12, v);
    EXPECT_EQ(KindOf(b, &msg), ErrorKind::Recoverable);
    EXPECT_NE(msg.find("32766 x 32766 x 32766"), std::string::npos) << msg;
    // An atom count beyond the limit, and one the file cannot hold.
    for (int atoms : {32767, 1000}) {
        std::string c = testmaps::Mt1(m);
        std::string w;
        testmaps::PutInt(w, atoms);
        c.replace(c.size() - 8, 4, w);
        EXPECT_EQ(KindOf(c, &msg), ErrorKind::Recoverable) << atoms;
        EXPECT_NE(msg.find(std::to_string(atoms)), std::string::npos) << msg;
    }
}

TEST(ReadMt1, EveryTruncationIsAnErrorNamingTheFile) {
    TestMap m;
    m.atoms = {{"N", 0.5f, 0.5f, 0.5f}};
    const std::string full = testmaps::Mt1(m);
    for (std::size_t len = 0; len < full.size(); ++len) {
        std::string msg;
        EXPECT_EQ(KindOf(full.substr(0, len), &msg), ErrorKind::Recoverable) << len;
        EXPECT_EQ(msg.rfind("m.mt1: ", 0), 0u) << msg;
    }
}

TEST(ReadMt1, GarbledBytesOnlyEverThrow) {
    TestMap m;
    m.atoms = {{"N", 0.5f, 0.5f, 0.5f}, {"C", 0.1f, 0.5f, 0.5f}};
    const std::string full = testmaps::Mt1(m);
    std::mt19937 rng(99);
    int accepted = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        std::string b = full;
        for (int k = 0; k < 4; ++k) b[rng() % b.size()] = char(rng() % 256);
        if (trial % 3 == 0) b.resize(rng() % b.size());
        SceneState s;
        try {
            ReadMapMt1Buffer(s, b, "m.mt1");
            ++accepted;
            EXPECT_LE(s.map.MapGrid.DensityMax, 10000.0f);
            EXPECT_GE(s.map.MapGrid.DensityMin, -10000.0f);
        } catch (const EldError&) {
        }
    }
    EXPECT_GT(accepted, 0);  // most single-byte changes leave a readable map
}

TEST(ReadMt1, NonFiniteHeaderOrAtomIsRefused) {
    TestMap m;
    m.atoms = {{"N", 0.5f, 0.5f, 0.5f}};
    const std::string full = testmaps::Mt1(m);
    std::string b = full;
    SetFloat(b, 38 + 4 * 4, std::numeric_limits<float>::quiet_NaN());  // M(2,2)
    EXPECT_EQ(KindOf(b), ErrorKind::Recoverable);
    b = full;
    SetFloat(b, 122 + 4, std::numeric_limits<float>::infinity());  // step 1
    EXPECT_EQ(KindOf(b), ErrorKind::Recoverable);
    b = full;
    SetFloat(b, full.size() - 28 - 12, std::numeric_limits<float>::quiet_NaN());  // atom x
    EXPECT_EQ(KindOf(b), ErrorKind::Recoverable);
    b = full;
    SetFloat(b, 38, 3e38f);  // M(1,1): the placed atom overflows
    SetFloat(b, full.size() - 28 - 12, 3e38f);
    EXPECT_EQ(KindOf(b), ErrorKind::Recoverable);
}

using ReadMapFileTest = testing::TempFolderTest;

TEST_F(ReadMapFileTest, ReadMapFileChoosesTheReaderAndKeepsTheOldMapOnFailure) {
    TestMap m;
    m.atoms = {{"C", 0.1f, 0.2f, 0.3f}};
    SceneState s;
    ReadMapFile(s, Put("good.MT1", testmaps::Mt1(m)));
    ASSERT_EQ(s.map.AtomCount, 1);
    s.map.BondList.push_back(Bond{0, 0});
    s.map.BondCount = 1;

    std::string bad = testmaps::Mt1(m);
    bad.resize(bad.size() - 3);
    EXPECT_THROW(ReadMapFile(s, Put("bad.mt1", bad)), EldError);
    EXPECT_EQ(s.map.AtomCount, 1);  // unchanged
    EXPECT_EQ(s.map.BondCount, 1);
    EXPECT_EQ(s.map.DensityGrid.at(3, 4, 2), m.value(3, 4, 2));

    m.value = [](int, int, int) { return 1.0f; };
    ReadMapFile(s, Put("other.mt1", testmaps::Mt1(m)));
    EXPECT_EQ(s.map.MapGrid.DensityMax, 1.0f);
    EXPECT_EQ(s.map.BondCount, 0);  // bonds of the old atoms are gone
    EXPECT_TRUE(s.map.BondList.empty());

    try {
        ReadMapFile(s, (dir_ / "missing.mt1").string());
        ADD_FAILURE();
    } catch (const EldError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Recoverable);
        EXPECT_NE(std::string(e.what()).find("missing.mt1"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ReadMapFile(s, Put("x.Mt1", testmaps::Mt1(m))), EldError);
    EXPECT_THROW(ReadMapFile(s, dir_.string() + "/"), EldError);
}

TEST(ReaderForExtension, OnlyAllLowerOrAllUpperCaseOfTheLastThreeCharacters) {
    using Reader = decltype(&ReadMapMt1);
    const std::pair<const char*, Reader> cases[] = {{"a.mt1", &ReadMapMt1}, {"A.MT1", &ReadMapMt1},
                                                    {"a.fou", &ReadMapFou}, {"a.GRD", &ReadMapGrd},
                                                    {"a.Mt1", nullptr},     {"\"a.mt1\"", nullptr},
                                                    {"mt", nullptr},        {"xgrd", &ReadMapGrd}};
    for (const auto& [name, reader] : cases) EXPECT_EQ(ReaderForExtension(name), reader) << name;
}

}  // namespace
}  // namespace eld
