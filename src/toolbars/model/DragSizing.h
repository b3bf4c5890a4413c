// Dragging a toolbar between docks and the floating state, and sizing a
// floating toolbar by an edge: the target under the pointer, the outline, the
// drop's row and position, the list of shapes and the sizing move.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include <QPoint>
#include <QSize>

#include "toolbars/model/DockLayout.h"
#include "toolbars/model/Geometry.h"

// What the press recorded: the pressed point relative to the toolbar's window
// and the window's width - 1 and height - 1.
struct TGrab {
    QPoint Point;
    QSize OldSize;
};

// The outline of a toolbar of window size Size with the pointer at P, keeping
// the pressed point of the toolbar at the same relative place.
TRect OutlineAt(QPoint P, QSize Size, const TGrab& Grab);

// One dock as a drag sees it: its client rectangle on the screen and the size
// the toolbar would take on it.
struct TDockTarget {
    TDockPosition Position = dpTop;
    bool AllowDrag = true;
    TRect Client; // screen coordinates
    QSize Size;   // the toolbar's size there
};

// Whether a dock takes the toolbar with the pointer at P.
bool DockAccepts(const TDockTarget& Dock, QPoint P, const TGrab& Grab);

struct TDragChoice {
    int Dock = -1;      // index into the docks, -1 floating
    TRect Outline;      // screen coordinates
    int Thickness = 1;  // of the outline: 1 on a dock, the frame width when floating
    bool operator==(const TDragChoice&) const = default;
};

// The target under the pointer: the top and bottom docks first, then (when the
// toolbar may go there) the left and right ones, in the order given; else
// floating, with the pointer and the outline kept on the work area.
TDragChoice ChooseTarget(QPoint P, bool NoDock, bool CanDockLeftRight, const std::vector<TDockTarget>& Docks,
                         QSize FloatSize, const TGrab& Grab, const TRect& WorkArea, int FrameWidth);

// The four bands of an outline ring of the given thickness: top, bottom, left,
// right (the side bands between the top and bottom ones).
std::array<TRect, 4> OutlineBands(const TRect& Outline, int Thickness);

// Where a drop lands on a dock: the outline in the dock's client coordinates
// gives the row (by the middle across) and the position (its leading edge).
struct TDropPlace {
    int Row = 0;
    bool NewRow = false;
    int Pos = 0;
};
TDropPlace DropPlace(const TRect& OutlineInDock, bool Vertical, const std::vector<int>& RowThickness);

// ---- sizing a floating toolbar ----

enum TSizingEdge : uint8_t { seLeft, seRight, seTop, seBottom };
inline bool SizesAcross(TSizingEdge E) { return E == seLeft || E == seRight; } // changes the width

// The client size of the controls laid out at a wrap width (0 = no wrapping).
using TWrapLayout = std::function<QSize(int WrapWidth)>;

// The distinct window sizes of a floating toolbar: its unwrapped shape and
// every narrower one that the wrapping can give, sorted for the edge (widest
// first for the side edges, tallest first for the top and bottom). Frame is
// what the window adds to the client size. Layouts counts the layouts run.
std::vector<QSize> BuildShapeList(const TWrapLayout& Layout, int LargestControlWidth, QSize Frame, TSizingEdge Edge,
                                  int* Layouts = nullptr);

// 12, lowered to the distance to the neighbours of the current shape - 1.
int SnapDistanceFor(const std::vector<QSize>& Shapes, QSize Current, TSizingEdge Edge);

struct TSizing {
    TSizingEdge Edge = seRight;
    std::vector<QSize> Shapes;
    int SnapDistance = 12;
    int FrameLeft = 4;     // from the window's left edge to its client area
    TRect Start;           // the window at the press (screen)
    TRect Outline;         // the shape shown now
    int WrapWidth = 0;     // chosen so far
    bool LeftStart = false;
    bool Shrinking = false;

    // Starts a sizing of the window Window with the given shapes.
    void Begin(TSizingEdge E, std::vector<QSize> ShapeList, const TRect& Window, int WrapNow, int FrameLeftWidth);
    // The pointer moved to P (relative to the window's top-left corner);
    // true when the outline changed.
    bool Move(QPoint P);
};
