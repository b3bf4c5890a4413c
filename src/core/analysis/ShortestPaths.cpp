#include "core/analysis/ShortestPaths.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string_view>
#include <vector>

#include "core/analysis/EventThrottle.h"
#include "core/expr/Expression.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/model/EntityClasses.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

std::vector<std::string> NamesWithEditText(const std::string& editText, const std::vector<std::string>& working)
{
    std::vector<std::string> names{editText};
    for (size_t i = 1; i < working.size(); ++i)
        if (!working[i].empty()) names.push_back(working[i]);
    return names;
}

bool IsNumberAttribute(const TEntityClass& classes, int cls, int attr)
{
    if (cls < 1 || cls > MaxClasses || attr < 1) return false;
    const TClassRecord& rec = classes[cls];
    if (attr > rec.AttributeCount) return false;
    const TAttrib* a = rec.Attr(attr);
    return a && (a->Kind == 'I' || a->Kind == 'R');
}

void SetSearchForMark(TNetwork& net, const TShortestPathSettings& settings)
{
    net.SetAllowClose(false);
    const double mark = settings.MarkValue[1];
    auto apply = [&](TEntityClass& classes, const std::array<int32_t, 11>& markAttribute) {
        for (int c = 1; c <= MaxClasses; ++c) {
            TClassRecord& rec = classes[c];
            rec.SearchClass = 0;
            for (int k = 1; k <= rec.AttributeCount && k <= MaxAttributes; ++k) {
                TAttrib* a = rec.Attr(k);
                if (!a) continue;
                const bool marked = k == markAttribute[size_t(c)] && (a->Kind == 'I' || a->Kind == 'R');
                a->Low = a->High = marked ? mark : 0;
                a->Active = marked ? 1 : 0;
            }
        }
    };
    apply(*net.LinkClasses, settings.LinkMarkAttribute);
    if (settings.MarkNodesWith == 1) apply(*net.NodeClasses, settings.NodeMarkAttribute);
}

namespace {

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

struct THeapEntry {
    double Distance;
    uint32_t Order;
    TNode* Node;
};
// The heap's top is the smallest distance, then the earliest order.
struct TLater {
    bool operator()(const THeapEntry& a, const THeapEntry& b) const
    {
        return a.Distance > b.Distance || (a.Distance == b.Distance && a.Order > b.Order);
    }
};

class TSearch {
public:
    TSearch(TNetwork& net, const TShortestPathSettings& settings, const TWidthSettings& widths, TPathSearchHost& host)
        : Net(net), Settings(settings), Host(host), Random(MakeRunRandom()), Binding(net, nullptr, &Random)
    {
        PrepareCosts(widths);
    }

    TPathSearchResult Run();

private:
    void PrepareCosts(const TWidthSettings& widths);
    double Cost(const TLink& h);
    void Relax(TNode* n);
    TNode* TakeNearest();
    bool Stopped() const { return Host.CalcStop != 0; }
    void Pump()
    {
        if (Throttle.Due()) Host.ProcessMessages();
    }
    void SetStatus(TPathSearchResult& r, const std::string& text)
    {
        r.Status = text;
        Host.ShowStatus(text);
    }
    bool Blocking(const TNode* n) const
    {
        return n->EntityType >= 1 && n->EntityType <= MaxClasses && Settings.BlockingClass[n->EntityType] != 0;
    }
    TValueSlot* LinkMarkSlot(const TLink* h) const;
    void ResetNodes();
    void MarkNodes(bool pathMode);
    void MarkPath(TNode* end);

    TNetwork& Net;
    const TShortestPathSettings& Settings;
    TPathSearchHost& Host;
    std::mt19937_64 Random;
    TExprBinding Binding;
    std::array<TPreparedExpression, MaxClasses + 1> Forward, Backward;
    std::array<std::array<int32_t, ExprSlots>, MaxClasses + 1> Kinds{};
    ExpressionContext Ctx;
    ExprStrings Strings{};
    int Filled = MaxAttributes;
    int KindsClass = -1; // the class whose kinds Ctx holds
    // Per class: the attribute that takes link marks, 0 when none does.
    std::array<int, MaxClasses + 1> LinkMark{};
    bool AnyLinkMark = false, AnyNodeMark = false;
    double MaxDist = PathUnreached;
    std::vector<THeapEntry> Heap;
    uint32_t NextOrder = 1;
    int32_t CostErrors = 0;
    int32_t Settled = 0;
    TEventThrottle Throttle;
};

void TSearch::PrepareCosts(const TWidthSettings& widths)
{
    for (int c = 1; c <= MaxClasses; ++c) {
        if (IsNumberAttribute(*Net.LinkClasses, c, Settings.LinkMarkAttribute[size_t(c)]))
            LinkMark[size_t(c)] = Settings.LinkMarkAttribute[size_t(c)];
        AnyLinkMark = AnyLinkMark || LinkMark[size_t(c)] != 0;
        AnyNodeMark = AnyNodeMark || IsNumberAttribute(*Net.NodeClasses, c, Settings.NodeMarkAttribute[size_t(c)]);
    }
    for (int c = 0; c <= MaxClasses; ++c) {
        Kinds[size_t(c)] = ClassKinds(&(*Net.LinkClasses)[c]);
        const std::string& text = widths.LinkWidthExpressions[size_t(c)];
        const int colon = ColonPos(text);
        std::string forward = colon ? text.substr(0, size_t(colon - 1)) : text;
        std::string backward = colon ? text.substr(size_t(colon), 50) : text;
        // An expression of blanks only costs 0, as an empty one does.
        if (TrimBlanks(forward).empty()) forward.clear();
        if (TrimBlanks(backward).empty()) backward.clear();
        Forward[size_t(c)].Prepare(forward, c, ExprMode::Link, Kinds[size_t(c)], Binding.Env);
        Backward[size_t(c)].Prepare(backward, c, ExprMode::Link, Kinds[size_t(c)], Binding.Env);
    }
}

// The cost of crossing the link from the node whose list holds h. NaN for a
// link whose class is out of range.
double TSearch::Cost(const TLink& h)
{
    const TLinkValues& v = *h.LinkValues;
    const int c = v.EntityType;
    if (c > MaxClasses) return std::nan("");
    const TPreparedExpression& e = h.AEnd() ? Forward[size_t(c)] : Backward[size_t(c)];
    if (e.Empty()) return 0;
    FillLinkContext(Net, v, Ctx, Strings, &Filled);
    if (c != KindsClass) {
        Ctx.Kinds = Kinds[size_t(c)];
        KindsClass = c;
    }
    TExprElement el;
    el.Link = &h;
    int32_t error = 0;
    const double cost = e.Evaluate(Ctx, Strings, el, Binding.Env, error);
    if (error != 0) ++CostErrors;
    return cost;
}

void TSearch::Relax(TNode* n)
{
    const TPathScratch& from = Net.PathOf(n);
    const double nearDistance = from.Distance;
    const int32_t nearMark = from.Mark;
    const int32_t count = n->Links.GetCount();
    // The half-edges, their far nodes and link records lie apart in memory:
    // ask for them all before the first is needed.
    for (int32_t i = 0; i < count; ++i) {
        const TLink* h = n->Links.At(i);
        __builtin_prefetch(h->FarNode);
        __builtin_prefetch(h->LinkValues);
    }
    for (int32_t i = 0; i < count; ++i)
        if (const TLinkValues* v = n->Links.At(i)->LinkValues) __builtin_prefetch(v->Values.get());
    for (int32_t i = 0; i < count; ++i) {
        const TLink* h = n->Links.At(i);
        TNode* f = h->FarNode;
        if (!f || !h->LinkValues) continue;
        TPathScratch& far = Net.PathOf(f);
        if (far.Done || !h->LinkValues->Active) continue;
        // A node without a predecessor joins the candidates, whether or not
        // this link improves it; its first joining decides its place in ties.
        if (!far.Link && far.Order == 0) far.Order = NextOrder++;
        const double cost = Cost(*h);
        if (!std::isfinite(cost) || cost < 0) continue; // that direction cannot be used
        double d = nearDistance + cost;
        if (d > MaxDist) d = PathUnreached;
        if (far.Distance > d) {
            far.Distance = d;
            far.Link = const_cast<TLink*>(h);
            far.Mark = nearMark;
            __builtin_prefetch(f->Links.begin()); // for when f is taken
            Heap.push_back({d, far.Order, f});
            std::push_heap(Heap.begin(), Heap.end(), TLater{});
        }
    }
}

TNode* TSearch::TakeNearest()
{
    while (!Heap.empty()) {
        std::pop_heap(Heap.begin(), Heap.end(), TLater{});
        const THeapEntry e = Heap.back();
        Heap.pop_back();
        TNode* n = e.Node;
        TPathScratch& p = Net.PathOf(n);
        // Entries left behind by a later improvement, or by a node already
        // final, are stale.
        if (p.Done || e.Distance != p.Distance) continue;
        if (!(e.Distance < PathUnreached) || e.Distance > MaxDist) continue;
        p.Done = 1;
        ++Settled;
        // The next node out is likely the heap's new top: fetch its half-edges.
        if (!Heap.empty()) {
            const TLinkList& next = Heap.front().Node->Links;
            for (int32_t i = 0; i < next.GetCount(); ++i) __builtin_prefetch(next.At(i));
        }
        return n;
    }
    return nullptr;
}

TValueSlot* TSearch::LinkMarkSlot(const TLink* h) const
{
    if (!h || !h->LinkValues) return nullptr;
    TLinkValues& v = *h->LinkValues;
    const int c = v.EntityType;
    if (c < 1 || c > MaxClasses || LinkMark[size_t(c)] == 0) return nullptr;
    return SlotOf(v, LinkMark[size_t(c)]);
}

void TSearch::ResetNodes()
{
    for (THashEntry* cell : Net.NodeHash) {
        Pump();
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n) continue;
            TPathScratch& q = Net.PathOf(n);
            q.Distance = PathUnreached;
            q.Link = nullptr;
            q.Done = 0;
            q.Order = 0;
            if (AnyLinkMark)
                for (TLink* h : n->Links)
                    if (TValueSlot* s = LinkMarkSlot(h)) s->SetReal(0);
        }
    }
}

void TSearch::MarkNodes(bool pathMode)
{
    for (THashEntry* cell : Net.NodeHash) {
        Pump();
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n) continue;
            const int c = n->EntityType;
            if (c >= 1 && c <= MaxClasses) {
                const int attr = Settings.NodeMarkAttribute[size_t(c)];
                if (IsNumberAttribute(*Net.NodeClasses, c, attr))
                    if (TValueSlot* s = SlotOf(*n, attr))
                        s->SetReal(Settings.MarkNodesWith == 1 ? double(Net.PathOf(n).Mark) : Net.PathOf(n).Distance);
            }
            // Every tree link is marked, whatever the node's class marks.
            const TPathScratch& q = Net.PathOf(n);
            if (!pathMode && q.Link)
                if (TValueSlot* s = LinkMarkSlot(q.Link)) s->SetReal(double(q.Mark));
        }
    }
}

void TSearch::MarkPath(TNode* end)
{
    // A tree has no cycle; the bound only guards against a corrupt one.
    int64_t steps = Net.NodeHash.PointCount() + 1;
    for (TNode* n = end; n && Net.PathOf(n).Link && steps-- > 0;) {
        const TLink* h = Net.PathOf(n).Link;
        if (TValueSlot* s = LinkMarkSlot(h)) s->SetReal(double(Net.PathOf(n).Mark));
        if (!h->LinkValues) break;
        n = h->AEnd() ? h->LinkValues->ANode : h->LinkValues->BNode;
    }
}

TPathSearchResult TSearch::Run()
{
    TPathSearchResult r;
    const double maxDistance = Settings.MaximumDistance;
    if (!std::isfinite(maxDistance) || maxDistance < 0) {
        ShowMessageBox(Host.Sink, 304, 444, MB_EXCLAMATION_OK);
        return r;
    }
    MaxDist = maxDistance == 0 ? PathUnreached : maxDistance;

    // The start nodes of each set, in set order and list order.
    std::array<std::vector<TNode*>, PathStartSets + 1> starts;
    int found = 0;
    for (int k = 1; k <= PathStartSets; ++k)
        for (const std::string& name : Settings.StartNames[size_t(k)]) {
            if (TrimBlanks(name).empty()) continue;
            if (TNode* n = FindNodeByName(Net, PrepareNamePattern(name), nullptr)) {
                starts[size_t(k)].push_back(n);
                ++found;
            }
        }
    if (found == 0) {
        ShowMessageBox(Host.Sink, 288, 287, MB_EXCLAMATION_OK);
        return r;
    }

    r.Ran = true;
    Host.ShowStatusBox();
    SetStatus(r, "Initializing...");
    Host.CalcStop = 0;
    Net.SetAllowClose(false);
    if (!Stopped()) ResetNodes();

    SetStatus(r, "Building...");
    for (int k = 1; k <= PathStartSets; ++k)
        for (TNode* n : starts[size_t(k)]) {
            TPathScratch& q = Net.PathOf(n);
            if (!q.Done) {
                ++r.StartNodes;
                ++Settled;
            }
            q.Done = 1;
            q.Distance = 0;
            q.Mark = Settings.MarkValue[size_t(k)];
        }
    // A start node named twice is relaxed once: a second pass would change nothing.
    std::vector<TNode*> relaxed;
    for (int k = 1; k <= PathStartSets; ++k)
        for (TNode* n : starts[size_t(k)]) {
            if (std::find(relaxed.begin(), relaxed.end(), n) != relaxed.end()) continue;
            relaxed.push_back(n);
            Relax(n);
        }

    TNode* current = TakeNearest();
    while (current && !Stopped()) {
        Pump();
        if (!Blocking(current)) Relax(current);
        current = TakeNearest();
    }
    Heap.clear();
    Heap.shrink_to_fit();
    r.Stopped = Stopped();
    r.Settled = Settled;
    r.CostErrors = CostErrors;

    SetStatus(r, "Marking...");
    TNode* end = nullptr;
    if (!TrimBlanks(Settings.EndNodeName).empty())
        end = FindNodeByName(Net, PrepareNamePattern(Settings.EndNodeName), nullptr);
    r.PathMode = end != nullptr;
    // Nothing to mark: the walk would change nothing.
    if (!Stopped() && (AnyNodeMark || (AnyLinkMark && !r.PathMode))) MarkNodes(r.PathMode);
    if (r.PathMode && !Stopped()) MarkPath(end);

    SetStatus(r, CostErrors == 0 ? std::string("Done.") : "Done. Cost errors = " + std::to_string(CostErrors));
    Host.SearchFinished();
    return r;
}

} // namespace

TPathSearchResult MarkShortestPaths(TNetwork& net, const TShortestPathSettings& settings, const TWidthSettings& widths,
                                    TPathSearchHost& host)
{
    TSearch search(net, settings, widths, host);
    return search.Run();
}
