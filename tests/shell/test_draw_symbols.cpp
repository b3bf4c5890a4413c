// Symbols in pixels against golden images (tests/data/draw), image rotation
// and image-stamped lines.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include "test_draw_support.h"

namespace {

template <class F>
QImage Render(int w, int h, F draw, double scale = 1.0)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TQPainterCanvas c(p);
    c.SetZoomMapping(scale);
    draw(c);
    p.end();
    return img;
}

} // namespace

TEST(DrawSymbols, ShapesBoxesCirclesDotsAndMarks)
{
    TDrawFixture f;
    f.Pad.OriginX = f.Pad.OriginY = 0;
    TNode node;
    const QImage img = Render(16 * 15, 16, [&](TCanvas& c) {
        f.Display.GlobalShape = 1;
        for (int s = 0; s <= 10; ++s)
            DrawNode(c, f.Pad, 8 + 16 * s, 8, nullptr, &node, false, true, false, false, 5, s, 4);
        DrawNode(c, f.Pad, 8 + 16 * 11, 8, nullptr, nullptr, true, true, false, false, 5, 251, 2);
        f.Display.GlobalShape = 2;
        DrawNode(c, f.Pad, 8 + 16 * 12, 8, nullptr, &node, false, true, false, false, 5, 1, 6);
        f.Display.GlobalShape = 3;
        DrawNode(c, f.Pad, 8 + 16 * 13, 8, nullptr, &node, false, true, false, false, 3, 6, 7);
        f.Display.GlobalShape = 4;
        DrawNode(c, f.Pad, 8 + 16 * 14, 8, nullptr, &node, false, true, false, false, 3, 6, 8);
    });
    EXPECT_TRUE(MatchesGolden(img, "symbols.png"));
    // Sizes reported for the legends.
    TRecordingCanvas rc;
    f.Display.GlobalShape = 1;
    EXPECT_EQ(DrawNode(rc, f.Pad, 0, 0, nullptr, &node, false, false, false, false, 5, 3, 4), (TCanvasSize{12, 12}));
    f.Display.GlobalShape = 2;
    EXPECT_EQ(DrawNode(rc, f.Pad, 0, 0, nullptr, &node, false, false, false, false, 5, 3, 4), (TCanvasSize{11, 11}));
    f.Display.GlobalShape = 3;
    EXPECT_EQ(DrawNode(rc, f.Pad, 0, 0, nullptr, &node, false, false, false, false, 5, 6, 4), (TCanvasSize{11, 11}));
    EXPECT_TRUE(rc.Calls.empty());
    // Style 0 in NodeStyleMode 0 draws nothing but still reports its size.
    f.Display.GlobalShape = 1;
    f.Widths.NodeStyleMode = 0;
    EXPECT_EQ(DrawNode(rc, f.Pad, 0, 0, nullptr, &node, false, true, false, false, 5, 0, 4), (TCanvasSize{12, 12}));
    EXPECT_TRUE(rc.Calls.empty());
    // Beyond the drawing range: nothing.
    EXPECT_EQ(DrawNode(rc, f.Pad, 320001, 0, nullptr, &node, false, true, false, false, 5, 1, 4), (TCanvasSize{0, 0}));
    EXPECT_TRUE(rc.Calls.empty());
}

TEST(DrawSymbols, Pies)
{
    TDrawFixture f;
    f.Pad.OriginX = f.Pad.OriginY = 0;
    f.Display.GlobalShape = 5;
    f.Widths.NodeStyleMode = 0;
    TNode node;
    double parts[11] = {0, 7, 1, 2, 3, 0, -4, 0, 0, 0, 2};
    double none[11] = {};
    const QImage img = Render(90, 30, [&](TCanvas& c) {
        // Parts 2..10 positive: slices 1, 2, 3, 2 clockwise from the top.
        DrawNode(c, f.Pad, 15, 15, parts, &node, false, true, false, false, 3, 12, 1);
        // A pie whose slices sum to 0 is a dot.
        DrawNode(c, f.Pad, 45, 15, none, &node, false, true, false, false, 3, 12, 3);
        // Highlighted: a dot in the highlight colour.
        DrawNode(c, f.Pad, 75, 15, parts, &node, false, true, false, false, 3, 12, 17);
    });
    EXPECT_TRUE(MatchesGolden(img, "pies.png"));
    TRecordingCanvas rc;
    DrawNode(rc, f.Pad, 15, 15, parts, &node, false, true, false, false, 3, 12, 1);
    auto pies = rc.Find("Pie");
    ASSERT_EQ(pies.size(), 4u);
    // First slice (1/8 of the circle) from 45 degrees to straight up, in basic colour 0.
    EXPECT_EQ(pies[0]->Args, (std::vector<int32_t>{3, 3, 27, 27, 29, 1, 15, -5}));
    EXPECT_EQ(pies[1]->BrushColor, BasicColors[1]);
}

TEST(DrawSymbols, TwoWayLinksAndHatches)
{
    TDrawFixture f;
    f.Pad.OriginX = f.Pad.OriginY = 0;
    f.Widths.LinkStyleMode = 0;
    const QImage links = Render(60, 60, [&](TCanvas& c) {
        DrawLink(c, f.Pad, 5, 10, false, nullptr, false, false, true, 2, 4, 2, 55, 10);
        DrawLink(c, f.Pad, 5, 55, false, nullptr, false, false, true, 3, 1, 4, 55, 25);
        f.Display.PrimaryWidthOnRight = 1;
        DrawLink(c, f.Pad, 10, 58, false, nullptr, false, false, true, 1, 2, 6, 10, 30);
    });
    EXPECT_TRUE(MatchesGolden(links, "twoway.png"));
    // A link whose ends coincide draws no offset sides and no arrow.
    TRecordingCanvas rc;
    f.Display.GlobalLinkStyle = 2;
    DrawLink(rc, f.Pad, 5, 5, true, nullptr, false, false, true, 2, 4, 2, 5, 5);
    EXPECT_TRUE(rc.Calls.empty());

    TDrawFixture g;
    const QImage hatches = Render(8 * 20, 20, [&](TCanvas& c) {
        for (int s = 0; s <= 7; ++s) {
            c.SetPen(0, psSolid, 1);
            c.SetBrush(0x0000FF, uint8_t(s));
            c.SetBkMode(false);
            const TCanvasPoint box[4] = {{20 * s + 1, 1}, {20 * s + 19, 1}, {20 * s + 19, 19}, {20 * s + 1, 19}};
            c.Polygon(box, 4);
        }
    });
    EXPECT_TRUE(MatchesGolden(hatches, "hatches.png"));
}

TEST(DrawSymbols, WholeNetworkAtTwoZoomLevels)
{
    TDrawFixture f;
    TNode* a = f.Node(0, 0);
    TNode* b = f.Node(150, 0);
    TNode* c = f.Node(150, 100);
    TNode* d = f.Node(0, 100);
    (*f.Net.LinkClasses)[1].Name = "Fast";
    (*f.Net.LinkClasses)[1].Width = 3;
    (*f.Net.LinkClasses)[1].Color = 4;
    f.Link(a, b, 1);
    f.Link(b, c);
    TLinkValues* curved = f.Link(c, d, 1);
    (void)curved;
    AddShapePoint(f.Net, 75, 140, 0, c->Links.At(c->Links.GetCount() - 1));
    (*f.Net.NodeClasses)[1].Name = "Centroid";
    (*f.Net.NodeClasses)[1].Width = 4;
    (*f.Net.NodeClasses)[1].Color = 3;
    d->EntityType = 1;
    f.Display.GlobalLinkStyle = 3;
    const QImage full = f.Paint(180, 170, 1.0);
    const QImage half = f.Paint(100, 90, 0.5);
    EXPECT_TRUE(MatchesGolden(full, "network_1to1.png"));
    EXPECT_TRUE(MatchesGolden(half, "network_1to2.png"));
    // Node A's square at (10, 10) and (5, 5); the blue link B-C at x = 160 and 80.
    EXPECT_EQ(full.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(half.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(full.pixel(160, 60), qRgb(0, 0, 255));
    EXPECT_EQ(half.pixel(80, 30), qRgb(0, 0, 255));
}

TEST(DrawSymbols, RotatedImagesNeverMixTheKeyIntoTheSymbol)
{
    // A symbol of one colour on a white key: every rotated pixel is either the
    // key or that colour.
    QImage src(9, 5, QImage::Format_RGB888);
    src.fill(Qt::white);
    for (int x = 1; x < 8; ++x)
        for (int y = 1; y < 4; ++y) src.setPixel(x, y, qRgb(200, 30, 10));
    for (double angle : {0.5, 30.0, 90.0, -135.0}) {
        int side = int(pround(std::sqrt(2.0) * 9));
        if (side % 2 == 0) ++side;
        QImage target(side, side, QImage::Format_RGB888);
        RotateBitmap(src, target, angle, side / 2);
        int symbol = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QRgb p = target.pixel(x, y);
                ASSERT_TRUE(p == qRgb(255, 255, 255) || p == qRgb(200, 30, 10)) << angle << " at " << x << "," << y;
                symbol += p != qRgb(255, 255, 255);
            }
        EXPECT_GT(symbol, 10) << angle;
        EXPECT_EQ(target.pixel(0, side - 1), qRgb(255, 255, 255));
    }
}

TEST(DrawSymbols, ImageLinesAndRecolouring)
{
    TDrawFixture f;
    f.Pad.OriginX = f.Pad.OriginY = 0;
    QImage img(5, 3, QImage::Format_RGB888);
    img.fill(Qt::white);
    img.setPixel(2, 1, qRgb(0, 0, 0));
    f.Images.SetLink(7, img);
    TRecordingCanvas rc;
    DrawBitmapLine(rc, f.Pad, 0, 0, f.Images.Link(7), false, 1, 30, 0);
    auto stamps = rc.Find("Image");
    ASSERT_EQ(stamps.size(), 10u); // every third point of 30
    EXPECT_EQ(stamps[0]->Args, (std::vector<int32_t>{-2, -1}));
    EXPECT_EQ(stamps[9]->Args, (std::vector<int32_t>{25, -1}));
    // The image's key colour is transparent.
    EXPECT_EQ(qAlpha(stamps[0]->Image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(stamps[0]->Image.pixel(2, 1)), 255);

    // A link image by width in class-style mode (width - 10), stamped along the link.
    TRecordingCanvas lc;
    f.Widths.LinkStyleMode = 2;
    DrawLink(lc, f.Pad, 0, 0, false, nullptr, false, false, true, 0, 17, 2, 0, 12);
    EXPECT_EQ(lc.Find("Image").size(), 4u);
    EXPECT_TRUE(lc.Find("Line").empty());
    // An image number past the table draws a plain line.
    TRecordingCanvas pc;
    DrawLink(pc, f.Pad, 0, 0, false, nullptr, false, false, true, 0, 250, 2, 0, 12);
    EXPECT_EQ(pc.Find("Line").size(), 1u);

    // Silhouettes: every pixel but the key takes the colour; a colour equal
    // to the key turns the key black.
    const QImage red = RecolourImage(img, 0xFF0000);
    EXPECT_EQ(red.pixel(2, 1), qRgb(255, 0, 0));
    EXPECT_EQ(red.pixel(0, 0), qRgb(255, 255, 255));
    const QImage white = RecolourImage(img, 0xFFFFFF);
    EXPECT_EQ(white.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(white.pixel(2, 1), qRgb(255, 255, 255));

    // Node images: drawn at (X - W div 2, Y - W div 2); numbers outside the table draw a shape.
    TRecordingCanvas nc;
    f.Images.SetNode(12, img);
    f.Widths.NodeStyleMode = 2;
    TNode node;
    EXPECT_EQ(DrawNode(nc, f.Pad, 20, 20, nullptr, &node, false, true, false, false, 3, 22, 1), (TCanvasSize{5, 3}));
    ASSERT_EQ(nc.Find("Image").size(), 1u);
    EXPECT_EQ(nc.Find("Image")[0]->Args, (std::vector<int32_t>{18, 18}));
    EXPECT_EQ(DrawNode(nc, f.Pad, 20, 20, nullptr, &node, false, true, false, false, 3, 255, 1), (TCanvasSize{8, 8}));
    EXPECT_EQ(nc.Find("Image").size(), 1u);
}

TEST(DrawSymbols, TheSamePassDrawsAnSvgFile)
{
    TDrawFixture f;
    f.Link(f.Node(0, 0), f.Node(100, 50))->Name = "Plotted";
    f.Labels.LinkLabelCodes[0][1] = 101;
    f.Labels.UpdateClassLabelled();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(QSize(200, 100));
    svg.setViewBox(QRect(0, 0, 200, 100));
    {
        QPainter p(&svg);
        TQPainterCanvas c(p);
        c.SetZoomMapping(1.0);
        TDrawRun run;
        DrawNetwork(f.Pad, c, {0, 0, 200, 100}, 1.0, 0, 0, false, true, run);
        DrawCrosshair(f.Pad, c, 1.0, 0, 0, 200, 100, false); // exclusive-or draws plainly here
    }
    const QByteArray text = out.data();
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains("Plotted"));
    EXPECT_TRUE(text.contains("#0000ff"));
}
