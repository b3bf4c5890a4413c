// Scale, rotate and undo of a network of a million nodes and a million links
// with a shape point each, through the transform dialogs' request path, each
// timed against a rebuild of the same network's hash at the same cell size in
// the same run (counter vs_rebuild: the transform's time over the rebuild's).
// Every point moves, so a transform is a walk over the points plus a rebuild.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/edit/TransformRequest.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"

namespace {

constexpr int N = 1000000;

struct TBenchWindow {
    TNetwork Net;
    TWindowSettings Settings;
    TViewRecord View;
    std::mt19937_64 Random{7};
    TExprBinding* Binding = nullptr;

    TBenchWindow()
    {
        View.Settings = &Settings;
        // A million distinct nodes over a 400 km square, each linked to the
        // next in load order through one shape point halfway.
        std::mt19937 rng(2024);
        std::uniform_int_distribution<int32_t> d(-200000, 200000);
        std::vector<std::pair<int32_t, int32_t>> pos;
        pos.reserve(N + N / 8);
        while (pos.size() < size_t(N) + N / 16) pos.emplace_back(d(rng), d(rng));
        std::sort(pos.begin(), pos.end());
        pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
        pos.resize(N);
        std::shuffle(pos.begin(), pos.end(), rng);
        BeginBulkLoad(Net);
        std::vector<TNode*> nodes;
        nodes.reserve(pos.size());
        for (auto [x, y] : pos) {
            RegridHashTable(Net);
            THashEntry* cell;
            TNode* n = AddNode(Net, x, y, cell, false, 0);
            if (!n) std::abort();
            nodes.push_back(n);
        }
        for (size_t i = 0; i < nodes.size(); ++i) {
            TNode* a = nodes[i];
            TNode* b = nodes[(i + 1) % nodes.size()];
            TLink *ha, *hb;
            AddLink(Net, a, b, false, 0, ha, hb);
            RegridHashTable(Net);
            if (!AddShapePoint(Net, (a->X + b->X) / 2 + 1, (a->Y + b->Y) / 2, 0, ha)) std::abort();
        }
        Binding = new TExprBinding(Net, &View, &Random);
    }

    // The OK of a transform dialog.
    bool Request(int kind, const char* a, const char* b)
    {
        TTransformRequest r;
        r.Kind = kind;
        r.Texts = {a, b};
        TMessageSinkRecorder boxes;
        const ExpressionContext context;
        return RunTransformRequest(Net, Settings.Layers.LayerStates, r, context, Binding->Env, boxes,
                                   [this](int k, TTransformParams& p) {
                                       return TransformNetwork(Net, View, Settings, k, p);
                                   })
            .Applied;
    }
    // "&Undo Transform".
    bool Undo()
    {
        TTransformParams p;
        return TransformNetwork(Net, View, Settings, TransformUndoLast, p);
    }
    // The same network's hash rebuilt at its cell size.
    void Rebuild() { RebuildHashTable(Net, Net.NodeHash.CellWidth, Net.NodeHash.CellHeight); }
};

TBenchWindow& Window()
{
    static TBenchWindow* w = new TBenchWindow;
    return *w;
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Times op (setup and cleanup untimed) and a rebuild of the hash after it.
template <class Setup, class Op, class Cleanup>
void Against(benchmark::State& state, Setup setup, Op op, Cleanup cleanup)
{
    TBenchWindow& w = Window();
    double opTime = 0, rebuildTime = 0;
    for (auto _ : state) {
        setup(w);
        const auto t0 = Clock::now();
        if (!op(w)) state.SkipWithError("transform refused");
        const auto t1 = Clock::now();
        w.Rebuild();
        const auto t2 = Clock::now();
        cleanup(w);
        opTime += Seconds(t0, t1);
        rebuildTime += Seconds(t1, t2);
        state.SetIterationTime(Seconds(t0, t1));
    }
    state.counters["rebuild_ms"] = rebuildTime * 1000 / double(state.iterations());
    state.counters["vs_rebuild"] = opTime / rebuildTime;
    state.SetItemsProcessed(state.iterations() * 2 * N);
}

void BM_Scale(benchmark::State& state)
{
    Against(
        state, [](TBenchWindow&) {}, [](TBenchWindow& w) { return w.Request(TransformScale, "2", "1/2"); },
        [](TBenchWindow& w) { w.Undo(); });
}

void BM_Rotate(benchmark::State& state)
{
    Against(
        state, [](TBenchWindow&) {}, [](TBenchWindow& w) { return w.Request(TransformRotate, "30", ""); },
        [](TBenchWindow& w) { w.Undo(); });
}

void BM_Undo(benchmark::State& state)
{
    Against(
        state, [](TBenchWindow& w) { w.Request(TransformScale, "0.5", "2"); }, [](TBenchWindow& w) { return w.Undo(); },
        [](TBenchWindow&) {});
}

} // namespace

BENCHMARK(BM_Scale)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Rotate)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
