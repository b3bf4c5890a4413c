// The sketch-mode dispatch of a press on the sketch pad, without the window:
// the window turns the mouse position into a world point, handles the zoom
// clicks and a busy Calculate run, and calls SketchPress. SketchPress picks,
// runs the mode's operation on the network and the view, and tells the
// window what remains for it: dialogs to open, texts to write, what to
// repaint.
#pragma once

#include <cstdint>

#include "core/edit/Editing.h"

// What the window does after a press (bits of TPressResult::Requests).
enum TPadRequest : uint32_t {
    PadRepaint = 1u << 0,          // the network changed: repaint Area (or the view when Area is empty)
    PadWriteCoordinates = 1u << 1, // show CursorX, CursorY
    PadWriteSketchState = 1u << 2, // the mode (or its state) changed
    PadCrosshair = 1u << 3,        // the crosshair moved, appeared or went
    PadNodeDialog = 1u << 4,       // open the node dialog on Node
    PadLinkDialog = 1u << 5,       // open the link dialog on Link
    PadAttributesDialog = 1u << 6, // open the attribute values of Node (or Link)
    PadLongLatDialog = 1u << 7,    // open the long/lat dialog on ShapePoint
    PadSelect = 1u << 8,           // Select Object: marker on Node/ShapePoint, or, when both are
                                   // empty, the backgrounds, title block and legends are tested
    PadPolygonNotMerged = 1u << 9, // show "Polygon not merged"
    PadHighlight = 1u << 10,       // picks changed: redraw highlights
    PadNotice = 1u << 11,          // show Notice (what the operation left undone)
};

struct TPressResult {
    uint32_t Requests = 0;
    TNode* Node = nullptr;
    TLink* Link = nullptr;
    TShapePoint* ShapePoint = nullptr;
    TBox Area = EmptyBox; // what an operation touched, when it says
    const char* Notice = nullptr;

    bool Has(uint32_t r) const { return (Requests & r) != 0; }
};

// One press at world point (x, y) (the pick point: window point less the
// drawing origin), left or right button; the middle button acts as left.
// Nothing happens while the window prints.
TPressResult SketchPress(TNetwork& net, TViewRecord& view, TEditState& edit, bool rightButton, int32_t x, int32_t y);

// A mode change: picks, polygon marks and gesture state are dropped; a node
// that Node Move held stays deleted, and so leaves the polygon criterion.
void SetSketchMode(TViewRecord& view, TEditState& edit, uint8_t mode);
