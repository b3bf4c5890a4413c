// The keys of a network window and its hover hint.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QToolButton>

#include "core/edit/Editing.h"
#include "core/edit/BulkDelete.h"
#include "core/edit/PadObjects.h"
#include "platform/Cursors.h"
#include "platform/Latin1.h"
#include "shell/EditingMouse.h"
#include "shell/MainWindow.h"
#include "shell/PadHandles.h"
#include "shell/SketchPad.h"
#include "toolbars/DockButton.h"

namespace {

// A press of the mouse at the pointer, as Enter and Shift+Enter make it.
void PressAtPointer(TSketchPadWindow& pad, Qt::MouseButton button)
{
    QWidget* vp = pad.viewport();
    const QPoint p = vp->mapFromGlobal(QCursor::pos());
    if (p.x() < 0 || p.y() < 0 || p.x() > vp->width() || p.y() > vp->height()) return;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(p), QPointF(QCursor::pos()), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p), QPointF(QCursor::pos()), button, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &release);
}

// "Y" and "Z": the zoom-out (zoom-in) state and its button toggle; the other
// state stays as it is.
void ToggleZoomState(TSketchPadWindow& pad, bool in)
{
    TZOKMainWindow& main = pad.Main;
    TPadView& v = pad.View;
    uint8_t& state = in ? v.ZoomInState : v.ZoomOutState;
    state = state ? 0 : 1;
    if (TDockButton* b = in ? main.Toolbars.ZoomInButton : main.Toolbars.ZoomOutButton) b->SetDown(state != 0);
    pad.viewport()->setCursor(state ? (in ? ZoomInCursor() : ZoomOutCursor()) : PadCrossCursor());
}

} // namespace

void TSketchPadWindow::keyPressEvent(QKeyEvent* Event)
{
    TZOKMainWindow& main = Main;
    const Qt::KeyboardModifiers mods = Event->modifiers();
    const bool shift = mods & Qt::ShiftModifier, ctrl = mods & Qt::ControlModifier;
    const TNetwork* net = Network.get();
    switch (Event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: PressAtPointer(*this, shift ? Qt::RightButton : Qt::LeftButton); return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int sign = Event->key() == Qt::Key_PageUp ? -1 : 1;
        if (shift)
            horizontalScrollBar()->setValue(HorzPos() + sign * viewport()->width());
        else
            verticalScrollBar()->setValue(VertPos() + sign * viewport()->height());
        return;
    }
    case Qt::Key_End: SetScrollPositions(horizontalScrollBar()->maximum(), verticalScrollBar()->maximum()); return;
    case Qt::Key_Home: SetScrollPositions(0, 0); return;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: {
        const int k = Event->key();
        if (ctrl) {
            // The Sketch Operations buttons: "East Space", "South Space",
            // "West Space", "North Space".
            const TSide side = k == Qt::Key_Left ? SideRight : k == Qt::Key_Up ? SideDown
                               : k == Qt::Key_Right ? SideLeft : SideUp;
            main.ExtendSpace(side);
        } else {
            NudgeByKey(k == Qt::Key_Right ? 51 : k == Qt::Key_Left ? 52 : k == Qt::Key_Up ? 53 : 54);
        }
        return;
    }
    case Qt::Key_Insert:
        if (!main.Gate.Lets(GateChange, net)) return;
        switch (TPadEditor::Of(*this).UndeleteLast()) {
        case TUndeleteResult::Nothing:
        case TUndeleteResult::Refused: break;
        default: Network->SetAllowClose(false); break;
        }
        return;
    case Qt::Key_Delete:
        if (View.SketchMode == ModeSelect) DeleteKey();
        return;
    default: break;
    }
    const QString text = Event->text();
    if (text.size() != 1) return QAbstractScrollArea::keyPressEvent(Event);
    const QChar c = text[0];
    if (c == '+') {
        if (View.ZoomIndex < MaxZoomLevel) main.SetZoomLevel(*this, View.ZoomIndex + 1);
    } else if (c == '-') {
        if (View.ZoomIndex >= 2) main.SetZoomLevel(*this, View.ZoomIndex - 1);
    } else if (c >= '1' && c <= '9') {
        main.setsnap(c.digitValue());
    } else if (c == 'A' || c == 'a') {
        main.setsnap(10);
    } else if (c == 'Y' || c == 'y') {
        ToggleZoomState(*this, false);
    } else if (c == 'Z' || c == 'z') {
        ToggleZoomState(*this, true);
    } else {
        QAbstractScrollArea::keyPressEvent(Event);
    }
}

void TSketchPadWindow::DeleteKey()
{
    if (!Main.Gate.Lets(GateChange, Network.get())) return;
    TPadHandles& h = *Handles;
    TNetwork& net = *Network;
    TBackgrounds& b = Settings.Backgrounds;
    // A selected picture: its slot is emptied.
    auto emptySlot = [&](bool metafile, int slot) {
        TBackgroundSlot& s = metafile ? b.Metafile[size_t(slot)] : b.Raster[size_t(slot)];
        s.Reset();
        if (metafile)
            BackgroundImages->SetMetafile(slot, nullptr);
        else
            BackgroundImages->SetRaster(slot, nullptr);
    };
    bool repaint = false;
    if (h.SelectedRaster) {
        emptySlot(false, h.SelectedRaster);
        repaint = true;
    }
    if (h.SelectedMetafile) {
        emptySlot(true, h.SelectedMetafile);
        repaint = true;
    }
    if (repaint) h.ShowBackgroundFrame(false);
    TPadEditor& editor = TPadEditor::Of(*this);
    if (TNode* n = View.PickedNode) {
        DeleteNode(net, n, false, editor.Edit.Hooks);
        HidePointMarker();
        View.PickedNode = nullptr;
        View.PickedShapePoint = nullptr;
        repaint = true;
    } else if (TShapePoint* sp = View.PickedShapePoint) {
        RemoveShapePoint(net, View, editor.Edit, sp);
        HidePointMarker();
        View.PickedNode = nullptr;
        View.PickedShapePoint = nullptr;
        repaint = true;
    }
    net.SetAllowClose(false);
    // No window of the network keeps a selection on what went.
    for (TSketchPadWindow* p : Main.SketchPads)
        if (p->Network == Network && DropInactivePicks(p->View)) p->ShowPointMarker();
    if (repaint) Main.InvalidateNetworkViews(*this);
    editor.UpdateCommands();
    Main.UpdateNetworkItems(*this);
}

bool TSketchPadWindow::IsActivePad() const
{
    if (Main.CurrentPad != this || !SubWindow) return false;
    return Main.Mdi->activeSubWindow() == SubWindow && Main.isActiveWindow();
}

void TSketchPadWindow::ShowHoverHint()
{
    bool found = false;
    HoverHint = HoverHintText(*Network, View, View.MouseX, View.MouseY, found);
    viewport()->setToolTip(found ? Latin1(HoverHint) : QString());
}
