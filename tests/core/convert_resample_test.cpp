#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "mapdata/convert_map.h"
#include "mapdata/eld_error.h"
#include "mapdata/resample.h"

namespace eld {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// A triclinic crystal map over its whole cell, sampled from f(fractional).
ForeignMap TriclinicMap(double (*f)(const Vec3d&), int n0, int n1, int n2) {
    const double cell[6] = {8, 9, 10, 80, 105, 115};
    ForeignMap m;
    m.SourcePath = "triclinic";
    m.Cell = OrthogonalisationMatrix(cell);
    m.N[0] = m.Sampling[0] = n0;
    m.N[1] = m.Sampling[1] = n1;
    m.N[2] = m.Sampling[2] = n2;
    for (bool& p : m.Periodic) p = true;
    m.Values.resize(static_cast<std::size_t>(n0) * n1 * n2);
    for (int k = 0; k < n2; ++k)
        for (int j = 0; j < n1; ++j)
            for (int i = 0; i < n0; ++i)
                m.Values[m.Index(i, j, k)] =
                    static_cast<float>(f({static_cast<double>(i) / n0, static_cast<double>(j) / n1,
                                          static_cast<double>(k) / n2}));
    return m;
}

double Wave(const Vec3d& t) {
    return std::cos(kTwoPi * t[0]) + 0.5 * std::sin(kTwoPi * (t[1] + t[2])) +
           0.25 * std::cos(kTwoPi * (t[0] - 2 * t[2]));
}

Vec3d Fractional(const ForeignMap& m, const MapForWriting& p, int i1, int i2, int i3) {
    const Vec3d x{p.GridOrigin[0] + (i1 - 1) * p.GridStep[0],
                  p.GridOrigin[1] + (i2 - 1) * p.GridStep[1],
                  p.GridOrigin[2] + (i3 - 1) * p.GridStep[2]};
    return MatVec(Inverse3(m.Cell, "test"), x);
}

TEST(ConvertResample, TriclinicCellAgreesWithTheFunctionSampledThere) {
    const ForeignMap m = TriclinicMap(Wave, 40, 45, 50);
    const MapForWriting p = PlaceInScene(m, {});
    // CellMatrix is the orthogonalisation matrix: a along x, b in the xy plane.
    EXPECT_FLOAT_EQ(p.CellMatrix[0][0], 8.0f);
    EXPECT_FLOAT_EQ(p.CellMatrix[1][0], 0.0f);
    EXPECT_FLOAT_EQ(p.CellMatrix[2][0], 0.0f);
    EXPECT_FLOAT_EQ(p.CellMatrix[2][1], 0.0f);
    EXPECT_FLOAT_EQ(p.CellShift[0], 0.0f);
    EXPECT_NEAR(p.CellParameters[4], 105.0f, 1e-3);
    // About the map's own step; the box covers all eight cell corners.
    const double step = 0.2;  // 8 / 40, the smallest of the three
    EXPECT_NEAR(p.GridStep[0], step, 1e-6);
    for (int corner = 0; corner < 8; ++corner) {
        const Vec3d c =
            MatVec(m.Cell, {double(corner & 1), double(corner >> 1 & 1), double(corner >> 2 & 1)});
        for (int a = 0; a < 3; ++a) {
            EXPECT_GE(c[a], p.GridOrigin[a] - 1e-4);
            EXPECT_LE(c[a], p.GridOrigin[a] + (p.N[a] - 1) * p.GridStep[a] + 1e-4);
        }
    }
    double worst = 0, sum = 0;
    for (int i3 = 1; i3 <= p.N[2]; ++i3)
        for (int i2 = 1; i2 <= p.N[1]; ++i2)
            for (int i1 = 1; i1 <= p.N[0]; ++i1) {
                const double err = std::fabs(p.at(i1, i2, i3) - Wave(Fractional(m, p, i1, i2, i3)));
                worst = std::max(worst, err);
                sum += err;
            }
    // Trilinear error of a wave with 40-50 samples per period: about 1 %.
    EXPECT_LT(worst, 0.05);
    EXPECT_LT(sum / p.Values.size(), 0.01);
}

TEST(ConvertResample, ALinearDensityIsReproducedExactlyInsideAPartialMap) {
    // A block of 12 x 10 x 9 points of a 30 x 30 x 30 sampling: not periodic.
    const double cell[6] = {15, 15, 15, 70, 95, 120};
    ForeignMap m;
    m.SourcePath = "block";
    m.Cell = OrthogonalisationMatrix(cell);
    const int n[3] = {12, 10, 9}, start[3] = {3, -4, 5};
    auto f = [](const Vec3d& x) { return 2 * x[0] - x[1] + 0.5 * x[2] + 1; };
    for (int a = 0; a < 3; ++a) {
        m.N[a] = n[a];
        m.Start[a] = start[a];
        m.Sampling[a] = 30;
    }
    m.PointZero = {0.7, -0.3, 1.1};
    m.Values.resize(12 * 10 * 9);
    for (int k = 0; k < n[2]; ++k)
        for (int j = 0; j < n[1]; ++j)
            for (int i = 0; i < n[0]; ++i) {
                const Vec3d t{(start[0] + i) / 30.0, (start[1] + j) / 30.0, (start[2] + k) / 30.0};
                const Vec3d c = MatVec(m.Cell, t);
                m.Values[m.Index(i, j, k)] = static_cast<float>(
                    f({c[0] + m.PointZero[0], c[1] + m.PointZero[1], c[2] + m.PointZero[2]}));
            }
    ConvertOptions o;
    o.Step = 0.37;
    const MapForWriting p = PlaceInScene(m, o);
    EXPECT_FLOAT_EQ(p.GridStep[2], 0.37f);
    const IndexTransform t = MakeIndexTransform(m);
    int inside = 0, outside = 0;
    for (int i3 = 1; i3 <= p.N[2]; ++i3)
        for (int i2 = 1; i2 <= p.N[1]; ++i2)
            for (int i1 = 1; i1 <= p.N[0]; ++i1) {
                const Vec3d x{p.GridOrigin[0] + (i1 - 1) * p.GridStep[0],
                              p.GridOrigin[1] + (i2 - 1) * p.GridStep[1],
                              p.GridOrigin[2] + (i3 - 1) * p.GridStep[2]};
                const Vec3d u = MatVec(t.A, x);
                bool in = true;
                for (int a = 0; a < 3; ++a) {
                    const double ua = u[a] + t.b[a];
                    in = in && ua > 1e-3 && ua < n[a] - 1 - 1e-3;
                }
                if (in) {
                    ++inside;
                    ASSERT_NEAR(p.at(i1, i2, i3), f(x), 2e-4 * (1 + std::fabs(f(x))));
                } else if (p.at(i1, i2, i3) == 0.0f) {
                    ++outside;
                }
            }
    EXPECT_GT(inside, 200);
    EXPECT_GT(outside, 200);  // the box corners lie beyond the block
}

TEST(ConvertResample, BoxAroundAtomsAndAxisAlignedCopies) {
    ForeignMap m = TriclinicMap(Wave, 20, 20, 20);
    m.Atoms = {{"C", "", {1.0, 2.0, 3.0}}, {"O", "", {-4.0, 0.5, 7.5}}};
    ConvertOptions o;
    o.Box = BoxChoice::Atoms;
    o.Margin = 2.5;
    o.Step = 0.5;
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

    ForeignMap none = TriclinicMap(Wave, 4, 4, 4);
    EXPECT_THROW(PlaceInScene(none, o), EldError);

    // An orthogonal cell is copied point for point; a huge box is refused.
    const double ortho[6] = {4, 5, 6, 90, 90, 90};
    ForeignMap q = TriclinicMap(Wave, 4, 5, 6);
    q.Cell = OrthogonalisationMatrix(ortho);
    EXPECT_TRUE(GridIsAxisAligned(q));
    EXPECT_FALSE(GridIsAxisAligned(m));
    const MapForWriting c = PlaceInScene(q, {});
    EXPECT_EQ(c.Values, q.Values);
    EXPECT_FLOAT_EQ(c.GridStep[2], 1.0f);
    // Centred: the grid's middle at the scene origin, atoms at the same place
    // relative to the grid, fractional coordinates unchanged.
    o.Centre = true;
    const MapForWriting centred = PlaceInScene(m, o);
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(centred.GridOrigin[a] + 0.5 * (centred.N[a] - 1) * centred.GridStep[a], 0.0,
                    1e-5);
        EXPECT_EQ(centred.AtomFractional[1][a], p.AtomFractional[1][a]);
    }
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 3; ++i) {
            double qs = 0, qc = 0;
            for (int j = 0; j < 3; ++j) {
                qs += p.CellMatrix[i][j] * (p.AtomFractional[n][j] - p.CellShift[j]);
                qc += centred.CellMatrix[i][j] *
                      (centred.AtomFractional[n][j] - centred.CellShift[j]);
            }
            EXPECT_NEAR(qs - p.GridOrigin[i], qc - centred.GridOrigin[i], 1e-4);
        }
    EXPECT_EQ(centred.Values, p.Values);

    ConvertOptions tiny;
    tiny.Step = 1e-4;
    EXPECT_THROW(PlaceInScene(q, tiny), EldError);
}

}  // namespace
}  // namespace eld
