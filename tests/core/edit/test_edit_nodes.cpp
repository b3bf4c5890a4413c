#include "test_edit_support.h"

using namespace edittest;

TEST(EditNodes, DeleteAndUndeleteNodesAndLinks)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* c = Node(net, 200, 0);
    TLinkValues* ab = Link(net, a, b);
    TShapePoint* sp = Shape(net, ab, 50, 10);
    TLinkValues* bc = Link(net, b, c);
    TViewRecord view;
    TEditState edit;
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Nothing); // empty list

    DeleteNode(net, b);
    EXPECT_TRUE(net.Modified);
    EXPECT_FALSE(b->Active || ab->Active || bc->Active || sp->Active);
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_TRUE(b->Active && ab->Active && bc->Active && sp->Active);

    // A link whose end went after it comes back with that end.
    DeleteLink(net, AHalf(bc));
    DeleteNode(net, c);
    std::swap(*net.DeletedItems.At(0), *net.DeletedItems.At(1)); // the link's record last
    edit.SketchMode = ModeNodeDelete;
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Nothing);
    EXPECT_FALSE(bc->Active);
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_TRUE(c->Active && bc->Active);
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

    ASSERT_TRUE(BeginNodeMove(net, view, edit, a));
    DeleteNode(net, other); // an unrelated record comes last
    view.CursorX = b->X;    // a node stands there: refused, the record stays
    EXPECT_EQ(Undelete(net, view, edit, true), TUndeleteResult::Refused);
    view.CursorX = 30;
    view.CursorY = 40;
    EXPECT_EQ(Undelete(net, view, edit, true), TUndeleteResult::NodeMoved);
    EXPECT_EQ(edit.SketchMode, ModeNodeMove);
    EXPECT_TRUE(a->Active && ab->Active);
    EXPECT_EQ(a->X, 30);
    EXPECT_EQ(a->Y, 40);
    EXPECT_FALSE(other->Active);

    ASSERT_TRUE(BeginNodeMove(net, view, edit, b)); // the Undelete key: back where it was
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_EQ(b->X, 100);

    ASSERT_TRUE(BeginLinkSplit(net, view, edit, AHalf(ab)));
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::SplitAbandoned);
    EXPECT_TRUE(ab->Active);
    EXPECT_EQ(edit.SketchMode, ModeLinkSplit);
    ASSERT_EQ(net.DeletedItems.GetCount(), 1);
    EXPECT_EQ(net.DeletedItems.At(0)->Node(), other);
    ExpectConsistent(net);
}

TEST(EditNodes, SplitLinksKeepTheOldRecordAndDirectionAndTheOldLinkStaysReplaced)
{
    TNetwork net;
    (*net.LinkClasses)[2].AttributeCount = 2;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TLinkValues* ab = Link(net, a, b, 2);
    ab->Name = "Main St";
    ab->Values[1].SetReal(3);
    ab->Strings = {"paved"};
    TViewRecord view;
    TEditState edit;
    ASSERT_TRUE(BeginLinkSplit(net, view, edit, FindHalfEdge(b, a))); // picked from B
    view.CursorX = 50;
    TNode* n = CommitLinkSplit(net, view, edit);
    ASSERT_NE(n, nullptr);
    auto an = LinksBetween(a, n), nb = LinksBetween(n, b);
    ASSERT_EQ(an.size() + nb.size(), 2u);
    for (TLinkValues* r : {an[0], nb[0]}) {
        EXPECT_EQ(r->Name, "Main St");
        EXPECT_EQ(r->EntityType, 2);
        EXPECT_EQ(r->Values[1].Real(), 3);
        EXPECT_EQ(r->Strings, TStringList{"paved"});
    }
    EXPECT_TRUE(net.DeletedItems.Empty());

    // Neither undelete of an end nor Link Plot between the ends revives it.
    DeleteNode(net, a);
    edit.SketchMode = ModeSelect;
    Undelete(net, view, edit, false);
    TLink* h;
    EXPECT_EQ(LinkPlotStep(net, a, b, h), TLinkPlotResult::Added);
    EXPECT_FALSE(ab->Active);
    ExpectConsistent(net);
}

TEST(EditNodes, LinkPlotRevivesADeletedLinkInTheNewDirection)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TLinkValues* r = Link(net, a, b);
    Shape(net, r, 30, 5);
    Shape(net, r, 60, 5);
    TLink* h;
    EXPECT_EQ(LinkPlotStep(net, b, a, h), TLinkPlotResult::Exists);
    DeleteLink(net, AHalf(r));
    ASSERT_EQ(LinkPlotStep(net, b, a, h), TLinkPlotResult::Revived);
    EXPECT_EQ(r->ANode, b);
    EXPECT_EQ(ShapeXY(r), (XY{{60, 5}, {30, 5}}));
    ExpectConsistent(net);
}

TEST(EditNodes, PlotAndMoveKeepTheHashSortedAndTheNodeInsideTheWorld)
{
    TNetwork net;
    TViewRecord view;
    view.CursorX = 25;
    ASSERT_NE(PlotNode(net, view), nullptr);
    EXPECT_EQ(PlotNode(net, view), nullptr); // a node already stands there
    TNode* a = Node(net, 10, 10);
    TNode* b = Node(net, 190, 10);
    TLinkValues* ab = Link(net, a, b);
    Node(net, 5, 10);
    Node(net, 15, 10);
    MoveNodeTo(net, b, 12, 10); // between two points of its new cell
    MoveNodeTo(net, a, 900000, -900000);
    EXPECT_EQ(a->X, WorldLimit);
    EXPECT_EQ(net.MinY, -WorldLimit);
    EXPECT_EQ(ab->Box, (TBox{12, -WorldLimit, WorldLimit, 10}));
    ExpectConsistent(net);
}

namespace {

// A -> N -> B, shape points p1, p2 on A->N and q1 on N->B; link classes 1 and
// 2 whose attribute 3 has the given types.
struct SpliceNet {
    TNetwork net;
    TNode *a, *n, *b;
    TLinkValues *an, *nb;
    explicit SpliceNet(char kind1 = 'R', char kind2 = 'R')
    {
        for (int c : {1, 2}) {
            auto& cls = (*net.LinkClasses)[c];
            cls.AttributeCount = 3;
            for (int i = 1; i <= 3; ++i) cls.Attributes[size_t(i)] = std::make_unique<TAttrib>();
            cls.Attributes[3]->Kind = c == 1 ? kind1 : kind2;
        }
        a = Node(net, 0, 0);
        n = Node(net, 100, 0);
        b = Node(net, 200, 0);
        an = Link(net, a, n, 1);
        an->Name = "in";
        an->Values[2].SetReal(1.5);
        Shape(net, an, 30, 10);
        Shape(net, an, 60, 10);
        nb = Link(net, n, b, 2);
        nb->Name = "out";
        nb->Values[2].SetReal(1.0);
        Shape(net, nb, 150, -10);
    }
    TLinkValues* Joined() { return LinksBetween(a, b).at(0); }
};

} // namespace

TEST(EditSplice, ShapePointsJoinInOrderAndTheRuleRecordIsCopied)
{
    for (uint8_t rule : {1, 2}) {
        SpliceNet s;
        TSpliceSettings rules;
        rules.Rule = rule;
        rules.AddFlags[3] = 1;
        TNode* owner = Node(s.net, 100, 100);
        for (TNode* v : {Node(s.net, 90, 90), s.n, Node(s.net, 110, 90)}) AddVertex(s.net, owner, v);

        ASSERT_TRUE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
        TLinkValues* r = s.Joined();
        EXPECT_EQ(ShapeXY(r), (XY{{30, 10}, {60, 10}, {100, 0}, {150, -10}}));
        EXPECT_EQ(Ring(owner)[1], r->ShapePoints.At(2)); // the node's place in the ring
        EXPECT_EQ(r->Name, rule == 1 ? "in" : "out");
        EXPECT_EQ(r->EntityType, rule);
        EXPECT_EQ(r->Values[2].Real(), 2.5);
        EXPECT_EQ(s.an->EntityType, 0);
        // The node comes back alone: the links it joined stay replaced.
        TViewRecord view;
        TEditState edit;
        Undelete(s.net, view, edit, false);
        EXPECT_TRUE(s.n->Active);
        EXPECT_FALSE(s.an->Active || s.nb->Active);
        ExpectConsistent(s.net);
    }
}

TEST(EditSplice, AddFlagsRoundIntegersAndRespectTypes)
{
    TSpliceSettings rules;
    rules.Rule = 1;
    rules.AddFlags[3] = 1;
    SpliceNet ints('I', 'I');
    ASSERT_TRUE(SpliceLinksAtNode(ints.net, ints.n, nullptr, rules));
    EXPECT_EQ(ints.Joined()->Values[2].Real(), 2.0); // 2.5 to even
    SpliceNet text('R', 'S');
    ASSERT_TRUE(SpliceLinksAtNode(text.net, text.n, nullptr, rules));
    EXPECT_EQ(text.Joined()->Values[2].Real(), 1.5); // copied, not added
    rules.TypesMustMatch = 1;
    SpliceNet mixed;
    ASSERT_TRUE(SpliceLinksAtNode(mixed.net, mixed.n, nullptr, rules));
    EXPECT_EQ(mixed.Joined()->Values[2].Real(), 1.5);
}

TEST(EditSplice, RefusedForLinksThatDoNotRunThroughOrWouldMakeALoop)
{
    TSpliceSettings rules;
    SpliceNet s;
    FlipLink(s.net, AHalf(s.nb)); // both links end at N
    s.net.Modified = false;
    EXPECT_FALSE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
    EXPECT_TRUE(s.net.Modified);
    EXPECT_TRUE(s.n->Active && s.an->Active && s.nb->Active);

    TNetwork net; // A -> N -> A
    TNode* a = Node(net, 0, 0);
    TNode* n = Node(net, 100, 0);
    Link(net, a, n);
    Link(net, n, a);
    TEditState edit;
    EXPECT_FALSE(SpliceLinksAtNode(net, n, nullptr, rules));
    EXPECT_FALSE(LinkSpliceAtNode(net, edit, n));
    EXPECT_TRUE(n->Active);
    EXPECT_EQ(ActiveLinkCount(net), 2);
}

TEST(EditSplice, TheAddListSetsFlags)
{
    TSpliceSettings r;
    r.SetAddList("13aB");
    for (int i = 1; i <= 35; ++i) EXPECT_EQ(r.AddFlags[size_t(i)], (i == 1 || i == 3 || i == 10) ? 1 : 0) << i;
    r.SetAddList("9bz");
    EXPECT_EQ(r.AddFlags[9], 1);
    EXPECT_EQ(r.AddFlags[11], 1);
    EXPECT_EQ(r.AddFlags[35], 1);
    EXPECT_EQ(r.AddFlags[1], 0);
}

TEST(EditSplice, LinkSpliceModeCopiesTheClassTheOldLinkHadBeforeItWasDeleted)
{
    SpliceNet s;
    TWindowSettings window;
    window.SpliceRules.Rule = 2;
    window.SpliceRules.AddFlags[3] = 1;
    TEditState edit;
    edit.Hooks.Settings = &window;
    ASSERT_TRUE(LinkSpliceAtNode(s.net, edit, s.n));
    TLinkValues* r = s.Joined();
    EXPECT_EQ(r->EntityType, 2);
    EXPECT_EQ(r->Name, "out");
    EXPECT_EQ(r->Values[2].Real(), 2.5);
    EXPECT_EQ(s.an->EntityType, 0);
    ExpectConsistent(s.net);
}

// Link Splice, Node to Shape Point and FUSE at a node whose far nodes are
// linked already: the link plot step would make nothing, and the node with
// its two links would be gone for good. All refuse; the two modes say why.
TEST(EditSplice, RefusedWhereTheFarNodesAreLinkedAlready)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* n = Node(net, 100, 50);
    TNode* b = Node(net, 200, 0);
    TLinkValues* an = Link(net, a, n);
    TLinkValues* nb = Link(net, n, b);
    Link(net, a, b);
    TViewRecord view;
    TEditState edit;
    EXPECT_FALSE(LinkSpliceAtNode(net, edit, n));
    EXPECT_STREQ(edit.Notice, NoticeEndsLinked);
    edit.Notice = nullptr;
    EXPECT_FALSE(NodeToShapePoint(net, view, edit, n));
    EXPECT_STREQ(edit.Notice, NoticeEndsLinked);
    EXPECT_FALSE(SpliceLinksAtNode(net, n, nullptr, TSpliceSettings{}));
    EXPECT_TRUE(n->Active && an->Active && nb->Active);
    EXPECT_EQ(ActiveLinkCount(net), 3);
    EXPECT_TRUE(net.DeletedItems.Empty());
}

// Node to Shape Point where a deleted link joins the far nodes: the node
// becomes a shape point of a new link, and the deleted one stays deleted.
TEST(EditSplice, NodeToShapePointLeavesADeletedLinkBetweenTheFarNodesDeleted)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* n = Node(net, 100, 50);
    TNode* b = Node(net, 200, 0);
    Link(net, a, n);
    Link(net, n, b);
    TLinkValues* ab = Link(net, a, b);
    AddShapePoint(net, 100, -80, 0, AHalf(ab));
    DeleteLink(net, AHalf(ab));
    TViewRecord view;
    TEditState edit;
    ASSERT_TRUE(NodeToShapePoint(net, view, edit, n));
    EXPECT_FALSE(n->Active);
    EXPECT_FALSE(ab->Active);
    ASSERT_EQ(ActiveLinkCount(net), 1);
    const TLinkValues* spliced = nullptr;
    for (TLink* h : a->Links)
        if (h->LinkValues->Active) spliced = h->LinkValues.get();
    ASSERT_NE(spliced, nullptr);
    ASSERT_EQ(spliced->ShapePoints.GetCount(), 1);
    EXPECT_EQ(spliced->ShapePoints.At(0)->X, 100);
    EXPECT_EQ(spliced->ShapePoints.At(0)->Y, 50);
}

// An undelete never brings a link back beside an active link between the
// same two nodes: that one stays deleted, and the undelete says so.
TEST(EditNodes, UndeleteLeavesALinkWhoseEndsAreLinkedAgain)
{
    TViewRecord view;
    TEditState edit;
    {
        // T-X deleted; the merge moves S-X to T (only active links count as
        // joined); S and then T-X undeleted.
        TNetwork net;
        TNode* t = Node(net, 0, 0);
        TNode* s = Node(net, 100, 0);
        TNode* x = Node(net, 50, 100);
        TLinkValues* tx = Link(net, t, x);
        TLinkValues* sx = Link(net, s, x);
        DeleteLink(net, AHalf(tx));
        MergeNodes(net, s, t);
        ASSERT_TRUE(sx->Active);
        EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
        EXPECT_EQ(edit.Notice, nullptr);
        EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Nothing);
        EXPECT_STREQ(edit.Notice, NoticeLinkNotRestored);
        EXPECT_FALSE(tx->Active);
        EXPECT_TRUE(sx->Active);
        ExpectNoIllegalLinks(net);
        ExpectReopensAlike(net);
    }
    {
        // A-B deleted; FUSE at N makes a new A-B; A deleted and undeleted
        // with every link (mode 0): the link deleted with A comes back, the
        // older one stays.
        TNetwork net;
        TNode* a = Node(net, 0, 0);
        TNode* n = Node(net, 100, 50);
        TNode* b = Node(net, 200, 0);
        Link(net, a, n);
        Link(net, n, b);
        TLinkValues* ab = Link(net, a, b);
        DeleteLink(net, AHalf(ab));
        ASSERT_TRUE(SpliceLinksAtNode(net, n, nullptr, TSpliceSettings{}));
        TLinkValues* fused = LinksBetween(a, b).at(0);
        DeleteNode(net, a);
        EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
        EXPECT_STREQ(edit.Notice, NoticeLinkNotRestored);
        EXPECT_TRUE(fused->Active);
        EXPECT_FALSE(ab->Active);
        ExpectNoIllegalLinks(net);
        ExpectReopensAlike(net);
        while (!net.DeletedItems.Empty()) Undelete(net, view, edit, false);
        EXPECT_FALSE(ab->Active);
        ExpectNoIllegalLinks(net);
    }
}

// A crowded cell (past the length at which filing waits beside the list):
// points moved in it, out of it and into it, some of them still waiting,
// are taken out under the key they were filed by and found again at their
// new positions; every list stays in key order.
TEST(EditNodes, MovesInACrowdedCellKeepEveryListSearchable)
{
    TNetwork net;
    std::vector<TNetworkPoint*> pts;
    for (int i = 0; i < 100; ++i) pts.push_back(Node(net, -200 + (i % 10) * 10, -200 + (i / 10) * 10));
    TNode* a = Node(net, -195, -105);
    TNode* b = Node(net, 500, 500);
    TLinkValues* ab = Link(net, a, b);
    // Filed while the cell is long: these wait beside the list.
    for (int i = 0; i < 6; ++i) pts.push_back(Node(net, -103 + i, -3));
    pts.push_back(Shape(net, ab, -104, -2));
    THashEntry* crowded = net.NodeHash.FindCell(-200, -200);
    ASSERT_EQ(crowded->Points.GetCount(), 108);

    struct TMove {
        TNetworkPoint* P;
        int32_t X, Y;
    };
    const std::vector<TMove> moves{
        {pts[100], -199, -199}, // a waiting point to the front of its cell
        {pts[101], 300, 300},   // a waiting point to another cell
        {pts[106], -150, -1},   // the waiting shape point within the cell
        {pts[0], -1, -1},       // the first point to the back
        {pts[55], 700, -900},   // out of the cell
        {pts[99], -200, -199},  // the last point near the front
        {b, -171, -170},        // into the crowded cell
    };
    for (const TMove& m : moves) MoveNodeTo(net, m.P, m.X, m.Y);

    EXPECT_EQ(net.NodeHash.PointCount(), 109);
    int64_t filed = 0;
    for (THashEntry* c : net.NodeHash) filed += c->Points.GetCount();
    EXPECT_EQ(filed, 109);
    EXPECT_EQ(crowded->Points.GetCount(), 107);
    TViewRecord view;
    for (const TMove& m : moves) {
        EXPECT_EQ(m.P->X, m.X);
        EXPECT_EQ(m.P->Y, m.Y);
        const THashEntry* c = net.NodeHash.FindCell(m.X, m.Y);
        ASSERT_TRUE(c);
        EXPECT_GE(c->Points.IndexOf(m.P), 0);
        TNode* n = nullptr;
        TShapePoint* sp = nullptr;
        EXPECT_TRUE(FindNearestPoint(net, view, n, sp, true, true, m.X, m.Y));
        EXPECT_EQ(n ? static_cast<TNetworkPoint*>(n) : sp, m.P);
    }
    // The points that stayed are found where they stand.
    for (int i : {1, 54, 56, 98, 102, 105}) {
        TNode* n = nullptr;
        TShapePoint* sp = nullptr;
        EXPECT_TRUE(FindNearestPoint(net, view, n, sp, false, true, pts[size_t(i)]->X, pts[size_t(i)]->Y));
        EXPECT_EQ(n, pts[size_t(i)]) << i;
    }
    ExpectConsistent(net);
}

namespace {

// Every half-edge knows its end: in A's list it leads to B, in B's to A.
void ExpectEndsAgree(const TNetwork& net)
{
    ForEachNode(net, [&](TNode* n) {
        for (TLink* h : n->Links) {
            const TLinkValues* r = h->LinkValues;
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(h->NearNode(), n);
            EXPECT_EQ(h->FarNode, h->AEnd() ? r->BNode : r->ANode);
            EXPECT_EQ(n, h->AEnd() ? r->ANode : r->BNode);
        }
    });
}

} // namespace

// The end of a half-edge is a bit of its record pointer: it follows flips,
// splits, splices and an undeleted node, and pointing a half-edge at another
// record keeps it.
TEST(EditNodes, HalfEdgeEndsFollowFlipSplitSpliceAndUndo)
{
    TLinkValues other;
    TLink t(&other, nullptr, true);
    EXPECT_EQ(t.LinkValues.get(), &other);
    TLinkValues moved;
    t.LinkValues = &moved;
    EXPECT_EQ(t.AEnd(), 1);
    EXPECT_EQ(t.LinkValues, &moved);
    t.SetAEnd(false);
    EXPECT_EQ(t.AEnd(), 0);
    EXPECT_EQ(t.LinkValues, &moved);
    const TLink a(&other, nullptr, true);
    t.LinkValues = a.LinkValues; // the record, not the end
    EXPECT_EQ(t.AEnd(), 0);
    EXPECT_EQ(t.LinkValues, &other);
    t = a; // the whole half-edge
    EXPECT_EQ(t.AEnd(), 1);

    SpliceNet s;
    ExpectEndsAgree(s.net);
    TLink* half = AHalf(s.nb);
    ASSERT_TRUE(FlipLink(s.net, half));
    EXPECT_EQ(half->AEnd(), 0); // now in B's list: b -> n
    EXPECT_EQ(s.nb->ANode, s.b);
    ExpectEndsAgree(s.net);
    s.nb->FlipMark = 0; // a flip is once per pass
    ASSERT_TRUE(FlipLink(s.net, AHalf(s.nb))); // back to n -> b
    EXPECT_EQ(s.nb->ANode, s.n);
    ExpectEndsAgree(s.net);

    // Split a -> n at a new node from n's side.
    TViewRecord view;
    TEditState edit;
    ASSERT_TRUE(BeginLinkSplit(s.net, view, edit, FindHalfEdge(s.n, s.a)));
    view.CursorX = 50;
    view.CursorY = 40;
    TNode* m = CommitLinkSplit(s.net, view, edit);
    ASSERT_NE(m, nullptr);
    ExpectEndsAgree(s.net);

    TSpliceSettings rules;
    rules.Rule = 1;
    ASSERT_TRUE(SpliceLinksAtNode(s.net, s.n, nullptr, rules));
    ExpectEndsAgree(s.net);
    DeleteNode(s.net, s.b);
    ExpectEndsAgree(s.net);
    EXPECT_EQ(Undelete(s.net, view, edit, false), TUndeleteResult::Node);
    ExpectEndsAgree(s.net);
    ExpectConsistent(s.net);
}
