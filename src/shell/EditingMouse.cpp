#include "shell/EditingMouse.h"

#include <QAction>
#include <QLabel>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "core/model/Rounding.h"
#include "core/model/Undo.h"
#include "platform/Cursors.h"
#include "shell/MainWindow.h"
#include "shell/NetworkDrawPad.h"
#include "shell/SketchModes.h"
#include "shell/SketchPad.h"
#include "toolbars/DockButton.h"

TPadEditor::TPadEditor(TSketchPadWindow& APad) : QObject(&APad), Pad(APad)
{
    setObjectName("PadEditor");
    Pad.viewport()->installEventFilter(this);
    Pad.installEventFilter(this);
    // The window's settings: long/lat, splice rules, reinitialize exemptions,
    // the polygon criterion.
    Edit.Hooks.Settings = &Pad.Settings;
    // A freed shape point leaves the picks of every view of the network.
    Edit.Hooks.PointFreed = [this](TNetworkPoint* p) {
        for (TSketchPadWindow* other : Pad.Main.SketchPads)
            if (other != &Pad && other->Network == Pad.Network) Of(*other).Forget(p);
    };
    // "Finish Node Plot": a right click at the crosshair.
    if (TDockButton* b = Pad.Main.Toolbars.RightClickButton)
        connect(b, &TDockButton::OnClick, this, [this] {
            if (Pad.Main.CurrentPad != &Pad || Blocked()) return;
            Press(Qt::RightButton, QPoint(Pad.PixelX(Pad.View.CursorX), Pad.PixelY(Pad.View.CursorY)));
        });
    if (TDockButton* b = Pad.Main.Toolbars.UndeleteButton)
        connect(b, &TDockButton::OnClick, this, [this] {
            if (Pad.Main.CurrentPad == &Pad) UndeleteLast();
        });
    UpdateCommands();
}

TPadEditor& TPadEditor::Of(TSketchPadWindow& Pad)
{
    if (auto* e = Pad.findChild<TPadEditor*>(QString(), Qt::FindDirectChildrenOnly)) return *e;
    return *new TPadEditor(Pad);
}

void TPadEditor::Forget(const TNetworkPoint* Point)
{
    if (Pad.View.PickedShapePoint == Point) Pad.View.PickedShapePoint = nullptr;
    if (Edit.InsertShapePick == Point) Edit.InsertShapePick = nullptr;
    if (Edit.InsertPreviousShapePick == Point) Edit.InsertPreviousShapePick = nullptr;
    if (Edit.PolygonPoint == Point) Edit.PolygonPoint = nullptr;
    if (Pad.ShapeNode->isVisible() && !Pad.View.PickedNode && !Pad.View.PickedShapePoint) Pad.HidePointMarker();
}

void TPadEditor::ForgetNetwork()
{
    Edit.ForgetNetwork(Pad.View);
    EditedNetwork.reset();
}

void TPadEditor::ChooseMode(uint8_t Mode)
{
    SyncMode();
    Pad.View.SketchMode = Mode;
    if (IsSubState(Mode) && Mode == Edit.SketchMode) {
        Pad.View.CurrentNode = nullptr; // unhighlighted only
        return;
    }
    SetMode(Mode);
}

void TPadEditor::SetMode(uint8_t Mode)
{
    TNode* held = Edit.MovingNode;
    SetSketchMode(Pad.View, Edit, Mode);
    // A node that Node Move held stays deleted: every window of the network
    // forgets it as the owner of its polygon criterion.
    if (held && !held->Active) Pad.Main.InvalidateNetworkViews(Pad);
}

void TPadEditor::DropHeldNode()
{
    if (Edit.MovingNode) SetMode(ModeNodeMove);
}

// The window's mode set elsewhere (a new view, a network opened into the
// window) reaches the editing state before it acts.
void TPadEditor::SyncMode()
{
    if (EditedNetwork.lock() != Pad.Network) {
        Edit.RemovedShapePointRecord.Clear();
        Edit.MovingNode = nullptr; // of the network the window had
        SetSketchMode(Pad.View, Edit, Pad.View.SketchMode);
        EditedNetwork = Pad.Network;
    }
    if (Pad.View.SketchMode != Edit.SketchMode) SetMode(Pad.View.SketchMode);
}

// The pad is the main window's current pad, and was so before this press.
bool TPadEditor::IsActiveForm() const { return Pad.Main.CurrentPad == &Pad && !ActivatingPress; }

bool TPadEditor::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == &Pad) {
        // A click on a pad that is not the current one gives it the focus
        // before the press arrives, and the focus makes it current: remember
        // that until the events of this click are through.
        if (Event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(Event)->reason() == Qt::MouseFocusReason &&
            Pad.Main.CurrentPad != &Pad) {
            ActivatingPress = true;
            QTimer::singleShot(0, this, [this] { ActivatingPress = false; });
        }
        return QObject::eventFilter(Watched, Event);
    }
    if (Watched != Pad.viewport() || Event->type() != QEvent::MouseButtonPress)
        return QObject::eventFilter(Watched, Event);
    auto* me = static_cast<QMouseEvent*>(Event);
    const QPoint p = me->position().toPoint();
    const bool right = me->button() == Qt::RightButton;
    const bool zoomState = Pad.View.ZoomInState || Pad.View.ZoomOutState;
    if (!zoomState) Pad.viewport()->setCursor(PadCrossCursor());
    // A press on a window that is not the active one only activates it.
    const bool active = IsActiveForm();
    ActivatingPress = false;
    if (!active) return true;
    // The scroll position in world units, kept for the view state.
    Pad.View.ScrollOffsetX = int32_t(pround(Pad.HorzPos() / Pad.View.Scale));
    Pad.View.ScrollOffsetY = int32_t(pround(Pad.VertPos() / Pad.View.Scale));
    // A long run holding the network lets through only left clicks of the zoom states.
    if (Blocked() && (right || !zoomState)) return true;
    if (zoomState) {
        // Zoom-in state: the right button zooms out; zoom-out state: both do.
        Pad.StepZoom(Pad.WorldX(p.x()), Pad.WorldY(p.y()), Pad.View.ZoomOutState || right);
        return true;
    }
    Press(me->button(), p);
    return true;
}

bool TPadEditor::Blocked() const { return !Pad.Main.Gate.Lets(GateChange, Pad.Network.get()); }

TPressResult TPadEditor::Press(Qt::MouseButton Button, QPoint Pixel)
{
    SyncMode();
    if (Blocked()) return {};
    const uint8_t before = Edit.SketchMode;
    TPressResult r = SketchPress(*Pad.Network, Pad.View, Edit, Button == Qt::RightButton, Pad.WorldX(Pixel.x()),
                                 Pad.WorldY(Pixel.y()));
    After(r, before);
    if (Pad.Main.Hooks.OpenElementDialogs) Pad.Main.Hooks.OpenElementDialogs(Pad, r);
    return r;
}

TUndeleteResult TPadEditor::UndeleteLast()
{
    SyncMode();
    if (Blocked()) return TUndeleteResult::Refused;
    const uint8_t before = Edit.SketchMode;
    TUndeleteResult u = Undelete(*Pad.Network, Pad.View, Edit, false);
    TPressResult r;
    if (u != TUndeleteResult::Nothing && u != TUndeleteResult::Refused) r.Requests = PadRepaint | PadCrosshair;
    if (Edit.Notice) {
        r.Requests |= PadNotice;
        r.Notice = Edit.Notice;
    }
    After(r, before);
    return u;
}

void TPadEditor::PutBackHeld()
{
    SyncMode();
    if (Edit.SketchMode == ModeNodeMovePlacing || Edit.SketchMode == ModeLinkSplitPlacing) UndeleteLast();
}

bool TPadEditor::UndoShapeRemove()
{
    SyncMode();
    if (Blocked()) return false;
    TShapePoint* sp = ::UndoShapeRemove(*Pad.Network, Edit);
    TPressResult r;
    if (sp) r.Requests = PadRepaint;
    After(r, Edit.SketchMode);
    return sp != nullptr;
}

bool TPadEditor::ReinitializeUndo()
{
    SyncMode();
    if (Blocked()) return false;
    bool done = ReinitializeUndoLast(*Pad.Network);
    TPressResult r;
    if (done) r.Requests = PadRepaint;
    After(r, Edit.SketchMode);
    return done;
}

int32_t TPadEditor::ReinitializeUndefined(bool Links)
{
    SyncMode();
    if (Blocked()) return 0;
    int32_t n = ReinitializeAllUndefined(*Pad.Network, Pad.View, Pad.Settings.Reinitialize, Links);
    TPressResult r;
    if (n > 0) r.Requests = PadRepaint;
    After(r, Edit.SketchMode);
    return n;
}

bool TPadEditor::Transform(int Kind, TTransformParams& Params)
{
    SyncMode();
    if (Blocked()) return false;
    TNetwork& net = *Pad.Network;
    if (!TransformNetwork(net, Pad.View, Pad.Settings, Kind, Params)) {
        UpdateCommands();
        return false;
    }
    for (TSketchPadWindow* p : Pad.Main.SketchPads) {
        if (p->Network != Pad.Network) continue;
        // Each window keeps its own background slots; the pictures stay on
        // the network in all of them.
        if (p != &Pad) TransformBackgrounds(p->Settings.Backgrounds, Params);
        p->View.MinX = net.MinX;
        p->View.MinY = net.MinY;
        p->View.MaxX = net.MaxX;
        p->View.MaxY = net.MaxY;
        p->View.SetOriginFromExtents();
        p->SetScrollRanges();
        p->SetScrollPositions(0, 0);
        TransformPoint(p->View, Params);
        if (p == Pad.Main.CurrentPad && IsCrosshairMode(p->View.SketchMode))
            Pad.Main.WriteCoordinates(p->View.CursorX, p->View.CursorY);
        p->InvalidatePad();
    }
    // Windows that draw this network as their underlay follow it too.
    InvalidateUnderlayViewers(Pad, true);
    UpdateCommands();
    return true;
}

void TPadEditor::QuickScale(double Factor)
{
    if (Blocked()) return;
    TNetwork& net = *Pad.Network;
    net.TransformTotals[2] *= Factor;
    net.TransformTotals[3] *= Factor;
    MakeRoom(net.TransformUndo);
    auto* item = new TTransformItem(TransformScale, 0, Factor, Factor, Pad.Settings.Layers.LayerStates);
    net.TransformUndo.Insert(item);
    TTransformParams p;
    p.ScaleX = p.ScaleY = Factor;
    p.Record = item;
    Transform(TransformScale, p);
}

// A window's extents take in what editing added, keeping the visible part
// where it was.
static void GrowExtents(TSketchPadWindow& Pad)
{
    const TNetwork& net = *Pad.Network;
    if (net.NodeCount == 0) return;
    TPadView& v = Pad.View;
    const int32_t dx = std::max(0, v.MinX - net.MinX), dy = std::max(0, v.MinY - net.MinY);
    if (dx == 0 && dy == 0 && net.MaxX <= v.MaxX && net.MaxY <= v.MaxY) return;
    const int h = Pad.HorzPos(), vv = Pad.VertPos();
    v.MinX -= dx;
    v.MinY -= dy;
    v.MaxX = std::max(v.MaxX, net.MaxX);
    v.MaxY = std::max(v.MaxY, net.MaxY);
    v.SetOriginFromExtents();
    Pad.SetScrollRanges();
    Pad.SetScrollPositions(h + int(dx * v.Scale), vv + int(dy * v.Scale));
}

void TPadEditor::UpdateCommands()
{
    const TNetwork& net = *Pad.Network;
    if (Pad.Main.CurrentPad == &Pad && Pad.Main.Toolbars.UndeleteButton)
        Pad.Main.Toolbars.UndeleteButton->setEnabled(!net.DeletedItems.Empty());
    // The undo items and the class-dependent items follow their rules.
    Pad.Main.UpdatePadItems(Pad);
}

void TPadEditor::After(const TPressResult& R, uint8_t ModeBefore)
{
    TZOKMainWindow& main = Pad.Main;
    Pad.View.SketchMode = Edit.SketchMode;
    const bool crosshair = IsCrosshairMode(Edit.SketchMode);
    if (Edit.SketchMode != ModeBefore || R.Has(PadWriteSketchState)) {
        if (crosshair)
            main.WriteCoordinates(Pad.View.CursorX, Pad.View.CursorY);
        else
            main.WriteSketchState(Edit.SketchMode);
    }
    if (R.Has(PadWriteCoordinates)) main.WriteCoordinates(Pad.View.CursorX, Pad.View.CursorY);
    // Select Object: the marker on the point hit, none after a miss.
    if (R.Has(PadSelect)) {
        if (R.Node || R.ShapePoint)
            Pad.ShowPointMarker();
        else
            Pad.HidePointMarker();
        // A miss tries the pictures, the title block and the legends.
        Pad.SelectOther(R.Node || R.ShapePoint);
    }
    if ((R.Has(PadPolygonNotMerged) || R.Has(PadNotice)) && main.Panels[0]) {
        main.Panels[0]->setText(R.Has(PadNotice) && R.Notice ? R.Notice : "Polygon not merged");
        main.Panels[0]->setStyleSheet("color: red");
    }
    if (R.Has(PadRepaint)) {
        // Every window of the network can scroll to what changed.
        for (TSketchPadWindow* p : main.SketchPads)
            if (p->Network == Pad.Network) GrowExtents(*p);
        main.InvalidateNetworkViews(Pad);
    } else if (R.Requests != 0 || Edit.SketchMode != ModeBefore) {
        Pad.InvalidatePad();
    }
    UpdateCommands();
}
