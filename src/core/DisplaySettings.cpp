#include "core/DisplaySettings.h"

void TShortestPathSettings::Reset()
{
    LinkMarkAttribute.fill(0);
    NodeMarkAttribute.fill(0);
    BlockingClass.fill(0);
    MarkValue.fill(1);
    MarkValue[0] = 0;
    for (auto& l : StartNames) l.clear();
    EndNodeName.clear();
    MarkNodesWith = 0;
    PathInt2 = 0;
    MaximumDistance = 0;
}

void TDisplaySettings::Reset()
{
    GlobalShape = 1;
    StandardSize = 3;
    GlobalLinkStyle = 0;
    ShowDesireLines = 1;
    HideShapePointMarks = 0;
    UsePolygonColors = 0;
    OpaquePolygons = 0;
    PolygonsFirst = 1;
    PlotMonochrome = 0;
    PlotCenterTitle = 0;
    PlotPage = {96.0, 0.5, 8.0, 0.5, 10.5, 0.5, 0.5};
    PlotTitle.clear();
    Colors.fill(0);
    for (auto& s : PolygonStyles) s = TPolygonStyle{};
    PolygonStyles[HighlightPolygonStyle] = TPolygonStyle{0x7F7F00, 0, 1, 0x7F7F00, 7};
    NodePolygonStyles.fill(0);
    TextList.clear();
    ShortestPath.Reset();
    for (int i = 0; i <= 10; ++i) PieColors[i] = i == 0 ? 0 : i - 1;
    DisplayReal = 0;
    PrimaryWidthOnRight = 0;
    DesireLinePlacement = 0;
    GhostLinks = 0;
    DisplayInt = 0;
}

void TLayerSettings::Reset()
{
    static const char* names[11] = {"", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A"};
    for (int i = 0; i <= 10; ++i) {
        LayerStates[i] = i == 0 ? 0 : 1;
        LayerNames[i] = names[i];
    }
}

const char* UnitsNameForCode(int32_t code)
{
    switch (code) {
    case 0: return "Pixels";
    case 1: return "Miles";
    case 2: return "Feet";
    case 3: return "Kilometers";
    case 4: return "Meters";
    default: return nullptr;
    }
}

int FillStyleToCode(uint8_t fillStyle, int version)
{
    const int low = fillStyle & 0x7F;
    switch (low) {
    case 1: return 0;
    case 0: return 1;
    case 8: return 8;
    case 5: return 2;
    case 6: return 3;
    case 7: return 4;
    case 4: return 5;
    case 2: return 6;
    case 3: return 7;
    default: break;
    }
    if (version >= 7 && low >= 11) return low;
    return 3; // outside the table: the default cross hatch
}

uint8_t FillStyleFromCode(int code)
{
    static const uint8_t map[9] = {1, 0, 5, 6, 7, 4, 2, 3, 8};
    if (code >= 0 && code <= 8) return map[code];
    if (code >= 11 && code <= 250) return static_cast<uint8_t>(code);
    return 6;
}

int PenToCode(uint8_t penStyle, int32_t penWidth)
{
    if (penWidth >= 2 && penWidth <= 6) return penWidth;
    switch (penStyle) {
    case 0: return 1;
    case 1: return 7;
    case 2: return 8;
    case 3: return 9;
    case 4: return 10;
    case 5: return 0;
    default: return 1;
    }
}

void PenFromCode(int code, uint8_t& penStyle, int32_t& penWidth)
{
    if (code == 0) {
        penStyle = 5;
        penWidth = 0;
    } else if (code >= 1 && code <= 6) {
        penStyle = 0;
        penWidth = code;
    } else if (code >= 7 && code <= 10) {
        penStyle = static_cast<uint8_t>(code - 6);
        penWidth = 1;
    } else {
        penStyle = 0;
        penWidth = 1;
    }
}
