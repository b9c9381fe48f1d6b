// Resampling a triclinic map onto an axis-aligned grid (eldmap convert of a
// non-orthogonal crystal map): points per second of the trilinear loop.
#include <benchmark/benchmark.h>

#include <cmath>

#include "mapdata/convert_map.h"
#include "mapdata/resample.h"

namespace {

eld::ForeignMap Triclinic(int n) {
    const double cell[6] = {20.5, 20.9, 26.1, 101.2, 97.0, 118.1};  // a protein-like P-1 cell
    eld::ForeignMap m;
    m.SourcePath = "bench";
    m.Cell = eld::OrthogonalisationMatrix(cell);
    for (int a = 0; a < 3; ++a) {
        m.N[a] = m.Sampling[a] = n;
        m.Periodic[a] = true;
    }
    m.Values.resize(static_cast<std::size_t>(n) * n * n);
    for (std::size_t i = 0; i < m.Values.size(); ++i)
        m.Values[i] = static_cast<float>(std::sin(0.001 * static_cast<double>(i)));
    return m;
}

void BM_ResampleWholeCell(benchmark::State& state) {
    const eld::ForeignMap m = Triclinic(static_cast<int>(state.range(0)));
    const eld::AxisGrid g = eld::ResampleGrid(m, {});
    std::size_t points = 0;
    for (auto _ : state) {
        std::vector<float> v = eld::ResampleOnto(m, g, 0.0f);
        benchmark::DoNotOptimize(v.data());
        points += v.size();
    }
    state.counters["points"] = static_cast<double>(g.N[0]) * g.N[1] * g.N[2];
    state.counters["points_per_s"] =
        benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ResampleWholeCell)->Arg(48)->Arg(96)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
