// Reading a CCP4 map that stores part of its cell (400 x 400 x 2 points of a
// cell sampled 400^3) with a space group of 2 operations, which cannot fill
// the cell: the reader keeps the stored points without first expanding to
// the whole cell (64M points) only to find it half empty.
#include "mapdata/read_ccp4.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/map_files.h"

namespace {

std::string PartOfACell(int space_group) {
    using eld::bench::PutFloat, eld::bench::PutInt;
    std::string b;
    for (int v : {400, 400, 2, 0, 0, 0, 0, 400, 400, 400}) PutInt(b, v);  // N, mode, start, M
    for (float v : {100.f, 100.f, 100.f, 90.f, 90.f, 90.f}) PutFloat(b, v);
    for (int v : {1, 2, 3}) PutInt(b, v);
    b.resize(88, '\0');
    PutInt(b, space_group);
    b.resize(1024, '\0');
    std::memcpy(&b[208], "MAP DA", 6);  // DA: little-endian stamp
    for (int n = 0; n < 400 * 400 * 2; ++n) b += char(n % 200);
    return b;
}

void BM_ReadCcp4PartOfACell(benchmark::State& state) {
    const std::string bytes = PartOfACell(int(state.range(0)));
    for (auto _ : state) {
        const eld::ForeignMap m = eld::ReadCcp4MapBuffer(bytes, "part.ccp4");
        benchmark::DoNotOptimize(m.Values.data());
    }
    state.SetLabel(state.range(0) == 1 ? "P1" : "P21");
}
BENCHMARK(BM_ReadCcp4PartOfACell)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
