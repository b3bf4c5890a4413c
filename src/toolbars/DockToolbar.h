// TDockToolbar: a toolbar that sits in a row of a TToolDock or floats in a
// small tool window of its own (TFloatParent), and that the user drags
// between the two. It lays out its child controls itself: buttons, any other
// widgets, and TDockSeparator separators that end groups.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "toolbars/model/FloatingFrame.h"
#include "toolbars/model/Geometry.h"
#include "toolbars/model/ToolbarLayout.h"

class QMenu;
class TFloatParent;
class TToolDock;

class TDockToolbar : public QWidget {
    Q_OBJECT
public:
    // Owner: the form the toolbar belongs to. The toolbar starts floating,
    // its window hidden until the form shows it.
    explicit TDockToolbar(QWidget* Owner);
    ~TDockToolbar() override;

    QWidget* OwnerForm() const { return FOwner; }

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool CanDockLeftRight() const { return FCanDockLeftRight; }
    void SetCanDockLeftRight(bool Value) { FCanDockLeftRight = Value; }
    bool CloseButton() const { return FCloseButton; }
    void SetCloseButton(bool Value);
    QColor Color() const;
    void SetColor(const QColor& Value);
    TToolDock* DefaultDock() const;
    void SetDefaultDock(TToolDock* Dock);
    TToolDock* DockedTo() const;
    // Docks the toolbar (or floats it for nullptr), firing OnRecreating,
    // OnDockChanging, OnDockChanged and OnRecreated as the place changes.
    void SetDockedTo(TToolDock* Value);
    // Puts the toolbar on a dock, or floats it for its own form; anything
    // else is refused.
    void PlaceOn(QWidget* Parent);
    int DockRow() const { return FDockRow; }
    void SetDockRow(int Value);
    int DockPos() const { return FDockPos; }
    void SetDockPos(int Value);
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* Menu);
    // Whether the toolbar is meant to be seen (it may still wait hidden while
    // the program is inactive).
    bool BarVisible() const { return FVisible; }

    // ---- layout ----
    // 0 floating, 1 on a top or bottom dock, 2 on a left or right dock.
    int Orientation() const;
    bool HasDragHandle() const;
    std::vector<QWidget*> ControlOrder;
    int FloatWrapWidth = 0;
    std::vector<uint32_t> LineBreakSeparators;
    const TRowFigures& SizeFigures() const { return FFigures; }
    int LargestControlHeight() const { return FFigures.CtlHeight; }
    int LargestControlWidth() const { return FFigures.CtlWidth; }
    int DockedRowHeight() const { return FFigures.Height; }
    int DockedRowWidth() const { return FFigures.Width; }
    // Lays the controls out in the current place and takes the size they need.
    void PlaceControls();
    // The client size the toolbar takes on Dock (nullptr: floating with
    // WrapWidth). Apply moves the controls; Resize sizes the toolbar.
    QSize ComputePlacement(bool Apply, bool Resize, int WrapWidth, TToolDock* Dock);
    // The controls as the layout sees them, in control order.
    std::vector<TLayoutControl> LayoutControls() const;
    std::vector<QWidget*> OrderedControls() const;
    // Control order by the controls' left edges (top edges on a vertical dock).
    void SortControlOrder();

    // ---- floating ----
    TFloatParent* FloatParent() const { return FFloatParent; }
    static TFloatMetrics Metrics() { return TFloatMetrics(); }
    TRect FloatRect; // the floating window on the screen; empty until first set
    bool FloatHidden() const { return FFloatHidden; }
    void SetFloatHidden(bool Value);
    // Hides or shows the floating window for the program's and the form's state.
    void UpdateFloatHidden();
    // Moves the floating window onto the work area (only when it lies wholly
    // outside every screen, with OnlyIfFullyOff).
    void KeepOnWorkArea(bool OnlyIfFullyOff);
    // Floating: the toolbar window's rectangle on the screen.
    TRect WindowRect() const;

    // ---- dragging ----
    // Drops the toolbar on a dock (at the row and position under the outline)
    // or floats it at the outline (screen coordinates).
    void ApplyDrop(TToolDock* Dock, const TRect& Outline);
    // Ends a sizing: the chosen wrap width and window rectangle.
    void ApplySizing(int WrapWidth, const TRect& Outline);
    // A drag would start from a press at this point of the toolbar.
    bool IsDragArea(QPoint P) const;

    void setVisible(bool Visible) override;

signals:
    void OnClose(TDockToolbar* Bar);
    void OnRecreated(TDockToolbar* Bar);
    void OnRecreating(TDockToolbar* Bar);
    void OnDockChanged(TDockToolbar* Bar);
    void OnDockChanging(TDockToolbar* Bar);

protected:
    bool event(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void childEvent(QChildEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    friend class TToolDock;
    friend class TFloatParent;
    void RequestPlacement();
    void ShowFloatWindow();
    void SetParentQuietly(QWidget* Parent);

    QPointer<QWidget> FOwner;
    QString FCaption;
    bool FCanDockLeftRight = true;
    bool FCloseButton = true;
    QColor FColor;
    QPointer<TToolDock> FDefaultDock;
    QPointer<TToolDock> FDockedTo;
    int FDockRow = 0;
    int FDockPos = -1;
    QPointer<QMenu> FPopupMenu;
    bool FVisible = true;
    TRowFigures FFigures;
    int FPlacementLock = 0;
    bool FPlacementPosted = false;
    TFloatParent* FFloatParent = nullptr;
    bool FFloatHidden = true;
    int FHideLock = 0;
    bool FReparenting = false;
    bool FDestroying = false;
};

// The floating toolbar's window: a frameless tool window of the form that
// never takes the activation, with a frame, a small caption and a close
// button drawn here. Pressing an edge sizes the toolbar, the caption moves
// the window, the close button hides the toolbar.
class TFloatParent : public QWidget {
    Q_OBJECT
public:
    TFloatParent(TDockToolbar* Bar, QWidget* Owner);
    ~TFloatParent() override;
    TDockToolbar* Bar() const { return FBar; }
    QSize ClientSize() const;
    THitCode HitTest(QPoint P) const;
    bool ClosePressed() const { return FClosePressed; }
    // The caption text as drawn (cut with "..." when too long).
    QString DrawnCaption() const;
    void PaintFloatingFrame(QPainter& P, bool DrawBorder, bool DrawCaption, bool DrawCloseButton);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    friend class TDockToolbar;
    void EndTracking();
    TDockToolbar* FBar;
    enum { tkNone, tkClose, tkMove } FTracking = tkNone;
    bool FClosePressed = false;
    QPoint FMoveFrom; // pointer on the screen at the last move
};
