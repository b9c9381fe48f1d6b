// The three map formats: the binary .mt1 and the text .fou and .grd, built
// byte for byte by read_map_fixtures.h; header fields, values at their grid
// points, atoms and cell corners; damaged and impossible files; the reader
// chosen by the extension.
#include "mapdata/read_map.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>
#include <tuple>

#include "mapdata/eld_error.h"
#include "tests/core/read_map_fixtures.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

using testmaps::TestMap;
using Reader = decltype(&ReadMapMt1Buffer);
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const auto kMt1 = &ReadMapMt1Buffer, kFou = &ReadMapFouBuffer, kGrd = &ReadMapGrdBuffer;

std::string Grd(const TestMap& m) {
    static const float centre[3] = {0.5f, 0.5f, 0.5f}, box[3] = {2.0f, 3.0f, 1.0f};
    return testmaps::Grd(m, centre, box);
}
// The map in the format of the reader, and the name it is read under.
std::string Bytes(Reader r, const TestMap& m) {
    return r == kMt1 ? testmaps::Mt1(m) : r == kFou ? testmaps::Fou(m) : Grd(m);
}
std::string NameFor(Reader r) {
    return r == kMt1 ? "m.mt1" : r == kFou ? "m.fou" : "m.grd";
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

void SetInt(std::string& b, std::size_t off, std::int32_t v) {
    std::string f;
    testmaps::PutInt(f, v);
    b.replace(off, 4, f);
}
void SetFloat(std::string& b, std::size_t off, float v) {
    SetInt(b, off, std::bit_cast<std::int32_t>(v));
}

// The same map in all three formats gives the same density grid (with the
// inclusive bounds +-10000); .mt1 and .fou the same header, atoms and cell.
TEST(ReadMaps, AllThreeFormatsLandValuesHeaderAndAtomsInPlace) {
    TestMap m;
    m.n[0] = 5, m.n[1] = 3, m.n[2] = 4;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-50.0f, 50.0f);
    std::vector<float> vals(6 * 4 * 5);
    for (float& v : vals) v = u(rng);
    vals[(1 * 4 + 2) * 5 + 1] = 10000.0f;
    vals[(5 * 4 + 1) * 5 + 3] = -10000.0f;
    m.value = [&](int i1, int i2, int i3) { return vals[(i1 * 4 + i2) * 5 + i3]; };
    m.atoms = {{"C1", 0.1f, 0.2f, 0.3f},
               {"O", 1.1f, 0.2f, 0.8f},
               {"Cl2", 0, 0, 0},
               {"H12A", 0.5f, 0.5f, 0.5f}};
    SceneState a, b, c;
    ReadMapMt1Buffer(a, testmaps::Mt1(m), "m.mt1");
    ReadMapFouBuffer(b, testmaps::Fou(m), "m.fou");
    ReadMapGrdBuffer(c, Grd(m), "m.grd");
    const DensityGridArray& d = a.map.DensityGrid;
    ASSERT_EQ(std::tuple(d.n1, d.n2, d.n3), std::tuple(5, 3, 4));
    for (int i1 = 0; i1 <= 5; ++i1)
        for (int i2 = 0; i2 <= 3; ++i2)
            for (int i3 = 0; i3 <= 4; ++i3)
                EXPECT_EQ(d.at(i1, i2, i3), (i1 && i2 && i3) ? m.value(i1, i2, i3) : 0.0f)
                    << i1 << i2 << i3;
    for (const SceneState* s : {&a, &b, &c}) {
        EXPECT_EQ(s->map.DensityGrid.values, d.values);
        EXPECT_EQ(s->map.MapGrid.DensityMin, -10000.0f);
        EXPECT_EQ(s->map.MapGrid.DensityMax, 10000.0f);
    }
    for (const SceneState* s : {&a, &b}) {
        using std::to_array;
        for (int k = 0; k < 3; ++k) EXPECT_EQ(s->map.MapGrid.GridPoints[k], float(m.n[k]));
        EXPECT_EQ(to_array(s->map.MapGrid.GridOrigin), to_array(m.origin));
        EXPECT_EQ(to_array(s->map.MapGrid.GridStep), to_array(m.step));
        EXPECT_EQ(to_array(s->map.CellShift), to_array(m.shift));
        EXPECT_EQ(s->map.CellMatrix, m.matrix);
        EXPECT_EQ(to_array(s->map.CellParameters),
                  (std::array{10.f, 11.f, 12.f, 13.f, 14.f, 15.f}));
        EXPECT_EQ(s->map.AtomNames, (std::vector<std::string>{"C1  ", "O   ", "Cl2 ", "H12A"}));
        // Atom 1 sits on the shift: scene origin. Atom 2 is (1, 0, 0.5) from it,
        // and row 3 of the matrix is (0.5, 0, 4).
        const float want[2][3] = {{0, 0, 0}, {2, 0, 0.5f + 2}};
        for (int n = 0; n < 2; ++n)
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(s->map.AtomData[n][k], want[n][k], 1e-5) << n;
        // Corners: M * (corner - shift).
        const float frac[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
        for (int k = 0; k < 8; ++k) {
            float f[3] = {frac[k][0] - 0.1f, frac[k][1] - 0.2f, frac[k][2] - 0.3f};
            EXPECT_NEAR(s->map.CellCorners[k].x, 2 * f[0], 1e-6) << k;
            EXPECT_NEAR(s->map.CellCorners[k].y, 3 * f[1], 1e-6) << k;
            EXPECT_NEAR(s->map.CellCorners[k].z, 0.5f * f[0] + 4 * f[2], 1e-6) << k;
        }
    }
    EXPECT_EQ(b.map.AtomData, a.map.AtomData);
    // A negative atom count in a .mt1, and none in a .fou, load without atoms.
    std::string mt1 = testmaps::Mt1(m);
    SetInt(mt1, mt1.size() - 4 * 58 - 8, -5);
    ReadMapMt1Buffer(a, mt1, "m.mt1");
    EXPECT_EQ(a.map.AtomCount, 0);
    EXPECT_NEAR(a.map.CellCorners[6].x, 2 * 0.9f, 1e-6);
    m.atoms.clear();
    ReadMapFouBuffer(b, testmaps::Fou(m), "m.fou");
    EXPECT_EQ(b.map.AtomCount, 0);
}

TEST(ReadGrd, BoxPlacementAndFixedAtomColumns) {
    TestMap m;
    m.n[0] = 11, m.n[1] = 21, m.n[2] = 31;
    m.value = [](int, int, int) { return 0.0f; };
    const float e[3] = {10, 20, 30}, c[3] = {4, 5, 6};  // the centre is the second atom
    std::string t = testmaps::Grd(m, c, e);
    // Atoms in columns 10-18, 20-28 and 30-38: blanks in a field are dropped
    // ("- 1 5" reads -15), text ends it and an empty field is 0.
    t.replace(t.find("0\nvalues 1"), 2,
              "3\nO        1.0       2.0       3.0\nCl7      4.0       5.0       6.0\n"
              "Nx3      - 1 5     2.5abc              trailing\n");
    SceneState s;
    ReadMapGrdBuffer(s, t, "m.grd");
    for (int a = 0; a < 3; ++a) {
        EXPECT_EQ(s.map.MapGrid.GridStep[a], 1.0f);
        EXPECT_EQ(s.map.MapGrid.GridOrigin[a], 0.0f);
        EXPECT_EQ(s.map.CellShift[a], c[a] - e[a] / 2);
    }
    for (float p : s.map.CellParameters) EXPECT_EQ(p, 1.0f);
    EXPECT_EQ(s.map.AtomNames, (std::vector<std::string>{"O   ", "C   ", "N   "}));
    const float want[3][3] = {{1, 2, 3}, {4, 5, 6}, {-15, 2.5f, 0}};
    for (int n = 0; n < 3; ++n)
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(s.map.AtomData[n][k], want[n][k] - c[k] + e[k] / 2) << n << " " << k;
    // Identity matrix: a unit cube at -CellShift.
    EXPECT_FLOAT_EQ(s.map.CellCorners[0].x, 1.0f);
    EXPECT_FLOAT_EQ(s.map.CellCorners[6].z, 1.0f + 9.0f);
}

// Each spoiled file is refused with the right kind of error. The program's own
// fixed texts ("Your ...") must match exactly; other messages must hold every
// '|'-separated part.
TEST(ReadMaps, SpoiledFilesEndWithTheRightKindAndMessage) {
    using enum ErrorKind;
    using Edit = std::function<void(TestMap&)>;
    using Spoil = std::function<void(std::string&)>;
    // .mt1 offsets: the grid counts and a value; 0 stands for the atom's x.
    // Value (2, 3, 2) of the 3 x 4 x 2 grid lies in the second section, after its gap.
    const std::size_t counts = 176, value = 188 + 10 + (14 + 4 * 3 * 4) + 4 * (1 * 4 + 2);
    auto put = [](std::size_t off, float v) -> Spoil {
        return [=](std::string& b) { SetFloat(b, off ? off : b.size() - 40, v); };
    };
    auto axis2 = [&](int n) -> Spoil { return [=](std::string& b) { SetInt(b, counts + 4, n); }; };
    auto atoms = [](int n) -> Spoil {
        return [n](std::string& b) { SetInt(b, b.size() - 58 - 8, n); };
    };
    auto replace = [](std::string from, std::string to) -> Spoil {
        return [from, to](std::string& t) {
            ASSERT_NE(t.find(from), std::string::npos) << from;
            t.replace(t.find(from), from.size(), to);
        };
    };
    auto names = [](const char* second) -> Edit {
        return [=](TestMap& m) { m.atoms = {{"C", 0, 0, 0}, {second, 0, 0, 0}}; };
    };
    const std::string second = " " + testmaps::Num(TestMap().value(2, 1, 1));
    const std::string strange = "Your atom name looks strange, name lengh  <> [1,2,3,4]";
    const std::string big = "Your input data looks strange, ELD > 10000";
    const std::string small = "Your input data looks strange, ELD < -10000";
    const struct {
        Reader reader;
        ErrorKind kind;
        std::string says;
        Edit edit = nullptr;
        Spoil spoil = nullptr;
    } cases[] = {
        {kMt1, Fatal, big, nullptr, put(value, 10000.001f)},
        {kMt1, Fatal, small, nullptr, put(value, -10000.001f)},
        {kMt1, Fatal, "", nullptr, put(value, kInf)},
        {kMt1, Recoverable, "m.mt1|(2, 3, 2)", nullptr, put(value, kNaN)},
        {kMt1, Recoverable, "m.mt1|the cell matrix", nullptr, put(38 + 4 * 4, kNaN)},  // M(2,2)
        {kMt1, Recoverable, "the cell shift", nullptr, put(38 + 4 * 9 + 4, kInf)},
        {kMt1, Recoverable, "the grid step", nullptr, put(122 + 4, kInf)},
        {kMt1, Recoverable, "m.mt1", nullptr, put(0, kNaN)},  // the atom's x
        // M(1,1) large: the placed atom overflows.
        {kMt1, Recoverable, "m.mt1", nullptr,
         [&](std::string& b) {
             SetFloat(b, 38, 3e38f);
             put(0, 3e38f)(b);
         }},
        {kMt1, FatalSilent, "", [](TestMap& m) { m.words_per_atom = 13; }},
        {kMt1, FatalSilent, "", [](TestMap& m) { m.words_per_atom = 15; }},
        {kMt1, FatalSilent, "", [](TestMap& m) { m.words_per_atom = 13, m.atoms = {}; }},
        {kMt1, Recoverable, "axis 2 is 0", nullptr, axis2(0)},
        {kMt1, Recoverable, "axis 2 is -1", nullptr, axis2(-1)},
        {kMt1, Recoverable, "axis 2 is 32767", nullptr, axis2(32767)},
        {kMt1, Recoverable, "axis 2 is 1073741824", nullptr, axis2(1 << 30)},
        // Legal counts, but 32766^3 floats: refused by the file size, not by memory.
        {kMt1, Recoverable, "32766 x 32766 x 32766", nullptr,
         [&](std::string& b) {
             for (int a = 0; a < 3; ++a) SetInt(b, counts + 4 * a, 32766);
         }},
        // An atom count beyond the limit, and one more than the file holds.
        {kMt1, Recoverable, "32767; at most 32766", nullptr, atoms(32767)},
        {kMt1, Recoverable, "announces 2", nullptr, atoms(2)},
        {kFou, Fatal, strange, names("C12AB")},
        {kFou, Fatal, strange, names("")},
        {kFou, Fatal, big,
         [](TestMap& m) {
             m.value = [](int i1, int i2, int i3) {
                 return i1 == 3 && i2 == 2 && i3 == 2 ? 10001.0f : 0;
             };
         }},
        {kGrd, Fatal, small, [](TestMap& m) { m.value = [](int, int, int) { return -1e6f; }; }},
        {kFou, Recoverable, "m.fou: line 13:|\"1.5q\"", nullptr, replace(second, " 1.5q")},
        {kFou, Recoverable, "", nullptr, replace(second, " nan ")},
        // One point along an axis has no step.
        {kGrd, Recoverable, "axis 2", [](TestMap& m) { m.n[1] = 1; }},
        // Impossible headers are refused before allocating.
        {kFou, Recoverable, "m.fou|30000 x 30000 x 30000", nullptr,
         replace("3  4 2\n", "30000 30000 30000\n")},
        // More values than half the bytes that follow: each needs two at least.
        {kFou, Recoverable, "announces 3 x 4 x 12", nullptr, replace("3  4 2\n", "3  4 12\n")},
        {kGrd, Recoverable, "axis 2 is 40000", nullptr, replace("3 4 2\n", "3 40000 2\n")},
        {kGrd, Recoverable, "", nullptr, replace("3 4 2\n", "3 4.5 2\n")},
        {kFou, Recoverable, "40000", nullptr, replace("0 14\n", "40000 14\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        TestMap m;
        if (c.reader == kMt1) m.atoms = {{"N", 0.5f, 0.5f, 0.5f}};
        if (c.edit) c.edit(m);
        std::string b = Bytes(c.reader, m);
        if (c.spoil) c.spoil(b);
        const std::string msg = ErrorOf(c.reader, b, c.kind, NameFor(c.reader));
        if (c.says.starts_with("Your")) {
            EXPECT_EQ(msg, c.says);
            continue;
        }
        for (std::size_t at = 0, bar; at <= c.says.size(); at = bar + 1) {
            bar = std::min(c.says.find('|', at), c.says.size());
            EXPECT_NE(msg.find(c.says.substr(at, bar - at)), std::string::npos) << msg;
        }
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
    for (Reader reader : {kFou, kGrd}) {
        const std::string text = Bytes(reader, m);
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
    EXPECT_EQ(std::pair(s.map.AtomCount, s.map.BondCount), std::pair(1, 1));  // unchanged
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
