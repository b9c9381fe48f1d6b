// Frame cost on the software rasteriser (OSMesa, llvmpipe) in the display mode
// the viewer runs (interlaced stereo, two eyes per frame) at its opening
// window size: the frame that recompiles display list 1, the frames that only
// replay it, and the spin rate (one spin step plus one frame). Wall-clock
// time: llvmpipe rasterises on its own threads.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "render/frame.h"
#include "gl/gl_setup.h"
#include "mapdata/data_files.h"
#include "surface/marching_cubes.h"
#include "gl/osmesa_context.h"
#include "view/trackball.h"
#include "view/view_control.h"

namespace {

using eld::SceneState;

constexpr int kWidth = 564, kHeight = 494;

// A 32^3 map with a few Gaussian blobs, three layers extracted, a contour
// section and some bonded atoms: about what a small structure shows.
void SmallScene(SceneState& s) {
    // Benchmarks sit in bench/ beside bin/, which holds the data files.
    s.program.DataFolder = eld::ExecutableFolder() + "/../bin";
    const int n = 32;
    for (int a = 0; a < 3; ++a) {
        s.map.MapGrid.GridPoints[a] = n;
        s.map.MapGrid.GridOrigin[a] = -5;
        s.map.MapGrid.GridStep[a] = 10.0f / (n - 1);
    }
    s.map.DensityGrid.Create(n, n, n);
    const float centres[4][3] = {{-2, -1, 0}, {2, 1, 0.5f}, {0, 2.5f, -1}, {0.5f, -2.5f, 1.5f}};
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            for (int k = 1; k <= n; ++k) {
                const float x = -5 + (i - 1) * s.map.MapGrid.GridStep[0];
                const float y = -5 + (j - 1) * s.map.MapGrid.GridStep[1];
                const float z = -5 + (k - 1) * s.map.MapGrid.GridStep[2];
                float v = 0;
                for (const auto& c : centres) {
                    const float d2 =
                        (x - c[0]) * (x - c[0]) + (y - c[1]) * (y - c[1]) + (z - c[2]) * (z - c[2]);
                    v += std::exp(-d2);
                }
                s.map.DensityGrid.at(i, j, k) = v;
            }
    const float limits[4] = {0, 0.1f, 0.3f, 0.5f};
    const float colours[4][3] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    for (int L = 1; L <= 3; ++L) {
        s.layers.LayerLimit[L] = limits[L];
        s.layers.LayerVisible[L] = eld::kTrue;
        for (int c = 0; c < 3; ++c) s.layers.SurfaceColour[L][c] = s.layers.ContourColour[L][c] = colours[L][c];
    }
    s.surfaces.ContourLayer = n / 2;
    eld::ExtractFields(s);
    s.map.AtomCount = 20;
    for (int i = 0; i < s.map.AtomCount; ++i) {
        s.map.AtomNames.push_back(i % 3 ? "C   " : "O   ");
        s.map.AtomData.push_back({-4.0f + 0.4f * i, std::sin(i * 0.7f), std::cos(i * 0.7f)});
        if (i > 0)
            s.map.BondList.push_back(
                eld::Bond{static_cast<std::int16_t>(i - 1), static_cast<std::int16_t>(i)});
    }
    s.map.BondCount = static_cast<int>(s.map.BondList.size());
}

// Three layers of 100 000 small triangles scattered through the view volume.
void LargeScene(SceneState& s) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> pos(-5, 5), step(-0.2f, 0.2f);
    for (int L = 1; L <= 3; ++L) {
        s.surfaces.Triangles[L].resize(100000);
        for (auto& t : s.surfaces.Triangles[L]) {
            const eld::XYZ a{pos(rng), pos(rng), pos(rng)};
            t.v[0] = a;
            t.v[1] = {a.x + step(rng), a.y + step(rng), a.z + step(rng)};
            t.v[2] = {a.x + step(rng), a.y + step(rng), a.z + step(rng)};
        }
        s.surfaces.TriangleCount[L] = 100000;
        s.layers.LayerVisible[L] = eld::kTrue;
        s.layers.SurfaceColour[L][L - 1] = 1;
    }
    s.switches.ShowContourMap = eld::kFalse;
    s.switches.ShowAtoms = eld::kFalse;
}

struct Fixture {
    eld::OsMesaContext gl{kWidth, kHeight};
    SceneState s;
    Fixture(bool large, int style, bool interlaced = true) {
        eld::InitDefaultState();
        s.program.DisplayMode = interlaced ? eld::StereoMode::StereoInterlaced : eld::StereoMode::NoStereo;
        s.switches.SurfaceStyle = static_cast<std::int16_t>(style);
        if (large) {
            LargeScene(s);
        } else {
            SmallScene(s);
        }
        eld::ResizeFrame(s, kWidth, kHeight);
    }
    void Frame() {
        eld::PaintFrame(s, kWidth, kHeight);
        glFinish();
    }
};

long Triangles(const SceneState& s) {
    return static_cast<long>(s.surfaces.TriangleCount[1]) + s.surfaces.TriangleCount[2] + s.surfaces.TriangleCount[3];
}

// range(0): 0 small scene, 1 three layers of 100 000; range(1): surface style.
void BM_CompileFrame(benchmark::State& state) {
    Fixture f(state.range(0) == 1, static_cast<int>(state.range(1)));
    for (auto _ : state) {
        InvalidateScene(f.s);
        f.Frame();
    }
    state.counters["triangles"] = static_cast<double>(Triangles(f.s));
}
BENCHMARK(BM_CompileFrame)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();

// range(2) 1: one central eye with one-pixel lines ("NoStereo") instead.
void BM_ReplayFrame(benchmark::State& state) {
    Fixture f(state.range(0) == 1, static_cast<int>(state.range(1)), state.range(2) == 0);
    f.Frame();
    for (auto _ : state) f.Frame();
    state.counters["triangles"] = static_cast<double>(Triangles(f.s));
}
BENCHMARK(BM_ReplayFrame)
    ->Args({0, 1, 0})
    ->Args({1, 1, 0})
    ->Args({1, 2, 0})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();

// Spin steps per second: the idle loop's step (compose, paint).
void BM_SpinRate(benchmark::State& state) {
    Fixture f(state.range(0) == 1, 1);
    f.Frame();
    eld::Trackball(f.s.view.SpinQuaternion, 0.0f, 0.0f, 0.02f, 0.01f);
    f.s.view.SpinActive = eld::kTrue;
    for (auto _ : state) {
        eld::SpinStep(f.s);
        f.Frame();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SpinRate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
