// The plot page: what a setup is refused for, the page rectangle and its
// handles on the window, a printer's page and a picture's area.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/edit/PlotPage.h"

TEST(PlotPage, SetupsRefusedFieldByField)
{
    const TPlotExtents small{0, 0, 1000, 800};
    TPlotPage p;
    EXPECT_EQ(PageSetupBadFields(p, small), 0u);

    TPlotPage q = p;
    q.Top = 10.5; // not above the bottom: both are marked
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageTop | PageBottom));
    q = p;
    q.Left = 8; // equal to the right margin
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageLeft | PageRight));
    q = p;
    q.Left = -0.1;
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageLeft));
    q = p;
    q.Ppi = 0.99; // a scale below 1 (and 0, which would divide)
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageScale));
    q.Ppi = 0;
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageScale));
    q = p;
    q.ShiftDown = std::numeric_limits<double>::quiet_NaN();
    q.Right = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageShiftDown | PageRight));
    // A shift that leaves the 32-bit range once multiplied by the scale.
    q = p;
    q.ShiftRight = 3e7;
    EXPECT_EQ(PageSetupBadFields(q, small), unsigned(PageShiftRight));
    q.Ppi = 50; // 1.5e9 fits
    EXPECT_EQ(PageSetupBadFields(q, small), 0u);

    // The picture-size rule pairs the network's width with the page height.
    const TPlotExtents wide{0, 0, 60001, 100};
    q = p;
    q.Ppi = 6000; // page 10 in high: 60000 pixels
    EXPECT_EQ(PageSetupBadFields(q, wide), unsigned(PageTop | PageBottom | PageScale));
    q.Ppi = 5999;
    EXPECT_EQ(PageSetupBadFields(q, wide), 0u);
    EXPECT_EQ(PageSetupBadFields(q, TPlotExtents{0, 0, 60000, 100}), 0u);
    q.Ppi = 8000; // a tall network and a page 7.5 in wide: 60000 pixels
    EXPECT_EQ(PageSetupBadFields(q, TPlotExtents{0, 0, 100, 60001}), unsigned(PageLeft | PageRight | PageScale));
}

TEST(PlotPage, RectangleAndHandlesOnTheWindow)
{
    TPlotPage p; // 96 ppi, margins 0.5 8 0.5 10.5, shift 0.5 0.5
    EXPECT_DOUBLE_EQ(TitleGap(false, -32, 96), 0);
    EXPECT_DOUBLE_EQ(TitleGap(true, -48, 96), 0.5 + 0.333);

    TPageRectangle r = PageRectangle(p, 0, 0, 0);
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Top, 0);
    EXPECT_EQ(r.Right, 720);
    EXPECT_EQ(r.Bottom, 960);
    r = PageRectangle(p, 0.5, 100, 30); // a title, scrolled by 100, 30 units
    EXPECT_EQ(r.Left, -100);
    EXPECT_EQ(r.Top, 48 - 30);
    EXPECT_EQ(r.Bottom, 930);
    EXPECT_FALSE(r.RightCut || r.BottomCut || r.TopCut);
    // Beyond the drawing range: put just outside it and cut.
    p.Bottom = 5000;
    r = PageRectangle(p, 0, 0, 0);
    EXPECT_TRUE(r.BottomCut);
    EXPECT_EQ(r.Bottom, 320010);
    p.Left = -4000;
    r = PageRectangle(p, 0, 0, 0);
    EXPECT_TRUE(r.LeftCut);
    EXPECT_EQ(r.Left, -320010);

    // Handles at 3:2, scrolled: placing and dragging are inverse to each other.
    p = TPlotPage{};
    const TPageView v{1.5, 40, 70, 0, 0};
    const double gap = TitleGap(true, -32, p.Ppi);
    const TPixelPoint t = TopHandlePlace(p, gap, v), b = BottomHandlePlace(p, v);
    EXPECT_EQ(t.X, -40);
    EXPECT_EQ(b.X, int32_t(std::lround(7.5 * 96 * 1.5)) - 40);
    TPlotPage d = p;
    DragTopHandle(d, gap, v, t.X + 144, t.Y); // one inch at 96 ppi and 3:2
    EXPECT_NEAR(d.ShiftRight, p.ShiftRight - 1, 1e-9);
    EXPECT_NEAR(d.ShiftDown, p.ShiftDown, 0.01);
    d = p;
    DragBottomHandle(d, v, b.X - 72, b.Y + 144);
    EXPECT_NEAR(d.Right, p.Right - 0.5, 1e-9);
    EXPECT_NEAR(d.Bottom, p.Bottom + 1, 1e-9);
    EXPECT_EQ(TopHandleHint(d), "Image left = 0.500; Image down = 0.500");
    EXPECT_EQ(BottomHandleHint(d), "Right margin = 7.500; Bottom margin = 11.500");
}

TEST(PlotPage, PrinterPageAndPictureArea)
{
    TPlotPage p;
    p.Ppi = 100;
    TPrintDevice dev{600, 600, 30, 60, 4800, 6000};
    TPrintLayout l = PrintLayout(p, dev, false, -32, false);
    EXPECT_DOUBLE_EQ(l.Ratio, 6.0);
    EXPECT_EQ(l.ClipLeft, 300 - 30);
    EXPECT_EQ(l.ClipTop, 300 - 60);
    EXPECT_EQ(l.ClipRight, 4800 - 30);
    EXPECT_EQ(l.ClipBottom, 6000); // held to the printable height
    EXPECT_EQ(l.ShiftX, 50 - 5);   // (0.5 in - 30/600 in) x 100
    EXPECT_EQ(l.ShiftY, 50 - 10);
    // A title: anchored at the left margin, and the network starts below it.
    l = PrintLayout(p, dev, true, -50, false);
    EXPECT_EQ(l.TitleX, 45);
    EXPECT_EQ(l.TitleY, 40);
    EXPECT_EQ(l.ClipTop, int32_t(std::lround((0.5 + 0.5 + 0.333) * 600)) - 60);
    l = PrintLayout(p, dev, true, -50, true);
    EXPECT_EQ(l.TitleX, int32_t(std::lround((4.25 - 0.05) * 100)));
    // A negative printing offset larger than the margin leaves the clip at 0.
    dev.OffsetX = 400;
    EXPECT_EQ(PrintLayout(p, dev, false, 0, false).ClipLeft, 0);

    // The picture: the network with 10 units all round, or the page.
    const TPlotExtents e{100, 200, 900, 700};
    TPictureArea a = PictureArea(TPlotPage{}, false, 0, e, 10 - 100, 10 - 200, 96);
    EXPECT_EQ(a.Left, 0);
    EXPECT_EQ(a.Top, 0);
    EXPECT_EQ(a.Width, 820);
    EXPECT_EQ(a.Height, 520);
    EXPECT_EQ(a.PixelWidth, 820);
    a = PictureArea(TPlotPage{}, false, 0, e, 10 - 100, 10 - 200, 144); // a finer screen
    EXPECT_DOUBLE_EQ(a.Ratio, 1.5);
    EXPECT_EQ(a.PixelHeight, 780);
    a = PictureArea(TPlotPage{}, true, 0.5, e, 10 - 100, 10 - 200, 96);
    EXPECT_EQ(a.Left, 0);
    EXPECT_EQ(a.Top, 48);
    EXPECT_EQ(a.Width, 720);
    EXPECT_EQ(a.Height, 960 - 48);
}
