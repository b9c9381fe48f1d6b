// Peak search on synthetic Gaussian blobs: refinement between grid points,
// order and limits, copies by lattice and symmetry, and the pick fallbacks
// along a ray and in a section.
#include "mapdata/peak_search.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mapdata/map_read_common.h"

namespace eld {
namespace {

struct Blob {
    Vec3 c;
    double height = 4, width = 0.5;
};

// A cubic grid n^3 from `origin` with `step`, values the sum of the blobs plus
// `background`; cell: a cube of edge `cell` (0: the .grd placeholder cell).
SceneState BlobMap(const std::vector<Blob>& blobs, int n = 26, double step = 0.4, double origin = 0,
                   double cell = 0, double background = 0) {
    SceneState s;
    s.map.DensityGrid.Create(n, n, n);
    const float edge = cell > 0 ? float(cell) : 1.0f;
    s.map.CellMatrix = {{{edge, 0, 0}, {0, edge, 0}, {0, 0, edge}}};
    for (int k = 0; k < 6; ++k) s.map.CellParameters[k] = cell > 0 ? (k < 3 ? edge : 90.f) : 1.0f;
    for (int a = 0; a < 3; ++a) {
        s.map.MapGrid.GridPoints[a] = float(n);
        s.map.MapGrid.GridOrigin[a] = float(origin);
        s.map.MapGrid.GridStep[a] = float(step);
    }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            for (int k = 1; k <= n; ++k) {
                const double p[3] = {origin + (i - 1) * step, origin + (j - 1) * step,
                                     origin + (k - 1) * step};
                double v = background;
                for (const Blob& b : blobs) {
                    double r2 = 0;
                    for (int a = 0; a < 3; ++a) r2 += (p[a] - b.c[a]) * (p[a] - b.c[a]);
                    v += b.height * std::exp(-r2 / (2 * b.width * b.width));
                }
                s.map.DensityGrid.at(i, j, k) = float(v);
            }
    mapread::SetMeanAndRms(s);
    return s;
}

void AddAtom(SceneState& s, const Vec3& p) {
    s.map.AtomNames.push_back("C   ");
    s.map.AtomData.push_back({float(p[0]), float(p[1]), float(p[2])});
    s.map.AtomCount = int(s.map.AtomData.size());
}

double Dist(const Vec3& a, const Vec3& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

TEST(FindPeaks, RefinesBetweenGridPointsHighestFirstAboveTheMinimum) {
    struct Case {
        const char* what;
        double background, min;
        int max_peaks;
        size_t found;
        double tolerance, height_tolerance;
    };
    const Case cases[] = {
        {"log fit of a positive map", 0.0, 1.5, 50, 2, 0.002, 0.002},
        {"plain fit where the map goes negative", -1.5, 0.3, 50, 2, 0.05, 0.1},
        {"the minimum holds the refined height", 0.0, 3.9, 50, 1, 0.002, 0.002},
        {"at most max peaks", 0.0, 0.5, 1, 1, 0.002, 0.002},
    };
    const std::vector<Blob> blobs = {{{3.13, 2.91, 3.27}, 4, 0.45}, {{7.05, 6.6, 5.52}, 2, 0.6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SceneState s = BlobMap(blobs, 26, 0.4, 0, 0, c.background);
        const auto peaks = FindPeaks(s, {c.min, c.max_peaks, {}});
        ASSERT_EQ(peaks.size(), c.found);
        for (size_t k = 0; k < peaks.size(); ++k) {
            EXPECT_LT(Dist(peaks[k].Position, blobs[k].c), c.tolerance);
            EXPECT_NEAR(peaks[k].Height, blobs[k].height + c.background, c.height_tolerance);
            EXPECT_NEAR(peaks[k].Sigma,
                        (peaks[k].Height - s.map.MapGrid.DensityMean) / s.map.MapGrid.DensityRms,
                        1e-9);
        }
    }
}

TEST(FindPeaks, CopiesOfOneSiteAreListedOnceNearestTheModel) {
    // Cell edge 8, grid -1..11: the site at fractional (0.1, 0.2, 0.3) shows
    // twice, its inversion partner (0.9, 0.8, 0.7) once.
    const Vec3 site{0.8, 1.6, 2.4}, copy{8.8, 1.6, 2.4}, partner{7.2, 6.4, 5.6};
    SymmetryOp inversion;
    for (int r = 0; r < 3; ++r) inversion.Rotation[r][r] = -1;
    struct Case {
        const char* what;
        double cell;
        std::vector<SymmetryOp> ops;
        std::vector<Vec3> atoms;
        size_t found;
        Vec3 first;
        int nearest;
        double distance;
    };
    const Case cases[] = {
        {"lattice copies merge", 8, {}, {}, 2, site, -1, 0},
        {"the copy nearest the model", 8, {}, {{8.9, 1.6, 2.4}}, 2, copy, 0, 0.1},
        {"the space group merges the partner", 8, {inversion}, {}, 1, site, -1, 0},
        {"the model's symmetry copy is nearest",
         8,
         {inversion},
         {{7.2, 6.4, 5.9}},
         1,
         partner,
         0,
         0.3},
        {"no cell: nothing merges", 0, {inversion}, {{0.8, 1.6, 2.0}}, 3, site, 0, 0.4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SceneState s = BlobMap({{site, 4}, {copy, 3.9}, {partner, 3.5}}, 31, 0.4, -1, c.cell);
        for (const Vec3& a : c.atoms) AddAtom(s, a);
        const auto peaks = FindPeaks(s, {1.0, 50, c.ops});
        ASSERT_EQ(peaks.size(), c.found);
        EXPECT_LT(Dist(peaks[0].Position, c.first), 0.01);
        EXPECT_EQ(peaks[0].NearestAtom, c.nearest);
        EXPECT_NEAR(peaks[0].Distance, c.distance, 0.01);
        const Vec3 f = SceneToFractional(s, peaks[0].Position);
        EXPECT_LT(Dist(f, peaks[0].Fractional), 1e-9);
    }
}

// Blob A lies in front of the higher blob B along z; C lies in A's section.
const std::vector<Blob> kPickBlobs = {
    {{3.1, 2.95, 2.8}, 2}, {{3.0, 3.0, 7.2}, 4}, {{7.0, 7.0, 2.8}, 4}};

TEST(FindPeakAlongRay, FirstBlobAboveTheLimitFromTheViewer) {
    const SceneState s = BlobMap(kPickBlobs);
    struct Case {
        const char* what;
        Vec3 origin, direction;
        int blob;  // -1: nothing
    };
    const double k = 10 / std::sqrt(3.0);
    const Case cases[] = {
        {"off-centre through A and B: the nearer", {3.3, 2.8, -5}, {0, 0, 1}, 0},
        {"from the other side: B", {3.2, 3.1, 15}, {0, 0, -2}, 1},
        {"starting between them: B", {3.0, 3.0, 5}, {0, 0, 1}, 1},
        {"oblique through A", {3.1 - k, 2.95 - k, 2.9 - k}, {1, 1, 1}, 0},
        {"missing every blob", {5.5, 5.5, -5}, {0, 0, 1}, -1},
        {"missing the grid", {-5, -5, -5}, {-1, 0, 0}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto p = FindPeakAlongRay(s, c.origin, c.direction, 0.5);
        ASSERT_EQ(p.has_value(), c.blob >= 0);
        if (p) {
            EXPECT_LT(Dist(*p, kPickBlobs[c.blob].c), 0.1);
        }
    }
}

TEST(FindPeakInSection, TopOfTheContourRegionUnderThePointer) {
    const SceneState s = BlobMap(kPickBlobs);
    struct Case {
        const char* what;
        int section;
        double x, y;
        int blob;
    };
    const Case cases[] = {
        {"inside A's region (C is higher)", 8, 3.4, 3.3, 0},
        {"inside C's region", 8, 6.7, 7.2, 2},
        {"between the regions", 8, 5.0, 5.0, -1},
        {"an empty section", 1, 3.1, 2.95, -1},
        {"outside the grid", 8, 12, 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto p = FindPeakInSection(s, c.section, c.x, c.y, 0.5);
        ASSERT_EQ(p.has_value(), c.blob >= 0);
        if (p) {
            EXPECT_LT(Dist(*p, kPickBlobs[c.blob].c), 0.1);
        }
    }
}

}  // namespace
}  // namespace eld
