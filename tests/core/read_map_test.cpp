// The three map formats: the binary .mt1 and the text .fou and .grd, built
// byte for byte by read_map_fixtures.h; header fields, values at their grid
// points, atoms and cell corners; damaged and impossible files; the reader
// chosen by the extension.
#include "mapdata/read_map.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>

#include "mapdata/eld_error.h"
#include "tests/core/read_map_fixtures.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

using testmaps::TestMap;
using Reader = decltype(&ReadMapMt1Buffer);
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kCentre[3] = {0.5f, 0.5f, 0.5f};
const float kBox[3] = {2.0f, 3.0f, 1.0f};

std::string Grd(const TestMap& m) {
    return testmaps::Grd(m, kCentre, kBox);
}

// The message of the error the read ends with; its kind must be `kind`.
std::string ErrorOf(Reader reader, std::string_view bytes, ErrorKind kind,
                    const std::string& name = "m.mt1") {
    SceneState s;
    const testing::Caught c = testing::Catch([&] { reader(s, bytes, name); });
    EXPECT_TRUE(c.thrown);
    EXPECT_EQ(c.kind, kind) << c.what;
    return c.what;
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
void SetInt(std::string& b, std::size_t off, int v) {
    std::string f;
    testmaps::PutInt(f, v);
    b.replace(off, 4, f);
}

TEST(ReadMt1, HeaderFieldsAndValuesLandAtTheirGridPoints) {
    TestMap m;
    m.value = [](int i1, int i2, int i3) {  // the bounds are inclusive
        return i1 == 1 && i2 == 2   ? 10000.0f
               : i3 == 2 && i2 == 1 ? -10000.0f
                                    : i1 * 100 + i2 * 10 + i3 + 0.5f;
    };
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
    EXPECT_EQ(s.map.MapGrid.DensityMin, -10000.0f);
    EXPECT_EQ(s.map.MapGrid.DensityMax, 10000.0f);
    EXPECT_EQ(s.map.AtomCount, 0);
}

TEST(ReadMt1, AtomsArePlacedAndCornersComeInOrder) {
    TestMap m;
    m.atoms = {{"C1", 0.1f, 0.2f, 0.3f}, {"O   ", 1.1f, 0.2f, 0.8f}};
    SceneState s;
    ReadMapMt1Buffer(s, testmaps::Mt1(m), "m.mt1");
    ASSERT_EQ(s.map.AtomCount, 2);
    EXPECT_EQ(s.map.AtomNames, (std::vector<std::string>{"C1  ", "O   "}));
    // Atom 1 sits on the shift: scene origin. Atom 2 is (1, 0, 0.5) from it,
    // and row 3 of the matrix is (0.5, 0, 4).
    const float want[2][3] = {{0, 0, 0}, {2, 0, 0.5f + 2}};
    for (int n = 0; n < 2; ++n)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(s.map.AtomData[n][k], want[n][k], 1e-5) << n;
    // Corners: M * (corner - shift).
    const float frac[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                              {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    for (int c = 0; c < 8; ++c) {
        float d[3] = {frac[c][0] - 0.1f, frac[c][1] - 0.2f, frac[c][2] - 0.3f};
        EXPECT_NEAR(s.map.CellCorners[c].x, 2 * d[0], 1e-6) << c;
        EXPECT_NEAR(s.map.CellCorners[c].y, 3 * d[1], 1e-6) << c;
        EXPECT_NEAR(s.map.CellCorners[c].z, 0.5f * d[0] + 4 * d[2], 1e-6) << c;
    }
    // A negative atom count loads without atoms.
    std::string b = testmaps::Mt1(m);
    SetInt(b, b.size() - 2 * 58 - 8, -5);
    ReadMapMt1Buffer(s, b, "m.mt1");
    EXPECT_EQ(s.map.AtomCount, 0);
    EXPECT_NEAR(s.map.CellCorners[6].x, 2 * 0.9f, 1e-6);
}

// The message holds every '|'-separated part of `says`, or is `says` if exact.
void ExpectMessage(const std::string& msg, const std::string& says, bool exact) {
    if (exact) {
        EXPECT_EQ(msg, says);
        return;
    }
    for (std::size_t at = 0, bar; at <= says.size(); at = bar + 1) {
        bar = std::min(says.find('|', at), says.size());
        EXPECT_NE(msg.find(says.substr(at, bar - at)), std::string::npos) << msg;
    }
}

TEST(ReadMt1, SpoiledFilesEndWithTheRightKindAndMessage) {
    using Edit = std::function<void(TestMap&)>;
    using Bytes = std::function<void(std::string&)>;
    // Offsets: the grid counts, a value, the atom count and the atom's x.
    const std::size_t counts = 176, value = ValueOffset(TestMap(), 2, 3, 2);
    auto put = [](std::function<std::size_t(std::size_t)> at, float v) {
        return [at, v](std::string& b) { SetFloat(b, at(b.size()), v); };
    };
    auto fixed = [](std::size_t off) { return [off](std::size_t) { return off; }; };
    auto atom_x = [](std::size_t size) { return size - 40; };
    auto axis2 = [&](int n) { return [=](std::string& b) { SetInt(b, counts + 4, n); }; };
    auto atoms = [](int n) { return [n](std::string& b) { SetInt(b, b.size() - 58 - 8, n); }; };
    const struct {
        Edit edit;
        Bytes bytes;
        ErrorKind kind;
        std::string says;
        bool exact;
    } cases[] = {
        {nullptr, put(fixed(value), 10000.001f), ErrorKind::Fatal,
         "Your input data looks strange, ELD > 10000", true},
        {nullptr, put(fixed(value), -10000.001f), ErrorKind::Fatal,
         "Your input data looks strange, ELD < -10000", true},
        {nullptr, put(fixed(value), kInf), ErrorKind::Fatal, "", false},
        {nullptr, put(fixed(value), kNaN), ErrorKind::Recoverable, "m.mt1|(2, 3, 2)", false},
        {nullptr, put(fixed(38 + 4 * 4), kNaN), ErrorKind::Recoverable, "m.mt1|the cell matrix",
         false},  // M(2,2)
        {nullptr, put(fixed(38 + 4 * 9 + 4), kInf), ErrorKind::Recoverable, "the cell shift",
         false},
        {nullptr, put(fixed(122 + 4), kInf), ErrorKind::Recoverable, "the grid step", false},
        {nullptr, put(atom_x, kNaN), ErrorKind::Recoverable, "m.mt1", false},
        // M(1,1) large: the placed atom overflows.
        {nullptr,
         [&](std::string& b) {
             SetFloat(b, 38, 3e38f);
             SetFloat(b, atom_x(b.size()), 3e38f);
         },
         ErrorKind::Recoverable, "m.mt1", false},
        {[](TestMap& m) { m.words_per_atom = 13; }, nullptr, ErrorKind::FatalSilent, "", false},
        {[](TestMap& m) { m.words_per_atom = 15; }, nullptr, ErrorKind::FatalSilent, "", false},
        {[](TestMap& m) { m.words_per_atom = 13, m.atoms = {}; }, nullptr, ErrorKind::FatalSilent,
         "", false},
        {nullptr, axis2(0), ErrorKind::Recoverable, "axis 2 is 0", false},
        {nullptr, axis2(-1), ErrorKind::Recoverable, "axis 2 is -1", false},
        {nullptr, axis2(32767), ErrorKind::Recoverable, "axis 2 is 32767", false},
        {nullptr, axis2(1 << 30), ErrorKind::Recoverable, "axis 2 is 1073741824", false},
        // Legal counts, but 32766^3 floats: refused by the file size, not by memory.
        {nullptr,
         [&](std::string& b) {
             for (int a = 0; a < 3; ++a) SetInt(b, counts + 4 * a, 32766);
         },
         ErrorKind::Recoverable, "32766 x 32766 x 32766", false},
        // An atom count beyond the limit, and one more than the file holds.
        {nullptr, atoms(32767), ErrorKind::Recoverable, "32767; at most 32766", false},
        {nullptr, atoms(2), ErrorKind::Recoverable, "announces 2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        TestMap m;
        m.atoms = {{"N", 0.5f, 0.5f, 0.5f}};
        if (c.edit) c.edit(m);
        std::string b = testmaps::Mt1(m);
        if (c.bytes) c.bytes(b);
        ExpectMessage(ErrorOf(&ReadMapMt1Buffer, b, c.kind), c.says, c.exact);
    }
}

TEST(ReadTextMaps, TheSameGridInAllThreeFormatsGivesTheSameDensityGrid) {
    TestMap m;
    m.n[0] = 5, m.n[1] = 3, m.n[2] = 4;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-50.0f, 50.0f);
    std::vector<float> vals(6 * 4 * 5);
    for (float& v : vals) v = u(rng);
    m.value = [&](int i1, int i2, int i3) { return vals[(i1 * 4 + i2) * 5 + i3]; };

    SceneState a, b, c;
    ReadMapMt1Buffer(a, testmaps::Mt1(m), "m.mt1");
    ReadMapFouBuffer(b, testmaps::Fou(m), "m.fou");
    ReadMapGrdBuffer(c, Grd(m), "m.grd");
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
    m.value = [](int i1, int i2, int) { return (i1 + i2) % 2 ? 10000.0f : -10000.0f; };
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
    EXPECT_EQ(b.map.MapGrid.DensityMax, 10000.0f);  // the bounds are inclusive
    EXPECT_EQ(b.map.MapGrid.DensityMin, -10000.0f);
    m.atoms.clear();
    ReadMapFouBuffer(b, testmaps::Fou(m), "m.fou");
    EXPECT_EQ(b.map.AtomCount, 0);
}

TEST(ReadGrd, AtomColumnsAndBoxPlacement) {
    TestMap m;
    m.n[0] = 11, m.n[1] = 21, m.n[2] = 31;
    m.value = [](int, int, int) { return 0.0f; };
    m.atoms = {{"O", 1.0f, 2.0f, 3.0f}, {"Cl7", 4.0f, 5.0f, 6.0f}};
    const float e[3] = {10, 20, 30}, c[3] = {4, 5, 6};  // the centre is the second atom
    SceneState s;
    ReadMapGrdBuffer(s, testmaps::Grd(m, c, e), "m.grd");
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(s.map.MapGrid.GridStep[a], 1.0f);
        EXPECT_EQ(s.map.MapGrid.GridOrigin[a], 0.0f);
        EXPECT_EQ(s.map.CellShift[a], c[a] - e[a] / 2);
        EXPECT_FLOAT_EQ(s.map.AtomData[1][a], e[a] / 2);
    }
    for (float p : s.map.CellParameters) EXPECT_EQ(p, 1.0f);
    EXPECT_EQ(s.map.AtomNames, (std::vector<std::string>{"O   ", "C   "}));
    EXPECT_FLOAT_EQ(s.map.AtomData[0][0], 1 - 4 + 5.0f);
    // Identity matrix: a unit cube at -CellShift.
    EXPECT_FLOAT_EQ(s.map.CellCorners[0].x, 1.0f);
    EXPECT_FLOAT_EQ(s.map.CellCorners[6].z, 1.0f + 9.0f);
}

TEST(ReadGrd, FixedColumnsIgnoreBlanksAndStopAtText) {
    TestMap m;
    m.n[0] = m.n[1] = m.n[2] = 2;
    std::string t = Grd(m);
    // Replace the atom block: count 2, columns 10-18 / 20-28 / 30-38.
    const std::string block =
        "2\nO        1.0       2.0       3.0\nNx3      - 1 5     2.5abc              trailing\n";
    std::size_t at = t.find("0\nvalues 1");
    ASSERT_NE(at, std::string::npos);
    t.replace(at, 2, block);
    SceneState s;
    ReadMapGrdBuffer(s, t, "m.grd");
    ASSERT_EQ(s.map.AtomCount, 2);
    EXPECT_EQ(s.map.AtomNames, (std::vector<std::string>{"O   ", "N   "}));
    const float shift[3] = {0.5f - 1.0f, 0.5f - 1.5f, 0.0f};
    // "- 1 5" reads -15; an empty field 0.
    const float want[2][3] = {{1, 2, 3}, {-15, 2.5f, 0}};
    for (int n = 0; n < 2; ++n)
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(s.map.AtomData[n][k], want[n][k] - shift[k]) << n << " " << k;
}

TEST(ReadTextMaps, SpoiledFilesEndWithTheRightKindAndMessage) {
    using Edit = std::function<void(TestMap&)>;
    using Text = std::function<void(std::string&)>;
    auto replace = [](std::string from, std::string to) {
        return [from, to](std::string& t) {
            ASSERT_NE(t.find(from), std::string::npos) << from;
            t.replace(t.find(from), from.size(), to);
        };
    };
    const TestMap plain;
    const std::string second = " " + testmaps::Num(plain.value(2, 1, 1));
    const std::string strange = "Your atom name looks strange, name lengh  <> [1,2,3,4]";
    const struct {
        Reader reader;
        Edit edit;
        Text text;
        ErrorKind kind;
        std::string says;
        bool exact;
    } cases[] = {
        {&ReadMapFouBuffer,
         [](TestMap& m) {
             m.atoms = {{"C", 0, 0, 0}, {"C12AB", 0, 0, 0}};
         },
         nullptr, ErrorKind::Fatal, strange, true},
        {&ReadMapFouBuffer,
         [](TestMap& m) {
             m.atoms = {{"C", 0, 0, 0}, {"", 0, 0, 0}};
         },
         nullptr, ErrorKind::Fatal, strange, true},
        {&ReadMapFouBuffer,
         [](TestMap& m) {
             m.value = [](int i1, int i2, int i3) {
                 return i1 == 3 && i2 == 2 && i3 == 2 ? 10001.0f : 0;
             };
         },
         nullptr, ErrorKind::Fatal, "Your input data looks strange, ELD > 10000", true},
        {&ReadMapGrdBuffer, [](TestMap& m) { m.value = [](int, int, int) { return -1e6f; }; },
         nullptr, ErrorKind::Fatal, "Your input data looks strange, ELD < -10000", true},
        {&ReadMapFouBuffer, nullptr, replace(second, " 1.5q"), ErrorKind::Recoverable,
         "m.fou: line 13:|\"1.5q\"", false},
        {&ReadMapFouBuffer, nullptr, replace(second, " nan "), ErrorKind::Recoverable, "", false},
        {&ReadMapGrdBuffer, [](TestMap& m) { m.n[1] = 1; }, nullptr, ErrorKind::Recoverable,
         "axis 2", false},  // one point along an axis has no step
        // Impossible headers are refused before allocating.
        {&ReadMapFouBuffer, nullptr, replace("3  4 2\n", "30000 30000 30000\n"),
         ErrorKind::Recoverable, "m.fou|30000 x 30000 x 30000", false},
        // More values than half the bytes that follow: each needs two at least.
        {&ReadMapFouBuffer, nullptr, replace("3  4 2\n", "3  4 12\n"), ErrorKind::Recoverable,
         "announces 3 x 4 x 12", false},
        {&ReadMapGrdBuffer, nullptr, replace("3 4 2\n", "3 40000 2\n"), ErrorKind::Recoverable,
         "axis 2 is 40000", false},
        {&ReadMapGrdBuffer, nullptr, replace("3 4 2\n", "3 4.5 2\n"), ErrorKind::Recoverable, "",
         false},
        {&ReadMapFouBuffer, nullptr, replace("0 14\n", "40000 14\n"), ErrorKind::Recoverable,
         "40000", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        TestMap m;
        if (c.edit) c.edit(m);
        const bool fou = c.reader == &ReadMapFouBuffer;
        std::string text = fou ? testmaps::Fou(m) : Grd(m);
        if (c.text) c.text(text);
        ExpectMessage(ErrorOf(c.reader, text, c.kind, fou ? "m.fou" : "m.grd"), c.says, c.exact);
    }
}

TEST(ReadMaps, EveryTruncationIsRefused) {
    TestMap m;
    m.atoms = {{"N", 0.5f, 0.5f, 0.5f}, {"C", 0.1f, 0.5f, 0.5f}};
    const std::string mt1 = testmaps::Mt1(m);
    for (std::size_t len = 0; len < mt1.size(); ++len) {
        const std::string msg =
            ErrorOf(&ReadMapMt1Buffer, mt1.substr(0, len), ErrorKind::Recoverable);
        EXPECT_EQ(msg.rfind("m.mt1: ", 0), 0u) << len << " " << msg;
    }
    // Text cut at every line start: always "ends early" (the last cut may
    // leave a whole file for .grd, whose values end the file).
    for (Reader reader : {&ReadMapFouBuffer, &ReadMapGrdBuffer}) {
        const std::string text = reader == &ReadMapFouBuffer ? testmaps::Fou(m) : Grd(m);
        for (std::size_t len = 0; len + 1 < text.size(); ++len) {
            if (len && text[len - 1] != '\n') continue;
            SceneState s;
            EXPECT_THROW(reader(s, std::string_view(text).substr(0, len), "t"), EldError) << len;
        }
    }
}

TEST(ReadMapFile, ChoosesTheReaderAndKeepsTheOldMapOnFailure) {
    testing::TempDir dir;
    TestMap m;
    m.atoms = {{"C", 0.1f, 0.2f, 0.3f}};
    SceneState s;
    ReadMapFile(s, dir.Put("good.MT1", testmaps::Mt1(m)));
    ASSERT_EQ(s.map.AtomCount, 1);
    s.map.BondList.push_back(Bond{0, 0});
    s.map.BondCount = 1;

    std::string bad = testmaps::Mt1(m);
    bad.resize(bad.size() - 3);
    EXPECT_THROW(ReadMapFile(s, dir.Put("bad.mt1", bad)), EldError);
    EXPECT_EQ(s.map.AtomCount, 1);  // unchanged
    EXPECT_EQ(s.map.BondCount, 1);
    EXPECT_EQ(s.map.DensityGrid.at(3, 4, 2), m.value(3, 4, 2));

    m.value = [](int, int, int) { return 1.0f; };
    ReadMapFile(s, dir.Put("other.mt1", testmaps::Mt1(m)));
    EXPECT_EQ(s.map.MapGrid.DensityMax, 1.0f);
    EXPECT_EQ(s.map.BondCount, 0);  // bonds of the old atoms are gone
    EXPECT_TRUE(s.map.BondList.empty());

    testing::ExpectError([&] { ReadMapFile(s, dir / "missing.mt1"); }, ErrorKind::Recoverable,
                         {"missing.mt1"});
    EXPECT_THROW(ReadMapFile(s, dir.Put("x.Mt1", testmaps::Mt1(m))), EldError);
    EXPECT_THROW(ReadMapFile(s, dir.path.string() + "/"), EldError);

    // Only all lower or all upper case of the last three characters.
    const std::pair<const char*, decltype(&ReadMapMt1)> cases[] = {
        {"a.mt1", &ReadMapMt1}, {"A.MT1", &ReadMapMt1}, {"a.fou", &ReadMapFou},
        {"a.GRD", &ReadMapGrd}, {"a.Mt1", nullptr},     {"\"a.mt1\"", nullptr},
        {"mt", nullptr},        {"xgrd", &ReadMapGrd}};
    for (const auto& [name, reader] : cases) EXPECT_EQ(ReaderForExtension(name), reader) << name;
}

}  // namespace
}  // namespace eld
