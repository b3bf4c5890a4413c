// Long/lat by each method and elevation interpolation over a network of a
// million nodes.
#include "core/geo/LongLat.h"
#include "core/model/Network.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

constexpr int32_t NodeCount = 1000000;
constexpr double Scale = -1000; // world units per degree of latitude

// A million nodes scattered over 2000 x 2000 world units around the pivot at
// (0, 0); every tenth one has long/lat and an elevation.
struct TBenchNetwork {
    TNetwork Net;
    TNode* Pivot = nullptr;
    std::vector<TNode*> Nodes;

    TBenchNetwork()
    {
        std::mt19937 rng(11);
        std::uniform_int_distribution<int32_t> c(-100000, 100000);
        BeginBulkLoad(Net);
        THashEntry* cell;
        Pivot = AddNode(Net, 0, 0, cell, false, 0);
        Pivot->Longitude = -882500000;
        Pivot->Latitude = 405000000;
        Nodes.reserve(NodeCount);
        for (int32_t i = 1; i < NodeCount; ++i) {
            RegridHashTable(Net);
            TNode* n = AddNode(Net, c(rng), c(rng), cell, false, 0);
            if (!n)
                continue;
            Nodes.push_back(n);
        }
        Reset();
    }
    void Reset()
    {
        for (size_t i = 0; i < Nodes.size(); ++i) {
            TNode* n = Nodes[i];
            const bool known = i % 10 == 0;
            n->Longitude = known ? Pivot->Longitude + int32_t(n->X * 1e7 / 760) : 0;
            n->Latitude = known ? Pivot->Latitude - int32_t(n->Y * 1e7 / 1000) : 0;
            n->Elevation = known ? 10000 + (n->X + n->Y) : 0;
        }
    }
};

TBenchNetwork& Shared()
{
    static auto net = std::make_unique<TBenchNetwork>();
    return *net;
}

void BM_LongLatStatistical(benchmark::State& state)
{
    TBenchNetwork& b = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        b.Reset();
        state.ResumeTiming();
        int32_t unfitted;
        // About eleven known points lie within 1200 units of a point.
        ComputeLongLatByInterpolation(b.Net, nullptr, 0, true, false, 1200, Scale, unfitted);
        benchmark::DoNotOptimize(unfitted);
    }
    state.SetItemsProcessed(state.iterations() * NodeCount);
}
BENCHMARK(BM_LongLatStatistical)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LongLatByMethod(benchmark::State& state)
{
    TBenchNetwork& b = Shared();
    const int method = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        b.Reset();
        state.ResumeTiming();
        if (method == 1) {
            int32_t unfitted;
            ComputeLongLatByInterpolation(b.Net, b.Pivot, 1, true, false, 0, Scale, unfitted);
        } else {
            ComputeLongLatByProjection(b.Net, *b.Pivot, method, true, false, Scale);
        }
    }
    state.SetItemsProcessed(state.iterations() * NodeCount);
}
BENCHMARK(BM_LongLatByMethod)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_InterpolateElevations(benchmark::State& state)
{
    TBenchNetwork& b = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        b.Reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(InterpolateElevations(b.Net, false, false, false));
    }
    state.SetItemsProcessed(state.iterations() * NodeCount);
}
BENCHMARK(BM_InterpolateElevations)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
