// The drawing pass: a whole network into a canvas. Backgrounds and the
// underlay network first, then polygons, links, nodes and, in a second pass,
// the labels, and finally the title block and the legends. The pass walks the
// spatial hash cell by cell and skips cells and elements that cannot reach
// the clip rectangle.
//
// Everything the pass changes while it runs (offsets, the search filter, the
// labels waiting for the second pass, the windows already drawn) belongs to
// the call: a paint during a long print, or an underlay drawn inside a
// drawing, cannot disturb another drawing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/expr/SearchFilter.h"
#include "core/expr/WidthSizes.h"
#include "core/model/WindowSettings.h"
#include "shell/NodeLinkDraw.h"

class QPainter;

// What the caller of one paint gives every drawing inside it (the window's
// own network and the underlays drawn with it).
struct TDrawRun {
    // Window numbers drawn in this paint: an underlay is drawn once, and a
    // cycle of underlays ends.
    std::vector<int> Drawn;
    // Lets pending events through while drawing with Pump; true asks to stop.
    std::function<bool()> PumpEvents;
    bool Aborted = false;
    // The current date and time of the title block ("dddd, mmmm d, yyyy \" at \" hh:mm AM/PM").
    std::function<std::string()> Now;
};

// The style of one element from its class and, when the class has one, its
// style expression (evaluator prepared for the pad's network; nullptr: class
// styles and intervals only).
struct TLinkDrawStyle {
    int32_t Width = 1, Extra = 0, Colour = 1;
};
struct TNodeDrawStyle {
    int32_t Size = 1, Colour = 1, PolygonStyle = 0;
    double Values[11] = {}; // the expression parts 1..10 (pies)
    int Count = 0;
};
TLinkDrawStyle LinkStyle(const TDrawPad& pad, const TLink& link, TStyleEvaluator* evaluator);
TNodeDrawStyle NodeStyle(const TDrawPad& pad, const TNode& node, TStyleEvaluator* evaluator);

// The pad of a window over its network: the window's view record and
// settings records.
TDrawPad MakeDrawPad(const TNetwork& net, const TViewRecord& view, const TWindowSettings& settings,
                     int windowNumber);
// Before a paint: the widest link and largest node symbol (with the images)
// and the label extents of the window's settings over the network; sets the
// pad's wide-link and large-symbol flags.
void PrepareDrawing(const TNetwork& net, TWindowSettings& settings, TDrawPad& pad);

// Draws the network of pad. Clip is in unscaled pixel units, already shifted
// by the offsets (world units + origin); offsets are the scroll positions in
// world units. Plot: printer or SVG (no culling, no offsets, monochrome when
// PlotMonochrome). The canvas's zoom mapping is set by the caller.
void DrawNetwork(const TDrawPad& pad, TCanvas& canvas, const TCanvasRect& clip, double scale, int32_t offsetY,
                 int32_t offsetX, bool pump, bool plot, TDrawRun& run);

// A paint of a window: the zoom mapping of scale, the offsets from the
// scroll positions, the clip from the canvas, then DrawNetwork.
void PaintNetwork(const TDrawPad& pad, TCanvas& canvas, double scale, int32_t horzPos, int32_t vertPos,
                  TDrawRun& run);

// The crosshair at the view's cursor in exclusive-or mode (drawing it twice
// erases it). Client size in device pixels.
void DrawCrosshair(const TDrawPad& pad, TCanvas& canvas, double scale, int32_t horzPos, int32_t vertPos,
                   int32_t clientWidth, int32_t clientHeight, bool dark);

// Overlays of other tools: a one-pixel mark at a world point in the pen
// mode, and a line A-B in palette colour, width 1.
void DrawWorldPoint(const TDrawPad& pad, TCanvas& canvas, int32_t x, int32_t y, TPenMode mode, int32_t colorIndex);
void DrawWorldLine(const TDrawPad& pad, TCanvas& canvas, int32_t ax, int32_t ay, int32_t bx, int32_t by,
                   int32_t colorIndex, bool noScroll);

bool LinkHasLabel(const TDrawPad& pad, const TLinkValues& link);
bool NodeHasLabel(const TDrawPad& pad, const TNode& node);
// The node or its class shows label code 104 (polygon vertices) on either
// line and its labels are not suppressed: editing redraws the labels of
// polygon owners.
bool NodeHasCode104Label(const TDrawPad& pad, const TNode& node);

// Text of a label at (x, y) (drawing units, after origin and offsets).
// Place 1..7, Angle in tenths of a degree.
void DrawLabelText(const TDrawPad& pad, TCanvas& canvas, int32_t x, int32_t y, bool monochrome, bool useColour,
                   int place, int32_t elementSize, int fontSlot, int32_t angle, const std::string& line1,
                   const std::string& line2);
