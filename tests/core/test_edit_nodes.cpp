#include "test_edit_support.h"

using namespace edittest;

TEST(EditNodes, DeleteAndUndeleteRestoreNodesAndLinksWithTheirValues)
{
    TNetwork net;
    (*net.LinkClasses)[1].AttributeCount = 1;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* c = Node(net, 200, 0);
    TLinkValues* ab = Link(net, a, b, 1);
    ab->Values[0].SetReal(7.5);
    TShapePoint* sp = Shape(net, ab, 50, 10);
    TLinkValues* bc = Link(net, b, c);
    TViewRecord view;
    TEditState edit;

    // Nothing to undelete: nothing happens.
    net.Modified = false;
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Nothing);

    DeleteNode(net, b);
    EXPECT_TRUE(net.Modified);
    EXPECT_FALSE(b->Active);
    EXPECT_FALSE(ab->Active);
    EXPECT_FALSE(bc->Active);
    EXPECT_FALSE(sp->Active);
    EXPECT_TRUE(ab->DeletedWithNode);
    ASSERT_EQ(net.DeletedItems.GetCount(), 1);

    DeleteLink(net, AHalf(ab)); // already gone with its node: no record
    EXPECT_EQ(net.DeletedItems.GetCount(), 1);

    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_TRUE(b->Active);
    EXPECT_TRUE(ab->Active);
    EXPECT_TRUE(bc->Active);
    EXPECT_TRUE(sp->Active);
    EXPECT_EQ(ab->Values[0].Real(), 7.5);
    EXPECT_TRUE(net.DeletedItems.Empty());

    // A link deleted by itself comes back by itself.
    DeleteLink(net, AHalf(bc));
    EXPECT_FALSE(bc->Active);
    EXPECT_EQ(net.DeletedItems.At(0)->ItemKind, 0);
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Link);
    EXPECT_TRUE(bc->Active);

    // A link whose end node is deleted comes back with that node.
    DeleteLink(net, AHalf(bc));
    DeleteNode(net, c);
    edit.SketchMode = ModeNodeDelete;
    net.DeletedItems.Insert(net.DeletedItems.At(0)); // link record last
    net.DeletedItems.DeleteAt(0);
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Nothing);
    EXPECT_FALSE(bc->Active);
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_TRUE(c->Active);
    EXPECT_TRUE(bc->Active);
    ExpectConsistent(net);
}

TEST(EditNodes, UndeleteDuringNodeMoveAndLinkSplitTakesTheGesturesElement)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* other = Node(net, 500, 500);
    TLinkValues* ab = Link(net, a, b);
    TViewRecord view;
    TEditState edit;

    // Node Move: the node goes; another deletion follows before the right click.
    ASSERT_TRUE(BeginNodeMove(net, view, edit, a));
    EXPECT_EQ(edit.SketchMode, ModeNodeMovePlacing);
    DeleteNode(net, other);
    view.CursorX = 30;
    view.CursorY = 40;
    EXPECT_EQ(Undelete(net, view, edit, true), TUndeleteResult::NodeMoved);
    EXPECT_EQ(edit.SketchMode, ModeNodeMove);
    EXPECT_TRUE(a->Active);
    EXPECT_EQ(a->X, 30);
    EXPECT_EQ(a->Y, 40);
    EXPECT_TRUE(ab->Active);
    EXPECT_FALSE(other->Active); // its record is still there
    ASSERT_EQ(net.DeletedItems.GetCount(), 1);
    EXPECT_EQ(net.DeletedItems.At(0)->Node(), other);

    // Undelete (no move) during Node Move puts the node back where it was.
    ASSERT_TRUE(BeginNodeMove(net, view, edit, b));
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_EQ(b->X, 100);
    EXPECT_TRUE(b->Active);
    EXPECT_EQ(edit.SketchMode, ModeNodeMove);

    // A node standing at the cursor refuses the move; the record stays.
    ASSERT_TRUE(BeginNodeMove(net, view, edit, b));
    view.CursorX = a->X;
    view.CursorY = a->Y;
    EXPECT_EQ(Undelete(net, view, edit, true), TUndeleteResult::Refused);
    EXPECT_FALSE(b->Active);
    EXPECT_EQ(edit.SketchMode, ModeNodeMovePlacing);
    view.CursorX = 150;
    EXPECT_EQ(Undelete(net, view, edit, true), TUndeleteResult::NodeMoved);

    // Link Split abandoned: the link comes back, not the unrelated record.
    ASSERT_TRUE(BeginLinkSplit(net, view, edit, AHalf(ab)));
    EXPECT_EQ(edit.SketchMode, ModeLinkSplitPlacing);
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::SplitAbandoned);
    EXPECT_TRUE(ab->Active);
    EXPECT_EQ(edit.SketchMode, ModeLinkSplit);
    ASSERT_EQ(net.DeletedItems.GetCount(), 1);
    EXPECT_EQ(net.DeletedItems.At(0)->Node(), other);
    ExpectConsistent(net);
}

TEST(EditNodes, LinkSplitMakesTwoLinksInTheOldDirectionAndSupersedesTheOld)
{
    TNetwork net;
    (*net.LinkClasses)[2].AttributeCount = 2;
    (*net.LinkClasses)[2].StringCount = 1;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TLinkValues* ab = Link(net, a, b, 2);
    ab->Name = "Main St";
    ab->Values[1].SetReal(3);
    ab->Strings = {"paved"};
    TViewRecord view;
    TEditState edit;

    // Picked from B to A: the half-edge in B's list.
    TLink* fromB = FindHalfEdge(b, a);
    ASSERT_TRUE(BeginLinkSplit(net, view, edit, fromB));
    view.CursorX = 50;
    view.CursorY = 20;
    TNode* n = CommitLinkSplit(net, view, edit);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(edit.SketchMode, ModeLinkSplit);
    auto an = LinksBetween(a, n), nb = LinksBetween(n, b);
    ASSERT_EQ(an.size(), 1u);
    ASSERT_EQ(nb.size(), 1u);
    for (TLinkValues* r : {an[0], nb[0]}) {
        EXPECT_EQ(r->Name, "Main St");
        EXPECT_EQ(r->EntityType, 2);
        ASSERT_EQ(SlotCount(*r), 2);
        EXPECT_EQ(r->Values[1].Real(), 3);
        EXPECT_EQ(r->Strings, TStringList{"paved"});
    }
    EXPECT_TRUE(ab->Superseded);
    EXPECT_EQ(ab->EntityType, 0);
    EXPECT_TRUE(net.DeletedItems.Empty());

    // Nothing brings the replaced link back: not undelete of its end nodes,
    // not Link Plot between its ends.
    DeleteNode(net, a);
    edit.SketchMode = ModeSelect;
    Undelete(net, view, edit, false);
    EXPECT_FALSE(ab->Active);
    TLink* h;
    EXPECT_EQ(LinkPlotStep(net, a, b, h), TLinkPlotResult::Added);
    EXPECT_FALSE(ab->Active);
    ExpectConsistent(net);
}

TEST(EditNodes, LinkPlotAddsExistsAndRevivesInTheNewDirection)
{
    TNetwork net;
    (*net.LinkClasses)[3].AttributeCount = 1;
    net.TemplateLinkValues.EntityType = 3;
    net.TemplateLinkValues.Values[0].SetReal(55);
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TLink* h;
    ASSERT_EQ(LinkPlotStep(net, a, b, h), TLinkPlotResult::Added);
    TLinkValues* r = h->LinkValues;
    EXPECT_EQ(r->ANode, a);
    EXPECT_EQ(r->EntityType, 3);
    EXPECT_EQ(r->Values[0].Real(), 55);
    EXPECT_EQ(LinkPlotStep(net, b, a, h), TLinkPlotResult::Exists);
    EXPECT_EQ(ActiveLinkCount(net), 1);
    EXPECT_EQ(LinkPlotStep(net, a, a, h), TLinkPlotResult::Refused);

    Shape(net, r, 30, 5);
    Shape(net, r, 60, 5);
    DeleteLink(net, AHalf(r));
    ASSERT_EQ(LinkPlotStep(net, b, a, h), TLinkPlotResult::Revived);
    EXPECT_TRUE(r->Active);
    EXPECT_EQ(r->ANode, b);
    EXPECT_EQ(r->BNode, a);
    EXPECT_EQ(ShapeXY(r), (std::vector<std::pair<int32_t, int32_t>>{{60, 5}, {30, 5}}));
    for (TShapePoint* sp : r->ShapePoints) EXPECT_TRUE(sp->Active);
    ExpectConsistent(net);
}

TEST(EditNodes, PlotAndMoveKeepTheHashSortedAndTheNodeInsideTheWorld)
{
    TNetwork net;
    TViewRecord view;
    view.CursorX = 25;
    view.CursorY = 35;
    TNode* n = PlotNode(net, view);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(PlotNode(net, view), nullptr); // a node already stands there
    view.LayerStates[1] = 0;                 // the template's layer hidden
    view.CursorX = 90;
    EXPECT_EQ(PlotNode(net, view), nullptr);
    view.LayerStates[1] = 1;
    view.Plotting = 1;
    EXPECT_EQ(PlotNode(net, view), nullptr);
    view.Plotting = 0;

    TNode* a = Node(net, 10, 10);
    TNode* b = Node(net, 190, 10);
    TLinkValues* ab = Link(net, a, b);
    Node(net, 5, 10);
    Node(net, 15, 10);
    MoveNodeTo(net, b, 12, 10); // between two points of a cell
    MoveNodeTo(net, a, 900000, -900000);
    EXPECT_EQ(a->X, WorldLimit);
    EXPECT_EQ(a->Y, -WorldLimit);
    EXPECT_EQ(net.MaxX, WorldLimit);
    EXPECT_EQ(net.MinY, -WorldLimit);
    EXPECT_EQ(ab->Box, (TBox{12, -WorldLimit, WorldLimit, 10}));
    TNode* found;
    TShapePoint* sp;
    EXPECT_TRUE(PickPoint(net, view, false, WorldLimit, -WorldLimit, found, sp));
    EXPECT_EQ(found, a);
    ExpectConsistent(net);
}

namespace {

// A -> N -> B with shape points p1, p2 on A->N and q1 on N->B; classes 1 and 2
// with numeric attribute 3.
struct SpliceNet {
    TNetwork net;
    TNode *a, *n, *b;
    TLinkValues *an, *nb;
    SpliceNet(char kind1 = 'R', char kind2 = 'R')
    {
        for (int c : {1, 2}) {
            auto& cls = (*net.LinkClasses)[c];
            cls.AttributeCount = 3;
            for (int i = 1; i <= 3; ++i) {
                cls.Attributes[size_t(i)] = std::make_unique<TAttrib>();
                cls.Attributes[size_t(i)]->Kind = i == 3 ? (c == 1 ? kind1 : kind2) : 'R';
            }
        }
        a = Node(net, 0, 0);
        n = Node(net, 100, 0);
        b = Node(net, 200, 0);
        an = Link(net, a, n, 1);
        an->Name = "in";
        an->Values[2].SetReal(1.25);
        Shape(net, an, 30, 10);
        Shape(net, an, 60, 10);
        nb = Link(net, n, b, 2);
        nb->Name = "out";
        nb->Values[2].SetReal(2.5);
        Shape(net, nb, 150, -10);
    }
};

} // namespace

TEST(EditSplice, SpliceJoinsShapePointsInOrderAndCopiesTheRuleRecord)
{
    for (uint8_t rule : {0, 1, 2}) {
        SpliceNet s;
        TSpliceSettings rules;
        rules.Rule = rule;
        rules.AddFlags[3] = 1;
        TNode* owner = Node(s.net, 100, 100);
        TNode* v1 = Node(s.net, 90, 90);
        TNode* v2 = Node(s.net, 110, 90);
        AddVertex(owner, v1);
        AddVertex(owner, s.n);
        AddVertex(owner, v2);

        ASSERT_TRUE(SpliceLinksAtNode(s.net, s.n, nullptr, rules)) << int(rule);
        auto ab = LinksBetween(s.a, s.b);
        ASSERT_EQ(ab.size(), 1u);
        TLinkValues* r = ab[0];
        EXPECT_EQ(ShapeXY(r), (std::vector<std::pair<int32_t, int32_t>>{{30, 10}, {60, 10}, {100, 0}, {150, -10}}));
        EXPECT_FALSE(s.n->Active);
        EXPECT_TRUE(s.an->Superseded && s.nb->Superseded);
        EXPECT_EQ(s.an->EntityType, 0);
        EXPECT_EQ(s.an->ShapePoints.GetCount(), 0);
        EXPECT_EQ(s.net.DeletedItems.GetCount(), 1);
        // The node's place in the ring went to the new shape point.
        auto ring = Ring(owner);
        ASSERT_EQ(ring.size(), 3u);
        EXPECT_EQ(ring[1], r->ShapePoints.At(2));
        EXPECT_EQ(s.n->Polygons.GetCount(), 0);
        EXPECT_EQ(r->Name, rule == 1 ? "in" : rule == 2 ? "out" : "");
        if (rule != 0) {
            EXPECT_EQ(r->EntityType, rule);
            EXPECT_EQ(r->Values[2].Real(), 3.75); // summed
        }
        // Undeleting the node does not bring back the links it joined.
        TViewRecord view;
        TEditState edit;
        Undelete(s.net, view, edit, false);
        EXPECT_TRUE(s.n->Active);
        EXPECT_FALSE(s.an->Active);
        ExpectConsistent(s.net);
    }
}

TEST(EditSplice, AddFlagsRoundIntegersAndRespectTypesMustMatch)
{
    {
        SpliceNet s('I', 'I');
        TSpliceSettings rules;
        rules.Rule = 1;
        rules.AddFlags[3] = 1;
        s.an->Values[2].SetReal(1.5);
        s.nb->Values[2].SetReal(1.0);
        ASSERT_TRUE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
        EXPECT_EQ(LinksBetween(s.a, s.b)[0]->Values[2].Real(), 2.0); // 2.5 to even
    }
    {
        SpliceNet s;
        TSpliceSettings rules;
        rules.Rule = 1;
        rules.TypesMustMatch = 1;
        rules.AddFlags[3] = 1;
        ASSERT_TRUE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
        EXPECT_EQ(LinksBetween(s.a, s.b)[0]->Values[2].Real(), 1.25); // copied, not added
    }
    {
        SpliceNet s('R', 'S');
        TSpliceSettings rules;
        rules.Rule = 1;
        rules.AddFlags[3] = 1;
        ASSERT_TRUE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
        EXPECT_EQ(LinksBetween(s.a, s.b)[0]->Values[2].Real(), 1.25);
    }
}

TEST(EditSplice, RefusedWhenTheLinksDoNotRunThroughOrWouldMakeALoop)
{
    TSpliceSettings rules;
    {
        SpliceNet s;
        FlipLink(s.net, AHalf(s.nb)); // both links now end at N
        s.net.Modified = false;
        EXPECT_FALSE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
        EXPECT_TRUE(s.net.Modified);
        EXPECT_TRUE(s.n->Active);
        EXPECT_TRUE(s.an->Active && s.nb->Active);
    }
    {
        // A -> N -> A: the joined link would start and end at A.
        TNetwork net;
        TNode* a = Node(net, 0, 0);
        TNode* n = Node(net, 100, 0);
        Link(net, a, n);
        Link(net, n, a);
        EXPECT_FALSE(SpliceLinksAtNode(net, n, nullptr, rules));
        TEditState edit;
        EXPECT_FALSE(LinkSpliceAtNode(net, edit, n));
        EXPECT_TRUE(n->Active);
        EXPECT_EQ(ActiveLinkCount(net), 2);
    }
}

TEST(EditSplice, LinkSpliceModeCopiesTheClassTheOldLinkHadBeforeDeletion)
{
    SpliceNet s;
    TEditState edit;
    edit.SpliceRules.Rule = 2;
    edit.SpliceRules.AddFlags[3] = 1;
    TLink* h = nullptr;
    ASSERT_TRUE(LinkSpliceAtNode(s.net, edit, s.n, &h));
    ASSERT_NE(h, nullptr);
    TLinkValues* r = h->LinkValues;
    EXPECT_EQ(r->ANode, s.a);
    EXPECT_EQ(r->BNode, s.b);
    EXPECT_EQ(r->EntityType, 2);
    EXPECT_EQ(r->Name, "out");
    EXPECT_EQ(r->Values[2].Real(), 3.75);
    EXPECT_EQ(r->ShapePoints.GetCount(), 0); // this mode does not carry shape points
    EXPECT_EQ(s.an->EntityType, 0);
    EXPECT_FALSE(s.n->Active);
    ExpectConsistent(s.net);
}
