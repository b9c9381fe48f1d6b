// The peak search on a 256^3 map: 3000 Gaussian atoms at random places over
// noise, searched at 3 sigma for the 50 highest peaks with the nearest of the
// 3000 model atoms; plus its parts and one pick along a ray.
#include "mapdata/peak_search.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "mapdata/map_read_common.h"

namespace {

const eld::SceneState& Map256() {
    static const eld::SceneState s = [] {
        const int n = 256;
        const float step = 0.4f;
        eld::SceneState m;
        m.map.DensityGrid.Create(n, n, n);
        for (int a = 0; a < 3; ++a) {
            m.map.MapGrid.GridPoints[a] = n;
            m.map.MapGrid.GridStep[a] = step;
        }
        const float edge = (n - 1) * step;
        m.map.CellMatrix = {{{edge, 0, 0}, {0, edge, 0}, {0, 0, edge}}};
        for (int k = 0; k < 6; ++k) m.map.CellParameters[k] = k < 3 ? edge : 90.0f;
        std::mt19937 rng(16);
        std::normal_distribution<float> noise(0.0f, 0.05f);
        for (float& v : m.map.DensityGrid.values) v = noise(rng);
        // Each atom touches the points within 4 steps of its centre.
        std::uniform_real_distribution<float> u(5.0f, n - 5.0f);
        for (int atom = 0; atom < 3000; ++atom) {
            const float c[3] = {u(rng), u(rng), u(rng)};
            m.map.AtomNames.push_back("C   ");
            m.map.AtomData.push_back({(c[0] - 1) * step, (c[1] - 1) * step, (c[2] - 1) * step});
            for (int i = int(c[0]) - 4; i <= int(c[0]) + 4; ++i)
                for (int j = int(c[1]) - 4; j <= int(c[1]) + 4; ++j)
                    for (int k = int(c[2]) - 4; k <= int(c[2]) + 4; ++k) {
                        const float r2 = (i - c[0]) * (i - c[0]) + (j - c[1]) * (j - c[1]) +
                                         (k - c[2]) * (k - c[2]);
                        m.map.DensityGrid.at(i, j, k) += std::exp(-r2 * step * step / 0.5f);
                    }
        }
        m.map.AtomCount = int(m.map.AtomData.size());
        eld::mapread::SetMeanAndRms(m);
        return m;
    }();
    return s;
}

double Sigmas(double n) {
    const eld::MapGridRecord& g = Map256().map.MapGrid;
    return g.DensityMean + n * g.DensityRms;
}

void BM_FindPeaks256(benchmark::State& state) {
    const eld::SceneState& s = Map256();
    const double level = Sigmas(3);
    size_t found = 0;
    for (auto _ : state) {
        found = eld::FindPeaks(s, {level, 50, {}}).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["peaks"] = double(found);
}
BENCHMARK(BM_FindPeaks256)->Unit(benchmark::kMillisecond);

// The scan for maxima alone, at 1.5 and 3 sigma (the search scans from half
// way to its level).
void BM_LocalMaxima256(benchmark::State& state) {
    const eld::SceneState& s = Map256();
    const double level = Sigmas(state.range(0) / 10.0);
    size_t found = 0;
    for (auto _ : state) {
        found = eld::GridLocalMaxima(s, level).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["maxima"] = double(found);
}
BENCHMARK(BM_LocalMaxima256)->Arg(15)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_PeakAlongRay256(benchmark::State& state) {
    const eld::SceneState& s = Map256();
    // Along the cube's diagonal with a limit nothing reaches: the longest
    // march through the grid.
    const double limit = Sigmas(3) * 1e3;
    for (auto _ : state)
        benchmark::DoNotOptimize(eld::FindPeakAlongRay(s, {-1, -1, -1}, {1, 1, 1}, limit));
}
BENCHMARK(BM_PeakAlongRay256)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
