// TToolDock: a strip along an edge of a form that holds toolbars in rows.
// The dock arranges its toolbars (rows closed, toolbars ordered and fitted
// along, rows stacked) whenever one is added, removed, moved, shown, hidden or
// resized, and takes the thickness its rows need.
#pragma once

#include <functional>
#include <stdexcept>
#include <vector>

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "toolbars/model/DockLayout.h"
#include "toolbars/model/Geometry.h"

class QMenu;
class TDockToolbar;

// Refused operations on docks, toolbars and separators.
class EInvalidOperation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class TToolDock : public QWidget {
    Q_OBJECT
public:
    // Owner: the form (a window) the dock belongs to; the dock starts on it.
    explicit TToolDock(QWidget* Owner, TDockPosition Position = dpTop);
    ~TToolDock() override;

    QWidget* OwnerForm() const { return FOwner; }
    // Puts the dock into a part of its form (never into a toolbar or a dock).
    void PlaceIn(QWidget* Parent);
    // Every dock of a form, in the order they were made.
    static std::vector<TToolDock*> DocksOf(const QWidget* Form);

    bool AllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool Value);
    const QImage& Background() const { return FBackground; }
    void SetBackground(const QImage& Value);
    bool BackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool Value);
    unsigned BoundLines() const { return FBoundLines; }
    void SetBoundLines(unsigned Value);
    QColor Color() const;
    void SetColor(const QColor& Value);
    bool FixAlign() const { return FFixAlign; }
    void SetFixAlign(bool Value);
    bool LimitToOneRow() const { return FLimitToOneRow; }
    void SetLimitToOneRow(bool Value) { FLimitToOneRow = Value; }
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* Menu);
    TDockPosition Position() const { return FPosition; }
    void SetPosition(TDockPosition Value);
    bool Vertical() const { return IsVerticalDock(FPosition); }

    // The docked toolbars in list order.
    const std::vector<TDockToolbar*>& DockList() const { return FDockList; }
    // Thickness of each row (by row number) as last arranged.
    const std::vector<int>& RowThickness() const { return FRowThickness; }
    // Largest figures of each row's toolbars.
    const std::vector<TRowFigures>& Rows() const { return FRows; }
    TRowFigures RowRecord(int Row) const;
    // The area inside the bound lines, in the dock's coordinates.
    QRect ClientRect() const;
    // Along the dock, inside the bound lines.
    int ClientLength() const;

    void ArrangeToolbars();
    void BeginUpdate() { ++FUpdateLock; }
    void EndUpdate();

    // The background tile as drawn (with the transparent colour replaced by
    // the dock's colour when asked); null without a background.
    QImage BackgroundTile();
    // Tiles Area of Widget (a part of this dock or one of its toolbars) so
    // that the tiles of every dock and toolbar of the form line up.
    void PaintBackground(QPainter& P, const QWidget* Widget, const QRect& Area);

    void setVisible(bool Visible) override;

signals:
    void OnInsertRemoveBar(TToolDock* Dock, bool Inserting, TDockToolbar* Bar);
    void OnResize(TToolDock* Dock);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    friend class TDockToolbar;
    void AddBar(TDockToolbar* Bar);
    void RemoveBar(TDockToolbar* Bar);
    void SetThickness(int Thickness);
    void RepaintAll();

    QPointer<QWidget> FOwner;
    TDockPosition FPosition;
    bool FAllowDrag = true;
    QImage FBackground;
    QImage FTile; // cached drawn tile
    bool FBackgroundTransparent = false;
    unsigned FBoundLines = 0;
    QColor FColor;
    bool FFixAlign = false;
    bool FLimitToOneRow = false;
    QPointer<QMenu> FPopupMenu;
    std::vector<TDockToolbar*> FDockList;
    std::vector<int> FRowThickness;
    std::vector<TRowFigures> FRows;
    int FUpdateLock = 0;
    bool FArranging = false;
    bool FConstructed = false;
    int FThickness = 0;
};
