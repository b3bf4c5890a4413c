// Shortest paths, polygon coverage and overlay area.
//
// PathTreeChicago: the whole Go (reset, costs from "A1:A2", the tree from
// node 1, marking) on Chicago-Regional. Counters: "bare_heap_ms", a
// Dijkstra with a binary heap over arrays of the same graph with its costs
// ready; "ratio", Go's time over it; "networkx_ms" and "times_networkx",
// networkx's dijkstra_predecessor_and_distance on the same graph (when
// /usr/bin/python3 has networkx).
//
// Coverage20k and Overlay20k: ten 50-vertex polygons in a 20,000 x 20,000
// box. Counter "ratio": the per-point scan's time on the same figures at
// 1,000 x 1,000, times the 400-fold number of grid points, over the run's
// time; "points_per_ns", grid points of the box per nanosecond.
#include "core/analysis/OverlayArea.h"
#include "core/analysis/PolygonCoverage.h"
#include "core/analysis/ShortestPaths.h"
#include "core/file/NetworkFile.h"
#include "core/model/WindowSettings.h"
#include "analysis_networks.h"
#include "grid_reference.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <queue>
#include <random>
#include <unistd.h>

using namespace analysistest;

namespace {

using Clock = std::chrono::steady_clock;

// The mean time of runs calls, as the runs of the engine measured against it
// are averaged.
double MeanSeconds(int runs, const std::function<void()>& f)
{
    double total = 0;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        total += std::chrono::duration<double>(Clock::now() - t0).count();
    }
    return total / double(std::max(runs, 1));
}

// ---- shortest paths

struct TChicago {
    TNetwork Net;
    TWindowSettings Settings; // the window the network opens in
    std::map<int, TNode*> Nodes; // by TNTP number
    bool Loaded = false;
    // The same graph as arrays: arcs of node i are Arc[First[i] .. First[i + 1]).
    std::vector<int32_t> First, Head;
    std::vector<double> Cost;

    TChicago()
    {
        const std::string netFile = SharedData("tntp/chicago-regional/ChicagoRegional_net.tntp");
        if (!Exists(netFile)) return;
        // Saved and opened again, so that the network lies in memory as a
        // file read leaves it.
        {
            TNetwork built;
            LoadTntp(built, netFile, SharedData("tntp/chicago-regional/ChicagoRegional_node.tntp"));
            const std::string file = "/tmp/tarvex_bench_chicago_" + std::to_string(getpid()) + ".dta";
            TMessageSinkRecorder sink;
            const TWindowSettings builtSettings;
            if (!SaveNetworkFile(built, builtSettings, file, 9, sink).Ok) return;
            const bool opened = OpenNetworkFile(Net, Settings, file, true, sink).Status == TOpenStatus::Ok;
            std::remove(file.c_str());
            if (!opened) return;
        }
        Loaded = true;
        std::map<const TNode*, int32_t> index;
        ForEachNode(Net, [&](TNode* n) {
            Nodes[std::stoi(n->Name)] = n;
            index[n] = std::stoi(n->Name);
        });
        First.assign(Nodes.size() + 2, 0);
        std::vector<std::vector<std::pair<int32_t, double>>> out(Nodes.size() + 1);
        ForEachLink(Net, [&](TLink* h) {
            const double fw = Val(h, 1), bw = Val(h, 2);
            const int32_t a = index[h->LinkValues->ANode], b = index[h->LinkValues->BNode];
            if (fw >= 0) out[size_t(a)].push_back({b, fw});
            if (bw >= 0) out[size_t(b)].push_back({a, bw});
        });
        for (size_t i = 1; i < out.size(); ++i) {
            First[i + 1] = First[i] + int32_t(out[i].size());
            for (auto [b, c] : out[i]) {
                Head.push_back(b);
                Cost.push_back(c);
            }
        }
    }

    double BareHeap(int32_t source) const
    {
        std::vector<double> dist(First.size(), 1e99);
        std::vector<uint8_t> done(First.size(), 0);
        using Entry = std::pair<double, int32_t>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap;
        dist[size_t(source)] = 0;
        heap.push({0, source});
        while (!heap.empty()) {
            const auto [d, u] = heap.top();
            heap.pop();
            if (done[size_t(u)]) continue;
            done[size_t(u)] = 1;
            for (int32_t k = First[size_t(u)]; k < First[size_t(u) + 1]; ++k) {
                const int32_t v = Head[size_t(k)];
                const double nd = d + Cost[size_t(k)];
                if (nd < dist[size_t(v)]) {
                    dist[size_t(v)] = nd;
                    heap.push({nd, v});
                }
            }
        }
        return dist[1790];
    }
};

TChicago& Chicago()
{
    static TChicago c;
    return c;
}

// networkx's time for the same tree, in seconds; 0 when it cannot run.
double NetworkxSeconds()
{
    if (std::system("/usr/bin/python3 -c 'import networkx' 2>/dev/null") != 0) return 0;
    const std::string script = "/tmp/tarvex_bench_nx_" + std::to_string(getpid()) + ".py";
    std::ofstream(script) << R"(
import sys, time, networkx as nx
G = nx.DiGraph()
body = False
for line in open(sys.argv[1]):
    if '<END OF METADATA>' in line: body = True; continue
    if not body or '~' in line: continue
    f = line.split()
    if len(f) < 5: continue
    a, b, t = int(f[0]), int(f[1]), float(f[4])
    if not G.has_edge(a, b) or t < G[a][b]['w']: G.add_edge(a, b, w=t)
total = 0.0
for i in range(5):
    t0 = time.perf_counter(); nx.dijkstra_predecessor_and_distance(G, 1, weight='w'); total += time.perf_counter() - t0
print(total / 5)
)";
    FILE* p = popen(("/usr/bin/python3 " + script + " " +
                     SharedData("tntp/chicago-regional/ChicagoRegional_net.tntp"))
                        .c_str(),
                    "r");
    double seconds = 0;
    if (p) {
        if (std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
        pclose(p);
    }
    std::remove(script.c_str());
    return seconds;
}

void PathTreeChicago(benchmark::State& state)
{
    TChicago& c = Chicago();
    if (!c.Loaded) {
        state.SkipWithError("Chicago-Regional is not in the shared data");
        return;
    }
    TWidthSettings widths;
    widths.LinkWidthExpressions[1] = "A1:A2";
    TShortestPathSettings s;
    s.StartNames[1] = {"1"};
    TMessageSinkRecorder sink;
    uint8_t stop = 0;
    TPathSearchHost host(sink, stop);
    double total = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        MarkShortestPaths(c.Net, s, widths, host);
        total += std::chrono::duration<double>(Clock::now() - t0).count();
        ++runs;
    }
    const double go = total / double(std::max<int64_t>(runs, 1));
    double check = 0;
    const double bare = MeanSeconds(30, [&] { check = c.BareHeap(1); });
    if (std::fabs(check - c.Net.PathOf(c.Nodes[1790]).Distance) > 1e-9) state.SkipWithError("the heaps disagree");
    state.counters["bare_heap_ms"] = bare * 1e3;
    state.counters["ratio"] = go / bare;
    static const double nx = NetworkxSeconds();
    if (nx > 0) {
        state.counters["networkx_ms"] = nx * 1e3;
        state.counters["times_networkx"] = nx / go;
    }
}
BENCHMARK(PathTreeChicago)->Unit(benchmark::kMillisecond);

// ---- coverage and overlay

// Ten 50-vertex star polygons spread over a box of the given side.
std::vector<std::vector<TIntPoint>> Figures(int side, int shift)
{
    std::mt19937 rng(11);
    std::vector<std::vector<TIntPoint>> rings;
    for (int k = 0; k < 10; ++k) {
        const double cx = side * (0.2 + 0.15 * (k % 5)) + shift, cy = side * (k < 5 ? 0.3 : 0.7);
        std::vector<TIntPoint> ring;
        for (int i = 0; i < 50; ++i) {
            const double a = i * 2 * M_PI / 50;
            const double d = side * (0.12 + 0.1 * double(rng() % 1000) / 1000);
            ring.push_back({int32_t(std::lround(cx + d * std::cos(a))), int32_t(std::lround(cy + d * std::sin(a)))});
        }
        rings.push_back(ring);
    }
    return rings;
}

void Coverage20k(benchmark::State& state)
{
    TNetwork net;
    Define((*net.NodeClasses)[1], "Zone", "RR");
    Define((*net.NodeClasses)[2], "Site", "");
    std::vector<std::string> names;
    for (const auto& ring : Figures(20000, 0)) Polygon(net, ring, 1);
    for (const auto& ring : Figures(20000, 1500)) {
        names.push_back("E" + std::to_string(names.size()));
        Polygon(net, ring, 2, names.back());
    }
    TWindowSettings window;
    TViewRecord view;
    TPolygonCoverageSettings s;
    s.InputChoice[1] = 1;
    s.OutputAttribute[1] = 2;
    double total = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(RunPolygonCoverage(net, window, view, s, names).Total);
        total += std::chrono::duration<double>(Clock::now() - t0).count();
        ++runs;
    }
    const double ours = total / double(std::max<int64_t>(runs, 1));
    std::vector<gridreference::TElement> elements;
    for (const auto& ring : Figures(1000, 75)) elements.push_back({ring});
    const auto zones = Figures(1000, 0);
    const double scan = MeanSeconds(1, [&] {
        for (const auto& z : zones) benchmark::DoNotOptimize(gridreference::CoverageHalves(z, elements, gridreference::Polygon, 1, false));
    });
    state.counters["ratio"] = scan * 400 / ours;
    state.counters["points_per_ns"] = 4e8 / (ours * 1e9);
}
BENCHMARK(Coverage20k)->Unit(benchmark::kMillisecond);

void Overlay20k(benchmark::State& state)
{
    TNetwork net;
    Define((*net.NodeClasses)[1], "Zone", "");
    const auto rings = Figures(20000, 0);
    for (size_t k = 0; k < rings.size(); ++k) Polygon(net, rings[k], 1, "", uint8_t(1 + k % 2));
    TWindowSettings window;
    for (int l = 3; l <= 10; ++l) window.Layers.LayerStates[l] = 0;
    TViewRecord view;
    double total = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(ComputeOverlayArea(net, window, view, "1.0").Area);
        total += std::chrono::duration<double>(Clock::now() - t0).count();
        ++runs;
    }
    const double ours = total / double(std::max<int64_t>(runs, 1));
    std::vector<gridreference::TLayerPolygon> small;
    const auto smallRings = Figures(1000, 0);
    for (size_t k = 0; k < smallRings.size(); ++k) small.push_back({smallRings[k], int(1 + k % 2)});
    std::array<bool, 11> shown{};
    shown[1] = shown[2] = true;
    const double scan = MeanSeconds(1, [&] { benchmark::DoNotOptimize(gridreference::OverlayHalves(small, shown)); });
    state.counters["ratio"] = scan * 400 / ours;
    state.counters["points_per_ns"] = 4e8 / (ours * 1e9);
}
BENCHMARK(Overlay20k)->Unit(benchmark::kMillisecond);

} // namespace
