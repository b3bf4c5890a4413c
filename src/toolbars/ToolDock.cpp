#include "toolbars/ToolDock.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "platform/SystemColors.h"
#include "toolbars/DockToolbar.h"

namespace {
std::vector<TToolDock*>& AllDocks()
{
    static std::vector<TToolDock*> docks;
    return docks;
}

QWidget* CheckedForm(QWidget* Owner)
{
    if (!Owner || !Owner->isWindow()) throw EInvalidOperation("TToolDock must be owned by a form");
    return Owner;
}
} // namespace

TToolDock::TToolDock(QWidget* Owner, TDockPosition Position)
    : QWidget(CheckedForm(Owner)), FOwner(Owner), FPosition(Position)
{
    setObjectName("ToolDock");
    setAttribute(Qt::WA_OpaquePaintEvent);
    AllDocks().push_back(this);
    SetThickness(0);
    FConstructed = true;
}

TToolDock::~TToolDock()
{
    auto& all = AllDocks();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    for (TDockToolbar* t : FDockList) t->FDockedTo = nullptr;
}

std::vector<TToolDock*> TToolDock::DocksOf(const QWidget* Form)
{
    std::vector<TToolDock*> out;
    for (TToolDock* d : AllDocks())
        if (d->FOwner == Form) out.push_back(d);
    return out;
}

void TToolDock::PlaceIn(QWidget* Parent)
{
    for (QWidget* w = Parent; w; w = w->parentWidget())
        if (qobject_cast<TDockToolbar*>(w) || qobject_cast<TToolDock*>(w) || w == this)
            throw EInvalidOperation("A TToolDock control cannot be placed inside a TDockToolbar or another TToolDock");
    setParent(Parent);
    QWidget::setVisible(true);
}

void TToolDock::setVisible(bool Visible)
{
    if (!Visible && FConstructed) throw EInvalidOperation("Cannot hide a TToolDock");
    QWidget::setVisible(Visible);
}

void TToolDock::SetAllowDrag(bool Value)
{
    if (Value == FAllowDrag) return;
    FAllowDrag = Value;
    for (TDockToolbar* t : FDockList) t->update();
    ArrangeToolbars();
}

void TToolDock::SetBackground(const QImage& Value)
{
    FBackground = Value;
    FTile = QImage();
    RepaintAll();
}

void TToolDock::SetBackgroundTransparent(bool Value)
{
    if (Value == FBackgroundTransparent) return;
    FBackgroundTransparent = Value;
    FTile = QImage();
    RepaintAll();
}

void TToolDock::SetBoundLines(unsigned Value)
{
    if (Value == FBoundLines) return;
    FBoundLines = Value;
    ArrangeToolbars();
    update();
}

QColor TToolDock::Color() const { return FColor.isValid() ? FColor : SystemColors().ButtonFace; }

void TToolDock::SetColor(const QColor& Value)
{
    FColor = Value;
    FTile = QImage();
    RepaintAll();
}

void TToolDock::SetFixAlign(bool Value)
{
    if (Value == FFixAlign) return;
    FFixAlign = Value;
    ArrangeToolbars();
}

void TToolDock::SetPosition(TDockPosition Value)
{
    if (Value == FPosition) return;
    if (!FDockList.empty())
        throw EInvalidOperation("Cannot change Position of a TToolDock if it already contains controls");
    FPosition = Value;
    SetThickness(FThickness);
    ArrangeToolbars();
}

TRowFigures TToolDock::RowRecord(int Row) const
{
    return Row >= 0 && size_t(Row) < FRows.size() ? FRows[size_t(Row)] : TRowFigures();
}

QRect TToolDock::ClientRect() const
{
    const TBoundMargins m = BoundMargins(FBoundLines, size());
    return rect().adjusted(m.Left, m.Top, -m.Right, -m.Bottom);
}

int TToolDock::ClientLength() const
{
    const QSize probe = Vertical() ? QSize(MinLineThickness, height()) : QSize(width(), MinLineThickness);
    const TBoundMargins m = BoundMargins(FBoundLines, probe);
    return Vertical() ? height() - m.Top - m.Bottom : width() - m.Left - m.Right;
}

void TToolDock::AddBar(TDockToolbar* Bar)
{
    FDockList.push_back(Bar);
    ArrangeToolbars();
    emit OnInsertRemoveBar(this, true, Bar);
}

void TToolDock::RemoveBar(TDockToolbar* Bar)
{
    auto it = std::find(FDockList.begin(), FDockList.end(), Bar);
    if (it == FDockList.end()) return;
    FDockList.erase(it);
    ArrangeToolbars();
    emit OnInsertRemoveBar(this, false, Bar);
}

void TToolDock::EndUpdate()
{
    if (FUpdateLock > 0 && --FUpdateLock == 0) ArrangeToolbars();
}

void TToolDock::SetThickness(int Thickness)
{
    FThickness = Thickness;
    if (Vertical()) {
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
        setFixedWidth(Thickness);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    } else {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        setFixedHeight(Thickness);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
}

void TToolDock::ArrangeToolbars()
{
    // Nothing is arranged while locked, or before the dock is on the screen
    // (its length is not known yet; the toolbars keep their places).
    if (FUpdateLock > 0 || FArranging || !isVisible()) return;
    FArranging = true;
    const bool vertical = Vertical();
    std::vector<TDockedBar> bars;
    std::vector<TRowFigures> figures;
    bars.reserve(FDockList.size());
    for (TDockToolbar* t : FDockList) {
        bars.push_back({t->FDockRow, t->FDockPos, QSize(), t->FVisible && t->FHideLock == 0});
        figures.push_back(ControlFigures(t->LayoutControls()));
    }
    CloseEmptyRows(bars);
    FRows = ::RowRecords(bars, figures);
    for (size_t k = 0; k < FDockList.size(); ++k) {
        TDockToolbar* t = FDockList[k];
        t->FDockRow = bars[k].Row;
        bars[k].Size = t->ComputePlacement(true, false, 0, this);
    }
    const QSize probe = vertical ? QSize(MinLineThickness, height()) : QSize(width(), MinLineThickness);
    const TBoundMargins m = BoundMargins(FBoundLines, probe);
    const int across = vertical ? m.Left + m.Right : m.Top + m.Bottom;
    const TDockArrangement a = ArrangeDock(bars, vertical, ClientLength(), across, FFixAlign);
    const QPoint origin(m.Left, m.Top);
    for (size_t k = 0; k < FDockList.size(); ++k) {
        TDockToolbar* t = FDockList[k];
        t->FDockRow = bars[k].Row;
        t->FDockPos = bars[k].Pos;
        if (bars[k].Visible) {
            ++t->FPlacementLock;
            t->setGeometry(a.Rects[k].translated(origin));
            --t->FPlacementLock;
        }
    }
    FRowThickness = a.RowThickness;
    SetThickness(a.Thickness);
    FArranging = false;
    emit OnResize(this);
}

QImage TToolDock::BackgroundTile()
{
    if (FBackground.isNull() || FBackground.width() == 0 || FBackground.height() == 0) return QImage();
    if (!FBackgroundTransparent) return FBackground;
    if (FTile.isNull()) {
        // The colour of the bottom-left pixel lets the dock's colour through.
        FTile = QImage(FBackground.size(), QImage::Format_RGB32);
        FTile.fill(Color());
        const QRgb clear = FBackground.pixel(0, FBackground.height() - 1) | 0xFF000000u;
        const QImage src = FBackground.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                if ((src.pixel(x, y) | 0xFF000000u) != clear) FTile.setPixel(x, y, src.pixel(x, y));
    }
    return FTile;
}

void TToolDock::PaintBackground(QPainter& P, const QWidget* Widget, const QRect& Area)
{
    const QImage tile = BackgroundTile();
    if (tile.isNull() || Area.isEmpty()) return;
    // Tiles start at the form's client origin, whichever dock or toolbar draws them.
    const QWidget* base = parentWidget() ? parentWidget() : this;
    const QPoint at = Widget->mapTo(base, Area.topLeft());
    const QPoint offset(((at.x() % tile.width()) + tile.width()) % tile.width(),
                        ((at.y() % tile.height()) + tile.height()) % tile.height());
    P.save();
    P.setClipRect(Area, Qt::IntersectClip);
    P.drawTiledPixmap(Area, QPixmap::fromImage(tile), offset);
    P.restore();
}

void TToolDock::RepaintAll()
{
    update();
    for (TDockToolbar* t : FDockList) t->update();
}

void TToolDock::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const TSystemColors c = SystemColors();
    p.fillRect(rect(), Color());
    PaintBackground(p, this, ClientRect());
    const TBoundMargins m = BoundMargins(FBoundLines, size());
    if (m.Top) p.fillRect(QRect(0, 0, width(), 1), c.ButtonShadow);
    if (m.Left) p.fillRect(QRect(0, 0, 1, height()), c.ButtonShadow);
    if (m.Bottom) p.fillRect(QRect(0, height() - 1, width(), 1), c.ButtonHighlight);
    if (m.Right) p.fillRect(QRect(width() - 1, 0, 1, height()), c.ButtonHighlight);
}

void TToolDock::resizeEvent(QResizeEvent*) { ArrangeToolbars(); }

void TToolDock::moveEvent(QMoveEvent*)
{
    // The tile grid follows the form, so a dock that moves draws anew.
    if (!FBackground.isNull()) RepaintAll();
}

void TToolDock::showEvent(QShowEvent*) { ArrangeToolbars(); }

void TToolDock::contextMenuEvent(QContextMenuEvent* Event)
{
    if (FPopupMenu) FPopupMenu->popup(Event->globalPos());
}

void TToolDock::changeEvent(QEvent* Event)
{
    if (Event->type() == QEvent::PaletteChange) {
        FTile = QImage();
        RepaintAll();
    }
    QWidget::changeEvent(Event);
}

QMenu* TToolDock::PopupMenu() const { return FPopupMenu; }
void TToolDock::SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }
