// Feeds arbitrary text to the marching-cubes case table reader and, when the
// table is accepted, runs every one of the 256 cube cases through the
// extraction: a table that passes the reader must never make the extraction
// index outside its edge or triangle arrays.
// fuzz-needs: ReadCellTable GenerateLayerSurface
#include <cstddef>
#include <cstdint>

#include "mapdata/eld_error.h"
#include "surface/marching_cubes.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Grid point offsets of corners 0..7 of the single cube of a 2x2x2 grid.
constexpr int kCorner[8][3] = {{1, 1, 1}, {2, 1, 1}, {2, 2, 1}, {1, 2, 1},
                               {1, 1, 2}, {2, 1, 2}, {2, 2, 2}, {1, 2, 2}};

eld::SceneState& OneCubeScene() {
    // Kept across inputs so the triangle store is allocated once.
    static eld::SceneState s = [] {
        eld::SceneState st;
        st.DataFolder = eld::fuzz::ScratchFolder().string();
        for (int a = 0; a < 3; ++a) {
            st.MapGrid.GridPoints[a] = 2;
            st.MapGrid.GridStep[a] = 1;
        }
        st.DensityGrid.Create(2, 2, 2);
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
    eld::SceneState& s = OneCubeScene();
    s.CellTables = table;
    s.CellTables.CellTableLoaded = true;
    for (int c = 0; c < 256; ++c) {
        for (int n = 0; n < 8; ++n)
            s.DensityGrid.at(kCorner[n][0], kCorner[n][1], kCorner[n][2]) =
                (c >> n) & 1 ? 1.0f : 0.0f;
        try {
            eld::GenerateLayerSurface(s, 0.5f, 1);
        } catch (const eld::EldError& e) {
            return eld::fuzz::Refused(e);
        }
        if (s.TriangleCount[1] < 0 || s.TriangleCount[1] > eld::kMaxTrianglesPerLayer) std::abort();
    }
    return 0;
}
