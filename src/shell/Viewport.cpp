#include "shell/Viewport.h"

#include <cmath>
#include <limits>

#include "core/model/Rounding.h"

const TZoomLevel ZoomLevels[MaxZoomLevel + 1] = {
    {1, 1, 16}, // unused
    {1, 72, 8}, {1, 48, 8}, {1, 36, 8}, {1, 24, 8}, {1, 18, 8}, {1, 12, 8}, {1, 9, 8},  {1, 6, 8},
    {1, 4, 8},  {1, 3, 8},  {1, 2, 8},  {3, 4, 12}, {1, 1, 16}, {3, 2, 24}, {2, 1, 32}, {3, 1, 48},
    {4, 1, 64}, {6, 1, 96},
};

double ScaleOfLevel(int Level)
{
    if (!ValidZoomLevel(Level)) Level = DefaultZoomLevel;
    const TZoomLevel& z = ZoomLevels[Level];
    return pround(ZoomBase * z.Numerator / z.Denominator) / ZoomBase;
}

std::string ZoomRatioText(int Level)
{
    if (!ValidZoomLevel(Level)) Level = DefaultZoomLevel;
    return std::to_string(ZoomLevels[Level].Numerator) + ":" + std::to_string(ZoomLevels[Level].Denominator);
}

// Rounds and clamps into the int32 range; NaN gives 0.
static int32_t ToInt32(double v)
{
    if (!std::isfinite(v)) return v > 0 ? std::numeric_limits<int32_t>::max()
                                        : (v < 0 ? std::numeric_limits<int32_t>::min() : 0);
    double r = pround(v);
    if (r > double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (r < double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return int32_t(r);
}

int32_t WorldToPixel(int32_t World, int32_t Origin, double Scale, int32_t ScrollPos)
{
    return ToInt32((double(World) + Origin) * Scale - ScrollPos);
}

int32_t PixelToWorld(int32_t Pixel, int32_t Min, double Scale, int32_t ScrollPos)
{
    if (!(Scale > 0)) Scale = 1.0;
    return ToInt32((double(ScrollPos) + Pixel) / Scale + Min - 10.0);
}

int32_t ScrollRange(int32_t Min, int32_t Max, double Scale)
{
    return ToInt32((double(Max) - Min + ExtentMargin) * Scale);
}

int32_t CentredScrollPosition(int32_t W, int32_t Min, int32_t Max, int32_t Range, int32_t ClientSize)
{
    double span = double(Max) - Min + ExtentMargin;
    if (!(span > 0)) return 0; // empty or inverted extents: nothing to centre on
    int32_t pos = ToInt32((double(W) - Min) * Range / span - ClientSize / 2.0);
    return pos < 1 ? 0 : pos;
}

int32_t RescaledScrollPosition(int32_t OldPos, double OldScale, double NewScale)
{
    if (!(OldScale > 0)) return 0;
    return ToInt32(double(OldPos) * NewScale / OldScale);
}

bool ZoomLevelFits(int ScreenWidth, int Level)
{
    if (!ValidZoomLevel(Level)) return false;
    double factor = double(ScreenWidth) * ZoomLevels[Level].Denominator / ZoomLevels[Level].Numerator;
    return factor <= ZoomLimitFactor;
}
