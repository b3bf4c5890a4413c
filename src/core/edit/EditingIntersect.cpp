// Link Intersect: every crossing of a link with other links becomes a node
// that splits both.
//
// The crossings are all found first, on the links as they stand when the call
// begins: each pair of segments (one of L, one of a candidate) is tested once,
// since two segments cross at most once. Then every link that is crossed is
// cut once, at its crossings in order along it, one cut per place on a
// segment. Finding a crossing never changes the lines that later tests see, so
// rounding a crossing to whole units cannot make crossings where the links do
// not cross, and the work grows with the segment pairs, not with the cuts.
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "core/edit/EditingInternal.h"
#include "core/model/Geometry.h"
#include "core/model/Rounding.h"

using namespace editing;

namespace {

// Crossings converted by one call at most; crossings beyond are left.
constexpr int32_t CrossingCap = 1000;

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

uint64_t PlaceKey(int32_t x, int32_t y) { return (uint64_t(uint32_t(y)) << 32) | uint32_t(x); }

TBox SegmentBox(const TNetworkPoint* a, const TNetworkPoint* b)
{
    return TBox{std::min(a->X, b->X), std::min(a->Y, b->Y), std::max(a->X, b->X), std::max(a->Y, b->Y)};
}

// Where a link is cut: at one of its shape points, or at a place inside one
// of its segments (segment 0 starts at the A node).
struct TCut {
    int32_t Segment = 0; // a shape point ends segment Segment (its index)
    double Along = 0;    // distance from the segment's start; a shape point: past every place inside
    TShapePoint* Point = nullptr;
    int32_t X = 0, Y = 0;
};

struct TCutLink {
    TLinkValues* Link;
    std::vector<TCut> Cuts;
};

// The editing of one call: new nodes, the pieces of the cut links.
struct TIntersect {
    TNetwork& Net;
    const TEditHooks& Hooks;
    TBox Touched = EmptyBox;

    // A node of the template class at (x, y); nullptr when its cell is full.
    TNode* NewNode(int32_t x, int32_t y)
    {
        THashEntry* cell = nullptr;
        TNode* node = AddNode(Net, x, y, cell, true, 0);
        if (!node) return nullptr;
        PlacedPoint(Net, node, Hooks);
        GrowExtents(Net, node->X, node->Y);
        return node;
    }

    // A shape point that a node replaces (or a dropped piece leaves): it
    // leaves every ring for the node and stays in its cell, inactive.
    void Retire(TShapePoint* sp, TNode* by)
    {
        if (by) ReplacePolygonVertex(Net, sp, by);
        sp->Active = 0;
    }

    // One piece of old from a to b through shapes (in order). A piece never
    // joins two nodes that an active link joins already, nor a node to itself:
    // such a piece is parted at its middle shape point, which becomes a node,
    // or at its midpoint when it has none; a looped piece of no length (every
    // point at the node) is dropped.
    void AddPiece(TLinkValues* old, TNode* a, TNode* b, std::vector<TShapePoint*> shapes)
    {
        struct TPiece {
            TNode* A;
            TNode* B;
            std::vector<TShapePoint*> Shapes;
        };
        std::vector<TPiece> todo;
        todo.push_back({a, b, std::move(shapes)});
        while (!todo.empty()) {
            TPiece p = std::move(todo.back());
            todo.pop_back();
            if (!Joined(p.A, p.B)) {
                TLink* half = nullptr;
                TLinkValues* r = AddReplacementLink(Net, p.A, p.B, old, half);
                if (!r) continue;
                for (TShapePoint* sp : p.Shapes) {
                    MakeRoom(r->ShapePoints);
                    r->ShapePoints.Insert(sp);
                    sp->Link = half;
                }
                FinishLinkBox(Net, r);
                continue;
            }
            if (p.A == p.B && std::all_of(p.Shapes.begin(), p.Shapes.end(),
                                          [&](const TShapePoint* sp) { return SamePlace(sp, p.A); })) {
                for (TShapePoint* sp : p.Shapes) Retire(sp, p.A);
                continue;
            }
            TNode* mid = nullptr;
            std::vector<TShapePoint*> first, second;
            if (!p.Shapes.empty()) {
                const size_t k = (p.Shapes.size() - 1) / 2;
                TShapePoint* sp = p.Shapes[k];
                mid = NewNode(sp->X, sp->Y);
                if (mid) Retire(sp, mid);
                first.assign(p.Shapes.begin(), p.Shapes.begin() + std::ptrdiff_t(k));
                second.assign(p.Shapes.begin() + std::ptrdiff_t(k + 1), p.Shapes.end());
            } else {
                mid = NewNode(int32_t(pround((double(p.A->X) + p.B->X) / 2)),
                              int32_t(pround((double(p.A->Y) + p.B->Y) / 2)));
            }
            if (!mid) {
                // No room for the node: the link that joins the two stays,
                // this piece goes.
                for (TShapePoint* sp : p.Shapes) sp->Active = 0;
                continue;
            }
            // The first half is made first.
            todo.push_back({mid, p.B, std::move(second)});
            todo.push_back({p.A, mid, std::move(first)});
        }
    }

    // Replaces the link by its pieces between the cuts, in order from its A
    // node; nodeAt gives the node of each cut's place (none: no cut there).
    void Cut(TCutLink& c, const std::unordered_map<uint64_t, TNode*>& nodeAt)
    {
        TLinkValues* old = c.Link;
        std::vector<TCut>& cuts = c.Cuts;
        std::stable_sort(cuts.begin(), cuts.end(), [](const TCut& x, const TCut& y) {
            return x.Segment != y.Segment ? x.Segment < y.Segment : x.Along < y.Along;
        });
        auto nodeOf = [&](const TCut& cut) {
            auto it = nodeAt.find(PlaceKey(cut.X, cut.Y));
            return it == nodeAt.end() ? nullptr : it->second;
        };
        if (std::none_of(cuts.begin(), cuts.end(), [&](const TCut& cut) { return nodeOf(cut) != nullptr; })) return;
        Touched.Include(old->Box);
        old->Active = 0;
        old->Superseded = 1;
        std::vector<TShapePoint*> shapes(old->ShapePoints.begin(), old->ShapePoints.end());
        old->ShapePoints.Clear();
        TNode* from = old->ANode;
        std::vector<TShapePoint*> piece;
        size_t next = 0;
        const int32_t segments = int32_t(shapes.size()) + 1;
        for (int32_t s = 0; s < segments; ++s) {
            // Places inside segment s, in order, then its end point.
            TShapePoint* end = s + 1 < segments ? shapes[size_t(s)] : nullptr;
            bool endCut = false;
            for (; next < cuts.size() && cuts[next].Segment == s; ++next) {
                const TCut& cut = cuts[next];
                TNode* node = nodeOf(cut);
                if (!node) continue;
                if (cut.Point) {
                    endCut = endCut || cut.Point == end;
                    continue;
                }
                // A second cut at the same place makes a piece of no length
                // from the node to itself, which AddPiece drops.
                AddPiece(old, from, node, std::move(piece));
                piece.clear();
                from = node;
            }
            if (!end) break;
            if (endCut) {
                TNode* node = nodeAt.at(PlaceKey(end->X, end->Y));
                Retire(end, node);
                AddPiece(old, from, node, std::move(piece));
                piece.clear();
                from = node;
            } else {
                piece.push_back(end);
            }
        }
        AddPiece(old, from, old->BNode, std::move(piece));
    }
};

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
    if (!AHalfEdge(L)) return false;
    if (reach < 0) reach = MaxLinkReach(net);

    std::vector<TLink*> candidates;
    CollectCandidates(net, L, reach, candidates);

    // The crossings, in the order they are found, as cuts of L and of each
    // candidate crossed (cut[0] is L); places in the order first found.
    std::vector<TCutLink> cut{{L, {}}};
    std::vector<uint64_t> places;
    std::unordered_map<uint64_t, TNode*> nodeAt;
    int32_t count = 0;
    auto place = [&](int32_t x, int32_t y) {
        if (nodeAt.emplace(PlaceKey(x, y), nullptr).second) places.push_back(PlaceKey(x, y));
    };
    auto cutsOf = [&](size_t& index, TLinkValues* m) -> std::vector<TCut>& {
        if (index == 0) {
            index = cut.size();
            cut.push_back({m, {}});
        }
        return cut[index].Cuts;
    };
    std::vector<size_t> indexOf(candidates.size(), 0);

    // Shape points the two links already share.
    std::unordered_multimap<uint64_t, int32_t> placesOfL;
    for (int32_t i = 0; i < L->ShapePoints.GetCount(); ++i) {
        const TShapePoint* sp = L->ShapePoints.At(i);
        placesOfL.emplace(PlaceKey(sp->X, sp->Y), i);
    }
    for (size_t c = 0; c < candidates.size(); ++c) {
        TLinkValues* M = candidates[c]->LinkValues;
        for (int32_t j = 0; j < M->ShapePoints.GetCount(); ++j) {
            TShapePoint* s2 = M->ShapePoints.At(j);
            auto [lo, hi] = placesOfL.equal_range(PlaceKey(s2->X, s2->Y));
            for (auto it = lo; it != hi && count < CrossingCap; ++it) {
                ++count;
                TShapePoint* s1 = L->ShapePoints.At(it->second);
                cut[0].Cuts.push_back({it->second, INFINITY, s1, s1->X, s1->Y});
                cutsOf(indexOf[c], M).push_back({j, INFINITY, s2, s2->X, s2->Y});
                place(s2->X, s2->Y);
            }
        }
    }

    // New crossings: each segment pair once, on the lines as they stand.
    std::vector<TNetworkPoint*> lineL, lineM;
    Polyline(L, lineL);
    for (size_t c = 0; c < candidates.size(); ++c) {
        TLinkValues* M = candidates[c]->LinkValues;
        Polyline(M, lineM);
        const TBox boxM = Grown(M->Box, 1);
        for (size_t i = 0; i + 1 < lineL.size(); ++i) {
            const TNetworkPoint* a1 = lineL[i];
            const TNetworkPoint* a2 = lineL[i + 1];
            if (!Meets(Grown(SegmentBox(a1, a2), 1), boxM)) continue;
            for (size_t j = 0; j + 1 < lineM.size(); ++j) {
                const TNetworkPoint* b1 = lineM[j];
                const TNetworkPoint* b2 = lineM[j + 1];
                if (SamePlace(a1, b1) || SamePlace(a1, b2) || SamePlace(a2, b1) || SamePlace(a2, b2)) continue;
                TGeoPoint p;
                double x, y;
                if (!LineIntersection(*a1, *a2, *b1, *b2, false, p, x, y)) continue;
                if (++count >= CrossingCap) continue;
                cut[0].Cuts.push_back({int32_t(i), std::hypot(x - a1->X, y - a1->Y), nullptr, p.X, p.Y});
                cutsOf(indexOf[c], M).push_back({int32_t(j), std::hypot(x - b1->X, y - b1->Y), nullptr, p.X, p.Y});
                place(p.X, p.Y);
            }
        }
    }

    // One node per place; crossings at one place share it. A place whose
    // cell is full gets none, and is not cut.
    TIntersect work{net, hooks};
    int32_t nodes = 0;
    for (uint64_t key : places) {
        TNode* node = work.NewNode(int32_t(uint32_t(key)), int32_t(uint32_t(key >> 32)));
        nodeAt[key] = node;
        nodes += node != nullptr;
    }
    if (nodes == 0) return false;
    for (TCutLink& c : cut) work.Cut(c, nodeAt);
    if (!work.Touched.IsEmpty()) area = work.Touched;
    return true;
}
