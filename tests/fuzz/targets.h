// What each fuzz target does with one input, shared by the libFuzzer harness
// (fuzz_harness.cpp, once per target of Targets()) and the replay of every input
// they ever crashed on (tests/core/fuzz_regressions_test.cpp). A run is Accepted,
// Refused (EldError, the proper way to turn bad data down) or a finding: another
// exception, a crash, a sanitizer report or InvariantBroken, all left to escape
// so that libFuzzer reports them with the input.
#pragma once

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

namespace eld::fuzz {

enum class Outcome { Accepted, Refused };

struct InvariantBroken : std::logic_error {
    using std::logic_error::logic_error;
};

inline void Require(bool ok, const char* what) {
    if (!ok)
        throw InvariantBroken(std::string("broken invariant after a successful read: ") + what);
}

// Runs read(): false if it refused the input. ELD_FUZZ_VERBOSE=1 prints the
// refusal, to check by hand that a seed is accepted or why an input is refused.
template <class Read>
bool Reads(Read read) {
    try {
        read();
        return true;
    } catch (const EldError& e) {
        if (std::getenv("ELD_FUZZ_VERBOSE")) std::fprintf(stderr, "refused: %s\n", e.what());
        return false;
    }
}

// Some readers take file names: their input goes to a folder of this process
// (parallel fuzzers do not trample each other's files), removed at exit.
inline const std::filesystem::path& ScratchFolder() {
    static const struct Folder {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("eld-fuzz-" + std::to_string(static_cast<long>(getpid())));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

inline std::string WriteInput(const std::string& name, std::string_view bytes) {
    const std::string path = (ScratchFolder() / name).string();
    if (!std::ofstream(path, std::ios::binary)
             .write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        std::abort();  // the harness itself is broken, not the code under test
    return path;
}

// ---- .mt1, .fou, .grd ----

// What must hold after a map reader returned normally, whatever the input.
inline void CheckLoadedMap(const SceneState& s) {
    const SceneMap& m = s.map;
    const int n1 = m.MapGrid.N(1), n2 = m.MapGrid.N(2), n3 = m.MapGrid.N(3);
    for (int n : {n1, n2, n3})
        Require(n >= 1 && n <= kMaxGridPoints, "a grid point count outside 1 to the 16-bit limit");
    Require(std::array{m.DensityGrid.n1, m.DensityGrid.n2, m.DensityGrid.n3} ==
                    std::array{n1, n2, n3} &&
                m.DensityGrid.values.size() == std::size_t(n1 + 1) * (n2 + 1) * (n3 + 1),
            "DensityGrid differs from GridPoints in dimensions or number of values");
    Require(m.AtomCount >= 0 && m.AtomCount <= kMaxAtoms, "atom count out of range");
    Require(m.AtomNames.size() == std::size_t(m.AtomCount) &&
                m.AtomData.size() == std::size_t(m.AtomCount),
            "AtomNames or AtomData size differs from AtomCount");
    for (const auto& name : m.AtomNames) Require(name.size() == 4, "atom name not 4 characters");
    // The index-0 planes stay 0, and no value outside +-10000 (or NaN) was accepted.
    for (int i1 = 0; i1 <= n1; ++i1)
        for (int i2 = 0; i2 <= n2; ++i2)
            for (int i3 = 0; i3 <= n3; ++i3) {
                const float v = m.DensityGrid.at(i1, i2, i3);
                Require(i1 && i2 && i3 ? v >= -10000.0f && v <= 10000.0f : v == 0.0f,
                        "an index-0 element is not 0, or a density beyond +-10000 stored");
            }
    Require(m.MapGrid.DensityMin <= m.MapGrid.DensityMax, "DensityMin above DensityMax");
}

template <auto reader>
Outcome RunMapReader(std::string_view bytes) {
    SceneState s;
    if (!Reads([&] { reader(s, bytes, "fuzz-input"); })) return Outcome::Refused;
    CheckLoadedMap(s);
    return Outcome::Accepted;
}

// ---- CCP4/MRC and cube (eldmap convert) ----

// The CCP4/MRC reader takes bytes, the cube reader a file name.
template <bool cube>
Outcome RunForeignReader(std::string_view bytes) {
    ForeignMap m;
    if (!Reads([&] {
            m = cube ? ReadCubeMap(WriteInput("input.cube", bytes))
                     : ReadCcp4MapBuffer(bytes, "input.ccp4");
        }))
        return Outcome::Refused;
    std::size_t points = 1;
    for (int a = 0; a < 3; ++a) {
        Require(m.N[a] >= 1, "a point count below 1");
        Require(m.Sampling[a] != 0, "a zero sampling interval");
        points *= static_cast<std::size_t>(m.N[a]);
    }
    Require(m.Values.size() == points, "Values does not hold N0*N1*N2 numbers");
    Require(m.Index(m.N[0] - 1, m.N[1] - 1, m.N[2] - 1) == points - 1, "Index overflows");
    return Outcome::Accepted;
}

// ---- PDB models (--model), then the cell and names the conversion takes ----

inline Outcome RunReadPdb(std::string_view bytes) {
    StructureModel model;
    if (!Reads([&] {
            model = ReadModelBuffer(bytes, "input.pdb");
            if (model.HasCell) Inverse3(OrthogonalisationMatrix(model.Cell), "the CRYST1 cell");
        }))
        return Outcome::Refused;
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
    if (!Reads([&] { m = ReadCcp4MapBuffer(bytes, "input.ccp4"); })) return Outcome::Refused;
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
    const char* name = std::array{"out.mt1", "out.fou", "out.grd"}[(pick >> 5) % 3];
    // Resampling is linear in the new grid's points, which the default step
    // (the map's finest) makes 8e7 for a skew map of 12 points: 3 s natively,
    // over 30 s under the sanitizers, and libFuzzer stops at its first
    // timeout. Grids beyond 4e6 points are passed over.
    double points = 0;
    std::string written;
    if (!Reads([&] {
            if (CopiesPointForPoint(m, o)) return;
            const AxisGrid g = ResampleGrid(m, o);
            points = static_cast<double>(g.N[0]) * g.N[1] * g.N[2];
        }) ||
        points > 4e6 || !Reads([&] {
            std::vector<std::string> warnings;
            written = EncodeMap(PlaceInScene(m, o), name, &warnings);
        }))
        return Outcome::Refused;
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
    std::vector<AtomTypeRow> table;
    if (!Reads([&] { table = ReadAtomParameters(WriteInput("atompar2.txt", bytes)); }))
        return Outcome::Refused;
    // A few atoms named after the table's own types, 1.5 apart in a row, so that
    // type assignment succeeds and the bond window is evaluated for real rows
    // (and for type numbers that are no row number at all).
    SceneState s;
    s.program.DataFolder = ScratchFolder().string();
    for (std::size_t k = 0; k < table.size() && k < 6; ++k) {
        s.map.AtomNames.push_back((table[k].TypeName + "    ").substr(0, 4));
        s.map.AtomData.push_back({1.5f * static_cast<float>(k)});
    }
    s.map.AtomCount = static_cast<int>(s.map.AtomNames.size());
    if (!Reads([&] { FindBonds(s); })) return Outcome::Refused;
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
    return Reads([&] { LoadLayerLimitPresets(s); }) ? Outcome::Accepted : Outcome::Refused;
}

// ---- cell_table.dat, then an extraction that meets all 256 cases ----

// A 512 x 2 x 2 grid whose cube at i = 2c + 1 has case c at limit 0.5 (the
// cubes in between get mixed cases). Kept across inputs so the triangle store
// is allocated once.
inline SceneState& AllCasesScene() {
    static SceneState s = [] {
        SceneState st;
        const int n[3] = {512, 2, 2};
        for (int a = 0; a < 3; ++a) {
            st.map.MapGrid.GridPoints[a] = static_cast<float>(n[a]);
            st.map.MapGrid.GridStep[a] = 1;
        }
        st.map.DensityGrid.Create(n[0], n[1], n[2]);
        // Corner k of a cube lies at (x, y, z) offsets of 0 or 1, counted round
        // the bottom face then the top one.
        constexpr int kX[8] = {0, 1, 1, 0, 0, 1, 1, 0}, kY[8] = {0, 0, 1, 1, 0, 0, 1, 1};
        for (int c = 0; c < 256; ++c)
            for (int k = 0; k < 8; ++k)
                st.map.DensityGrid.at(2 * c + 1 + kX[k], 1 + kY[k], 1 + k / 4) =
                    static_cast<float>((c >> k) & 1);
        return st;
    }();
    return s;
}

inline Outcome RunCellTable(std::string_view bytes) {
    CellTable table;
    if (!Reads([&] { ReadCellTable(table, WriteInput("cell_table.dat", bytes)); }))
        return Outcome::Refused;
    // A table that passes the reader must never make the extraction index
    // outside its edge or triangle arrays.
    SceneState& s = AllCasesScene();
    s.program.DataFolder = ScratchFolder().string();
    s.surfaces.CellTables = table;
    s.surfaces.CellTables.CellTableLoaded = true;
    if (!Reads([&] { GenerateLayerSurface(s, 0.5f, 1); })) return Outcome::Refused;
    Require(s.surfaces.TriangleCount[1] >= 0 && s.surfaces.TriangleCount[1] <= 10 * 511,
            "more triangles than 10 per cube");
    return Outcome::Accepted;
}

// ---- the list, by harness name ----

struct Target {
    const char* name;  // the harness's executable
    Outcome (*run)(std::string_view bytes);
};

inline const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"fuzz_read_mt1", &RunMapReader<ReadMapMt1Buffer>},
        {"fuzz_read_fou", &RunMapReader<ReadMapFouBuffer>},
        {"fuzz_read_grd", &RunMapReader<ReadMapGrdBuffer>},
        {"fuzz_read_ccp4", &RunForeignReader<false>},
        {"fuzz_read_cube", &RunForeignReader<true>},
        {"fuzz_read_pdb", &RunReadPdb},
        {"fuzz_atompar", &RunAtompar},
        {"fuzz_presets", &RunPresets},
        {"fuzz_cell_table", &RunCellTable},
        {"fuzz_convert", &RunConvert},
    };
    return targets;
}

}  // namespace eld::fuzz
