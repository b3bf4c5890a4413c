// The plot page of a window and the geometry of everything drawn from it:
// the check of a page setup, the page rectangle and the two margin handles
// over the network, the page of a printer and the area and size of a picture
// file. Page values are inches except the scale, which is the number of
// screen pixels (world units at 1:1) that make one inch of paper.
//
// Plain arithmetic on numbers handed in; no window, no device.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The seven page values in the order the window keeps them.
struct TPlotPage {
    double Ppi = 96;         // scale: screen pixels per inch of paper
    double Left = 0.5, Right = 8.0, Top = 0.5, Bottom = 10.5; // margins from the paper's top-left corner
    double ShiftRight = 0.5, ShiftDown = 0.5; // where the network's top-left corner (less 10 units) lies

    static TPlotPage From(const std::array<double, 7>& v) { return {v[0], v[1], v[2], v[3], v[4], v[5], v[6]}; }
    std::array<double, 7> Values() const { return {Ppi, Left, Right, Top, Bottom, ShiftRight, ShiftDown}; }
};

// Fields of a page setup, as bits of a refusal.
enum TPageField : unsigned {
    PageScale = 1u << 0,
    PageLeft = 1u << 1,
    PageRight = 1u << 2,
    PageTop = 1u << 3,
    PageBottom = 1u << 4,
    PageShiftRight = 1u << 5,
    PageShiftDown = 1u << 6,
};

// The network's extents (world units) that the picture-size rule reads.
struct TPlotExtents {
    int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

constexpr int32_t PictureSizeLimit = 60000;

// The fields a page setup fails on (0: it may be plotted): top not above
// bottom and left not left of right (both fields), a negative margin, a
// scale below 1, a value that is not a finite number, a value whose product
// with the scale leaves the 32-bit range, and the picture-size rule: a
// network wider than 60000 units with a page height of 60000 or more pixels
// at the scale (or one taller than 60000 with such a page width).
unsigned PageSetupBadFields(const TPlotPage& page, const TPlotExtents& extents);
inline bool PageSetupValid(const TPlotPage& page, const TPlotExtents& extents)
{
    return PageSetupBadFields(page, extents) == 0;
}

// The room a plot title takes above the network: |font height| / ppi plus a
// third of an inch; 0 without a title.
double TitleGap(bool hasTitle, int32_t titleFontHeight, double ppi);

// ---------------------------------------------------------------- on the sketch pad

// The page rectangle in the window's drawing units (world + origin, less the
// scroll offsets in world units). A coordinate beyond the drawing range is
// put just outside it and marked; sides resting on a marked coordinate are
// not drawn (the left side always is).
struct TPageRectangle {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool LeftCut = false, TopCut = false, RightCut = false, BottomCut = false;
};
TPageRectangle PageRectangle(const TPlotPage& page, double titleGap, int32_t offsetX, int32_t offsetY);

// The window's mapping: pixels per world unit, scroll positions (pixels) and
// the term MinX + OriginX - 10 (0 whenever the origin follows the extents).
struct TPageView {
    double Scale = 1;
    int32_t HorzPos = 0, VertPos = 0;
    int32_t ZeroX = 0, ZeroY = 0; // MinX + OriginX - 10, MinY + OriginY - 10
};

// Pixel places of the two handles: the top handle's top-left corner on the
// paper's printable top-left corner (below the title), the bottom handle's
// bottom-right corner on the bottom-right one.
struct TPixelPoint {
    int32_t X = 0, Y = 0;
};
TPixelPoint TopHandlePlace(const TPlotPage& page, double titleGap, const TPageView& view);
TPixelPoint BottomHandlePlace(const TPlotPage& page, const TPageView& view);

// What a dragged handle sets: the top handle at (left, top) the image shift,
// the bottom handle with its right and bottom edges the right and bottom
// margins. The page must have passed its check (the scale is at least 1).
void DragTopHandle(TPlotPage& page, double titleGap, const TPageView& view, int32_t left, int32_t top);
void DragBottomHandle(TPlotPage& page, const TPageView& view, int32_t right, int32_t bottom);
// "Image left = x; Image down = y" and "Right margin = x; Bottom margin = y",
// three decimals.
std::string TopHandleHint(const TPlotPage& page);
std::string BottomHandleHint(const TPlotPage& page);

// ---------------------------------------------------------------- on a printer

// What a printer tells of its page: resolution, the offset of its printable
// area from the paper's corner and the printable size, in device pixels.
struct TPrintDevice {
    double DpiX = 600, DpiY = 600;
    int32_t OffsetX = 0, OffsetY = 0;
    int32_t Width = 0, Height = 0;
};

struct TPrintLayout {
    // Device pixels per drawing unit: device resolution over the rounded scale.
    double Ratio = 1;
    // The clip in device pixels, below the title.
    int32_t ClipLeft = 0, ClipTop = 0, ClipRight = 0, ClipBottom = 0;
    // The title's anchor in drawing units (before any shift); centred on it
    // (top alignment) or starting at it.
    int32_t TitleX = 0, TitleY = 0;
    // Added to every window's drawing origin while the page is drawn.
    int32_t ShiftX = 0, ShiftY = 0;
};
// The page of a valid setup on a device; titleFontHeight is used only with a title.
TPrintLayout PrintLayout(const TPlotPage& page, const TPrintDevice& device, bool hasTitle, int32_t titleFontHeight,
                         bool centerTitle);

// ---------------------------------------------------------------- in a picture file

struct TPictureArea {
    // The area in drawing units (world + origin): its top-left corner and size.
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    // Picture pixels per drawing unit (screen resolution over the scale) and
    // the picture's size in pixels.
    double Ratio = 1;
    int32_t PixelWidth = 0, PixelHeight = 0;
};
// With the page shown: the page rectangle (below the title); else the
// network's extents with 10 units on every side.
TPictureArea PictureArea(const TPlotPage& page, bool showMargins, double titleGap, const TPlotExtents& extents,
                         int32_t originX, int32_t originY, double screenPpi);
