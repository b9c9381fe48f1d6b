// Edit > Find Peaks: which level, what is added, what is skipped, capacity.
#include "mapdata/peak_finding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace eld {
namespace {

// Three Gaussian blobs of heights 4, 3 and 1.5 on a 30^3 grid of step 0.3, in
// a cubic cell of edge 9 (one period of the grid).
SceneState ThreeBlobs() {
    const double c[3][3] = {{2.13, 3.05, 4.4}, {6.3, 2.2, 5.9}, {4.5, 7.1, 1.7}};
    const double h[3] = {4, 3, 1.5};
    SceneState s;
    s.map.DensityGrid.Create(30, 30, 30);
    s.map.CellMatrix = {{{9, 0, 0}, {0, 9, 0}, {0, 0, 9}}};
    for (int k = 0; k < 6; ++k) s.map.CellParameters[k] = k < 3 ? 9.0f : 90.0f;
    for (int a = 0; a < 3; ++a) {
        s.map.MapGrid.GridPoints[a] = 30;
        s.map.MapGrid.GridStep[a] = 0.3f;
    }
    for (int i = 1; i <= 30; ++i)
        for (int j = 1; j <= 30; ++j)
            for (int k = 1; k <= 30; ++k) {
                const double p[3] = {(i - 1) * 0.3, (j - 1) * 0.3, (k - 1) * 0.3};
                double v = 0;
                for (int b = 0; b < 3; ++b) {
                    double r2 = 0;
                    for (int a = 0; a < 3; ++a) r2 += std::pow(p[a] - c[b][a], 2);
                    v += h[b] * std::exp(-r2 / (2 * 0.5 * 0.5));
                }
                s.map.DensityGrid.at(i, j, k) = float(v);
            }
    s.map.MapGrid.DensityMean = 0.05;
    s.map.MapGrid.DensityRms = 0.25;
    return s;
}

TEST(FindPeaksCommand, AddsPeaksAboveTheLowestShownLayerOnceAndUpToTheCapacity) {
    SceneState s = ThreeBlobs();
    // Layers 2 (2.0) and 3 (1.0) shown, layer 1 (0.5) not: the level is 1.0.
    s.layers.LayerLimit[1] = 0.5f, s.layers.LayerLimit[2] = 2.0f, s.layers.LayerLimit[3] = 1.0f;
    s.layers.LayerVisible[2] = s.layers.LayerVisible[3] = kTrue;
    // A picked peak at the second blob, one lattice period away.
    s.peaks.PeakList[0][0] = 6.3f - 9, s.peaks.PeakList[0][1] = 2.2f, s.peaks.PeakList[0][2] = 5.9f;
    s.peaks.PeakCount = 1;
    FoundPeaksReport r = AddFoundPeaks(s);
    EXPECT_EQ(r.layer, 3);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.already, 1);
    ASSERT_EQ(s.peaks.PeakCount, 3);
    EXPECT_NEAR(s.peaks.PeakList[1][0], 2.13, 0.01);  // the highest first
    EXPECT_NEAR(s.peaks.PeakList[2][1], 7.1, 0.01);
    EXPECT_EQ(FoundPeaksText(s, r),
              "Find Peaks: 2 peaks above 1 (layer 3, 3.8 \u03c3) added to the peak list, now 3 in "
              "all; 1 found already listed");
    // Again: everything is listed already.
    r = AddFoundPeaks(s);
    EXPECT_EQ(r.added, 0);
    EXPECT_EQ(s.peaks.PeakCount, 3);

    // One place left: the highest new peak takes it and the list is full.
    for (auto& row : s.peaks.PeakList) row[0] = row[1] = row[2] = 8.5f;
    s.peaks.PeakCount = kMaxPeaks - 1;
    r = AddFoundPeaks(s);
    EXPECT_EQ(r.added, 1);
    EXPECT_TRUE(r.full);
    EXPECT_EQ(s.peaks.PeakCount, kMaxPeaks);
    EXPECT_NEAR(s.peaks.PeakList[kMaxPeaks - 1][0], 2.13, 0.01);

    // No layer shown: nothing.
    s.layers.LayerVisible[2] = s.layers.LayerVisible[3] = kFalse;
    s.peaks.PeakCount = 0;
    r = AddFoundPeaks(s);
    EXPECT_EQ(r.layer, 0);
    EXPECT_EQ(s.peaks.PeakCount, 0);
}

}  // namespace
}  // namespace eld
