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

#include "core/SearchFilter.h"
#include "shell/NodeLinkDraw.h"

class QPainter;

// Evaluates the style expressions of the classes for one drawing. Parts
// returns the number of parts of the element's class expression (0 when it
// has none) and fills values[0..9] and ok[0..9].
class TStyleSource {
public:
    virtual ~TStyleSource() = default;
    virtual int LinkParts(const TLinkValues& link, double* values, bool* ok) = 0;
    virtual int NodeParts(const TNode& node, double* values, bool* ok) = 0;
};

// What the caller of one paint gives every drawing inside it (the window's
// own network and the underlays drawn with it).
struct TDrawRun {
    // Window numbers drawn in this paint: an underlay is drawn once, and a
    // cycle of underlays ends.
    std::vector<int> Drawn;
    // Lets pending events through while drawing with Pump; true asks to stop.
    std::function<bool()> PumpEvents;
    bool Aborted = false;
    // Prepares the search filter of a window for this drawing (the polygon
    // criterion needs the network's settings); nullptr: class criteria only.
    std::function<void(const TDrawPad&, TSearchFilter&)> PrepareFilter;
    // Style expressions per window number; nullptr: class styles only.
    std::function<TStyleSource*(const TDrawPad&)> Styles;
    // Links that fail the filter are drawn thin in FilteredLinkColor.
    bool ShowFilteredLinksThin = false;
    int32_t FilteredLinkColor = 19;
    // The current date and time of the title block ("dddd, mmmm d, yyyy \" at \" hh:mm AM/PM").
    std::function<std::string()> Now;
};

// The style of one element from its class and the style expressions.
struct TLinkDrawStyle {
    int32_t Width = 1, Extra = 0, Colour = 1;
};
struct TNodeDrawStyle {
    int32_t Size = 1, Colour = 1, PolygonStyle = 0;
    double Values[11] = {}; // the expression parts 1..10 (pies)
    int Count = 0;
};
TLinkDrawStyle LinkStyle(const TDrawPad& pad, const TLinkValues& link, TStyleSource* styles);
TNodeDrawStyle NodeStyle(const TDrawPad& pad, const TNode& node, TStyleSource* styles);

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

// Overlays of other tools: a line A-B in palette colour, width 1.
void DrawWorldLine(const TDrawPad& pad, TCanvas& canvas, int32_t ax, int32_t ay, int32_t bx, int32_t by,
                   int32_t colorIndex, bool noScroll);

// Label text of one code of a node or link ("" for none); cut to the kind's
// length setting.
std::string NodeLabelText(const TDrawPad& pad, const TNode& node, int32_t code, const TNodeDrawStyle* style);
std::string LinkLabelText(const TDrawPad& pad, const TLinkValues& link, int32_t code, const double* styleValues,
                          int styleCount);
bool LinkHasLabel(const TDrawPad& pad, const TLinkValues& link);
bool NodeHasLabel(const TDrawPad& pad, const TNode& node);

// Text of a label at (x, y) (drawing units, after origin and offsets).
// Place 1..7, Angle in tenths of a degree.
void DrawLabelText(const TDrawPad& pad, TCanvas& canvas, int32_t x, int32_t y, bool monochrome, bool useColour,
                   int place, int32_t elementSize, int fontSlot, int32_t angle, const std::string& line1,
                   const std::string& line2);
