// Expression speed over a million elements, against a hand-written loop over
// the same slots. The counter "ratio" is the prepared path's time per element
// divided by the hand-written loop's.
#include "core/EntityClasses.h"
#include "core/Expression.h"

#include <benchmark/benchmark.h>

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

// The same arithmetic as the expression, with its zero rules and fault checks.
double HandWritten(const double* s)
{
    double a = s[0] == 0 ? 0 : s[0] * 2;
    double b = s[1] == 0 ? 0 : s[1] / 3;
    double c = (s[2] == 0 || s[3] == 0) ? 0 : s[2] * s[3];
    double r = a + b - c;
    return std::isfinite(r) ? r : 0;
}

// Link mode without a network: a stand-in element whose class is 1.
struct LinkStub {
} stub;

double TimeHandWritten()
{
    Data& d = TheData();
    auto t0 = std::chrono::steady_clock::now();
    double sum = 0;
    for (int i = 0; i < Elements; ++i) sum += HandWritten(&d.Slots[static_cast<size_t>(i) * Attributes]);
    benchmark::DoNotOptimize(sum);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
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
