// Schema apply over a million nodes and links against a hand loop that only
// resizes each block (the least any schema change must do), and the
// nestedness sweep with box tests against the plain sweep.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/edit/ElementReports.h"
#include "core/edit/SchemaEdit.h"
#include "core/model/NetworkQueries.h"

namespace {

constexpr int Side = 1000; // Side x Side nodes

// A grid of nodes of class 1 (kinds R S R C R) with a link to the right
// neighbour of each node; every tenth row of cells carries square polygons.
std::unique_ptr<TNetwork> MakeNetwork(bool polygons)
{
    auto net = std::make_unique<TNetwork>();
    for (TEntityClass* t : {net->NodeClasses.get(), net->LinkClasses.get()}) {
        TClassRecord& c = (*t)[1];
        c.Name = "C";
        SetAttributeCount(c, 5);
        const char kinds[] = "RSRCR";
        for (int i = 1; i <= 5; ++i) c.Attr(i)->Kind = kinds[i - 1];
        NumberStringAttributes(*t);
    }
    std::vector<TNode*> grid(size_t(Side) * Side);
    THashEntry* cell;
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x < Side; ++x) {
            TNode* n = AddNode(*net, x * 10, y * 10, cell, false, 5);
            n->EntityType = 1;
            n->Strings.assign(1, "s");
            n->Name = "N";
            grid[size_t(y) * Side + size_t(x)] = n;
        }
    for (int y = 0; y < Side; ++y)
        for (int x = 0; x + 1 < Side; ++x) {
            TLink *a, *b;
            TLinkValues* r = AddLink(*net, grid[size_t(y) * Side + size_t(x)], grid[size_t(y) * Side + size_t(x) + 1],
                                     false, 5, a, b);
            r->EntityType = 1;
            r->Strings.assign(1, "s");
        }
    if (polygons) {
        int made = 0;
        for (int y = 0; y + 1 < Side && made < 10000; y += 10)
            for (int x = 0; x + 1 < Side && made < 10000; x += 10, ++made) {
                TNode* owner = grid[size_t(y) * Side + size_t(x)];
                for (TNode* v : {grid[size_t(y) * Side + size_t(x)], grid[size_t(y) * Side + size_t(x) + 1],
                                 grid[size_t(y + 1) * Side + size_t(x) + 1], grid[size_t(y + 1) * Side + size_t(x)]}) {
                    owner->OwnPolygonRef().Insert(v);
                    net->PolygonsRef(v).Insert(owner);
                }
                UpdateNodePolygonBox(*net, owner);
            }
    }
    return net;
}

TNetwork& Shared(bool polygons)
{
    static std::unique_ptr<TNetwork> plain, withPolygons;
    auto& n = polygons ? withPolygons : plain;
    if (!n) n = MakeNetwork(polygons);
    return *n;
}

// A count change and a type change to S, then back: two applies per round.
void BM_SchemaApply(benchmark::State& state)
{
    TNetwork& net = Shared(false);
    for (auto _ : state) {
        for (int round = 0; round < 2; ++round)
            for (TClassKind k : {TClassKind::Node, TClassKind::Link}) {
                auto copy = CopyEntityClassesWhole(*ClassTable(net, k));
                TClassRecord& c = (*copy)[1];
                SetAttributeCount(c, round == 0 ? 6 : 5);
                c.Attr(3)->Kind = round == 0 ? 'S' : 'R';
                ApplySchemaEdit(net, k, std::move(copy));
            }
    }
    state.SetItemsProcessed(state.iterations() * 4 * int64_t(Side) * Side);
}
BENCHMARK(BM_SchemaApply)->Unit(benchmark::kMillisecond);

// The hand loop: every block resized to 6 and back, strings to 2 and back.
void BM_HandResize(benchmark::State& state)
{
    TNetwork& net = Shared(false);
    for (auto _ : state) {
        for (int round = 0; round < 2; ++round) {
            const int slots = round == 0 ? 6 : 5;
            const size_t strings = round == 0 ? 2 : 1;
            ForEachNode(net, [&](TNode* n) {
                ResizeValues(*n, slots);
                n->Strings.resize(strings);
            });
            ForEachLink(net, [&](TLink* h) {
                ResizeValues(*h->LinkValues, slots);
                h->LinkValues->Strings.resize(strings);
            });
        }
    }
    state.SetItemsProcessed(state.iterations() * 4 * int64_t(Side) * Side);
}
BENCHMARK(BM_HandResize)->Unit(benchmark::kMillisecond);

const TNode& EditedOwner(TNetwork& net)
{
    const TNode* found = nullptr;
    // A polygon in the middle of the grid.
    ForEachNode(net, [&](TNode* n) {
        if (!found && n->OwnPolygon().GetCount() > 0 && n->X >= Side * 5 && n->Y >= Side * 5) found = n;
    });
    return *found;
}

void BM_Nestedness(benchmark::State& state)
{
    TNetwork& net = Shared(true);
    const TNode& owner = EditedOwner(net);
    for (auto _ : state) benchmark::DoNotOptimize(NodeNestednessLines(net, owner));
}
BENCHMARK(BM_Nestedness)->Unit(benchmark::kMillisecond);

void BM_NestednessPlain(benchmark::State& state)
{
    TNetwork& net = Shared(true);
    const TNode& owner = EditedOwner(net);
    for (auto _ : state) benchmark::DoNotOptimize(NodeNestednessLinesPlain(net, owner));
}
BENCHMARK(BM_NestednessPlain)->Unit(benchmark::kMillisecond);

} // namespace
