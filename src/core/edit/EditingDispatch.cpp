#include "core/edit/EditingDispatch.h"

#include "core/edit/EditingInternal.h"

using namespace editing;

static void UnmarkPolygon(TNode* owner)
{
    if (!owner) return;
    owner->PolygonMark = 0;
    for (TNetworkPoint* v : owner->OwnPolygon()) v->Mark = 0;
}

void SetSketchMode(TViewRecord& view, TEditState& edit, uint8_t mode)
{
    UnmarkPolygon(edit.CurrentLink);
    edit.ClearPicks(view);
    // A Node Move left before its node was put down leaves it deleted: as
    // every deleted owner, it no longer serves the window's polygon criterion.
    if (TNode* n = edit.MovingNode; n && edit.Hooks.Settings &&
                                    edit.Hooks.Settings->Search.PolygonCriterion.Owner == n && !n->Active)
        edit.Hooks.Settings->Search.PolygonCriterion.Owner = nullptr;
    edit.MovingNode = nullptr;
    edit.SplitHalfEdge = nullptr;
    edit.SketchMode = mode;
}

namespace {

struct Press {
    TNetwork& net;
    TViewRecord& view;
    TEditState& edit;
    bool right;
    int32_t x, y;
    TPressResult r;

    bool Pick(bool shapes, TNode*& n, TShapePoint*& sp)
    {
        bool hit = PickPoint(net, view, shapes, x, y, n, sp);
        view.PickedNode = n;
        view.PickedShapePoint = sp;
        return hit;
    }
    void Changed(TBox box = EmptyBox)
    {
        r.Requests |= PadRepaint;
        r.Area.Include(box);
    }
    void Link(TLink* h)
    {
        r.Link = h;
        if (h && h->LinkValues) Changed(h->LinkValues->Box);
    }
    void DropPicks()
    {
        view.CurrentNode = nullptr;
        edit.PreviousNode = nullptr;
        r.Requests |= PadHighlight;
    }

    // The first click of a two-click operation: a node becomes CurrentNode.
    // True when the press was taken that way (or missed).
    bool FirstPick()
    {
        if (view.CurrentNode) return false;
        TNode* n;
        TShapePoint* sp;
        if (Pick(false, n, sp)) {
            view.CurrentNode = n;
            r.Requests |= PadHighlight;
        }
        return true;
    }
    // The second click on another node (nodes only): PreviousNode and
    // CurrentNode are the pair. False for a miss or the same node.
    bool SecondNode()
    {
        TNode* n;
        TShapePoint* sp;
        if (!Pick(false, n, sp) || n == view.CurrentNode) return false;
        edit.PreviousNode = view.CurrentNode;
        view.CurrentNode = n;
        r.Requests |= PadHighlight;
        return true;
    }

    void Crosshair()
    {
        view.CursorX = x;
        view.CursorY = y;
        r.Requests |= PadCrosshair | PadWriteCoordinates;
    }
    void CrosshairCommit();
    void Select();
    void LinkPlot();
    void NodeOpen();
    void TwoEnd();
    void NodeOperation();
    void Polygon();
    void Merge();
    void PolygonMove();
    void ShapeOpen();
    void Run();
};

void Press::CrosshairCommit()
{
    switch (edit.SketchMode) {
    case ModeNodePlot:
    case ModeNodePlotOpen:
        if (TNode* n = PlotNode(net, view, edit.Hooks)) {
            r.Node = n;
            Changed(TBox{n->X, n->Y, n->X, n->Y});
            if (edit.SketchMode == ModeNodePlotOpen) r.Requests |= PadNodeDialog;
        }
        break;
    case ModeLinkSplitPlacing:
        if (TNode* n = CommitLinkSplit(net, view, edit)) {
            r.Node = n;
            Changed(TBox{n->X, n->Y, n->X, n->Y});
            r.Requests |= PadCrosshair | PadWriteSketchState;
            DropPicks();
        }
        break;
    case ModeNodeMovePlacing: {
        TNode* n = edit.MovingNode;
        TUndeleteResult u = Undelete(net, view, edit, true);
        if (u != TUndeleteResult::Refused) {
            r.Node = n;
            Changed();
            r.Requests |= PadCrosshair | PadWriteSketchState;
        }
        break;
    }
    case ModeInsertShapePlacing:
        if (TShapePoint* sp = PlaceShapePoint(net, view, edit)) {
            r.ShapePoint = sp;
            Link(sp->Link);
            r.Requests |= PadCrosshair | PadWriteSketchState | PadHighlight;
        }
        break;
    default:
        break;
    }
}

void Press::Select()
{
    r.Requests |= PadSelect | PadWriteSketchState;
    view.CursorX = x;
    view.CursorY = y;
    TNode* n;
    TShapePoint* sp;
    if (Pick(true, n, sp)) {
        r.Node = n;
        r.ShapePoint = sp;
        r.Requests |= PadWriteCoordinates;
    }
}

void Press::LinkPlot()
{
    if (FirstPick() || !SecondNode()) return;
    TLink* h = nullptr;
    TLinkPlotResult res = LinkPlotStep(net, edit.PreviousNode, view.CurrentNode, h);
    if (res == TLinkPlotResult::Added || res == TLinkPlotResult::Revived) {
        Link(h);
        if (edit.SketchMode == ModeLinkPlotOpen) r.Requests |= PadLinkDialog;
    }
}

void Press::NodeOpen()
{
    net.SetAllowClose(false);
    TNode* n;
    TShapePoint* sp;
    view.CursorX = x;
    view.CursorY = y;
    if (!Pick(false, n, sp)) return;
    r.Node = n;
    if (edit.SketchMode == ModeNodeReinitialize) {
        ReinitializeNode(net, n, edit.Hooks.Exemptions());
        Changed(TBox{n->X, n->Y, n->X, n->Y});
        return;
    }
    r.Requests |= right ? PadAttributesDialog : PadNodeDialog;
}

void Press::TwoEnd()
{
    if (FirstPick() || !SecondNode()) return;
    TLink* h = FindHalfEdge(edit.PreviousNode, view.CurrentNode);
    if (!h || !h->LinkValues->Active) {
        DropPicks();
        return;
    }
    edit.CurrentHalfEdge = h;
    r.Link = h;
    switch (edit.SketchMode) {
    case ModeLinkOpen:
        r.Requests |= right ? PadAttributesDialog : PadLinkDialog;
        break;
    case ModeLinkReinitialize:
        ReinitializeLink(net, h->LinkValues, edit.Hooks.Exemptions());
        Link(h);
        break;
    case ModeLinkDelete:
        Link(h);
        DeleteLink(net, h);
        break;
    case ModeLinkDirection:
        SetLinkDirection(net, h);
        Link(h);
        break;
    case ModeLinkSplit:
        Link(h);
        BeginLinkSplit(net, view, edit, h);
        Crosshair();
        r.Requests |= PadWriteSketchState;
        break;
    case ModeLinkIntersect: {
        TBox area;
        if (IntersectLink(net, h, area, edit.Hooks)) Changed(area);
        break;
    }
    default:
        break;
    }
    DropPicks();
}

void Press::NodeOperation()
{
    TNode* n;
    TShapePoint* sp;
    if (!Pick(false, n, sp)) return;
    r.Node = n;
    switch (edit.SketchMode) {
    case ModeNodeDelete:
        DeleteNode(net, n, false, edit.Hooks);
        Changed(TBox{n->X, n->Y, n->X, n->Y});
        for (TLink* h : n->Links) r.Area.Include(h->LinkValues->Box);
        break;
    case ModeNodeMove:
        if (BeginNodeMove(net, view, edit, n)) {
            Changed(TBox{n->X, n->Y, n->X, n->Y});
            r.Requests |= PadCrosshair | PadWriteCoordinates | PadWriteSketchState;
        }
        break;
    case ModeLinkSplice: {
        TLink* h = nullptr;
        if (LinkSpliceAtNode(net, edit, n, &h)) {
            Changed(TBox{n->X, n->Y, n->X, n->Y});
            if (h) Link(h);
        }
        break;
    }
    default:
        break;
    }
}

void Press::Polygon()
{
    TNode* n;
    TShapePoint* sp;
    if (!edit.CurrentLink) {
        if (Pick(false, n, sp) && PolygonBegin(net, view, edit, n)) r.Requests |= PadHighlight;
        return;
    }
    if (!Pick(true, n, sp)) return;
    TNetworkPoint* p = n ? static_cast<TNetworkPoint*>(n) : sp;
    edit.PreviousNode = view.CurrentNode;
    bool changed = edit.SketchMode == ModePolygonInsert ? PolygonInsertPoint(net, view, edit, p)
                                                        : PolygonDeletePoint(net, view, edit, p, right);
    r.Requests |= PadHighlight;
    if (changed) Changed(edit.CurrentLink->PolygonBox());
}

void Press::Merge()
{
    r.Requests |= PadWriteSketchState;
    if (FirstPick()) return;
    TNode* n;
    TShapePoint* sp;
    if (!Pick(true, n, sp) || n == view.CurrentNode) return;
    TNode* source = view.CurrentNode;
    if (n) {
        TPolygonMerge m = MergeNodes(net, source, n, edit.Hooks);
        if (m == TPolygonMerge::NotMerged) {
            edit.PolygonNotMerged = 1;
            r.Requests |= PadPolygonNotMerged;
        }
        r.Node = n;
        Changed();
    } else if (MergeNodeIntoShapePoint(net, source, sp, edit.Hooks)) {
        r.ShapePoint = sp;
        Changed();
    } else {
        return;
    }
    DropPicks();
}

void Press::PolygonMove()
{
    r.Requests |= PadWriteSketchState;
    if (FirstPick()) return;
    TNode* n;
    TShapePoint* sp;
    if (!Pick(true, n, sp) || !n || n == view.CurrentNode) return;
    TBox before = view.CurrentNode->PolygonBox();
    if (!MovePolygon(net, view.CurrentNode, n)) return;
    r.Node = n;
    Changed(before);
    r.Area.Include(n->PolygonBox());
    DropPicks();
}

void Press::ShapeOpen()
{
    TNode* n;
    TShapePoint* sp;
    if (!Pick(true, n, sp) || !sp) return;
    r.ShapePoint = sp;
    if (right) {
        r.Link = sp->Link;
        r.Requests |= PadLinkDialog;
    } else {
        r.Requests |= PadLongLatDialog;
    }
}

void Press::Run()
{
    const uint8_t mode = edit.SketchMode;
    edit.PolygonNotMerged = 0;
    const bool crosshairMode = mode == ModeNodePlot || mode == ModeNodePlotOpen || mode == ModeNodeMovePlacing ||
                               mode == ModeLinkSplitPlacing || mode == ModeInsertShapePlacing;
    if (crosshairMode) {
        net.SetAllowClose(false);
        if (right)
            CrosshairCommit();
        else
            Crosshair();
        return;
    }
    if (mode == ModeSelect) {
        Select();
        return;
    }
    if (mode == ModeNodeOpen || mode == ModeNodeReinitialize) {
        NodeOpen();
        return;
    }
    net.SetAllowClose(false);
    view.CursorX = x;
    view.CursorY = y;
    TNode* n;
    TShapePoint* sp;
    switch (mode) {
    case ModeLinkPlot:
    case ModeLinkPlotOpen:
        LinkPlot();
        break;
    case ModeLinkOpen:
    case ModeLinkDelete:
    case ModeLinkDirection:
    case ModeLinkSplit:
    case ModeLinkReinitialize:
    case ModeLinkIntersect:
        TwoEnd();
        break;
    case ModeNodeDelete:
    case ModeNodeMove:
    case ModeLinkSplice:
        NodeOperation();
        break;
    case ModePolygonInsert:
    case ModePolygonDelete:
        Polygon();
        break;
    case ModeInsertShapePoint:
        Pick(true, n, sp);
        if (InsertShapePointPick(net, view, edit, n, sp))
            r.Requests |= PadCrosshair | PadWriteCoordinates | PadWriteSketchState;
        r.Requests |= PadHighlight;
        break;
    case ModeRemoveShapePoint:
        if (Pick(true, n, sp) && sp) {
            TLink* h = sp->Link;
            if (RemoveShapePoint(net, view, edit, sp)) Link(h);
        }
        break;
    case ModeNodeToShape:
        if (Pick(true, n, sp) && n && NodeToShapePoint(net, view, edit, n)) {
            Changed(TBox{n->X, n->Y, n->X, n->Y});
            DropPicks();
        }
        break;
    case ModeShapeToNode:
        if (Pick(true, n, sp) && sp) {
            TBox box = sp->Link->LinkValues->Box;
            if (TNode* made = ShapePointToNode(net, view, edit, sp)) {
                r.Node = made;
                Changed(box);
            }
        }
        break;
    case ModeNodeMerge:
        Merge();
        break;
    case ModePolygonMove:
        PolygonMove();
        break;
    case ModeShapeOpen:
        ShapeOpen();
        break;
    default:
        break;
    }
}

} // namespace

TPressResult SketchPress(TNetwork& net, TViewRecord& view, TEditState& edit, bool rightButton, int32_t x, int32_t y)
{
    if (EditRefused(view)) return {};
    Press p{net, view, edit, rightButton, x, y, {}};
    edit.Notice = nullptr;
    p.Run();
    if (edit.Notice) {
        p.r.Requests |= PadNotice;
        p.r.Notice = edit.Notice;
    }
    return p.r;
}
