#include "toolbars/DockToolbar.h"

#include <algorithm>

#include <QApplication>
#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "platform/Activation.h"
#include "platform/Edges.h"
#include "platform/SystemColors.h"
#include "toolbars/DockButton.h"
#include "toolbars/ToolDock.h"
#include "toolbars/ToolbarLoop.h"

namespace {
QWidget* CheckedForm(QWidget* Owner)
{
    if (!Owner || !Owner->isWindow()) throw EInvalidOperation("TDockToolbar must be owned by a form");
    return Owner;
}

bool IsControl(const QWidget* W) { return W && !W->isWindow(); }

// The work area of the screen that shows most of R (the primary screen's when none does).
TRect WorkAreaFor(const TRect& R, const QWidget* Form)
{
    QScreen* best = nullptr;
    int bestArea = 0;
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect g = s->geometry().intersected(R.ToQRect());
        if (g.width() * g.height() > bestArea) {
            bestArea = g.width() * g.height();
            best = s;
        }
    }
    if (!best && Form) best = Form->screen();
    if (!best) best = QGuiApplication::primaryScreen();
    return best ? TRect::From(best->availableGeometry()) : R;
}

bool OnSomeScreen(const TRect& R)
{
    for (QScreen* s : QGuiApplication::screens())
        if (R.Intersects(TRect::From(s->availableGeometry()))) return true;
    return false;
}
} // namespace

TDockToolbar::TDockToolbar(QWidget* Owner) : QWidget(CheckedForm(Owner)), FOwner(Owner)
{
    setObjectName("DockToolbar");
    setAttribute(Qt::WA_OpaquePaintEvent);
    FFloatParent = new TFloatParent(this, Owner);
    SetParentQuietly(FFloatParent);
    move(FloatClientOrigin(Metrics()));
    Owner->installEventFilter(this);
    connect(&TActivation::Instance(), &TActivation::Changed, this, [this] { UpdateFloatHidden(); });
}

TDockToolbar::~TDockToolbar()
{
    FDestroying = true;
    if (TToolbarLoop* loop = TToolbarLoop::Active(); loop && loop->Bar() == this) loop->Cancel();
    if (FDockedTo) FDockedTo->RemoveBar(this);
    if (FFloatParent) {
        TFloatParent* f = FFloatParent;
        FFloatParent = nullptr;
        f->FBar = nullptr;
        if (parentWidget() == f) SetParentQuietly(nullptr);
        delete f;
    }
}

void TDockToolbar::SetParentQuietly(QWidget* Parent)
{
    FReparenting = true;
    setParent(Parent);
    FReparenting = false;
}

void TDockToolbar::SetCaption(const QString& Value)
{
    FCaption = Value;
    setWindowTitle(Value);
    if (FFloatParent) {
        FFloatParent->setWindowTitle(Value);
        FFloatParent->update();
    }
}

void TDockToolbar::SetCloseButton(bool Value)
{
    FCloseButton = Value;
    if (FFloatParent) FFloatParent->update();
}

QColor TDockToolbar::Color() const { return FColor.isValid() ? FColor : SystemColors().ButtonFace; }

void TDockToolbar::SetColor(const QColor& Value)
{
    FColor = Value;
    update();
}

TToolDock* TDockToolbar::DefaultDock() const { return FDefaultDock; }
void TDockToolbar::SetDefaultDock(TToolDock* Dock) { FDefaultDock = Dock; }
TToolDock* TDockToolbar::DockedTo() const { return FDockedTo; }

void TDockToolbar::SetDockRow(int Value)
{
    FDockRow = Value;
    if (FDockedTo) FDockedTo->ArrangeToolbars();
}

void TDockToolbar::SetDockPos(int Value)
{
    FDockPos = Value;
    if (FDockedTo) FDockedTo->ArrangeToolbars();
}

int TDockToolbar::Orientation() const { return FDockedTo ? (FDockedTo->Vertical() ? 2 : 1) : 0; }

bool TDockToolbar::HasDragHandle() const { return !FDockedTo || FDockedTo->AllowDrag(); }

void TDockToolbar::PlaceOn(QWidget* Parent)
{
    if (auto* dock = qobject_cast<TToolDock*>(Parent))
        SetDockedTo(dock);
    else if (Parent && (Parent == FOwner || Parent == FFloatParent))
        SetDockedTo(nullptr);
    else
        throw EInvalidOperation("TDockToolbar can only be placed on a TToolDock or directly on the form");
}

void TDockToolbar::SetDockedTo(TToolDock* Value)
{
    TToolDock* old = FDockedTo;
    const bool differs = Value != old;
    if (differs) emit OnRecreating(this);
    if (Value) Value->BeginUpdate();
    if (old && differs) old->BeginUpdate();
    bool hidden = false;
    if (FVisible && differs) {
        ++FHideLock;
        hidden = true;
        QWidget::setVisible(false);
        if (FFloatParent) FFloatParent->hide();
    }
    // The controls are laid out for the new place first, then the toolbar
    // moves there: onto the dock, or into its floating window at FloatRect.
    const TFloatMetrics m = Metrics();
    if (!Value && FloatRect.Empty()) {
        const QRect g(mapToGlobal(QPoint(0, 0)), size());
        FloatRect = TRect{g.left() - m.F, g.top(), g.left() + g.width() + m.F, g.top() + g.height() + 2 * m.F + m.C};
    }
    ComputePlacement(true, false, Value ? 0 : FloatWrapWidth, Value);
    QWidget* parent = Value ? static_cast<QWidget*>(Value) : FFloatParent;
    if (parentWidget() != parent) {
        emit OnDockChanging(this);
        if (old) old->RemoveBar(this);
        FDockedTo = Value;
        ++FPlacementLock;
        SetParentQuietly(parent);
        if (!Value) move(FloatClientOrigin(m));
        --FPlacementLock;
        if (Value) Value->AddBar(this);
        emit OnDockChanged(this);
    }
    if (!Value) FFloatParent->setGeometry(FloatRect.ToQRect());
    if (hidden) {
        --FHideLock;
        QWidget::setVisible(true);
    } else {
        QWidget::setVisible(FVisible);
    }
    PlaceControls();
    if (old && differs) old->EndUpdate();
    if (Value) Value->EndUpdate();
    UpdateFloatHidden();
    ShowFloatWindow();
    if (differs) emit OnRecreated(this);
}

void TDockToolbar::setVisible(bool Visible)
{
    if (FReparenting || FHideLock > 0) {
        QWidget::setVisible(Visible);
        return;
    }
    FVisible = Visible;
    QWidget::setVisible(Visible);
    if (FDockedTo)
        FDockedTo->ArrangeToolbars();
    else
        ShowFloatWindow();
}

// ---- layout ----

std::vector<QWidget*> TDockToolbar::OrderedControls() const
{
    std::vector<QWidget*> out;
    out.reserve(ControlOrder.size());
    for (QWidget* w : ControlOrder)
        if (IsControl(w) && w->parentWidget() == this) out.push_back(w);
    return out;
}

std::vector<TLayoutControl> TDockToolbar::LayoutControls() const
{
    std::vector<TLayoutControl> out;
    for (QWidget* w : OrderedControls()) {
        TLayoutControl c;
        c.Width = w->width();
        c.Height = w->height();
        if (auto* s = qobject_cast<TDockSeparator*>(w)) {
            c.Separator = true;
            c.Blank = s->Blank();
        }
        c.Visible = !w->isHidden();
        out.push_back(c);
    }
    return out;
}

void TDockToolbar::SortControlOrder()
{
    const bool vertical = Orientation() == 2;
    std::stable_sort(ControlOrder.begin(), ControlOrder.end(), [vertical](QWidget* a, QWidget* b) {
        return vertical ? a->y() < b->y() : a->x() < b->x();
    });
}

QSize TDockToolbar::ComputePlacement(bool Apply, bool Resize, int WrapWidth, TToolDock* Dock)
{
    if (FPlacementLock > 0 || FDestroying) return size();
    TPlacementRequest q;
    q.Orientation = Dock ? (Dock->Vertical() ? 2 : 1) : 0;
    q.HasHandle = HasDragHandle();
    q.WrapWidth = WrapWidth;
    q.Apply = Apply;
    if (Apply && Dock && FDockedTo == Dock) {
        q.UseRow = true;
        q.Row = Dock->RowRecord(FDockRow);
    }
    ++FPlacementLock;
    const std::vector<QWidget*> controls = OrderedControls();
    const TPlacement r = ::ComputePlacement(LayoutControls(), q);
    if (Apply) {
        FFigures = r.Figures;
        LineBreakSeparators = r.LineBreakSeparators;
        for (size_t i = 0; i < controls.size(); ++i)
            if (r.Placed[i]) controls[i]->setGeometry(r.Rects[i]);
        update();
    }
    if (Resize && size() != r.ClientSize) {
        resize(r.ClientSize);
        if (!FDockedTo && FFloatParent) {
            const QSize window = FloatWindowSize(r.ClientSize, Metrics());
            FFloatParent->resize(window);
            FloatRect = TRect::At(FFloatParent->pos(), window);
        }
    }
    --FPlacementLock;
    return r.ClientSize;
}

void TDockToolbar::PlaceControls()
{
    if (FPlacementLock > 0 || FDestroying) return;
    if (FDockedTo)
        FDockedTo->ArrangeToolbars();
    else
        ComputePlacement(true, true, FloatWrapWidth, nullptr);
}

void TDockToolbar::RequestPlacement()
{
    if (FPlacementPosted || FDestroying) return;
    FPlacementPosted = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

bool TDockToolbar::event(QEvent* Event)
{
    if (Event->type() == QEvent::LayoutRequest) {
        FPlacementPosted = false;
        PlaceControls();
        return true;
    }
    return QWidget::event(Event);
}

void TDockToolbar::childEvent(QChildEvent* Event)
{
    QObject* c = Event->child();
    if (Event->added() && c->isWidgetType()) {
        auto* w = static_cast<QWidget*>(c);
        ControlOrder.erase(std::remove(ControlOrder.begin(), ControlOrder.end(), w), ControlOrder.end());
        ControlOrder.push_back(w);
        c->installEventFilter(this);
        RequestPlacement();
    } else if (Event->removed()) {
        ControlOrder.erase(std::remove(ControlOrder.begin(), ControlOrder.end(), c), ControlOrder.end());
        c->removeEventFilter(this);
        RequestPlacement();
    } else if (Event->polished()) {
        RequestPlacement();
    }
    QWidget::childEvent(Event);
}

bool TDockToolbar::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FOwner) {
        switch (Event->type()) {
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide:
            UpdateFloatHidden();
            break;
        default:
            break;
        }
    } else if (Watched->parent() == this && FPlacementLock == 0) {
        switch (Event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            RequestPlacement();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

// ---- painting ----

void TDockToolbar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const TSystemColors c = SystemColors();
    p.fillRect(rect(), Color());
    if (!FDockedTo) {
        for (uint32_t e : LineBreakSeparators) {
            if (LineBreakBlank(e)) continue;
            const int y = LineBreakCross(e);
            p.fillRect(QRect(1, y - 4, width() - 2, 1), c.ButtonShadow);
            p.fillRect(QRect(1, y - 3, width() - 2, 1), c.ButtonHighlight);
        }
        return;
    }
    DrawEdge(p, rect(), BDR_RAISEDINNER, BF_RECT, c);
    FDockedTo->PaintBackground(p, this, rect().adjusted(1, 1, -1, -1));
    if (FDockedTo->AllowDrag()) {
        if (!FDockedTo->Vertical()) {
            const int h = height() - 2;
            for (int x : {4, 7}) {
                DrawEdge(p, QRect(x, 2, 3, h - 2), BDR_RAISEDINNER, BF_RECT | BF_MIDDLE, c);
                p.fillRect(QRect(x, h - 1, 1, 1), c.ButtonHighlight);
            }
        } else {
            const int w = width() - 2;
            for (int y : {4, 7}) {
                DrawEdge(p, QRect(2, y, w - 2, 3), BDR_RAISEDINNER, BF_RECT | BF_MIDDLE, c);
                p.fillRect(QRect(w - 1, y, 1, 1), c.ButtonHighlight);
            }
        }
    }
}

// ---- floating ----

TRect TDockToolbar::WindowRect() const
{
    if (FDockedTo || !FFloatParent) return TRect::From(QRect(mapToGlobal(QPoint(0, 0)), size()));
    return TRect::From(FFloatParent->geometry());
}

void TDockToolbar::SetFloatHidden(bool Value)
{
    if (Value == FFloatHidden) return;
    FFloatHidden = Value;
    ShowFloatWindow();
}

void TDockToolbar::UpdateFloatHidden()
{
    if (FDestroying) return;
    if (FDockedTo) {
        SetFloatHidden(false);
        return;
    }
    const bool active = TActivation::Instance().Active();
    QWidget* form = FOwner;
    const bool hide = !active || !form || !form->isVisible() || form->isMinimized() ||
                      (form->window() && form->window()->isMinimized());
    SetFloatHidden(hide);
}

void TDockToolbar::ShowFloatWindow()
{
    if (FDockedTo || !FFloatParent || FDestroying) return;
    const bool want = FVisible && !FFloatHidden && FHideLock == 0;
    if (want && !FFloatParent->isVisible()) {
        // A window that lies wholly off every screen comes back onto the work area.
        const TRect r = TRect::From(FFloatParent->geometry());
        if (!OnSomeScreen(r)) {
            FloatRect = ::KeepOnWorkArea(r, WorkAreaFor(r, FOwner), false);
            FFloatParent->setGeometry(FloatRect.ToQRect());
        }
        FFloatParent->show();
    } else if (!want && FFloatParent->isVisible()) {
        if (TToolbarLoop* loop = TToolbarLoop::Active(); loop && loop->Bar() == this) loop->Cancel();
        FFloatParent->hide();
    }
}

void TDockToolbar::KeepOnWorkArea(bool OnlyIfFullyOff)
{
    if (FDockedTo || !FFloatParent) return;
    const TRect r = TRect::From(FFloatParent->geometry());
    if (OnlyIfFullyOff && OnSomeScreen(r)) return;
    const TRect moved = ::KeepOnWorkArea(r, WorkAreaFor(r, FOwner), false);
    if (moved == r) return;
    FloatRect = moved;
    FFloatParent->setGeometry(moved.ToQRect());
}

// ---- dragging ----

bool TDockToolbar::IsDragArea(QPoint P) const
{
    if (!rect().contains(P)) return false;
    if (FDockedTo && !FDockedTo->AllowDrag()) return false;
    for (QWidget* w : OrderedControls())
        if (!w->isHidden() && !qobject_cast<TDockSeparator*>(w) && w->geometry().contains(P)) return false;
    return true;
}

void TDockToolbar::mousePressEvent(QMouseEvent* Event)
{
    const QPoint p = Event->position().toPoint();
    if (Event->button() != Qt::LeftButton || !IsDragArea(p)) {
        QWidget::mousePressEvent(Event);
        return;
    }
    Event->accept();
    TToolbarLoop::StartDrag(this, p, Event->globalPosition().toPoint(),
                            Event->modifiers().testFlag(Qt::ControlModifier));
}

void TDockToolbar::mouseDoubleClickEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton || !IsDragArea(Event->position().toPoint())) {
        QWidget::mouseDoubleClickEvent(Event);
        return;
    }
    Event->accept();
    if (TToolbarLoop* loop = TToolbarLoop::Active()) loop->Cancel();
    if (FDockedTo) {
        SetDockedTo(nullptr);
    } else if (FDefaultDock) {
        FDockRow = 0;
        FDockPos = -8;
        SetDockedTo(FDefaultDock);
    }
}

void TDockToolbar::ApplyDrop(TToolDock* Dock, const TRect& Outline)
{
    if (Dock) {
        const QPoint origin = Dock->mapToGlobal(Dock->ClientRect().topLeft());
        const TDropPlace p = DropPlace(Outline.Moved(-origin.x(), -origin.y()), Dock->Vertical(), Dock->RowThickness());
        if (p.NewRow)
            for (TDockToolbar* t : Dock->DockList())
                if (t->FDockRow >= p.Row) ++t->FDockRow;
        FDockRow = p.Row;
        FDockPos = p.Pos;
        if (FDockedTo == Dock)
            Dock->ArrangeToolbars();
        else
            SetDockedTo(Dock);
    } else {
        FloatRect = Outline;
        SetDockedTo(nullptr);
        KeepOnWorkArea(true);
    }
}

void TDockToolbar::ApplySizing(int WrapWidth, const TRect& Outline)
{
    if (FDockedTo || !FFloatParent) return;
    FloatWrapWidth = WrapWidth;
    FloatRect = Outline;
    FFloatParent->setGeometry(Outline.ToQRect());
    PlaceControls();
    KeepOnWorkArea(true);
}

void TDockToolbar::hideEvent(QHideEvent*)
{
    if (FHideLock > 0) return;
    if (TToolbarLoop* loop = TToolbarLoop::Active(); loop && loop->Bar() == this) loop->Cancel();
}

void TDockToolbar::moveEvent(QMoveEvent*)
{
    if (FDockedTo && !FDockedTo->Background().isNull()) update();
}

void TDockToolbar::contextMenuEvent(QContextMenuEvent* Event)
{
    if (FPopupMenu) FPopupMenu->popup(Event->globalPos());
}

// ---- the floating window ----

TFloatParent::TFloatParent(TDockToolbar* Bar, QWidget* Owner)
    : QWidget(Owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), FBar(Bar)
{
    setObjectName("FloatParent");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setMouseTracking(true);
    setMinimumSize(1, 1);
}

TFloatParent::~TFloatParent()
{
    if (FBar) FBar->FFloatParent = nullptr;
}

QSize TFloatParent::ClientSize() const { return FBar ? FBar->size() : QSize(0, 0); }

THitCode TFloatParent::HitTest(QPoint P) const
{
    if (!FBar || FBar->DockedTo()) return htNowhere;
    return FloatHitTest(P, ClientSize(), FBar->CloseButton(), TDockToolbar::Metrics());
}

static QFont CaptionFont()
{
    QFont f = QApplication::font();
    f.setPixelSize(11);
    f.setWeight(QFont::Normal);
    return f;
}

static QRect CaptionTextRect(QSize Client, bool CloseButton)
{
    const TFloatMetrics m = TDockToolbar::Metrics();
    TRect r = CaptionRect(Client, true, m);
    if (CloseButton) r.Right -= m.C - 1;
    return r.ToQRect().adjusted(1, 0, -1, 0);
}

QString TFloatParent::DrawnCaption() const
{
    if (!FBar) return {};
    const QFontMetrics fm(CaptionFont());
    const QRect r = CaptionTextRect(ClientSize(), FBar->CloseButton());
    return ElideCaption(FBar->Caption(), r.width(), [&fm](const QString& s) { return fm.horizontalAdvance(s); });
}

void TFloatParent::PaintFloatingFrame(QPainter& P, bool DrawBorder, bool DrawCaption, bool DrawCloseButton)
{
    if (!FBar || FBar->DockedTo()) return;
    const TSystemColors c = SystemColors();
    const TFloatMetrics m = TDockToolbar::Metrics();
    const QSize client = ClientSize();
    if (DrawBorder) {
        QRect r = DrawEdge(P, rect(), EDGE_RAISED, BF_RECT, c);
        for (int ring = 3; ring <= m.F && r.width() > 0 && r.height() > 0; ++ring) {
            P.setPen(c.ButtonFace);
            P.setBrush(Qt::NoBrush);
            P.drawRect(r.adjusted(0, 0, -1, -1));
            r.adjust(1, 1, -1, -1);
        }
    }
    const TRect whole = CaptionRect(client, true, m);
    if (DrawCaption) {
        TRect cap = whole;
        if (FBar->CloseButton()) cap.Right -= m.C - 1;
        P.fillRect(cap.ToQRect(), c.ActiveCaption);
        P.setFont(CaptionFont());
        P.setPen(c.CaptionText);
        P.drawText(CaptionTextRect(client, FBar->CloseButton()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   DrawnCaption());
        P.fillRect(QRect(whole.Left, whole.Bottom, whole.Width(), 1), c.ButtonFace);
    }
    if (DrawCloseButton && FBar->CloseButton()) {
        const QRect square = CloseButtonRect(client, m).ToQRect();
        DrawCaptionCloseButton(P, square.adjusted(1, 1, -1, -1), FClosePressed, c);
        if (DrawCaption) {
            P.setPen(c.ActiveCaption);
            P.setBrush(Qt::NoBrush);
            P.drawRect(square.adjusted(0, 0, -1, -1));
        }
    }
}

void TFloatParent::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintFloatingFrame(p, true, true, true);
}

void TFloatParent::mousePressEvent(QMouseEvent* Event)
{
    // A click leaves the activation with the form the toolbar belongs to.
    raise();
    if (QWidget* form = FBar ? FBar->OwnerForm() : nullptr; form && !form->isActiveWindow()) form->activateWindow();
    if (Event->button() != Qt::LeftButton || !FBar) return;
    const QPoint global = Event->globalPosition().toPoint();
    switch (HitTest(Event->position().toPoint())) {
    case htClose:
        FTracking = tkClose;
        FClosePressed = true;
        grabMouse();
        update();
        break;
    case htCaption:
        FTracking = tkMove;
        FMoveFrom = global;
        grabMouse();
        break;
    case htLeft: TToolbarLoop::StartSizing(FBar, seLeft, global); break;
    case htRight: TToolbarLoop::StartSizing(FBar, seRight, global); break;
    case htTop: TToolbarLoop::StartSizing(FBar, seTop, global); break;
    case htBottom: TToolbarLoop::StartSizing(FBar, seBottom, global); break;
    default: break;
    }
}

void TFloatParent::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint p = Event->position().toPoint();
    if (FTracking == tkClose) {
        const bool pressed = CloseButtonRect(ClientSize(), TDockToolbar::Metrics()).Contains(p);
        if (pressed != FClosePressed) {
            FClosePressed = pressed;
            update();
        }
    } else if (FTracking == tkMove) {
        // Only the window moves: no docking, the floating rectangle stays.
        const QPoint global = Event->globalPosition().toPoint();
        move(pos() + (global - FMoveFrom));
        FMoveFrom = global;
    } else {
        switch (HitTest(p)) {
        case htLeft:
        case htRight: setCursor(Qt::SizeHorCursor); break;
        case htTop:
        case htBottom: setCursor(Qt::SizeVerCursor); break;
        default: unsetCursor(); break;
        }
    }
}

void TFloatParent::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) return;
    const bool click = FTracking == tkClose && FClosePressed;
    EndTracking();
    if (click && FBar) {
        TDockToolbar* bar = FBar;
        bar->setVisible(false);
        emit bar->OnClose(bar);
    }
}

void TFloatParent::hideEvent(QHideEvent*) { EndTracking(); }

void TFloatParent::EndTracking()
{
    if (FTracking != tkNone && QWidget::mouseGrabber() == this) releaseMouse();
    FTracking = tkNone;
    if (FClosePressed) {
        FClosePressed = false;
        update();
    }
}

QMenu* TDockToolbar::PopupMenu() const { return FPopupMenu; }
void TDockToolbar::SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }
