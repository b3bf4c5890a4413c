#include "core/edit/PlotPage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/model/Rounding.h"

namespace {

constexpr double Int32Max = 2147483647.0;
constexpr int32_t DrawingRange = 320000;

// A product that a 32-bit coordinate can hold.
bool Fits32(double v) { return std::isfinite(v) && std::fabs(v) <= Int32Max; }

// Rounded, then held within +-1e9 so that pixel arithmetic never overflows.
int32_t Clamped(double v)
{
    if (!std::isfinite(v)) return 0;
    return int32_t(pround(std::clamp(v, -1e9, 1e9)));
}

} // namespace

unsigned PageSetupBadFields(const TPlotPage& p, const TPlotExtents& e)
{
    unsigned bad = 0;
    const double values[7] = {p.Ppi, p.Left, p.Right, p.Top, p.Bottom, p.ShiftRight, p.ShiftDown};
    const unsigned bits[7] = {PageScale, PageLeft, PageRight, PageTop, PageBottom, PageShiftRight, PageShiftDown};
    for (int i = 0; i < 7; ++i)
        if (!std::isfinite(values[i])) bad |= bits[i];
    if (!(p.Ppi >= 1)) bad |= PageScale;
    // Every value becomes a coordinate once multiplied by the scale.
    if (!(bad & PageScale))
        for (int i = 1; i < 7; ++i)
            if (!(bad & bits[i]) && !Fits32(values[i] * p.Ppi)) bad |= bits[i];
    if (!(bad & (PageTop | PageBottom)) && p.Top >= p.Bottom) bad |= PageTop | PageBottom;
    if (!(bad & (PageLeft | PageRight)) && p.Left >= p.Right) bad |= PageLeft | PageRight;
    if (!(bad & PageTop) && p.Top < 0) bad |= PageTop;
    if (!(bad & PageBottom) && p.Bottom < 0) bad |= PageBottom;
    if (!(bad & PageLeft) && p.Left < 0) bad |= PageLeft;
    if (!(bad & PageRight) && p.Right < 0) bad |= PageRight;
    if (!(bad & (PageScale | PageTop | PageBottom | PageLeft | PageRight))) {
        const double width = double(e.MaxX) - e.MinX, height = double(e.MaxY) - e.MinY;
        if (width > PictureSizeLimit && (p.Bottom - p.Top) * p.Ppi >= PictureSizeLimit)
            bad |= PageTop | PageBottom | PageScale;
        if (height > PictureSizeLimit && (p.Right - p.Left) * p.Ppi >= PictureSizeLimit)
            bad |= PageLeft | PageRight | PageScale;
    }
    return bad;
}

double TitleGap(bool hasTitle, int32_t titleFontHeight, double ppi)
{
    if (!hasTitle || !(ppi >= 1)) return 0;
    return std::fabs(double(titleFontHeight)) / ppi + 0.333;
}

TPageRectangle PageRectangle(const TPlotPage& p, double gap, int32_t offsetX, int32_t offsetY)
{
    TPageRectangle r;
    auto coord = [&](double inches, int32_t offset, bool& cut) {
        const double v = pround(inches * p.Ppi) - double(offset);
        if (!(v <= DrawingRange)) {
            cut = true;
            return DrawingRange + 10;
        }
        if (!(v >= -DrawingRange)) {
            cut = true;
            return -(DrawingRange + 10);
        }
        return int32_t(v);
    };
    r.Left = coord(p.Left - p.ShiftRight, offsetX, r.LeftCut);
    r.Right = coord(p.Right - p.ShiftRight, offsetX, r.RightCut);
    r.Top = coord(p.Top - p.ShiftDown + gap, offsetY, r.TopCut);
    r.Bottom = coord(p.Bottom - p.ShiftDown, offsetY, r.BottomCut);
    return r;
}

TPixelPoint TopHandlePlace(const TPlotPage& p, double gap, const TPageView& v)
{
    const double k = p.Ppi * v.Scale;
    return {Clamped(double(v.ZeroX) - v.HorzPos + (p.Left - p.ShiftRight) * k),
            Clamped(double(v.ZeroY) - v.VertPos + (p.Top + gap - p.ShiftDown) * k)};
}

TPixelPoint BottomHandlePlace(const TPlotPage& p, const TPageView& v)
{
    const double k = p.Ppi * v.Scale;
    return {Clamped(double(v.ZeroX) - v.HorzPos + (p.Right - p.ShiftRight) * k),
            Clamped(double(v.ZeroY) - v.VertPos + (p.Bottom - p.ShiftDown) * k)};
}

void DragTopHandle(TPlotPage& p, double gap, const TPageView& v, int32_t left, int32_t top)
{
    const double k = p.Ppi * v.Scale;
    if (!(k > 0)) return;
    p.ShiftRight = (double(v.ZeroX) - left - v.HorzPos) / k + p.Left;
    p.ShiftDown = (double(v.ZeroY) - top - v.VertPos) / k + p.Top + gap;
}

void DragBottomHandle(TPlotPage& p, const TPageView& v, int32_t right, int32_t bottom)
{
    const double k = p.Ppi * v.Scale;
    if (!(k > 0)) return;
    p.Bottom = p.ShiftDown - (double(v.ZeroY) - bottom - v.VertPos) / k;
    p.Right = p.ShiftRight - (double(v.ZeroX) - right - v.HorzPos) / k;
}

static std::string Fixed3(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

std::string TopHandleHint(const TPlotPage& p)
{
    return "Image left = " + Fixed3(p.ShiftRight) + "; Image down = " + Fixed3(p.ShiftDown);
}

std::string BottomHandleHint(const TPlotPage& p)
{
    return "Right margin = " + Fixed3(p.Right) + "; Bottom margin = " + Fixed3(p.Bottom);
}

TPrintLayout PrintLayout(const TPlotPage& p, const TPrintDevice& d, bool hasTitle, int32_t titleFontHeight,
                         bool centerTitle)
{
    TPrintLayout l;
    const double ppi = pround(p.Ppi);
    l.Ratio = ppi >= 1 ? d.DpiX / ppi : 1;
    auto dev = [](double v) { return Clamped(v); };
    l.ClipTop = std::max(0, dev(d.DpiY * p.Top) - d.OffsetY);
    l.ClipBottom = std::max(0, std::min(dev(d.DpiY * p.Bottom) - d.OffsetY, d.Height));
    l.ClipLeft = std::max(0, dev(d.DpiX * p.Left) - d.OffsetX);
    l.ClipRight = std::max(0, std::min(dev(d.DpiX * p.Right) - d.OffsetX, d.Width));
    const double ox = d.DpiX > 0 ? d.OffsetX / d.DpiX : 0, oy = d.DpiY > 0 ? d.OffsetY / d.DpiY : 0;
    if (hasTitle) {
        const double x = centerTitle ? (p.Left + p.Right) / 2 : p.Left;
        l.TitleX = Clamped((x - ox) * p.Ppi);
        l.TitleY = Clamped((p.Top - oy) * p.Ppi);
        const double below = std::fabs(double(titleFontHeight)) / p.Ppi + p.Top + 0.333;
        l.ClipTop = std::max(l.ClipTop, dev(below * d.DpiY - d.OffsetY));
    }
    l.ShiftX = Clamped((p.ShiftRight - ox) * p.Ppi);
    l.ShiftY = Clamped((p.ShiftDown - oy) * p.Ppi);
    return l;
}

TPictureArea PictureArea(const TPlotPage& p, bool showMargins, double gap, const TPlotExtents& e, int32_t originX,
                         int32_t originY, double screenPpi)
{
    TPictureArea a;
    const int64_t zeroX = int64_t(e.MinX) + originX - 10, zeroY = int64_t(e.MinY) + originY - 10;
    if (showMargins) {
        const int64_t left = int64_t(pround((p.Left - p.ShiftRight) * p.Ppi)) + zeroX;
        const int64_t top = int64_t(pround((p.Top + gap - p.ShiftDown) * p.Ppi)) + zeroY;
        const int64_t right = int64_t(pround((p.Right - p.ShiftRight) * p.Ppi)) + zeroX;
        const int64_t bottom = int64_t(pround((p.Bottom - p.ShiftDown) * p.Ppi)) + zeroY;
        a.Left = int32_t(std::clamp<int64_t>(left, INT32_MIN, INT32_MAX));
        a.Top = int32_t(std::clamp<int64_t>(top, INT32_MIN, INT32_MAX));
        a.Width = int32_t(std::clamp<int64_t>(right - left, 0, INT32_MAX));
        a.Height = int32_t(std::clamp<int64_t>(bottom - top, 0, INT32_MAX));
    } else {
        a.Left = int32_t(zeroX);
        a.Top = int32_t(zeroY);
        a.Width = int32_t(std::clamp<int64_t>(int64_t(e.MaxX) - e.MinX + 20, 0, INT32_MAX));
        a.Height = int32_t(std::clamp<int64_t>(int64_t(e.MaxY) - e.MinY + 20, 0, INT32_MAX));
    }
    a.Ratio = p.Ppi >= 1 ? screenPpi / p.Ppi : 1;
    a.PixelWidth = Clamped(screenPpi * a.Width / p.Ppi);
    a.PixelHeight = Clamped(screenPpi * a.Height / p.Ppi);
    return a;
}
