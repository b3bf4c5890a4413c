// A dock's rows: closing empty rows, ordering and fitting the toolbars of each
// row along the dock, stacking the rows, and finding the row under a drop.
#pragma once

#include <vector>

#include <QRect>
#include <QSize>

#include "toolbars/model/Geometry.h"
#include "toolbars/model/ToolbarLayout.h"

// One toolbar of a dock, in the dock's list order.
struct TDockedBar {
    int Row = 0;
    int Pos = 0;
    QSize Size;          // client size; a docked toolbar has no frame
    bool Visible = true; // hidden toolbars keep their row and position but take no room
};

// Renumbers the rows 0, 1, 2, ... keeping their order, so no row is empty.
// Works on any row numbers (also huge or negative ones) without walking them.
void CloseEmptyRows(std::vector<TDockedBar>& Bars);

struct TDockArrangement {
    std::vector<QRect> Rects;       // per toolbar, in the dock's client area (hidden ones: empty)
    std::vector<int> RowThickness;  // per row number; 0 for a row of hidden toolbars only
    int Thickness = 0;              // of the whole dock, bound lines included
};

// Arranges the toolbars of a dock whose client area is Length long. Rows are
// ordered by position (ties in list order); toolbars move along only as far as
// needed to stop overlapping and to end within the dock, never below 0; a row
// longer than the dock wraps onto a new row after it. Row and Pos of the
// toolbars are updated. BoundPixels is what the bound lines add
// across; an empty dock is 1 pixel thick with FixAlign, else 0.
TDockArrangement ArrangeDock(std::vector<TDockedBar>& Bars, bool Vertical, int Length, int BoundPixels,
                             bool FixAlign);

// The row records: per row number the largest figures of its visible toolbars.
std::vector<TRowFigures> RowRecords(const std::vector<TDockedBar>& Bars, const std::vector<TRowFigures>& Figures);

// The row a drop lands in, Pos measured across the dock from its client
// origin: within 5 pixels of a row boundary (or past the last row) a new row
// is opened there.
struct TRowHit {
    int Row = 0;
    bool NewRow = false;
};
TRowHit RowHitTest(const std::vector<int>& RowThickness, int Pos);

// The bound lines of a dock, a set of edges.
enum : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
// The pixels the bound lines take on each side of a dock of the given size
// (none unless the dock is at least 2 x 2).
struct TBoundMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TBoundMargins BoundMargins(unsigned Lines, QSize DockSize);
