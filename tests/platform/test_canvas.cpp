// The canvas: mapping in integer device pixels, pens and hatches under the
// mapping, odd-even fill, rotated text, exclusive-or lines, the line walk.
#include <gtest/gtest.h>

#include <QPainter>

#include "platform/Canvas.h"

namespace {

QImage White(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

bool Dark(const QImage& img, int x, int y) { return qGray(img.pixel(x, y)) < 128; }

QRect InkBox(const QImage& img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(Canvas, IsotropicMappingRoundsToEven)
{
    TRecordingCanvas c;
    c.SetZoomMapping(216.0 / 288); // 3:4
    EXPECT_EQ(c.ViewportExtent(), 216);
    EXPECT_EQ(c.ToDevice(100), 75);
    c.SetZoomMapping(0.5);
    EXPECT_EQ(c.ToDevice(1), 0);  // 0.5 to even
    EXPECT_EQ(c.ToDevice(3), 2);  // 1.5 to even
    EXPECT_EQ(c.ToDevice(-3), -2);
    EXPECT_EQ(c.ToLogical(5), 10);
    c.SetZoomMapping(4.0 / 288); // 1:72
    EXPECT_EQ(c.ViewportExtent(), 4);
    EXPECT_EQ(c.ToDevice(72), 1);
    c.SetZoomMapping(std::nan("")); // never a zero or undefined extent
    EXPECT_GE(c.ViewportExtent(), 1);
}

TEST(Canvas, LineWalkVisitsEveryPointButTheLast)
{
    std::vector<std::pair<int, int>> pts;
    LineDDA(0, 0, 5, 2, [&](int32_t x, int32_t y) { pts.emplace_back(x, y); });
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_EQ(pts.front(), std::make_pair(0, 0));
    for (size_t i = 0; i < pts.size(); ++i) EXPECT_EQ(pts[i].first, int(i));
    EXPECT_LE(pts.back().second, 2);
    pts.clear();
    LineDDA(3, 9, 3, 4, [&](int32_t x, int32_t y) { pts.emplace_back(x, y); });
    ASSERT_EQ(pts.size(), 5u);
    EXPECT_EQ(pts.back(), std::make_pair(3, 5));
    pts.clear();
    LineDDA(7, 7, 7, 7, [&](int32_t x, int32_t y) { pts.emplace_back(x, y); });
    EXPECT_TRUE(pts.empty());
}

TEST(Canvas, PensScaleWithTheMappingAndHatchesDoNot)
{
    // A 2-unit pen at 2:1 is 4 device pixels wide.
    QImage img = White(40, 40);
    {
        QPainter p(&img);
        TQPainterCanvas c(p);
        c.SetZoomMapping(2.0);
        c.SetPen(0, psSolid, 2);
        c.Line(2, 10, 18, 10);
    }
    int rows = 0;
    for (int y = 0; y < 40; ++y) rows += Dark(img, 20, y) ? 1 : 0;
    EXPECT_EQ(rows, 4);

    // Horizontal hatch lines stay 8 device pixels apart at every scale.
    for (double scale : {1.0, 2.0, 0.5}) {
        QImage h = White(64, 64);
        {
            QPainter p(&h);
            TQPainterCanvas c(p);
            c.SetZoomMapping(scale);
            c.SetPen(0xFFFFFF, psClear, 1);
            c.SetBrush(0, bsHorizontal);
            c.SetBkMode(false);
            const int32_t e = c.ToLogical(64);
            const TCanvasPoint box[4] = {{0, 0}, {e, 0}, {e, e}, {0, e}};
            c.Polygon(box, 4);
        }
        std::vector<int> dark;
        for (int y = 0; y < 64; ++y)
            if (Dark(h, 30, y)) dark.push_back(y);
        ASSERT_GE(dark.size(), 6u) << scale;
        for (size_t i = 1; i < dark.size(); ++i) EXPECT_EQ(dark[i] - dark[i - 1], 8) << scale;
    }
}

TEST(Canvas, OddEvenFillAndOpaqueBackground)
{
    QImage img = White(60, 60);
    {
        QPainter p(&img);
        TQPainterCanvas c(p);
        c.SetPen(0, psSolid, 1);
        c.SetBrush(0xFF0000, bsSolid);
        // A five-pointed star drawn in one stroke: its centre is covered twice.
        const TCanvasPoint star[5] = {{30, 2}, {47, 55}, {2, 22}, {58, 22}, {13, 55}};
        c.Polygon(star, 5);
    }
    EXPECT_EQ(img.pixel(30, 32), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(30, 10), qRgb(255, 0, 0));

    // Opaque background fills the gaps of a hatch with the background colour.
    QImage o = White(32, 32);
    {
        QPainter p(&o);
        TQPainterCanvas c(p);
        c.SetPen(0, psClear, 1);
        c.SetBrush(0x000000, bsCross);
        c.SetBkColor(0x00FF00);
        c.SetBkMode(true);
        const TCanvasPoint box[4] = {{0, 0}, {32, 0}, {32, 32}, {0, 32}};
        c.Polygon(box, 4);
    }
    int green = 0;
    for (int x = 0; x < 32; ++x) green += o.pixel(x, 1) == qRgb(0, 255, 0) ? 1 : 0;
    EXPECT_GT(green, 0);
}

TEST(Canvas, RotatedTextAndExclusiveOr)
{
    auto textBox = [](int32_t escapement) {
        QImage img = White(200, 200);
        QPainter p(&img);
        TQPainterCanvas c(p);
        TLogFont f;
        f.Height = -20;
        f.Escapement = f.Orientation = escapement;
        c.SetFont(f);
        c.SetTextColor(0);
        c.SetBkMode(false);
        c.SetTextAlign(TA_BASELINE | TA_LEFT);
        c.TextOut(100, 100, "Highway");
        p.end();
        return InkBox(img);
    };
    const QRect flat = textBox(0), up = textBox(900);
    ASSERT_FALSE(flat.isEmpty());
    ASSERT_FALSE(up.isEmpty());
    EXPECT_GT(flat.width(), flat.height());
    EXPECT_GT(up.height(), up.width());
    EXPECT_LE(up.bottom(), 101); // reads upward from the reference point
    // Texts are drawn as their files' code page has them.
    EXPECT_EQ(CanvasText("\x80 \xE9"), QString::fromUtf8("\u20AC \u00E9"));

    QImage img = White(50, 50);
    const QImage before = img.copy();
    {
        QPainter p(&img);
        TQPainterCanvas c(p);
        c.SetPenMode(TPenMode::Xor);
        c.SetPen(0x00007F, psSolid, 1);
        c.Line(0, 25, 50, 25);
        c.Line(25, 0, 25, 50);
        c.Line(0, 25, 50, 25);
        c.Line(25, 0, 25, 50);
    }
    EXPECT_EQ(img, before);
}
