// Export: the atomically replaced file, the TGA picture, the POV-Ray scene
// text and file, and the shipped POV-Ray header.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <regex>
#include <sstream>
#include <vector>

#include "export/atomic_file.h"
#include "export/povray.h"
#include "export/tga.h"
#include "mapdata/atoms.h"
#include "mapdata/data_files.h"
#include "mapdata/eld_error.h"
#include "surface/layer_properties.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::ExpectError;
using testing::ReadFile;
using testing::TempDir;

TEST(AtomicFile, ReplacedFilesKeepOwnerGroupModeAndLinksAndLeaveNoTemporary) {
    TempDir dir;
    const std::string p = dir / "a.txt";
    AtomicWrite(p, std::string("hello\r\n", 7));
    EXPECT_EQ(ReadFile(p), std::string("hello\r\n", 7));
    // Root may replace another owner's read-only file, and gives it back.
    const bool root = ::geteuid() == 0;
    ::chmod(p.c_str(), root ? 0444 : 0640);
    if (root) {
        ASSERT_EQ(::chown(p.c_str(), 1234, 5678), 0);
    }
    AtomicWrite(p, "new");
    EXPECT_EQ(ReadFile(p), "new");
    struct stat st;
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, root ? 0444u : 0640u);
    if (root) {
        EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(1234u, 5678u));
    }
    EXPECT_EQ(dir.Count(), 1);
    // A symbolic link stays a link and its file is replaced.
    fs::create_symlink(p, dir / "link.txt");
    AtomicWrite(dir / "link.txt", "linked");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadFile(p), "linked");
    EXPECT_EQ(dir.Count(), 2);
}

TEST(AtomicFile, PiecewiseWritesArriveInOrderAndAnAbandonedWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string p = dir.Put("big.bin", "old");
    std::string expect;
    {
        AtomicFile f(p);
        for (int i = 0; i < 50000; ++i) {
            std::string piece = std::to_string(i) + ",";
            f.write(piece);
            expect += piece;
        }
        std::string block(200000, 'x');  // one write above the buffer size
        f.write(block.data(), block.size());
        expect += block + "end";
        f.write("end");
        EXPECT_EQ(ReadFile(p), "old");
        AtomicFile abandoned(p);  // destroyed without commit, as when the writer throws
        abandoned.write("half of the new con");
        f.commit();
    }
    EXPECT_EQ(ReadFile(p), expect);
    EXPECT_EQ(dir.Count(), 1);
}

TEST(AtomicFile, FailuresNameTheFileAndKeepTheOldOne) {
    TempDir dir;
    // A file-size limit makes write() fail half way, like a full disk, and works
    // also for root (who ignores folder permissions).
    const std::string p = dir.Put("keep.tga", "old picture");
    struct rlimit old_limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit small = {100000, old_limit.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectError([&] { AtomicWrite(p, std::string(300000, 'p')); }, ErrorKind::Recoverable, {p});
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(ReadFile(p), "old picture");
    EXPECT_EQ(dir.Count(), 1);

    const std::string missing = dir / "no_such_folder/x.pov";
    ExpectError([&] { AtomicWrite(missing, "x"); }, ErrorKind::Recoverable, {missing});
    EXPECT_NE(ErrorOf([&] { AtomicWrite(dir.path.string(), "x"); }), "accepted");
    EXPECT_TRUE(fs::is_directory(dir.path));
    // A device cannot be replaced by a rename: it is written directly.
    EXPECT_NO_THROW(AtomicWrite("/dev/null", "discarded"));
    EXPECT_THROW(AtomicWrite("/dev/full", std::string(10, 'x')), EldError);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(Tga, HeaderSizesInTwoBytesBlueGreenRedUnpaddedRowsAndFailuresKeepTheOldFile) {
    const std::array<std::uint8_t, 18> expect = {0, 0, 2, 0,   0, 0,   0, 24, 0,
                                                 0, 0, 0, 128, 2, 224, 1, 24, 0};
    EXPECT_EQ(TgaHeader(640, 480), expect);
    const int sizes[][6] = {{256, 1, 0, 1, 1, 0}, {65535, 513, 255, 255, 1, 2}};
    for (const auto& c : sizes) {
        const auto h = TgaHeader(c[0], c[1]);
        EXPECT_EQ(std::vector<int>(h.begin() + 12, h.begin() + 16), std::vector<int>(c + 2, c + 6))
            << c[0];
    }
    TempDir dir;
    // 641 pixels wide: 1923 bytes per row, not a multiple of four.
    const int w = 641, h = 2;
    std::vector<std::uint8_t> rgb(w * h * 3, 0);
    rgb[0] = 255;                          // bottom-left pixel pure red
    rgb[(w * 1 + (w - 1)) * 3 + 1] = 200;  // top-right pixel green
    SwapRedBlue(rgb.data(), w * h);
    WriteTga(dir / "red.tga", w, h, rgb.data());
    const std::string bytes = ReadFile(dir / "red.tga");
    ASSERT_EQ(bytes.size(), 18u + 641u * 2u * 3u);
    EXPECT_EQ(bytes.substr(12, 2), "\x81\x02");
    EXPECT_EQ(bytes.substr(18, 3), std::string("\0\0\xff", 3));
    // The second row starts right after 1923 bytes of the first.
    EXPECT_EQ(bytes.substr(18 + 1923 + 640 * 3, 3), std::string("\0\xc8\0", 3));

    const std::string p = dir.Put("keep.tga", "old");
    EXPECT_THROW(WriteTga("/dev/full", 4, 4, rgb.data()), EldError);
    const std::vector<std::uint8_t> wide(65536 * 3);  // one pixel too wide for the header
    const std::string what = ErrorOf([&] { WriteTga(p, 65536, 1, wide.data()); });
    EXPECT_NE(what.find(p), std::string::npos) << what;
    EXPECT_THROW(WriteTga(p, 1, 65536, wide.data()), EldError);  // or too tall
    EXPECT_THROW(WriteTga(p, 0, 4, rgb.data()), EldError);
    EXPECT_EQ(ReadFile(p), "old");
}

// The lines of the text, each ended; with `crlf` by CR LF (a bare LF is a fault).
std::vector<std::string> Lines(const std::string& text, bool crlf = true) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line); out.push_back(line)) {
        EXPECT_TRUE(!crlf || line.ends_with('\r')) << "bare LF after: " << line;
        if (crlf && line.ends_with('\r')) line.pop_back();
    }
    EXPECT_TRUE(text.empty() || text.ends_with('\n')) << "last line without an end";
    return out;
}

// The lines of tests/data/export/NAME, a scene text as written by hand.
std::vector<std::string> Expected(const std::string& name) {
    return Lines(ReadFile(std::string(ELD_TEST_DATA) + "/export/" + name), false);
}

XYZ P(float x, float y, float z) {
    return XYZ{x, y, z};
}

// A scene with everything switched off; each test switches on what it needs.
SceneState EmptyScene() {
    SceneState s;
    s.map.MapFileName = "maps/small.fou";
    s.switches.ShowAtoms = s.switches.ShowContourMap = s.switches.ShowCell = kFalse;
    s.switches.SurfaceStyle = 2;
    for (int L = 1; L <= 3; ++L) s.layers.LayerVisible[L] = kFalse;
    return s;
}

std::string Text(const SceneState& s, const std::string& header = "") {
    PovSink out;
    WritePovrayText(out, s, header);
    return out.text;
}

TEST(PovrayText, EmptyPartsGiveCommentsHeaderUnionsMatrixAndMirror) {
    SceneState s = EmptyScene();
    s.layers.LayerVisible[1] = s.layers.LayerVisible[3] = kTrue;
    // The second triangle loses only its zero-length edge.
    s.surfaces.Triangles[1] = {{P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)},
                               {P(1, 1, 1), P(1, 1, 1), P(2, 1, 1)}};
    s.surfaces.TriangleCount[1] = 2;
    s.surfaces.Triangles[2] = {{P(5, 5, 5), P(6, 5, 5), P(5, 6, 5)}};  // layer 2 is off
    s.surfaces.TriangleCount[2] = 1;
    EXPECT_EQ(Lines(Text(s, "#declare cylRadius = 0.02;\r\n\r\n")), Expected("empty_parts.pov"));
}

// Every part on, web style, against tests/data/export/full_scene.pov: the map
// name's control characters escaped in its comment, atom spheres and the bond
// union (a bond naming no atom is left out), spokes from the centroid (none
// of zero length; a stale triangle past the count is not written), contour
// unions for every limit whether its surface is shown or not, the section
// frame, the cell's twelve edges in corner order, the translated view.
TEST(PovrayText, AFullSceneInWebStyle) {
    SceneState s = EmptyScene();
    const char name[] = "a\nunion{\r\x1b[2J\x7f\0\tb.fou";
    s.map.MapFileName = std::string(name, sizeof name - 1);
    s.switches.ShowAtoms = s.switches.ShowContourMap = s.switches.ShowCell = kTrue;
    s.switches.SurfaceStyle = 1;
    s.map.AtomCount = 2;
    s.map.AtomNames = {"C   ", "O1  "};
    s.map.AtomData = {{1, 2, -3}, {1.25f, 2, -3}};
    s.map.BondList = {{0, 1}, {1, 2}};
    s.map.BondCount = 2;
    s.layers.LayerVisible[1] = kTrue;
    s.surfaces.Triangles[1] = {{P(0, 0, 0), P(3, 0, 0), P(0, 3, 0)},
                               {P(0, 0, 0), P(3, 0, 0), P(-3, 0, 0)},
                               {P(9, 9, 9), P(9, 9, 9), P(9, 9, 9)}};
    s.surfaces.TriangleCount[1] = 2;
    s.surfaces.ContourSegments[2] = {{P(.5f, 0, 2), P(.5f, -1.5f, 2)}};
    s.surfaces.ContourSegmentCount[2] = 1;
    testing::SetGrid(s, 11, 5, 7, {-1, 0, 1}, {0.5f, 0.25f, 0.5f});
    s.surfaces.ContourLayer = 3;  // z = 2 * 0.5 + 1 = 2
    const float t[3] = {1.5f, -2, .25f};
    std::copy(t, t + 3, s.view.ViewTranslation);
    // The cube of edge 2: the bottom face's corners in turn, then the top's.
    for (int i = 0; i < 8; ++i)
        s.map.CellCorners[i] = P((i + 1) % 4 / 2 * 2.0f, i % 4 / 2 * 2.0f, i / 4 * 2.0f);
    EXPECT_EQ(Lines(Text(s)), Expected("full_scene.pov"));
}

TEST(PovrayMatrix, AHalfTurnScaledTurnsButDoesNotScaleTheTranslationSegmentsFromATenThousandth) {
    // Looking along z (a half turn about (1,1,0)) with scale 2: x and y swap,
    // z flips.
    SceneState s = EmptyScene();
    const float h = std::sqrt(0.5f), q[4] = {h, h, 0, 0}, t[3] = {1.5f, -2, .25f};
    std::copy(q, q + 4, s.view.ViewQuaternion);
    std::copy(t, t + 3, s.view.ViewTranslation);
    s.view.ViewScale = 2;
    float m[16];
    ModelViewFromView(s, m);
    const float expect[16] = {0, 2, 0, 0, 2, 0, 0, 0, 0, 0, -2, 0, -2, 1.5f, -.25f, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expect[i], 1e-6) << "element " << i;
    // A segment of a ten-thousandth is long enough.
    EXPECT_TRUE(SegmentLongEnough(0, 0, 0, 0.0001f, 0, 0));
    EXPECT_FALSE(SegmentLongEnough(0, 0, 0, 0.00009f, 0, 0));
    EXPECT_FALSE(SegmentLongEnough(3, 4, 5, 3, 4, 5));
    EXPECT_TRUE(SegmentLongEnough(0, 0, 0, 0.00006f, 0.00006f, 0.00006f));  // ~0.000104
}

TEST(PovrayFile, HeaderIsCopiedUpToItsEndLineWithCrLfAndFaultsLeaveTheOldSceneAlone) {
    TempDir dir;
    SceneState s = EmptyScene();
    s.program.DataFolder = dir.path.string();
    const std::string out = dir.Put("scene.pov", "old scene"), header = dir / kPovrayHeaderName;
    ExpectError([&] { WritePovrayScene(s, out); }, ErrorKind::Recoverable, {header});  // missing
    dir.Put(kPovrayHeaderName, "camera { }\r\n// END OF FILE\r\n//end of file\r\n");
    ExpectError([&] { WritePovrayScene(s, out); }, ErrorKind::Recoverable,
                {header, "//END OF FILE"});  // near misses only
    EXPECT_EQ(ReadFile(out), "old scene");
    EXPECT_EQ(dir.Count(), 2);  // scene and header only
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        // header, lines 3...
        {"camera { }\nlight_source { <0,0,-20> color rgb 1 }\r\n//END OF FILE\nnot copied\n",
         {"camera { }", "light_source { <0,0,-20> color rgb 1 }", "union {"}},
        {"//END OF FILE\r\n#declare cylRadius = 1;\r\n", {"union {"}},
    };
    for (const auto& [header, want] : cases) {
        dir.Put(kPovrayHeaderName, header);
        WritePovrayScene(s, out);
        const auto lines = Lines(ReadFile(out));
        ASSERT_GE(lines.size(), 2 + want.size());
        EXPECT_EQ(lines[1], "// maps/small.fou");
        EXPECT_EQ(std::vector(lines.begin() + 2, lines.begin() + 2 + want.size()), want);
    }
    // A big scene streams to the file in pieces, the same bytes as in memory;
    // a number that is not finite names the file and leaves it alone.
    s.layers.LayerVisible[1] = kTrue;
    s.surfaces.Triangles[1].assign(30000, {P(0, 0, 0), P(1, 0, 0), P(0, 1, 0)});
    s.surfaces.TriangleCount[1] = 30000;
    WritePovrayScene(s, out);
    const std::string text = ReadFile(out);
    EXPECT_EQ(text, Text(s));
    EXPECT_EQ(Lines(text).size(), 2u + 2u + 1u + 90000u + 2u + 6u + 3u);
    s.surfaces.Triangles[1][29999].v[1].y = std::numeric_limits<float>::infinity();
    ExpectError([&] { WritePovrayScene(s, out); }, ErrorKind::Recoverable, {out + ": ", "inf"});
    EXPECT_EQ(ReadFile(out), text);
}

// The shipped POV-Ray header must define every identifier a scene can use, with
// the radii and colours the viewer draws. Only the part before the end line is
// copied into scenes, so only that part counts.
TEST(PovHead, EverySceneIdentifierWithTheViewersRadiiAndColours) {
    const std::string text = ReadPovrayHeader(DataFilePath(ELD_BIN_DIR, kPovrayHeaderName));
    std::map<std::string, std::string> d;  // identifier -> text after '='
    const std::regex decl(R"(#declare\s+(\w+)\s*=\s*([^;]*);)");
    for (std::sregex_iterator it(text.begin(), text.end(), decl), end; it != end; ++it)
        d[(*it)[1]] = (*it)[2];
    for (const char* id : {"cylRadius", "bondcylRadius", "Gray40", "Gray80", "Gray"})
        EXPECT_TRUE(d.count(id)) << id;
    // "rgb <r, g, b>" or "rgb v" as three numbers.
    auto rgb = [&](const std::string& id) {
        const std::regex form(
            R"(rgb\s*(?:<\s*([-.\d]+)\s*,\s*([-.\d]+)\s*,\s*([-.\d]+)\s*>|\s([-.\d]+)))");
        std::smatch m;
        if (!std::regex_match(d[id], m, form)) ADD_FAILURE() << id << " = '" << d[id] << "'";
        if (m.empty()) return std::array<float, 3>{};
        if (m[4].matched)
            return std::array<float, 3>{std::stof(m[4]), std::stof(m[4]), std::stof(m[4])};
        return std::array<float, 3>{std::stof(m[1]), std::stof(m[2]), std::stof(m[3])};
    };
    SceneState s;
    SetLayersProperites(s, 0.0f, 1.0f);
    for (int L = 1; L <= 3; ++L)
        EXPECT_EQ(rgb("Level" + std::to_string(L) + "Color"),
                  std::to_array(s.layers.SurfaceColour[L]));
    auto table = ReadAtomParameters(DataFilePath(ELD_BIN_DIR, "atompar2.txt"));
    ASSERT_GT(table.size(), 10u);
    for (const auto& row : table) {
        // A scene appends the stored name, blanks and all; POV-Ray ends the
        // identifier at the first blank.
        const std::string& name = row.TypeName;
        const std::string id = name.substr(0, name.find(' '));
        ASSERT_FALSE(id.empty()) << "name '" << name << "'";
        ASSERT_TRUE(d.count("AtomRadiusFor" + id)) << id;
        EXPECT_EQ(std::stof(d["AtomRadiusFor" + id]), AtomRadius(name)) << id;
        std::array<float, 3> want;
        AtomColour(name, want.data());
        EXPECT_EQ(rgb("ColorFor" + id), want) << id;
    }
}

}  // namespace
}  // namespace eld
