// The list of shapes of a floating toolbar of 60 buttons (in groups of ten)
// against one layout of the same controls in the same run. The counter
// "ratio" is the shape list's time over one layout's; "candidates" is the
// number of wrap widths the sizing could try, which the ratio must stay far
// below (the list lays out only where a new shape can start).
#include "toolbars/model/DragSizing.h"
#include "toolbars/model/FloatingFrame.h"
#include "toolbars/model/ToolbarLayout.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

std::vector<TLayoutControl> Controls()
{
    std::vector<TLayoutControl> c;
    for (int i = 0; i < 60; ++i) {
        if (i > 0 && i % 10 == 0) c.push_back({0, 0, true, false, true});
        c.push_back({23, 22, false, false, true});
    }
    return c;
}

QSize Layout(const std::vector<TLayoutControl>& C, int Wrap)
{
    TPlacementRequest q;
    q.Orientation = 0;
    q.WrapWidth = Wrap;
    q.Apply = false;
    return ComputePlacement(C, q).ClientSize;
}

template <class F> double BestSeconds(int Repeats, F&& f)
{
    double best = 1e9;
    for (int r = 0; r < Repeats; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void BM_ShapeListOf60Buttons(benchmark::State& state)
{
    const std::vector<TLayoutControl> c = Controls();
    const QSize frame = FrameExtra(TFloatMetrics());
    auto layout = [&](int w) { return Layout(c, w); };
    // One layout, the measure of the physical limit here.
    const double one = BestSeconds(200, [&] {
        for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(Layout(c, 0));
    }) / 100;
    int layouts = 0;
    size_t shapes = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const auto list = BuildShapeList(layout, 23, frame, seRight, &layouts);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        shapes = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    const int candidates = Layout(c, 0).width() - 1 - (23 + 8) + 1;
    state.counters["ratio"] = (seconds / double(state.iterations())) / one;
    state.counters["candidates"] = candidates;
    state.counters["layouts"] = layouts;
    state.counters["shapes"] = double(shapes);
}
BENCHMARK(BM_ShapeListOf60Buttons)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
