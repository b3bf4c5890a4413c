#include "core/expr/ExpressionNetwork.h"
#include "core/expr/LabelText.h"
#include "core/expr/WidthSizes.h"
#include "core/file/TextFormat.h"
#include "core/model/LabelSettings.h"
#include "core/model/Messages.h"
#include "core/model/WindowSettings.h"
#include "core/model/WidthSettings.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

using namespace exprtest;

namespace {

struct LabelWorld {
    TNetwork Net;
    TLabelSettings Labels;
    TWidthSettings Widths;
    TNode* A;
    TNode* B;
    TLink* AB;
    LabelWorld()
    {
        TClassRecord& nc = (*Net.NodeClasses)[1];
        nc.Name = "Stop";
        AddAttribute(nc, 'R', "Volume");
        AddAttribute(nc, 'C', "Kind", 2);
        AddAttribute(nc, 'X', "Opened");
        TAttrib& s = AddAttribute(nc, 'S', "Owner");
        s.StringIndex = 0;
        AddAttribute(nc, 'I', "Count");
        TClassRecord& lc = (*Net.LinkClasses)[2];
        lc.Name = "Road";
        AddAttribute(lc, 'R', "Speed");
        THashEntry* cell;
        A = AddNode(Net, 0, 0, cell, false, 5);
        B = AddNode(Net, 30, 40, cell, false, 0);
        A->EntityType = 1;
        A->Values[0].SetReal(1234.5678);
        A->Values[1] = PackShortText("BQX");
        A->Values[2].SetReal(PackedDate(2003, 1, 2));
        A->Values[4].SetReal(42);
        A->Strings = {"City of Springfield and Shelbyville"};
        A->Name = "Alpha";
        A->SetNote("one&&two&&");
        A->Longitude = -1234567890;
        A->Elevation = 125000;
        TLink* hb;
        AddLink(Net, A, B, false, 1, AB, hb);
        AB->LinkValues->EntityType = 2;
        AB->LinkValues->Values[0].SetReal(55);
        AB->LinkValues->Name = "Main";
        Widths.LinkWidthExpressions[2] = "speed * 2 : LENGTH";
        Widths.NodeSizeExpressions[1] = "volume / 2";
    }
};

} // namespace

TEST(Labels, TextsByCode)
{
    LabelWorld w;
    TExprBinding bind(w.Net, nullptr, nullptr);
    auto node = [&](int code) {
        w.Labels.NodeLabelCodes[1][1] = code;
        return NodeLabelText(w.Net, bind, w.Labels, w.Widths, *w.A, 1);
    };
    EXPECT_EQ(node(0), "");
    EXPECT_EQ(node(1), "1234.5678");
    w.Labels.RoundedNumbers = 1;
    EXPECT_EQ(node(1), "1235");
    w.Labels.RoundedNumbers = 0;
    w.Labels.Precision = 3;
    EXPECT_EQ(node(1), RealText(false, 3, 1234.5678));
    EXPECT_EQ(node(2), "BQ"); // cut to the code positions
    EXPECT_EQ(node(3), "1/2/2003");
    EXPECT_EQ(node(4), "City of Springfield and Shelby"); // the node length, 30
    EXPECT_EQ(node(5), "42");
    EXPECT_EQ(node(6), ""); // no such attribute
    EXPECT_EQ(node(101), "Alpha");
    EXPECT_EQ(node(102), "617.2839");
    EXPECT_EQ(node(105), "0");
    EXPECT_EQ(node(104), ""); // no polygon
    EXPECT_EQ(node(106), "one");
    EXPECT_EQ(node(107), "two");
    EXPECT_EQ(node(108), "-123.456789");
    EXPECT_EQ(node(110), "12.5");
    w.Labels.NodeLength = 4;
    EXPECT_EQ(node(101), "Alph");
    // The element's own code wins over the class's.
    w.A->Label1 = 101;
    EXPECT_EQ(NodeLabelCode(w.Labels, *w.A, 1), 101);

    auto link = [&](int code) {
        w.Labels.LinkLabelCodes[2][2] = code;
        return LinkLabelText(w.Net, bind, w.Labels, w.Widths, *w.AB, 2);
    };
    EXPECT_EQ(link(1), "55");
    EXPECT_EQ(link(101), "Main");
    EXPECT_EQ(link(102), "110");
    EXPECT_EQ(link(103), "50");

    TExpressionText t = LinkWidthExpressionText(w.Net, bind, w.Widths, *w.AB, 2);
    EXPECT_EQ(t.Value, 50);
    EXPECT_EQ(t.ErrorPos, 0);
    w.Widths.LinkWidthExpressions[2] = "speed/0";
    t = LinkWidthExpressionText(w.Net, bind, w.Widths, *w.AB, 1);
    EXPECT_EQ(t.ErrorPos, 8);
    t = LinkWidthExpressionText(w.Net, bind, w.Widths, *w.AB, 2);
    EXPECT_EQ(t.Value, 0);
    EXPECT_EQ(t.ErrorPos, 0);
}

TEST(Labels, Extents)
{
    LabelWorld w;
    TLabelExtents e = ComputeLabelExtents(w.Labels, *w.Net.NodeClasses, *w.Net.LinkClasses, 12345);
    EXPECT_FALSE(e.AnyNodeLabels);
    EXPECT_FALSE(e.AnyLinkLabels);
    EXPECT_EQ(w.Labels.HorizontalMargin, 0);

    w.Labels.NodeLabelCodes[1][1] = 101;       // 30 characters
    w.Labels.NodeLabelCodes[1][2] = 2;         // 2 code positions
    w.Labels.FontRecords[0].Height = -20;
    w.Labels.LinkLabelCodes[2][1] = 103;       // digits of the node count
    w.Labels.LinkClassFont[2] = 1;
    w.Labels.FontRecords[1].Height = 10;
    w.Labels.NodeLength = 12;
    e = ComputeLabelExtents(w.Labels, *w.Net.NodeClasses, *w.Net.LinkClasses, 12345);
    EXPECT_TRUE(e.AnyNodeLabels);
    EXPECT_TRUE(e.AnyLinkLabels);
    EXPECT_EQ(e.NodeHorizontal, 150); // 12 characters x 10, x 1.25
    EXPECT_EQ(e.NodeVertical, 40);    // two lines
    EXPECT_EQ(e.LinkHorizontal, 31);  // 5 x 5 = 25, x 1.25 = 31.25
    EXPECT_EQ(e.LinkVertical, 10);
    EXPECT_EQ(w.Labels.HorizontalMargin, 150);
    EXPECT_EQ(w.Labels.VerticalMargin, 40);
    w.Labels.RotateLabels = 1;
    ComputeLabelExtents(w.Labels, *w.Net.NodeClasses, *w.Net.LinkClasses, 12345);
    EXPECT_EQ(w.Labels.VerticalMargin, 150);
}

TEST(Labels, StyleEvaluatorOverAWalk)
{
    LabelWorld w;
    for (int k = 1; k <= 40; ++k) {
        w.Widths.LinkBottom[k] = (k - 1) * 10;
        w.Widths.LinkTop[k] = k * 10 - 1;
    }
    TExprBinding bind(w.Net, nullptr, nullptr);
    TStyleEvaluator links;
    links.Prepare(w.Net, bind, w.Widths, 1);
    TStyleParts p = links.LinkParts(*w.AB);
    EXPECT_EQ(p.Count, 2);
    EXPECT_EQ(p.Values[0], 110);
    EXPECT_EQ(p.Values[1], 50);
    EXPECT_EQ(p.Part[0], 12);
    EXPECT_EQ(p.Part[1], 6);
    EXPECT_EQ(p.Part[2], -1);
    // A node evaluator over nodes of a class with an expression and one without.
    TStyleEvaluator nodes;
    nodes.Prepare(w.Net, bind, w.Widths, 0);
    EXPECT_EQ(nodes.NodeParts(*w.A).Values[0], 617.2839);
    EXPECT_EQ(nodes.NodeParts(*w.B).Count, 0);
}

TEST(Labels, ClearAndResetOverrides)
{
    LabelWorld w;
    w.A->Label1 = 101;
    w.A->Font = 3;
    w.A->SetLabelOffset(7, w.A->LabelYOffset());
    w.B->Active = 0;
    w.B->Label2 = 5;
    w.AB->LinkValues->Place = 4;
    ResetAllEntityLabels(w.Net);
    EXPECT_EQ(w.A->Label1, 0);
    EXPECT_EQ(w.A->Font, 0);
    EXPECT_EQ(w.A->LabelXOffset(), 0);
    EXPECT_EQ(w.B->Label2, 5); // hidden elements keep theirs
    EXPECT_EQ(w.AB->LinkValues->Place, 0);
    EXPECT_TRUE(w.Net.Modified);

    TWindowSettings settings;
    settings.Labels.NodeLabelCodes[1][1] = 101;
    ComputeLabelExtents(w.Net, settings);
    EXPECT_TRUE(settings.Labels.AnyNodeLabels);
    ClearLabels(w.Net, settings);
    EXPECT_FALSE(settings.Labels.AnyNodeLabels);
    EXPECT_EQ(settings.Labels.FontNames[0], "0. Arial");
    EXPECT_EQ(settings.Labels.FontNames[3], "3. " + MessageText(213));
}
