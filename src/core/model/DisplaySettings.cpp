#include "core/model/DisplaySettings.h"


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
    PlotTitleFont = TLogFont{};
    PlotTitleFont.Height = -32;
    PlotTitleColor = 0;
    for (size_t i = 0; i < Colors.size(); ++i) {
        const uint32_t rgb = (i >= 11 && i <= 16) ? 0 : ProgramPaletteRgb[i];
        Colors[i] = int32_t(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    }
    for (auto& s : PolygonStyles) s = TPolygonStyle{};
    PolygonStyles[HighlightPolygonStyle] = TPolygonStyle{0x7F7F00, 0, 1, 0x7F7F00, 7};
    NodePolygonStyles.fill(0);
    TextList.clear();
    ShortestPath.Reset();
    for (int i = 0; i <= 10; ++i) PieColors[i] = i == 0 ? 0 : i - 1;
    DisplayReal = 0;
    PrimaryWidthOnRight = 0;
    DesireLinePlacement = 0;
    ShowFilteredLinksThin = 0;
    FilteredLinkColor = 19;
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
