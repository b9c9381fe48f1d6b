// Feeds arbitrary text to the marching-cubes case table reader and, when the
// table is accepted, runs every one of the 256 cube cases through the
// extraction in one grid: a table that passes the reader must never make the extraction
// index outside its edge or triangle arrays.
// fuzz-needs: ReadCellTable GenerateLayerSurface
#include <cstddef>
#include <cstdint>

#include "mapdata/eld_error.h"
#include "surface/marching_cubes.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Grid point offsets of corners 0..7 of a cube from its corner 0.
constexpr int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                               {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

// A 512 x 2 x 2 grid whose cube at i = 2c + 1 has case c at limit 0.5, so one
// extraction meets all 256 cases (the cubes in between get mixed cases).
eld::SceneState& AllCasesScene() {
    // Kept across inputs so the triangle store is allocated once.
    static eld::SceneState s = [] {
        eld::SceneState st;
        st.DataFolder = eld::fuzz::ScratchFolder().string();
        const int n[3] = {512, 2, 2};
        for (int a = 0; a < 3; ++a) {
            st.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
            st.MapGrid.GridStep[a] = 1;
        }
        st.DensityGrid.Create(n[0], n[1], n[2]);
        for (int c = 0; c < 256; ++c)
            for (int k = 0; k < 8; ++k)
                st.DensityGrid.at(2 * c + 1 + kCorner[k][0], 1 + kCorner[k][1], 1 + kCorner[k][2]) =
                    (c >> k) & 1 ? 1.0f : 0.0f;
        return st;
    }();
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = eld::fuzz::WriteInput("cell_table.dat", data, size);
    eld::CellTable table;
    try {
        eld::ReadCellTable(table, path);
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }
    eld::SceneState& s = AllCasesScene();
    s.CellTables = table;
    s.CellTables.CellTableLoaded = true;
    try {
        eld::GenerateLayerSurface(s, 0.5f, 1);
    } catch (const eld::EldError& e) {
        return eld::fuzz::Refused(e);
    }
    // A case yields at most 10 triangles.
    if (s.TriangleCount[1] < 0 || s.TriangleCount[1] > 10 * 511) std::abort();
    return 0;
}
