// Node and link symbols: DrawNode draws one node symbol (or shape-point mark)
// at a point and DrawLink one link with its width, colour, two-way offset,
// images and end decoration. Both can measure only (Draw = false), which the
// legends and the style dialogs use for their samples.
//
// TDrawPad is what a drawing reads of one window: the network, the view and
// the settings records, the symbol images and the palette. It holds pointers
// only; a drawing call copies it and sets its own scroll offsets.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>

#include "core/edit/PadObjects.h"
#include "core/model/DesireTable.h"
#include "core/model/DisplaySettings.h"
#include "core/model/LabelSettings.h"
#include "core/model/Network.h"
#include "core/model/SearchSettings.h"
#include "core/model/TitleBlock.h"
#include "core/model/WidthSettings.h"
#include "platform/Canvas.h"

struct TSymbolBitmaps;
class QSvgRenderer;

constexpr int32_t DrawRangeLimit = 320000;
// Both coordinates lie in -320000..320000.
inline bool InRange(int64_t x, int64_t y)
{
    return x >= -DrawRangeLimit && x <= DrawRangeLimit && y >= -DrawRangeLimit && y <= DrawRangeLimit;
}

// The program's node, link and fill images, numbered 1..240. A number
// outside 1..240, or one whose file was missing, has no image.
class TSymbolImages {
public:
    static constexpr int MaxSymbols = 240;
    struct TEntry {
        QImage Raw;         // 24-bit pixels as loaded
        QImage Transparent; // the bottom-left pixel's colour made transparent (fill images: as loaded)
    };
    TSymbolImages();
    // Takes the images that the program loaded at start-up.
    static TSymbolImages From(const TSymbolBitmaps& bitmaps);
    // Adds (or replaces) image n of a list; n outside 1..240 is ignored.
    void SetNode(int n, const QImage& image);
    void SetLink(int n, const QImage& image);
    void SetFill(int n, const QImage& image);

    const TEntry* Node(int n) const { return Get(Nodes, NodeIndex, n); }
    const TEntry* Link(int n) const { return Get(Links, LinkIndex, n); }
    const TEntry* Fill(int n) const { return Get(Fills, FillIndex, n); }

private:
    static const TEntry* Get(const std::vector<TEntry>& list, const std::array<int, MaxSymbols + 1>& index, int n)
    {
        if (n < 1 || n > MaxSymbols) return nullptr;
        int i = index[size_t(n)];
        return (i >= 0 && size_t(i) < list.size()) ? &list[size_t(i)] : nullptr;
    }
    static void Set(std::vector<TEntry>& list, std::array<int, MaxSymbols + 1>& index, int n, const QImage& image,
                    bool transparent);
    std::vector<TEntry> Nodes, Links, Fills;
    std::array<int, MaxSymbols + 1> NodeIndex{}, LinkIndex{}, FillIndex{};
};

// The background images of a window: raster and metafile slots 1..10, loaded
// by the backgrounds subsystem. Either may be missing (left undrawn).
class TBackgroundImages {
public:
    virtual ~TBackgroundImages() = default;
    virtual const QImage* Raster(int slot) const = 0;
    virtual QSvgRenderer* Metafile(int slot) const = 0;
};

// Colours of the program palette, entries 0..25 (entry 0 is replaced by the
// system window colour when drawing).
extern const std::array<TColorValue, 26> ProgramColorPalette;
// The sixteen basic colours (pie slices).
extern const std::array<TColorValue, 16> BasicColors;

struct TDrawPad {
    const TNetwork* Net = nullptr;
    const TViewRecord* View = nullptr;
    const TDisplaySettings* Display = nullptr;
    const TWidthSettings* Widths = nullptr;
    const TLabelSettings* Labels = nullptr;
    const TSearchSettings* Search = nullptr;    // nullptr: no polygon criterion
    const TDescription* Title = nullptr;        // nullptr: no title block
    const TBackgrounds* Backgrounds = nullptr;  // nullptr: no backgrounds
    const TBackgroundImages* BackgroundImages = nullptr;
    const TDesireTables* DesireTables = nullptr; // nullptr: no user trip tables
    const TSymbolImages* Images = nullptr; // nullptr: no images
    const TDrawPad* Underlay = nullptr;    // the window named as underlay, resolved by the caller
    int WindowNumber = 0;
    TColorValue WindowColor = 0xFFFFFF; // the system window colour
    int32_t OriginX = 10, OriginY = 10;
    int32_t ScrollOffsetX = 0, ScrollOffsetY = 0; // world units, set by the drawing call
    // Elements being edited in a dialog: drawn without labels (and the node
    // in the current-element colour).
    const TNode* EditedNode = nullptr;
    const TLinkValues* EditedLink = nullptr;
    // The largest node circle exceeds 20 / the widest link exceeds 20.
    bool LargeNodeSymbols = false;
    bool WideLinks = false;
    // Where a window's drawing leaves the rectangles (world units) of the
    // title block and the legends it drew; nullptr: nowhere.
    TObjectBoxes* Boxes = nullptr;

    // The colour of a palette index: through the window's Colors when
    // UsePolygonColors is set, else the program palette; entry 0 is the window
    // colour. An index outside 0..25 gives colour 1 (the default).
    TColorValue ColorOf(int32_t index) const;
    int32_t GlobalShape() const { return Display->GlobalShape; }
    int32_t StandardSize() const { return Display->StandardSize; }
};

// DrawNode. Values[1..10] are the evaluated style-expression parts (pies),
// nullptr when there are none. Radius is the half-size of boxes and shapes;
// Style the symbol number, or the radius of circles, dots and pies. Returns
// the size the symbol occupies.
TCanvasSize DrawNode(TCanvas& canvas, const TDrawPad& pad, int32_t x, int32_t y, const double* values,
                     const TNode* node, bool isShapePoint, bool draw, bool subtractScroll, bool addOrigin,
                     int32_t radius, int32_t style, int32_t colour);

// DrawLink from A to B through the shape points (A to B order; nullptr for
// none). Extra is the second width (LinkStyleMode 0) or the class width
// (LinkStyleMode 4). Returns the pen width or image size used and the length.
TCanvasSize DrawLink(TCanvas& canvas, const TDrawPad& pad, int32_t ax, int32_t ay, bool arrow,
                     const TCollection<TShapePoint>* shapePoints, bool addOrigin, bool subtractScroll, bool draw,
                     int32_t extra, int32_t width, int32_t colour, int32_t bx, int32_t by);

// A line A-B with the current pen, or stamped with a link image (nullptr:
// plain line). Recolour gives the image the colour (silhouettes).
void DrawBitmapLine(TCanvas& canvas, const TDrawPad& pad, int32_t ax, int32_t ay, const TSymbolImages::TEntry* image,
                    bool recolour, int32_t colour, int32_t bx, int32_t by);

// Rotates a 24-bit image by angle degrees into target (square, 24-bit),
// keeping the key colour (the source's bottom-left pixel) apart from the
// symbol's pixels. Half is the target's centre.
void RotateBitmap(const QImage& source, QImage& target, double angle, int half);

// The image with its bottom-left pixel's colour transparent.
QImage MakeTransparent(const QImage& image);
// The silhouette of a symbol image in colour (see DrawNode).
QImage RecolourImage(const QImage& raw, TColorValue colour);
