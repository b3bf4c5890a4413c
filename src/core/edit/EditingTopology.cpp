// Operations that rebuild topology: flip, node/shape-point conversions, node
// merge with polygon merge, and link intersection.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "core/edit/EditingInternal.h"
#include "core/model/Geometry.h"
#include "core/model/NetworkQueries.h"

using namespace editing;

// ---------------------------------------------------------------- flip

bool FlipLink(TNetwork& net, TLink* halfEdge)
{
    TLinkValues* r = halfEdge ? halfEdge->LinkValues.get() : nullptr;
    if (!r || r->FlipMark) return false;
    net.SetAllowClose(false);
    r->FlipMark = 1;
    TLink* twin = OtherHalf(halfEdge);
    std::swap(r->ANode, r->BNode);
    halfEdge->SetAEnd(!halfEdge->AEnd());
    if (twin) twin->SetAEnd(!twin->AEnd());
    if (r->ShapePoints.GetCount() > 1) ReverseShapePoints(r);
    FinishLinkBox(net, r);
    return true;
}

// ---------------------------------------------------------------- conversions

bool NodeToShapePoint(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* node)
{
    if (EditRefused(view)) return false;
    net.SetAllowClose(false);
    TNode *from, *to;
    TLinkValues *in, *out;
    if (!GetThroughLinks(node, from, in, to, out) || from == to) return false;
    if (Joined(from, to)) {
        edit.Notice = NoticeEndsLinked;
        return false;
    }
    view.PickedNode = node;
    edit.PreviousNode = from;
    view.CurrentNode = to;
    // A link deleted between the far nodes stays deleted (Undelete leaves it
    // so beside the new one): reviving it would put its own shape points
    // before the node's, so the splice makes the new link itself.
    if (TLink* old = FindHalfEdge(from, to); old && !old->LinkValues->Active)
        return SpliceLinksAtNode(net, node, nullptr, edit.Hooks.SpliceRules(), edit.Hooks);
    TLink* h = nullptr;
    if (LinkPlotStep(net, from, to, h) != TLinkPlotResult::Added) return false;
    return SpliceLinksAtNode(net, node, h, edit.Hooks.SpliceRules(), edit.Hooks);
}

TNode* ShapePointToNode(TNetwork& net, TViewRecord& view, TEditState& edit, TShapePoint* shapePoint)
{
    if (EditRefused(view) || !ValidShapePoint(shapePoint)) return nullptr;
    net.SetAllowClose(false);
    TLinkValues* old = shapePoint->Link->LinkValues;
    TLink* oldA = AHalfEdge(old);
    if (!oldA) return nullptr;
    edit.CurrentHalfEdge = oldA;
    view.CursorX = shapePoint->X;
    view.CursorY = shapePoint->Y;
    if (!CanPlaceNode(net, view, &net.TemplateNode)) return nullptr;
    RegridHashTable(net);
    THashEntry* cell = nullptr;
    TNode* n = AddNode(net, shapePoint->X, shapePoint->Y, cell, true, 0);
    if (!n) return nullptr;
    PlacedPoint(net, n, edit.Hooks);

    int32_t k = ShapeIndex(shapePoint);
    TLinkValues* first = MakeSplitLink(net, oldA, old->ANode, n);
    TLinkValues* second = MakeSplitLink(net, oldA, n, old->BNode);
    SplitShapePoints(old, k, first, AHalfEdge(first), second, AHalfEdge(second));
    old->Active = 0;
    old->DeletedWithNode = 0;
    old->EntityType = 0;
    old->Superseded = 1;
    FinishLinkBox(net, first);
    FinishLinkBox(net, second);
    ReplacePolygonVertex(net, shapePoint, n);
    shapePoint->Active = 0;
    FreeShapePoint(net, &view, &edit, shapePoint);
    GrowExtents(net, n->X, n->Y);
    return n;
}

// ---------------------------------------------------------------- polygon merge

namespace {

struct SharedVertex {
    int32_t T; // position in target's ring
    int32_t S; // position in source's ring
};

// Shared positions form one unbroken run around a ring of n positions.
bool OneRun(std::vector<int32_t> positions, int32_t n)
{
    std::sort(positions.begin(), positions.end());
    size_t k = positions.size();
    int breaks = 0;
    for (size_t i = 0; i < k; ++i) {
        int32_t cur = positions[i], next = positions[(i + 1) % k];
        if (next != (cur + 1) % n) ++breaks;
    }
    return breaks <= 1;
}

} // namespace

TPolygonMerge MergeNodePolygons(TNetwork& net, TNode* source, TNode* target)
{
    if (!source || !target || source == target) return TPolygonMerge::Nothing;
    if (source->OwnPolygon().GetCount() == 0) return TPolygonMerge::Nothing;
    auto& S = source->OwnPolygonRef();
    auto& T = target->OwnPolygonRef();
    if (S.GetCount() == 0) return TPolygonMerge::Nothing;
    net.SetAllowClose(false);
    if (T.GetCount() == 0) {
        for (TNetworkPoint* v : S) {
            MakeRoom(T);
            T.Insert(v);
            int32_t i = net.PolygonsOf(v).IndexOf(source);
            if (i >= 0) net.PolygonsRef(v).DeleteAt(i);
            if (net.PolygonsOf(v).IndexOf(target) < 0) {
                MakeRoom(net.PolygonsRef(v));
                net.PolygonsRef(v).Insert(target);
            }
        }
        S.Clear();
        UpdateNodePolygonBox(net, source);
        UpdateNodePolygonBox(net, target);
        return TPolygonMerge::Merged;
    }

    const int32_t nT = T.GetCount(), nS = S.GetCount();
    std::unordered_map<const TNetworkPoint*, int32_t> posS;
    posS.reserve(size_t(nS));
    for (int32_t i = nS - 1; i >= 0; --i) posS[S.At(i)] = i;
    std::vector<char> inT(size_t(nT), 0), inS(size_t(nS), 0);
    std::vector<SharedVertex> shared;
    for (int32_t t = 0; t < nT; ++t) {
        auto it = posS.find(T.At(t));
        if (it == posS.end() || inS[size_t(it->second)]) continue;
        shared.push_back({t, it->second});
        inT[size_t(t)] = 1;
        inS[size_t(it->second)] = 1;
    }
    const int32_t k = int32_t(shared.size());
    std::vector<int32_t> tPos, sPos;
    for (const SharedVertex& v : shared) {
        tPos.push_back(v.T);
        sPos.push_back(v.S);
    }
    if (k < 2 || k == nS || k == nT || !OneRun(tPos, nT) || !OneRun(sPos, nS)) {
        return TPolygonMerge::NotMerged;
    }
    auto succ = [](int32_t i, int32_t n) { return (i + 1) % n; };
    auto pred = [](int32_t i, int32_t n) { return (i + n - 1) % n; };
    int32_t tFirst = -1, tLast = -1, sFirst = -1, sLast = -1;
    for (const SharedVertex& v : shared) {
        if (!inT[size_t(pred(v.T, nT))]) tFirst = v.T;
        if (!inT[size_t(succ(v.T, nT))]) tLast = v.T;
        if (!inS[size_t(pred(v.S, nS))]) sFirst = v.S;
        if (!inS[size_t(succ(v.S, nS))]) sLast = v.S;
    }
    if (tFirst < 0 || tLast < 0 || sFirst < 0 || sLast < 0) return TPolygonMerge::NotMerged;
    const bool sameDirection = T.At(tFirst) == S.At(sFirst);
    const bool zeroInRun = inT[0] != 0;

    std::vector<TNetworkPoint*> merged;
    merged.reserve(size_t(nT + nS));
    if (!zeroInRun) {
        for (int32_t t = 0; t <= tFirst; ++t) merged.push_back(T.At(t));
    } else {
        for (int32_t t = tLast;; t = succ(t, nT)) {
            merged.push_back(T.At(t));
            if (t == tFirst) break;
        }
    }
    std::vector<TNetworkPoint*> fromSource;
    if (!sameDirection) {
        for (int32_t s = succ(sLast, nS); !inS[size_t(s)]; s = succ(s, nS)) fromSource.push_back(S.At(s));
    } else {
        for (int32_t s = pred(sFirst, nS); !inS[size_t(s)]; s = pred(s, nS)) fromSource.push_back(S.At(s));
    }
    for (TNetworkPoint* v : fromSource) {
        merged.push_back(v);
        int32_t i = net.PolygonsOf(v).IndexOf(source);
        if (i >= 0) net.PolygonsRef(v).DeleteAt(i);
        if (net.PolygonsOf(v).IndexOf(target) < 0) {
            MakeRoom(net.PolygonsRef(v));
            net.PolygonsRef(v).Insert(target);
        }
    }
    if (!zeroInRun)
        for (int32_t t = tLast; t < nT; ++t) merged.push_back(T.At(t));

    // Target vertices inside the run leave target's ring.
    std::unordered_set<const TNetworkPoint*> kept(merged.begin(), merged.end());
    for (int32_t t = 0; t < nT; ++t) {
        TNetworkPoint* v = T.At(t);
        if (kept.count(v)) continue;
        int32_t i = net.PolygonsOf(v).IndexOf(target);
        if (i >= 0) net.PolygonsRef(v).DeleteAt(i);
    }
    std::vector<TNetworkPoint*> rest;
    for (int32_t s = 0; s < nS; ++s)
        if (inS[size_t(s)]) rest.push_back(S.At(s));
    T.Clear();
    T.SetLimit(std::max<int32_t>(T.GetLimit(), int32_t(merged.size())));
    for (TNetworkPoint* v : merged) T.Insert(v);
    S.Clear();
    for (TNetworkPoint* v : rest) S.Insert(v);
    UpdateNodePolygonBox(net, source);
    UpdateNodePolygonBox(net, target);
    return TPolygonMerge::Merged;
}

// ---------------------------------------------------------------- node merge

TPolygonMerge MergeNodes(TNetwork& net, TNode* source, TNode* target, const TEditHooks& hooks)
{
    if (!source || !target || source == target || !source->Active || !target->Active) return TPolygonMerge::Nothing;
    net.SetAllowClose(false);
    std::vector<TLink*> halves(source->Links.begin(), source->Links.end());
    for (TLink* h : halves) {
        TLinkValues* r = h->LinkValues;
        TNode* far = h->FarNode;
        if (!r || !far || far == target || far == source) continue;
        bool linked = false;
        for (TLink* g : target->Links)
            if (g->FarNode == far && g->LinkValues && g->LinkValues->Active) linked = true;
        if (linked) continue;
        TLink* twin = OtherHalf(h);
        if (twin) twin->FarNode = target;
        source->Links.Remove(h);
        net.Store.GrowRoom(target->Links);
        target->Links.Insert(h);
        if (r->ANode == source) r->ANode = target;
        if (r->BNode == source) r->BNode = target;
        FinishLinkBox(net, r);
    }
    ReplacePolygonVertex(net, source, target);
    TPolygonMerge result = MergeNodePolygons(net, source, target);
    UpdateNodePolygonBox(net, target);
    DeleteNode(net, source, false, hooks);
    return result;
}

bool MergeNodeIntoShapePoint(TNetwork& net, TNode* source, TShapePoint* target, const TEditHooks& hooks)
{
    if (!source || !source->Active || !ValidShapePoint(target)) return false;
    net.SetAllowClose(false);
    if (AttachedLinkCount(source) != 0 || source->OwnPolygon().GetCount() != 0) return false;
    ReplacePolygonVertex(net, source, target);
    DeleteNode(net, source, false, hooks);
    return true;
}
