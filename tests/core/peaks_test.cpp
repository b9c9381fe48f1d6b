// Peaks: the peak list file byte for byte (line layout, conversion back to
// fractional coordinates, the six-decimal cut); the peak search on Gaussian
// blobs (refinement, order, limits, copies by lattice and symmetry, the pick
// fallbacks along a ray and in a section); Edit > Find Peaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "mapdata/eld_error.h"
#include "mapdata/map_read_common.h"
#include "mapdata/peak_finding.h"
#include "mapdata/peak_list.h"
#include "mapdata/peak_search.h"
#include "tests/core/surface_reference.h"
#include "tests/core/temp_folder.h"
#include "tests/support/peak_scene.h"

namespace eld {
namespace {

TEST(PeakListText, LinesInTheCellsFractionalCoordinatesCutToSixDecimalsOnlyWhenFinite) {
    SceneState s = IdentityCell();
    EXPECT_EQ(PeakListText(s), "");
    // Cut toward minus infinity in double: the float nearest 0.7 lies below it.
    AddPeak(s, 0.25f, 0.5f, -0.125f);
    AddPeak(s, 0.1234567f, -0.1234567f, 0.5f);
    AddPeak(s, 0.7f, -0.7f, 3);
    EXPECT_EQ(PeakListText(s),
              "ATOM Q  1   X= .25  Y= .5  Z=-.125 \r\nATOM Q  2   X= .123456  Y=-.123457  Z= .5 "
              "\r\nATOM Q  3   X= .699999  Y=-.7  Z= 3 \r\n");
    // Ten peaks: numbers run from one, two digits keep the layout, CRLF only.
    s.peaks.PeakCount = 0;
    for (int n = 0; n < 10; ++n) AddPeak(s, 1.0f + n, 0.0f, 2.5f);
    const std::string text = PeakListText(s);
    EXPECT_EQ(text.rfind("ATOM Q  1   X= 1  Y= 0  Z= 2.5 \r\nATOM Q  2 ", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 37), "\r\nATOM Q  10   X= 10  Y= 0  Z= 2.5 \r\n");
    EXPECT_EQ(text.size(), 9 * 33 + 35u);
    s.peaks.PeakCount = kMaxPeaks + 1;  // a count past the store lists the store
    const std::string all = PeakListText(s);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), kMaxPeaks);
    // The cell shift is added; an oblique cell's inverse is applied row by
    // column (scene = M * f gives f = (1, 1, 1) here).
    for (float& v : s.map.CellShift) v = 0.5f;
    s.map.CellMatrix = {{{2, 1, 0}, {0, 2, 0}, {0, 0.5f, 1}}};
    s.peaks.PeakCount = 0;
    AddPeak(s, 3, 2, 1.5f);
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= 1.5  Y= 1.5  Z= 1.5 \r\n");
    s.map.CellShift[1] = -1;
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= 1.5  Y= 0  Z= 1.5 \r\n");
    // A peak that is not finite is refused, naming it.
    SceneState inf = IdentityCell(), singular = IdentityCell();
    AddPeak(inf, 0.25f, 0.5f, -0.125f);
    AddPeak(inf, 0.0f, 3e38f, 0.0f);
    inf.map.CellShift[1] = 3e38f;  // the float sum overflows for peak 2 only
    singular.map.CellMatrix[2] = {0, 0, 0};
    AddPeak(singular, 1.0f, 2.0f, 3.0f);
    testing::ExpectError([&] { PeakListText(inf); }, ErrorKind::Recoverable,
                         {"peak 2: its fractional Y coordinate is inf"});
    testing::ExpectError([&] { PeakListText(singular); }, ErrorKind::Recoverable,
                         {"peak 1: its fractional X coordinate is nan"});
    // A monoclinic-like cell and an atom with seven decimals, placed in the
    // scene the way the readers place atoms: M * (f - shift).
    s.peaks.PeakCount = 0;
    const float a = 10.5f, b = 7.25f, c = 12.0f, beta = 1.9f;
    s.map.CellMatrix = {{{a, 0, c * std::cos(beta)}, {0, b, 0}, {0, 0, c * std::sin(beta)}}};
    for (float& v : s.map.CellShift) v = 0.5f;
    const Vec3 p = FractionalToSceneD(s, {0.3141595, 0.2718285, -0.1414215});
    AddPeak(s, float(p[0]), float(p[1]), float(p[2]));
    EXPECT_EQ(PeakListText(s), "ATOM Q  1   X= .314159  Y= .271828  Z=-.141422 \r\n");
}

double Dist(const Vec3& a, const Vec3& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

TEST(Cell, FractionalBothWaysInAGeneralCellAnglesFrom10To170AndAVolume) {
    // No cell vector along an axis and no right angle, so every term of the
    // inverse counts: scene = M * (f - shift) by hand.
    SceneState s;
    s.map.CellMatrix = {{{5, 1, -2}, {0.5f, 6, 1.5f}, {-1, 2, 7}}};
    s.map.CellShift[0] = 0.5f, s.map.CellShift[2] = -1;
    const Vec3 scene{0.25, 0.25, 6}, f{1, -0.25, 0};  // f - shift = (0.5, -0.25, 1)
    EXPECT_LT(Dist(SceneToFractional(s, scene), f), 1e-12);
    EXPECT_LT(Dist(FractionalToSceneD(s, f), scene), 1e-12);
    // MapHasCell: angles are read from CellParameters, the volume from CellMatrix.
    const struct {
        float cell[6], c;
        bool has;
    } cases[] = {
        {{8, 9, 10, 90, 90, 90}, 10, true},     {{8, 9, 10, 10, 170, 90}, 10, true},
        {{8, 9, 10, 9.9f, 90, 90}, 10, false},  {{8, 9, 10, 90, 90, 170.1f}, 10, false},
        {{0, 9, 10, 90, 90, 90}, 10, false},    {{8, 9, 10, 90, 90, 90}, 2e-5f, true},
        {{8, 9, 10, 90, 90, 90}, 5e-6f, false}, {{1, 1, 1, 1, 1, 1}, 1, false},  // .grd
    };
    for (const auto& c : cases) {
        SceneState s;
        std::copy(c.cell, c.cell + 6, s.map.CellParameters);
        s.map.CellMatrix = {{{c.cell[0], 0, 0}, {0, c.cell[1], 0}, {0, 0, c.c}}};
        EXPECT_EQ(MapHasCell(s), c.has) << c.cell[3] << " " << c.cell[5] << " " << c.c;
    }
}

struct Blob {
    Vec3 c;
    double height = 4, width = 0.5;
};

// A cubic grid n^3 from `origin` with `step`, values the sum of the blobs plus
// `background`; cell: a cube of edge `cell` (0: the .grd placeholder cell).
SceneState BlobMap(const std::vector<Blob>& blobs, int n = 26, double step = 0.4, double origin = 0,
                   double cell = 0, double background = 0) {
    SceneState s;
    const float edge = cell > 0 ? float(cell) : 1.0f, o = float(origin), d = float(step);
    s.map.CellMatrix = {{{edge, 0, 0}, {0, edge, 0}, {0, 0, edge}}};
    for (int k = 0; k < 6; ++k) s.map.CellParameters[k] = cell > 0 ? (k < 3 ? edge : 90.f) : 1.0f;
    testing::SetGrid(s, n, n, n, {o, o, o}, {d, d, d});
    testing::Fill(s, [&](int i, int j, int k) {
        double v = background;
        for (const Blob& b : blobs) {
            const Vec3 d{origin + (i - 1) * step - b.c[0], origin + (j - 1) * step - b.c[1],
                         origin + (k - 1) * step - b.c[2]};
            v += b.height *
                 std::exp(-(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) / (2 * b.width * b.width));
        }
        return v;
    });
    mapread::SetMeanAndRms(s);
    return s;
}

TEST(DensityAt, TrilinearBetweenGridPointsNothingOutside) {
    SceneState s = BlobMap({}, 4, 0.5, 1);  // points 1 to 2.5 along each axis
    testing::Fill(s, [](int i, int j, int k) { return i + 10 * j + 100 * k; });
    EXPECT_NEAR(*DensityAt(s, {1.25, 2.1, 1.9}), 1.5 + 32 + 280, 1e-9);  // linear: exact
    EXPECT_NEAR(*DensityAt(s, {2.5, 2.5, 2.5}), 444, 1e-9);
    EXPECT_FALSE(DensityAt(s, {0.9, 2, 2}) || DensityAt(s, {2, 2, 2.6}));
}

TEST(FindPeaks, RefinesBetweenGridPointsHighestFirstAboveTheMinimum) {
    const struct {
        const char* what;
        double background, min;
        int max_peaks;
        size_t found;
        double tolerance, height_tolerance;
    } cases[] = {
        {"log fit of a positive map", 0.0, 1.5, 50, 2, 0.002, 0.002},
        {"plain fit where the map goes negative", -1.5, 0.3, 50, 2, 0.05, 0.1},
        {"the minimum holds the refined height", 0.0, 3.95, 50, 1, 0.002, 0.002},
        {"at most max peaks", 0.0, 0.5, 1, 1, 0.002, 0.002},
    };
    // The lower blob lies next to a grid point, above the higher one's grid values.
    const std::vector<Blob> blobs = {{{3.13, 2.91, 3.27}, 4, 0.45}, {{7.21, 6.41, 5.59}, 3.9, 0.6}};
    for (const auto& c : cases) {
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
    // Cell edge 8, grid -1..11 of step 0.4: the site at fractional (0.1, 0.2,
    // 0.3) shows twice (the copy 0.15 off, closer than a step: one peak), its
    // inversion partner (0.9, 0.8, 0.7) once.
    const Vec3 site{0.8, 1.6, 2.4}, copy{8.95, 1.6, 2.4}, partner{7.2, 6.4, 5.6};
    SymmetryOp inversion;
    for (int r = 0; r < 3; ++r) inversion.Rotation[r][r] = -1;
    const struct {
        const char* what;
        double cell;
        std::vector<SymmetryOp> ops;
        std::vector<Vec3> atoms;
        size_t found;
        Vec3 first;
        int nearest;
        double distance;
    } cases[] = {
        {"lattice copies merge", 8, {}, {}, 2, site, -1, 0},
        {"the copy nearest the model", 8, {}, {{8.9, 1.6, 2.4}}, 2, {8.8, 1.6, 2.4}, 0, 0.1},
        {"the space group merges the partner", 8, {inversion}, {}, 1, site, -1, 0},
        {"the model's symmetry copy", 8, {inversion}, {{7.2, 6.4, 5.9}}, 1, partner, 0, 0.3},
        {"no cell: nothing merges", 0, {inversion}, {{0.8, 1.6, 2.0}}, 3, site, 0, 0.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SceneState s = BlobMap({{site, 4}, {copy, 3.9}, {partner, 3.5}}, 31, 0.4, -1, c.cell);
        for (const Vec3& a : c.atoms)
            testing::AddAtom(s, "C   ", float(a[0]), float(a[1]), float(a[2]));
        const auto peaks = FindPeaks(s, {1.0, 50, c.ops});
        ASSERT_EQ(peaks.size(), c.found);
        EXPECT_LT(Dist(peaks[0].Position, c.first), 0.01);
        EXPECT_EQ(peaks[0].NearestAtom, c.nearest);
        EXPECT_NEAR(peaks[0].Distance, c.distance, 0.01);
        EXPECT_LT(Dist(SceneToFractional(s, peaks[0].Position), peaks[0].Fractional), 1e-9);
    }
}

TEST(FindPeakAlongRayOrInSection, FirstBlobAboveTheLimitFromTheViewerOrAroundThePointer) {
    // Blob A lies in front of the higher blob B along z; C lies in A's
    // section; D is wide, for rays that pass it four grid steps off its top.
    const std::vector<Blob> blobs = {{{3.1, 2.95, 2.8}, 2},
                                     {{3.0, 3.0, 7.2}, 4},
                                     {{7.0, 7.0, 2.8}, 4},
                                     {{8.3, 5.85, 6.9}, 4, 1}};
    const SceneState s = BlobMap(blobs);
    const double k = 10 / std::sqrt(3.0);
    const struct {
        const char* what;
        Vec3 origin, direction;  // no direction: pointer (x, y) in section z
        int blob;                // -1: nothing
    } cases[] = {
        {"off-centre through A and B: the nearer", {3.3, 2.8, -5}, {0, 0, 1}, 0},
        {"grazing A, B behind: A", {3.92, 2.95, -5}, {0, 0, 1}, 0},
        {"from the other side: B", {3.2, 3.1, 15}, {0, 0, -2}, 1},
        {"starting between them: B", {3.0, 3.0, 5}, {0, 0, 1}, 1},
        {"oblique through A", {3.1 - k, 2.95 - k, 2.9 - k}, {1, 1, 1}, 0},
        {"beside D: uphill along x", {9.9, 5.85, 15}, {0, 0, -1}, 3},
        {"beside D: uphill along y", {8.3, 4.25, -5}, {0, 0, 1}, 3},
        {"beside D: uphill along z", {-5, 5.85, 8.5}, {1, 0, 0}, 3},
        {"beside D: uphill along x and z", {7.1, -5, 5.7}, {0, 1, 0}, 3},
        {"missing every blob", {5.5, 5.5, -5}, {0, 0, 1}, -1},
        {"missing the grid", {-5, -5, -5}, {-1, 0, 0}, -1},
        {"inside A's contour region (C is higher)", {3.4, 3.3, 8}, {}, 0},
        {"inside C's contour region", {6.7, 7.2, 8}, {}, 2},
        {"between the contour regions", {5.0, 5.0, 8}, {}, -1},
        {"an empty section", {3.1, 2.95, 1}, {}, -1},
        {"a section outside the grid", {12, 3, 8}, {}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto p = c.direction == Vec3{}
                           ? FindPeakInSection(s, int(c.origin[2]), c.origin[0], c.origin[1], 0.5)
                           : FindPeakAlongRay(s, c.origin, c.direction, 0.5);
        ASSERT_EQ(p.has_value(), c.blob >= 0);
        if (p) {
            EXPECT_LT(Dist(*p, blobs[c.blob].c), 0.1);
        }
    }
}

TEST(FindPeaksCommand, AddsPeaksAboveTheLowestShownLayerOnceAndUpToTheCapacity) {
    // Three Gaussian blobs of heights 4, 3 and 1.5 on a 30^3 grid of step 0.3,
    // in a cubic cell of edge 9 (one period of the grid).
    SceneState s = BlobMap({{{2.13, 3.05, 4.4}, 4}, {{6.3, 2.2, 5.9}, 3}, {{4.5, 7.1, 1.7}, 1.5}},
                           30, 0.3, 0, 9);
    s.map.MapGrid.DensityMean = 0.05;
    s.map.MapGrid.DensityRms = 0.3;
    const float shift[3] = {0.1f, 0.2f, 0.3f};  // cancels in every distance
    std::copy(shift, shift + 3, s.map.CellShift);
    // Layers 2 (2.0) and 3 (1.0) shown, layer 1 (0.5) not: the level is 1.0.
    s.layers.LayerLimit[1] = 0.5f, s.layers.LayerLimit[2] = 2.0f, s.layers.LayerLimit[3] = 1.0f;
    s.layers.LayerVisible[2] = s.layers.LayerVisible[3] = kTrue;
    // A picked peak at the second blob, one lattice period and 0.2 (less than
    // a step) away.
    AddPeak(s, 6.5f - 9, 2.2f, 5.9f);
    const FoundPeaksReport r = AddFoundPeaks(s);
    EXPECT_EQ(
        FoundPeaksText(s, r),
        "Find Peaks: 2 peaks above 1 (layer 3, 3.167 \u03c3) added to the peak list, now 3 in "
        "all; 1 found already listed");
    ASSERT_EQ(s.peaks.PeakCount, 3);
    EXPECT_NEAR(s.peaks.PeakList[1][0], 2.13, 0.01);  // the highest first
    EXPECT_NEAR(s.peaks.PeakList[2][1], 7.1, 0.01);
    // Again: everything is listed already.
    AddFoundPeaks(s);
    EXPECT_EQ(s.peaks.PeakCount, 3);

    // One place left: the highest new peak takes it and the list is full.
    for (auto& row : s.peaks.PeakList) row[0] = row[1] = row[2] = 8.5f;
    s.peaks.PeakCount = kMaxPeaks - 1;
    EXPECT_TRUE(AddFoundPeaks(s).full);
    EXPECT_EQ(s.peaks.PeakCount, kMaxPeaks);
    EXPECT_NEAR(s.peaks.PeakList[kMaxPeaks - 1][0], 2.13, 0.01);

    // No layer shown: nothing.
    s.layers.LayerVisible[2] = s.layers.LayerVisible[3] = kFalse;
    s.peaks.PeakCount = 0;
    EXPECT_EQ(AddFoundPeaks(s).layer, 0);
    EXPECT_EQ(s.peaks.PeakCount, 0);
}

}  // namespace
}  // namespace eld
