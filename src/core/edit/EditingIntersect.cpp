// Link Intersect: every crossing of a link with other links becomes a node
// that splits both.
#include <algorithm>
#include <unordered_map>

#include "core/edit/EditingInternal.h"
#include "core/model/Geometry.h"

using namespace editing;

namespace {

bool Meets(const TBox& a, const TBox& b)
{
    return a.MinX <= b.MaxX && b.MinX <= a.MaxX && a.MinY <= b.MaxY && b.MinY <= a.MaxY;
}

TBox Grown(const TBox& b, int64_t by)
{
    auto c = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return TBox{c(int64_t(b.MinX) - by), c(int64_t(b.MinY) - by), c(int64_t(b.MaxX) + by), c(int64_t(b.MaxY) + by)};
}

int64_t CellReach(const THashEntry* c)
{
    const TBox& b = c->LinkBox;
    if (b.IsEmpty()) return 0;
    return std::max({int64_t(0), int64_t(b.MaxX) - c->X0, int64_t(c->X1) - b.MinX, int64_t(b.MaxY) - c->Y0,
                     int64_t(c->Y1) - b.MinY});
}

// Active links other than L, none of whose ends is an end of L, whose box
// (grown by 1) meets L's (grown by 1); each once, by its A half-edge.
void CollectCandidates(const TNetwork& net, const TLinkValues* L, int64_t reach, std::vector<TLink*>& out)
{
    const TBox g = Grown(L->Box, 1);
    auto scan = [&](const THashEntry* cell) {
        if (cell->LinkBox.IsEmpty() || !Meets(Grown(cell->LinkBox, 1), g)) return;
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n) continue;
            for (TLink* h : n->Links) {
                const TLinkValues* m = h->LinkValues;
                if (!h->AEnd() || !m || !m->Active || m == L) continue;
                if (m->ANode == L->ANode || m->BNode == L->BNode || L->ANode == m->BNode || L->BNode == m->ANode)
                    continue;
                if (Meets(Grown(m->Box, 1), g)) out.push_back(h);
            }
        }
    };
    const THashTable& t = net.NodeHash;
    const TBox area = Grown(g, reach);
    int64_t cx0 = t.CellXOf(area.MinX), cx1 = t.CellXOf(area.MaxX);
    int64_t cy0 = t.CellYOf(area.MinY), cy1 = t.CellYOf(area.MaxY);
    if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) <= int64_t(t.GetCount())) {
        // Few cell places in reach: look them up. Cell order is kept so that
        // the candidates come in hash order either way.
        std::vector<const THashEntry*> cells;
        for (int64_t cy = cy0; cy <= cy1; ++cy)
            for (int64_t cx = cx0; cx <= cx1; ++cx)
                if (const THashEntry* c = t.FindCellByKey(MakeCellKey(int32_t(cx), int32_t(cy)))) cells.push_back(c);
        std::sort(cells.begin(), cells.end(), [](const THashEntry* a, const THashEntry* b) { return a->Key < b->Key; });
        for (const THashEntry* c : cells) scan(c);
    } else {
        for (const THashEntry* c : t) scan(c);
    }
}

// A, shape points, B.
void Polyline(const TLinkValues* r, std::vector<TNetworkPoint*>& line)
{
    line.clear();
    line.push_back(r->ANode);
    for (TShapePoint* sp : r->ShapePoints) line.push_back(sp);
    line.push_back(r->BNode);
}

bool SamePlace(const TNetworkPoint* a, const TNetworkPoint* b) { return a->X == b->X && a->Y == b->Y; }

// Replaces the link that holds s by two links, old A -> node and node -> old
// B, splitting its shape points at s.
void SplitAt(TNetwork& net, TShapePoint* s, TNode* node, TBox& area)
{
    TLinkValues* old = s->Link->LinkValues;
    int32_t k = ShapeIndex(s);
    if (k < 0) return;
    area.Include(old->Box);
    old->Active = 0;
    old->Superseded = 1;
    TLink *h1 = nullptr, *h2 = nullptr;
    TLinkValues* first = AddReplacementLink(net, old->ANode, node, old, h1);
    TLinkValues* second = AddReplacementLink(net, node, old->BNode, old, h2);
    SplitShapePoints(old, k, first, h1, second, h2);
    FinishLinkBox(net, first);
    FinishLinkBox(net, second);
    ReplacePolygonVertex(net, s, node);
    s->Active = 0;
}

} // namespace

int64_t MaxLinkReach(const TNetwork& net)
{
    int64_t r = 0;
    for (const THashEntry* c : net.NodeHash) r = std::max(r, CellReach(c));
    return r;
}

bool IntersectLink(TNetwork& net, TLink* halfEdge, TBox& area, const TEditHooks& hooks, int64_t reach)
{
    area = TBox{0, 0, 0, 0};
    TLinkValues* L = halfEdge ? halfEdge->LinkValues.get() : nullptr;
    if (!L || !L->Active || !L->ANode || !L->BNode) return false;
    net.SetAllowClose(false);
    TLink* hL = AHalfEdge(L);
    if (!hL) return false;
    if (reach < 0) reach = MaxLinkReach(net);

    std::vector<TLink*> candidates;
    CollectCandidates(net, L, reach, candidates);

    struct Crossing {
        TShapePoint* OfL;
        TShapePoint* OfM;
    };
    std::vector<Crossing> crossings;

    // Shape points the two links already share.
    std::unordered_multimap<uint64_t, TShapePoint*> placesOfL;
    auto place = [](const TNetworkPoint* p) { return (uint64_t(uint32_t(p->Y)) << 32) | uint32_t(p->X); };
    for (TShapePoint* sp : L->ShapePoints) placesOfL.emplace(place(sp), sp);
    for (TLink* hm : candidates)
        for (TShapePoint* s2 : hm->LinkValues->ShapePoints) {
            auto [lo, hi] = placesOfL.equal_range(place(s2));
            for (auto it = lo; it != hi; ++it) crossings.push_back({it->second, s2});
        }

    // New crossings. Each found crossing puts a shape point into both links
    // there; the two then share that point, so the pair is not found again.
    // The scan goes on behind it and passes repeat until one finds nothing
    // (rounding the crossing moves both segments a little).
    std::vector<TNetworkPoint*> lineL, lineM;
    for (TLink* hm : candidates) {
        TLinkValues* M = hm->LinkValues;
        Polyline(L, lineL);
        Polyline(M, lineM);
        // Two polylines of a and b segments cross at most a x b times; the
        // bound only guards against rounding that keeps finding crossings.
        int64_t budget = int64_t(lineL.size()) * int64_t(lineM.size()) + 8;
        bool again = true;
        while (again && budget > 0) {
            again = false;
            for (size_t i = 0; i + 1 < lineL.size() && budget > 0; ++i) {
                for (size_t j = 0; j + 1 < lineM.size() && budget > 0; ++j) {
                    const TNetworkPoint* a1 = lineL[i];
                    const TNetworkPoint* a2 = lineL[i + 1];
                    const TNetworkPoint* b1 = lineM[j];
                    const TNetworkPoint* b2 = lineM[j + 1];
                    if (SamePlace(a1, b1) || SamePlace(a1, b2) || SamePlace(a2, b1) || SamePlace(a2, b2)) continue;
                    TGeoPoint p;
                    double x, y;
                    if (!LineIntersection(*a1, *a2, *b1, *b2, false, p, x, y)) continue;
                    TShapePoint* s1 = AddShapePoint(net, p.X, p.Y, int32_t(i), hL);
                    if (!s1) continue;
                    TShapePoint* s2 = AddShapePoint(net, p.X, p.Y, int32_t(j), hm);
                    if (!s2) {
                        L->ShapePoints.Remove(s1);
                        FreeShapePoint(net, nullptr, nullptr, s1);
                        continue;
                    }
                    PlacedPoint(net, s1, hooks);
                    PlacedPoint(net, s2, hooks);
                    lineL.insert(lineL.begin() + std::ptrdiff_t(i + 1), s1);
                    lineM.insert(lineM.begin() + std::ptrdiff_t(j + 1), s2);
                    crossings.push_back({s1, s2});
                    again = true;
                    --budget;
                }
            }
        }
    }

    // Every crossing becomes a node that splits both links.
    TBox touched = EmptyBox;
    std::unordered_map<const TShapePoint*, TNode*> nodeAt;
    int32_t converted = 0;
    for (const Crossing& c : crossings) {
        TNode* node = nullptr;
        if (auto it = nodeAt.find(c.OfL); it != nodeAt.end()) node = it->second;
        if (auto it = nodeAt.find(c.OfM); !node && it != nodeAt.end()) node = it->second;
        if (!node) {
            THashEntry* cell = nullptr;
            node = AddNode(net, c.OfL->X, c.OfL->Y, cell, true, 0);
            if (!node) continue;
            PlacedPoint(net, node, hooks);
            GrowExtents(net, node->X, node->Y);
        }
        nodeAt[c.OfL] = node;
        nodeAt[c.OfM] = node;
        for (TShapePoint* s : {c.OfL, c.OfM}) {
            if (!s->Active || !s->Link || !s->Link->LinkValues || !s->Link->LinkValues->Active) continue;
            SplitAt(net, s, node, touched);
        }
        ++converted;
    }
    if (!touched.IsEmpty()) area = touched;
    return converted > 0;
}
