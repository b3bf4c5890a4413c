#include "toolbars/ToolbarLoop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

#include "platform/Activation.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"

namespace {
TToolbarLoop* TheLoop = nullptr;

// One band of the outline: a small override-redirect window in a halftone
// pattern that the mouse passes through. Plain X11 has no compositor for a
// translucent overlay, so the outline is made of four of them.
class TOutlineBand : public QWidget {
public:
    TOutlineBand()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint |
                               Qt::WindowStaysOnTopHint)
    {
        setObjectName("DragOutline");
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        // The pattern keeps its phase on the screen, so the bands join up.
        p.setBrushOrigin(-(x() & 1), -(y() & 1));
        p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    }
};

TRect WorkAreaAt(QPoint P)
{
    QScreen* s = QGuiApplication::screenAt(P);
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? TRect::From(s->availableGeometry()) : TRect{0, 0, 1024, 768};
}
} // namespace

// ---- outline ----

TDragOutline::TDragOutline()
{
    for (QWidget*& b : FBands) b = new TOutlineBand;
}

TDragOutline::~TDragOutline()
{
    for (QWidget* b : FBands) delete b;
}

void TDragOutline::Show(const TRect& Outline, int Thickness)
{
    if (Outline == FShown && Thickness == FThickness && Visible()) return;
    FShown = Outline;
    FThickness = Thickness;
    const auto bands = OutlineBands(Outline, Thickness);
    for (size_t i = 0; i < FBands.size(); ++i) {
        if (bands[i].Empty()) {
            FBands[i]->hide();
            continue;
        }
        FBands[i]->setGeometry(bands[i].ToQRect());
        FBands[i]->show();
        FBands[i]->update();
    }
}

void TDragOutline::Hide()
{
    for (QWidget* b : FBands) b->hide();
    FShown = TRect();
}

bool TDragOutline::Visible() const
{
    for (QWidget* b : FBands)
        if (b->isVisible()) return true;
    return false;
}

// ---- loop ----

TToolbarLoop* TToolbarLoop::Active() { return TheLoop; }
bool TToolbarLoop::HintsOff() { return TheLoop != nullptr; }

TToolbarLoop::TToolbarLoop(TDockToolbar* Bar, TKind Kind) : FKind(Kind), FBar(Bar) {}

TToolbarLoop::~TToolbarLoop()
{
    if (TheLoop == this) TheLoop = nullptr;
}

TToolDock* TToolbarLoop::TargetDock() const
{
    return FChoice.Dock >= 0 && size_t(FChoice.Dock) < FDocks.size() ? FDocks[size_t(FChoice.Dock)].data() : nullptr;
}

TToolbarLoop* TToolbarLoop::StartDrag(TDockToolbar* Bar, QPoint Press, QPoint Global, bool Ctrl)
{
    if (TheLoop) TheLoop->Cancel();
    auto* l = new TToolbarLoop(Bar, Drag);
    const TFloatMetrics m = TDockToolbar::Metrics();
    const TRect window = Bar->WindowRect();
    l->FGrab.Point = Bar->mapToGlobal(Press) - window.TopLeft();
    l->FGrab.OldSize = window.Size() - QSize(1, 1);
    l->FNoDock = Ctrl;
    l->FFloatSize = FloatWindowSize(Bar->ComputePlacement(false, false, Bar->FloatWrapWidth, nullptr), m);
    for (TToolDock* d : TToolDock::DocksOf(Bar->OwnerForm())) {
        if (!d->isVisible()) continue;
        TDockTarget t;
        t.Position = d->Position();
        t.AllowDrag = d->AllowDrag();
        const QRect c = d->ClientRect();
        t.Client = TRect::At(d->mapToGlobal(c.topLeft()), c.size());
        t.Size = d == Bar->DockedTo() ? Bar->size() : Bar->ComputePlacement(false, false, 0, d);
        l->FTargets.push_back(t);
        l->FDocks.emplace_back(d);
    }
    l->BeginLoop();
    l->Update(Global);
    return l;
}

TToolbarLoop* TToolbarLoop::StartSizing(TDockToolbar* Bar, TSizingEdge Edge, QPoint Global)
{
    if (TheLoop) TheLoop->Cancel();
    if (Bar->DockedTo()) return nullptr;
    auto* l = new TToolbarLoop(Bar, Sizing);
    const TFloatMetrics m = TDockToolbar::Metrics();
    auto layout = [Bar](int Wrap) { return Bar->ComputePlacement(false, false, Wrap, nullptr); };
    l->FSizing.Begin(Edge, BuildShapeList(layout, Bar->LargestControlWidth(), FrameExtra(m), Edge),
                     Bar->WindowRect(), Bar->FloatWrapWidth, m.F);
    l->FLast = Global;
    l->BeginLoop();
    l->FOutline.Show(l->FSizing.Outline, m.F);
    return l;
}

void TToolbarLoop::BeginLoop()
{
    TheLoop = this;
    QToolTip::hideText();
    qApp->installEventFilter(this);
    connect(&TActivation::Instance(), &TActivation::Changed, this, [this](bool Active) {
        if (!Active) Cancel();
    });
    // Every mouse and key event reaches the loop through its filter; on a
    // real display the grabs bring those that happen outside our windows.
    const QString platform = QGuiApplication::platformName();
    if (FBar && FBar->isVisible() && platform != "offscreen" && platform != "minimal") {
        FBar->grabMouse();
        FBar->grabKeyboard();
    }
}

void TToolbarLoop::Update(QPoint Global)
{
    FLast = Global;
    if (!FBar) return;
    const TFloatMetrics m = TDockToolbar::Metrics();
    if (FKind == Drag) {
        FChoice = ChooseTarget(Global, FNoDock, FBar->CanDockLeftRight(), FTargets, FFloatSize, FGrab,
                               WorkAreaAt(Global), m.F);
        FOutline.Show(FChoice.Outline, FChoice.Thickness);
    } else {
        const TRect window = FBar->WindowRect();
        if (FSizing.Move(Global - window.TopLeft())) FOutline.Show(FSizing.Outline, m.F);
    }
}

void TToolbarLoop::Cancel() { Finish(false); }

void TToolbarLoop::Finish(bool Accept)
{
    if (FFinished) return;
    FFinished = true;
    qApp->removeEventFilter(this);
    disconnect(&TActivation::Instance(), nullptr, this, nullptr);
    if (FBar) {
        if (QWidget::mouseGrabber() == FBar) FBar->releaseMouse();
        if (QWidget::keyboardGrabber() == FBar) FBar->releaseKeyboard();
    }
    FOutline.Hide();
    if (TheLoop == this) TheLoop = nullptr;
    if (Accept && FBar) {
        if (FKind == Drag)
            FBar->ApplyDrop(FChoice.Dock >= 0 ? TargetDock() : nullptr, FChoice.Outline);
        else
            FBar->ApplySizing(FSizing.WrapWidth, FSizing.Outline);
    }
    deleteLater();
}

bool TToolbarLoop::eventFilter(QObject* Watched, QEvent* Event)
{
    if (FFinished) return false;
    switch (Event->type()) {
    case QEvent::MouseMove: {
        Update(static_cast<QMouseEvent*>(Event)->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(Event);
        if (e->button() == Qt::LeftButton) {
            Update(e->globalPosition().toPoint());
            Finish(true);
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A second press of the left button cancels; other buttons do nothing.
        if (static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton) Finish(false);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(Event);
        if (FKind == Drag && k->key() == Qt::Key_Control && !k->isAutoRepeat()) {
            const bool noDock = Event->type() == QEvent::KeyPress;
            if (noDock != FNoDock) {
                FNoDock = noDock;
                Update(FLast);
            }
        }
        return true; // no key ends or changes the loop otherwise
    }
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ToolTip:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}
