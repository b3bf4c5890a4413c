#include "platform/Canvas.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgRenderer>

void TCanvas::SetZoomMapping(double scale)
{
    double v = pround(ZoomWindowExtent * scale);
    if (!std::isfinite(v) || v < 1) v = 1;
    if (v > 1e6) v = 1e6;
    Viewport_ = int32_t(v);
}

void LineDDA(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const std::function<void(int32_t, int32_t)>& visit)
{
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int64_t x = x1, y = y1;
    if (adx >= ady) {
        int64_t err = adx / 2;
        for (int64_t i = 0; i < adx; ++i) {
            visit(int32_t(x), int32_t(y));
            x += sx;
            err -= ady;
            if (err < 0) {
                y += sy;
                err += adx;
            }
        }
    } else {
        int64_t err = ady / 2;
        for (int64_t i = 0; i < ady; ++i) {
            visit(int32_t(x), int32_t(y));
            y += sy;
            err -= adx;
            if (err < 0) {
                x += sx;
                err += ady;
            }
        }
    }
}

QString CanvasText(std::string_view bytes) { return ShowText(bytes); }

constexpr int32_t DrawPenLimit = 20000;

static QColor Qc(TColorValue c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)); }

// ---------------------------------------------------------------- QPainter

TQPainterCanvas::TQPainterCanvas(QPainter& painter) : P(painter)
{
    P.setRenderHint(QPainter::Antialiasing, false);
    P.setRenderHint(QPainter::TextAntialiasing, true);
    P.setBackgroundMode(Qt::OpaqueMode);
    P.setBackground(QBrush(Qc(BkColor)));
}

void TQPainterCanvas::SetPen(TColorValue color, uint8_t style, int32_t width)
{
    if (color == PenColor && style == PenStyle && width == PenWidth) return;
    PenColor = color;
    PenStyle = style;
    PenWidth = width;
    PenDirty = true;
}

void TQPainterCanvas::SetBrush(TColorValue color, uint8_t style)
{
    if (BrushPattern.isNull() && color == BrushColor && style == BrushStyle) return;
    BrushColor = color;
    BrushStyle = style;
    BrushPattern = QImage();
    BrushDirty = true;
}

void TQPainterCanvas::SetBrushImage(const QImage& pattern)
{
    BrushPattern = pattern;
    BrushDirty = true;
}

void TQPainterCanvas::SetBkMode(bool opaque)
{
    if (opaque == Opaque) return;
    Opaque = opaque;
    P.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

void TQPainterCanvas::SetBkColor(TColorValue color)
{
    if (color == BkColor) return;
    BkColor = color;
    P.setBackground(QBrush(Qc(color)));
}

void TQPainterCanvas::SetTextColor(TColorValue color) { TextColor = color; }
void TQPainterCanvas::SetTextAlign(unsigned flags) { Align = flags; }

void TQPainterCanvas::SetFont(const TLogFont& font)
{
    Font = font;
    FontDirty = true;
}

void TQPainterCanvas::SetPenMode(TPenMode mode)
{
    if (mode == Mode) return;
    Mode = mode;
    // Exclusive-or needs a raster device; elsewhere (SVG, printer) it draws plainly.
    if (mode == TPenMode::Xor && P.paintEngine() && P.paintEngine()->hasFeature(QPaintEngine::RasterOpModes))
        P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    else
        P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    PenDirty = true;
}

void TQPainterCanvas::ApplyPen()
{
    if (!PenDirty && PenViewport == Viewport_) return;
    PenDirty = false;
    PenViewport = Viewport_;
    if (PenStyle == psClear) {
        P.setPen(Qt::NoPen);
        return;
    }
    // A pen wider than any window draws as wide as a window.
    int32_t w = PenWidth <= 0 ? 1 : ToDevice(std::min(PenWidth, DrawPenLimit));
    if (w < 1) w = 1;
    QPen pen(Qc(PenColor));
    pen.setWidth(w);
    // One-pixel lines leave out their last pixel; wide ones have round ends.
    pen.setCapStyle(w <= 1 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    switch (PenStyle) {
    case psDash: pen.setStyle(Qt::DashLine); break;
    case psDot: pen.setStyle(Qt::DotLine); break;
    case psDashDot: pen.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    P.setPen(pen);
}

void TQPainterCanvas::ApplyBrush()
{
    if (!BrushDirty) return;
    BrushDirty = false;
    if (!BrushPattern.isNull()) {
        P.setBrush(QBrush(BrushPattern));
        return;
    }
    static const Qt::BrushStyle hatches[] = {Qt::SolidPattern, Qt::NoBrush,    Qt::HorPattern,  Qt::VerPattern,
                                             Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    Qt::BrushStyle s = BrushStyle < 8 ? hatches[BrushStyle] : Qt::SolidPattern;
    P.setBrush(QBrush(Qc(BrushColor), s));
    P.setBrushOrigin(0, 0);
}

void TQPainterCanvas::ApplyFont()
{
    if (!FontDirty && FontViewport == Viewport_) return;
    FontDirty = false;
    FontViewport = Viewport_;
    QFont f(CanvasText(Font.FaceName));
    int64_t h = std::llabs(int64_t(Font.Height));
    if (h == 0) h = 16;
    // A positive height is the cell height; the character height is a little less.
    double px = Font.Height > 0 ? h * 0.8 : double(h);
    int32_t dpx = int32_t(std::clamp<double>(pround(px * Viewport_ / ZoomWindowExtent), 1, 20000));
    f.setPixelSize(dpx);
    f.setWeight(QFont::Weight(std::clamp(Font.Weight == 0 ? 400 : Font.Weight, 1, 1000)));
    f.setItalic(Font.Italic != 0);
    f.setUnderline(Font.Underline != 0);
    f.setStrikeOut(Font.StrikeOut != 0);
    f.setStyleStrategy(QFont::NoAntialias);
    QtFont = f;
    P.setFont(f);
}

QRectF TQPainterCanvas::DeviceBox(int32_t left, int32_t top, int32_t right, int32_t bottom) const
{
    // The figure covers the pixels from left to right - 1: an outline through
    // pixel centres.
    const int32_t l = ToDevice(std::min(left, right)), r = ToDevice(std::max(left, right));
    const int32_t t = ToDevice(std::min(top, bottom)), b = ToDevice(std::max(top, bottom));
    return QRectF(l + 0.5, t + 0.5, std::max(0, r - l - 1), std::max(0, b - t - 1));
}

void TQPainterCanvas::MoveTo(int32_t x, int32_t y)
{
    CurX = x;
    CurY = y;
}

void TQPainterCanvas::LineTo(int32_t x, int32_t y)
{
    Line(CurX, CurY, x, y);
}

void TQPainterCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    ApplyPen();
    P.drawLine(ToDevice(x1), ToDevice(y1), ToDevice(x2), ToDevice(y2));
    CurX = x2;
    CurY = y2;
}

void TQPainterCanvas::Polyline(const TCanvasPoint* points, int count)
{
    if (count < 2) return;
    ApplyPen();
    std::vector<QPoint> q(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) q[size_t(i)] = QPoint(ToDevice(points[i].X), ToDevice(points[i].Y));
    P.drawPolyline(q.data(), count);
}

void TQPainterCanvas::Polygon(const TCanvasPoint* points, int count)
{
    if (count < 2) return;
    ApplyPen();
    ApplyBrush();
    std::vector<QPoint> q(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) q[size_t(i)] = QPoint(ToDevice(points[i].X), ToDevice(points[i].Y));
    P.drawPolygon(q.data(), count, Qt::OddEvenFill);
}

void TQPainterCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    ApplyPen();
    ApplyBrush();
    P.drawEllipse(DeviceBox(left, top, right, bottom));
}

double TQPainterCanvas::RadialAngle(const QRectF& box, int32_t x, int32_t y) const
{
    QPointF c = box.center();
    double a = std::atan2(-(ToDevice(y) - c.y()), ToDevice(x) - c.x()) * 180.0 / M_PI;
    return a;
}

static int SpanOf(double from, double to)
{
    double span = to - from;
    while (span <= 0) span += 360;
    while (span > 360) span -= 360;
    return int(pround(span * 16));
}

void TQPainterCanvas::Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3,
                          int32_t x4, int32_t y4)
{
    ApplyPen();
    const QRectF box = DeviceBox(left, top, right, bottom);
    double a = RadialAngle(box, x3, y3), b = RadialAngle(box, x4, y4);
    P.drawArc(box, int(pround(a * 16)), SpanOf(a, b));
}

void TQPainterCanvas::Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3,
                          int32_t x4, int32_t y4)
{
    ApplyPen();
    ApplyBrush();
    const QRectF box = DeviceBox(left, top, right, bottom);
    double a = RadialAngle(box, x3, y3), b = RadialAngle(box, x4, y4);
    int span = SpanOf(a, b);
    if (span >= 360 * 16)
        P.drawEllipse(box);
    else
        P.drawPie(box, int(pround(a * 16)), span);
}

void TQPainterCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    if (text.empty()) return;
    ApplyFont();
    QString s = CanvasText(text);
    QFontMetrics fm(QtFont, P.device());
    const int w = fm.horizontalAdvance(s);
    int dx = 0, dy = 0; // from the reference point to the base-line start
    if ((Align & TA_CENTER) == TA_CENTER)
        dx = -w / 2;
    else if (Align & TA_RIGHT)
        dx = -w;
    if ((Align & TA_BASELINE) == TA_BASELINE)
        dy = 0;
    else if (Align & TA_BOTTOM)
        dy = -fm.descent();
    else
        dy = fm.ascent();
    P.save();
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    P.translate(ToDevice(x), ToDevice(y));
    if (Font.Escapement != 0) P.rotate(-Font.Escapement / 10.0);
    if (Opaque) P.fillRect(QRect(dx, dy - fm.ascent(), w, fm.height()), Qc(BkColor));
    P.setPen(QPen(Qc(TextColor)));
    P.drawText(QPoint(dx, dy), s);
    P.restore();
    PenDirty = true;
}

TCanvasSize TQPainterCanvas::TextExtent(std::string_view text)
{
    ApplyFont();
    QFontMetrics fm(QtFont, P.device());
    int w = fm.horizontalAdvance(CanvasText(text));
    return {ToLogical(w), ToLogical(fm.height())};
}

void TQPainterCanvas::DrawImage(int32_t x, int32_t y, const QImage& image)
{
    if (image.isNull()) return;
    const int32_t l = ToDevice(x), t = ToDevice(y);
    const int32_t r = ToDevice(x + image.width()), b = ToDevice(y + image.height());
    P.save();
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (r - l == image.width() && b - t == image.height())
        P.drawImage(QPoint(l, t), image);
    else
        P.drawImage(QRect(l, t, r - l, b - t), image);
    P.restore();
}

void TQPainterCanvas::StretchImage(const TCanvasRect& rc, const QImage& image)
{
    if (image.isNull()) return;
    const int32_t l = ToDevice(rc.Left), t = ToDevice(rc.Top), r = ToDevice(rc.Right), b = ToDevice(rc.Bottom);
    // A negative extent mirrors the image.
    QImage img = image.mirrored(r < l, b < t);
    P.drawImage(QRect(std::min(l, r), std::min(t, b), std::abs(r - l), std::abs(b - t)), img);
}

void TQPainterCanvas::StretchSvg(const TCanvasRect& rc, QSvgRenderer& svg)
{
    const int32_t l = ToDevice(rc.Left), t = ToDevice(rc.Top), r = ToDevice(rc.Right), b = ToDevice(rc.Bottom);
    P.save();
    QRectF target(std::min(l, r), std::min(t, b), std::abs(r - l), std::abs(b - t));
    if (r < l || b < t) {
        P.translate(target.center());
        P.scale(r < l ? -1 : 1, b < t ? -1 : 1);
        P.translate(-target.center());
    }
    svg.render(&P, target);
    P.restore();
    PenDirty = BrushDirty = FontDirty = true;
}

TCanvasRect TQPainterCanvas::ClipBox() const
{
    QRect r;
    if (P.hasClipping())
        r = P.clipBoundingRect().toAlignedRect();
    else if (P.device())
        r = QRect(0, 0, P.device()->width(), P.device()->height());
    return {ToLogical(r.left()), ToLogical(r.top()), ToLogical(r.right() + 1), ToLogical(r.bottom() + 1)};
}

// ---------------------------------------------------------------- recording

std::vector<const TCanvasCall*> TRecordingCanvas::Find(std::string_view op) const
{
    std::vector<const TCanvasCall*> out;
    for (const TCanvasCall& c : Calls)
        if (c.Op == op) out.push_back(&c);
    return out;
}

void TRecordingCanvas::SetPen(TColorValue color, uint8_t style, int32_t width)
{
    State.PenColor = color;
    State.PenStyle = style;
    State.PenWidth = width;
}

void TRecordingCanvas::SetBrush(TColorValue color, uint8_t style)
{
    State.BrushColor = color;
    State.BrushStyle = style;
    State.BrushImage = false;
}

void TRecordingCanvas::SetBrushImage(const QImage&) { State.BrushImage = true; }

TCanvasCall& TRecordingCanvas::Add(const char* op, std::initializer_list<int32_t> args)
{
    TCanvasCall c = State;
    c.Op = op;
    c.Args = args;
    c.Text.clear();
    c.Image = QImage();
    Calls.push_back(std::move(c));
    return Calls.back();
}

void TRecordingCanvas::MoveTo(int32_t x, int32_t y)
{
    CurX = x;
    CurY = y;
}

void TRecordingCanvas::LineTo(int32_t x, int32_t y) { Line(CurX, CurY, x, y); }

void TRecordingCanvas::Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    Add("Line", {x1, y1, x2, y2});
    CurX = x2;
    CurY = y2;
}

void TRecordingCanvas::Polyline(const TCanvasPoint* points, int count)
{
    TCanvasCall& c = Add("Polyline", {});
    for (int i = 0; i < count; ++i) {
        c.Args.push_back(points[i].X);
        c.Args.push_back(points[i].Y);
    }
}

void TRecordingCanvas::Polygon(const TCanvasPoint* points, int count)
{
    TCanvasCall& c = Add("Polygon", {});
    for (int i = 0; i < count; ++i) {
        c.Args.push_back(points[i].X);
        c.Args.push_back(points[i].Y);
    }
}

void TRecordingCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Add("Ellipse", {left, top, right, bottom});
}

void TRecordingCanvas::Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3,
                           int32_t x4, int32_t y4)
{
    Add("Arc", {left, top, right, bottom, x3, y3, x4, y4});
}

void TRecordingCanvas::Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3,
                           int32_t x4, int32_t y4)
{
    Add("Pie", {left, top, right, bottom, x3, y3, x4, y4});
}

void TRecordingCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    Add("Text", {x, y}).Text = std::string(text);
}

TCanvasSize TRecordingCanvas::TextExtent(std::string_view text)
{
    int32_t h = int32_t(std::llabs(int64_t(State.Font.Height)));
    return {int32_t(text.size()) * (h / 2), h};
}

void TRecordingCanvas::DrawImage(int32_t x, int32_t y, const QImage& image)
{
    TCanvasCall& c = Add("Image", {x, y});
    c.ImageWidth = image.width();
    c.ImageHeight = image.height();
    c.Image = image;
}

void TRecordingCanvas::StretchImage(const TCanvasRect& r, const QImage& image)
{
    TCanvasCall& c = Add("StretchImage", {r.Left, r.Top, r.Right, r.Bottom});
    c.ImageWidth = image.width();
    c.ImageHeight = image.height();
    c.Image = image;
}

void TRecordingCanvas::StretchSvg(const TCanvasRect& r, QSvgRenderer&)
{
    Add("StretchSvg", {r.Left, r.Top, r.Right, r.Bottom});
}
