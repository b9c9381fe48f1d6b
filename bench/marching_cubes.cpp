// Marching-cubes extraction speed: a 256^3 smooth density (a sum of Gaussian
// atoms) at three limits, and a 128^3 noise grid at sparse and dense limits.
// Counters: ns_per_cube and cubes_per_s over all (N1-1)(N2-1)(N3-1) cubes,
// triangles per extraction. bench/peers.py compares the same grids with other
// marching-cubes implementations.
#include "surface/marching_cubes.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <exception>
#include <fstream>
#include <functional>
#include <random>
#include <vector>

#include "mapdata/data_files.h"

namespace {

using eld::SceneState;

void SetGrid(SceneState& s, int n) {
    for (int a = 0; a < 3; ++a) {
        s.map.MapGrid.GridPoints[a] = float(n);
        s.map.MapGrid.GridOrigin[a] = 0.0f;
        s.map.MapGrid.GridStep[a] = 0.5f;
    }
    s.map.DensityGrid.Create(n, n, n);
}

// 500 atoms, sigma 1.2..3 grid steps, peak 10.
const SceneState& Smooth() {
    static SceneState* s = [] {
        auto* st = new SceneState;
        const int n = 256;
        SetGrid(*st, n);
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> u(0.0f, 1.0f);
        for (int a = 0; a < 500; ++a) {
            float c[3] = {1 + u(rng) * n, 1 + u(rng) * n, 1 + u(rng) * n};
            float sigma = 1.2f + 1.8f * u(rng);
            int r = int(std::ceil(4 * sigma));
            int lo[3], hi[3];
            for (int d = 0; d < 3; ++d) {
                lo[d] = std::max(1, int(c[d]) - r);
                hi[d] = std::min(n, int(c[d]) + r);
            }
            for (int i = lo[0]; i <= hi[0]; ++i)
                for (int j = lo[1]; j <= hi[1]; ++j)
                    for (int k = lo[2]; k <= hi[2]; ++k) {
                        float r2 = (i - c[0]) * (i - c[0]) + (j - c[1]) * (j - c[1]) +
                                   (k - c[2]) * (k - c[2]);
                        st->map.DensityGrid.at(i, j, k) +=
                            10.0f * std::exp(-r2 / (2 * sigma * sigma));
                    }
        }
        return st;
    }();
    return *s;
}

const SceneState& Noise() {
    static SceneState* s = [] {
        auto* st = new SceneState;
        SetGrid(*st, 128);
        std::mt19937 rng(2);
        std::uniform_real_distribution<float> u(0.0f, 1.0f);
        for (int i = 1; i <= 128; ++i)
            for (int j = 1; j <= 128; ++j)
                for (int k = 1; k <= 128; ++k) st->map.DensityGrid.at(i, j, k) = u(rng);
        return st;
    }();
    return *s;
}

const eld::CellTable& Table() {
    static eld::CellTable* t = [] {
        auto* table = new eld::CellTable;
        // Benchmarks live in bench/, the data files beside the programs in bin/.
        std::string path = eld::DataFilePath(eld::FindDataFolder(), "cell_table.dat");
        if (!std::ifstream(path))
            path = eld::DataFilePath(eld::ExecutableFolder() + "/../bin", "cell_table.dat");
        eld::ReadCellTable(*table, path);
        return table;
    }();
    return *t;
}

void Run(benchmark::State& state, const SceneState& s, float limit, int threads, int capacity,
         const std::function<void(int)>& progress = {}) {
    std::vector<eld::SurfaceTriangle> store(capacity);  // touched once, outside the timing
    const eld::MapGridRecord& g = s.map.MapGrid;
    const double cubes = double(g.N(1) - 1) * (g.N(2) - 1) * (g.N(3) - 1);
    int n = 0;
    for (auto _ : state) {
        n = eld::ExtractSurface(g, s.map.DensityGrid, Table(), limit, store.data(), capacity,
                                threads, progress);
        benchmark::DoNotOptimize(store.data());
    }
    state.counters["triangles"] = n;
    state.counters["ns_per_cube"] =
        benchmark::Counter(cubes * 1e-9 * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["cubes_per_s"] =
        benchmark::Counter(cubes * double(state.iterations()), benchmark::Counter::kIsRate);
}

// args: limit x 100, threads (0 = one per core)
void BM_Smooth256(benchmark::State& state) {
    Run(state, Smooth(), float(state.range(0)) / 100.0f, int(state.range(1)),
        eld::kMaxTrianglesPerLayer);
}
BENCHMARK(BM_Smooth256)
    ->ArgsProduct({{100, 300, 500}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The viewer's case: a progress report before every slab of axis 1.
void BM_Smooth256Progress(benchmark::State& state) {
    int last = -1;
    Run(state, Smooth(), float(state.range(0)) / 100.0f, int(state.range(1)),
        eld::kMaxTrianglesPerLayer,
        [&last](int percent) { benchmark::DoNotOptimize(last = percent); });
}
BENCHMARK(BM_Smooth256Progress)
    ->ArgsProduct({{100}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// args: limit x 1000, threads. The dense limit 0.9 (about 1.9 million
// triangles) needs a store larger than a layer's 400 000 triangles.
void BM_Noise128(benchmark::State& state) {
    float limit = float(state.range(0)) / 1000.0f;
    Run(state, Noise(), limit, int(state.range(1)),
        limit < 0.95f ? 3000000 : eld::kMaxTrianglesPerLayer);
}
BENCHMARK(BM_Noise128)
    ->ArgsProduct({{990, 995, 900}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
