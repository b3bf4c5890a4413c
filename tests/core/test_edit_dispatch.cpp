#include "core/EditingDispatch.h"

#include "test_edit_support.h"

using namespace edittest;

namespace {

struct Pad {
    TNetwork net;
    TViewRecord view;
    TEditState edit;
    TPressResult Left(int32_t x, int32_t y) { return SketchPress(net, view, edit, false, x, y); }
    TPressResult Right(int32_t x, int32_t y) { return SketchPress(net, view, edit, true, x, y); }
    TPressResult Click(const TNode* n, bool right = false) { return SketchPress(net, view, edit, right, n->X, n->Y); }
    void Mode(uint8_t m) { SetSketchMode(view, edit, m); }
};

} // namespace

TEST(EditDispatch, LinkPlotChainsAndDeleteUndeleteRestoresTheLink)
{
    Pad pad;
    (*pad.net.LinkClasses)[1].AttributeCount = 1;
    pad.net.TemplateLinkValues.EntityType = 1;
    pad.net.TemplateLinkValues.Values[0].SetReal(12);
    TNode* a = Node(pad.net, 0, 0);
    TNode* b = Node(pad.net, 100, 0);
    TNode* c = Node(pad.net, 100, 100);
    pad.Mode(ModeLinkPlot);

    pad.Click(a);
    pad.Click(b, true); // a right click acts as a left click
    ASSERT_EQ(LinksBetween(a, b).size(), 1u);
    EXPECT_EQ(pad.view.CurrentNode, b);
    pad.Left(c->X + 2, c->Y - 1); // near enough
    EXPECT_EQ(LinksBetween(b, c).size(), 1u);
    pad.Click(c); // the current node itself: nothing
    pad.Mode(ModeLinkPlot);
    pad.Click(a);
    pad.Click(b);
    EXPECT_EQ(ActiveLinkCount(pad.net), 2);

    pad.Mode(ModeLinkDelete);
    pad.Click(a);
    pad.Click(c); // no link between them: both picks dropped
    EXPECT_EQ(pad.view.CurrentNode, nullptr);
    pad.Click(b);
    pad.Click(b); // the same node twice: the first pick stays
    EXPECT_EQ(pad.view.CurrentNode, b);
    TPressResult r = pad.Click(a);
    EXPECT_TRUE(r.Has(PadRepaint));
    TLinkValues* ab = r.Link->LinkValues;
    EXPECT_FALSE(ab->Active);
    EXPECT_EQ(Undelete(pad.net, pad.view, pad.edit, false), TUndeleteResult::Link);
    EXPECT_TRUE(ab->Active);
    EXPECT_EQ(ab->Values[0].Real(), 12);
}

TEST(EditDispatch, CrosshairModesMoveOnLeftAndCommitOnRight)
{
    Pad pad;
    pad.Mode(ModeNodePlot);
    TPressResult r = pad.Left(40, 50);
    EXPECT_TRUE(r.Has(PadCrosshair) && r.Has(PadWriteCoordinates));
    EXPECT_EQ(pad.net.NodeCount, 0);
    r = pad.Right(900, 900); // plots at the crosshair, not at the click
    ASSERT_NE(r.Node, nullptr);
    EXPECT_EQ(r.Node->X, 40);
    TNode* a = r.Node;
    pad.Left(200, 50);
    TNode* b = pad.Right(0, 0).Node;
    ASSERT_NE(b, nullptr);
    pad.Mode(ModeLinkPlot);
    pad.Click(a);
    pad.Click(b);

    // Link Split: pick the ends, place with left clicks, commit with right.
    pad.Mode(ModeLinkSplit);
    pad.Click(a);
    r = pad.Click(b);
    EXPECT_EQ(pad.edit.SketchMode, ModeLinkSplitPlacing);
    pad.Left(120, 80);
    r = pad.Right(0, 0);
    ASSERT_NE(r.Node, nullptr);
    TNode* mid = r.Node;
    EXPECT_EQ(r.Node->Y, 80);
    EXPECT_EQ(pad.edit.SketchMode, ModeLinkSplit);
    EXPECT_EQ(LinksBetween(a, r.Node).size(), 1u);
    EXPECT_EQ(LinksBetween(r.Node, b).size(), 1u);

    // Node Move: the node goes, comes back at the right click.
    pad.Mode(ModeNodeMove);
    pad.Click(a);
    EXPECT_EQ(pad.edit.SketchMode, ModeNodeMovePlacing);
    EXPECT_FALSE(a->Active);
    pad.Left(-60, -70);
    pad.Right(0, 0);
    EXPECT_TRUE(a->Active);
    EXPECT_EQ(a->X, -60);
    EXPECT_EQ(a->Y, -70);
    EXPECT_EQ(pad.edit.SketchMode, ModeNodeMove);
    EXPECT_EQ(pad.net.MinX, -60);
    ExpectConsistent(pad.net);

    // Insert Shape Point between the two ends, placed at the crosshair.
    pad.Mode(ModeInsertShapePoint);
    TLinkValues* an = LinksBetween(a, mid)[0];
    pad.Click(a);
    pad.Click(mid);
    EXPECT_EQ(pad.edit.SketchMode, ModeInsertShapePlacing);
    pad.Left(30, 30);
    r = pad.Right(0, 0);
    ASSERT_NE(r.ShapePoint, nullptr);
    EXPECT_EQ(an->ShapePoints.GetCount(), 1);
    EXPECT_EQ(pad.edit.SketchMode, ModeInsertShapePoint);

    // Nothing while the window prints.
    pad.view.Plotting = 1;
    pad.Mode(ModeNodeDelete);
    EXPECT_EQ(pad.Click(a).Requests, 0u);
    EXPECT_TRUE(a->Active);
}

TEST(EditDispatch, OpenSelectAndMergeReportWhatTheWindowShows)
{
    Pad pad;
    TNode* a = Node(pad.net, 0, 0);
    TNode* b = Node(pad.net, 100, 0);
    TLinkValues* ab = Link(pad.net, a, b);
    TShapePoint* sp = Shape(pad.net, ab, 50, 20);

    pad.net.Modified = false;
    pad.Mode(ModeSelect);
    TPressResult r = pad.Left(51, 21);
    EXPECT_TRUE(r.Has(PadSelect));
    EXPECT_EQ(r.ShapePoint, sp);
    EXPECT_FALSE(pad.net.Modified); // selecting changes nothing
    r = pad.Left(500, 500);
    EXPECT_TRUE(r.Has(PadSelect));
    EXPECT_EQ(r.Node, nullptr);

    pad.Mode(ModeNodeOpen);
    EXPECT_TRUE(pad.Click(a).Has(PadNodeDialog));
    EXPECT_TRUE(pad.Click(a, true).Has(PadAttributesDialog));
    pad.Mode(ModeLinkOpen);
    pad.Click(b);
    r = pad.Click(a);
    EXPECT_TRUE(r.Has(PadLinkDialog));
    EXPECT_EQ(r.Link->LinkValues, ab);
    pad.Mode(ModeShapeOpen);
    EXPECT_TRUE(pad.Left(50, 20).Has(PadLongLatDialog));
    EXPECT_TRUE(pad.Right(50, 20).Has(PadLinkDialog));

    // Merge two nodes whose rings cannot be joined.
    TNode* s = Node(pad.net, 300, 0);
    TNode* t = Node(pad.net, 400, 0);
    for (int i = 0; i < 3; ++i) AddVertex(s, Node(pad.net, 300 + 10 * i, 100));
    for (int i = 0; i < 3; ++i) AddVertex(t, Node(pad.net, 400 + 10 * i, 100));
    pad.Mode(ModeNodeMerge);
    pad.Click(s);
    r = pad.Click(t);
    EXPECT_TRUE(r.Has(PadPolygonNotMerged));
    EXPECT_FALSE(s->Active);
    EXPECT_EQ(pad.view.CurrentNode, nullptr);
    ExpectConsistent(pad.net);
}
