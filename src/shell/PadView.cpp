#include "shell/PadView.h"

void TPadView::Reset(const std::array<uint32_t, 26>& Palette)
{
    *this = TPadView();
    for (int i = 1; i <= 10; ++i) {
        LayerNames[size_t(i)] = i <= 9 ? std::string(1, char('0' + i)) : std::string("A");
        PieColors[size_t(i)] = i - 1;
    }
    for (size_t i = 0; i < Colors.size(); ++i) Colors[i] = (i >= 11 && i <= 16) ? 0 : Palette[i];
    ToolbarShown.fill(1);
    Scale = ScaleOfLevel(DefaultZoomLevel);
}
