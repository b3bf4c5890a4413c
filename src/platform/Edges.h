// Three-dimensional edges of buttons and frames, and the small close button of
// a tool window's caption, drawn with the system colours.
#pragma once

#include <QRect>

#include "platform/SystemColors.h"

class QPainter;

// Edge kinds (combinable: an outer and an inner ring).
enum : unsigned {
    BDR_RAISEDOUTER = 1,
    BDR_SUNKENOUTER = 2,
    BDR_RAISEDINNER = 4,
    BDR_SUNKENINNER = 8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
};
// Sides.
enum : unsigned { BF_LEFT = 1, BF_TOP = 2, BF_RIGHT = 4, BF_BOTTOM = 8, BF_RECT = 15, BF_MIDDLE = 0x800 };

// Draws the rings of Edge on the chosen sides of R (outer ring first) and
// returns R less the rings drawn; BF_MIDDLE fills what is left with the face.
QRect DrawEdge(QPainter& P, const QRect& R, unsigned Edge, unsigned Sides, const TSystemColors& C);

// A caption close button in R: a raised button with a cross, sunken and the
// cross moved by one pixel when pushed.
void DrawCaptionCloseButton(QPainter& P, const QRect& R, bool Pushed, const TSystemColors& C);
