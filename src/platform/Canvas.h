// A GDI-like drawing surface. Every drawing routine of the program (the
// window, the printer, the SVG plot file, a QImage in tests) talks to a
// TCanvas in logical units; the canvas maps them isotropically to integer
// device pixels, scales pens and fonts with the mapping, and keeps hatch
// brushes at 8 x 8 device pixels.
//
// TQPainterCanvas draws through a QPainter; TRecordingCanvas logs the calls
// (in logical units) for tests that check geometry and texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPen>

#include "core/model/LabelSettings.h"
#include "core/model/Rounding.h"

class QPainter;
class QSvgRenderer;

// A colour value 0xRRGGBB.
using TColorValue = uint32_t;
// A stored colour in the network file's form ($00BBGGRR) to 0xRRGGBB and back.
inline TColorValue ColorFromBgr(int32_t bgr)
{
    uint32_t v = uint32_t(bgr);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}
inline int32_t ColorToBgr(TColorValue rgb) { return int32_t(ColorFromBgr(int32_t(rgb))); }

struct TCanvasPoint {
    int32_t X = 0, Y = 0;
    bool operator==(const TCanvasPoint&) const = default;
};
struct TCanvasSize {
    int32_t CX = 0, CY = 0;
    bool operator==(const TCanvasSize&) const = default;
};
struct TCanvasRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Pen styles: solid, dash, dot, dash-dot, dash-dot-dot, clear, inside frame.
enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Brush styles: solid, clear, then the six 8 x 8 hatches.
enum TBrushStyle : uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum class TPenMode : uint8_t { Copy, Xor };

// Text alignment flags (combinable): horizontal left/right/centre, vertical
// top/bottom/base line.
enum : unsigned {
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
};

// The window extent of the isotropic zoom mapping.
constexpr int32_t ZoomWindowExtent = 288;

class TCanvas {
public:
    virtual ~TCanvas() = default;

    // ---- mapping: window extent (288, 288), viewport extent (Round(288 x scale), ...)
    void SetZoomMapping(double scale);
    int32_t ViewportExtent() const { return Viewport_; }
    // Logical to device, one axis.
    int32_t ToDevice(int32_t v) const
    {
        if (Viewport_ == ZoomWindowExtent) return v;
        // Round(v x viewport / 288), ties to even, in integers.
        const int64_t n = int64_t(v) * Viewport_;
        int64_t q = n / ZoomWindowExtent, r = n % ZoomWindowExtent;
        if (r < 0) {
            r += ZoomWindowExtent;
            --q;
        }
        if (2 * r > ZoomWindowExtent || (2 * r == ZoomWindowExtent && (q & 1))) ++q;
        return int32_t(q);
    }
    // Device to logical, one axis.
    int32_t ToLogical(int32_t v) const
    {
        if (Viewport_ == ZoomWindowExtent) return v;
        return int32_t(pround(double(v) * ZoomWindowExtent / Viewport_));
    }

    // ---- drawing objects
    // Pen width 0 draws one device pixel wide, as width 1 does at 1:1.
    virtual void SetPen(TColorValue color, uint8_t style, int32_t width) = 0;
    virtual void SetBrush(TColorValue color, uint8_t style) = 0;
    // A brush tiled from an image (fill images), in device pixels.
    virtual void SetBrushImage(const QImage& pattern) = 0;
    virtual void SetBkMode(bool opaque) = 0;
    virtual void SetBkColor(TColorValue color) = 0;
    virtual void SetTextColor(TColorValue color) = 0;
    virtual void SetTextAlign(unsigned flags) = 0;
    // The font of a record: height in logical units (negative: character
    // height), escapement in tenths of a degree counter-clockwise.
    virtual void SetFont(const TLogFont& font) = 0;
    virtual void SetPenMode(TPenMode mode) = 0;

    // ---- figures, in logical units
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // MoveTo then LineTo.
    virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    virtual void Polyline(const TCanvasPoint* points, int count) = 0;
    // Filled with the brush (odd-even), outlined with the pen.
    virtual void Polygon(const TCanvasPoint* points, int count) = 0;
    // The ellipse inside the box (right and bottom excluded).
    virtual void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // Counter-clockwise from the radial through (x3, y3) to the radial through
    // (x4, y4); equal radials give the full figure.
    virtual void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
                     int32_t y4) = 0;
    virtual void Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
                     int32_t y4) = 0;
    // Text in the file code page at (x, y) by the alignment flags.
    virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;
    // Size of a text in the current font, logical units.
    virtual TCanvasSize TextExtent(std::string_view text) = 0;
    // An image at its own size (scaled by the mapping), top-left at (x, y).
    virtual void DrawImage(int32_t x, int32_t y, const QImage& image) = 0;
    virtual void StretchImage(const TCanvasRect& r, const QImage& image) = 0;
    virtual void StretchSvg(const TCanvasRect& r, QSvgRenderer& svg) = 0;
    // The clip box in logical units.
    virtual TCanvasRect ClipBox() const = 0;

protected:
    int32_t Viewport_ = ZoomWindowExtent;
};

// The integer points of the line from (x1, y1) to (x2, y2), the end point
// excluded, in the order a line-digitising walk visits them.
void LineDDA(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const std::function<void(int32_t, int32_t)>& visit);

// Text bytes (Windows-1252 files) for Qt.
QString CanvasText(std::string_view bytes);

// ---------------------------------------------------------------- QPainter

class TQPainterCanvas : public TCanvas {
public:
    // The painter must be active for the canvas's life. Its device clip (or
    // the device rectangle) is the clip box.
    explicit TQPainterCanvas(QPainter& painter);

    void SetPen(TColorValue color, uint8_t style, int32_t width) override;
    void SetBrush(TColorValue color, uint8_t style) override;
    void SetBrushImage(const QImage& pattern) override;
    void SetBkMode(bool opaque) override;
    void SetBkColor(TColorValue color) override;
    void SetTextColor(TColorValue color) override;
    void SetTextAlign(unsigned flags) override;
    void SetFont(const TLogFont& font) override;
    void SetPenMode(TPenMode mode) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Polyline(const TCanvasPoint* points, int count) override;
    void Polygon(const TCanvasPoint* points, int count) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
             int32_t y4) override;
    void Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
             int32_t y4) override;
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    TCanvasSize TextExtent(std::string_view text) override;
    void DrawImage(int32_t x, int32_t y, const QImage& image) override;
    void StretchImage(const TCanvasRect& r, const QImage& image) override;
    void StretchSvg(const TCanvasRect& r, QSvgRenderer& svg) override;
    TCanvasRect ClipBox() const override;

private:
    void ApplyPen();
    void ApplyBrush();
    void ApplyFont();
    QRectF DeviceBox(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    double RadialAngle(const QRectF& box, int32_t x, int32_t y) const;

    QPainter& P;
    int32_t CurX = 0, CurY = 0;
    // Requested state; applied to the painter lazily.
    TColorValue PenColor = 0;
    uint8_t PenStyle = psSolid;
    int32_t PenWidth = 1;
    int32_t PenViewport = -1; // mapping the applied pen was scaled for
    bool PenDirty = true;
    TColorValue BrushColor = 0xFFFFFF;
    uint8_t BrushStyle = bsSolid;
    QImage BrushPattern;
    bool BrushDirty = true;
    bool Opaque = true;
    TColorValue BkColor = 0xFFFFFF;
    TColorValue TextColor = 0;
    unsigned Align = 0;
    TLogFont Font;
    int32_t FontViewport = -1;
    bool FontDirty = true;
    QFont QtFont;
    TPenMode Mode = TPenMode::Copy;
};

// ---------------------------------------------------------------- recording

// One logged call. Geometry in logical units; the drawing objects in force
// are copied into each figure so that tests can check colours and widths.
struct TCanvasCall {
    std::string Op; // "Line", "Polyline", "Polygon", "Ellipse", "Arc", "Pie", "Text", "Image", "StretchImage", "StretchSvg"
    std::vector<int32_t> Args;
    std::string Text;
    TColorValue PenColor = 0;
    uint8_t PenStyle = 0;
    int32_t PenWidth = 0;
    TColorValue BrushColor = 0;
    uint8_t BrushStyle = 0;
    bool BrushImage = false;
    TColorValue TextColor = 0;
    unsigned Align = 0;
    bool Opaque = false;
    TPenMode Mode = TPenMode::Copy;
    TLogFont Font;
    int32_t ImageWidth = 0, ImageHeight = 0;
    QImage Image; // the image drawn (Image and StretchImage)
};

class TRecordingCanvas : public TCanvas {
public:
    // Text extents are deterministic: width = characters x (|height| div 2),
    // height = |height| of the current font.
    explicit TRecordingCanvas(TCanvasRect clip = {-400000, -400000, 400000, 400000}) : Clip(clip) {}

    std::vector<TCanvasCall> Calls;
    // The calls whose Op is op.
    std::vector<const TCanvasCall*> Find(std::string_view op) const;

    void SetPen(TColorValue color, uint8_t style, int32_t width) override;
    void SetBrush(TColorValue color, uint8_t style) override;
    void SetBrushImage(const QImage& pattern) override;
    void SetBkMode(bool opaque) override { State.Opaque = opaque; }
    void SetBkColor(TColorValue color) override { BkColor = color; }
    void SetTextColor(TColorValue color) override { State.TextColor = color; }
    void SetTextAlign(unsigned flags) override { State.Align = flags; }
    void SetFont(const TLogFont& font) override { State.Font = font; }
    void SetPenMode(TPenMode mode) override { State.Mode = mode; }
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Polyline(const TCanvasPoint* points, int count) override;
    void Polygon(const TCanvasPoint* points, int count) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
             int32_t y4) override;
    void Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
             int32_t y4) override;
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    TCanvasSize TextExtent(std::string_view text) override;
    void DrawImage(int32_t x, int32_t y, const QImage& image) override;
    void StretchImage(const TCanvasRect& r, const QImage& image) override;
    void StretchSvg(const TCanvasRect& r, QSvgRenderer& svg) override;
    TCanvasRect ClipBox() const override { return Clip; }

    TCanvasRect Clip;
    TColorValue BkColor = 0xFFFFFF;

private:
    TCanvasCall& Add(const char* op, std::initializer_list<int32_t> args);
    TCanvasCall State;
    int32_t CurX = 0, CurY = 0;
};
