#include "test_edit_support.h"

#include <map>

using namespace edittest;

using XY = std::vector<std::pair<int32_t, int32_t>>;

TEST(EditTopology, DirectionAndFlip)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TLinkValues* one = Link(net, a, b);
    Shape(net, one, 50, 5);
    SetLinkDirection(net, FindHalfEdge(b, a));
    EXPECT_EQ(one->ANode, b);
    EXPECT_EQ(one->BNode, a);
    EXPECT_EQ(ShapeXY(one), (XY{{50, 5}}));
    SetLinkDirection(net, FindHalfEdge(b, a)); // already that way: unchanged
    EXPECT_EQ(one->ANode, b);

    TNode* c = Node(net, 0, 100);
    TLinkValues* two = Link(net, a, c);
    Shape(net, two, 5, 30);
    Shape(net, two, 5, 60);
    SetLinkDirection(net, FindHalfEdge(c, a));
    EXPECT_EQ(two->ANode, c);
    EXPECT_EQ(ShapeXY(two), (XY{{5, 60}, {5, 30}}));

    // FLIP reverses once per pass, however often it is asked.
    EXPECT_TRUE(FlipLink(net, AHalf(two)));
    EXPECT_FALSE(FlipLink(net, AHalf(two)));
    EXPECT_EQ(two->ANode, a);
    EXPECT_EQ(ShapeXY(two), (XY{{5, 30}, {5, 60}}));
    two->FlipMark = 0;
    EXPECT_TRUE(FlipLink(net, AHalf(two)));
    EXPECT_EQ(two->ANode, c);
    ExpectConsistent(net);
}

TEST(EditTopology, MergeMovesLinksButNotLoopsOrDuplicates)
{
    TNetwork net;
    TNode* s = Node(net, 0, 0);
    TNode* t = Node(net, 100, 0);
    TNode* x = Node(net, 50, 100);
    TNode* y = Node(net, -50, 100);
    TLinkValues* sx = Link(net, s, x);
    TLinkValues* tx = Link(net, t, x);
    TLinkValues* ys = Link(net, y, s);
    TLinkValues* st = Link(net, s, t);
    TNode* owner = Node(net, 500, 500);
    AddVertex(owner, s);
    AddVertex(owner, x);
    TNode* owner2 = Node(net, 600, 500);
    AddVertex(owner2, s);
    AddVertex(owner2, t);

    EXPECT_EQ(MergeNodes(net, s, t), TPolygonMerge::Nothing);
    EXPECT_FALSE(s->Active);
    EXPECT_FALSE(sx->Active); // t already links to x
    EXPECT_TRUE(tx->Active);
    EXPECT_FALSE(st->Active); // would be a loop
    EXPECT_TRUE(ys->Active);
    EXPECT_EQ(ys->BNode, t);
    EXPECT_EQ(LinksBetween(y, t).size(), 1u);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{t, x}));
    EXPECT_EQ(Ring(owner2), (std::vector<TNetworkPoint*>{t})); // t was there already
    EXPECT_EQ(s->Polygons.GetCount(), 0);
    ExpectConsistent(net);

    // Onto a shape point: a free node hands over its polygon places.
    TNode* free = Node(net, 300, 300);
    AddVertex(owner, free);
    TShapePoint* sp = Shape(net, tx, 80, 60);
    EXPECT_FALSE(MergeNodeIntoShapePoint(net, x, sp)); // x has links
    ASSERT_TRUE(MergeNodeIntoShapePoint(net, free, sp));
    EXPECT_FALSE(free->Active);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{t, x, sp}));
    ExpectConsistent(net);
}

namespace {

struct Rings {
    TNetwork net;
    TNode* source;
    TNode* target;
    std::map<std::pair<int, int>, TNode*> at;
    TNode* P(int x, int y)
    {
        auto& n = at[{x, y}];
        if (!n) n = Node(net, 1000 + 10 * x, 1000 + 10 * y);
        return n;
    }
    Rings(const XY& t, const XY& s)
    {
        target = Node(net, 0, 0);
        source = Node(net, 0, 50);
        for (auto [x, y] : t) AddVertex(target, P(x, y));
        for (auto [x, y] : s) AddVertex(source, P(x, y));
    }
    XY Of(const TNode* owner) const
    {
        XY v;
        for (TNetworkPoint* p : owner->OwnPolygon) v.emplace_back((p->X - 1000) / 10, (p->Y - 1000) / 10);
        return v;
    }
};

} // namespace

TEST(EditTopology, PolygonMergeAlongTheSharedRun)
{
    {
        // Opposite directions, the run through position 0 of the target.
        Rings r({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1}, {-1, 1}, {-1, 0}, {0, 0}});
        ASSERT_EQ(MergeNodePolygons(r.net, r.source, r.target), TPolygonMerge::Merged);
        EXPECT_EQ(r.Of(r.target), (XY{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}}));
        EXPECT_EQ(r.Of(r.source), (XY{{0, 1}, {0, 0}}));
        EXPECT_EQ(r.P(-1, 1)->Polygons.At(0), r.target);
        ExpectConsistent(r.net);
    }
    {
        // Same direction, the run in the middle of both rings, a run vertex
        // inside it: source's free vertices come in decreasing ring order.
        Rings r({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}},
                {{3, 5}, {2, 1}, {1, 1}, {0, 1}, {3, 4}, {3, 3}});
        ASSERT_EQ(MergeNodePolygons(r.net, r.source, r.target), TPolygonMerge::Merged);
        EXPECT_EQ(r.Of(r.target), (XY{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 5}, {3, 3}, {3, 4}, {0, 1}}));
        // No vertex twice; (1,1) left target's ring, stays in source's.
        EXPECT_EQ(r.P(1, 1)->Polygons.IndexOf(r.target), -1);
        EXPECT_EQ(r.Of(r.source), (XY{{2, 1}, {1, 1}, {0, 1}}));
        ExpectConsistent(r.net);
    }
    {
        // The run passes position 0 of both rings.
        Rings r({{0, 1}, {1, 1}, {1, 0}, {0, 0}}, {{0, 0}, {-1, 0}, {-1, 1}, {0, 1}});
        ASSERT_EQ(MergeNodePolygons(r.net, r.source, r.target), TPolygonMerge::Merged);
        EXPECT_EQ(r.Of(r.target).size(), 6u);
        ExpectConsistent(r.net);
    }
    {
        // One shared vertex; a broken run; every source vertex shared.
        Rings one({{0, 0}, {1, 0}, {1, 1}}, {{1, 1}, {2, 1}, {2, 2}});
        EXPECT_EQ(MergeNodePolygons(one.net, one.source, one.target), TPolygonMerge::NotMerged);
        Rings broken({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 0}, {5, 5}, {1, 1}, {6, 6}});
        EXPECT_EQ(MergeNodePolygons(broken.net, broken.source, broken.target), TPolygonMerge::NotMerged);
        Rings all({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 0}, {1, 0}});
        EXPECT_EQ(MergeNodePolygons(all.net, all.source, all.target), TPolygonMerge::NotMerged);
        EXPECT_EQ(all.Of(all.target).size(), 4u);
    }
    {
        // Target owns none: it takes the whole ring.
        Rings r({}, {{0, 0}, {1, 0}, {1, 1}});
        ASSERT_EQ(MergeNodePolygons(r.net, r.source, r.target), TPolygonMerge::Merged);
        EXPECT_EQ(r.Of(r.target), (XY{{0, 0}, {1, 0}, {1, 1}}));
        EXPECT_TRUE(r.Of(r.source).empty());
        ExpectConsistent(r.net);
    }
}

TEST(EditTopology, NodeToShapePointAndBack)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* n = Node(net, 100, 0);
    TNode* b = Node(net, 200, 0);
    TLinkValues* an = Link(net, a, n);
    Shape(net, an, 50, 10);
    TLinkValues* nb = Link(net, n, b);
    TNode* owner = Node(net, 100, 300);
    AddVertex(owner, n);
    TViewRecord view;
    TEditState edit;
    edit.SpliceRules.Rule = 1;
    an->Name = "road";

    ASSERT_TRUE(NodeToShapePoint(net, view, edit, n));
    auto ab = LinksBetween(a, b);
    ASSERT_EQ(ab.size(), 1u);
    EXPECT_EQ(ab[0]->Name, "road");
    EXPECT_EQ(ShapeXY(ab[0]), (XY{{50, 10}, {100, 0}}));
    EXPECT_FALSE(an->Active || nb->Active || n->Active);
    TShapePoint* sp = ab[0]->ShapePoints.At(1);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{sp}));

    // Back: a new node at the point splits the link and carries its shapes.
    int freed = 0;
    edit.Hooks.PointFreed = [&](TNetworkPoint* p) { freed += p == sp; };
    view.PickedShapePoint = sp;
    TNode* m = ShapePointToNode(net, view, edit, sp);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(view.PickedShapePoint, nullptr);
    EXPECT_EQ(m->X, 100);
    auto am = LinksBetween(a, m), mb = LinksBetween(m, b);
    ASSERT_EQ(am.size(), 1u);
    ASSERT_EQ(mb.size(), 1u);
    EXPECT_EQ(ShapeXY(am[0]), (XY{{50, 10}}));
    EXPECT_EQ(mb[0]->ShapePoints.GetCount(), 0);
    EXPECT_EQ(am[0]->Name, "road");
    EXPECT_TRUE(ab[0]->Superseded);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{m}));
    EXPECT_EQ(ActiveLinkCount(net), 2);
    ExpectConsistent(net);
}

TEST(EditIntersect, CrossingLinksMeetAtANewNode)
{
    TNetwork net;
    (*net.LinkClasses)[4].AttributeCount = 1;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 100);
    TNode* c = Node(net, 0, 100);
    TNode* d = Node(net, 100, 0);
    TLinkValues* L = Link(net, a, b, 4);
    L->Name = "L";
    L->Values[0].SetReal(9);
    TLinkValues* M = Link(net, c, d);
    TBox area;
    ASSERT_TRUE(IntersectLink(net, AHalf(L), area));
    EXPECT_EQ(area, (TBox{0, 0, 100, 100}));
    TNode* n;
    TShapePoint* sp;
    ASSERT_TRUE(PickPoint(net, TViewRecord{}, false, 50, 50, n, sp));
    EXPECT_EQ(LinksBetween(a, n).size(), 1u);
    EXPECT_EQ(LinksBetween(n, b).size(), 1u);
    EXPECT_EQ(LinksBetween(c, n).size(), 1u);
    EXPECT_EQ(LinksBetween(n, d).size(), 1u);
    EXPECT_EQ(LinksBetween(a, n)[0]->Name, "L");
    EXPECT_EQ(LinksBetween(n, b)[0]->Values[0].Real(), 9);
    EXPECT_TRUE(L->Superseded && M->Superseded);
    EXPECT_FALSE(L->Active || M->Active);
    // The replaced shape points are dead and never picked.
    ASSERT_TRUE(PickPoint(net, TViewRecord{}, true, 50, 50, n, sp));
    EXPECT_NE(n, nullptr);
    for (TNetworkPoint* p : net.NodeHash.FindCell(50, 50)->Points)
        EXPECT_TRUE(p->IsNode() || !p->Active);
    EXPECT_TRUE(net.DeletedItems.Empty());
    ExpectConsistent(net);

    // Nothing further to cut.
    auto ab = LinksBetween(a, n);
    EXPECT_FALSE(IntersectLink(net, AHalf(ab[0]), area));
    EXPECT_EQ(area, (TBox{0, 0, 0, 0}));
}

TEST(EditIntersect, SharedEndsAndSharedShapePoints)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 100);
    TNode* c = Node(net, 100, 0);
    TLinkValues* L = Link(net, a, b);
    TLinkValues* M = Link(net, a, c); // shares A and crosses L on its way
    Shape(net, M, 100, 200);
    TBox area;
    EXPECT_FALSE(IntersectLink(net, AHalf(L), area));
    EXPECT_TRUE(M->Active);

    // Links that share a shape point place get a node there.
    TNode* e = Node(net, 300, 0);
    TNode* f = Node(net, 400, 0);
    TNode* g = Node(net, 300, 100);
    TNode* h = Node(net, 400, 100);
    TLinkValues* ef = Link(net, e, f);
    Shape(net, ef, 350, 50);
    TLinkValues* gh = Link(net, g, h);
    Shape(net, gh, 350, 50);
    ASSERT_TRUE(IntersectLink(net, AHalf(ef), area));
    TNode* n;
    TShapePoint* sp;
    ASSERT_TRUE(PickPoint(net, TViewRecord{}, false, 350, 50, n, sp));
    EXPECT_EQ(LinksBetween(e, n).size(), 1u);
    EXPECT_EQ(LinksBetween(n, h).size(), 1u);
    EXPECT_FALSE(gh->Active);
    ExpectConsistent(net);
}

TEST(EditIntersect, ManyCrossingsAndFarReachingLinks)
{
    // A zigzag crossing a straight link 1500 times: every crossing converted.
    TNetwork net;
    const int zig = 1500;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100 * (zig + 2), 0);
    TLinkValues* L = Link(net, a, b);
    TNode* ma = Node(net, 10, 50);
    TNode* mb = Node(net, 10 + 100 * (zig + 1), zig % 2 ? 50 : -50);
    TLinkValues* M = Link(net, ma, mb);
    for (int k = 1; k <= zig; ++k) Shape(net, M, 10 + 100 * k, k % 2 ? -50 : 50);
    TBox area;
    ASSERT_TRUE(IntersectLink(net, AHalf(L), area));
    EXPECT_EQ(ActiveLinkCount(net), 2 * (zig + 2));
    EXPECT_EQ(net.NodeCount, 4 + zig + 1);
    EXPECT_FALSE(M->Active);

    // A link whose A node lies far away is still found.
    TNetwork far;
    TNode* w = Node(far, -50000, 0);
    TNode* e = Node(far, 50000, 0);
    TLinkValues* long_ = Link(far, w, e);
    TNode* s = Node(far, 7000, -100);
    TNode* n = Node(far, 7000, 100);
    TLinkValues* shortLink = Link(far, s, n);
    ASSERT_TRUE(IntersectLink(far, AHalf(shortLink), area, {}, MaxLinkReach(far)));
    EXPECT_FALSE(long_->Active);
    TNode* hit;
    TShapePoint* sp;
    EXPECT_TRUE(PickPoint(far, TViewRecord{}, false, 7000, 0, hit, sp));
    ExpectConsistent(far);
}

TEST(EditIntersect, CandidatesFoundByCellLookUpInALargeHash)
{
    TNetwork net;
    for (int i = 0; i < 3000; ++i) Node(net, -400000 + 250 * i, 300000); // many cells
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 100);
    TNode* c = Node(net, 0, 100);
    TNode* d = Node(net, 100, 0);
    Link(net, a, b);
    TLinkValues* M = Link(net, c, d);
    TBox area;
    ASSERT_TRUE(IntersectLink(net, AHalf(LinksBetween(a, b)[0]), area, {}, MaxLinkReach(net)));
    EXPECT_FALSE(M->Active);
    ExpectConsistent(net);
}
