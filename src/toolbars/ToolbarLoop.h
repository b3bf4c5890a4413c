// The mouse loops of a toolbar: dragging it between docks and the floating
// state, and sizing a floating toolbar by an edge. A loop holds the mouse and
// the keyboard, shows a halftone outline where the toolbar would go, keeps
// hints off, and applies the result only when the left button is released.
// A second press, the program losing the activation or the toolbar hiding end
// it without applying; every way out removes the outline and brings the
// hints back.
#pragma once

#include <array>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "toolbars/model/DragSizing.h"

class TDockToolbar;
class TToolDock;

// An outline drawn by four thin frameless windows that let the mouse through:
// top, bottom, left and right bands in a halftone pattern.
class TDragOutline {
public:
    TDragOutline();
    ~TDragOutline();
    void Show(const TRect& Outline, int Thickness);
    void Hide();
    bool Visible() const;
    TRect Shown() const { return FShown; }
    const std::array<QWidget*, 4>& Bands() const { return FBands; }

private:
    std::array<QWidget*, 4> FBands{};
    TRect FShown;
    int FThickness = 0;
};

class TToolbarLoop : public QObject {
    Q_OBJECT
public:
    enum TKind { Drag, Sizing };

    // The loop under way, nullptr when none.
    static TToolbarLoop* Active();
    // Whether hints are held back (only while a loop runs).
    static bool HintsOff();

    // A drag from a press at Press (toolbar client coordinates) with the
    // pointer at Global; Ctrl gives the floating outline from the start.
    static TToolbarLoop* StartDrag(TDockToolbar* Bar, QPoint Press, QPoint Global, bool Ctrl);
    // A sizing of a floating toolbar by one edge.
    static TToolbarLoop* StartSizing(TDockToolbar* Bar, TSizingEdge Edge, QPoint Global);

    TKind Kind() const { return FKind; }
    TDockToolbar* Bar() const { return FBar; }
    // Ends without applying.
    void Cancel();

    // What the outline shows now.
    TToolDock* TargetDock() const;
    bool Floating() const { return FChoice.Dock < 0; }
    TRect OutlineRect() const { return FChoice.Outline; }
    bool NoDock() const { return FNoDock; }
    const TDragOutline& Outline() const { return FOutline; }
    const TSizing& SizingState() const { return FSizing; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TToolbarLoop(TDockToolbar* Bar, TKind Kind);
    ~TToolbarLoop() override;
    void BeginLoop();
    void Update(QPoint Global);
    void Finish(bool Accept);

    TKind FKind;
    QPointer<TDockToolbar> FBar;
    // drag
    TGrab FGrab;
    bool FNoDock = false;
    std::vector<QPointer<TToolDock>> FDocks;
    std::vector<TDockTarget> FTargets;
    QSize FFloatSize;
    TDragChoice FChoice;
    QPoint FLast;
    // sizing
    TSizing FSizing;
    TDragOutline FOutline;
    bool FFinished = false;
};
