// Peak resident memory of reading a 512 x 512 x 512 .mt1 map, over the file
// size. Each read runs in a fresh process (this program started again with
// --read-child) so the peak is the reader's alone; the parent takes it from
// wait4's ru_maxrss. The counter peak_over_file is the ratio, read_MBps the
// speed of the child's read (wall clock and per CPU second).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/map_files.h"
#include "mapdata/read_map.h"

namespace {

constexpr int kN = 512;
std::string g_self;

void WriteMt1(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    eld::bench::WriteMt1(kN, 0.02f, [&out](const std::string& b) { out << b; });
}

// The child: one read, its time in microseconds on stdout.
int ReadChild(const char* path) {
    const auto t0 = std::chrono::steady_clock::now();
    eld::SceneState s;
    eld::ReadMapFile(s, path);
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - t0);
    std::printf("%lld\n", static_cast<long long>(us.count()));
    return s.map.MapGrid.N(1) == kN ? 0 : 1;
}

void BM_ReadMt1PeakMemory(benchmark::State& state) {
    const std::string path = eld::bench::ScratchPath("_mem.mt1");
    WriteMt1(path);
    const double file_bytes = double(std::filesystem::file_size(path));
    double ratio = 0, mbps = 0, cpu_mbps = 0;
    for (auto _ : state) {
        int fds[2];
        if (::pipe(fds) != 0) state.SkipWithError("pipe");
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(fds[1], 1);
            ::execl(g_self.c_str(), g_self.c_str(), "--read-child", path.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(fds[1]);
        char buf[64] = {};
        const ssize_t got = ::read(fds[0], buf, sizeof buf - 1);
        ::close(fds[0]);
        int status = 0;
        struct rusage ru {};
        ::wait4(pid, &status, 0, &ru);
        if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the reading child failed");
            break;
        }
        ratio = double(ru.ru_maxrss) * 1024.0 / file_bytes;
        mbps = file_bytes / 1e6 / (std::atof(buf) / 1e6);
        const double cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                           1e-6 * double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
        cpu_mbps = file_bytes / 1e6 / cpu;
    }
    std::filesystem::remove(path);
    state.counters["peak_over_file"] = ratio;
    state.counters["read_MBps"] = mbps;
    // Per CPU second of the child (start-up included): steadier on a busy machine.
    state.counters["read_MBps_cpu"] = cpu_mbps;
    state.SetLabel(std::to_string(static_cast<long long>(file_bytes) >> 20) + " MiB .mt1");
}
BENCHMARK(BM_ReadMt1PeakMemory)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read-child") == 0) return ReadChild(argv[2]);
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
