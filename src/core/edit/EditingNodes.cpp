// Node and link operations: delete, undelete, move, plot, split, splice.
#include <algorithm>

#include "core/edit/EditingInternal.h"
#include "core/model/NetworkQueries.h"
#include "core/model/SearchSettings.h"
#include "core/model/Undo.h"

using namespace editing;

// ---------------------------------------------------------------- delete

void DeleteNode(TNetwork& net, TNode* node, bool clearLinkClass, const TEditHooks& hooks)
{
    net.SetAllowClose(false);
    if (!node || !node->Active) return;
    node->Active = 0;
    MakeRoom(net.DeletedItems);
    net.DeletedItems.Insert(new TDeletedItem(node, 1, nullptr));
    for (TLink* h : node->Links) {
        TLinkValues* r = h->LinkValues;
        if (!r || !r->Active) continue;
        r->Active = 0;
        r->DeletedWithNode = 1;
        if (clearLinkClass) r->EntityType = 0;
        SetShapePointsActive(net, r, 0);
    }
    // A deleted owner no longer serves the window's polygon criterion.
    if (hooks.Settings && hooks.Settings->Search.PolygonCriterion.Owner == node)
        hooks.Settings->Search.PolygonCriterion.Owner = nullptr;
    UpdateOwnerBoxes(net, node);
    // The node's cell drops its ring; a node without one leaves the cell's
    // box as it was (and a bulk deletion stays linear).
    if (node->OwnPolygon().GetCount() > 0) UpdateNodePolygonBox(net, node);
}

void DeleteLink(TNetwork& net, TLink* halfEdge)
{
    net.SetAllowClose(false);
    TLinkValues* r = halfEdge ? halfEdge->LinkValues.get() : nullptr;
    if (!r || !r->Active) return;
    r->Active = 0;
    r->DeletedWithNode = 0;
    SetShapePointsActive(net, r, 0);
    MakeRoom(net.DeletedItems);
    net.DeletedItems.Insert(new TDeletedItem(r->ANode, 0, halfEdge));
}

// ---------------------------------------------------------------- undelete

static void ReviveLink(TNetwork& net, TLinkValues* r)
{
    r->Active = 1;
    SetShapePointsActive(net, r, 1);
    FinishLinkBox(net, r);
}

int32_t RestoreNode(TNetwork& net, TNode* node, bool allLinks)
{
    if (!node) return 0;
    net.SetAllowClose(false);
    node->Active = 1;
    int32_t joined = 0;
    // The links deleted with the node come first, then (allLinks) those
    // deleted before it.
    for (bool withNode : {true, false}) {
        if (!withNode && !allLinks) break;
        for (TLink* h : node->Links) {
            TLinkValues* r = h->LinkValues;
            if (!r || r->Active || r->Superseded || (r->DeletedWithNode != 0) != withNode) continue;
            if (!h->FarNode || !h->FarNode->Active) continue;
            // A link made or moved here since (a merge, a splice) joins the
            // two already, or one this loop brought back: this one stays
            // deleted.
            if (Joined(node, h->FarNode)) {
                ++joined;
                continue;
            }
            ReviveLink(net, r);
        }
    }
    UpdateNodePolygonBox(net, node);
    UpdateOwnerBoxes(net, node);
    return joined;
}

TRestoreLink RestoreLink(TNetwork& net, TLink* halfEdge)
{
    TLinkValues* r = halfEdge ? halfEdge->LinkValues.get() : nullptr;
    if (!r || r->Superseded) return TRestoreLink::Replaced;
    net.SetAllowClose(false);
    if (!r->ANode || !r->BNode || !r->ANode->Active || !r->BNode->Active) {
        // An end is deleted: the link comes back with that node.
        r->DeletedWithNode = 1;
        return TRestoreLink::EndDeleted;
    }
    if (Joined(r->ANode, r->BNode)) return TRestoreLink::EndsJoined;
    ReviveLink(net, r);
    return TRestoreLink::Restored;
}

static int32_t FindRecord(const TNetwork& net, uint8_t kind, const void* element)
{
    for (int32_t i = net.DeletedItems.GetCount() - 1; i >= 0; --i) {
        const TDeletedItem* d = net.DeletedItems.At(i);
        if (d->ItemKind != kind) continue;
        if (kind == 1 ? d->Element == element : d->Data == element) return i;
    }
    return -1;
}

static void FreeRecord(TNetwork& net, int32_t i)
{
    TDeletedItem* d = net.DeletedItems.At(i);
    net.DeletedItems.DeleteAt(i);
    delete d;
}

TUndeleteResult Undelete(TNetwork& net, TViewRecord& view, TEditState& edit, bool move)
{
    edit.Notice = nullptr;
    if (EditRefused(view)) return TUndeleteResult::Refused;
    auto tell = [&](bool joined) {
        if (joined) edit.Notice = NoticeLinkNotRestored;
    };
    if (edit.SketchMode == ModeLinkSplitPlacing) {
        // The split is abandoned: the link it took comes back.
        TLink* h = edit.SplitHalfEdge;
        edit.SplitHalfEdge = nullptr;
        edit.SketchMode = ModeLinkSplit;
        int32_t i = h ? FindRecord(net, 0, h) : -1;
        if (i < 0) return TUndeleteResult::Nothing;
        tell(RestoreLink(net, h) == TRestoreLink::EndsJoined);
        FreeRecord(net, i);
        return TUndeleteResult::SplitAbandoned;
    }
    if (edit.SketchMode == ModeNodeMovePlacing) {
        TNode* node = edit.MovingNode;
        int32_t i = node ? FindRecord(net, 1, node) : -1;
        if (i < 0) {
            edit.MovingNode = nullptr;
            edit.SketchMode = ModeNodeMove;
            return TUndeleteResult::Nothing;
        }
        if (!CanPlaceNode(net, view, node)) return TUndeleteResult::Refused;
        edit.SketchMode = ModeNodeMove;
        edit.MovingNode = nullptr;
        if (move) MoveNodeTo(net, node, view.CursorX, view.CursorY, edit.Hooks);
        tell(RestoreNode(net, node, false) > 0);
        FreeRecord(net, i);
        return move ? TUndeleteResult::NodeMoved : TUndeleteResult::Node;
    }
    if (net.DeletedItems.Empty()) return TUndeleteResult::Nothing;
    int32_t last = net.DeletedItems.GetCount() - 1;
    TDeletedItem* d = net.DeletedItems.At(last);
    TUndeleteResult result = TUndeleteResult::Nothing;
    if (d->ItemKind == 1) {
        tell(RestoreNode(net, d->Node(), edit.SketchMode == ModeSelect) > 0);
        result = TUndeleteResult::Node;
    } else {
        const TRestoreLink r = RestoreLink(net, d->Data);
        tell(r == TRestoreLink::EndsJoined);
        if (r == TRestoreLink::Restored) result = TUndeleteResult::Link;
    }
    FreeRecord(net, last);
    return result;
}

// ---------------------------------------------------------------- move

void MoveNodeTo(TNetwork& net, TNetworkPoint* point, int32_t x, int32_t y, const TEditHooks& hooks)
{
    if (!point) return;
    net.SetAllowClose(false);
    x = std::clamp(x, -WorldLimit, WorldLimit);
    y = std::clamp(y, -WorldLimit, WorldLimit);
    THashTable& table = net.NodeHash;
    THashEntry* oldCell = table.FindCell(point->X, point->Y);
    if (oldCell) table.RemovePoint(oldCell, point);
    point->SetPosition(net, x, y, x, y);
    THashEntry* cell = table.FindOrAddCell(x, y);
    table.InsertPoint(cell, point);
    GrowExtents(net, x, y);
    if (hooks.AutoLongLat || (hooks.Settings && hooks.Settings->LongLat.AutoLongLat))
        ComputePointLongLat(net, point, hooks);
    else
        cell->IncludePoint(point);
    UpdateOwnerBoxes(net, point);
    if (TNode* n = point->AsNode()) {
        for (TLink* h : n->Links) FinishLinkBox(net, h->LinkValues);
        UpdateNodePolygonBox(net, n);
        if (oldCell && oldCell != cell) {
            UpdateCellPolygonBox(net, oldCell);
            UpdateCellLinkBox(net, oldCell);
        }
    } else if (TShapePoint* sp = point->AsShapePoint()) {
        if (sp->Link) FinishLinkBox(net, sp->Link->LinkValues);
    }
}

// ---------------------------------------------------------------- plot

TNode* PlotNode(TNetwork& net, TViewRecord& view, const TEditHooks& hooks)
{
    if (EditRefused(view)) return nullptr;
    net.SetAllowClose(false);
    if (!CanPlaceNode(net, view, &net.TemplateNode)) return nullptr;
    RegridHashTable(net);
    THashEntry* cell = nullptr;
    TNode* n = AddNode(net, view.CursorX, view.CursorY, cell, true, 0);
    if (!n) return nullptr;
    PlacedPoint(net, n, hooks);
    GrowExtents(net, n->X, n->Y);
    return n;
}

void SetLinkDirection(TNetwork& net, TLink* halfEdge)
{
    TLinkValues* r = halfEdge ? halfEdge->LinkValues.get() : nullptr;
    if (!r) return;
    net.SetAllowClose(false);
    TLink* twin = OtherHalf(halfEdge);
    TNode* nearNode = halfEdge->NearNode();
    bool twinWasA = twin ? twin->AEnd() != 0 : false;
    halfEdge->SetAEnd(true);
    if (twin) twin->SetAEnd(false);
    r->ANode = nearNode;
    r->BNode = halfEdge->FarNode;
    if (twinWasA && r->ShapePoints.GetCount() > 1) ReverseShapePoints(r);
    FinishLinkBox(net, r);
}

TLinkPlotResult LinkPlotStep(TNetwork& net, TNode* from, TNode* to, TLink*& halfEdge)
{
    halfEdge = nullptr;
    if (!from || !to || from == to) return TLinkPlotResult::Refused;
    net.SetAllowClose(false);
    TLink* h = FindHalfEdge(from, to);
    if (h && h->LinkValues->Active) {
        halfEdge = h;
        return TLinkPlotResult::Exists;
    }
    if (h && !h->LinkValues->Superseded) {
        SetLinkDirection(net, h);
        ReviveLink(net, h->LinkValues);
        halfEdge = h;
        return TLinkPlotResult::Revived;
    }
    TLink* hb = nullptr;
    TLinkValues* r = AddLink(net, from, to, true, 0, halfEdge, hb);
    if (!r) return TLinkPlotResult::Refused;
    FinishLinkBox(net, r);
    return TLinkPlotResult::Added;
}

TLinkValues* MakeSplitLink(TNetwork& net, TLink* oldHalf, TNode* p, TNode* q)
{
    if (!oldHalf || !oldHalf->LinkValues || !p || !q) return nullptr;
    const TLinkValues* old = oldHalf->LinkValues;
    TNode* a = oldHalf->AEnd() ? p : q;
    TNode* b = oldHalf->AEnd() ? q : p;
    TLink *ha = nullptr, *hb = nullptr;
    TLinkValues* r = AddLink(net, a, b, false, 0, ha, hb);
    if (!r) return nullptr;
    CopyLinkRecord(net, r, old, old->EntityType, true);
    FinishLinkBox(net, r);
    return r;
}

// ---------------------------------------------------------------- node move, link split

bool BeginNodeMove(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* node)
{
    if (EditRefused(view) || !node || !node->Active) return false;
    // The node is only lifted to be put down again: it stays the owner of the
    // window's polygon criterion (SetSketchMode clears that when the move
    // ends with the node still deleted).
    DeleteNode(net, node, false, {});
    edit.MovingNode = node;
    edit.SketchMode = ModeNodeMovePlacing;
    view.CursorX = node->X;
    view.CursorY = node->Y;
    return true;
}

bool BeginLinkSplit(TNetwork& net, TViewRecord& view, TEditState& edit, TLink* halfEdge)
{
    if (EditRefused(view) || !halfEdge || !halfEdge->LinkValues || !halfEdge->LinkValues->Active) return false;
    DeleteLink(net, halfEdge);
    edit.SplitHalfEdge = halfEdge;
    edit.CurrentHalfEdge = halfEdge;
    edit.SketchMode = ModeLinkSplitPlacing;
    return true;
}

TNode* CommitLinkSplit(TNetwork& net, TViewRecord& view, TEditState& edit)
{
    TLink* h = edit.SplitHalfEdge;
    if (edit.SketchMode != ModeLinkSplitPlacing || !h || !h->LinkValues) return nullptr;
    TLinkValues* old = h->LinkValues;
    TNode* first = h->NearNode();
    TNode* second = h->FarNode;
    TNode* n = PlotNode(net, view, edit.Hooks);
    if (!n) return nullptr;
    MakeSplitLink(net, h, first, n);
    MakeSplitLink(net, h, n, second);
    old->EntityType = 0;
    old->Superseded = 1;
    DropDeletedItem(net, old, 0);
    edit.SplitHalfEdge = nullptr;
    edit.SketchMode = ModeLinkSplit;
    return n;
}

// ---------------------------------------------------------------- splice

bool LinkSpliceAtNode(TNetwork& net, TEditState& edit, TNode* node, TLink** newHalfEdge)
{
    if (newHalfEdge) *newHalfEdge = nullptr;
    TNode *from, *to;
    TLinkValues *in, *out;
    if (!GetThroughLinks(node, from, in, to, out) || from == to) return false;
    // The link plot step would make nothing between nodes already joined,
    // and the node and both its links would be gone for good.
    if (Joined(from, to)) {
        edit.Notice = NoticeEndsLinked;
        return false;
    }
    int inClass = in->EntityType, outClass = out->EntityType;
    DeleteNode(net, node, true, edit.Hooks);
    in->Superseded = 1;
    out->Superseded = 1;
    TLink* h = nullptr;
    TLinkPlotResult res = LinkPlotStep(net, from, to, h);
    if (res == TLinkPlotResult::Added) {
        TLinkValues* r = h->LinkValues;
        const TSpliceSettings& rules = edit.Hooks.SpliceRules();
        if (rules.Rule == 1 || rules.Rule == 2) {
            const TLinkValues* k = rules.Rule == 1 ? in : out;
            CopyLinkRecord(net, r, k, rules.Rule == 1 ? inClass : outClass, false);
        }
        AddSplicedValues(net, r, in, inClass, out, outClass, rules);
        FinishLinkBox(net, r);
    }
    if (newHalfEdge) *newHalfEdge = h;
    return true;
}

bool SpliceLinksAtNode(TNetwork& net, TNode* node, TLink* link, const TSpliceSettings& rules, const TEditHooks& hooks)
{
    net.SetAllowClose(false);
    if (!node || !node->Active || AttachedLinkCount(node) != 2) return false;
    TLink *e = nullptr, *l = nullptr;
    for (TLink* h : node->Links) {
        if (!h->LinkValues || !h->LinkValues->Active) continue;
        if (h->AEnd())
            l = h;
        else
            e = h;
    }
    if (!e || !l || e->LinkValues == l->LinkValues) return false;
    TNode* farA = e->FarNode;
    TNode* farB = l->FarNode;
    if (!farA || !farB || farA == farB) return false; // the result would be a loop
    TLinkValues* E = e->LinkValues;
    TLinkValues* L = l->LinkValues;
    if (link && (link->LinkValues == E || link->LinkValues == L || !link->LinkValues)) return false;
    // A new link beside one that joins the far nodes already would be a
    // second link between them.
    if (!link && Joined(farA, farB)) return false;

    TLink* rh = link;
    TLinkValues* R = link ? link->LinkValues.get() : nullptr;
    if (!R) {
        TLink* hb = nullptr;
        R = AddLink(net, farA, farB, true, 0, rh, hb);
        if (!R) return false;
    }
    TLink* ra = AHalfEdge(R);
    if (ra) rh = ra;

    auto take = [&](TLinkValues* from) {
        net.Store.GrowRoom(R->ShapePoints);
        for (TShapePoint* sp : from->ShapePoints) {
            net.Store.GrowRoom(R->ShapePoints);
            R->ShapePoints.Insert(sp);
            sp->Link = rh;
        }
        from->ShapePoints.Clear();
    };
    take(E);
    TShapePoint* mid = AddShapePoint(net, node->X, node->Y, R->ShapePoints.GetCount(), rh);
    if (mid) {
        PlacedPoint(net, mid, hooks);
        ReplacePolygonVertex(net, node, mid);
    }
    take(L);

    DeleteNode(net, node, false, hooks);
    int cE = E->EntityType, cL = L->EntityType;
    E->EntityType = 0;
    L->EntityType = 0;
    E->Superseded = 1;
    L->Superseded = 1;
    if (rules.Rule == 1 || rules.Rule == 2) {
        const TLinkValues* k = rules.Rule == 1 ? E : L;
        CopyLinkRecord(net, R, k, rules.Rule == 1 ? cE : cL, false);
    }
    FinishLinkBox(net, R);
    AddSplicedValues(net, R, E, cE, L, cL, rules);
    return true;
}
