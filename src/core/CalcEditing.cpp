// Network changes made by Calculate's command words, and the editing
// operations a run uses by default.
#include "core/CalcEditing.h"

#include "core/Network.h"
#include "core/NetworkQueries.h"
#include "core/Undo.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The link's A cell covers the link's box and reach (after the link's ends
// or points changed).
void WidenCellForLink(TNetwork& net, TLinkValues* link)
{
    RecomputeBox(link);
    if (!link->ANode) return;
    THashEntry* c = net.NodeHash.FindCell(link->ANode->X, link->ANode->Y);
    if (!c) return;
    c->LinkBox.Include(link->Box);
    c->MaxDX = int32_t(std::max<int64_t>(c->MaxDX, int64_t(link->Box.MaxX) - link->Box.MinX));
    c->MaxDY = int32_t(std::max<int64_t>(c->MaxDY, int64_t(link->Box.MaxY) - link->Box.MinY));
}

// The half-edge of the link in node's list.
TLink* HalfEdgeAt(TNode* node, const TLinkValues* link)
{
    if (!node) return nullptr;
    for (TLink* h : node->Links)
        if (h->LinkValues == link) return h;
    return nullptr;
}

bool HasActiveLinkTo(const TNode* node, const TNode* far)
{
    for (TLink* h : node->Links)
        if (h->FarNode == far && h->LinkValues && h->LinkValues->Active) return true;
    return false;
}

// The points within distance d of (x, y), cells in table order and points
// in cell order. Only the cells the square around the point touches are
// visited, unless there are more of those than cells in the table.
template <class F>
void ForEachPointWithin(const TNetwork& net, int32_t x, int32_t y, double d, F&& f)
{
    if (!(d >= 0) || !std::isfinite(d)) return;
    const THashTable& hash = net.NodeHash;
    const double reach = std::min(d, 2.0 * WorldLimit + 1);
    const int64_t x0 = int64_t(std::floor(x - reach)), x1 = int64_t(std::ceil(x + reach));
    const int64_t y0 = int64_t(std::floor(y - reach)), y1 = int64_t(std::ceil(y + reach));
    auto clampW = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, -WorldLimit, WorldLimit)); };
    const int32_t cx0 = hash.CellXOf(clampW(x0)), cx1 = hash.CellXOf(clampW(x1));
    const int32_t cy0 = hash.CellYOf(clampW(y0)), cy1 = hash.CellYOf(clampW(y1));
    const int64_t boxCells = (int64_t(cx1) - cx0 + 1) * (int64_t(cy1) - cy0 + 1);
    std::vector<THashEntry*> cells;
    if (boxCells > hash.GetCount()) {
        for (THashEntry* c : hash) cells.push_back(c);
    } else {
        for (int32_t cy = cy0; cy <= cy1; ++cy)
            for (int32_t cx = cx0; cx <= cx1; ++cx)
                if (THashEntry* c = hash.FindCellByKey(MakeCellKey(cx, cy))) cells.push_back(c);
        std::sort(cells.begin(), cells.end(), [](const THashEntry* a, const THashEntry* b) { return a->Key < b->Key; });
    }
    const double d2 = d * d;
    for (THashEntry* c : cells)
        for (TNetworkPoint* p : c->Points) {
            const double dx = double(p->X) - x, dy = double(p->Y) - y;
            if (dx * dx + dy * dy <= d2)
                if (!f(p)) return;
        }
}

// Replaces old by fresh in the ring of every polygon old is a vertex of
// (removes it where fresh is a vertex already); fresh joins those polygons.
void ReplaceVertex(TNetwork& net, TNetworkPoint* old, TNetworkPoint* fresh)
{
    std::vector<TNode*> owners(old->Polygons.begin(), old->Polygons.end());
    for (TNode* owner : owners) {
        TMyPolygonList& ring = owner->OwnPolygon;
        const int32_t i = ring.IndexOf(old);
        if (i >= 0) {
            if (ring.IndexOf(fresh) >= 0) {
                ring.DeleteAt(i);
            } else {
                ring.PutAt(i, fresh);
                if (fresh->Polygons.IndexOf(owner) < 0) {
                    MakeRoom(fresh->Polygons);
                    fresh->Polygons.Insert(owner);
                }
            }
        }
        UpdateNodePolygonBox(net, owner);
    }
    old->Polygons.Clear();
}

void DefaultDeleteNode(TNetwork& net, TNode* node)
{
    if (!node) return;
    net.SetAllowClose(false);
    node->Active = 0;
    net.DeletedItems.Insert(new TDeletedItem(node, 1, nullptr));
    for (TLink* h : node->Links) {
        TLinkValues* r = h->LinkValues;
        if (!r || !r->Active) continue;
        r->Active = 0;
        r->DeletedWithNode = 1;
        for (TShapePoint* sp : r->ShapePoints) {
            sp->Active = 0;
            for (TNode* owner : sp->Polygons) UpdateNodePolygonBox(net, owner);
        }
    }
}

void DefaultFlipLink(TNetwork& net, TLink* halfEdge)
{
    TLinkValues* r = halfEdge ? halfEdge->LinkValues : nullptr;
    if (!r || r->FlipMark) return;
    net.SetAllowClose(false);
    r->FlipMark = 1;
    TLink* ha = HalfEdgeAt(r->ANode, r);
    TLink* hb = HalfEdgeAt(r->BNode, r);
    std::swap(r->ANode, r->BNode);
    if (ha) ha->AEnd = 0;
    if (hb) hb->AEnd = 1;
    auto& shapes = r->ShapePoints;
    const int32_t n = shapes.GetCount();
    if (n > 1)
        for (int32_t i = 0, j = n - 1; i < j; ++i, --j) {
            TShapePoint* t = shapes.At(i);
            shapes.PutAt(i, shapes.At(j));
            shapes.PutAt(j, t);
        }
    for (TShapePoint* sp : shapes)
        if (hb) sp->Link = hb;
    WidenCellForLink(net, r);
}

} // namespace

TCalcEditOps DefaultCalcEditOps()
{
    TCalcEditOps ops;
    ops.DeleteNode = DefaultDeleteNode;
    ops.FlipLink = DefaultFlipLink;
    // Splicing, link intersection and polygon merging come from the editing
    // operations of the sketch pad; callers that have them set them here.
    return ops;
}

void CalcDeleteLink(TNetwork& net, TLink* halfEdge, TCalcHost& host)
{
    TLinkValues* r = halfEdge ? halfEdge->LinkValues : nullptr;
    if (!r) return;
    net.SetAllowClose(false);
    r->Active = 0;
    for (TShapePoint* sp : r->ShapePoints) {
        sp->Active = 0;
        for (TNode* owner : sp->Polygons) UpdateNodePolygonBox(net, owner);
    }
    host.EnableUndelete();
    TLink* aHalf = halfEdge->AEnd ? halfEdge : HalfEdgeAt(r->ANode, r);
    net.DeletedItems.Insert(new TDeletedItem(r->ANode, 0, aHalf ? aHalf : halfEdge));
    r->DeletedWithNode = 0;
}

int32_t CalcMergeNodesWithin(TNetwork& net, TNode* target, double d, const TCalcEditOps& ops, TCalcHost& host)
{
    if (!target) return 0;
    net.SetAllowClose(false);
    std::vector<TNode*> others;
    ForEachPointWithin(net, target->X, target->Y, d, [&](TNetworkPoint* p) {
        TNode* n = p->AsNode();
        if (n && n != target && n->Active) others.push_back(n);
        return true;
    });
    for (TNode* source : others) {
        // Links move to the target unless they would become loops or
        // duplicates; those stay and are deleted with the source.
        std::vector<TLink*> halves(source->Links.begin(), source->Links.end());
        for (TLink* h : halves) {
            TLinkValues* r = h->LinkValues;
            TNode* far = h->FarNode;
            if (!r || !far || far == target || far == source || HasActiveLinkTo(target, far)) continue;
            // The far end's half-edge now points at the target, as the mouse
            // merge does, so both halves agree on the link's ends.
            if (TLink* twin = HalfEdgeAt(far, r)) twin->FarNode = target;
            source->Links.Remove(h);
            MakeRoom(target->Links);
            target->Links.Insert(h);
            if (r->ANode == source) r->ANode = target;
            else r->BNode = target;
            WidenCellForLink(net, r);
        }
        ReplaceVertex(net, source, target);
        if (ops.MergeNodePolygons && !ops.MergeNodePolygons(net, source, target)) host.PolygonNotMerged();
        UpdateNodePolygonBox(net, target);
        if (ops.DeleteNode) ops.DeleteNode(net, source);
        host.EnableUndelete();
    }
    return int32_t(others.size());
}

bool CalcMergeIntoShapePoint(TNetwork& net, TNode* node, double d, const TCalcEditOps& ops)
{
    if (!node || AttachedLinkCount(node) > 0 || CountPolygonVertices(node->OwnPolygon, true) > 0) return false;
    TShapePoint* found = nullptr;
    ForEachPointWithin(net, node->X, node->Y, d, [&](TNetworkPoint* p) {
        if (p->IsShapePoint() && p->Active) {
            found = p->AsShapePoint();
            return false;
        }
        return true;
    });
    if (!found) return false;
    net.SetAllowClose(false);
    ReplaceVertex(net, node, found);
    if (ops.DeleteNode) ops.DeleteNode(net, node);
    return true;
}

void CalcDeletePolygon(TNetwork& net, TNode* node)
{
    if (!node) return;
    net.SetAllowClose(false);
    for (TNetworkPoint* v : node->OwnPolygon) {
        const int32_t i = v->Polygons.IndexOf(node);
        if (i >= 0) v->Polygons.DeleteAt(i);
    }
    node->OwnPolygon.Clear();
    UpdateNodePolygonBox(net, node);
}

void CalcOrientPolygon(TNetwork& net, TNode* node, bool clockwise)
{
    if (!node) return;
    if (PolygonIsClockwise(node) != clockwise) {
        net.SetAllowClose(false);
        ReversePolygon(node);
    }
}
