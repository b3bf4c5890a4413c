// Triangulation and interpolation of scattered points.
#include "core/geo/Delaunay.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

void Load(TDelaunay& d, int64_t n, unsigned seed)
{
    // Integer world positions over a square of about 4 units per point, as
    // nodes of a network would lie.
    std::mt19937 rng(seed);
    const int range = static_cast<int>(std::min<int64_t>(500000, 2 * static_cast<int64_t>(std::sqrt(double(n)) * 2)));
    std::uniform_int_distribution<int> c(-range, range);
    std::uniform_int_distribution<int> z(1, 10000000);
    while (d.VertexCount() < n)
        d.AddPoint(c(rng), c(rng), z(rng));
}

void BM_Triangulate(benchmark::State& state)
{
    const int64_t n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        TDelaunay d;
        Load(d, n, 1);
        state.ResumeTiming();
        d.Mesh();
        benchmark::DoNotOptimize(d.TriangleCount);
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
}
BENCHMARK(BM_Triangulate)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_InterpolateMillion(benchmark::State& state)
{
    TDelaunay d;
    Load(d, 100000, 2);
    d.Mesh();
    std::mt19937 rng(3);
    const int range = 2 * static_cast<int>(std::sqrt(100000.0) * 2);
    std::uniform_int_distribution<int> c(-range, range);
    std::vector<std::pair<int32_t, int32_t>> q(1000000);
    for (auto& p : q)
        p = {c(rng), -c(rng)};
    for (auto _ : state) {
        int64_t sum = 0;
        for (auto& p : q)
            sum += d.Interpolate(p.first, p.second);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(q.size()));
}
BENCHMARK(BM_InterpolateMillion)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
