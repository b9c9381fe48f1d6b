#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "convert_test_util.h"
#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/open_map.h"
#include "mapdata/read_model.h"

namespace eld {
namespace {

using testing::TempDir;

const std::string kModels = std::string(ELD_TEST_DATA) + "/models/";

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EldError& e) {
        return e.what();
    }
    return "accepted";
}

// tests/data/models holds one model (paracetamol hydrate, P 1 21/n 1) written
// by tools/realdata/json_to_models.py as PDB, mmCIF and small-molecule CIF.
TEST(ConvertModel, PdbMmcifAndSmallMoleculeCifGiveTheSameAtoms) {
    const StructureModel pdb = ReadModelFile(kModels + "paracetamol_hydrate.pdb");
    EXPECT_EQ(pdb.Format, "PDB");
    ASSERT_EQ(pdb.Atoms.size(), 23u);
    EXPECT_EQ(pdb.SpaceGroup, "P 1 21/n 1");
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
            EXPECT_EQ(m.Atoms[n].Label, pdb.Atoms[n].Label);
            EXPECT_EQ(m.Atoms[n].Element, pdb.Atoms[n].Element);
            // PDB keeps 3 decimals of Cartesian, the CIF 5 of fractional.
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(m.Atoms[n].Cartesian[k], pdb.Atoms[n].Cartesian[k], 2e-3)
                    << m.Atoms[n].Label;
        }
    }
}

TEST(ConvertModel, FilesThatAreNoModelsAreRefusedNamingTheFile) {
    TempDir dir;
    testing::WriteText(dir / "empty.cif",
                       "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n"
                       "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n");
    testing::WriteText(dir / "broken.cif", "data_x\nloop_\n_a\n'unclosed\n");
    testing::WriteText(dir / "text.pdb", "this is not a model\nat all\n");
    testing::WriteText(dir / "xx.cif",
                       "data_x\n_cell_length_a 5\n_cell_length_b 5\n_cell_length_c 5\n"
                       "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n"
                       "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n"
                       "_atom_site_fract_y\n_atom_site_fract_z\nQ1 Xx 0.1 0.2 0.3\n");
    testing::WriteText(dir / "nocell.cif",
                       "data_x\nloop_\n_atom_site_label\n_atom_site_fract_x\n_atom_site_fract_y\n"
                       "_atom_site_fract_z\nC1 0.1 0.2 0.3\n");
    testing::WriteText(dir / "far.pdb",
                       "HETATM    1  C1  MOL A   1       1e300   7.048   2.652  1.00  0.00"
                       "           C\n");
    std::filesystem::create_directory(dir / "folder.pdb");
    const struct {
        std::string file, says;
    } cases[] = {
        {"empty.cif", "no atoms"},
        {"broken.cif", "broken.cif"},
        {"text.pdb", "no atoms"},
        {"xx.cif", "(Q1) has no known element"},
        {"nocell.cif", "no _cell_length"},
        {"far.pdb", "not a position within 1e6"},
        {"folder.pdb", "folder"},
        {"missing.cif", "cannot open the model file"},
        {"model.xyz", "not a model file name"},
    };
    for (const auto& c : cases) {
        const std::string msg = ErrorOf([&] { ReadModelFile(dir / c.file); });
        EXPECT_NE(msg.find(c.file), std::string::npos) << msg;
        EXPECT_NE(msg.find(c.says), std::string::npos) << msg;
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
    ForeignMap map;
    map.SourcePath = "map";
    map.CrystalCell = true;
    map.Cell = OrthogonalisationMatrix(model.Cell);
    for (int a = 0; a < 3; ++a) map.N[a] = map.Sampling[a] = 4;
    for (bool& p : map.Periodic) p = true;
    map.Values.assign(64, 1.0f);
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
