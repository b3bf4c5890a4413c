// A Calculate program of five relation lines (assignments under conditions)
// over a network of a million nodes and a million links. Counters: passes
// per second, and "ratio", the run's time per pass divided by the time of a
// hand-written C++ loop doing the same arithmetic over the same elements.
#include "calc_world.h"
#include "core/calc/CalcRun.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using calcbench::Side;

struct World {
    TNetwork Net;
    TCalcProgram Program;
    calcbench::World Built{Net, Program};
    std::vector<TNode*>& Nodes = Built.Nodes;
    std::vector<TLinkValues*>& Links = Built.Links;
};

World& TheWorld()
{
    static World w;
    return w;
}

// The expression language's products and quotients: 0 when a side is 0; a
// result that is not finite is a fault (the engine checks every operator).
inline double Checked(double r, bool& fault)
{
    if (!std::isfinite(r)) {
        fault = true;
        return 0;
    }
    return r;
}
inline double Mul(double a, double b, bool& f) { return Checked((a == 0 || b == 0) ? 0 : a * b, f); }
inline double Div(double a, double b, bool& f) { return Checked(a == 0 ? 0 : a / b, f); }
inline double Add(double a, double b, bool& f) { return Checked(a + b, f); }
inline double Sub(double a, double b, bool& f) { return Checked(a - b, f); }

// The same program written by hand over the same value slots, walking the
// elements as the run does: the nodes in hash order, the links from their A
// nodes' lists, each element's class and state checked.
void HandWritten(World& w)
{
    bool fault = false;
    ForEachNode(w.Net, [&](TNode* n) {
        if (!n->Active || n->EntityType != 1) return;
        TValueSlot* v = n->Values.get();
        const double pop = v[0].Real();
        const double jobs = pop > 50 ? Mul(pop, 2, fault) : Div(pop, 2, fault);
        v[1].SetReal(jobs);
        const double mix = Add(jobs, Mul(pop, 0.5, fault), fault);
        v[2].SetReal(mix);
        v[3].SetReal(mix > 100 ? 1 : 0);
    });
    ForEachLink(w.Net, [&](TLink* h) {
        TLinkValues* l = h->LinkValues;
        if (!l->Active || l->EntityType != 1) return;
        TValueSlot* v = l->Values.get();
        const double speed = v[0].Real();
        const double time = speed > 30 ? Mul(speed, 1.5, fault) : Add(speed, 10, fault);
        v[1].SetReal(time);
        v[2].SetReal(Sub(time, Mul(speed, 0.25, fault), fault));
    });
    benchmark::DoNotOptimize(fault);
}

double HandSeconds(World& w)
{
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        HandWritten(w);
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void BM_CalculateFiveLines(benchmark::State& state)
{
    World& w = TheWorld();
    const double hand = HandSeconds(w);
    TCalcHost host;
    TCalcFlags flags;
    double total = 0;
    int64_t passes = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        TCalcSummary s = RunCalculation(w.Net, w.Program, flags, host);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        passes += s.Passes;
        benchmark::DoNotOptimize(s);
        if (s.Nodes != Side * Side || s.Links != int32_t(w.Links.size()) || s.Errors != 0)
            state.SkipWithError("the run did not calculate every element");
    }
    state.counters["passes_per_s"] = benchmark::Counter(double(passes), benchmark::Counter::kIsRate);
    state.counters["ratio"] = passes ? (total / double(passes)) / hand : 0;
    state.counters["hand_ms"] = hand * 1000;
}
BENCHMARK(BM_CalculateFiveLines)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
