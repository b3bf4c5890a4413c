// The network model at a million elements: bulk loads in file order and in
// random order (nodes with 5 attributes, one link per node), picks, and a full
// rebuild of the hash after halving the cell size. The load benchmarks report
// the heap they hold against the 1 GB budget for such a network.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

namespace {

constexpr int N = 1000000;
constexpr int Attributes = 5;
constexpr double Budget = 1024.0 * 1024 * 1024;

using Positions = std::vector<std::pair<int32_t, int32_t>>;

// A million distinct positions spread over a 400 km square region of the
// world, in random order.
const Positions& RandomPositions()
{
    static const Positions pos = [] {
        std::mt19937 rng(12345);
        std::uniform_int_distribution<int32_t> d(-200000, 200000);
        Positions p;
        p.reserve(N + N / 8);
        while (p.size() < size_t(N) + N / 16) p.emplace_back(d(rng), d(rng));
        std::sort(p.begin(), p.end());
        p.erase(std::unique(p.begin(), p.end()), p.end());
        p.resize(N);
        std::shuffle(p.begin(), p.end(), rng);
        return p;
    }();
    return pos;
}

void Load(TNetwork& net, const Positions& pos)
{
    BeginBulkLoad(net);
    std::vector<TNode*> nodes;
    nodes.reserve(pos.size());
    for (auto [x, y] : pos) {
        RegridHashTable(net);
        THashEntry* cell;
        TNode* n = AddNode(net, x, y, cell, false, Attributes);
        if (!n) std::abort();
        n->Values[0].SetReal(double(x));
        nodes.push_back(n);
    }
    // One link per node, to the node that follows it in the load order.
    for (size_t i = 0; i < nodes.size(); ++i) {
        TLink *ha, *hb;
        AddLink(net, nodes[i], nodes[(i + 1) % nodes.size()], false, Attributes, ha, hb);
    }
}

// The same positions in the order the file writer walks them.
const Positions& FileOrderPositions()
{
    static const Positions pos = [] {
        TNetwork net;
        BeginBulkLoad(net);
        THashEntry* cell;
        for (auto [x, y] : RandomPositions()) {
            RegridHashTable(net);
            AddNode(net, x, y, cell, false, 0);
        }
        Positions p;
        p.reserve(N);
        ForEachNode(net, [&](TNode* n) { p.emplace_back(n->X, n->Y); });
        return p;
    }();
    return pos;
}

size_t HeapInUse() { return mallinfo2().uordblks + mallinfo2().hblkhd; }

void LoadBenchmark(benchmark::State& state, const Positions& pos)
{
    size_t heap = 0;
    for (auto _ : state) {
        size_t before = HeapInUse();
        auto net = std::make_unique<TNetwork>();
        Load(*net, pos);
        heap = HeapInUse() - before;
        benchmark::DoNotOptimize(net->NodeCount);
        state.PauseTiming();
        net.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MB"] = double(heap) / (1024 * 1024);
    state.counters["heap_of_1GB"] = double(heap) / Budget;
    state.SetItemsProcessed(state.iterations() * 2 * N);
}

void BM_LoadFileOrder(benchmark::State& state) { LoadBenchmark(state, FileOrderPositions()); }
void BM_LoadRandomOrder(benchmark::State& state) { LoadBenchmark(state, RandomPositions()); }

TNetwork& LoadedNetwork()
{
    static TNetwork* net = [] {
        auto* n = new TNetwork;
        Load(*n, FileOrderPositions());
        return n;
    }();
    return *net;
}

void BM_Picks(benchmark::State& state)
{
    TNetwork& net = LoadedNetwork();
    TViewRecord view;
    std::mt19937 rng(99);
    std::uniform_int_distribution<int32_t> d(-200000, 200000);
    std::vector<std::pair<int32_t, int32_t>> probes(N);
    const Positions& pos = RandomPositions();
    // half of the picks land near a node, half anywhere
    for (int i = 0; i < N; ++i)
        probes[size_t(i)] = (i % 2) ? std::make_pair(pos[size_t(i)].first + 2, pos[size_t(i)].second - 1)
                                    : std::make_pair(d(rng), d(rng));
    int64_t hits = 0;
    for (auto _ : state) {
        for (auto [x, y] : probes) {
            TNode* n;
            TShapePoint* sp;
            hits += FindNearestPoint(net, view, n, sp, true, false, x, y);
        }
    }
    state.counters["hits"] = double(hits) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * N);
}

void BM_RebuildAfterHalving(benchmark::State& state)
{
    TNetwork& net = LoadedNetwork();
    for (auto _ : state) {
        int32_t w = net.NodeHash.CellWidth, h = net.NodeHash.CellHeight;
        RebuildHashTable(net, w / 2, h / 2);
        state.PauseTiming();
        RebuildHashTable(net, w, h);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * N * 2);
}

// An update run: the name index built, then a million look-ups by name.
void BM_NameIndexLookups(benchmark::State& state)
{
    TNetwork& net = LoadedNetwork();
    static bool named = [&] {
        int i = 0;
        ForEachNode(net, [&](TNode* n) { n->Name = "Node " + std::to_string(i++ % (N / 2)); });
        return true;
    }();
    benchmark::DoNotOptimize(named);
    int64_t found = 0;
    for (auto _ : state) {
        TNameIndex ix;
        ix.Build(net);
        for (int i = 0; i < N; ++i) found += ix.FindIndexedNode("Node " + std::to_string(i * 7 % N)) != nullptr;
    }
    state.counters["found"] = double(found) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * N);
}

} // namespace

BENCHMARK(BM_LoadFileOrder)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LoadRandomOrder)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Picks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RebuildAfterHalving)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_NameIndexLookups)->Unit(benchmark::kMillisecond)->Iterations(2);
