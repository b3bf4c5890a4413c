// A Calculate program of five relation lines (assignments under conditions)
// over a network of a million nodes and a million links. Counters: passes
// per second, and "ratio", the run's time per pass divided by the time of a
// hand-written C++ loop doing the same arithmetic over the same elements.
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

constexpr int Side = 1000; // Side x Side nodes

TAttrib* AddAttribute(TClassRecord& rec, const char* alias)
{
    const int k = ++rec.AttributeCount;
    rec.Attributes[k] = std::make_unique<TAttrib>();
    rec.Attributes[k]->Kind = 'R';
    rec.Attributes[k]->Alias = alias;
    std::string key = alias;
    for (char& c : key) c = char(std::toupper(static_cast<unsigned char>(c)));
    rec.Attributes[k]->AliasKey = key;
    return rec.Attributes[k].get();
}

struct World {
    TNetwork Net;
    TCalcProgram Program;
    std::vector<TNode*> Nodes;
    std::vector<TLinkValues*> Links;

    World()
    {
        TClassRecord& zone = (*Net.NodeClasses)[1];
        zone.Name = "Zone";
        for (const char* a : {"Pop", "Jobs", "Mix", "Flag"}) AddAttribute(zone, a);
        TClassRecord& road = (*Net.LinkClasses)[1];
        road.Name = "Road";
        for (const char* a : {"Speed", "Time", "Cost"}) AddAttribute(road, a);

        std::mt19937_64 r(11);
        std::uniform_real_distribution<double> d(1, 100);
        BeginBulkLoad(Net);
        Nodes.reserve(size_t(Side) * Side);
        for (int i = 0; i < Side * Side; ++i) {
            THashEntry* cell;
            RegridHashTable(Net); // as a file load does before each node
            TNode* n = AddNode(Net, (i % Side) * 100 - 50000, (i / Side) * 100 - 50000, cell, false, 4);
            n->EntityType = 1;
            n->Values[0].SetReal(d(r));
            Nodes.push_back(n);
        }
        // Every node to its right neighbour, and the first column down: a
        // million links.
        auto link = [&](TNode* a, TNode* b) {
            TLink *ha, *hb;
            TLinkValues* v = AddLink(Net, a, b, false, 3, ha, hb);
            v->EntityType = 1;
            v->Values[0].SetReal(d(r));
        };
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x + 1 < Side; ++x) link(Nodes[size_t(y * Side + x)], Nodes[size_t(y * Side + x + 1)]);
        for (int y = 0; y + 1 < Side; ++y) link(Nodes[size_t(y * Side)], Nodes[size_t((y + 1) * Side)]);
        link(Nodes[0], Nodes[size_t(Side * Side - 1)]);
        ForEachLink(Net, [&](TLink* h) { Links.push_back(h->LinkValues); });

        Program.CalcLines[1] = "IF = Pop > 50 THEN Jobs = Pop * 2 ELSE Jobs = Pop / 2";
        Program.CalcLines[2] = "Mix = Jobs + Pop * 0.5";
        Program.CalcLines[3] = "IF = Mix > 100 THEN Flag = 1 ELSE Flag = 0";
        Program.CalcLines[4] = "IF = Speed > 30 THEN Time = Speed * 1.5 ELSE Time = Speed + 10";
        Program.CalcLines[5] = "Cost = Time - Speed * 0.25";
        Program.CalcRanges[0].Begin[1] = 1;
        Program.CalcRanges[0].End[1] = 3;
        Program.CalcRanges[1].Begin[1] = 4;
        Program.CalcRanges[1].End[1] = 5;
    }
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
