// What each fuzz target does with one input, shared by the libFuzzer harnesses
// (tests/fuzz/fuzz_<target>.cpp) and the regression test that replays every
// input they ever crashed on (tests/core/fuzz_regressions_test.cpp).
//
// A run ends in one of three ways: Accepted (the code under test read the
// input), Refused (it threw EldError, the proper way to turn bad data down), or
// anything else: another exception, a crash, a sanitizer report, or a broken
// invariant, which throws InvariantBroken. The harnesses let all of those
// escape, so libFuzzer reports them with the input.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "mapdata/atoms.h"
#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/foreign_map.h"
#include "mapdata/presets.h"
#include "mapdata/read_ccp4.h"
#include "mapdata/read_cube.h"
#include "mapdata/read_map.h"
#include "mapdata/read_model.h"
#include "mapdata/write_map.h"
#include "surface/marching_cubes.h"
#include "tests/fuzz/fuzz_input.h"

namespace eld::fuzz {

enum class Outcome { Accepted, Refused };

struct InvariantBroken : std::logic_error {
    using std::logic_error::logic_error;
};

inline void Require(bool ok, const char* what) {
    if (!ok)
        throw InvariantBroken(std::string("broken invariant after a successful read: ") + what);
}

inline Outcome Refusal(const EldError& e) {
    Refused(e);
    return Outcome::Refused;
}

// ---- .mt1, .fou, .grd ----

// What must hold after a map reader returned normally, whatever the input.
inline void CheckLoadedMap(const SceneState& s) {
    const int n1 = s.map.MapGrid.N(1), n2 = s.map.MapGrid.N(2), n3 = s.map.MapGrid.N(3);
    Require(n1 >= 1 && n2 >= 1 && n3 >= 1, "a grid point count below 1");
    Require(n1 <= kMaxGridPoints && n2 <= kMaxGridPoints && n3 <= kMaxGridPoints,
            "a grid point count above the 16-bit limit");
    Require(s.map.DensityGrid.n1 == n1 && s.map.DensityGrid.n2 == n2 && s.map.DensityGrid.n3 == n3,
            "DensityGrid dimensions differ from GridPoints");
    Require(
        s.map.DensityGrid.values.size() == static_cast<std::size_t>(n1 + 1) * (n2 + 1) * (n3 + 1),
        "DensityGrid holds the wrong number of values");
    Require(s.map.AtomCount >= 0 && s.map.AtomCount <= kMaxAtoms, "atom count out of range");
    Require(s.map.AtomNames.size() == static_cast<std::size_t>(s.map.AtomCount),
            "AtomNames size differs from AtomCount");
    Require(s.map.AtomData.size() == static_cast<std::size_t>(s.map.AtomCount),
            "AtomData size differs from AtomCount");
    for (const auto& name : s.map.AtomNames)
        Require(name.size() == 4, "atom name not 4 characters");
    // The index-0 planes stay 0, and no value outside +-10000 (or NaN) was accepted.
    for (int i1 = 0; i1 <= n1; ++i1)
        for (int i2 = 0; i2 <= n2; ++i2)
            for (int i3 = 0; i3 <= n3; ++i3) {
                float v = s.map.DensityGrid.at(i1, i2, i3);
                if (i1 == 0 || i2 == 0 || i3 == 0)
                    Require(v == 0.0f, "an index-0 element is not 0");
                else
                    Require(v >= -10000.0f && v <= 10000.0f, "a density beyond +-10000 stored");
            }
    Require(s.map.MapGrid.DensityMin <= s.map.MapGrid.DensityMax, "DensityMin above DensityMax");
}

inline Outcome RunMapReader(void (*reader)(SceneState&, std::string_view, const std::string&),
                            std::string_view bytes, const char* name) {
    SceneState s;
    try {
        reader(s, bytes, name);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    CheckLoadedMap(s);
    return Outcome::Accepted;
}

inline Outcome RunReadMt1(std::string_view b) {
    return RunMapReader(&ReadMapMt1Buffer, b, "fuzz-input.mt1");
}
inline Outcome RunReadFou(std::string_view b) {
    return RunMapReader(&ReadMapFouBuffer, b, "fuzz-input.fou");
}
inline Outcome RunReadGrd(std::string_view b) {
    return RunMapReader(&ReadMapGrdBuffer, b, "fuzz-input.grd");
}

// ---- CCP4/MRC and cube (eldmap convert) ----

inline void CheckForeignMap(const ForeignMap& m) {
    std::size_t points = 1;
    for (int a = 0; a < 3; ++a) {
        Require(m.N[a] >= 1, "a point count below 1");
        Require(m.Sampling[a] != 0, "a zero sampling interval");
        points *= static_cast<std::size_t>(m.N[a]);
    }
    Require(m.Values.size() == points, "Values does not hold N0*N1*N2 numbers");
    Require(m.Index(m.N[0] - 1, m.N[1] - 1, m.N[2] - 1) == points - 1, "Index overflows");
}

// These readers take file names, so the input goes through a scratch file.
inline Outcome RunForeignReader(ForeignMap (*reader)(const std::string&), std::string_view bytes,
                                const char* name) {
    const std::string path = WriteInput(name, bytes);
    ForeignMap m;
    try {
        m = reader(path);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    CheckForeignMap(m);
    return Outcome::Accepted;
}

inline Outcome RunReadCcp4(std::string_view b) {
    ForeignMap m;
    try {
        m = ReadCcp4MapBuffer(b, "input.ccp4");
    } catch (const EldError& e) {
        return Refusal(e);
    }
    CheckForeignMap(m);
    return Outcome::Accepted;
}
inline Outcome RunReadCube(std::string_view b) {
    return RunForeignReader(&ReadCubeMap, b, "input.cube");
}

// ---- PDB models (--model), then the cell and names the conversion takes ----

inline Outcome RunReadPdb(std::string_view bytes) {
    StructureModel model;
    try {
        model = ReadModelBuffer(bytes, "input.pdb");
        if (model.HasCell) Inverse3(OrthogonalisationMatrix(model.Cell), "the CRYST1 cell");
    } catch (const EldError& e) {
        return Refusal(e);
    }
    Require(!model.Atoms.empty(), "a model without atoms was accepted");
    for (const ForeignAtom& a : model.Atoms) {
        Require(AtomNameForElement(a.Element).size() == 4,
                "an atom name for an element is not 4 characters");
        for (double x : a.Cartesian) Require(std::isfinite(x), "a coordinate that is not finite");
    }
    return Outcome::Accepted;
}

// ---- the whole conversion: read a CCP4 map, place it, write each format,
// read that back. What convert would write must read back. ----

inline Outcome RunConvert(std::string_view bytes) {
    // The first byte picks the options, the rest is the map.
    if (bytes.empty()) return Outcome::Refused;
    const unsigned char pick = static_cast<unsigned char>(bytes[0]);
    bytes.remove_prefix(1);
    ForeignMap m;
    try {
        m = ReadCcp4MapBuffer(bytes, "input.ccp4");
    } catch (const EldError& e) {
        return Refusal(e);
    }
    // Two atoms at places taken from the map's own numbers, so that far-out
    // cells and origins reach the atom checks too.
    const Vec3d corner = MatVec(m.Cell, {1.0, 1.0, 1.0});
    m.Atoms = {{"C", "C1", {m.PointZero[0], m.PointZero[1], m.PointZero[2]}},
               {"O", "O1", {corner[0] * 0.25, corner[1] * 0.5, corner[2] * 0.75}}};
    ConvertOptions o;
    o.Box = pick & 1 ? BoxChoice::Atoms : (pick & 2 ? BoxChoice::Cell : BoxChoice::Default);
    o.Step = pick & 4 ? 0.5 : 0;
    o.Centre = pick & 8;
    o.Scale = pick & 16 ? 1e-3 : 1;
    static const char* const kNames[3] = {"out.mt1", "out.fou", "out.grd"};
    const char* name = kNames[(pick >> 5) % 3];
    std::string written;
    try {
        // Resampling is linear in the new grid's points, which the default step
        // (the map's finest) makes 8e7 for a skew map of 12 points: 3 s natively,
        // over 30 s under the sanitizers, and libFuzzer stops at its first
        // timeout. Grids beyond 4e6 points are passed over.
        if (!CopiesPointForPoint(m, o)) {
            const AxisGrid g = ResampleGrid(m, o);
            if (static_cast<double>(g.N[0]) * g.N[1] * g.N[2] > 4e6) return Outcome::Refused;
        }
        const MapForWriting placed = PlaceInScene(m, o);
        std::vector<std::string> warnings;
        written = EncodeMap(placed, name, &warnings);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    SceneState s;
    try {
        ReadMapFileBuffer(s, written, name);
    } catch (const EldError& e) {
        throw InvariantBroken(std::string("convert wrote a map its reader refuses: ") + e.what());
    }
    CheckLoadedMap(s);
    return Outcome::Accepted;
}

// ---- atompar2.txt, then the bond search whose type numbers come from it ----

inline Outcome RunAtompar(std::string_view bytes) {
    const std::string path = WriteInput("atompar2.txt", bytes);
    std::vector<AtomTypeRow> table;
    try {
        table = ReadAtomParameters(path);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    // A few atoms named after the table's own types, 1.5 apart in a row, so that
    // type assignment succeeds and the bond window is evaluated for real rows
    // (and for type numbers that are no row number at all).
    SceneState s;
    s.program.DataFolder = ScratchFolder().string();
    for (std::size_t k = 0; k < table.size() && k < 6; ++k) {
        std::string name = table[k].TypeName;
        name.resize(4, ' ');
        s.map.AtomNames.push_back(name);
        std::array<float, 13> row{};
        row[0] = 1.5f * static_cast<float>(k);
        s.map.AtomData.push_back(row);
    }
    s.map.AtomCount = static_cast<int>(s.map.AtomNames.size());
    try {
        FindBonds(s);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    Require(s.map.BondCount == static_cast<int>(s.map.BondList.size()),
            "BondCount differs from BondList");
    for (const Bond& b : s.map.BondList)
        Require(0 <= b.a && b.a < b.b && b.b < s.map.AtomCount, "a bond names a missing atom");
    return Outcome::Accepted;
}

// ---- layer_limit_presets.txt ----

inline Outcome RunPresets(std::string_view bytes) {
    WriteInput("layer_limit_presets.txt", bytes);
    SceneState s;
    s.program.DataFolder = ScratchFolder().string();
    try {
        LoadLayerLimitPresets(s);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    return Outcome::Accepted;
}

// ---- cell_table.dat, then an extraction that meets all 256 cases ----

// A 512 x 2 x 2 grid whose cube at i = 2c + 1 has case c at limit 0.5 (the
// cubes in between get mixed cases). Kept across inputs so the triangle store
// is allocated once.
inline SceneState& AllCasesScene() {
    static SceneState s = [] {
        constexpr int kCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                       {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
        SceneState st;
        const int n[3] = {512, 2, 2};
        for (int a = 0; a < 3; ++a) {
            st.map.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
            st.map.MapGrid.GridStep[a] = 1;
        }
        st.map.DensityGrid.Create(n[0], n[1], n[2]);
        for (int c = 0; c < 256; ++c)
            for (int k = 0; k < 8; ++k)
                st.map.DensityGrid.at(2 * c + 1 + kCorner[k][0], 1 + kCorner[k][1],
                                      1 + kCorner[k][2]) = (c >> k) & 1 ? 1.0f : 0.0f;
        return st;
    }();
    return s;
}

inline Outcome RunCellTable(std::string_view bytes) {
    const std::string path = WriteInput("cell_table.dat", bytes);
    CellTable table;
    try {
        ReadCellTable(table, path);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    // A table that passes the reader must never make the extraction index
    // outside its edge or triangle arrays.
    SceneState& s = AllCasesScene();
    s.program.DataFolder = ScratchFolder().string();
    s.surfaces.CellTables = table;
    s.surfaces.CellTables.CellTableLoaded = true;
    try {
        GenerateLayerSurface(s, 0.5f, 1);
    } catch (const EldError& e) {
        return Refusal(e);
    }
    Require(s.surfaces.TriangleCount[1] >= 0 && s.surfaces.TriangleCount[1] <= 10 * 511,
            "more triangles than 10 per cube");
    return Outcome::Accepted;
}

// ---- the list, by harness name ----

struct Target {
    const char* name;  // the harness is tests/fuzz/<name>.cpp
    Outcome (*run)(std::string_view bytes);
};

inline const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"fuzz_read_mt1", &RunReadMt1},     {"fuzz_read_fou", &RunReadFou},
        {"fuzz_read_grd", &RunReadGrd},     {"fuzz_read_ccp4", &RunReadCcp4},
        {"fuzz_read_cube", &RunReadCube},   {"fuzz_read_pdb", &RunReadPdb},
        {"fuzz_atompar", &RunAtompar},      {"fuzz_presets", &RunPresets},
        {"fuzz_cell_table", &RunCellTable}, {"fuzz_convert", &RunConvert},
    };
    return targets;
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace eld::fuzz
