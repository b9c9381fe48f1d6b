#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "convert_test_util.h"
#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/read_pdb.h"

namespace eld {
namespace {

using testing::TempDir;

// Column rulers: x 31-38, y 39-46, z 47-54, element 77-78.
const char kModel[] =
    "REMARK   a small model\n"
    "CRYST1   10.000   12.000   14.000  90.00 100.00  90.00 P 1 21 1     2\n"
    "ATOM      1  CA  ALA A   1       1.000   2.000   3.000  1.00 10.00           C\n"
    "HETATM    2 CL   CL  A   2      -4.500   0.250  12.000  1.00 10.00          CL\n"
    "ATOM      3 FE   HEM A   3       0.000   0.000   0.000  1.00 10.00\n"
    "ATOM      4  OG  SER A   4       5.000   6.000   7.000  1.00 10.00\n"
    "ATOM      5  N   GLY A   5       1.000   1.000   1.000  1.00 10.00           N1-\n"
    "TER\n"
    "ENDMDL\n"
    "ATOM      6  C   GLY A   6       9.000   9.000   9.000  1.00 10.00           C\n";

TEST(ConvertPdb, CellAtomsAndElementsFromColumnsOrNames) {
    TempDir dir;
    testing::WriteText(dir / "model.pdb", kModel);
    const PdbModel m = ReadPdbModel(dir / "model.pdb");
    ASSERT_TRUE(m.HasCell);
    EXPECT_DOUBLE_EQ(m.Cell[1], 12.0);
    EXPECT_DOUBLE_EQ(m.Cell[4], 100.0);
    ASSERT_EQ(m.Atoms.size(), 5u);  // the second model is not read
    EXPECT_EQ(m.Atoms[0].Element, "C");
    EXPECT_EQ(AtomNameForElement(m.Atoms[1].Element), "Cl  ");
    EXPECT_EQ(AtomNameForElement(m.Atoms[2].Element), "Fe  ");  // from the name FE
    EXPECT_EQ(m.Atoms[3].Element, "O");                         // from the name " OG"
    EXPECT_EQ(m.Atoms[4].Element, "N");                         // the charge is dropped
    EXPECT_DOUBLE_EQ(m.Atoms[1].Cartesian[0], -4.5);
    EXPECT_DOUBLE_EQ(m.Atoms[1].Cartesian[2], 12.0);
}

TEST(ConvertPdb, ModelAtomsGetFractionalCoordinatesOfTheMapCell) {
    TempDir dir;
    testing::WriteText(dir / "model.pdb", kModel);
    const PdbModel model = ReadPdbModel(dir / "model.pdb");
    ForeignMap map;
    map.SourcePath = "map";
    const double cell[6] = {10, 12, 14, 90, 100, 90};
    map.Cell = OrthogonalisationMatrix(cell);
    for (int a = 0; a < 3; ++a) map.N[a] = map.Sampling[a] = 4;
    map.Values.assign(64, 1.0f);
    std::vector<std::string> warnings;
    UseModelAtoms(map, model, "model.pdb", &warnings);
    EXPECT_TRUE(warnings.empty());
    const MapForWriting p = PlaceInScene(map, {});
    ASSERT_EQ(p.AtomNames.size(), 5u);
    // z = 14 sin(100 deg) * fz, x = 10 fx + 14 cos(100 deg) fz.
    const double fz = 12.0 / (14 * std::sin(100 * std::numbers::pi / 180));
    EXPECT_NEAR(p.AtomFractional[1][2], fz, 1e-6);
    EXPECT_NEAR(p.AtomFractional[1][0],
                (-4.5 - 14 * std::cos(100 * std::numbers::pi / 180) * fz) / 10, 1e-6);
    EXPECT_NEAR(p.AtomFractional[1][1], 0.25 / 12, 1e-6);

    // A model from another cell is still placed by its Cartesian coordinates,
    // with a warning naming the model file.
    PdbModel other = model;
    other.Cell[0] = 10.2;
    UseModelAtoms(map, other, "other.pdb", &warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("other.pdb"), std::string::npos);
}

TEST(ConvertPdb, BadFieldsNameTheFileLineAndColumns) {
    TempDir dir;
    testing::WriteText(
        dir / "bad.pdb",
        "ATOM      1  CA  ALA A   1       1.000   2.0x0   3.000  1.00 10.00           C\n");
    try {
        ReadPdbModel(dir / "bad.pdb");
        ADD_FAILURE() << "accepted";
    } catch (const EldError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.pdb: line 1: y (columns 39-46) is '2.0x0'"),
                  std::string::npos)
            << e.what();
    }
    testing::WriteText(dir / "noelement.pdb",
                       "ATOM      1  12  ALA A   1       1.000   2.000   3.000  1.00 10.00\n");
    EXPECT_THROW(ReadPdbModel(dir / "noelement.pdb"), EldError);
    EXPECT_THROW(ReadPdbModel(dir / "missing.pdb"), EldError);
}

}  // namespace
}  // namespace eld
