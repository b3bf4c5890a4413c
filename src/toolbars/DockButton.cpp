#include "toolbars/DockButton.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "platform/Activation.h"
#include "platform/Edges.h"
#include "platform/SystemColors.h"
#include "toolbars/DockToolbar.h"
#include "toolbars/ToolDock.h"

namespace {
QPointer<TDockButton> Hot;
QTimer* Timer = nullptr;

bool ApplicationActive() { return TActivation::Instance().Active(); }
} // namespace

TDockButton* TDockButton::HotButton() { return Hot; }

QTimer& TDockButton::TrackTimer()
{
    if (!Timer) {
        // One timer for all buttons: every 125 ms it looks whether the hot
        // button is still the control under the pointer.
        Timer = new QTimer(qApp);
        Timer->setInterval(125);
        QObject::connect(Timer, &QTimer::timeout, [] {
            if (!Hot) {
                Timer->stop();
                return;
            }
            if (QApplication::widgetAt(QCursor::pos()) != Hot) Hot->MouseLeft();
        });
        QObject::connect(&TActivation::Instance(), &TActivation::Changed, Timer, [](bool Active) {
            if (!Active && Hot) Hot->MouseLeft();
        });
    }
    return *Timer;
}

QImage TDockButton::DitherPattern()
{
    const TSystemColors c = SystemColors();
    QImage d(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) d.setPixel(x, y, (x % 2 == y % 2 ? c.ButtonHighlight : c.ButtonFace).rgb());
    return d;
}

TDockButton::TDockButton(QWidget* Parent) : QWidget(Parent)
{
    setObjectName("DockButton");
    resize(23, 22);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FGlyph.OnChange = [this] { Redraw(); };
    TrackTimer();
}

TDockButton::~TDockButton()
{
    FDestroying = true;
    if (Hot == this) {
        Hot = nullptr;
        TrackTimer().stop();
    }
}

void TDockButton::Effects(unsigned E)
{
    if (FDestroying) return;
    if (E & beRepaint) Redraw();
    if (E & beEnter) emit OnMouseEnter();
    if (E & beExit) {
        if (Hot == this) {
            TrackTimer().stop();
            Hot = nullptr;
        }
        emit OnMouseExit();
    }
    if (E & beGroupNotice) TellGroup();
    if (E & beTracking) UpdateTracking();
    if (E & beClick) Click();
}

void TDockButton::TellGroup()
{
    if (!parentWidget() || FLogic.GroupIndex == 0) return;
    for (TDockButton* b : parentWidget()->findChildren<TDockButton*>(Qt::FindDirectChildrenOnly))
        if (b != this && b->FLogic.GroupIndex == FLogic.GroupIndex)
            b->Effects(b->FLogic.GroupNotice(FLogic.Down, FLogic.AllowAllUp));
}

void TDockButton::SetAllowAllUp(bool Value) { Effects(FLogic.SetAllowAllUp(Value)); }
void TDockButton::SetGroupIndex(int Value) { Effects(FLogic.SetGroupIndex(Value)); }
void TDockButton::SetDown(bool Value) { Effects(FLogic.SetDown(Value)); }

void TDockButton::SetDisplayMode(int Value)
{
    if (Value < 0 || Value > 2 || Value == FDisplayMode) return;
    FDisplayMode = Value;
    Redraw();
}

void TDockButton::SetDropdownArrow(bool Value)
{
    if (Value == FDropdownArrow) return;
    FDropdownArrow = Value;
    Redraw();
}

QMenu* TDockButton::DropdownMenu() const { return FDropdownMenu; }

void TDockButton::SetDropdownMenu(QMenu* Menu)
{
    FDropdownMenu = Menu;
    FLogic.HasMenu = Menu != nullptr;
    if (FDropdownArrow) Redraw();
}

void TDockButton::SetCaption(const QString& Value)
{
    FCaption = Value;
    Redraw();
}

void TDockButton::SetGlyph(const QImage& Strip)
{
    FGlyph.SetGlyph(Strip);
    FGlyph.MakeStateImage(FLogic.State, SystemColors());
}

void TDockButton::SetNumGlyphs(int Value) { FGlyph.SetNumGlyphs(Value); }

void TDockButton::SetLayout(int Value)
{
    if (Value < 0 || Value > 3 || Value == FLayout) return;
    FLayout = Value;
    Redraw();
}

void TDockButton::SetMargin(int Value)
{
    if (Value < -1 || Value == FMargin) return;
    FMargin = Value;
    Redraw();
}

void TDockButton::SetSpacing(int Value)
{
    if (Value == FSpacing) return;
    FSpacing = Value;
    Redraw();
}

void TDockButton::SetOpaque(bool Value)
{
    if (Value == FOpaque) return;
    FOpaque = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, Value);
    Redraw();
}

void TDockButton::SetWordWrap(bool Value)
{
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    Redraw();
}

// ---- tracking ----

void TDockButton::MouseEntered() { Effects(FLogic.MouseEntered()); }
void TDockButton::MouseLeft() { Effects(FLogic.MouseLeft()); }

void TDockButton::UpdateTracking()
{
    const bool over = isVisible() && QApplication::widgetAt(QCursor::pos()) == this;
    if (!over) {
        MouseLeft();
        return;
    }
    if (Hot != this) {
        if (Hot) Hot->MouseLeft();
        if (ApplicationActive()) {
            Hot = this;
            TrackTimer().start();
        }
    }
    MouseEntered();
}

// ---- mouse ----

void TDockButton::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint p = Event->position().toPoint();
    if (Hot != this && rect().contains(p) && isEnabled()) {
        if (Hot) Hot->MouseLeft();
        if (ApplicationActive()) {
            Hot = this;
            TrackTimer().start();
            MouseEntered();
        }
    }
    Effects(FLogic.MouseMove(p, size()));
    emit OnMouseMove(Event);
}

void TDockButton::Press(QMouseEvent* Event)
{
    Event->accept();
    emit OnMouseDown(Event);
    Effects(FLogic.MouseDown(Event->button() == Qt::LeftButton));
}

void TDockButton::mousePressEvent(QMouseEvent* Event) { Press(Event); }

void TDockButton::mouseDoubleClickEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton && FLogic.Down) emit OnDblClick();
    Press(Event);
}

void TDockButton::mouseReleaseEvent(QMouseEvent* Event)
{
    Event->accept();
    const unsigned e = FLogic.MouseUp(Event->button() == Qt::LeftButton, Event->position().toPoint(), size());
    emit OnMouseUp(Event);
    Effects(e);
}

void TDockButton::changeEvent(QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled() && Hot == this) {
            Hot = nullptr;
            TrackTimer().stop();
        }
        FLogic.SetEnabled(isEnabled());
        FGlyph.MakeStateImage(FLogic.State, SystemColors());
        if (isEnabled()) UpdateTracking();
        Redraw();
        break;
    case QEvent::PaletteChange:
        FGlyph.DropImages();
        FGlyph.MakeStateImage(FLogic.State, SystemColors());
        Redraw();
        break;
    case QEvent::FontChange: Redraw(); break;
    default: break;
    }
    QWidget::changeEvent(Event);
}

// ---- drop-down menu ----

void TDockButton::Click()
{
    if (!FDropdownMenu) {
        emit OnClick();
        return;
    }
    Effects(FLogic.MenuOpening());
    QMenu* menu = FDropdownMenu;
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (auto* bar = qobject_cast<TDockToolbar*>(parentWidget()); bar && bar->DockedTo() && bar->DockedTo()->Vertical()) {
        if (bar->DockedTo()->Position() == dpRight)
            at = mapToGlobal(QPoint(0, 0)) - QPoint(menu->sizeHint().width(), 0);
        else
            at = mapToGlobal(QPoint(width(), 0));
    }
    menu->installEventFilter(this);
    connect(
        menu, &QMenu::aboutToHide, this,
        [this, menu] {
            menu->removeEventFilter(this);
            Effects(FLogic.MenuClosed());
        },
        Qt::SingleShotConnection);
    menu->popup(at);
}

bool TDockButton::eventFilter(QObject* Watched, QEvent* Event)
{
    // A press on this button closes the menu without opening it again.
    if (Watched == FDropdownMenu && Event->type() == QEvent::MouseButtonPress) {
        const QPoint g = static_cast<QMouseEvent*>(Event)->globalPosition().toPoint();
        if (QRect(mapToGlobal(QPoint(0, 0)), size()).contains(g)) FDropdownMenu->setAttribute(Qt::WA_NoMouseReplay);
    }
    return QWidget::eventFilter(Watched, Event);
}

// ---- painting ----

QColor TDockButton::FaceColor() const
{
    if (auto* bar = qobject_cast<TDockToolbar*>(parentWidget())) return bar->Color();
    return SystemColors().ButtonFace;
}

TFaceLayout TDockButton::FaceLayout() const
{
    TFaceRequest r;
    r.Client = rect().adjusted(1, 1, -1, -1);
    r.Offset = FLogic.FaceOffset();
    r.Strip = FGlyph.Glyph().size();
    r.NumGlyphs = FGlyph.NumGlyphs();
    r.DrawGlyph = FDisplayMode != 2;
    r.DrawText = FDisplayMode != 1;
    r.HasCaption = !FCaption.isEmpty();
    r.WordWrap = FWordWrap;
    r.Layout = FLayout;
    r.Margin = FMargin;
    r.Spacing = FSpacing;
    r.DropArrow = FDropdownArrow && FDropdownMenu;
    const QFontMetrics fm(font());
    const QString caption = FCaption;
    const bool wrap = FWordWrap;
    r.MeasureText = [fm, caption, wrap](int Width) {
        if (wrap) return fm.boundingRect(QRect(0, 0, std::max(Width, 1), 1 << 20), Qt::TextWordWrap, caption).size();
        return fm.size(Qt::TextSingleLine, caption);
    };
    return LayoutButtonFace(r);
}

QPoint TDockButton::GlyphPosition() const { return FaceLayout().GlyphPos; }

void TDockButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const TSystemColors c = SystemColors();
    if (FOpaque) p.fillRect(rect(), FaceColor());
    if (FLogic.DrawsEdge())
        DrawEdge(p, rect(), FLogic.SunkenEdge() ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT, c);
    if (FLogic.Dithered()) p.fillRect(rect().adjusted(1, 1, -1, -1), QBrush(DitherPattern()));
    const TFaceLayout f = FaceLayout();
    if (FDisplayMode != 2)
        if (const QImage* image = FGlyph.StateImage(FLogic.State, c)) p.drawImage(f.GlyphPos, *image);
    if (FDisplayMode != 1 && !FCaption.isEmpty()) {
        const int flags = Qt::AlignCenter | (FWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
        p.setFont(font());
        if (FLogic.State == bsDisabled) {
            p.setPen(c.ButtonHighlight);
            p.drawText(f.TextBounds.translated(1, 1), flags, FCaption);
            p.setPen(c.ButtonShadow);
        } else {
            p.setPen(c.ButtonText);
        }
        p.drawText(f.TextBounds, flags, FCaption);
    }
    if (FDropdownArrow && FDropdownMenu) {
        const QPoint a = f.ArrowPos;
        p.fillRect(QRect(a.x() + 4, a.y(), 5, 1), c.ButtonText);
        p.fillRect(QRect(a.x() + 5, a.y() + 1, 3, 1), c.ButtonText);
        p.fillRect(QRect(a.x() + 6, a.y() + 2, 1, 1), c.ButtonText);
    }
}

// ---- separator ----

static QWidget* CheckedToolbar(QWidget* Parent)
{
    if (!qobject_cast<TDockToolbar*>(Parent))
        throw EInvalidOperation("TDockSeparator can only be placed on a TDockToolbar");
    return Parent;
}

TDockSeparator::TDockSeparator(QWidget* Parent) : QWidget(CheckedToolbar(Parent))
{
    setObjectName("DockSeparator");
    // A press on a separator is a press on its toolbar (it starts a drag).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(6, 22);
}

void TDockSeparator::SetBlank(bool Value)
{
    if (Value == FBlank) return;
    FBlank = Value;
    update();
}

void TDockSeparator::paintEvent(QPaintEvent*)
{
    auto* bar = qobject_cast<TDockToolbar*>(parentWidget());
    if (FBlank || !bar) return;
    QPainter p(this);
    const TSystemColors c = SystemColors();
    if (bar->Orientation() == 2) {
        p.fillRect(QRect(0, height() / 2 - 1, width(), 1), c.ButtonShadow);
        p.fillRect(QRect(0, height() / 2, width(), 1), c.ButtonHighlight);
    } else {
        p.fillRect(QRect(width() / 2 - 1, 0, 1, height()), c.ButtonShadow);
        p.fillRect(QRect(width() / 2, 0, 1, height()), c.ButtonHighlight);
    }
}
