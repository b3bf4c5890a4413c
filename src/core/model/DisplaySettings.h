// Display and view settings of a network that are not labels, widths or search
// criteria: display modes, polygon and plot settings, palette, polygon styles,
// shortest-path settings, pie colours; and the small network-file records of
// layers, backgrounds, long/lat and units.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/LabelSettings.h"

struct TFileContext;
struct TWidthSettings;

// One polygon style. Fill styles 0..8 are brush styles, 11 and above hatch
// bitmaps (image number + 10).
struct TPolygonStyle {
    int32_t Color = 0;    // border colour
    uint8_t PenStyle = 0; // border pen style
    int32_t PenWidth = 1; // border width
    int32_t FillColor = 0;
    uint8_t FillStyle = 6;
    bool operator==(const TPolygonStyle&) const = default;
};

// The program's colour palette, entries 0..25 as 0xRRGGBB (entry 0 stands
// for the system window colour, which the program puts in its place).
inline constexpr std::array<uint32_t, 26> ProgramPaletteRgb = {
    0xFFFFFF, 0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00007F, 0x007F00, 0x7F0000, 0x7F007F,
    0x7F7F7F, 0xFF00FF, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x007F7F,
    0x7F7F00, 0xBFBFBF, 0x00FFFF, 0xFFFF00, 0xFFFF00, 0x00007F, 0xFFFFFF, 0x0000FF,
};

constexpr int PolygonStyleCount = 41;   // styles 0..40 are the user's
constexpr int HighlightPolygonStyle = 41;

// Shortest-path settings carried by the network file. The file holds nine
// start lists with a mark value each; the dialog uses the first five.
struct TShortestPathSettings {
    std::array<int32_t, 11> LinkMarkAttribute{}; // [1..10] per link class
    std::array<int32_t, 11> NodeMarkAttribute{}; // [1..10] per node class
    std::array<uint8_t, 11> BlockingClass{};     // [1..10] per node class
    std::array<int32_t, 10> MarkValue{};         // [1..9]
    std::array<std::vector<std::string>, 10> StartNames; // [1..9]; entry 0 is the shown name
    std::string EndNodeName;
    int32_t MarkNodesWith = 0; // 0 distance, 1 mark value
    int32_t PathInt2 = 0;      // the second integer line, carried unchanged
    double MaximumDistance = 0; // 0 = unlimited; not stored in the file

    TShortestPathSettings() { Reset(); }
    void Reset();
};

struct TDisplaySettings {
    // Symbol modes.
    uint8_t GlobalShape = 1;     // 0 none, 1 entity/bitmap, 2 box, 3 circle, 4 dot, 5 pie
    int32_t StandardSize = 3;    // 2, 3, 4, 5, 7, 10
    uint8_t GlobalLinkStyle = 0; // 0 normal, 1 small dot, 2..4 arrows, 5 bitmap
    uint8_t ShowDesireLines = 1;
    uint8_t HideShapePointMarks = 0;
    uint8_t UsePolygonColors = 0;
    // Polygons and plot.
    uint8_t OpaquePolygons = 0;
    uint8_t PolygonsFirst = 1;
    uint8_t PlotMonochrome = 0;
    uint8_t PlotCenterTitle = 0;
    // Pixels per inch, margins left, right, top, bottom (inches), image shift right, down.
    std::array<double, 7> PlotPage{96.0, 0.5, 8.0, 0.5, 10.5, 0.5, 0.5};
    std::string PlotTitle; // up to 80 characters
    // The title's font and colour ($00BBGGRR); kept with the window, not in
    // the file. A new window has label font 0 at height -32, black.
    TLogFont PlotTitleFont;
    int32_t PlotTitleColor = 0;
    // [0..25] as stored (0x00BBGGRR); 1..16 the polygon palette. A new network
    // has the program palette with 11..16 black.
    std::array<int32_t, 26> Colors{};
    std::array<TPolygonStyle, PolygonStyleCount + 1> PolygonStyles; // [0..41]
    std::array<int32_t, 11> NodePolygonStyles{};                     // [0..10]
    std::vector<std::string> TextList; // the window's list of texts
    TShortestPathSettings ShortestPath;
    std::array<int32_t, 11> PieColors{}; // [1..10] indices 0..15
    double DisplayReal = 0;              // carried unchanged
    uint8_t PrimaryWidthOnRight = 0;
    int32_t DesireLinePlacement = 0;
    // "Ghost Links": links that fail the search are drawn as one-pixel lines
    // in palette colour FilteredLinkColor (not kept in files) instead of
    // not at all.
    uint8_t ShowFilteredLinksThin = 0;
    int32_t FilteredLinkColor = 19;
    int32_t DisplayInt = 0; // carried unchanged

    TDisplaySettings() { Reset(); }
    void Reset();
};

// Layers: the lowest zoom level at which each is shown (0 = never) and names.
struct TLayerSettings {
    std::array<int32_t, 11> LayerStates{}; // [1..10]
    std::array<std::string, 11> LayerNames; // [1..10] up to 30 characters
    TLayerSettings() { Reset(); }
    void Reset();
};

// Background images: ten raster (JPEG) and ten metafile slots. The image
// objects are the display layer's; here each slot keeps its name and placement.
struct TBackgroundSlot {
    std::string FileName;
    double X = 0, Y = 0;
    double XScale = 1.0, YScale = 1.0;
    void Reset() { *this = TBackgroundSlot{}; }
};
struct TBackgrounds {
    std::array<TBackgroundSlot, 11> Raster;   // [1..10]
    std::array<TBackgroundSlot, 11> Metafile; // [1..10]
    uint8_t MetafilesOnTop = 1; // 0: "JPEG on Top", the rasters drawn over the metafiles
    uint8_t SuppressAll = 0;
    int32_t Underlay = 0;
    void Reset() { *this = TBackgrounds{}; }
};

// Long/lat settings of a network (the units are fields of TNetwork).
struct TLongLatSettings {
    int32_t LongLatMethod = 0; // 0 statistical, 1 linear/cosine, 2 transverse Mercator, 3 Lambert
    double TranslateX = 0, TranslateY = 0;
    double PixelsPerDegreeLat = 0;
    int32_t InterpolationRange = 5; // minutes
    uint8_t AutoLongLat = 0;
    std::string PivotNodeName;
    std::string SecondNodeName;
    uint8_t OnlyZeros = 0;
    uint8_t OnlyFreeNodes = 0;
    // The elevation dialog's choices (not kept in files).
    int32_t ElevationMethod = 0; // 0 none, 1 constant, 2 along links, 3 triangulation
    double ConstantElevation = 0;
    uint8_t OnlyZeroElevations = 0;
    uint8_t ComputeShapeElevations = 0;
    uint8_t UseShapeElevations = 0;
    uint8_t LockComputedElevations = 0;
    void Reset() { *this = TLongLatSettings{}; }
};

// "Pixels", "Miles", "Feet", "Kilometers", "Meters" for codes 0..4; nullptr otherwise.
const char* UnitsNameForCode(int32_t code);
