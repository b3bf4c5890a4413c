#include "core/EditingDispatch.h"

#include "test_edit_support.h"

using namespace edittest;

namespace {

struct Pad {
    TNetwork net;
    TViewRecord view;
    TEditState edit;
    TPressResult Press(int32_t x, int32_t y, bool right = false) { return SketchPress(net, view, edit, right, x, y); }
    TPressResult Click(const TNode* n, bool right = false) { return Press(n->X, n->Y, right); }
    void Mode(uint8_t m) { SetSketchMode(view, edit, m); }
};

} // namespace

TEST(EditDispatch, LinkPlotChainsAndTwoEndPicks)
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
    EXPECT_EQ(LinksBetween(a, b).size(), 1u);
    EXPECT_EQ(pad.view.CurrentNode, b);
    pad.Press(c->X + 2, c->Y - 1); // near enough; chained from b
    EXPECT_EQ(LinksBetween(b, c).size(), 1u);
    pad.Mode(ModeLinkPlot);
    pad.Click(a);
    pad.Click(b); // joined already: nothing
    EXPECT_EQ(ActiveLinkCount(pad.net), 2);

    pad.Mode(ModeLinkDelete);
    pad.Click(a);
    pad.Click(c); // no link between them: both picks dropped
    EXPECT_EQ(pad.view.CurrentNode, nullptr);
    pad.Click(b);
    pad.Click(b); // the same node twice: the first pick stays
    EXPECT_EQ(pad.view.CurrentNode, b);
    TLinkValues* ab = pad.Click(a).Link->LinkValues;
    EXPECT_FALSE(ab->Active);
    EXPECT_EQ(Undelete(pad.net, pad.view, pad.edit, false), TUndeleteResult::Link);
    EXPECT_TRUE(ab->Active);
    EXPECT_EQ(ab->Values[0].Real(), 12);
}

TEST(EditDispatch, CrosshairModesMoveOnLeftAndCommitOnRight)
{
    Pad pad;
    pad.Mode(ModeNodePlot);
    EXPECT_TRUE(pad.Press(40, 50).Has(PadCrosshair));
    EXPECT_EQ(pad.net.NodeCount, 0);
    TNode* a = pad.Press(900, 900, true).Node; // at the crosshair, not at the click
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->X, 40);
    pad.Press(200, 50);
    TNode* b = pad.Press(0, 0, true).Node;
    pad.Mode(ModeLinkPlot);
    pad.Click(a);
    pad.Click(b);

    pad.Mode(ModeLinkSplit);
    pad.Click(a);
    pad.Click(b);
    EXPECT_EQ(pad.edit.SketchMode, ModeLinkSplitPlacing);
    pad.Press(120, 80);
    TNode* mid = pad.Press(0, 0, true).Node;
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(mid->Y, 80);
    EXPECT_EQ(pad.edit.SketchMode, ModeLinkSplit);
    EXPECT_EQ(LinksBetween(a, mid).size() + LinksBetween(mid, b).size(), 2u);

    pad.Mode(ModeNodeMove);
    pad.Click(a);
    EXPECT_FALSE(a->Active);
    pad.Press(-60, -70);
    pad.Press(0, 0, true);
    EXPECT_TRUE(a->Active);
    EXPECT_EQ(a->X, -60);
    EXPECT_EQ(pad.edit.SketchMode, ModeNodeMove);

    ExpectConsistent(pad.net);

    pad.view.Plotting = 1; // nothing while the window prints
    pad.Mode(ModeNodeDelete);
    EXPECT_EQ(pad.Click(a).Requests, 0u);
    EXPECT_TRUE(a->Active);
}

TEST(EditDispatch, MergeReportsRingsThatCannotBeJoined)
{
    Pad pad;
    TNode* s = Node(pad.net, 300, 0);
    TNode* t = Node(pad.net, 400, 0);
    for (int i = 0; i < 3; ++i) {
        AddVertex(s, Node(pad.net, 300 + 10 * i, 100));
        AddVertex(t, Node(pad.net, 400 + 10 * i, 100));
    }
    pad.Mode(ModeNodeMerge);
    pad.Click(s);
    EXPECT_TRUE(pad.Click(t).Has(PadPolygonNotMerged));
    EXPECT_FALSE(s->Active);
}
