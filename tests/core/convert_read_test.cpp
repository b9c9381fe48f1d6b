// The readers of other programs' maps and models: CCP4/MRC (every axis order,
// byte order, mode, header variant, broken headers), Gaussian cube files,
// PDB/mmCIF/small-molecule CIF models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/open_map.h"
#include "mapdata/read_ccp4.h"
#include "mapdata/read_cube.h"
#include "mapdata/read_model.h"
#include "mapdata/write_map.h"
#include "tests/core/read_map_fixtures.h"

namespace eld {
namespace {

using namespace testing;
using namespace testmaps;

// Every variant holds a 3 x 4 x 5 block whose values land at their indices,
// placed at `origin` with the step of the cell over the sampling.
TEST(ConvertCcp4, EveryAxisOrderByteOrderModeAndHeaderVariantGivesTheSameGrid) {
    // A part of a cell sampled 6, 8, 10 from (1, -2, 0): step 1.
    auto order = [](int c, int r, int s) {
        return Ccp4Builder{.axis = {c, r, s}, .start_abc = {1, -2, 0}, .sampling = {6, 8, 10}};
    };
    auto bytes = [](bool big, unsigned char stamp) {
        return Ccp4Builder{.axis = {2, 3, 1},
                           .cell = {12.5f, 8, 10, 90, 90, 90},
                           .big_endian = big,
                           .stamp = stamp};
    };
    // Signed values; the wrong stamp loses to the plausible byte order.
    auto ints = [](int mode, bool big) {
        return Ccp4Builder{.mode = mode,
                           .big_endian = big,
                           .stamp = static_cast<unsigned char>(big ? 0x44 : 0x11),
                           .value = [mode](int i, int j, int k) {
                               return static_cast<float>(mode == 0 ? i - 2 * j + 7 * k - 20
                                                                   : 100 * i - 300 * j + 97 * k);
                           }};
    };
    // An extended header to skip, origin words and another form of the map word.
    auto ext = [](std::array<char, 4> word) {
        return Ccp4Builder{.nsymbt = 160, .origin = {5.5f, -1, 2}, .map_word = word};
    };
    struct Case {
        std::string what;
        Ccp4Builder b;
        std::array<double, 3> origin;
    };
    std::vector<Case> cases = {
        {"little, stamped", bytes(false, 0x44), {0, 0, 0}},
        {"big, stamped", bytes(true, 0x11), {0, 0, 0}},
        {"big, unknown stamp", bytes(true, 0x20), {0, 0, 0}},
        {"little, stamped big", bytes(false, 0x11), {0, 0, 0}},
        {"big, stamped little", bytes(true, 0x44), {0, 0, 0}},
        {"mode 0", ints(0, false), {0, 0, 0}},
        {"mode 0 big", ints(0, true), {0, 0, 0}},
        {"mode 1", ints(1, false), {0, 0, 0}},
        {"mode 1 big", ints(1, true), {0, 0, 0}},
        {"MAP\\0", ext({'M', 'A', 'P', '\0'}), {5.5, -1, 2}},
        {"no map word", ext({'\0', '\0', '\0', '\0'}), {5.5, -1, 2}},
        // Origin words and start indices together: the origin places the first point.
        {"both",
         {.start_abc = {2, 3, 4}, .sampling = {6, 8, 10}, .origin = {40, 0, 0}},
         {40, 0, 0}},
    };
    for (int p : {123, 132, 213, 231, 312, 321})
        cases.push_back(
            {"axes " + std::to_string(p), order(p / 100, p / 10 % 10, p % 10), {1, -2, 0}});
    TempDir dir;
    for (const auto& [what, b, origin] : cases) {
        SCOPED_TRACE(what);
        b.Write(dir / "variant.ccp4");
        const ForeignMap m = ReadCcp4Map(dir / "variant.ccp4");
        ASSERT_EQ(std::vector(m.N, m.N + 3), std::vector(b.dims_abc, b.dims_abc + 3));
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(m.Values[m.Index(x % 3, x / 3 % 4, x / 12)],
                      b.value(x % 3, x / 3 % 4, x / 12));
        const MapForWriting p = PlaceInScene(m, {});
        ExpectNear(p.GridOrigin, {origin[0], origin[1], origin[2]}, 1e-6);
        for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(p.GridStep[a], b.cell[a] / b.sampling[a]);
    }
}

// Each broken header is refused with a message naming the file and the field.
TEST(ConvertCcp4, MalformedHeadersNameTheFileAndTheField) {
    TempDir dir;
    const Ccp4Builder ok, stamp_big{.stamp = 0x11};
    const struct {
        const char* field;
        Ccp4Builder b;
        int word = 0, value = 0;  // a header word set after the bytes are made
    } cases[] = {
        {"MODE", {.mode = 5}},
        {"MAPR is not part of a permutation", {.axis = {1, 1, 3}}},
        {"(NR)", ok, 2, 0},
        {"(MY)", {.sampling = {3, 0, 5}}},
        {"(cell a)", {.cell = {0, 8, 10, 90, 90, 90}}},
        {"(cell gamma)", {.cell = {6, 8, 10, 90, 90, 180}}},
        {"(NRSTART)", {.start_abc = {0, 10000001, 0}}},
        {"(origin)", {.origin = {0, 0, NAN}}},
        {"cell angles", {.cell = {6, 8, 10, 150, 150, 150}}},
        {"cell angles", {.cell = {6, 8, 10, 90, 5.7e-5f, 90}}},  // c* 0.99e-6 c
        {"(MAP)", {.map_word = {'M', 'R', 'C', 'X'}}},
        {"(NSYMBT) is -1", ok, 24, -1},
        {"(NSYMBT) is 4000001", ok, 24, 4000001},
        {"truncated", ok, 24, 400},  // claims an extended header the file lacks
        // A little-endian header stamped big is read little while it is plausible
        // (sizes 1 to 1000000, MODE 0 to 16); else the stamp decides.
        {"(NC) is 1000000", stamp_big, 1, 1000000},
        {"(NC) is 1094848256", stamp_big, 1, 1000001},
        {"(NC) is 50331648", stamp_big, 3, 0},
        {"(MODE) is 16", stamp_big, 4, 16},
        {"(NC) is 50331648", stamp_big, 4, 17},
        // Cut short: by one byte of data, and within the header.
        {"truncated", ok, -1},
        {"1024-byte", ok, -424},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        std::vector<unsigned char> bytes = c.b.Bytes();
        if (c.word > 0) std::memcpy(&bytes[4 * (c.word - 1)], &c.value, 4);
        if (c.word < 0) bytes.resize(bytes.size() + c.word);
        const std::string path = dir / "broken_map.ccp4";
        testing::WriteBytes(path, bytes);
        ExpectError([&] { ReadCcp4Map(path); }, ErrorKind::Recoverable,
                    {"broken_map.ccp4", c.field});
    }
    EXPECT_THROW(ReadCcp4Map(dir / "missing.ccp4"), EldError);
    // A cell just thick enough (c* is 1.01e-6 c) is read; a NaN is named by its place.
    Ccp4Builder{.cell = {6, 8, 10, 90, 5.8e-5f, 90}}.Write(dir / "thin.ccp4");
    EXPECT_NO_THROW(ReadCcp4Map(dir / "thin.ccp4"));
    Ccp4Builder{.value = [](int i, int j, int k) {
        return i == 2 && j == 1 && k == 3 ? NAN : 1.0f;
    }}.Write(dir / "nan.ccp4");
    const std::string msg = ErrorOf([&] { ReadCcp4Map(dir / "nan.ccp4"); });
    EXPECT_NE(msg.find("column 3, row 2, section 4"), std::string::npos) << msg;
}

// A 3 x 4 x 5 cube whose values are i + 10 j + 100 k, written z fastest with a
// line break after every z-row, `per_point` values per point.
std::string SmallCube(int count_sign, const char* atom_line3, const std::string& atoms,
                      int per_point = 1, const std::string& orbitals = "") {
    std::string s = "title\nsecond line\n" + std::string(atom_line3) + "\n";
    s += std::to_string(3 * count_sign) + " 0.5 0 0\n";
    s += std::to_string(4 * count_sign) + " 0 0.25 0\n";
    s += std::to_string(5 * count_sign) + " 0 0 0.2\n";
    s += atoms + orbitals;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 5; ++k)
                for (int v = 0; v < per_point; ++v)
                    (s += ' ') += std::to_string(v == 0 ? i + 10 * j + 100 * k : -999) + ".0E+00";
            s += "\n";
        }
    return s;
}

const char kTwoAtoms[] = "6 0.0 1.0 2.0 3.0\n17 0.0 1.5 2.0 2.2\n";

// Bohr and Angstrom units (negative point counts), an orbital file (negative
// atom count, an orbital line after the atoms) and several values per point,
// of which the first is kept.
TEST(ConvertCube, UnitsOrbitalFilesAndValuesPerPointGiveTheSameGridAndAtoms) {
    TempDir dir;
    const double bohr = kBohrInAngstrom;
    const std::pair<std::string, double> cases[] = {
        {SmallCube(1, "2 1.0 2.0 3.0", kTwoAtoms), bohr},
        {SmallCube(-1, "2 1.0 2.0 3.0", kTwoAtoms), 1.0},
        {SmallCube(1, "-2 1.0 2.0 3.0", kTwoAtoms, 2, "2 11 12\n"), bohr},
        {SmallCube(1, "2 1.0 2.0 3.0 3", kTwoAtoms, 3), bohr},
    };
    for (const auto& [text, unit] : cases) {
        dir.Put("small.cube", text);
        const ForeignMap m = ReadCubeMap(dir / "small.cube");
        ASSERT_EQ(std::vector(m.N, m.N + 3), (std::vector{3, 4, 5}));
        for (int x = 0; x < 60; ++x)  // i + 10 j + 100 k at (i, j, k)
            ASSERT_EQ(m.Values[m.Index(x % 3, x / 3 % 4, x / 12)],
                      x % 3 + 10 * (x / 3 % 4) + 100 * (x / 12));
        EXPECT_NEAR(m.Cell[0][0], 3 * 0.5 * unit, 1e-12);
        EXPECT_NEAR(m.Cell[1][1], 4 * 0.25 * unit, 1e-12);
        EXPECT_NEAR(m.CellOrigin[2], 3.0 * unit, 1e-12);
        ASSERT_EQ(m.Atoms.size(), 2u);
        EXPECT_EQ(m.Atoms[1].Element, "Cl");
        ExpectNear(m.Atoms[1].Cartesian, {1.5 * unit, 2.0 * unit, 2.2 * unit}, 1e-12);
    }
    const ForeignMap m = ReadCubeMap(dir / "small.cube");
    const MapForWriting p = PlaceInScene(m, {});
    EXPECT_EQ(p.Values, m.Values);  // axis-aligned: copied as it is
    EXPECT_FLOAT_EQ(p.GridStep[0], static_cast<float>(0.5 * bohr));
    // The scene is the cube's own Cartesian frame: the grid starts at the
    // cube's origin and CellShift is minus the origin's fractional coordinates.
    EXPECT_FLOAT_EQ(p.GridOrigin[0], static_cast<float>(1.0 * bohr));
    EXPECT_FLOAT_EQ(p.GridOrigin[2], static_cast<float>(3.0 * bohr));
    ExpectNear(p.CellShift, {-1.0 / 1.5, -2.0 / 1.0, -3.0 / 1.0}, 1e-6);
    EXPECT_EQ(p.AtomNames, (std::vector<std::string>{"C   ", "Cl  "}));
    // Fractional in the box spanned by the grid, measured from the cube's origin.
    ExpectNear(p.AtomFractional[1], {(1.5 - 1.0) / 1.5, (2.0 - 2.0) / 1.0, (2.2 - 3.0) / 1.0},
               1e-6);
    EXPECT_FLOAT_EQ(p.CellMatrix[0][0], static_cast<float>(1.5 * bohr));
    EXPECT_FLOAT_EQ(p.CellMatrix[0][1], 0.0f);
}

TEST(ConvertCube, MalformedFilesNameTheFileLineAndField) {
    TempDir dir;
    const std::pair<std::string, const char*> cases[] = {
        // the text, what the message says
        {SmallCube(1, "2 1.0 2.0", kTwoAtoms), "line 3"},
        {SmallCube(1, "2 1.0 2.0 3.0", "0 0.0 1.0 2.0 3.0\n6 0 1 1 1\n"), "atomic number 0"},
        {SmallCube(1, "2 1.0 2.0 3.0", "6 0.0 1.0 two 3.0\n6 0 1 1 1\n"), "'two"},
        {SmallCube(1, "2.5 1.0 2.0 3.0", kTwoAtoms), "atom count"},
        {"t\nt\n1 0 0 0\n3 0.5 0 0\n-4 0 0.25 0\n5 0 0 0.2\n", "mix"},
        {"t\nt\n1 0 0 0\n0 0.5 0 0\n4 0 0.25 0\n5 0 0 0.2\n", "point count of the first grid axis"},
        {"t\nt\n1 0 0 0\n3 0.5 0 0\n4 0.5 0 0\n5 0 0 0.2\n6 0 0 0 0\n", "singular"},
        {SmallCube(1, "2 1.0 2.0 3.0", kTwoAtoms).substr(0, 200),
         "ends after 10 density values; the grid 3×4×5 needs 60"},
        {"t\nt\n", "line 3"},
        {"t\nt\n1 0 0 0\n30000 0.5 0 0\n30000 0 0.5 0\n30000 0 0 0.2\n6 0 0 0 0\n1 2 3\n",
         "(27000000000000 points) needs more density values than the file of 70 bytes"},
    };
    for (const auto& [text, says] : cases) {
        dir.Put("bad_density.cube", text);
        ExpectError([&] { ReadCubeMap(dir / "bad_density.cube"); }, ErrorKind::Recoverable,
                    {"bad_density.cube", says});
    }
}

// The real benzene density (all-electron, 82 x 88 x 41 points of 0.2 bohr),
// converted as tools/make_examples.sh does, is the bundled example map byte
// for byte (ConvertExamples finds its atoms on their density peaks).
TEST(ConvertCube, RealBenzeneDensityConvertsToTheExampleMap) {
    const std::string xz =
        std::string(ELD_TEST_DATA) + "/../../tools/realdata/benzene_psi4_density.cube.xz";
    TempDir dir;
    const std::string cube = dir / "benzene.cube";
    ASSERT_EQ(std::system(("xz -dc '" + xz + "' > '" + cube + "'").c_str()), 0) << xz;
    const ForeignMap m = ReadCubeMap(cube);
    ASSERT_EQ(std::vector(m.N, m.N + 3), (std::vector{82, 88, 41}));
    const MapForWriting p = PlaceInScene(m, {.Scale = 6.748334, .Cap = 10});
    EXPECT_TRUE(EncodeMapMt1(p, "benzene.mt1") ==
                ReadFile(std::string(ELD_TEST_DATA) + "/../../data/examples/benzene.mt1"));
}

const std::string kModels = std::string(ELD_TEST_DATA) + "/models/";

// tests/data/models holds one model (paracetamol hydrate, P 1 21/n 1) written
// by tools/realdata/json_to_models.py as PDB, mmCIF and small-molecule CIF;
// unknown_group.pdb is its CRYST1 line, symbol changed, and first atom.
TEST(ConvertModel, PdbMmcifAndSmallMoleculeCifGiveTheSameAtoms) {
    const StructureModel pdb = ReadModelFile(kModels + "paracetamol_hydrate.pdb");
    EXPECT_EQ(pdb.Format, "PDB");
    ASSERT_EQ(pdb.Atoms.size(), 23u);
    EXPECT_EQ(pdb.SpaceGroup, "P 1 21/n 1");
    // A symbol gemmi does not know is kept as written.
    EXPECT_EQ(ReadModelFile(kModels + "unknown_group.pdb").SpaceGroup, "Q 9 9");
    EXPECT_EQ(pdb.Atoms[0].Label, "C1");
    EXPECT_EQ(pdb.Atoms[2].Element, "H");  // hydrogens are kept
    EXPECT_EQ(pdb.Atoms[20].Label, "O1W");
    for (const char* name :
         {"paracetamol_hydrate.mmcif", "paracetamol_hydrate.cif", "paracetamol_hydrate.cif.gz"}) {
        SCOPED_TRACE(name);
        const StructureModel m = ReadModelFile(kModels + name);
        EXPECT_EQ(m.Format, std::string(name).find(".mmcif") != std::string::npos
                                ? "mmCIF"
                                : "small-molecule CIF");
        ASSERT_TRUE(m.HasCell);
        EXPECT_EQ(m.SpaceGroup, "P 1 21/n 1");
        for (int k = 0; k < 6; ++k) EXPECT_NEAR(m.Cell[k], pdb.Cell[k], 5e-3);
        ASSERT_EQ(m.Atoms.size(), pdb.Atoms.size());
        for (std::size_t n = 0; n < m.Atoms.size(); ++n) {
            EXPECT_EQ(std::pair(m.Atoms[n].Label, m.Atoms[n].Element),
                      std::pair(pdb.Atoms[n].Label, pdb.Atoms[n].Element));
            // PDB keeps 3 decimals of Cartesian, the CIF 5 of fractional.
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(m.Atoms[n].Cartesian[k], pdb.Atoms[n].Cartesian[k], 2e-3)
                    << m.Atoms[n].Label;
        }
    }
}

// The broken models are in tests/data/models/broken (see the README there).
TEST(ConvertModel, FilesThatAreNoModelsAreRefusedNamingTheFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.pdb");
    const std::pair<std::string, const char*> cases[] = {
        {"empty.cif", "no atoms"},
        {"broken.cif", "broken.cif"},
        {"text.pdb", "no atoms"},
        {"xx.cif", "(Q1) has no known element"},
        {"nocell.cif", "no _cell_length"},
        {"far.pdb", "not a position within 1e6"},
        {dir / "folder.pdb", "folder"},
        {"missing.cif", "cannot open the model file"},
        {"model.xyz", "not a model file name"},
    };
    for (const auto& [file, says] : cases) {
        const std::string path = file.starts_with("/") ? file : kModels + "broken/" + file;
        const std::string msg = ErrorOf([&] { ReadModelFile(path); });
        EXPECT_NE(msg.find(path), std::string::npos) << msg;
        EXPECT_NE(msg.find(says), std::string::npos) << msg;
    }
    // An element the viewer's atom table lacks.
    const std::vector<AtomTypeRow> table =
        ReadAtomParameters(std::string(ELD_BIN_DIR) + "/atompar2.txt");
    const std::vector<ForeignAtom> atoms = {{"C", "C1", {}}, {"D", "D1", {}}, {"Og", "X9", {}}};
    EXPECT_EQ(ErrorOf([&] { CheckElementsKnown(atoms, table, "m.cif"); }),
              "m.cif: atom 3 (X9) is the element 'Og', which atompar2.txt does not list");
}

TEST(ConvertModel, ModelAtomsGetFractionalCoordinatesOfTheMapCell) {
    const StructureModel model = ReadModelFile(kModels + "paracetamol_hydrate.cif");
    ForeignMap map =
        SampledMap(model.Cell, {4, 4, 4}, {4, 4, 4}, {0, 0, 0}, [](auto&) { return 1.0; });
    map.CrystalCell = true;
    std::vector<std::string> warnings;
    UseModelAtoms(map, model, "model.cif", &warnings);
    EXPECT_TRUE(warnings.empty());
    const MapForWriting p = PlaceInScene(map, {});
    ASSERT_EQ(p.AtomNames.size(), 23u);
    EXPECT_EQ(p.AtomLabels[20], "O1W");
    EXPECT_EQ(p.AtomNames[20], "O   ");
    // C1 at fractional (0.5762, 0.6687, 0.15652) in the file.
    EXPECT_NEAR(p.AtomFractional[0][0], 0.5762, 1e-5);
    EXPECT_NEAR(p.AtomFractional[0][2], 0.15652, 1e-5);

    // A model from another cell is still placed by its Cartesian coordinates,
    // with a warning naming the model file.
    StructureModel other = model;
    other.Cell[0] += 0.2;
    UseModelAtoms(map, other, "other.cif", &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("other.cif: the model's cell"), std::string::npos);
}

}  // namespace
}  // namespace eld
