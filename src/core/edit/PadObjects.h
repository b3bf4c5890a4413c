// What Select Object finds besides nodes and shape points, and the arithmetic
// of moving it: background pictures with their frame and eight handles, the
// title block and the two legends (whose rectangles the drawing pass keeps),
// and the text of the hover hint over a point.
//
// Headless: sizes of loaded pictures come from the caller, positions are
// world units or window pixels handed in.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/model/DisplaySettings.h"
#include "core/model/Network.h"

// ---------------------------------------------------------------- hover hint

// The numbers of the hint: the shortest general form, 15 significant digits.
std::string HintNumber(double v);
// " [longitude, latitude]" or " [longitude, latitude, elevation]" when the
// point has a longitude of at least 1e-7 degree, a latitude above 0 or an
// elevation; else empty.
std::string GeographyBracket(const TNetworkPoint& p);
// The hint over world point (x, y): the nearest node's name, or "k: link
// name" for the k-th shape point of a link, each with its bracket. Found is
// false (and the text empty) when no point is near enough.
std::string HoverHintText(const TNetwork& net, const TViewRecord& view, int32_t x, int32_t y, bool& found);

// ---------------------------------------------------------------- title block and legends

// The rectangles (world units) of what the last drawing of a window showed;
// empty when not shown.
struct TObjectBoxes {
    TBox Title = EmptyBox;
    TBox NodeLegend = EmptyBox;
    TBox LinkLegend = EmptyBox;
};
enum TPadObject : int { ObjectNone = 0, ObjectTitle = 1, ObjectNodeLegend = 2, ObjectLinkLegend = 3 };
// The first of title block, node legend and link legend whose rectangle holds
// (x, y), bounds included.
TPadObject HitObject(const TObjectBoxes& boxes, int32_t x, int32_t y);
// "Description", "Node Legend", "Link Legend".
const char* ObjectHint(TPadObject object);

// ---------------------------------------------------------------- backgrounds

// The size in pixels of the picture loaded into a slot; false when the slot
// holds no picture.
using TPictureSize = std::function<bool(bool metafile, int slot, double& width, double& height)>;

struct TBackgroundHit {
    int Raster = 0;   // 1..10, 0 none
    int Metafile = 0; // 1..10, 0 none
    bool Any() const { return Raster != 0 || Metafile != 0; }
};
// The picture under (x, y), the one drawn on top first: raster slots first
// when "JPEG on Top" is marked (MetafilesOnTop 0), metafile slots first
// otherwise; slot 1 before slot 10.
// Only slots holding a picture count; nothing while all are suppressed.
TBackgroundHit HitBackground(const TBackgrounds& backgrounds, const TPictureSize& size, int32_t x, int32_t y);

// The world rectangle a slot's picture covers (either sign of the scales).
struct TWorldRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TWorldRect BackgroundWorldRect(const TBackgroundSlot& slot, double width, double height);

// A window's mapping between world units and its pixels.
struct TPixelMap {
    double Scale = 1;
    int32_t HorzPos = 0, VertPos = 0;
    int32_t OriginX = 10, OriginY = 10;
};
struct TPixelRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// The frame's pixel rectangle over a world rectangle.
TPixelRect FramePixels(const TWorldRect& world, const TPixelMap& map);

// Places of the frame and its eight handles (left, top, width, height).
struct TControlPlace {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};
enum TFrameControl : int {
    FrameShape = 0,
    HandleTop,
    HandleBottom,
    HandleLeft,
    HandleRight,
    HandleTopLeft,
    HandleTopRight,
    HandleBottomLeft,
    HandleBottomRight,
    FrameControlCount
};
std::array<TControlPlace, FrameControlCount> FrameLayout(const TPixelRect& r, int32_t handleWidth,
                                                         int32_t handleHeight);

// The frame rectangle after a drag: the control dragged (at its place before
// the move, pressed at (pressX, pressY) and now under the mouse at (x, y),
// both inside the control) moves its edges; the frame moves as a whole.
TPixelRect DragFrame(const TPixelRect& r, TFrameControl control, const TControlPlace& place, int32_t pressX,
                     int32_t pressY, int32_t x, int32_t y);
// Which sizes a mouse-up refits: corners both, top and bottom the height,
// left and right the width, the frame neither.
void RefitOf(TFrameControl control, bool& fitWidth, bool& fitHeight);

// Fits a slot to a frame (pixel rectangle): the world rectangle from the
// pixels (its edges swapped when dragged past each other, which flips the
// picture), the position from it and, when asked, the scales from its width
// and height over the picture's. A scale that would be 0 or not a number
// keeps its old value; so does the position of an axis whose scale stays.
void FitBackground(TBackgroundSlot& slot, bool metafile, double pictureWidth, double pictureHeight,
                   const TPixelRect& frame, const TPixelMap& map, bool fitWidth, bool fitHeight);
