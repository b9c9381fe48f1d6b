// Export writers: the POV-Ray scene text of a big surface (three cylinders of
// six numbers per triangle), the whole scene streamed to a file, and the TGA
// writer for a window-sized picture.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "export/povray.h"
#include "export/tga.h"

namespace {

// n triangles of a wavy sheet, all in layer 1, with irregular coordinates so
// every number takes its full seven digits.
eld::SceneState Sheet(int n) {
    eld::SceneState s;
    s.switches.ShowAtoms = eld::kFalse;
    s.switches.ShowContourMap = eld::kFalse;
    s.layers.LayerVisible[1] = eld::kTrue;
    s.surfaces.Triangles[1].resize(n);
    for (int t = 0; t < n; ++t) {
        float x = -5.0f + 10.0f * static_cast<float>(t % 997) / 997.0f;
        float y = -5.0f + 10.0f * static_cast<float>(t / 997) / 997.0f;
        for (int k = 0; k < 3; ++k) {
            float dx = 0.0137f * static_cast<float>(k), dy = 0.0211f * static_cast<float>(k == 2);
            s.surfaces.Triangles[1][t].v[k] = {x + dx, y + dy, std::sin(x + dx) * std::cos(y + dy)};
        }
    }
    s.surfaces.TriangleCount[1] = n;
    return s;
}

void BM_PovrayText(benchmark::State& state) {
    const eld::SceneState s = Sheet(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        eld::PovSink out;
        eld::WriteWebGridPov(out, s);
        bytes += out.text.size();
        benchmark::DoNotOptimize(out.text.data());
    }
    state.counters["triangles_per_s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MB_per_s"] =
        benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PovrayText)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PovraySceneFile(benchmark::State& state) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("eld_bench_pov_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / eld::kPovrayHeaderName) << "#version 3.7;\n//END OF FILE\n";
    eld::SceneState s = Sheet(static_cast<int>(state.range(0)));
    s.program.DataFolder = dir.string();
    for (auto _ : state) eld::WritePovrayScene(s, (dir / "scene.pov").string());
    state.counters["file_MB"] = static_cast<double>(fs::file_size(dir / "scene.pov")) / 1e6;
    fs::remove_all(dir);
}
BENCHMARK(BM_PovraySceneFile)->Arg(400000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_TgaWrite(benchmark::State& state) {
    const int w = 1920, h = 1080;
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 3, 90);
    std::string path = (std::filesystem::temp_directory_path() /
                        ("eld_bench_" + std::to_string(::getpid()) + ".tga"))
                           .string();
    for (auto _ : state) {
        eld::SwapRedBlue(px.data(), static_cast<std::size_t>(w) * h);
        eld::WriteTga(path, w, h, px.data());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_TgaWrite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
