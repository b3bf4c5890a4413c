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
//
// A crossing is a node at its place rounded to whole units, and where a node
// stands there, or the crossing lies within the half unit around an end node
// of either link, it is that node: the link that ends there is not cut, and
// no second node and no link of no length is made. What the call adds and
// cuts is worked out first and done after, so that a crossing whose node or
// pieces cannot be placed is left uncut rather than half done.
#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

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
int32_t PlaceX(uint64_t key) { return int32_t(uint32_t(key)); }
int32_t PlaceY(uint64_t key) { return int32_t(uint32_t(key >> 32)); }

TBox SegmentBox(const TNetworkPoint* a, const TNetworkPoint* b)
{
    return TBox{std::min(a->X, b->X), std::min(a->Y, b->Y), std::max(a->X, b->X), std::max(a->Y, b->Y)};
}

// (x, y) rounds to the node's place, a tie either way.
bool WithinHalfUnit(double x, double y, const TNode* n) { return std::fabs(x - n->X) <= 0.5 && std::fabs(y - n->Y) <= 0.5; }

// The first active node standing at (x, y); nullptr when none.
TNode* NodeStandingAt(const TNetwork& net, int32_t x, int32_t y)
{
    const THashEntry* cell = net.NodeHash.FindCell(x, y);
    int32_t i = 0;
    if (!cell || !cell->Points.Search(TNetworkPoint::PointKeyOf(x, y), i)) return nullptr;
    for (; i < cell->Points.GetCount() && cell->Points.At(i)->X == x && cell->Points.At(i)->Y == y; ++i) {
        TNode* n = cell->Points.At(i)->AsNode();
        if (n && n->Active) return n;
    }
    return nullptr;
}

// A crossing of L with a candidate. Its place is where its node stands: the
// end node it counts as, or the crossing rounded.
struct TCrossing {
    uint64_t Place;
    TNode* End; // nullptr: no end node
    bool Uncut = false;
};

// Where a link is cut: at one of its shape points, or at a place inside one
// of its segments (segment 0 starts at the A node).
struct TCut {
    int32_t Segment = 0; // a shape point ends segment Segment (its index)
    double Along = 0;    // distance from the segment's start; a shape point: past every place inside
    TShapePoint* Point = nullptr;
    int32_t Crossing = 0;
};

struct TCutLink {
    TLinkValues* Link;
    std::vector<TCut> Cuts;
};

// A node of the call: one that stands, or one to add at (X, Y).
struct TSpot {
    TNode* Node;
    int32_t X, Y;
};

// A piece of a cut link, from spot A to spot B through shapes (in order).
struct TPiece {
    int32_t A, B;
    std::vector<TShapePoint*> Shapes;
};

// A cut link: its pieces in order from its A node, and the shape points that
// leave it, each with the spot that takes its place in rings.
struct TLinkPlan {
    TLinkValues* Old;
    std::vector<TPiece> Pieces;
    std::vector<std::pair<TShapePoint*, int32_t>> Retired;
};

// The nodes and pieces of one call, worked out without changing anything.
struct TPlan {
    explicit TPlan(TNetwork& net) : Net(net) {}

    TNetwork& Net;
    std::vector<TSpot> Spots;
    std::unordered_map<uint64_t, int32_t> SpotAt;     // the crossings' nodes and the nodes to add, by place
    std::unordered_map<const TNode*, int32_t> SpotOf; // standing nodes
    std::unordered_set<uint64_t> Pairs;               // spot pairs that a piece joins
    std::unordered_set<const TLinkValues*> Gone;      // links cut so far
    std::unordered_map<int64_t, int32_t> Adding;      // nodes to add, by cell key
    int32_t NewCells = 0;
    std::vector<TLinkPlan> Links;

    static uint64_t Pair(int32_t a, int32_t b)
    {
        return (uint64_t(uint32_t(std::min(a, b))) << 32) | uint32_t(std::max(a, b));
    }

    int32_t Standing(TNode* n)
    {
        auto [it, fresh] = SpotOf.emplace(n, int32_t(Spots.size()));
        if (fresh) Spots.push_back({n, n->X, n->Y});
        return it->second;
    }

    // A node can be added at (x, y): inside the world, no active node
    // standing there or to be added there, and room in its cell.
    bool Room(int32_t x, int32_t y) const
    {
        if (!InWorld(x, y) || SpotAt.count(PlaceKey(x, y)) || NodeStandingAt(Net, x, y)) return false;
        const int64_t key = Net.NodeHash.CellKey(x, y);
        auto adding = Adding.find(key);
        const int32_t more = adding == Adding.end() ? 0 : adding->second;
        if (const THashEntry* cell = Net.NodeHash.FindCellByKey(key)) return cell->Points.GetCount() + more < HashCap;
        return more > 0 || Net.NodeHash.GetCount() + NewCells < HashCap;
    }

    int32_t Add(int32_t x, int32_t y)
    {
        const int64_t key = Net.NodeHash.CellKey(x, y);
        if (!Net.NodeHash.FindCellByKey(key) && !Adding.count(key)) ++NewCells;
        ++Adding[key];
        SpotAt[PlaceKey(x, y)] = int32_t(Spots.size());
        Spots.push_back({nullptr, x, y});
        return int32_t(Spots.size()) - 1;
    }

    bool Joined(int32_t a, int32_t b) const
    {
        if (a == b || Pairs.count(Pair(a, b))) return true;
        const TNode* na = Spots[size_t(a)].Node;
        const TNode* nb = Spots[size_t(b)].Node;
        return na && nb && editing::Joined(na, nb, &Gone);
    }

    // A piece never joins two joined nodes, nor a node to itself: such a
    // piece is parted at its middle shape point, which becomes a node, or at
    // its midpoint when it has none; a looped piece of no length (every point
    // at the node) is dropped. False when the parting node has no room.
    bool Piece(TLinkPlan& plan, int32_t a, int32_t b, std::vector<TShapePoint*> shapes)
    {
        if (!Joined(a, b)) {
            Pairs.insert(Pair(a, b));
            plan.Pieces.push_back({a, b, std::move(shapes)});
            return true;
        }
        const TSpot sa = Spots[size_t(a)], sb = Spots[size_t(b)];
        if (a == b && std::all_of(shapes.begin(), shapes.end(),
                                  [&](const TShapePoint* sp) { return sp->X == sa.X && sp->Y == sa.Y; })) {
            for (TShapePoint* sp : shapes) plan.Retired.emplace_back(sp, a);
            return true;
        }
        const size_t k = shapes.empty() ? 0 : (shapes.size() - 1) / 2;
        TShapePoint* at = shapes.empty() ? nullptr : shapes[k];
        const int32_t x = at ? at->X : int32_t(pround((double(sa.X) + sb.X) / 2));
        const int32_t y = at ? at->Y : int32_t(pround((double(sa.Y) + sb.Y) / 2));
        if (!Room(x, y)) return false;
        const int32_t mid = Add(x, y);
        std::vector<TShapePoint*> first, second;
        if (at) {
            plan.Retired.emplace_back(at, mid);
            first.assign(shapes.begin(), shapes.begin() + std::ptrdiff_t(k));
            second.assign(shapes.begin() + std::ptrdiff_t(k + 1), shapes.end());
        }
        // The first half is made first (the second of a looped piece joins
        // the nodes that the first joins).
        return Piece(plan, a, mid, std::move(first)) && Piece(plan, mid, b, std::move(second));
    }

    // The pieces of a link between its cuts, in order from its A node. -1,
    // or a crossing to leave uncut when a piece cannot be made.
    int32_t Cut(TCutLink& c, const std::vector<TCrossing>& crossings)
    {
        std::vector<TCut> cuts;
        for (const TCut& cut : c.Cuts)
            if (!crossings[size_t(cut.Crossing)].Uncut) cuts.push_back(cut);
        if (cuts.empty()) return -1;
        auto spotOf = [&](const TCut& cut) { return SpotAt.at(crossings[size_t(cut.Crossing)].Place); };
        TLinkValues* old = c.Link;
        Gone.insert(old);
        Links.push_back({old, {}, {}});
        TLinkPlan& plan = Links.back();
        std::vector<TShapePoint*> shapes(old->ShapePoints.begin(), old->ShapePoints.end());
        int32_t from = Standing(old->ANode), fromCrossing = cuts.front().Crossing;
        std::vector<TShapePoint*> piece;
        size_t next = 0;
        const int32_t segments = int32_t(shapes.size()) + 1;
        for (int32_t s = 0; s < segments; ++s) {
            // Places inside segment s, in order, then its end point.
            TShapePoint* end = s + 1 < segments ? shapes[size_t(s)] : nullptr;
            const TCut* endCut = nullptr;
            for (; next < cuts.size() && cuts[next].Segment == s; ++next) {
                const TCut& cut = cuts[next];
                if (cut.Point) {
                    if (cut.Point == end && !endCut) endCut = &cut;
                    continue;
                }
                // A second cut at the same place makes a piece of no length
                // from the node to itself, which is dropped.
                const int32_t node = spotOf(cut);
                if (!Piece(plan, from, node, std::move(piece))) return cut.Crossing;
                piece.clear();
                from = node;
                fromCrossing = cut.Crossing;
            }
            if (!end) break;
            if (endCut) {
                const int32_t node = spotOf(*endCut);
                plan.Retired.emplace_back(end, node);
                if (!Piece(plan, from, node, std::move(piece))) return endCut->Crossing;
                piece.clear();
                from = node;
                fromCrossing = endCut->Crossing;
            } else {
                piece.push_back(end);
            }
        }
        if (!Piece(plan, from, Standing(old->BNode), std::move(piece))) return fromCrossing;
        return -1;
    }

    // One node per place that has crossings to cut: the end node a crossing
    // there counts as, else a node standing there, else a new one where its
    // cell has room (a place without room is left uncut). Then the pieces of
    // every crossed link, L first. -1 when all can be made, else a crossing
    // to leave uncut.
    int32_t Make(std::vector<TCutLink>& cut, std::vector<TCrossing>& crossings, const std::vector<uint64_t>& places,
                 const std::unordered_map<uint64_t, std::vector<int32_t>>& crossingsAt)
    {
        for (uint64_t place : places) {
            TNode* node = nullptr;
            bool live = false;
            for (int32_t k : crossingsAt.at(place)) {
                const TCrossing& c = crossings[size_t(k)];
                live = live || !c.Uncut;
                if (!c.Uncut && !node) node = c.End;
            }
            if (!live) continue;
            const int32_t x = PlaceX(place), y = PlaceY(place);
            if (!node) node = NodeStandingAt(Net, x, y);
            if (node)
                SpotAt[place] = Standing(node);
            else if (Room(x, y))
                Add(x, y);
            else
                for (int32_t k : crossingsAt.at(place)) crossings[size_t(k)].Uncut = true;
        }
        for (TCutLink& c : cut)
            if (int32_t uncut = Cut(c, crossings); uncut >= 0) return uncut;
        return -1;
    }

    // Adds the nodes, then replaces every cut link by its pieces; area
    // receives the replaced links' boxes.
    void Apply(const TEditHooks& hooks, TBox& area)
    {
        for (TSpot& s : Spots) {
            if (s.Node) continue;
            THashEntry* cell = nullptr;
            s.Node = AddNode(Net, s.X, s.Y, cell, true, 0);
            if (!s.Node) continue;
            PlacedPoint(Net, s.Node, hooks);
            GrowExtents(Net, s.X, s.Y);
        }
        for (TLinkPlan& plan : Links) {
            TLinkValues* old = plan.Old;
            area.Include(old->Box);
            old->Active = 0;
            old->Superseded = 1;
            old->ShapePoints.Clear();
            // A shape point that leaves the link leaves every ring for the
            // node at its place and stays in its cell, inactive.
            for (auto [sp, spot] : plan.Retired) {
                if (TNode* node = Spots[size_t(spot)].Node) ReplacePolygonVertex(Net, sp, node);
                sp->Active = 0;
            }
            for (TPiece& p : plan.Pieces) {
                TLink* half = nullptr;
                TLinkValues* r = AddReplacementLink(Net, Spots[size_t(p.A)].Node, Spots[size_t(p.B)].Node, old, half);
                if (!r) continue;
                for (TShapePoint* sp : p.Shapes) {
                    MakeRoom(r->ShapePoints);
                    r->ShapePoints.Insert(sp);
                    sp->Link = half;
                }
                FinishLinkBox(Net, r);
            }
        }
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
    std::vector<TCrossing> crossings;
    std::vector<uint64_t> places;
    std::unordered_map<uint64_t, std::vector<int32_t>> crossingsAt;
    int32_t count = 0;
    auto cutsOf = [&](size_t& index, TLinkValues* m) -> std::vector<TCut>& {
        if (index == 0) {
            index = cut.size();
            cut.push_back({m, {}});
        }
        return cut[index].Cuts;
    };
    std::vector<size_t> indexOf(candidates.size(), 0);
    // A crossing at (x, y), rounded to (px, py), of L and of the candidate c
    // (shared: at a shape point of both). It counts as an end node of either
    // link within its half unit (one at its rounded place first); a link
    // that ends there is not cut by it. Nothing when neither link would be.
    auto crossing = [&](size_t c, bool shared, double x, double y, int32_t px, int32_t py, TCut atL, TCut atM) {
        TLinkValues* M = candidates[c]->LinkValues;
        const bool cutsL = !WithinHalfUnit(x, y, L->ANode) && !WithinHalfUnit(x, y, L->BNode);
        const bool cutsM = !WithinHalfUnit(x, y, M->ANode) && !WithinHalfUnit(x, y, M->BNode);
        if (!cutsL && !cutsM) return;
        if (shared ? count++ >= CrossingCap : ++count >= CrossingCap) return;
        TNode* end = nullptr;
        for (TNode* n : {L->ANode, L->BNode, M->ANode, M->BNode})
            if (!end && n->X == px && n->Y == py) end = n;
        for (TNode* n : {L->ANode, L->BNode, M->ANode, M->BNode})
            if (!end && WithinHalfUnit(x, y, n)) end = n;
        const uint64_t place = end ? PlaceKey(end->X, end->Y) : PlaceKey(px, py);
        auto [at, fresh] = crossingsAt.try_emplace(place);
        if (fresh) places.push_back(place);
        atL.Crossing = atM.Crossing = int32_t(crossings.size());
        at->second.push_back(atL.Crossing);
        crossings.push_back({place, end});
        if (cutsL) cut[0].Cuts.push_back(atL);
        if (cutsM) cutsOf(indexOf[c], M).push_back(atM);
    };

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
            for (auto it = lo; it != hi; ++it)
                crossing(c, true, s2->X, s2->Y, s2->X, s2->Y, {it->second, INFINITY, L->ShapePoints.At(it->second)},
                         {j, INFINITY, s2});
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
                crossing(c, false, x, y, p.X, p.Y, {int32_t(i), std::hypot(x - a1->X, y - a1->Y)},
                         {int32_t(j), std::hypot(x - b1->X, y - b1->Y)});
            }
        }
    }

    // Work out the call; where a piece cannot be made, leave the crossing
    // that makes it uncut and start again (each round leaves one more
    // uncut). Then do it.
    for (TCutLink& c : cut)
        std::stable_sort(c.Cuts.begin(), c.Cuts.end(), [](const TCut& x, const TCut& y) {
            return x.Segment != y.Segment ? x.Segment < y.Segment : x.Along < y.Along;
        });
    for (;;) {
        TPlan plan(net);
        if (int32_t uncut = plan.Make(cut, crossings, places, crossingsAt); uncut >= 0) {
            crossings[size_t(uncut)].Uncut = true;
            continue;
        }
        if (plan.Links.empty()) return false;
        TBox touched = EmptyBox;
        plan.Apply(hooks, touched);
        area = touched;
        return true;
    }
}
