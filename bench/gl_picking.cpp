// Selection picking on full triangle stores: every triangle of the layer is
// sent through the pick region, so a right click costs one pass over the layer.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>

#include "render/frame.h"
#include "picking/picking.h"
#include "gl/osmesa_context.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// A layer of `n` triangles: a closed sphere-like shell of latitude and
// longitude bands around (0, 0, 0), radius 4, like an iso-surface of one blob.
void FillSphere(eld::SceneState& s, int n) {
    auto& tri = s.surfaces.Triangles[1];
    tri.clear();
    const int bands = static_cast<int>(std::sqrt(n / 2.0));
    const float r = 4.0f;
    auto at = [&](int i, int j) {
        const float th = static_cast<float>(M_PI) * i / bands;
        const float ph = 2.0f * static_cast<float>(M_PI) * j / bands;
        return eld::XYZ{r * std::sin(th) * std::cos(ph), r * std::sin(th) * std::sin(ph),
                        r * std::cos(th)};
    };
    for (int i = 0; i < bands; ++i) {
        for (int j = 0; j < bands; ++j) {
            tri.push_back({{at(i, j), at(i + 1, j), at(i + 1, j + 1)}});
            tri.push_back({{at(i, j), at(i + 1, j + 1), at(i, j + 1)}});
        }
    }
    s.surfaces.TriangleCount[1] = static_cast<int>(tri.size());
    s.layers.LayerVisible[1] = eld::kTrue;
}

void BM_PickOnSurface(benchmark::State& state) {
    eld::OsMesaContext gl(564, 494);
    eld::SceneState s;
    eld::ResizeFrame(s, 564, 494);
    FillSphere(s, static_cast<int>(state.range(0)));
    eld::ScriptedDialogs dialogs;
    // A mouse position whose line of sight crosses the shell in the middle of
    // two triangles (one pixel on a shared edge hits three), away from the
    // poles where the triangles crowd.
    float mx = 370.3f, my = 200.7f;
    bool found = false;
    for (int k = 0; k < 20 && !found; ++k) {
        mx = 370.3f + 3.1f * k;
        found = eld::PickOnSurface(s, dialogs, mx, my);
    }
    for (auto _ : state) {
        found = eld::PickOnSurface(s, dialogs, mx, my);
        benchmark::DoNotOptimize(found);
    }
    state.counters["triangles"] = s.surfaces.TriangleCount[1];
    state.counters["found"] = found;
    state.SetItemsProcessed(state.iterations() * s.surfaces.TriangleCount[1]);
}
BENCHMARK(BM_PickOnSurface)->Arg(10000)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

void BM_PickOnSection(benchmark::State& state) {
    eld::OsMesaContext gl(564, 494);
    eld::SceneState s;
    eld::ResizeFrame(s, 564, 494);
    bool found = false;
    for (auto _ : state) {
        found = eld::PickOnSection(s, 290.3f, 240.7f, -5, 5, -4, 4, 0);
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_PickOnSection)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
