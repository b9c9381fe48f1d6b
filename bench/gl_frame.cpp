// Frame cost on the software rasteriser (OSMesa, llvmpipe) in the display mode
// the viewer runs (interlaced stereo, two eyes per frame) at its opening
// window size: the frame that recompiles display list 1, the frames that only
// replay it, and the spin rate (one spin step plus one frame). Wall-clock
// time: llvmpipe rasterises on its own threads.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

#include "gl/gl_setup.h"
#include "gl/osmesa_context.h"
#include "mapdata/data_files.h"
#include "render/frame.h"
#include "surface/layer_properties.h"
#include "surface/marching_cubes.h"
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
        for (int c = 0; c < 3; ++c)
            s.layers.SurfaceColour[L][c] = s.layers.ContourColour[L][c] = colours[L][c];
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

// A 256^3 map at 0.5 A of about 175 000 Gaussian atoms (one per 12 A^3, as
// in a protein crystal) centred on the scene origin, at its default layers,
// drawn within a 10 A map radius.
constexpr int kRadiusGrid = 256;
constexpr float kRadiusStep = 0.5f;
constexpr float kMapRadius = 10.0f;

const eld::DensityGridArray& ProteinLikeDensity() {
    static const eld::DensityGridArray* grid = [] {
        auto* d = new eld::DensityGridArray;
        const int n = kRadiusGrid;
        d->Create(n, n, n);
        std::mt19937 rng(3);
        std::uniform_real_distribution<float> jitter(-0.8f, 0.8f), height(0.6f, 1.4f);
        const float spacing = 2.3f / kRadiusStep, sigma = 0.8f / kRadiusStep;
        const int reach = 5;
        for (float a = 1; a <= n; a += spacing)
            for (float b = 1; b <= n; b += spacing)
                for (float c = 1; c <= n; c += spacing) {
                    const float p[3] = {a + jitter(rng) * spacing / 2,
                                        b + jitter(rng) * spacing / 2,
                                        c + jitter(rng) * spacing / 2};
                    const float h = 10 * height(rng);
                    int lo[3], hi[3];
                    for (int k = 0; k < 3; ++k) {
                        lo[k] = std::max(1, int(p[k]) - reach);
                        hi[k] = std::min(n, int(p[k]) + reach);
                    }
                    for (int i = lo[0]; i <= hi[0]; ++i)
                        for (int j = lo[1]; j <= hi[1]; ++j)
                            for (int k = lo[2]; k <= hi[2]; ++k) {
                                const float r2 = (i - p[0]) * (i - p[0]) + (j - p[1]) * (j - p[1]) +
                                                 (k - p[2]) * (k - p[2]);
                                d->at(i, j, k) += h * std::exp(-r2 / (2 * sigma * sigma));
                            }
                }
        return d;
    }();
    return *grid;
}

void RadiusScene(SceneState& s) {
    s.program.DataFolder = eld::ExecutableFolder() + "/../bin";
    for (int a = 0; a < 3; ++a) {
        s.map.MapGrid.GridPoints[a] = kRadiusGrid;
        s.map.MapGrid.GridOrigin[a] = -0.5f * (kRadiusGrid - 1) * kRadiusStep;
        s.map.MapGrid.GridStep[a] = kRadiusStep;
    }
    s.map.DensityGrid = ProteinLikeDensity();
    const auto [lo, hi] =
        std::minmax_element(s.map.DensityGrid.values.begin(), s.map.DensityGrid.values.end());
    s.map.MapGrid.DensityMin = *lo;
    s.map.MapGrid.DensityMax = *hi;
    eld::SetLayersProperites(s, *lo, *hi);
    s.surfaces.ContourLayer = kRadiusGrid / 2;
    s.switches.ShowAtoms = eld::kFalse;
    s.switches.MapRadius = kMapRadius;
    eld::CentreRegionOnView(s);
    eld::ExtractFields(s);
}

enum SceneKind { kSmall = 0, kLarge = 1, kRadius = 2 };

struct Fixture {
    eld::OsMesaContext gl{kWidth, kHeight};
    SceneState s;
    Fixture(int scene, int style, bool interlaced = true) {
        eld::InitDefaultState();
        s.program.DisplayMode =
            interlaced ? eld::StereoMode::StereoInterlaced : eld::StereoMode::NoStereo;
        if (scene == kLarge) {
            LargeScene(s);
        } else if (scene == kRadius) {
            RadiusScene(s);
        } else {
            SmallScene(s);
        }
        s.switches.SurfaceStyle = static_cast<std::int16_t>(style);
        eld::ResizeFrame(s, kWidth, kHeight);
    }
    void Frame() {
        eld::PaintFrame(s, kWidth, kHeight);
        glFinish();
    }
};

long Triangles(const SceneState& s) {
    return static_cast<long>(s.surfaces.TriangleCount[1]) + s.surfaces.TriangleCount[2] +
           s.surfaces.TriangleCount[3];
}

// range(0): 0 small scene, 1 three layers of 100 000; range(1): surface style.
void BM_CompileFrame(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
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
    Fixture f(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
              state.range(2) == 0);
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
void Spin(benchmark::State& state, int scene) {
    Fixture f(scene, 1);
    f.Frame();
    eld::Trackball(f.s.view.SpinQuaternion, 0.0f, 0.0f, 0.02f, 0.01f);
    f.s.view.SpinActive = eld::kTrue;
    for (auto _ : state) {
        eld::SpinStep(f.s);
        f.Frame();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["triangles"] = static_cast<double>(Triangles(f.s));
}
void BM_SpinRate(benchmark::State& state) {
    Spin(state, static_cast<int>(state.range(0)));
}
BENCHMARK(BM_SpinRate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// The 256^3 map within a 10 A radius: the layers hold only what lies near
// the centre of view.
void BM_SpinRateRadius(benchmark::State& state) {
    Spin(state, kRadius);
}
BENCHMARK(BM_SpinRateRadius)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// A pan key on the 256^3 map within 10 A: the region follows the centre of
// view (re-extraction of the three layers and the contours), then the frame
// that recompiles the list. The extraction alone is the "extract_ms" counter.
void BM_RegionFollowsPan(benchmark::State& state) {
    Fixture f(kRadius, 1);
    f.Frame();
    double extract = 0;
    for (auto _ : state) {
        eld::PanView(f.s, eld::PanKey::Left);
        const auto t0 = std::chrono::steady_clock::now();
        eld::CentreRegionOnView(f.s);
        eld::ExtractFields(f.s);
        extract += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        f.Frame();
    }
    state.counters["extract_ms"] = 1000 * extract / static_cast<double>(state.iterations());
    state.counters["triangles"] = static_cast<double>(Triangles(f.s));
}
BENCHMARK(BM_RegionFollowsPan)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
