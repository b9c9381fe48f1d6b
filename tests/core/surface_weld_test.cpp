// The welded surface of a real map: one vertex per grid edge makes every
// closed blob one watertight piece.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>
#include <utility>
#include <vector>

#include "mapdata/data_files.h"
#include "mapdata/read_map.h"
#include "surface/marching_cubes.h"

namespace eld {
namespace {

const std::string kMap =
    std::string(ELD_TEST_DATA) + "/../../data/examples/paracetamol_hydrate.mt1";

struct Sets {
    std::vector<std::size_t> up;
    explicit Sets(std::size_t n) : up(n) { std::iota(up.begin(), up.end(), 0); }
    std::size_t Find(std::size_t a) { return up[a] == a ? a : up[a] = Find(up[a]); }
    void Join(std::size_t a, std::size_t b) { up[Find(a)] = Find(b); }
};

// Grid point (i, j, k) from 1, and whether it lies on the grid's border.
struct Grid {
    int n1, n2, n3;
    std::size_t Id(int i, int j, int k) const {
        return (std::size_t(i - 1) * n2 + (j - 1)) * n3 + (k - 1);
    }
    bool Border(int i, int j, int k) const {
        return i == 1 || j == 1 || k == 1 || i == n1 || j == n2 || k == n3;
    }
    // An edge lies in the border when it runs within one of the six faces.
    bool BorderEdge(std::uint64_t id) const {
        const int axis = int(id % 3);
        const std::uint64_t p = id / 3;
        const int k = int(p % n3) + 1, j = int(p / n3 % n2) + 1, i = int(p / n3 / n2) + 1;
        return (axis != 0 && (i == 1 || i == n1)) || (axis != 1 && (j == 1 || j == n2)) ||
               (axis != 2 && (k == 1 || k == n3));
    }
};

// Closed pieces of the mesh (joined through shared edge ids). Sides used by
// other than two triangles must lie in the grid's border: anywhere else they
// are cracks.
int ClosedPieces(const SurfaceMesh& m, const Grid& g) {
    std::map<std::uint64_t, std::size_t> vertex;
    for (std::uint64_t e : m.edges) vertex.emplace(e, vertex.size());
    Sets sets(vertex.size());
    std::map<std::pair<std::uint64_t, std::uint64_t>, int> sides;
    for (std::size_t n = 0; n < m.edges.size(); n += 3)
        for (int c = 0; c < 3; ++c) {
            std::uint64_t a = m.edges[n + c], b = m.edges[n + (c + 1) % 3];
            sets.Join(vertex[a], vertex[b]);
            ++sides[{std::min(a, b), std::max(a, b)}];
        }
    std::map<std::size_t, bool> closed;
    for (const auto& [e, v] : vertex) closed.emplace(sets.Find(v), true);
    for (const auto& [side, uses] : sides) {
        if (uses == 2) continue;
        EXPECT_TRUE(g.BorderEdge(side.first) && g.BorderEdge(side.second)) << "crack";
        closed[sets.Find(vertex[side.first])] = false;
    }
    int n = 0;
    for (const auto& [root, c] : closed) n += c;
    return n;
}

// Blobs of grid points above the limit that keep off the border, joined as the
// case table joins them: across cube faces and their diagonals.
int InnerBlobs(const SceneState& s, const Grid& g, float limit) {
    auto above = [&](int i, int j, int k) { return s.map.DensityGrid.at(i, j, k) > limit; };
    Sets sets(std::size_t(g.n1) * g.n2 * g.n3);
    for (int i = 1; i <= g.n1; ++i)
        for (int j = 1; j <= g.n2; ++j)
            for (int k = 1; k <= g.n3; ++k)
                for (int a = -1; a <= 1 && above(i, j, k); ++a)
                    for (int b = -1; b <= 1; ++b)
                        for (int c = -1; c <= 1; ++c) {
                            const int I = i + a, J = j + b, K = k + c;
                            const int d = std::abs(a) + std::abs(b) + std::abs(c);
                            if (d == 0 || d == 3 || I < 1 || J < 1 || K < 1 || I > g.n1 ||
                                J > g.n2 || K > g.n3)
                                continue;
                            if (above(I, J, K)) sets.Join(g.Id(i, j, k), g.Id(I, J, K));
                        }
    std::map<std::size_t, bool> inner;
    for (int i = 1; i <= g.n1; ++i)
        for (int j = 1; j <= g.n2; ++j)
            for (int k = 1; k <= g.n3; ++k)
                if (above(i, j, k)) {
                    auto [it, fresh] = inner.emplace(sets.Find(g.Id(i, j, k)), true);
                    if (g.Border(i, j, k)) it->second = false;
                }
    int n = 0;
    for (const auto& [root, in] : inner) n += in;
    return n;
}

TEST(SurfaceWeld, EveryClosedBlobOfARealMapIsOneWatertightPiece) {
    if (!std::filesystem::exists(kMap)) GTEST_SKIP() << "no example maps";
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    ReadMapFile(s, kMap);
    ReadCellTable(s.surfaces.CellTables, DataFilePath(s.program.DataFolder, "cell_table.dat"));
    const Grid g{s.map.MapGrid.N(1), s.map.MapGrid.N(2), s.map.MapGrid.N(3)};
    const float range = s.map.MapGrid.DensityMax - s.map.MapGrid.DensityMin;
    for (float f : {0.05f, 0.1f, 0.3f, 0.5f}) {
        SCOPED_TRACE(f);
        const float limit = s.map.MapGrid.DensityMin + f * range;
        SurfaceMesh mesh, plain;
        ExtractSurfaceMesh(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, limit, mesh,
                           true, 0, 2);
        ExtractSurfaceMesh(s.map.MapGrid, s.map.DensityGrid, s.surfaces.CellTables, limit, plain,
                           false, 0, 1);
        // The edge ids come with the store's own triangles in the store's order.
        ASSERT_EQ(mesh.edges.size(), 3 * mesh.triangles.size());
        ASSERT_EQ(mesh.triangles.size(), plain.triangles.size());
        ASSERT_EQ(0, std::memcmp(mesh.triangles.data(), plain.triangles.data(),
                                 sizeof(SurfaceTriangle) * plain.triangles.size()));
        const int blobs = InnerBlobs(s, g, limit);
        EXPECT_GT(blobs, 10);
        EXPECT_EQ(ClosedPieces(mesh, g), blobs);
    }
}

}  // namespace
}  // namespace eld
