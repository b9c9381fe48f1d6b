// Converted maps: resampling onto the scene's grid, the three writers against
// the viewer's own readers, the space group filling a part of the cell, and
// the bundled example maps.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <gemmi/ccp4.hpp>
#include <numbers>
#include <numeric>

#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/level_text.h"
#include "mapdata/open_map.h"
#include "mapdata/peak_search.h"
#include "mapdata/read_ccp4.h"
#include "mapdata/read_map.h"
#include "mapdata/resample.h"
#include "mapdata/write_map.h"
#include "tests/core/read_map_fixtures.h"

namespace eld {
namespace {

using namespace testing;
using namespace testmaps;

constexpr double kTwoPi = 2 * std::numbers::pi;

double Wave(const Vec3d& t) {
    return std::cos(kTwoPi * t[0]) + 0.5 * std::sin(kTwoPi * (t[1] + t[2])) +
           0.25 * std::cos(kTwoPi * (t[0] - 2 * t[2]));
}

// A triclinic crystal map over its whole cell, n points along each axis.
ForeignMap TriclinicMap(int n0, int n1, int n2) {
    static const double cell[6] = {8, 9, 10, 80, 105, 115};
    return SampledMap(cell, {n0, n1, n2}, {n0, n1, n2}, {0, 0, 0}, Wave);
}

// The scene position of grid point (i1, i2, i3) of a converted map.
Vec3d GridPoint(const MapForWriting& p, int i1, int i2, int i3) {
    return {p.GridOrigin[0] + (i1 - 1) * p.GridStep[0], p.GridOrigin[1] + (i2 - 1) * p.GridStep[1],
            p.GridOrigin[2] + (i3 - 1) * p.GridStep[2]};
}

TEST(ConvertResample, TriclinicCellAgreesWithTheFunctionSampledThere) {
    const ForeignMap m = TriclinicMap(40, 45, 50);
    const MapForWriting p = PlaceInScene(m, {});
    // CellMatrix is the orthogonalisation matrix: a along x, b in the xy plane.
    ExpectNear(p.CellMatrix[0], {8}, 1e-6);
    ExpectNear(std::array{p.CellMatrix[1][0], p.CellMatrix[2][0], p.CellMatrix[2][1]}, {0, 0, 0});
    ExpectNear(p.CellShift, {0, 0, 0});
    EXPECT_NEAR(p.CellParameters[4], 105.0f, 1e-3);
    // About the map's own step; the box covers all eight cell corners.
    EXPECT_NEAR(p.GridStep[0], 0.2, 1e-6);  // 8 / 40, the smallest of the three
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3d c =
            MatVec(m.Cell, {double(corner & 1), double(corner >> 1 & 1), double(corner >> 2 & 1)});
        for (int a = 0; a < 3; ++a) {
            EXPECT_GE(c[a], p.GridOrigin[a] - 1e-4);
            EXPECT_LE(c[a], p.GridOrigin[a] + (p.N[a] - 1) * p.GridStep[a] + 1e-4);
        }
    }
    double worst = 0, sum = 0;
    ForEachPoint(p.N[0], p.N[1], p.N[2], [&](int i1, int i2, int i3) {
        const Vec3d f = MatVec(Inverse3(m.Cell, "test"), GridPoint(p, i1, i2, i3));
        const double err = std::fabs(p.at(i1, i2, i3) - Wave(f));
        worst = std::max(worst, err);
        sum += err;
    });
    // Trilinear error of a wave with 40-50 samples per period: about 1 %.
    EXPECT_LT(worst, 0.05);
    EXPECT_LT(sum / p.Values.size(), 0.01);
}

TEST(ConvertResample, ALinearDensityIsReproducedExactlyInsideAPartialMap) {
    // A block of 12 x 10 x 9 points of a 30 x 30 x 30 sampling: not periodic.
    const double cell[6] = {15, 15, 15, 70, 95, 120};
    const Vec3d zero = {0.7, -0.3, 1.1};
    auto f = [](const Vec3d& x) { return 2 * x[0] - x[1] + 0.5 * x[2] + 1; };
    const int n[3] = {12, 10, 9};
    ForeignMap m = SampledMap(cell, {12, 10, 9}, {30, 30, 30}, {3, -4, 5}, [&](const Vec3d& t) {
        const Vec3d c = MatVec(OrthogonalisationMatrix(cell), t);
        return f({c[0] + zero[0], c[1] + zero[1], c[2] + zero[2]});
    });
    m.PointZero = zero;
    const MapForWriting p = PlaceInScene(m, {.Step = 0.37});
    EXPECT_FLOAT_EQ(p.GridStep[2], 0.37f);
    const IndexTransform t = MakeIndexTransform(m);
    int inside = 0, outside = 0;
    ForEachPoint(p.N[0], p.N[1], p.N[2], [&](int i1, int i2, int i3) {
        const Vec3d x = GridPoint(p, i1, i2, i3), u = MatVec(t.A, x);
        // Within the block by e (e < 0: at most -e beyond its faces).
        auto in = [&](double e) {
            return std::ranges::all_of(std::array{0, 1, 2}, [&](int a) {
                return u[a] + t.b[a] > e && u[a] + t.b[a] < n[a] - 1 - e;
            });
        };
        if (in(1e-3)) {
            ++inside;
            EXPECT_NEAR(p.at(i1, i2, i3), f(x), 2e-4 * (1 + std::fabs(f(x))));
        } else if (!in(-1e-3)) {
            ++outside;
            EXPECT_EQ(p.at(i1, i2, i3), 0.0f);
        }
    });
    EXPECT_GT(inside, 200);
    EXPECT_GT(outside, 200);  // the box corners lie beyond the block
}

TEST(ConvertResample, BoxAroundAtomsAndAxisAlignedCopies) {
    ForeignMap m = TriclinicMap(20, 20, 20);
    m.Atoms = {{"C", "", {1.0, 2.0, 3.0}}, {"O", "", {-4.0, 0.5, 7.5}}};
    ConvertOptions o{.Step = 0.5, .Box = BoxChoice::Atoms, .Margin = 2.5};
    const MapForWriting p = PlaceInScene(m, o);
    const double lo[3] = {-6.5, -2.0, 0.5}, hi[3] = {3.5, 4.5, 10.0};
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(p.GridOrigin[a], lo[a], 1e-5);
        const double end = p.GridOrigin[a] + (p.N[a] - 1) * p.GridStep[a];
        EXPECT_GE(end, hi[a] - 1e-6);
        EXPECT_LT(end, hi[a] + 0.5);
    }
    // Atoms keep true fractional coordinates of the cell.
    const Vec3d f = MatVec(Inverse3(m.Cell, "test"), {-4.0, 0.5, 7.5});
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(p.AtomFractional[1][a], f[a], 1e-6);
    EXPECT_EQ(p.AtomNames[1], "O   ");

    EXPECT_THROW(PlaceInScene(TriclinicMap(4, 4, 4), o), EldError);  // no atoms

    // An orthogonal cell is copied point for point; a huge box is refused.
    const double ortho[6] = {4, 5, 6, 90, 90, 90};
    ForeignMap q = TriclinicMap(4, 5, 6);
    q.Cell = OrthogonalisationMatrix(ortho);
    EXPECT_TRUE(GridIsAxisAligned(q));
    EXPECT_FALSE(GridIsAxisAligned(m));
    const MapForWriting c = PlaceInScene(q, {});
    EXPECT_EQ(c.Values, q.Values);
    EXPECT_FLOAT_EQ(c.GridStep[2], 1.0f);
    const MapForWriting k = PlaceInScene(q, {.Scale = 2, .Cap = 0.5});  // scaled, then cut
    for (std::size_t v = 0; v < q.Values.size(); ++v)
        ASSERT_EQ(k.Values[v], std::min(2 * q.Values[v], 0.5f)) << v;
    // Centred: the grid's middle at the scene origin, atoms at the same place
    // relative to the grid, fractional coordinates unchanged.
    o.Centre = true;
    const MapForWriting centred = PlaceInScene(m, o);
    for (int a = 0; a < 3; ++a)
        EXPECT_NEAR(centred.GridOrigin[a] + 0.5 * (centred.N[a] - 1) * centred.GridStep[a], 0.0,
                    1e-5);
    EXPECT_EQ(centred.AtomFractional, p.AtomFractional);
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(AtomInScene(p, n)[i] - p.GridOrigin[i],
                        AtomInScene(centred, n)[i] - centred.GridOrigin[i], 1e-4);
    EXPECT_EQ(centred.Values, p.Values);

    EXPECT_THROW(PlaceInScene(q, {.Step = 1e-4}), EldError);
}

// 5 x 4 x 3 points (unequal, so swapped axes show), values that need every
// digit of a float, a skew cell, three atoms and a title with a line break.
MapForWriting SampleMap() {
    MapForWriting m{
        .Title = "converted from two\nlines.cube",
        .CellMatrix = {{{7.5f, -1.25f, 0.5f}, {0.0f, 9.0f, -0.75f}, {0.0f, 0.0f, 11.0f}}},
        .CellShift = {0.125f, -0.5f, 0.25f},
        .CellParameters = {7.5f, 9.0862f, 11.0369f, 94.1f, 87.4f, 97.9f},
        .N = {5, 4, 3},
        .GridOrigin = {-1.5f, 0.25f, 2.0f},
        .GridStep = {0.3f, 0.35f, 0.4f},
        .Values = std::vector<float>(60),
        .AtomNames = {"C   ", "Cl  ", "O   "},
        .AtomFractional = {{{0.1f, 0.2f, 0.3f}}, {{-0.25f, 1.5f, 0.75f}}, {{0.5f, 0.5f, 0.0f}}},
        .AtomLabels = {}};
    ForEachPoint(5, 4, 3, [&](int i1, int i2, int i3) {
        m.at(i1, i2, i3) = static_cast<float>(i1 + 10 * i2 + 100 * i3) / 3.0f +
                           std::sin(static_cast<float>(i1 * i2 + i3)) * 1e-6f;
    });
    m.at(2, 3, 1) = -10000.0f;
    m.at(4, 1, 3) = 10000.0f;
    m.at(5, 4, 2) = 1.17549435e-30f;
    return m;
}

// Each format reads back the same grid values and atom names; .mt1 and .fou
// the same grid, cell and atoms. .grd keeps the map in place relative to its
// grid (which starts at 0), the first letter of each atom name (with a
// warning) and the atoms' place relative to the grid.
TEST(ConvertWrite, EachFormatReadsBackTheSameMap) {
    TempDir dir;
    const MapForWriting m = SampleMap();
    for (const char* name : {"round.mt1", "round.fou", "ROUND.FOU", "round.grd"}) {
        SCOPED_TRACE(name);
        const bool grd = std::string(name).ends_with(".grd");
        std::vector<std::string> warnings;
        WriteMapFile(m, dir / name, &warnings);
        SceneState s;
        ReadMapFile(s, dir / name);
        for (int a = 0; a < 3; ++a) ASSERT_EQ(s.map.MapGrid.N(a + 1), 5 - a);
        for (int v = 0; v < 60; ++v)  // axis 1 fastest in m.Values
            ASSERT_EQ(s.map.DensityGrid.at(v % 5 + 1, v / 5 % 4 + 1, v / 20 + 1), m.Values[v]) << v;
        EXPECT_EQ(s.map.MapGrid.DensityMin, -10000.0f);
        EXPECT_EQ(s.map.MapGrid.DensityMax, 10000.0f);
        EXPECT_EQ(s.map.DensityGrid.at(0, 2, 2), 0.0f);
        ASSERT_EQ(s.map.AtomCount, 3);
        for (int n = 0; n < 3; ++n)
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(s.map.AtomData[n][i],
                            AtomInScene(m, n)[i] - (grd ? m.GridOrigin[i] : 0), grd ? 2e-4 : 1e-5)
                    << "atom " << n + 1;
        if (grd) {
            ASSERT_EQ(warnings.size(), 1u);
            EXPECT_NE(warnings[0].find("round.grd"), std::string::npos);
            EXPECT_NE(warnings[0].find("Cl"), std::string::npos);
            EXPECT_EQ(s.map.AtomNames, (std::vector<std::string>{"C   ", "C   ", "O   "}));
            for (int a = 0; a < 3; ++a) {
                EXPECT_EQ(s.map.MapGrid.GridOrigin[a], 0.0f);
                EXPECT_NEAR(s.map.MapGrid.GridStep[a], m.GridStep[a], 1e-6);
                // Peaks are saved as scene + CellShift: for a point on an atom
                // that is CellMatrix * fractional, where the atoms are written.
                double shift = m.GridOrigin[a];
                for (int j = 0; j < 3; ++j) shift += double(m.CellMatrix[a][j]) * m.CellShift[j];
                EXPECT_NEAR(s.map.CellShift[a], shift, 1e-5);
            }
            continue;
        }
        EXPECT_TRUE(warnings.empty());
        EXPECT_EQ(s.map.AtomNames, m.AtomNames);
        using std::to_array;
        EXPECT_EQ(s.map.CellMatrix, m.CellMatrix);
        EXPECT_EQ(to_array(s.map.CellParameters), to_array(m.CellParameters));
        EXPECT_EQ(to_array(s.map.MapGrid.GridOrigin), to_array(m.GridOrigin));
        EXPECT_EQ(to_array(s.map.MapGrid.GridStep), to_array(m.GridStep));
        EXPECT_EQ(to_array(s.map.CellShift), to_array(m.CellShift));
    }
    // The binary layout: 188 header bytes, 10 before the first section and 14
    // before each later one, 6 + 8 bytes before the atoms, 58 bytes per atom.
    EXPECT_EQ(std::filesystem::file_size(dir / "round.mt1"),
              188u + 10 + 2 * 14 + 60 * 4 + 6 + 8 + 3 * 58);
}

// What the viewer would not read back is refused naming the file or source
// (and not written): values beyond +-10000 or NaN, far-out origins and atoms,
// a step that needs an unthinkable grid, a blank .fou name, a flat .grd.
TEST(ConvertWrite, WhatWouldNotReadBackIsRefused) {
    TempDir dir;
    for (float bad : {10000.5f, -10001.0f, NAN, INFINITY}) {
        MapForWriting m = SampleMap();
        (bad == INFINITY ? m.GridOrigin[1] : m.at(3, 2, 2)) = bad;
        for (const char* name : {"big.mt1", "big.fou", "big.grd"}) {
            const std::string msg = ErrorOf([&] { WriteMapFile(m, dir / name, nullptr); });
            EXPECT_NE(msg.find(name), std::string::npos) << msg;
            if (bad != INFINITY) {
                EXPECT_NE(msg.find("(3, 2, 2)"), std::string::npos) << msg;
            }
            EXPECT_FALSE(std::filesystem::exists(dir / name));
        }
    }
    EXPECT_THROW(WriteMapFile(SampleMap(), dir / "map.ccp4", nullptr), EldError);
    MapForWriting blank = SampleMap();
    blank.AtomNames[0] = "    ";
    EXPECT_THROW(WriteMapFou(blank, dir / "blank.fou"), EldError);
    MapForWriting flat = SampleMap();
    flat.N[2] = 1;
    flat.Values.resize(20);
    EXPECT_THROW(WriteMapGrd(flat, dir / "flat.grd", nullptr), EldError);

    const double cell[6] = {5, 5, 5, 90, 90, 90};  // 4 of 5 points: not periodic
    ForeignMap m = SampledMap(cell, {4, 4, 4}, {5, 5, 5}, {0, 0, 0}, Wave);
    m.SourcePath = "in.cube";
    m.Atoms = {{"C", "", {1, 1, 1}}, {"O", "", {1, 5e100, 1}}};
    auto error = [](const ForeignMap& map, const ConvertOptions& o) {
        return ErrorOf([&] { PlaceInScene(map, o); });
    };
    EXPECT_EQ(error(m, {}).rfind("in.cube: atom 2 (O) lies at 5e+100 Angstrom along axis 2", 0), 0u)
        << error(m, {});
    m.Atoms.pop_back();
    m.CellOrigin = {0, 1e300, 0};
    EXPECT_NE(error(m, {}).find("in.cube: the grid's origin"), std::string::npos) << error(m, {});
    m.CellOrigin = {0, 0, 0};
    const std::string tiny = error(m, {.Step = 1e-300});
    EXPECT_NE(tiny.find("would need 3e+300 points along axis 1"), std::string::npos) << tiny;
}

const std::string kMap =
    std::string(ELD_TEST_DATA) + "/../../tools/realdata/paracetamol_hydrate_dencalc.ccp4";
const std::string kModel = std::string(ELD_TEST_DATA) + "/models/paracetamol_hydrate.cif";

// The map file read by gemmi alone (axes 1 2 3, the whole cell), without the
// program's checks, byte order handling and placement.
gemmi::Ccp4<float> RawMap() {
    gemmi::Ccp4<float> raw;
    raw.read_ccp4_file(kMap);
    EXPECT_EQ(raw.header_i32(17) * 100 + raw.header_i32(18) * 10 + raw.header_i32(19), 123);
    return raw;
}

TEST(ConvertSymmetry, APartOfTheCellExpandedEqualsTheWholeCellMap) {
    const gemmi::Ccp4<float> map = RawMap();
    const gemmi::Grid<float>& raw = map.grid;
    const ForeignMap full = ReadCcp4Map(kMap);
    EXPECT_EQ(full.SpaceGroup, "P 1 21/n 1");
    ASSERT_TRUE(full.AllPeriodic());
    ASSERT_EQ(full.N[1], 48);
    EXPECT_EQ(full.Values, raw.data);

    // Half the cell along b and one point more (y from 10/48 to 33/48): the
    // screw axis along b (y + 1/2) fills the rest.
    TempDir dir;
    Ccp4Builder b{.dims_abc = {20, 24, 80},
                  .start_abc = {0, 10, 0},
                  .sampling = {20, 48, 80},
                  .cell = {4.5039f, 10.5391f, 17.048f, 90, 96.399f, 90},
                  .ispg = map.header_i32(23),
                  .value = [&](int i, int j, int k) { return raw.get_value(i, j + 10, k); }};
    b.Write(dir / "part.ccp4");
    const ForeignMap part = ReadCcp4Map(dir / "part.ccp4");
    EXPECT_TRUE(part.AllPeriodic());
    EXPECT_EQ(part.Values, full.Values);  // every point
    EXPECT_EQ(part.SpaceGroup, "P 1 21/n 1");
    Ccp4Builder placed = b;  // origin words at the first stored point's own place
    placed.origin[1] = 10.5391f * 10 / 48;
    placed.Write(dir / "placed.ccp4");
    ExpectNear(ReadCcp4Map(dir / "placed.ccp4").PointZero, {0, 0, 0}, 1e-5);

    // Without symmetry (P 1) the part keeps its own box, and a box that
    // reaches outside it is refused.
    b.ispg = 1;
    b.Write(dir / "p1.ccp4");
    ForeignMap p1 = ReadCcp4Map(dir / "p1.ccp4");
    EXPECT_EQ(std::tuple(p1.Periodic[0], p1.Periodic[1], p1.N[1], p1.Start[1]),
              std::tuple(true, false, 24, 10));
    p1.Atoms = {{"O", "O1", MatVec(p1.Cell, {0.5, 0.05, 0.5})}};
    const std::string msg = ErrorOf([&] { PlaceInScene(p1, {.Box = BoxChoice::Atoms}); });
    EXPECT_NE(msg.find("reaches outside the map's grid along axis 2"), std::string::npos) << msg;
    p1.Atoms[0].Cartesian = MatVec(p1.Cell, {0.5, 7.25 / 10.5391, 0.5});  // box to 23.5 of 0..23
    EXPECT_THROW(PlaceInScene(p1, {.Box = BoxChoice::Atoms, .Margin = 0.1}), EldError);
    const MapForWriting own = PlaceInScene(p1, {});  // its own box: y from 10/48 to 33/48
    const double y0 = 10.5391 * 10 / 48, y1 = 10.5391 * 33 / 48;
    EXPECT_NEAR(own.GridOrigin[1], y0, 1e-4);
    EXPECT_LE(own.GridOrigin[1] + (own.N[1] - 1) * own.GridStep[1], y1 + 1e-4);
}

TEST(ConvertSymmetry, TheDensityAroundEachAtomIsTheMapsAtThatPlace) {
    const gemmi::Ccp4<float> raw = RawMap();
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    std::vector<std::string> warnings;
    const MapDetails d = OpenAnyMap(s, kMap, kModel, {}, &warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(d.Format, "ccp4");
    EXPECT_EQ(d.SpaceGroup, "P 1 21/n 1");
    ASSERT_EQ(d.Symmetry.size(), 3u);
    EXPECT_EQ(1, std::ranges::count_if(d.Symmetry, [](const SymmetryOp& op) {  // -x+½, y+½, -z+½
                  return op.Rotation[0][0] == -1 && op.Rotation[1][1] == 1 &&
                         op.Rotation[2][2] == -1 && op.Translation == Vec3{0.5, 0.5, 0.5};
              }));
    ASSERT_TRUE(d.HasCell);
    EXPECT_NEAR(d.Cell[4], 96.399, 1e-3);
    // The map's own description: mean 0.447569478, rms about the mean 1.347107447.
    EXPECT_NEAR(d.Mean, 0.447569478, 1e-6);
    EXPECT_NEAR(d.Rms, 1.347107447, 1e-6);
    ASSERT_EQ(s.map.AtomCount, 23);
    ASSERT_EQ(s.map.AtomLabels.size(), 23u);
    EXPECT_EQ(s.map.AtomLabels[17], "H9A");

    const MapGridRecord& g = s.map.MapGrid;
    // The box is the atoms plus 3 Angstrom (to a step): the nearest atoms lie
    // 3 Angstrom from its faces.
    double nearest[2][3] = {{1e9, 1e9, 1e9}, {1e9, 1e9, 1e9}};
    for (int n = 0; n < s.map.AtomCount; ++n) {
        SCOPED_TRACE(s.map.AtomLabels[n]);
        int lo[3];
        for (int a = 0; a < 3; ++a) {
            const double u = (s.map.AtomData[n][a] - g.GridOrigin[a]) / g.GridStep[a];
            nearest[0][a] = std::min(nearest[0][a], u * g.GridStep[a]);
            nearest[1][a] = std::min(nearest[1][a], (g.N(a + 1) - 1 - u) * g.GridStep[a]);
            lo[a] = static_cast<int>(std::floor(u)) + 1;
        }
        // The eight grid points around it hold the map's density at their places.
        for (int c = 0; c < 8; ++c) {
            const int i[3] = {lo[0] + (c & 1), lo[1] + (c >> 1 & 1), lo[2] + (c >> 2 & 1)};
            Vec3d q;
            for (int a = 0; a < 3; ++a) q[a] = g.GridOrigin[a] + (i[a] - 1) * g.GridStep[a];
            const Vec3 f = SceneToFractional(s, q);
            const double want = raw.grid.interpolate_value(gemmi::Fractional(f[0], f[1], f[2]));
            EXPECT_NEAR(s.map.DensityGrid.at(i[0], i[1], i[2]), want, 1e-4 * (1 + std::fabs(want)));
        }
    }
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(nearest[0][a], 3.0, 1e-4);
        EXPECT_NEAR(nearest[1][a], 3.0, g.GridStep[a]);
    }
}

const std::string kExamples = std::string(ELD_TEST_DATA) + "/../../data/examples/";

SceneState Load(const std::string& name) {
    SceneState s;
    ReadMapFile(s, kExamples + name);
    return s;
}

// Each loads in all three formats with the same density, mean and rms, and
// the density at each atom is high; at the heavy atoms near the maximum.
TEST(ConvertExamples, AtomsSitOnTheirDensityInEveryFormat) {
    const struct {
        std::string name;
        int n[3], atoms;       // n: 0 where the size is not checked
        float light_above;     // e/A^3 at a hydrogen
        float heavy_fraction;  // of the maximum at the other atoms
    } cases[] = {{"benzene", {82, 88, 41}, 12, 1.0f, 0.3f},
                 {"paracetamol_hydrate", {0, 0, 0}, 23, 0.5f, 0.4f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SceneState mt1 = Load(c.name + ".mt1"), fou = Load(c.name + ".fou"),
                         grd = Load(c.name + ".grd");
        for (int a = 0; a < 3 && c.n[0]; ++a) EXPECT_EQ(mt1.map.MapGrid.N(a + 1), c.n[a]);
        for (const SceneState* s : {&mt1, &fou, &grd}) {
            EXPECT_TRUE(s->map.DensityGrid.values == mt1.map.DensityGrid.values);
            ASSERT_EQ(s->map.AtomCount, c.atoms);
            // Mean and rms of the stored points against a two-pass sum in long double.
            const DensityGridArray& d = s->map.DensityGrid;
            std::vector<long double> v;
            ForEachPoint(d.n1, d.n2, d.n3,
                         [&](int i, int j, int k) { v.push_back(d.at(i, j, k)); });
            const long double n = v.size(), mean = std::accumulate(v.begin(), v.end(), 0.0L) / n;
            long double sq = 0;
            for (long double x : v) sq += (x - mean) * (x - mean);
            const double rms = double(std::sqrt(sq / n));
            ASSERT_GT(rms, 0.01);
            EXPECT_NEAR(s->map.MapGrid.DensityMean, double(mean), 1e-9 * rms);
            EXPECT_NEAR(s->map.MapGrid.DensityRms, rms, 1e-9 * rms);
            EXPECT_NEAR(SigmaToLevel(s->map.MapGrid, -2.0), double(mean) - 2.0 * rms, 1e-8 * rms);
        }
        // The atoms of a .grd lie where the other formats put them, moved with the grid.
        ASSERT_EQ(mt1.map.AtomCount, c.atoms);
        for (int n = 0; n < c.atoms; ++n) {
            for (int a = 0; a < 3; ++a)
                EXPECT_NEAR(grd.map.AtomData[n][a],
                            mt1.map.AtomData[n][a] - mt1.map.MapGrid.GridOrigin[a], 2e-4);
            EXPECT_EQ(grd.map.AtomNames[n][0], mt1.map.AtomNames[n][0]);
            const auto& atom = mt1.map.AtomData[n];
            const double v = DensityAt(mt1, {atom[0], atom[1], atom[2]}).value_or(-1);
            if (mt1.map.AtomNames[n] == "H   ")
                EXPECT_GT(v, c.light_above) << "atom " << n + 1;
            else
                EXPECT_GT(v, c.heavy_fraction * mt1.map.MapGrid.DensityMax)
                    << "atom " << n + 1 << " " << mt1.map.AtomNames[n];
        }
    }
    // Paracetamol: a monoclinic cell, a along x, c tilted in the xz plane; atom
    // 1 (C1) at fractional (0.5762, 0.6687, 0.15652) of the crystal cell.
    const SceneState mt1 = Load("paracetamol_hydrate.mt1");
    const Matrix3& cm = mt1.map.CellMatrix;
    ExpectNear(std::array{cm[0][0], cm[0][2], cm[2][2]}, {4.5039, -1.900027, 16.941789}, 1e-4);
    EXPECT_EQ(mt1.map.CellMatrix[1][0], 0.0f);
    const float c1[3] = {0.5762f, 0.6687f, 0.15652f};
    const XYZ q = FractionalToScene(mt1, c1);
    ExpectNear(mt1.map.AtomData[0], {q.x, q.y, q.z}, 2e-3);
}

}  // namespace
}  // namespace eld
