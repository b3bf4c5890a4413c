#include "shell/NodeLinkDraw.h"

#include <algorithm>
#include <cmath>

#include "platform/ProgramFolder.h"

const std::array<TColorValue, 26> ProgramColorPalette = ProgramPaletteRgb;

const std::array<TColorValue, 16> BasicColors = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

TColorValue TDrawPad::ColorOf(int32_t index) const
{
    if (index < 0 || index > 25) index = 1;
    if (index == 0) return WindowColor;
    if (Display && Display->UsePolygonColors) return ColorFromBgr(Display->Colors[size_t(index)]);
    return ProgramColorPalette[size_t(index)];
}

// ---------------------------------------------------------------- images

TSymbolImages::TSymbolImages()
{
    NodeIndex.fill(-1);
    LinkIndex.fill(-1);
    FillIndex.fill(-1);
}

QImage MakeTransparent(const QImage& image)
{
    if (image.isNull()) return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.pixel(0, out.height() - 1) | 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] | 0xFF000000u) == key) row[x] = 0;
    }
    return out;
}

QImage RecolourImage(const QImage& raw, TColorValue colour)
{
    QImage out = raw.convertToFormat(QImage::Format_RGB32);
    if (out.isNull()) return out;
    const QRgb key = out.pixel(0, out.height() - 1) | 0xFF000000u;
    const QRgb c = 0xFF000000u | colour;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((row[x] | 0xFF000000u) != key)
                row[x] = c;
            else if (c == key)
                row[x] = 0xFF000000u;
        }
    }
    return out;
}

void TSymbolImages::Set(std::vector<TEntry>& list, std::array<int, MaxSymbols + 1>& index, int n,
                        const QImage& image, bool transparent)
{
    if (n < 1 || n > MaxSymbols || image.isNull()) return;
    TEntry e;
    e.Raw = image.convertToFormat(QImage::Format_RGB888);
    e.Transparent = transparent ? MakeTransparent(e.Raw) : image.convertToFormat(QImage::Format_RGB32);
    if (index[size_t(n)] >= 0) {
        list[size_t(index[size_t(n)])] = std::move(e);
        return;
    }
    index[size_t(n)] = int(list.size());
    list.push_back(std::move(e));
}

void TSymbolImages::SetNode(int n, const QImage& image) { Set(Nodes, NodeIndex, n, image, true); }
void TSymbolImages::SetLink(int n, const QImage& image) { Set(Links, LinkIndex, n, image, true); }
void TSymbolImages::SetFill(int n, const QImage& image) { Set(Fills, FillIndex, n, image, false); }

// A loaded bitmap whose key colour was turned into a mask: the masked pixels
// get a key colour that the symbol does not use, in the bottom-left corner.
static QImage Unmasked(const QPixmap& pm)
{
    QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    if (!img.hasAlphaChannel()) return img.convertToFormat(QImage::Format_RGB888);
    static const QRgb candidates[] = {0xFFFFFFFF, 0xFF00FF00, 0xFFFF00FF, 0xFF00FFFF, 0xFF010203};
    QRgb key = candidates[0];
    for (QRgb c : candidates) {
        bool used = false;
        for (int y = 0; y < img.height() && !used; ++y)
            for (int x = 0; x < img.width() && !used; ++x)
                used = qAlpha(img.pixel(x, y)) == 255 && img.pixel(x, y) == c;
        if (!used) {
            key = c;
            break;
        }
    }
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) < 128) img.setPixel(x, y, key);
    return img.convertToFormat(QImage::Format_RGB888);
}

TSymbolImages TSymbolImages::From(const TSymbolBitmaps& b)
{
    TSymbolImages s;
    for (int n = 1; n <= MaxSymbols; ++n) {
        int i = b.NodeBitmapIndex[size_t(n)];
        if (i >= 0 && size_t(i) < b.NodeBitmaps.size()) s.SetNode(n, Unmasked(b.NodeBitmaps[size_t(i)]));
        i = b.LinkBitmapIndex[size_t(n)];
        if (i >= 0 && size_t(i) < b.LinkBitmaps.size()) s.SetLink(n, Unmasked(b.LinkBitmaps[size_t(i)]));
        i = b.FillBitmapIndex[size_t(n)];
        if (i >= 0 && size_t(i) < b.FillBitmaps.size()) s.SetFill(n, b.FillBitmaps[size_t(i)].toImage());
    }
    return s;
}

// ---------------------------------------------------------------- rotation

void RotateBitmap(const QImage& sourceIn, QImage& target, double angle, int half)
{
    const QImage source = sourceIn.convertToFormat(QImage::Format_RGB888);
    if (target.format() != QImage::Format_RGB888) target = target.convertToFormat(QImage::Format_RGB888);
    const int sw = source.width(), sh = source.height(), tw = target.width(), th = target.height();
    if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0) return;
    auto px = [&](int x, int y) { return source.constScanLine(y) + 3 * x; };
    uint8_t key[3];
    std::copy_n(px(0, sh - 1), 3, key);
    auto isKey = [&](const uint8_t* p) { return p[0] == key[0] && p[1] == key[1] && p[2] == key[2]; };
    const double a = -angle * M_PI / 180.0, s = std::sin(a), c = std::cos(a);
    const int DX = (tw - sw) / 2, DY = (th - sh) / 2;
    for (int j = 0; j < th; ++j) {
        uint8_t* out = target.scanLine(j);
        for (int i = 0; i < tw; ++i) {
            uint8_t* t = out + 3 * i;
            const double u = 2.0 * (i - half) + 1, v = 2.0 * (j - half) + 1;
            const double sx = (u * c - v * s - 1) / 2 + half - DX;
            const double sy = (u * s + v * c - 1) / 2 + half - DY;
            const double rx = pround(sx), ry = pround(sy);
            if (!(rx >= 0 && rx < sw && ry >= 0 && ry < sh)) {
                std::copy_n(key, 3, t);
                continue;
            }
            const int x0 = int(rx), y0 = int(ry);
            const double fx = sx - x0, fy = sy - y0;
            const int x1 = std::min(x0 + 1, sw - 1), y1 = std::min(y0 + 1, sh - 1);
            const uint8_t *p00 = px(x0, y0), *p10 = px(x1, y0), *p01 = px(x0, y1), *p11 = px(x1, y1);
            const bool k00 = isKey(p00), k10 = isKey(p10), k01 = isKey(p01), k11 = isKey(p11);
            const bool topOk = !(k00 && k10), bottomOk = !(k01 && k11);
            for (int ch = 0; ch < 3; ++ch) {
                auto mix = [&](const uint8_t* a0, const uint8_t* a1, bool ka0, bool ka1) {
                    if (ka0) return double(a1[ch]);
                    if (ka1) return double(a0[ch]);
                    return a0[ch] + fx * (double(a1[ch]) - a0[ch]);
                };
                const double top = mix(p00, p10, k00, k10), bottom = mix(p01, p11, k01, k11);
                double v;
                if (topOk && bottomOk)
                    v = top + fy * (bottom - top);
                else if (bottomOk)
                    v = bottom;
                else if (topOk)
                    v = top;
                else
                    v = key[ch];
                t[ch] = uint8_t(std::clamp(pround(v), 0.0, 255.0));
            }
        }
    }
    std::copy_n(key, 3, target.scanLine(th - 1));
}

// ---------------------------------------------------------------- nodes

namespace {

struct TOffsets {
    int64_t DX, DY;
};
TOffsets OffsetsOf(const TDrawPad& pad, bool addOrigin, bool subtractScroll)
{
    TOffsets o{0, 0};
    if (addOrigin) {
        o.DX += pad.OriginX;
        o.DY += pad.OriginY;
    }
    if (subtractScroll) {
        o.DX -= pad.ScrollOffsetX;
        o.DY -= pad.ScrollOffsetY;
    }
    return o;
}

int32_t RoundI(double v) { return int32_t(pround(v)); }

// The outline of the square of half-side r around (x, y), drawn corner to
// corner from the top left with the current pen.
void SquareOutline(TCanvas& canvas, int32_t x, int32_t y, int32_t r)
{
    canvas.MoveTo(x - r, y - r);
    canvas.LineTo(x + r, y - r);
    canvas.LineTo(x + r, y + r);
    canvas.LineTo(x - r, y + r);
    canvas.LineTo(x - r, y - r);
}

} // namespace

TCanvasSize DrawNode(TCanvas& canvas, const TDrawPad& pad, int32_t x, int32_t y, const double* values,
                     const TNode* node, bool isShapePoint, bool draw, bool subtractScroll, bool addOrigin,
                     int32_t radius, int32_t style, int32_t colour)
{
    TCanvasSize size{0, 0};
    // Sizes from a file beyond the drawing range are kept within it.
    radius = std::clamp(radius, -DrawRangeLimit, DrawRangeLimit);
    style = std::clamp(style, -DrawRangeLimit, DrawRangeLimit);
    const TOffsets o = OffsetsOf(pad, addOrigin, subtractScroll);
    const int64_t X64 = x + o.DX, Y64 = y + o.DY;
    if (!InRange(X64, Y64)) return size;
    const int32_t X = int32_t(X64), Y = int32_t(Y64);
    const TColorValue cv = pad.ColorOf(colour);
    const int gs = pad.Display->GlobalShape;
    const int nsm = pad.Widths->NodeStyleMode;
    if (isShapePoint) style = 251;

    // An image symbol?
    const TSymbolImages::TEntry* image = nullptr;
    if (!isShapePoint && gs == 1 && pad.Images) {
        if (nsm == 0 && style >= 1 && style <= 250)
            image = pad.Images->Node(style);
        else if (nsm == 2 && style >= 11 && style <= 250)
            image = pad.Images->Node(style - 10);
    }
    if (image) {
        const int w = image->Raw.width(), h = image->Raw.height();
        size = {w, h};
        if (colour < 0) return size;
        if (!draw) return size;
        const bool recolour = colour == 0 || colour == 17 || colour == 20 || colour == 22;
        const QImage& img = recolour ? MakeTransparent(RecolourImage(image->Raw, cv)) : image->Transparent;
        canvas.DrawImage(X - w / 2, Y - w / 2, img);
        return size;
    }
    if (!isShapePoint && gs >= 3 && gs <= 5 && nsm == 2 && style >= 11 && style <= 250) style -= 10;

    if (!isShapePoint && gs == 2) {
        const int32_t r = radius;
        size = {2 * r + 1, 2 * r + 1};
        if (!draw) return size;
        canvas.SetPen(cv, psSolid, 1);
        SquareOutline(canvas, X, Y, r);
        return size;
    }
    if (!isShapePoint && gs == 3) {
        if (pad.Widths->LinkStyleMode == 0 && style == 0) return size;
        size = {2 * style - 1, 2 * style - 1};
        if (!draw) return size;
        canvas.SetPen(cv, psSolid, RoundI(style * 0.125 + 1));
        canvas.Arc(X - style, Y - style, X + style, Y + style, X + style, Y, X + style, Y);
        return size;
    }
    auto dot = [&]() {
        if (pad.Widths->LinkStyleMode == 0 && style == 0) return;
        size = {2 * style - 1, 2 * style - 1};
        if (!draw) return;
        canvas.SetPen(cv, psSolid, 1);
        canvas.SetBrush(cv, bsSolid);
        canvas.Ellipse(X - style, Y - style, X + style, Y + style);
    };
    if (!isShapePoint && gs == 4) {
        dot();
        return size;
    }
    if (!isShapePoint && gs == 5) {
        if (!node || colour == 0 || colour == 17 || colour == 20 || colour == 22) {
            dot();
            return size;
        }
        // The slices and their basic colours.
        double slice[10];
        int sliceColour[10];
        int n = 0;
        auto pieColour = [&](int k) {
            // A pie colour outside the sixteen basic colours takes the default of its position.
            int32_t c = pad.Display->PieColors[size_t(k)];
            return (c >= 0 && c <= 15) ? int(c) : k - 1;
        };
        bool anyPart = false;
        if (values)
            for (int k = 2; k <= 10; ++k) anyPart = anyPart || values[k] > 0;
        const bool fromParts = values && ((nsm == 0 && (anyPart || style == 0)) || (nsm != 0 && style == 0));
        if (fromParts) {
            for (int k = 2; k <= 10; ++k)
                if (values[k] > 0 && std::isfinite(values[k])) {
                    slice[n] = values[k];
                    sliceColour[n] = pieColour(n + 1);
                    ++n;
                }
        } else if (pad.Net && pad.Net->NodeClasses && node->EntityType <= MaxClasses) {
            const TClassRecord& cls = (*pad.Net->NodeClasses)[node->EntityType];
            for (int k = 1; k <= 10; ++k) {
                const int attr = cls.PieSlices[size_t(k)];
                if (attr == 0) continue;
                const TValueSlot* v = SlotOf(*node, attr);
                const double val = v ? v->Real() : 0;
                slice[n] = std::isfinite(val) ? val : 0;
                sliceColour[n] = pieColour(k);
                ++n;
            }
        }
        double total = 0;
        for (int k = 0; k < n; ++k) total += slice[k];
        if (n == 0 || !(total > 0) || !std::isfinite(total)) {
            dot();
            return size;
        }
        size = {2 * style - 1, 2 * style - 1};
        if (!draw) return size;
        double start = M_PI / 2;
        for (int k = 0; k < n; ++k) {
            const double sweep = slice[k] / total * 2 * M_PI;
            double next = start - sweep;
            if (next < 0) next += 2 * M_PI;
            if (slice[k] > 0) {
                const TColorValue sc = BasicColors[size_t(sliceColour[k])];
                canvas.SetPen(sc, psSolid, 1);
                canvas.SetBrush(sc, bsSolid);
                canvas.Pie(X - style, Y - style, X + style, Y + style, X + RoundI(20 * std::cos(next)),
                           Y - RoundI(20 * std::sin(next)), X + RoundI(20 * std::cos(start)),
                           Y - RoundI(20 * std::sin(start)));
            }
            start = next;
        }
        return size;
    }
    if (!isShapePoint && gs != 1) return size;

    // Entity shapes and shape-point marks.
    const int32_t r = radius;
    size = {(r + 1) * 2, (r + 1) * 2};
    if (!draw) return size;
    canvas.SetPen(cv, psSolid, 1);
    auto poly = [&](std::initializer_list<TCanvasPoint> pts, TColorValue fill) {
        canvas.SetBrush(fill, bsSolid);
        canvas.Polygon(pts.begin(), int(pts.size()));
    };
    const TColorValue window = pad.ColorOf(0);
    switch (style) {
    case 0:
        if (nsm == 0) break;
        [[fallthrough]];
    case 1: poly({{X - r, Y - r}, {X + r, Y - r}, {X + r, Y + r}, {X - r, Y + r}}, cv); break;
    case 7: poly({{X - r, Y - r}, {X + r, Y - r}, {X + r, Y + r}, {X - r, Y + r}}, window); break;
    case 9:
        poly({{X - r, Y - r}, {X + r, Y - r}, {X + r, Y + r}, {X - r, Y + r}}, window);
        canvas.Line(X - r, Y, X + r, Y);
        canvas.Line(X, Y - r, X, Y + r);
        break;
    case 2: poly({{X, Y - r}, {X - r, Y + r}, {X + r, Y + r}}, cv); break;
    case 3: poly({{X, Y - r}, {X - r, Y}, {X, Y + r}, {X + r, Y}}, cv); break;
    case 4: {
        const int32_t q = RoundI(r / 3.0);
        poly({{X, Y - r}, {X + q, Y - q}, {X + r, Y}, {X + q, Y + q}, {X, Y + r}, {X - q, Y + q}, {X - r, Y},
              {X - q, Y - q}},
             cv);
        break;
    }
    case 5: poly({{X - r, Y - r}, {X, Y + r}, {X + r, Y - r}}, cv); break;
    case 6: poly({{X, Y - r}, {X - r, Y}, {X - r, Y + r}, {X + r, Y + r}, {X + r, Y}}, cv); break;
    case 8: {
        const int32_t h = r / 2;
        poly({{X - r, Y - r}, {X, Y - h}, {X + r, Y - r}, {X + h, Y}, {X + r, Y + r}, {X, Y + h}, {X - r, Y + r},
              {X - h, Y}},
             cv);
        break;
    }
    case 10:
        canvas.SetBrush(cv, bsSolid);
        canvas.Ellipse(X - r, Y - r, X + r, Y + r);
        break;
    default:
        if (style >= 11 && style <= 240) {
            SquareOutline(canvas, X, Y, r);
        } else if (style >= 251 && style <= 255) {
            if (pad.Display->HideShapePointMarks) break;
            canvas.Line(X - r, Y - r, X + r, Y + r);
            canvas.Line(X + r, Y - r, X - r, Y + r);
        }
        break;
    }
    return size;
}

// ---------------------------------------------------------------- links

void DrawBitmapLine(TCanvas& canvas, const TDrawPad& pad, int32_t ax, int32_t ay,
                    const TSymbolImages::TEntry* image, bool recolour, int32_t colour, int32_t bx, int32_t by)
{
    if (ax == bx && ay == by) return;
    if (!image || image->Raw.isNull()) {
        canvas.Line(ax, ay, bx, by);
        return;
    }
    const double ddx = double(bx) - ax, ddy = double(by) - ay;
    const double d = std::hypot(ddx, ddy);
    const int H = image->Raw.height();
    const double spacingReal = pround(std::max(H * std::fabs(ddx) / d, H * std::fabs(ddy) / d));
    // An image too thin to space out draws a plain line.
    if (!(spacingReal >= 1) || !std::isfinite(spacingReal)) {
        canvas.Line(ax, ay, bx, by);
        return;
    }
    const int64_t spacing = int64_t(spacingReal);
    const double angle = std::atan2(-ddy, ddx) * 180.0 / M_PI;
    const QImage source = recolour ? RecolourImage(image->Raw, pad.ColorOf(colour)).convertToFormat(QImage::Format_RGB888)
                                   : image->Raw;
    auto rotated = [&](const QImage& src) {
        if (angle == 0) return MakeTransparent(src);
        int side = RoundI(std::sqrt(2.0) * std::max(src.width(), src.height()));
        if (side % 2 == 0) ++side;
        QImage target(side, side, QImage::Format_RGB888);
        RotateBitmap(src, target, angle, side / 2);
        return MakeTransparent(target);
    };
    const QImage whole = rotated(source);
    int64_t step = 0;
    LineDDA(ax, ay, bx, by, [&](int32_t x, int32_t y) {
        if (step++ % spacing != 0) return;
        const double remaining = std::hypot(double(bx) - x, double(by) - y);
        const QImage* img = &whole;
        QImage cut;
        if (remaining < spacingReal) {
            // The last image stops at B: what lies beyond becomes the key colour.
            QImage src = source.copy();
            const uint8_t* key = src.constScanLine(src.height() - 1);
            const int keep = src.width() / 2 + int(pround(remaining));
            for (int yy = 0; yy < src.height(); ++yy)
                for (int xx = std::max(0, keep); xx < src.width(); ++xx)
                    std::copy_n(key, 3, src.scanLine(yy) + 3 * xx);
            cut = rotated(src);
            img = &cut;
        }
        canvas.DrawImage(x - img->width() / 2, y - img->height() / 2, *img);
    });
}

namespace {

struct TLinkDraw {
    TCanvas& C;
    const TDrawPad& Pad;
    int Lsm, Gls;
    TColorValue Cv;
    int32_t Colour;
    bool Draw;
    bool Arrow;
    int32_t Width, Extra;
    const TSymbolImages::TEntry* Image;
    bool Recolour;

    // The end decoration; returns its size (0 when none).
    int32_t Decoration(int32_t penW, int64_t ax, int64_t ay, int64_t bx, int64_t by, const int64_t* tipIn)
    {
        if (!(Gls != 0 || (Lsm == 2 && penW <= 10 && Arrow))) return 0;
        const int style = Gls == 0 ? 3 : Gls;
        C.SetBrush(Cv, bsSolid);
        if (style == 1) {
            if (Draw && InRange(ax, ay)) {
                const int32_t cx = int32_t(ax + RoundI((bx - ax) / 4.0)), cy = int32_t(ay + RoundI((by - ay) / 4.0));
                C.Ellipse(cx - 2, cy - 2, cx + 2, cy + 2);
            }
            return penW + 4;
        }
        if (style < 2 || style > 4) return 0;
        const int32_t w = Lsm == 4 ? Width : penW;
        const int32_t s = style == 2 ? RoundI(w * 0.6) + 1 : style == 3 ? RoundI(w * 0.8) + 2 : w + 3;
        int64_t tx, ty;
        if (tipIn) {
            tx = tipIn[0];
            ty = tipIn[1];
        } else {
            tx = ax + RoundI((bx - ax) / 3.0);
            ty = ay + RoundI((by - ay) / 3.0);
        }
        const double Dx = double(bx - ax), Dy = double(by - ay), d = std::hypot(Dx, Dy);
        if (d > 0 && Draw && InRange(tx, ty)) {
            const TCanvasPoint pts[3] = {
                {int32_t(tx - RoundI((Dx - Dy) * s / d)), int32_t(ty - RoundI((Dy + Dx) * s / d))},
                {int32_t(tx), int32_t(ty)},
                {int32_t(tx - RoundI((Dx + Dy) * s / d)), int32_t(ty - RoundI((Dy - Dx) * s / d))},
            };
            C.Polyline(pts, 3);
        }
        return penW + 2 * Width;
    }
};

} // namespace

TCanvasSize DrawLink(TCanvas& canvas, const TDrawPad& pad, int32_t ax, int32_t ay, bool arrow,
                     const TCollection<TShapePoint>* shapePoints, bool addOrigin, bool subtractScroll, bool draw,
                     int32_t extra, int32_t width, int32_t colour, int32_t bx, int32_t by)
{
    // Widths from a file beyond the drawing range are kept within it.
    width = std::clamp(width, -DrawRangeLimit, DrawRangeLimit);
    extra = std::clamp(extra, -DrawRangeLimit, DrawRangeLimit);
    const int lsm = pad.Widths->LinkStyleMode, gls = pad.Display->GlobalLinkStyle;
    // Image links.
    const TSymbolImages* images = pad.Images;
    const TSymbolImages::TEntry* image = nullptr;
    if (gls == 5 && lsm == 0 && width >= 1 && width <= 240 && images) {
        image = images->Link(width);
    } else if (lsm == 2 && width >= 11 && width <= 250) {
        width -= 10;
        if (images) image = images->Link(width);
    }
    TLinkDraw L{canvas, pad, lsm, gls, pad.ColorOf(colour), colour, draw, arrow, width, extra, image, false};
    L.Recolour = colour == 0 || colour == 17 || colour == 20 || colour == 22;
    const TOffsets o = OffsetsOf(pad, addOrigin, subtractScroll);
    const int64_t AX = ax + o.DX, AY = ay + o.DY, BX = bx + o.DX, BY = by + o.DY;
    const double d = std::sqrt(double(BX - AX) * double(BX - AX) + double(BY - AY) * double(BY - AY));
    TCanvasSize size = L.Image ? TCanvasSize{L.Image->Raw.width(), RoundI(d)} : TCanvasSize{width, RoundI(d) + width};
    auto finish = [&](int32_t deco) {
        if (deco > size.CX) size.CX = deco;
        if (size.CX < 0) size.CX = 0;
        return size;
    };
    if (width < 0) return finish(0);
    const int count = shapePoints ? shapePoints->GetCount() : 0;
    const bool twoWay = L.Lsm == 0 && width > 0 && extra > 0;
    const bool plainOk = width > 0 || (width == 0 && L.Lsm != 0);
    const int32_t penW = std::max<int32_t>(1, L.Lsm == 4 ? extra : width);

    if (count == 0 && !twoWay) {
        // The common case: one straight line.
        if (!plainOk) return finish(0);
        canvas.SetPen(L.Cv, psSolid, penW);
        if (draw && InRange(AX, AY) && InRange(BX, BY))
            DrawBitmapLine(canvas, pad, int32_t(AX), int32_t(AY), L.Image, L.Recolour, colour, int32_t(BX),
                           int32_t(BY));
        return finish(L.Decoration(penW, AX, AY, BX, BY, nullptr));
    }
    // The points of the link with origin and offsets.
    std::vector<TCanvasPoint> pts;
    bool allDrawable = InRange(AX, AY) && InRange(BX, BY);
    pts.reserve(size_t(count) + 2);
    pts.push_back({int32_t(AX), int32_t(AY)});
    for (int i = 0; i < count; ++i) {
        const TShapePoint* sp = shapePoints->At(i);
        const int64_t x = sp->X + o.DX, y = sp->Y + o.DY;
        allDrawable = allDrawable && InRange(x, y);
        pts.push_back({int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)), int32_t(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX))});
    }
    pts.push_back({int32_t(BX), int32_t(BY)});

    auto sideWidth = [&](int32_t w) -> double {
        if (L.Image) {
            const TSymbolImages::TEntry* e = images ? images->Link(w) : nullptr;
            return e ? e->Raw.height() : 0;
        }
        return w;
    };
    auto marks = [&]() {
        for (int i = 0; i < count; ++i) {
            const bool tipHere = i == 0 && L.Gls >= 1 && L.Gls <= 4 && (L.Lsm != 4 || width != 0);
            if (tipHere) continue;
            const TShapePoint* sp = shapePoints->At(i);
            DrawNode(canvas, pad, sp->X, sp->Y, nullptr, nullptr, true, draw, subtractScroll, addOrigin,
                     pad.Display->StandardSize, 251, sp->Mark ? 17 : colour);
        }
    };
    auto segments = [&](const std::vector<TCanvasPoint>& p, const TSymbolImages::TEntry* img) {
        if (!draw || !allDrawable) return;
        if (img) {
            for (size_t i = 0; i + 1 < p.size(); ++i)
                DrawBitmapLine(canvas, pad, p[i].X, p[i].Y, img, L.Recolour, colour, p[i + 1].X, p[i + 1].Y);
        } else if (p.size() == 2) {
            DrawBitmapLine(canvas, pad, p[0].X, p[0].Y, nullptr, false, colour, p[1].X, p[1].Y);
        } else {
            canvas.Polyline(p.data(), int(p.size()));
        }
    };

    int32_t deco = 0;
    const int64_t tip[2] = {count > 0 ? pts[1].X : 0, count > 0 ? pts[1].Y : 0};
    if (twoWay) {
        if (d == 0) return finish(0);
        const bool right = pad.Display->PrimaryWidthOnRight != 0;
        struct TSide {
            int32_t W;
            bool Primary;
        } sides[2] = {{extra, false}, {width, true}};
        for (const TSide& side : sides) {
            const double W = sideWidth(side.W);
            double dist = W / 2 + 1;
            if (side.Primary == right) dist = -dist;
            const int32_t dx = RoundI(double(BY - AY) * (-dist) / d);
            const int32_t dy = RoundI(double(BX - AX) * dist / d);
            std::vector<TCanvasPoint> moved = pts;
            for (TCanvasPoint& p : moved) {
                p.X -= dx;
                p.Y -= dy;
            }
            canvas.SetPen(L.Cv, psSolid, std::max<int32_t>(1, int32_t(W)));
            if (!side.Primary && count > 0) marks();
            canvas.SetPen(L.Cv, psSolid, std::max<int32_t>(1, int32_t(W)));
            const TSymbolImages::TEntry* img = L.Image && images ? images->Link(side.W) : nullptr;
            segments(moved, img);
        }
        canvas.SetPen(L.Cv, psSolid, penW);
        deco = L.Decoration(penW, AX, AY, BX, BY, count > 0 ? tip : nullptr);
        return finish(deco);
    }
    if (!plainOk) return finish(0);
    if (count > 0) marks();
    canvas.SetPen(L.Cv, psSolid, penW);
    segments(pts, L.Image);
    deco = L.Decoration(penW, AX, AY, BX, BY, count > 0 ? tip : nullptr);
    return finish(deco);
}
