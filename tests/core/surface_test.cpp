// Marching cubes: surfaces of grids whose surfaces are known, the fast
// extraction against the plain cube-by-cube algorithm (the same triangles in
// the same order, bit for bit, whatever the thread count), the case table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "mapdata/eld_error.h"
#include "mapdata/peak_search.h"
#include "surface/marching_cubes.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"

namespace eld {
namespace {

using testing::SetGrid;

// A scene that reads the shipped case table, its grid n1 x n2 x n3.
SceneState NewScene(int n1, int n2, int n3, XYZ origin = {0, 0, 0}, XYZ step = {1, 1, 1}) {
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    SetGrid(s, n1, n2, n3, origin, step);
    return s;
}

using Key = std::array<float, 3>;

// The number of edges of the n triangles (pairs of bit-equal vertices) away
// from the faces of the grid box lo..hi; each must be shared by exactly two
// triangles, so that the surface is closed.
int ClosedEdges(const SurfaceTriangle* t, int n, const Key& lo, const Key& hi) {
    std::map<std::pair<Key, Key>, int> use;
    for (int i = 0; i < n; ++i)
        for (int e = 0; e < 3; ++e) {
            const XYZ &p = t[i].v[e], &q = t[i].v[(e + 1) % 3];
            const Key a{p.x, p.y, p.z}, b{q.x, q.y, q.z};
            ++use[{std::min(a, b), std::max(a, b)}];
        }
    int interior = 0;
    for (const auto& [edge, count] : use) {
        bool border = false;
        for (int a = 0; a < 3; ++a)
            for (float f : {lo[a], hi[a]}) border |= edge.first[a] == f && edge.second[a] == f;
        if (border) continue;
        ++interior;
        EXPECT_EQ(count, 2) << edge.first[0] << " " << edge.first[1] << " " << edge.first[2];
        if (count != 2) break;
    }
    return interior;
}

TEST(MarchingCubes, SampledSphereLiesAtItsRadiusAndIsClosed) {
    SceneState s = NewScene(32, 30, 31, {-2, -3, -1});
    const float cx = 13.3f, cy = 11.7f, cz = 14.1f, R = 9.37f;
    auto r = [&](float x, float y, float z) {
        return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
    };
    testing::Fill(s, [&](int i, int j, int k) { return R - r(i - 3.0f, j - 4.0f, k - 2.0f); });
    GenerateLayerSurface(s, 0.0f, 2);
    const int n = s.surfaces.TriangleCount[2];
    ASSERT_GT(n, 1000);
    double worst = 0;
    for (int t = 0; t < n; ++t)
        for (const XYZ& p : s.surfaces.Triangles[2][t].v)
            worst = std::max(worst, double(std::abs(r(p.x, p.y, p.z) - R)));
    EXPECT_LT(worst, 0.03);
    EXPECT_GT(ClosedEdges(s.surfaces.Triangles[2].data(), n, {-2, -3, -1}, {29, 26, 29}), 1500);
    EXPECT_EQ(std::pair(s.surfaces.TriangleCount[1], s.surfaces.TriangleCount[3]), std::pair(0, 0));
    // Noise: ambiguous faces everywhere, which the table must still resolve
    // the same way from both cubes.
    SetGrid(s, 20, 22, 24);
    testing::FillNoise(s, 7);
    GenerateLayerSurface(s, 0.1f, 1);
    EXPECT_GT(ClosedEdges(s.surfaces.Triangles[1].data(), s.surfaces.TriangleCount[1], {0, 0, 0},
                          {19, 21, 23}),
              10000);
}

TEST(MarchingCubes, FlatGridsUniformGridsAndValuesAtTheLimitGiveNothing) {
    SceneState s = NewScene(1, 1, 1);
    // The progress counts the slabs of axis one, also through slabs without
    // cubes; with N1 = 1 it stays at 0.
    for (auto [n1, n2, n3] : {std::tuple{1, 5, 5}, {5, 1, 5}, {5, 5, 1}, {5, 4, 4}}) {
        SetGrid(s, n1, n2, n3);
        testing::FillNoise(s, 3);
        std::vector<int> seen;
        GenerateLayerSurface(s, 0.0f, 2, [&](int L, int p) { seen.push_back(L == 2 ? p : -L); });
        EXPECT_EQ(s.surfaces.TriangleCount[2] == 0, n1 == 1 || n2 == 1 || n3 == 1);
        EXPECT_EQ(seen, (n1 == 1 ? std::vector{0, kLayerDone}
                                 : std::vector{0, 25, 50, 75, 100, kLayerDone}))
            << n1 << " x " << n2 << " x " << n3;
    }
    SetGrid(s, 6, 7, 8);
    for (float& v : s.map.DensityGrid.values) v = 2.5f;
    s.surfaces.TriangleCount[1] = 77;
    for (float limit : {2.5f, 2.4f}) {  // equal to the limit: all below; then all above
        GenerateLayerSurface(s, limit, 1);
        EXPECT_EQ(s.surfaces.TriangleCount[1], 0) << limit;
    }
    // One point at the limit among points below: still nothing.
    for (float& v : s.map.DensityGrid.values) v = 1.0f;
    s.map.DensityGrid.at(3, 3, 3) = 2.5f;
    GenerateLayerSurface(s, 2.5f, 1);
    EXPECT_EQ(s.surfaces.TriangleCount[1], 0);
    // Just above the limit: one triangle in each of the eight cubes around it,
    // vertices on the eight edges' midpoints when the limit is halfway.
    s.map.DensityGrid.at(3, 3, 3) = 4.0f;
    GenerateLayerSurface(s, 2.5f, 1);
    ASSERT_EQ(s.surfaces.TriangleCount[1], 8);
    for (int t = 0; t < 8; ++t)
        for (const XYZ& p : s.surfaces.Triangles[1][t].v)
            EXPECT_FLOAT_EQ(std::abs(p.x - 2) + std::abs(p.y - 2) + std::abs(p.z - 2), 0.5f);
    // The first cube in loop order is (2,2,2), where the point is corner 6.
    for (const XYZ& p : s.surfaces.Triangles[1][0].v)
        EXPECT_TRUE(p.x >= 1.5f && p.y >= 1.5f && p.z >= 1.5f);
}

TEST(MarchingCubes, TheStoreHoldsExactly400000TrianglesPerLayer) {
    // Isolated points above the limit, each giving one triangle per cube around it.
    SceneState s = NewScene(103, 83, 53);
    int points = 0;
    for (int i = 2; i <= 100; i += 2)
        for (int j = 2; j <= 80; j += 2)
            for (int k = 2; k <= 50; k += 2, ++points) s.map.DensityGrid.at(i, j, k) = 1.0f;
    ASSERT_EQ(points * 8, kMaxTrianglesPerLayer);
    GenerateLayerSurface(s, 0.5f, 1);
    EXPECT_EQ(s.surfaces.TriangleCount[1], kMaxTrianglesPerLayer);
    s.map.DensityGrid.at(103, 83, 53) = 1.0f;  // one cube more, one triangle more
    const testing::Caught c = testing::Catch([&] { GenerateLayerSurface(s, 0.5f, 1); });
    EXPECT_EQ(c.kind, ErrorKind::Fatal);
    EXPECT_EQ(c.what, "Sorry, to complicated scene, Number of reguired triangles > 1 200 000");
    for (int threads : {1, 2, 3}) {
        std::vector<SurfaceTriangle> store(kMaxTrianglesPerLayer + 1);
        EXPECT_THROW(ExtractSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 0.5f,
                                    store.data(), kMaxTrianglesPerLayer, threads),
                     EldError);
        EXPECT_EQ(ExtractSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 0.5f,
                                 store.data(), kMaxTrianglesPerLayer + 1, threads),
                  kMaxTrianglesPerLayer + 1);
    }
}

// Every surface vertex and contour end lies on a grid edge, where the map is
// linear: at its own layer's limit. Contours are drawn for all three limits,
// whatever layers are shown; a hidden layer, hidden contours and a store's
// triangles past its new count are left alone.
TEST(ExtractFields, EachLayerAtItsOwnLimitHiddenAndStaleOnesLeftAlone) {
    SceneState s = NewScene(24, 25, 26);
    testing::FillSmooth(s, 12, 5);
    s.layers.LayerVisible[1] = s.layers.LayerVisible[3] = kTrue;
    s.layers.LayerVisible[2] = kFalse;
    s.surfaces.Triangles[2] = {{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}}};
    s.surfaces.TriangleCount[2] = 1;
    s.layers.LayerLimit[1] = 1.0f, s.layers.LayerLimit[2] = 3.0f, s.layers.LayerLimit[3] = 5.0f;
    s.surfaces.ContourLayer = 4;
    s.SceneListValid = 1;
    EXPECT_TRUE(ExtractFields(s));
    EXPECT_EQ(s.SceneListValid, 0);
    EXPECT_EQ(s.surfaces.TriangleCount[2], 1);
    EXPECT_EQ(s.surfaces.Triangles[2][0].v[2].z, 9.0f);
    for (int L = 1; L <= 3; ++L) {
        ASSERT_GT(s.surfaces.ContourSegmentCount[L], 0) << L;
        EXPECT_EQ(s.surfaces.ContourSegments[L][0].end[0].z, 3.0f);
        auto atLimit = [&](const XYZ& e) {
            ASSERT_NEAR(*DensityAt(s, {e.x, e.y, e.z}), s.layers.LayerLimit[L], 1e-3) << L;
        };
        for (int n = 0; n < s.surfaces.ContourSegmentCount[L]; ++n)
            std::ranges::for_each(s.surfaces.ContourSegments[L][n].end, atLimit);
        for (int n = 0; L != 2 && n < s.surfaces.TriangleCount[L]; ++n)
            std::ranges::for_each(s.surfaces.Triangles[L][n].v, atLimit);
    }
    const int before = s.surfaces.TriangleCount[1], segments = s.surfaces.ContourSegmentCount[2];
    ASSERT_GT(before, s.surfaces.TriangleCount[3]);
    const std::vector layer1(s.surfaces.Triangles[1].begin(),
                             s.surfaces.Triangles[1].begin() + before);
    // Layer 1 at layer 3's limit: fewer triangles, the rest of its old surface
    // stays above the new count. Contours off: their stores are kept.
    s.switches.ShowContourMap = kFalse;
    s.layers.LayerLimit[1] = 5.0f;
    s.layers.LayerLimit[2] = 100.0f;
    for (float& v : s.map.DensityGrid.values) v *= 1.01f;
    ExtractFields(s);
    const int after = s.surfaces.TriangleCount[1];
    ASSERT_LT(after, before);
    EXPECT_EQ(0, std::memcmp(s.surfaces.Triangles[1].data() + after, layer1.data() + after,
                             (before - after) * sizeof(SurfaceTriangle)));
    EXPECT_EQ(s.surfaces.ContourSegmentCount[2], segments);
}

TEST(MarchingCubes, ProgressSplitAmongThreadsIsReportedOnceInOrderOnTheCallingThread) {
    SceneState s = NewScene(9, 40, 40);
    testing::FillNoise(s, 2);
    std::vector<SurfaceTriangle> out(200000);
    for (int threads : {1, 3, 8}) {
        std::vector<int> percents;
        bool elsewhere = false;
        const auto caller = std::this_thread::get_id();
        ExtractSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 0.0f, out.data(),
                       int(out.size()), threads, [&](int p) {
                           percents.push_back(p);
                           elsewhere |= std::this_thread::get_id() != caller;
                       });
        EXPECT_EQ(percents, (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100})) << threads;
        EXPECT_FALSE(elsewhere) << threads;
    }
}

TEST(MarchingCubes, MissingTableIsReportedAtTheFirstExtractionOnly) {
    SceneState s;
    s.program.DataFolder = ::testing::TempDir() + "/no_such_folder";
    SetGrid(s, 3, 3, 3);
    EXPECT_NE(testing::ErrorOf([&] { GenerateLayerSurface(s, 0.0f, 1); }).find("cell_table.dat"),
              std::string::npos);
    s.surfaces.CellTables = testing::LoadedCellTable();
    s.surfaces.CellTables.CellTableLoaded = true;  // read once: the folder is not looked at again
    s.map.DensityGrid.at(2, 2, 2) = 1.0f;
    GenerateLayerSurface(s, 0.0f, 1);
    EXPECT_EQ(s.surfaces.TriangleCount[1], 8);
}

void ExpectSameAsReference(const SceneState& s, const CellTable& table, float limit,
                           const std::string& what) {
    std::vector<SurfaceTriangle> ref =
        testing::ReferenceSurface(s.map.MapGrid, s.map.DensityGrid, table, limit);
    const int capacity = static_cast<int>(ref.size()) + 64;
    for (int threads : {1, 2, 3, 7}) {
        SurfaceTriangle sentinel;
        sentinel.v[0].x = 1234.5f;
        std::vector<SurfaceTriangle> out(capacity, sentinel);
        int n = ExtractSurface(s.map.MapGrid, s.map.DensityGrid, table, limit, out.data(), capacity,
                               threads);
        ASSERT_EQ(n, static_cast<int>(ref.size())) << what << ", " << threads << " threads";
        for (int t = 0; t < n; ++t)
            ASSERT_EQ(0, std::memcmp(&out[t], &ref[t], sizeof(SurfaceTriangle)))
                << what << ", " << threads << " threads, triangle " << t;
        for (int t = n; t < capacity; ++t) ASSERT_EQ(out[t].v[0].x, 1234.5f) << "stale " << t;
    }
}

TEST(SurfaceEquivalence, TheFastExtractionIsThePlainOneBitForBit) {
    // The viewer's extraction, on as many threads as there are cores.
    SceneState s = NewScene(80, 72, 90, {-10, -11, -12}, {0.3f, 0.31f, 0.33f});
    testing::FillSmooth(s, 60, 2);
    GenerateLayerSurface(s, 3.0f, 3);
    const auto big =
        testing::ReferenceSurface(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, 3.0f);
    ASSERT_EQ(s.surfaces.TriangleCount[3], static_cast<int>(big.size()));
    ASSERT_GT(big.size(), 1000u);
    EXPECT_EQ(0,
              std::memcmp(s.surfaces.Triangles[3].data(), big.data(), big.size() * sizeof big[0]));
    CellTable table = testing::LoadedCellTable();
    SetGrid(s, 41, 37, 70, {-3.3f, 0.1f, 7.77f}, {0.37f, 0.41f, 0.29f});  // awkward steps
    testing::FillSmooth(s, 25, 11);
    for (float limit : {0.5f, 2.0f, 6.0f, 9.5f}) ExpectSameAsReference(s, table, limit, "smooth");
    for (int n3 : {2, 3, 63, 64, 65, 66, 129}) {  // across the bit words of axis three
        SetGrid(s, 9, 6, n3, {0.3f, -0.7f, 1e3f}, {1.1f, 0.9f, 0.013f});
        testing::FillNoise(s, unsigned(n3));
        for (float limit : {-0.9f, 0.0f, 0.6f})
            ExpectSameAsReference(s, table, limit, "noise n3=" + std::to_string(n3));
    }
    // Values equal to the limit, zeros of both signs, extremes of the range.
    SetGrid(s, 17, 19, 67, {0, 0, 0}, {0.5f, 0.25f, 3.0f});
    testing::FillNoise(s, 99, 3);  // only 0, 1 and 2
    for (float& v : s.map.DensityGrid.values)
        if (v == 0.0f) v = -0.0f;
    for (float limit : {0.0f, -0.0f, 1.0f, 2.0f, 0.5f})
        ExpectSameAsReference(s, table, limit, "levels " + std::to_string(limit));
    for (float& v : s.map.DensityGrid.values) v = v == 2.0f ? 10000.0f : v == 1.0f ? -10000.0f : v;
    ExpectSameAsReference(s, table, 9999.99f, "extremes");
    // A triangle on an edge the case does not list takes (0, 0, 0); an edge
    // number outside 1..12 in the cut list computes nothing.
    table.CutEdgeTable[1][0] = 3;
    table.CutEdgeTable[1][2] = 13;
    SetGrid(s, 10, 10, 70, {5, 5, 5}, {1, 1, 1});
    testing::FillNoise(s, 4);
    ExpectSameAsReference(s, table, 0.8f, "inconsistent");
    const auto ref = testing::ReferenceSurface(s.map.MapGrid, s.map.DensityGrid, table, 0.8f);
    EXPECT_TRUE(std::ranges::any_of(ref, [](const SurfaceTriangle& t) {
        return t.v[1].x == 0 && t.v[1].y == 0 && t.v[1].z == 0;
    })) << "the grid has no case 1 cube";
}

TEST(CellTable, CutEdgesAreExactlyTheEdgesWhoseCornersDiffer) {
    CellTable t = testing::LoadedCellTable();
    for (int c = 0; c < 256; ++c) {
        std::set<int> expected;
        for (int e = 1; e <= 12; ++e)
            if (((c >> testing::kEdgeCorners[e][0]) & 1) !=
                ((c >> testing::kEdgeCorners[e][1]) & 1))
                expected.insert(e);
        std::set<int> cut(&t.CutEdgeTable[c][1], &t.CutEdgeTable[c][1] + t.CutEdgeTable[c][0]);
        EXPECT_EQ(cut, expected) << "case " << c;
        EXPECT_EQ(int(cut.size()), t.CutEdgeTable[c][0]) << "case " << c << " lists an edge twice";
        std::set<int> used(&t.TriangleTable[c][1],
                           &t.TriangleTable[c][1] + 3 * t.TriangleTable[c][0]);
        EXPECT_EQ(used, expected) << "case " << c;
    }
    // One corner above or one corner below: one triangle around that corner.
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(t.TriangleTable[1 << n][0], 1);
        EXPECT_EQ(t.TriangleTable[255 - (1 << n)][0], 1);
    }
}

// The shipped table file's text, with record `c`'s number at position `n`
// (0-based) replaced by `value` unless n < 0.
std::string TableText(int c = -1, int n = -1, const std::string& value = "") {
    std::istringstream in(testing::ReadFile(std::string(ELD_BIN_DIR) + "/cell_table.dat"));
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

TEST(CellTableFile, FaultsEndTheProgramNamingFileAndCaseLayoutDoesNotMatterNegativeCountsDo) {
    testing::TempDir dir;
    const std::string good = TableText();
    std::size_t cut = 0;
    for (int r = 0; r < 100; ++r) cut = good.find('\n', cut) + 1;
    const std::tuple<std::string, ErrorKind, const char*> cases[] = {
        // text, kind, message
        {TableText(17, 53, " -98"), ErrorKind::FatalSilent, "case 17"},  // a bad separator
        {good.substr(0, cut) + "100, 0, 0", ErrorKind::Fatal, "case 100"},
        {TableText(3, 12, " x"), ErrorKind::Fatal, "case 3"},
        {TableText(4, 12, " 40000"), ErrorKind::Fatal, "case 4"},
        {TableText(5, 22, " 11"), ErrorKind::Fatal, "case 5: triangle count 11"},
    };
    for (const auto& [text, kind, part] : cases) {
        const std::string path = dir.Put("cell_table.dat", text);
        CellTable t;
        testing::ExpectError([&] { ReadCellTable(t, path); }, kind, {path, part});
        EXPECT_EQ(t.TriangleTable[1][0], 0) << "a failed read must not fill the table";
    }
    // Line structure and separators do not matter; text after the last record is ignored.
    std::string text = good;
    std::ranges::replace(text, '\n', ' ');
    for (std::size_t p = 0; (p = text.find(", ", p)) != std::string::npos; p += 2)
        text[p + 1] = '\n';
    CellTable a, b;
    ReadCellTable(a, dir.Put("a.dat", good));
    ReadCellTable(b, dir.Put("b.dat", text + "\n garbage after the last record"));
    EXPECT_EQ(0, std::memcmp(a.TriangleTable, b.TriangleTable, sizeof a.TriangleTable));
    EXPECT_EQ(0, std::memcmp(a.CutEdgeTable, b.CutEdgeTable, sizeof a.CutEdgeTable));
    EXPECT_EQ(a.TriangleTable[1][0], 1);
    const std::string missing = dir / "nothing_here.dat";
    CellTable t;
    testing::ExpectError([&] { ReadCellTable(t, missing); }, ErrorKind::Fatal, {missing});

    // Negative counts run their loops no times. One cube whose corners 1 and 2
    // lie above the limit: case 6, two triangles.
    SceneState s;
    testing::SetGrid(s, 2, 2, 2);
    s.map.DensityGrid.at(2, 1, 1) = s.map.DensityGrid.at(2, 2, 1) = 1.0f;
    std::vector<SurfaceTriangle> out(10);
    auto extract = [&](const std::string& text) {
        CellTable t;
        ReadCellTable(t, dir.Put("cell_table.dat", text));
        return ExtractSurface(s.map.MapGrid, s.map.DensityGrid, t, 0.5f, out.data(), 10, 1);
    };
    EXPECT_EQ(extract(TableText()), 2);
    EXPECT_EQ(extract(TableText(6, 22, " -3")), 0);  // no triangles
    // No cut edges: the triangles keep the reset vertices at (0, 0, 0).
    ASSERT_EQ(extract(TableText(6, 9, " -1")), 2);
    for (int n = 0; n < 2; ++n)
        for (const XYZ& p : out[n].v) EXPECT_TRUE(p.x == 0 && p.y == 0 && p.z == 0);
}

}  // namespace
}  // namespace eld
