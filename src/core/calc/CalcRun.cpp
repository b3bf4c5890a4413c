// The Calculate run: stages, passes and the sweeps over nodes and links.
#include "core/calc/CalcRun.h"


#include "core/calc/CalcInterpreter.h"
#include "core/expr/SearchFilter.h"
#include "core/file/TextFormat.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/model/NetworkQueries.h"

#include <vector>

namespace {

// Clears the busy flag however the run ends.
struct BusyGuard {
    TCalcFlags& Flags;
    explicit BusyGuard(TCalcFlags& f) : Flags(f) { Flags.CalcBusy = 1; }
    ~BusyGuard() { Flags.CalcBusy = 0; }
};

inline void Prefetch(const void* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// The active and inactive nodes in hash order, as ForEachNode gives them;
// the points are asked for ahead of their turn, as they lie all over the heap.
void SnapshotNodes(const TNetwork& net, std::vector<TNetworkPoint*>& points, std::vector<TNode*>& nodes)
{
    points.clear();
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) points.push_back(p);
    nodes.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i + 16 < points.size()) Prefetch(points[i + 16]);
        if (TNode* n = points[i]->AsNode()) nodes.push_back(n);
    }
}

} // namespace

std::string CalcSummaryText(const TCalcSummary& s)
{
    return "Processed: " + std::to_string(s.Links) + " Links; " + std::to_string(s.Nodes) + " Nodes; " +
           std::to_string(s.Systems) + " Systems; " + std::to_string(s.Errors) + " Errors.";
}

TCalcSummary RunCalculation(TNetwork& net, TCalcProgram& program, TCalcFlags& flags, TCalcHost& host,
                            const TCalcSearch& search, const TCalcEditOps& ops, const TCalcRunOptions& options)
{
    flags.CalcStop = 0;
    BusyGuard busy(flags);
    TCalcEngine engine(net, program, flags, host, ops, options);

    auto stage = [&](int s) {
        if (!engine.CalculateEntity(CalcKindSystem, nullptr, nullptr, s)) ++engine.Counts.Errors;
    };
    // The window's search criteria, prepared once for the run.
    TSearchFilter filter;
    if (!search.NodePasses || !search.LinkPasses) {
        const TWindowSettings* settings = options.View ? options.View->Settings : nullptr;
        filter.Prepare(*net.NodeClasses, *net.LinkClasses,
                       PreparePolygonCriterion(settings ? settings->Search.PolygonCriterion : TPolygonCriterion{}));
    }
    auto nodePasses = [&](const TNode* n) {
        if (search.NodePasses) return search.NodePasses(n);
        return filter.NodesUnfiltered || filter.NodePassesSearch(*n);
    };
    auto linkPasses = [&](const TLink* h) {
        if (search.LinkPasses) return search.LinkPasses(h);
        if (filter.LinksUnfiltered) return true;
        const TNode* near = h->NearNode();
        return near && filter.LinkPassesSearch(*h, *near);
    };

    stage(1);
    std::vector<TNetworkPoint*> points;
    std::vector<TNode*> nodes;
    std::vector<TLink*> links;
    int pass = 0;
    do {
        ++pass;
        engine.Counts.Passes = pass;
        engine.Redo = false;
        stage(2);
        engine.ProcessMessages(true);
        if (!engine.Stopped()) {
            host.ShowStatus("Processing Nodes (" + std::to_string(pass) + ")");
            // The sweep walks the nodes as they stood when it began: nodes
            // made by the statements are not visited, deleted ones are skipped.
            SnapshotNodes(net, points, nodes);
            for (std::size_t i = 0; i < nodes.size(); ++i) {
                TNode* n = nodes[i];
                if (engine.Stopped()) break;
                // The elements lie all over the heap: ask for the next ones'
                // records ahead of their turn.
                if (i + 16 < nodes.size()) Prefetch(nodes[i + 16]);
                if (i + 16 < nodes.size()) Prefetch(reinterpret_cast<const char*>(nodes[i + 16]) + 64);
                if (i + 8 < nodes.size()) Prefetch(nodes[i + 8]->Values.get());
                if (!n->Active || n->EntityType == 0 || !nodePasses(n)) continue;
                if (!engine.CalculateEntity(CalcKindNode, n, nullptr, n->EntityType)) ++engine.Counts.Errors;
            }
        }
        if (!engine.Stopped()) {
            stage(3);
            engine.ProcessMessages(true);
        }
        if (!engine.Stopped()) {
            host.ShowStatus("Processing Links (" + std::to_string(pass) + ")");
            // Every link once, from its A node's list, in hash order; the
            // nodes' lists and half-edges are asked for ahead of their turn.
            SnapshotNodes(net, points, nodes);
            auto takesPart = [&](TLink* h) {
                const TLinkValues* r = h->LinkValues;
                return r && r->Active && r->EntityType != 0 && linkPasses(h);
            };
            // The links that take part start the sweep unflipped; the marks
            // are cleared as the list is made, in the list's order.
            links.clear();
            for (std::size_t i = 0; i < nodes.size(); ++i) {
                if (i + 16 < nodes.size()) Prefetch(reinterpret_cast<const char*>(nodes[i + 16]) + 64);
                if (i + 8 < nodes.size() && nodes[i + 8]->Links.GetCount() > 0) Prefetch(nodes[i + 8]->Links.begin());
                if (i + 6 < nodes.size())
                    for (TLink* h : nodes[i + 6]->Links) Prefetch(h);
                if (i + 3 < nodes.size())
                    for (TLink* h : nodes[i + 3]->Links)
                        if (h->AEnd() && h->LinkValues) Prefetch(h->LinkValues);
                for (TLink* h : nodes[i]->Links)
                    if (h->AEnd() && h->LinkValues) {
                        links.push_back(h);
                        if (takesPart(h)) h->LinkValues->FlipMark = 0;
                    }
            }
            for (std::size_t i = 0; i < links.size(); ++i) {
                TLink* h = links[i];
                if (engine.Stopped()) break;
                if (i + 32 < links.size()) Prefetch(links[i + 32]);
                if (i + 16 < links.size()) Prefetch(links[i + 16]->LinkValues);
                if (i + 8 < links.size()) Prefetch(links[i + 8]->LinkValues->Values.get());
                // A link flipped earlier in this sweep stays in the list once.
                if (!takesPart(h)) continue;
                if (!engine.CalculateEntity(CalcKindLink, nullptr, h, h->LinkValues->EntityType))
                    ++engine.Counts.Errors;
            }
            for (std::size_t i = 0; i < links.size(); ++i) {
                if (i + 32 < links.size()) Prefetch(links[i + 32]);
                if (i + 16 < links.size()) Prefetch(links[i + 16]->LinkValues);
                if (takesPart(links[i])) links[i]->LinkValues->FlipMark = 0;
            }
        }
        if (!engine.Stopped()) stage(4);
    } while (engine.Redo);
    if (!engine.Stopped()) stage(5);

    const TCalcSummary summary = engine.Counts;
    host.ShowStatus(CalcSummaryText(summary));
    return summary;
}
