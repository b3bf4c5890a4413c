#include "core/expr/ExpressionNetwork.h"
#include "core/expr/WidthSizes.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

using namespace exprtest;

TEST(WidthSizes, SplittingAndIntervals)
{
    EXPECT_EQ(SplitStyleExpression("A1*2:A2"), (std::vector<std::string>{"A1*2", "A2"}));
    EXPECT_EQ(SplitStyleExpression("'a:b':{1/1/2000,1:2:3}:3"),
              (std::vector<std::string>{"'a:b'", "{1/1/2000,1:2:3}", "3"}));
    EXPECT_EQ(SplitStyleExpression("1:2:3:4", 2), (std::vector<std::string>{"1", "2"}));
    double top[41] = {}, bottom[41] = {};
    top[1] = 10, bottom[1] = 0;
    top[2] = 20, bottom[2] = 10; // 10 falls in the first interval that holds it
    EXPECT_EQ(IntervalOf(10, top, bottom), 1);
    EXPECT_EQ(IntervalOf(15, top, bottom), 2);
    EXPECT_EQ(IntervalOf(-1, top, bottom), -1);
}

TEST(WidthSizes, WidthsByExpressionAndInterval)
{
    World w;
    AddAttribute(w.LinkClasses[1], 'R', "Volume");
    AddAttribute(w.LinkClasses[1], 'C', "Kind", 2);
    std::array<int32_t, ExprSlots> kinds = ClassKinds(&w.LinkClasses[1]);
    EXPECT_EQ(kinds[1], 0);
    EXPECT_EQ(kinds[2], 2);

    FakeElement link;
    link.Class = 1;
    TStyleExpression style;
    style.Prepare("volume / 100 : kind = 'AB' : 1/0", 1, ExprMode::Link, kinds, w.Env);
    ASSERT_EQ(style.PartCount(), 3);
    ExpressionContext ctx;
    ctx.Kinds = kinds;
    ctx.Values[1] = 250;
    ctx.Values[2] = Packed("AB      ");
    double values[10];
    bool ok[10];
    int n = style.Evaluate(ctx, {}, LinkOf(link), w.Env, values, ok);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(values[0], 2.5);
    EXPECT_EQ(values[1], 1);
    EXPECT_FALSE(ok[2]);

    double top[41], bottom[41];
    int32_t table[41];
    for (int k = 0; k <= 40; ++k) {
        bottom[k] = k - 1;
        top[k] = k - 0.5;
        table[k] = 100 + k;
    }
    TStyleParts parts = ClassifyStyleParts(values, ok, n, top, bottom);
    EXPECT_EQ(parts.Part[0], 3);  // 2.5 in [2, 2.5]
    EXPECT_EQ(parts.Part[1], 2);  // 1 in [1, 1.5]
    EXPECT_EQ(parts.Part[2], -1); // failed
    TLinkStyle s = LinkStyleFromParts(parts, 0, true, 1, 3, 5, table);
    EXPECT_EQ(s.Width, 103);
    EXPECT_EQ(s.Extra, 102);
    EXPECT_EQ(s.Colour, 5); // part 3 failed: the class colour
    s = LinkStyleFromParts(parts, 1, true, 1, 3, 5, table);
    EXPECT_EQ(s.Colour, 16);
    EXPECT_EQ(s.Width, 102);
    s = LinkStyleFromParts(parts, 2, true, 1, 3, 5, table);
    EXPECT_EQ(s.Width, 3);
    EXPECT_EQ(s.Colour, 5);
    // Not found: interval 1, and no colour unless such elements are shown.
    TStyleParts none;
    s = LinkStyleFromParts(none, 0, false, 1, 3, 5, table);
    EXPECT_EQ(s.Width, 101);
    EXPECT_EQ(s.Colour, 0);
    // Unclassed elements in a mode other than 2.
    s = LinkStyleFromParts(parts, 0, true, 0, 3, 5, table);
    EXPECT_EQ(s.Width, 101);
    EXPECT_EQ(s.Extra, 0);

    TNodeStyle ns = NodeStyleFromParts(parts, 3, true, 1, 7, 5, 2, table);
    EXPECT_EQ(ns.PolygonStyle, 40);
    EXPECT_EQ(ns.Size, 102);
    EXPECT_EQ(ns.Colour, 5);
    ns = NodeStyleFromParts(parts, 2, true, 1, 0, 5, 2, table);
    EXPECT_EQ(ns.Size, 1);
    table[3] = -3;
    ns = NodeStyleFromParts(parts, 1, true, 1, 7, 5, 2, table);
    EXPECT_EQ(ns.Size, 0);
    EXPECT_EQ(ns.Colour, 0);
}

TEST(WidthSizes, LargestWidthAndSize)
{
    int32_t widths[41], sizes[41];
    for (int k = 0; k <= 40; ++k) widths[k] = sizes[k] = k;
    TMaxWidthInputs in;
    in.LinkWidths = widths;
    in.NodeSizes = sizes;
    in.LinkStyleMode = 0;
    in.NodeStyleMode = 0;
    in.GlobalShape = 3;
    in.NodeClassSizes = {1, 50};
    TMaxWidths m = ComputeMaxWidths(in);
    EXPECT_EQ(m.MaxLinkWidth, 80);
    EXPECT_EQ(m.MaxNodeCircle, 50);
    EXPECT_TRUE(m.WideLinks);
    EXPECT_TRUE(m.LargeNodeSymbols);

    in.LinkStyleMode = 2;
    in.LinkClassWidths = {1, 12, 15};
    in.GlobalShape = 1;
    in.NodeStyleMode = 2;
    in.NodeClassSizes = {11, 3};
    in.LinkImageSize = [](int k, const void*) { return k == 2 ? 9 : 0; };
    in.NodeImageSize = [](int k, const void*) { return k == 1 ? 31 : 0; };
    m = ComputeMaxWidths(in);
    EXPECT_EQ(m.MaxLinkWidth, 18); // image 2 is 9 wide; width 15 has no image
    EXPECT_EQ(m.MaxNodeCircle, 16);
    EXPECT_FALSE(m.WideLinks);
    EXPECT_FALSE(m.LargeNodeSymbols);
}

#include "core/model/DisplaySettings.h"
#include "core/model/WidthSettings.h"

TEST(WidthSizes, LargestWidthFromTheRecords)
{
    TWidthSettings w;
    TDisplaySettings d;
    TEntityClass nodes, links;
    nodes[1].Name = "Zone";
    nodes[1].Width = 25;
    nodes[3].Name = "Beyond the named classes";
    nodes[3].Width = 99;
    d.GlobalShape = 3;
    w.LinkStyleMode = 0;
    ComputeMaxWidths(w, d, nodes, links);
    EXPECT_EQ(w.MaxLinkWidth, 80); // twice the widest interval width, 40
    EXPECT_EQ(w.MaxNodeCircle, 25);
}
