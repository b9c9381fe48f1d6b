// Reading a 200 x 200 x 200 map in each format from memory (the parsers) and
// from a file (with the read of the file). Reports MB/s of map file.
#include <benchmark/benchmark.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/map_files.h"
#include "mapdata/input_file.h"
#include "mapdata/read_map.h"

namespace {

constexpr int kN = 200;

using eld::bench::Value;

// Values as a map program writes them: fixed decimals, several per line.
void PutText(std::string& t, float v, int& col) {
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 5);
    (void)ec;
    t.append(buf, p);
    t += (++col % 8 == 0) ? '\n' : ' ';
}

std::string Mt1() {
    std::string b;
    eld::bench::WriteMt1(kN, 0.05f, [&b](const std::string& part) { b += part; });
    return b;
}

std::string Fou() {
    std::string t = "bench\nbench\n1 0 0 0 1 0 0 0 1 0 0 0 cell\n10 10 10 90 90 90\nskip\n";
    for (int a = 0; a < 3; ++a) t += "0 0.05 0 0 axis\n";
    t += "200 200 200\n";
    for (int i3 = 1; i3 <= kN; ++i3) {
        t += "section\n" + std::to_string(i3) + "\n";
        int col = 0;
        for (int i1 = 1; i1 <= kN; ++i1)
            for (int i2 = 1; i2 <= kN; ++i2) PutText(t, Value(i1, i2, i3), col);
        if (t.back() != '\n') t += '\n';
    }
    t += "end\n0 14\n";
    return t;
}

std::string Grd() {
    std::string t = "1\n2\n3\n4\n200 200 200\n0 0 0\n10 10 10\nnext\n0\n1\n2\n3\n";
    int col = 0;
    for (int i3 = 1; i3 <= kN; ++i3)
        for (int i2 = 1; i2 <= kN; ++i2)
            for (int i1 = 1; i1 <= kN; ++i1) PutText(t, Value(i1, i2, i3), col);
    return t;
}

const std::string& Bytes(int format) {
    static const std::string maps[3] = {Mt1(), Fou(), Grd()};
    return maps[format];
}
const char* kNames[3] = {"m.mt1", "m.fou", "m.grd"};

void BM_ReadMapBuffer(benchmark::State& state) {
    const int f = int(state.range(0));
    const std::string& b = Bytes(f);
    for (auto _ : state) {
        eld::SceneState s;
        eld::ReadMapFileBuffer(s, b, kNames[f]);
        benchmark::DoNotOptimize(s.map.MapGrid.DensityMax);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
    state.SetLabel(std::string(kNames[f] + 2) + ", " + std::to_string(b.size() >> 20) + " MiB");
}
BENCHMARK(BM_ReadMapBuffer)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ReadMapFile(benchmark::State& state) {
    const int f = int(state.range(0));
    const std::string& b = Bytes(f);
    const std::string path = eld::bench::ScratchPath(std::string(".") + (kNames[f] + 2));
    std::ofstream(path, std::ios::binary) << b;
    for (auto _ : state) {
        eld::SceneState s;
        eld::ReadMapFile(s, path);
        benchmark::DoNotOptimize(s.map.MapGrid.DensityMax);
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
    state.SetLabel(kNames[f] + 2);
}
BENCHMARK(BM_ReadMapFile)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The file read alone through the 1 MiB chunks the readers use, to tell I/O
// from parsing.
void BM_ReadFileChunks(benchmark::State& state) {
    const std::string& b = Bytes(1);
    const std::string path = eld::bench::ScratchPath("");
    std::ofstream(path, std::ios::binary) << b;
    std::string chunk(1 << 20, '\0');
    for (auto _ : state) {
        eld::InputFile f(path, "map file");
        while (f.Read(chunk.data(), chunk.size()) > 0) benchmark::DoNotOptimize(chunk.data());
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(b.size()));
}
BENCHMARK(BM_ReadFileChunks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
