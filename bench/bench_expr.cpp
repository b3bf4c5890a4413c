// Expression speed over a million elements, against a hand-written loop over
// the same slots. The counter "ratio" is the prepared path's time per element
// divided by the hand-written loop's.
#include "core/expr/Expression.h"
#include "core/model/EntityClasses.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int Elements = 1000000;
constexpr int Attributes = 4;

struct Data {
    std::vector<double> Slots; // Elements x Attributes
    TEntityClass Links;
    TEntityClass System;
    TExprEnvironment Env;
    Data()
    {
        std::mt19937_64 r(7);
        std::uniform_real_distribution<double> d(0.5, 100);
        Slots.resize(static_cast<size_t>(Elements) * Attributes);
        for (double& v : Slots) v = d(r);
        TClassRecord& rec = Links[1];
        const char* aliases[Attributes] = {"Speed", "Lanes", "", ""};
        for (int k = 1; k <= Attributes; ++k) {
            rec.Attributes[k] = std::make_unique<TAttrib>();
            rec.Attributes[k]->Alias = aliases[k - 1];
            std::string key = aliases[k - 1];
            for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            rec.Attributes[k]->AliasKey = key;
        }
        rec.AttributeCount = Attributes;
        Env.LinkClasses = &Links;
        Env.SystemClass = &System;
    }
};

Data& TheData()
{
    static Data d;
    return d;
}

const char* const Text = "Speed * 2 + Lanes / 3 - A3 * A4";

// The same arithmetic as the expression, with its zero rules and a fault
// check after every operator, as the evaluator has them.
inline double Checked(double r, bool& fault)
{
    if (!std::isfinite(r)) {
        fault = true;
        return 0;
    }
    return r;
}

double HandWritten(const double* s, bool& f)
{
    double a = Checked(s[1] == 0 ? 0 : s[1] * 2, f);
    double b = Checked(s[2] == 0 ? 0 : s[2] / 3, f);
    double c = Checked((s[3] == 0 || s[4] == 0) ? 0 : s[3] * s[4], f);
    return Checked(Checked(a + b, f) - c, f);
}

// Link mode without a network: a stand-in element whose class is 1.
struct LinkStub {
} stub;

// The hand-written loop walks the elements as the prepared one does: each
// element's slots are put in a context and the arithmetic reads them there.
double TimeHandWritten()
{
    Data& d = TheData();
    ExpressionContext ctx;
    benchmark::DoNotOptimize(ctx);
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        double sum = 0;
        bool fault = false;
        for (int i = 0; i < Elements; ++i) {
            const double* s = &d.Slots[static_cast<size_t>(i) * Attributes];
            for (int k = 0; k < Attributes; ++k) ctx.Values[k + 1] = s[k];
            benchmark::ClobberMemory(); // the slots are in memory, as the evaluator reads them
            sum += HandWritten(ctx.Values.data(), fault);
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(fault);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

void BM_PreparedExpressionOverLinks(benchmark::State& state)
{
    Data& d = TheData();
    ExpressionContext ctx;
    ExprStrings strings{};
    TExprElement el;
    el.Link = reinterpret_cast<const TLink*>(&stub);
    TPreparedExpression p;
    p.Prepare(Text, 1, ExprMode::Link, ctx.Kinds, d.Env);
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        double sum = 0;
        for (int i = 0; i < Elements; ++i) {
            const double* s = &d.Slots[static_cast<size_t>(i) * Attributes];
            for (int k = 0; k < Attributes; ++k) ctx.Values[k + 1] = s[k];
            int32_t err;
            sum += p.Evaluate(ctx, strings, el, d.Env, err);
        }
        benchmark::DoNotOptimize(sum);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    double hand = TimeHandWritten();
    state.counters["ns_per_element"] = seconds / state.iterations() / Elements * 1e9;
    state.counters["ratio"] = (seconds / state.iterations()) / hand;
}
BENCHMARK(BM_PreparedExpressionOverLinks)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReferenceExpressionOverLinks(benchmark::State& state)
{
    Data& d = TheData();
    ExpressionContext ctx;
    ExprStrings strings{};
    TExprElement el;
    el.Link = reinterpret_cast<const TLink*>(&stub);
    constexpr int N = Elements / 10; // the reference is slow; a tenth is enough
    for (auto _ : state) {
        double sum = 0;
        for (int i = 0; i < N; ++i) {
            const double* s = &d.Slots[static_cast<size_t>(i) * Attributes];
            for (int k = 0; k < Attributes; ++k) ctx.Values[k + 1] = s[k];
            std::string t = Text;
            int32_t err;
            sum += EvaluateExpression(t, err, ctx, strings, el, d.Env);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["elements"] = N;
}
BENCHMARK(BM_ReferenceExpressionOverLinks)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

// ---- on a network of a million nodes and a million links ----

#include "core/expr/ExpressionNetwork.h"
#include "core/expr/SearchFilter.h"
#include "core/expr/WidthSizes.h"
#include "core/model/WidthSettings.h"

namespace {

struct BigNetwork {
    TNetwork Net;
    std::vector<TNode*> Nodes;
    std::vector<TLink*> Links;
    BigNetwork()
    {
        TClassRecord& nc = (*Net.NodeClasses)[1];
        TClassRecord& lc = (*Net.LinkClasses)[1];
        nc.Name = "Zone";
        lc.Name = "Road";
        const char* aliases[3] = {"Pop", "Jobs", "Area"};
        for (int k = 1; k <= 3; ++k) {
            for (TClassRecord* rec : {&nc, &lc}) {
                rec->Attributes[k] = std::make_unique<TAttrib>();
                rec->Attributes[k]->Alias = aliases[k - 1];
                std::string key = aliases[k - 1];
                for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                rec->Attributes[k]->AliasKey = key;
            }
        }
        nc.AttributeCount = lc.AttributeCount = 3;
        std::mt19937_64 r(11);
        std::uniform_real_distribution<double> d(0, 1000);
        Nodes.reserve(Elements);
        for (int i = 0; i < Elements; ++i) {
            THashEntry* cell;
            TNode* n = AddNode(Net, (i % 1000) * 10, (i / 1000) * 10, cell, false, 3);
            n->EntityType = 1;
            for (int k = 0; k < 3; ++k) n->Values[k].SetReal(d(r));
            Nodes.push_back(n);
        }
        Links.reserve(Elements);
        for (int i = 0; i < Elements; ++i) {
            TLink *ha, *hb;
            AddLink(Net, Nodes[i], Nodes[(i + 1) % Elements], false, 3, ha, hb);
            ha->LinkValues->EntityType = 1;
            for (int k = 0; k < 3; ++k) ha->LinkValues->Values[k].SetReal(d(r));
            Links.push_back(ha);
        }
    }
};

BigNetwork& Big()
{
    static BigNetwork b;
    return b;
}

void BM_SearchFilterOverNodes(benchmark::State& state)
{
    BigNetwork& b = Big();
    TEntityClass& nodes = *b.Net.NodeClasses;
    const double low[3] = {100, 0, 250}, high[3] = {900, 800, 1000};
    for (int k = 1; k <= 3; ++k) {
        nodes[1].Attr(k)->Active = 1;
        nodes[1].Attr(k)->Low = low[k - 1];
        nodes[1].Attr(k)->High = high[k - 1];
    }
    nodes[1].SearchClass = 1;
    double seconds = 0;
    int64_t passed = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        TSearchFilter f;
        f.Prepare(nodes, *b.Net.LinkClasses, TPreparedPolygon{});
        for (TNode* n : b.Nodes) passed += f.NodePassesSearch(*n);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    auto t0 = std::chrono::steady_clock::now();
    int64_t hand = 0;
    for (TNode* n : b.Nodes) {
        bool ok = true;
        for (int k = 0; k < 3; ++k) {
            double v = n->Values[k].Real();
            ok = ok && low[k] <= v && v <= high[k];
        }
        hand += ok;
    }
    double handSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    benchmark::DoNotOptimize(passed + hand);
    state.counters["ns_per_node"] = seconds / state.iterations() / Elements * 1e9;
    state.counters["ratio"] = (seconds / state.iterations()) / handSeconds;
}
BENCHMARK(BM_SearchFilterOverNodes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LinkWidthsOverLinks(benchmark::State& state)
{
    BigNetwork& b = Big();
    TWidthSettings w;
    for (int k = 1; k <= 40; ++k) {
        w.LinkBottom[k] = (k - 1) * 25;
        w.LinkTop[k] = k * 25;
    }
    const std::string text = "Pop / 10 + Jobs / 20";
    TExprBinding bind(b.Net, nullptr, nullptr);
    TStyleExpression style;
    const TClassRecord* cls = &(*b.Net.LinkClasses)[1];
    std::array<int32_t, ExprSlots> kinds = ClassKinds(cls);
    style.Prepare(text, 1, ExprMode::Link, kinds, bind.Env);
    ExpressionContext ctx;
    ctx.Kinds = kinds;
    ExprStrings strings{};
    double seconds = 0;
    int64_t total = 0;
    int filled = MaxAttributes;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        for (TLink* l : b.Links) {
            FillLinkContext(b.Net, *l->LinkValues, ctx, strings, &filled);
            TExprElement el;
            el.Link = l;
            double values[10];
            bool ok[10];
            int n = style.Evaluate(ctx, strings, el, bind.Env, values, ok);
            TStyleParts parts = ClassifyStyleParts(values, ok, n, w.LinkTop.data(), w.LinkBottom.data());
            total += LinkStyleFromParts(parts, 0, true, 1, 1, 1, w.LinkWidths.data()).Width;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    auto t0 = std::chrono::steady_clock::now();
    int64_t hand = 0;
    for (TLink* l : b.Links) {
        const TValueSlot* s = l->LinkValues->Values.get();
        double v = s[0].Real() / 10 + s[1].Real() / 20;
        int k = IntervalOf(v, w.LinkTop.data(), w.LinkBottom.data());
        hand += w.LinkWidths[k < 1 ? 1 : k];
    }
    double handSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    benchmark::DoNotOptimize(total + hand);
    state.counters["ns_per_link"] = seconds / state.iterations() / Elements * 1e9;
    state.counters["ratio"] = (seconds / state.iterations()) / handSeconds;
}
BENCHMARK(BM_LinkWidthsOverLinks)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
