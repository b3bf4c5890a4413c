#include "shell/PadView.h"

void TPadView::Reset()
{
    const TWindowSettings* settings = Settings;
    *this = TPadView();
    Settings = settings;
    ToolbarShown.fill(1);
    Scale = ScaleOfLevel(DefaultZoomLevel);
}
