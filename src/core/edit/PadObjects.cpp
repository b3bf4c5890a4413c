#include "core/edit/PadObjects.h"

#include <algorithm>
#include <cmath>

#include "core/edit/Editing.h"
#include "core/edit/EditingInternal.h"
#include "core/file/TextFormat.h"
#include "core/model/Rounding.h"

// ---------------------------------------------------------------- hover hint

std::string HintNumber(double v)
{
    // The general form with the exponent as short as it goes: "1E-7", "2.5E20".
    std::string s = RealText(false, 15, v);
    const size_t e = s.find('E');
    if (e == std::string::npos) return s;
    size_t d = e + 1;
    if (d < s.size() && (s[d] == '-' || s[d] == '+')) ++d;
    while (d + 1 < s.size() && s[d] == '0') s.erase(d, 1);
    return s;
}

std::string GeographyBracket(const TNetworkPoint& p)
{
    if (!(p.Longitude >= 1 || p.Latitude > 0 || p.Elevation >= 1)) return {};
    std::string s = " [" + HintNumber(p.Longitude / 10000000.0) + ", " + HintNumber(p.Latitude / 10000000.0);
    if (p.Elevation > 0) s += ", " + HintNumber(p.Elevation / 10000.0);
    return s + "]";
}

std::string HoverHintText(const TNetwork& net, const TViewRecord& view, int32_t x, int32_t y, bool& found)
{
    TNode* node = nullptr;
    TShapePoint* sp = nullptr;
    found = PickPoint(net, view, true, x, y, node, sp);
    if (!found) return {};
    if (node) return node->Name + GeographyBracket(*node);
    const int32_t k = editing::ShapeIndex(sp);
    const TLinkValues* link = sp->Link ? sp->Link->LinkValues.get() : nullptr;
    return std::to_string(k + 1) + ": " + (link ? link->Name.str() : std::string()) + GeographyBracket(*sp);
}

// ---------------------------------------------------------------- title block and legends

static bool Holds(const TBox& b, int32_t x, int32_t y)
{
    return !b.IsEmpty() && x >= b.MinX && x <= b.MaxX && y >= b.MinY && y <= b.MaxY;
}

TPadObject HitObject(const TObjectBoxes& boxes, int32_t x, int32_t y)
{
    if (Holds(boxes.Title, x, y)) return ObjectTitle;
    if (Holds(boxes.NodeLegend, x, y)) return ObjectNodeLegend;
    if (Holds(boxes.LinkLegend, x, y)) return ObjectLinkLegend;
    return ObjectNone;
}

const char* ObjectHint(TPadObject object)
{
    switch (object) {
    case ObjectTitle: return "Description";
    case ObjectNodeLegend: return "Node Legend";
    case ObjectLinkLegend: return "Link Legend";
    default: return "";
    }
}

// ---------------------------------------------------------------- backgrounds

TWorldRect BackgroundWorldRect(const TBackgroundSlot& s, double width, double height)
{
    const double x2 = s.X + width * s.XScale, y2 = s.Y + height * s.YScale;
    return {std::min(s.X, x2), std::min(s.Y, y2), std::max(s.X, x2), std::max(s.Y, y2)};
}

TBackgroundHit HitBackground(const TBackgrounds& b, const TPictureSize& size, int32_t x, int32_t y)
{
    TBackgroundHit hit;
    if (b.SuppressAll || !size) return hit;
    auto test = [&](bool metafile) {
        const auto& slots = metafile ? b.Metafile : b.Raster;
        for (int k = 1; k <= 10; ++k) {
            double w = 0, h = 0;
            if (!size(metafile, k, w, h) || !(w > 0) || !(h > 0)) continue;
            const TBackgroundSlot& s = slots[size_t(k)];
            if (!std::isfinite(s.X) || !std::isfinite(s.Y) || !std::isfinite(s.XScale) || !std::isfinite(s.YScale))
                continue;
            const TWorldRect r = BackgroundWorldRect(s, w, h);
            if (x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom) return k;
        }
        return 0;
    };
    // The kind drawn last lies on top: the rasters with "JPEG on Top", else the metafiles.
    if (b.MetafilesOnTop == 0) {
        hit.Raster = test(false);
        if (!hit.Raster) hit.Metafile = test(true);
    } else {
        hit.Metafile = test(true);
        if (!hit.Metafile) hit.Raster = test(false);
    }
    return hit;
}

static int32_t Px(double v)
{
    if (!std::isfinite(v)) return 0;
    return int32_t(pround(std::clamp(v, -1e9, 1e9)));
}

TPixelRect FramePixels(const TWorldRect& w, const TPixelMap& m)
{
    return {Px((w.Left + m.OriginX) * m.Scale) - m.HorzPos, Px((w.Top + m.OriginY) * m.Scale) - m.VertPos,
            Px((w.Right + m.OriginX) * m.Scale) - m.HorzPos, Px((w.Bottom + m.OriginY) * m.Scale) - m.VertPos};
}

std::array<TControlPlace, FrameControlCount> FrameLayout(const TPixelRect& r, int32_t hw, int32_t hh)
{
    std::array<TControlPlace, FrameControlCount> c{};
    const int64_t L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    auto i32 = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, -1000000000, 1000000000)); };
    TControlPlace& top = c[HandleTop];
    top = {i32(int64_t(pround((L + R - hw) / 2.0))), i32(T - hh / 2), hw, hh};
    c[HandleBottom] = {top.Left, i32(B - hh / 2 - 1), hw, hh};
    TControlPlace& left = c[HandleLeft];
    left = {i32(L - hw / 2), i32(int64_t(pround((T + B - hh) / 2.0))), hw, hh};
    c[HandleRight] = {i32(R - hw / 2 - 1), left.Top, hw, hh};
    c[HandleTopLeft] = {left.Left, top.Top, hw, hh};
    c[HandleTopRight] = {c[HandleRight].Left, top.Top, hw, hh};
    c[HandleBottomLeft] = {left.Left, c[HandleBottom].Top, hw, hh};
    c[HandleBottomRight] = {c[HandleRight].Left, c[HandleBottom].Top, hw, hh};
    c[FrameShape] = {i32(L - 1), i32(T - 1), i32(R - L + 2), i32(B - T + 2)};
    return c;
}

TPixelRect DragFrame(const TPixelRect& r, TFrameControl control, const TControlPlace& p, int32_t pressX,
                     int32_t pressY, int32_t x, int32_t y)
{
    TPixelRect n = r;
    const int64_t dx = int64_t(x) - pressX, dy = int64_t(y) - pressY;
    auto i32 = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, -1000000000, 1000000000)); };
    const int32_t right = i32(p.Left + p.Width / 2 + 1 + dx), left = i32(p.Left + dx + p.Width / 2);
    const int32_t bottom = i32(p.Top + p.Height / 2 + 1 + dy), top = i32(p.Top + dy + p.Height / 2);
    switch (control) {
    case FrameShape:
        n.Left = i32(p.Left + dx + 1);
        n.Top = i32(p.Top + dy + 1);
        n.Right = i32(int64_t(p.Width) + n.Left - 2);
        n.Bottom = i32(int64_t(p.Height) + n.Top - 2);
        break;
    case HandleTop: n.Top = top; break;
    case HandleBottom: n.Bottom = bottom; break;
    case HandleLeft: n.Left = left; break;
    case HandleRight: n.Right = right; break;
    case HandleTopLeft: n.Top = top, n.Left = left; break;
    case HandleTopRight: n.Top = top, n.Right = right; break;
    case HandleBottomLeft: n.Bottom = bottom, n.Left = left; break;
    case HandleBottomRight: n.Bottom = bottom, n.Right = right; break;
    default: break;
    }
    return n;
}

void RefitOf(TFrameControl control, bool& fitWidth, bool& fitHeight)
{
    fitWidth = control == HandleLeft || control == HandleRight || control >= HandleTopLeft;
    fitHeight = control == HandleTop || control == HandleBottom || control >= HandleTopLeft;
    if (control == FrameShape || control >= FrameControlCount) fitWidth = fitHeight = false;
}

void FitBackground(TBackgroundSlot& s, bool metafile, double pw, double ph, const TPixelRect& f, const TPixelMap& m,
                   bool fitWidth, bool fitHeight)
{
    if (!(m.Scale > 0)) return;
    double left = pround((m.HorzPos + double(f.Left)) / m.Scale) - m.OriginX;
    double right = pround((m.HorzPos + double(f.Right)) / m.Scale) - m.OriginX;
    double top = pround((m.VertPos + double(f.Top)) / m.Scale) - m.OriginY;
    double bottom = pround((m.VertPos + double(f.Bottom)) / m.Scale) - m.OriginY;
    const bool flipV = bottom < top, flipH = right < left;
    if (flipV) std::swap(top, bottom);
    if (flipH) std::swap(left, right);

    // Vertical: both kinds keep the sign of the old scale and change it on a flip.
    double ys = s.YScale;
    bool yKept = false;
    if (fitHeight) {
        const double k = ph > 0 ? (bottom - top) / ph : 0;
        if (k != 0 && std::isfinite(k)) {
            ys = s.YScale > 0 ? k : -k;
            if (flipV) ys = -ys;
        } else {
            yKept = true;
        }
    }
    // Horizontal: a raster picture takes the positive width on a flip and
    // then negates it; a metafile follows the vertical rule.
    double xs = s.XScale;
    bool xKept = false;
    if (fitWidth) {
        const double k = pw > 0 ? (right - left) / pw : 0;
        if (k != 0 && std::isfinite(k)) {
            xs = (s.XScale > 0 || (!metafile && flipH)) ? k : -k;
            if (flipH) xs = -xs;
        } else {
            xKept = true;
        }
    }
    // The position is the edge the picture starts from: the far edge for a
    // mirrored (negative) scale.
    if (!yKept) {
        s.Y = ys <= 0 ? bottom : top;
        s.YScale = ys;
    }
    if (!xKept) {
        s.X = xs <= 0 ? right : left;
        s.XScale = xs;
    }
}
