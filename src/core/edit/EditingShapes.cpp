// Shape points of links and the vertex rings of node polygons.
#include <algorithm>

#include "core/edit/EditingInternal.h"

using namespace editing;

// ---------------------------------------------------------------- rings

static void AddOwner(TNetwork& net, TNetworkPoint* p, TNode* owner)
{
    TYourPolygonList& owners = net.PolygonsRef(p);
    if (owners.IndexOf(owner) >= 0) return;
    MakeRoom(owners);
    owners.Insert(owner);
}

static void DropOwner(TNetwork& net, TNetworkPoint* p, TNode* owner)
{
    if (net.PolygonsOf(p).Empty()) return;
    TYourPolygonList& owners = net.PolygonsRef(p);
    int32_t i = owners.IndexOf(owner);
    if (i >= 0) owners.DeleteAt(i);
}

void RemovePolygonVertex(TNetwork& net, TNode* owner, TNetworkPoint* point)
{
    if (!owner || !point) return;
    auto& ring = owner->OwnPolygonRef();
    for (int32_t i = ring.GetCount() - 1; i >= 0; --i)
        if (ring.At(i) == point) ring.DeleteAt(i);
    DropOwner(net, point, owner);
    UpdateNodePolygonBox(net, owner);
}

void ReplacePolygonVertex(TNetwork& net, TNetworkPoint* old, TNetworkPoint* by)
{
    if (!old || !by || old == by) return;
    const TYourPolygonList& oldOwners = net.PolygonsOf(old);
    std::vector<TNode*> owners(oldOwners.begin(), oldOwners.end());
    net.DropPolygons(old);
    for (TNode* owner : owners) {
        auto& ring = owner->OwnPolygonRef();
        // An owner is never a vertex of its own ring.
        bool present = owner == by || ring.IndexOf(by) >= 0;
        for (int32_t i = ring.GetCount() - 1; i >= 0; --i) {
            if (ring.At(i) != old) continue;
            if (present) {
                ring.DeleteAt(i);
            } else {
                ring.PutAt(i, by);
                present = true;
            }
        }
        if (owner != by && ring.IndexOf(by) >= 0) AddOwner(net, by, owner);
        UpdateNodePolygonBox(net, owner);
    }
}

bool PolygonBegin(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* owner)
{
    if (EditRefused(view) || !owner || !owner->Active) return false;
    net.SetAllowClose(false);
    owner->PolygonMark = 1;
    for (TNetworkPoint* v : owner->OwnPolygon()) v->Mark = 1;
    view.CurrentNode = owner;
    edit.CurrentLink = owner;
    edit.PolygonPoint = owner;
    edit.PolygonInsertIndex = 0;
    return true;
}

bool PolygonInsertPoint(TNetwork& net, TViewRecord& view, TEditState& edit, TNetworkPoint* point)
{
    TNode* owner = edit.CurrentLink;
    if (EditRefused(view) || !owner || !point) return false;
    net.SetAllowClose(false);
    auto& ring = owner->OwnPolygonRef();
    edit.PolygonPoint = point;
    int32_t at = ring.IndexOf(point);
    if (at >= 0) {
        edit.PolygonInsertIndex = at + 1;
        return false;
    }
    if (point == owner) {
        edit.PolygonInsertIndex = 0;
        return false;
    }
    int32_t index = std::clamp(edit.PolygonInsertIndex, 0, ring.GetCount());
    MakeRoom(ring);
    ring.InsertAt(index, point);
    edit.PolygonInsertIndex = index + 1;
    AddOwner(net, point, owner);
    point->Mark = 1;
    UpdateNodePolygonBox(net, owner);
    return true;
}

bool PolygonDeletePoint(TNetwork& net, TViewRecord& view, TEditState& edit, TNetworkPoint* point, bool toEnd)
{
    TNode* owner = edit.CurrentLink;
    if (EditRefused(view) || !owner || !point) return false;
    net.SetAllowClose(false);
    auto& ring = owner->OwnPolygonRef();
    int32_t at = ring.IndexOf(point);
    if (at < 0) return false;
    edit.PolygonPoint = point;
    int32_t last = toEnd ? ring.GetCount() - 1 : at;
    std::vector<TNetworkPoint*> removed;
    for (int32_t i = last; i >= at; --i) {
        removed.push_back(ring.At(i));
        ring.DeleteAt(i);
    }
    for (TNetworkPoint* v : removed)
        if (ring.IndexOf(v) < 0) {
            v->Mark = 0;
            DropOwner(net, v, owner);
        }
    UpdateNodePolygonBox(net, owner);
    return true;
}

bool MovePolygon(TNetwork& net, TNode* from, TNode* to)
{
    if (!from || !to || from == to || to->OwnPolygon().GetCount() > 0 || from->OwnPolygon().GetCount() < 1) return false;
    net.SetAllowClose(false);
    std::swap(from->OwnPolygonRef(), to->OwnPolygonRef());
    for (TNetworkPoint* v : to->OwnPolygon()) {
        int32_t i = net.PolygonsOf(v).IndexOf(from);
        if (i < 0)
            AddOwner(net, v, to);
        else if (net.PolygonsOf(v).IndexOf(to) >= 0)
            net.PolygonsRef(v).DeleteAt(i);
        else
            net.PolygonsRef(v).PutAt(i, to);
    }
    UpdateNodePolygonBox(net, from);
    UpdateNodePolygonBox(net, to);
    return true;
}

// ---------------------------------------------------------------- insert shape point

// Index for a node end of a link: 0 at the A node, the count at the B node.
static bool EndIndex(const TLinkValues* r, const TNode* node, int32_t& index)
{
    if (node == r->ANode) {
        index = 0;
        return true;
    }
    if (node == r->BNode) {
        index = r->ShapePoints.GetCount();
        return true;
    }
    return false;
}

bool InsertShapePointPick(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* node, TShapePoint* shapePoint)
{
    if (EditRefused(view)) return false;
    net.SetAllowClose(false);
    if (shapePoint && !ValidShapePoint(shapePoint)) shapePoint = nullptr;
    if (!node && !shapePoint) return false;
    if (node) shapePoint = nullptr;
    if (!view.CurrentNode && !edit.InsertShapePick) {
        view.CurrentNode = node;
        edit.InsertShapePick = shapePoint;
        edit.InsertPickIsShapePoint = shapePoint ? 1 : 0;
        return false;
    }
    if ((node && node == view.CurrentNode) || (shapePoint && shapePoint == edit.InsertShapePick)) return false;
    edit.PreviousNode = view.CurrentNode;
    edit.InsertPreviousShapePick = edit.InsertShapePick;
    view.CurrentNode = node;
    edit.InsertShapePick = shapePoint;
    edit.InsertPickIsShapePoint = shapePoint ? 1 : 0;

    TNode* prevNode = edit.PreviousNode;
    TShapePoint* prevSp = edit.InsertPreviousShapePick;
    if (prevSp && !ValidShapePoint(prevSp)) prevSp = nullptr;
    TLinkValues* r = nullptr;
    int32_t index = -1;
    if (prevSp && shapePoint) {
        if (prevSp->Link->LinkValues == shapePoint->Link->LinkValues) {
            int32_t i = ShapeIndex(prevSp), j = ShapeIndex(shapePoint);
            if (i >= 0 && j >= 0 && (i - j == 1 || j - i == 1)) {
                r = shapePoint->Link->LinkValues;
                index = std::max(i, j);
            }
        }
    } else if (prevNode && shapePoint) {
        r = shapePoint->Link->LinkValues;
        if (!EndIndex(r, prevNode, index)) r = nullptr;
    } else if (prevSp && node) {
        r = prevSp->Link->LinkValues;
        if (!EndIndex(r, node, index)) r = nullptr;
    } else if (prevNode && node) {
        TLink* h = FindHalfEdge(prevNode, node);
        if (h && h->LinkValues->ShapePoints.GetCount() == 0) {
            r = h->LinkValues;
            index = 0;
        }
    }
    TLink* half = r ? AHalfEdge(r) : nullptr;
    if (!r || !r->Active || !half || index < 0) {
        view.CurrentNode = nullptr;
        edit.PreviousNode = nullptr;
        edit.InsertShapePick = nullptr;
        edit.InsertPreviousShapePick = nullptr;
        edit.InsertPickIsShapePoint = 0;
        return false;
    }
    edit.PreviousNode = r->ANode;
    view.PickedNode = r->BNode;
    edit.CurrentHalfEdge = half;
    edit.ShapeInsertIndex = index;
    edit.SketchMode = ModeInsertShapePlacing;
    return true;
}

TShapePoint* PlaceShapePoint(TNetwork& net, TViewRecord& view, TEditState& edit)
{
    if (EditRefused(view) || edit.SketchMode != ModeInsertShapePlacing) return nullptr;
    TLink* h = edit.CurrentHalfEdge;
    if (!h || !h->LinkValues || !h->LinkValues->Active) return nullptr;
    net.SetAllowClose(false);
    TShapePoint* sp = AddShapePoint(net, view.CursorX, view.CursorY, edit.ShapeInsertIndex, h);
    if (!sp) return nullptr;
    PlacedPoint(net, sp, edit.Hooks);
    FinishLinkBox(net, h->LinkValues);
    view.CurrentNode = edit.InsertPickIsShapePoint ? nullptr : view.PickedNode;
    edit.PreviousNode = nullptr;
    edit.InsertShapePick = nullptr;
    edit.InsertPreviousShapePick = nullptr;
    edit.InsertPickIsShapePoint = 0;
    edit.RemovedShapePointRecord.Clear();
    edit.SketchMode = ModeInsertShapePoint;
    return sp;
}

// ---------------------------------------------------------------- remove shape point

bool RemoveShapePoint(TNetwork& net, TViewRecord& view, TEditState& edit, TShapePoint* shapePoint)
{
    if (EditRefused(view) || !ValidShapePoint(shapePoint)) return false;
    net.SetAllowClose(false);
    TLinkValues* r = shapePoint->Link->LinkValues;
    edit.CurrentHalfEdge = shapePoint->Link;
    edit.PreviousNode = r->ANode;
    view.PickedNode = r->BNode;
    view.CurrentNode = r->BNode;

    TRemovedShapePoint& rec = edit.RemovedShapePointRecord;
    rec.Clear();
    rec.HalfEdge = shapePoint->Link;
    rec.Index = ShapeIndex(shapePoint);
    rec.X = shapePoint->X;
    rec.Y = shapePoint->Y;
    r->ShapePoints.DeleteAt(rec.Index);
    for (TNode* owner : net.PolygonsOf(shapePoint)) {
        auto& ring = owner->OwnPolygonRef();
        int32_t at = ring.IndexOf(shapePoint);
        if (at < 0) continue;
        rec.Polygons.push_back(owner);
        rec.PolygonIndexes.push_back(at);
        for (int32_t i = ring.GetCount() - 1; i >= 0; --i)
            if (ring.At(i) == shapePoint) ring.DeleteAt(i);
    }
    net.DropPolygons(shapePoint);
    for (TNode* owner : rec.Polygons) UpdateNodePolygonBox(net, owner);
    RecomputeBox(r);
    FreeShapePoint(net, &view, &edit, shapePoint);
    return true;
}

TShapePoint* UndoShapeRemove(TNetwork& net, TEditState& edit)
{
    TRemovedShapePoint rec = std::move(edit.RemovedShapePointRecord);
    edit.RemovedShapePointRecord.Clear();
    TLink* h = rec.HalfEdge;
    if (!h || !h->LinkValues || h->LinkValues->Superseded) return nullptr;
    net.SetAllowClose(false);
    TLinkValues* r = h->LinkValues;
    int32_t index = std::clamp(rec.Index, 0, r->ShapePoints.GetCount());
    TShapePoint* sp = AddShapePoint(net, rec.X, rec.Y, index, h);
    if (!sp) return nullptr;
    sp->Active = r->Active;
    PlacedPoint(net, sp, edit.Hooks);
    FinishLinkBox(net, r);
    for (size_t k = 0; k < rec.Polygons.size(); ++k) {
        TNode* owner = rec.Polygons[k];
        auto& ring = owner->OwnPolygonRef();
        int32_t at = std::clamp(rec.PolygonIndexes[k], 0, ring.GetCount());
        MakeRoom(ring);
        ring.InsertAt(at, sp);
        AddOwner(net, sp, owner);
        UpdateNodePolygonBox(net, owner);
    }
    return sp;
}
