// Real maps: a CCP4 map of paracetamol hydrate (P 1 21/n 1, whole cell) and
// its model (tests/data/models, written from the map's description).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "convert_test_util.h"
#include "mapdata/eld_error.h"
#include "mapdata/open_map.h"
#include "mapdata/read_ccp4.h"

namespace eld {
namespace {

const std::string kMap =
    std::string(ELD_TEST_DATA) + "/../../tools/realdata/paracetamol_hydrate_dencalc.ccp4";
const std::string kModel = std::string(ELD_TEST_DATA) + "/models/paracetamol_hydrate.cif";

// The map file read without the program's readers: little-endian floats after
// the header, axes 1 2 3, the whole cell.
struct RawMap {
    int n[3] = {0, 0, 0};
    int ispg = 0;
    std::vector<float> v;
    explicit RawMap(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        const std::string b((std::istreambuf_iterator<char>(in)), {});
        auto word = [&](int w) {
            std::int32_t x;
            std::memcpy(&x, b.data() + 4 * (w - 1), 4);
            return x;
        };
        for (int a = 0; a < 3; ++a) n[a] = word(1 + a);
        EXPECT_EQ(word(4), 2);
        EXPECT_EQ(word(17) * 100 + word(18) * 10 + word(19), 123);
        ispg = word(23);
        v.resize(static_cast<std::size_t>(n[0]) * n[1] * n[2]);
        std::memcpy(v.data(), b.data() + 1024 + word(24), v.size() * 4);
    }
    float at(int i, int j, int k) const {
        auto wrap = [](int x, int m) { return ((x % m) + m) % m; };
        return v[wrap(i, n[0]) +
                 n[0] * (wrap(j, n[1]) + n[1] * static_cast<std::size_t>(wrap(k, n[2])))];
    }
    // Trilinear in grid coordinates, wrapping with the cell.
    double Interpolate(const Vec3d& frac) const {
        int i0[3];
        double f[3];
        for (int a = 0; a < 3; ++a) {
            const double u = frac[a] * n[a];
            i0[a] = static_cast<int>(std::floor(u));
            f[a] = u - i0[a];
        }
        double sum = 0;
        for (int c = 0; c < 8; ++c) {
            double w = 1;
            int idx[3];
            for (int a = 0; a < 3; ++a) {
                const bool up = c >> a & 1;
                w *= up ? f[a] : 1 - f[a];
                idx[a] = i0[a] + up;
            }
            sum += w * at(idx[0], idx[1], idx[2]);
        }
        return sum;
    }
};

TEST(ConvertSymmetry, APartOfTheCellExpandedEqualsTheWholeCellMap) {
    const RawMap raw(kMap);
    const ForeignMap full = ReadCcp4Map(kMap);
    EXPECT_EQ(full.SpaceGroup, "P 1 21/n 1");
    ASSERT_TRUE(full.AllPeriodic());
    ASSERT_EQ(full.N[1], 48);
    for (int k = 0; k < raw.n[2]; ++k)
        for (int j = 0; j < raw.n[1]; ++j)
            for (int i = 0; i < raw.n[0]; ++i)
                ASSERT_EQ(full.Values[full.Index(i, j, k)], raw.at(i, j, k));

    // Half the cell along b and one point more (y from 10/48 to 33/48): the
    // screw axis along b (y + 1/2) fills the rest.
    testing::TempDir dir;
    testing::Ccp4Builder b;
    b.dims_abc[0] = 20, b.dims_abc[1] = 24, b.dims_abc[2] = 80;
    b.start_abc[1] = 10;
    b.sampling[0] = 20, b.sampling[1] = 48, b.sampling[2] = 80;
    const float cell[6] = {4.5039f, 10.5391f, 17.048f, 90, 96.399f, 90};
    std::copy(cell, cell + 6, b.cell);
    b.ispg = raw.ispg;
    b.value = [&](int i, int j, int k) { return raw.at(i, j + 10, k); };
    b.Write(dir / "part.ccp4");
    const ForeignMap part = ReadCcp4Map(dir / "part.ccp4");
    EXPECT_TRUE(part.AllPeriodic());
    EXPECT_EQ(part.Values, full.Values);  // every point
    EXPECT_EQ(part.SpaceGroup, "P 1 21/n 1");

    // Without symmetry (P 1) the part keeps its own box, and a box that
    // reaches outside it is refused.
    b.ispg = 1;
    b.Write(dir / "p1.ccp4");
    ForeignMap p1 = ReadCcp4Map(dir / "p1.ccp4");
    EXPECT_FALSE(p1.Periodic[1]);
    EXPECT_TRUE(p1.Periodic[0]);
    EXPECT_EQ(p1.N[1], 24);
    EXPECT_EQ(p1.Start[1], 10);
    p1.Atoms = {{"O", "O1", MatVec(p1.Cell, {0.5, 0.05, 0.5})}};
    ConvertOptions atoms;
    atoms.Box = BoxChoice::Atoms;
    try {
        PlaceInScene(p1, atoms);
        ADD_FAILURE() << "a box outside the map was accepted";
    } catch (const EldError& e) {
        EXPECT_NE(std::string(e.what()).find("reaches outside the map's grid along axis 2"),
                  std::string::npos)
            << e.what();
    }
    const MapForWriting own = PlaceInScene(p1, {});  // its own box: y from 10/48 to 33/48
    const double y0 = 10.5391 * 10 / 48, y1 = 10.5391 * 33 / 48;
    EXPECT_NEAR(own.GridOrigin[1], y0, 1e-4);
    EXPECT_LE(own.GridOrigin[1] + (own.N[1] - 1) * own.GridStep[1], y1 + 1e-4);
}

TEST(ConvertSymmetry, TheDensityAroundEachAtomIsTheMapsAtThatPlace) {
    const RawMap raw(kMap);
    SceneState s;
    s.program.DataFolder = ELD_BIN_DIR;
    std::vector<std::string> warnings;
    const MapDetails d = OpenAnyMap(s, kMap, kModel, {}, &warnings);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(d.Format, "ccp4");
    EXPECT_EQ(d.SpaceGroup, "P 1 21/n 1");
    ASSERT_EQ(d.Symmetry.size(), 3u);
    int screws = 0;  // -x+1/2, y+1/2, -z+1/2
    for (const SymmetryOp& op : d.Symmetry)
        screws += op.Rotation[0][0] == -1 && op.Rotation[1][1] == 1 && op.Rotation[2][2] == -1 &&
                  op.Translation == Vec3{0.5, 0.5, 0.5};
    EXPECT_EQ(screws, 1);
    ASSERT_TRUE(d.HasCell);
    EXPECT_NEAR(d.Cell[4], 96.399, 1e-3);
    // The map's own description: mean 0.447569478, rms about the mean 1.347107447.
    EXPECT_NEAR(d.Mean, 0.447569478, 1e-6);
    EXPECT_NEAR(d.Rms, 1.347107447, 1e-6);
    ASSERT_EQ(s.map.AtomCount, 23);
    ASSERT_EQ(s.map.AtomLabels.size(), 23u);
    EXPECT_EQ(s.map.AtomLabels[17], "H9A");

    const Mat3d inv = [&] {
        Mat3d m;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) m[r][c] = s.map.CellMatrix[r][c];
        return Inverse3(m, "cell");
    }();
    auto fractional = [&](const Vec3d& q) {
        Vec3d f = MatVec(inv, q);
        for (int k = 0; k < 3; ++k) f[k] += s.map.CellShift[k];
        return f;
    };
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
            const double want = raw.Interpolate(fractional(q));
            EXPECT_NEAR(s.map.DensityGrid.at(i[0], i[1], i[2]), want, 1e-4 * (1 + std::fabs(want)));
        }
    }
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(nearest[0][a], 3.0, 1e-4);
        EXPECT_NEAR(nearest[1][a], 3.0, g.GridStep[a]);
    }
}

}  // namespace
}  // namespace eld
