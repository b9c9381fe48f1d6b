// FindBonds on 30 000 atoms at the density of an organic crystal (one atom per
// ~11 cubic Angstrom), C/H/N/O mixed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

#include "mapdata/atoms.h"

namespace {

std::string TableFolder() {
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("eld_bench_bonds_" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        std::ofstream f(d / "atompar2.txt");
        f << "No.   vdW    cov    EN    tol   Name\n"
          << "  1   120     31    220   .10    H        1.008\n"
          << "  2   170     76    255   .15    C       12.011\n"
          << "  3   155     71    304   .15    N       14.007\n"
          << "  4   152     66    344   .15    O       15.999\n"
          << "  0\n";
        return d.string();
    }();
    return dir;
}

void BM_FindBonds(benchmark::State& state) {
    const int n = int(state.range(0));
    eld::SceneState s;
    s.program.DataFolder = TableFolder();
    const float side = std::cbrt(11.0f * float(n));
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(0.0f, side);
    const char* names[] = {"C   ", "H   ", "N   ", "O   ", "C   ", "H   "};
    for (int i = 0; i < n; ++i) {
        s.map.AtomNames.push_back(names[rng() % 6]);
        std::array<float, 13> row{};
        row[0] = u(rng);
        row[1] = u(rng);
        row[2] = u(rng);
        s.map.AtomData.push_back(row);
    }
    s.map.AtomCount = n;
    for (auto _ : state) {
        eld::FindBonds(s);
        benchmark::DoNotOptimize(s.map.BondCount);
    }
    state.counters["bonds"] = s.map.BondCount;
}
BENCHMARK(BM_FindBonds)->Arg(3000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(TableFolder());
    return 0;
}
