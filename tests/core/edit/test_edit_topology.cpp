#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <sstream>

#include "core/calc/CalcEditing.h"
#include "core/edit/EditingDispatch.h"
#include "test_edit_support.h"

using namespace edittest;

TEST(EditTopology, DirectionAndFlip)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* c = Node(net, 0, 100);
    TLinkValues* two = Link(net, a, c);
    Shape(net, two, 5, 30);
    Shape(net, two, 5, 60);
    SetLinkDirection(net, FindHalfEdge(c, a));
    EXPECT_EQ(two->ANode, c);
    EXPECT_EQ(ShapeXY(two), (XY{{5, 60}, {5, 30}}));
    EXPECT_TRUE(FlipLink(net, AHalf(two)));
    EXPECT_FALSE(FlipLink(net, AHalf(two))); // once per pass
    EXPECT_EQ(two->ANode, a);
    EXPECT_EQ(ShapeXY(two), (XY{{5, 30}, {5, 60}}));
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
    AddVertex(net, owner, s);
    AddVertex(net, owner, x);
    TNode* owner2 = Node(net, 600, 500);
    AddVertex(net, owner2, s);
    AddVertex(net, owner2, t);
    MergeNodes(net, s, t);
    EXPECT_FALSE(s->Active || sx->Active || st->Active); // t links to x already; s-t would loop
    EXPECT_TRUE(tx->Active && ys->Active);
    EXPECT_EQ(ys->BNode, t);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{t, x}));
    EXPECT_EQ(Ring(owner2), (std::vector<TNetworkPoint*>{t}));

    TNode* free = Node(net, 300, 300); // onto a shape point
    AddVertex(net, owner, free);
    TShapePoint* sp = Shape(net, tx, 80, 60);
    EXPECT_FALSE(MergeNodeIntoShapePoint(net, x, sp)); // x has links
    ASSERT_TRUE(MergeNodeIntoShapePoint(net, free, sp));
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{t, x, sp}));
    ExpectConsistent(net);
}

namespace {

// Two rings on a grid of nodes named by (x, y).
struct Rings {
    TNetwork net;
    TNode* source = Node(net, 0, 50);
    TNode* target = Node(net, 0, 0);
    std::map<std::pair<int, int>, TNode*> at;
    TNode* P(int x, int y)
    {
        auto& n = at[{x, y}];
        return n ? n : (n = Node(net, 1000 + 10 * x, 1000 + 10 * y));
    }
    Rings(const XY& t, const XY& s)
    {
        for (auto [x, y] : t) AddVertex(net, target, P(x, y));
        for (auto [x, y] : s) AddVertex(net, source, P(x, y));
    }
    XY Of(const TNode* owner) const
    {
        XY v;
        for (TNetworkPoint* p : owner->OwnPolygon()) v.emplace_back((p->X - 1000) / 10, (p->Y - 1000) / 10);
        return v;
    }
    XY Merge(TPolygonMerge expect = TPolygonMerge::Merged)
    {
        EXPECT_EQ(MergeNodePolygons(net, source, target), expect);
        ExpectConsistent(net);
        return Of(target);
    }
};

} // namespace

TEST(EditTopology, PolygonMergeAlongTheSharedRun)
{
    Rings opposite({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 1}, {-1, 1}, {-1, 0}, {0, 0}});
    EXPECT_EQ(opposite.Merge(), (XY{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}}));
    EXPECT_EQ(opposite.Of(opposite.source), (XY{{0, 1}, {0, 0}}));

    // Same direction, with a run vertex inside: source's free vertices come
    // in decreasing ring order, and (1,1) leaves the target's ring.
    Rings same({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}}, {{3, 5}, {2, 1}, {1, 1}, {0, 1}, {3, 4}, {3, 3}});
    EXPECT_EQ(same.Merge(), (XY{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {3, 5}, {3, 3}, {3, 4}, {0, 1}}));
    EXPECT_EQ(same.net.PolygonsOf(same.P(1, 1)).IndexOf(same.target), -1);

    Rings throughZero({{0, 1}, {1, 1}, {1, 0}, {0, 0}}, {{0, 0}, {-1, 0}, {-1, 1}, {0, 1}});
    EXPECT_EQ(throughZero.Merge().size(), 6u);

    Rings one({{0, 0}, {1, 0}, {1, 1}}, {{1, 1}, {2, 1}, {2, 2}});
    one.Merge(TPolygonMerge::NotMerged);
    Rings broken({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 0}, {5, 5}, {1, 1}, {6, 6}});
    broken.Merge(TPolygonMerge::NotMerged);
    Rings all({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {{0, 0}, {1, 0}});
    EXPECT_EQ(all.Merge(TPolygonMerge::NotMerged).size(), 4u);
    Rings empty({}, {{0, 0}, {1, 0}, {1, 1}});
    EXPECT_EQ(empty.Merge(), (XY{{0, 0}, {1, 0}, {1, 1}}));
}

TEST(EditTopology, NodeToShapePointAndBack)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* n = Node(net, 100, 0);
    TNode* b = Node(net, 200, 0);
    TLinkValues* an = Link(net, a, n);
    an->Name = "road";
    Shape(net, an, 50, 10);
    Link(net, n, b);
    TNode* owner = Node(net, 100, 300);
    AddVertex(net, owner, n);
    TViewRecord view;
    TEditState edit;
    ASSERT_TRUE(NodeToShapePoint(net, view, edit, n));
    TLinkValues* ab = LinksBetween(a, b).at(0);
    EXPECT_EQ(ab->Name, "road"); // the default rule copies the entering link
    EXPECT_EQ(ShapeXY(ab), (XY{{50, 10}, {100, 0}}));
    TShapePoint* sp = ab->ShapePoints.At(1);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{sp}));

    int told = 0;
    edit.Hooks.PointFreed = [&](TNetworkPoint* p) { told += p == sp; };
    view.PickedShapePoint = sp;
    TNode* m = ShapePointToNode(net, view, edit, sp);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(view.PickedShapePoint, nullptr);
    EXPECT_EQ(ShapeXY(LinksBetween(a, m).at(0)), (XY{{50, 10}}));
    EXPECT_EQ(LinksBetween(m, b).at(0)->Name, "road");
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{m}));
    EXPECT_EQ(ActiveLinkCount(net), 2);
    ExpectConsistent(net);
}

// Every operation that deletes a node, from a sketch mode or from Calculate,
// clears the polygon criterion of the window it acts for when the node owns it.
TEST(EditTopology, DeletingTheCriterionOwnerClearsTheWindowsCriterion)
{
    using TRun = std::function<void(TNetwork&, TViewRecord&, TEditState&, TNode* owner, TNode* other)>;
    auto press = [](int mode, bool second) -> TRun {
        return [=](TNetwork& net, TViewRecord& view, TEditState& edit, TNode* o, TNode* t) {
            SetSketchMode(view, edit, uint8_t(mode));
            SketchPress(net, view, edit, false, o->X, o->Y);
            if (second) SketchPress(net, view, edit, false, t->X, t->Y);
        };
    };
    const std::pair<const char*, TRun> ways[] = {
        {"Node Delete", press(ModeNodeDelete, false)},
        {"Node Move given up",
         [press](TNetwork& net, TViewRecord& view, TEditState& edit, TNode* o, TNode* t) {
             press(ModeNodeMove, false)(net, view, edit, o, t);
             SetSketchMode(view, edit, ModeSelect);
         }},
        {"Link Splice", press(ModeLinkSplice, false)},
        {"Node to Shape Point", press(ModeNodeToShape, false)},
        {"Node Merge", press(ModeNodeMerge, true)},
        {"FUSE",
         [](TNetwork& net, TViewRecord&, TEditState& edit, TNode* o, TNode*) {
             CalcEditOpsFor(edit.Hooks, {}).SpliceLinksAtNode(net, o);
         }},
        {"MRGE",
         [](TNetwork& net, TViewRecord&, TEditState& edit, TNode* o, TNode* t) {
             CalcEditOpsFor(edit.Hooks, {}).MergeNodes(net, o, t);
         }},
    };
    for (const auto& [way, run] : ways) {
        TNetwork net;
        TWindowSettings window;
        TViewRecord view;
        TEditState edit;
        edit.Hooks.Settings = &window;
        TNode* a = Node(net, 0, 0);
        TNode* o = Node(net, 100, 0);
        TNode* b = Node(net, 200, 0);
        TNode* t = Node(net, 100, 100);
        Link(net, a, o);
        Link(net, o, b);
        for (TNode* v : {a, b, t}) AddVertex(net, o, v);
        window.Search.PolygonCriterion.Owner = o;
        run(net, view, edit, o, t);
        EXPECT_FALSE(o->Active) << way;
        EXPECT_EQ(window.Search.PolygonCriterion.Owner, nullptr) << way;
    }
    // SMRG: an owner without links or ring gives its places to a shape point.
    TNetwork net;
    TWindowSettings window;
    TEditHooks hooks;
    hooks.Settings = &window;
    TNode* bare = Node(net, 50, 50);
    window.Search.PolygonCriterion.Owner = bare;
    TShapePoint* sp = Shape(net, Link(net, Node(net, 0, 0), Node(net, 100, 0)), 50, 10);
    ASSERT_TRUE(CalcEditOpsFor(hooks, {}).MergeNodeIntoShapePoint(net, bare, sp));
    EXPECT_EQ(window.Search.PolygonCriterion.Owner, nullptr);
}

TEST(EditIntersect, CrossingsBecomeNodesAndReplacedPointsDie)
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
    Link(net, c, d);
    TLinkValues* shared = Link(net, a, c); // shares an end with L and crosses it
    Shape(net, shared, 100, 50);
    TBox area;
    ASSERT_TRUE(IntersectLink(net, AHalf(L), area));
    EXPECT_EQ(area, (TBox{0, 0, 100, 100}));
    EXPECT_TRUE(L->Superseded);
    EXPECT_TRUE(shared->Active);
    TNode* n;
    TShapePoint* sp;
    ASSERT_TRUE(PickPoint(net, TViewRecord{}, true, 50, 50, n, sp));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(LinksBetween(c, n).size() + LinksBetween(n, d).size(), 2u);
    EXPECT_EQ(LinksBetween(n, b).at(0)->Values[0].Real(), 9);
    EXPECT_EQ(LinksBetween(a, n).at(0)->Name, "L");
    for (TNetworkPoint* p : net.NodeHash.FindCell(50, 50)->Points)
        EXPECT_TRUE(p->X != 50 || p->IsNode() || !p->Active); // the replaced points are dead
    EXPECT_FALSE(IntersectLink(net, AHalf(LinksBetween(a, n)[0]), area)); // nothing left to cut
    EXPECT_EQ(area, (TBox{0, 0, 0, 0}));

    // Links that share a shape point's place get a node there.
    TNode* e = Node(net, 300, 0);
    TNode* h = Node(net, 400, 100);
    TLinkValues* ef = Link(net, e, Node(net, 400, 0));
    Shape(net, ef, 350, 50);
    Shape(net, Link(net, Node(net, 300, 100), h), 350, 50);
    ASSERT_TRUE(IntersectLink(net, AHalf(ef), area));
    ASSERT_TRUE(PickPoint(net, TViewRecord{}, false, 350, 50, n, sp));
    EXPECT_EQ(LinksBetween(e, n).size() + LinksBetween(n, h).size(), 2u);
    ExpectConsistent(net);
}

TEST(EditIntersect, ManyCrossingsAndLinksReachingFromFarCells)
{
    TNetwork net; // a zigzag crossing a straight link 1501 times
    const int zig = 1500;
    TLinkValues* L = Link(net, Node(net, 0, 0), Node(net, 100 * (zig + 2), 0));
    TLinkValues* M = Link(net, Node(net, 10, 50), Node(net, 10 + 100 * (zig + 1), -50));
    for (int k = 1; k <= zig; ++k) Shape(net, M, 10 + 100 * k, k % 2 ? -50 : 50);
    TBox area;
    ASSERT_TRUE(IntersectLink(net, AHalf(L), area));
    // The first 999 crossings become nodes (one call converts fewer than
    // 1000). Between two of them the zigzag's piece would join the nodes
    // that the straight link's piece joins: its corner becomes a node.
    const int cut = 999;
    EXPECT_EQ(net.NodeCount, 4 + cut + (cut - 1));
    EXPECT_EQ(ActiveLinkCount(net), (cut + 1) + (cut + 1) + (cut - 1));
    ExpectNoIllegalLinks(net);

    TNetwork far; // the crossed link's A node is 57000 units away
    TLinkValues* longLink = Link(far, Node(far, -50000, 0), Node(far, 50000, 0));
    ASSERT_TRUE(IntersectLink(far, AHalf(Link(far, Node(far, 7000, -100), Node(far, 7000, 100))), area));
    EXPECT_FALSE(longLink->Active);

    TNetwork many; // many cells: candidates are looked up by cell
    for (int i = 0; i < 3000; ++i) Node(many, -400000 + 250 * i, 300000);
    TNode* a = Node(many, 0, 0);
    TNode* b = Node(many, 100, 100);
    TLinkValues* cd = Link(many, Node(many, 0, 100), Node(many, 100, 0));
    ASSERT_TRUE(IntersectLink(many, AHalf(Link(many, a, b)), area, {}, MaxLinkReach(many)));
    EXPECT_FALSE(cd->Active);
    ExpectConsistent(many);
}

// Links nearly parallel to L: each crosses it once, and is cut there only,
// however close it runs to L elsewhere.
TEST(EditIntersect, NearlyParallelLinksAreCutOnlyWhereTheyCross)
{
    auto check = [](const std::vector<std::array<int32_t, 4>>& lines) {
        TNetwork net;
        std::vector<TLinkValues*> links;
        for (const auto& l : lines) links.push_back(Link(net, Node(net, l[0], l[1]), Node(net, l[2], l[3])));
        TBox area;
        ASSERT_TRUE(IntersectLink(net, AHalf(links[0]), area));
        const int k = int(lines.size()) - 1;
        EXPECT_EQ(ActiveNodeCount(net), 2 * (k + 1) + k);
        EXPECT_EQ(ActiveLinkCount(net), (k + 1) + 2 * k);
        // Each crossing node lies at the true crossing, rounded.
        const auto& l = lines[0];
        for (int m = 1; m <= k; ++m) {
            const auto& c = lines[size_t(m)];
            const double dx1 = l[2] - l[0], dy1 = l[3] - l[1], dx2 = c[2] - c[0], dy2 = c[3] - c[1];
            const double t = ((c[0] - l[0]) * dy2 - (c[1] - l[1]) * dx2) / (dx1 * dy2 - dy1 * dx2);
            const TLinkValues* r = links[size_t(m)];
            std::vector<TLinkValues*> first;
            for (TLink* h : r->ANode->Links)
                if (h->LinkValues->Active) first.push_back(h->LinkValues);
            ASSERT_EQ(first.size(), 1u) << m;
            const TNode* n = first[0]->BNode;
            EXPECT_NEAR(n->X, l[0] + t * dx1, 1.0) << m;
            EXPECT_NEAR(n->Y, l[1] + t * dy1, 1.0) << m;
            EXPECT_EQ(LinksBetween(n, r->BNode).size(), 1u) << m;
        }
        ExpectNoIllegalLinks(net);
        ExpectConsistent(net);
    };
    check({{-100000, -65700, 500000, 328500},
           {-100097, -65762, 500023, 328513},
           {-100194, -65826, 500046, 328529},
           {-100291, -65889, 500069, 328543},
           {-100388, -65954, 500092, 328559}});

    // Many: each starts a little to one side of L and ends a little to the
    // other.
    std::vector<std::array<int32_t, 4>> lines{{-100000, -65700, 500000, 328500}};
    for (int m = 1; m <= 150; ++m) {
        const int32_t x0 = -100000 - 97 * m, x1 = 500000 + 23 * m;
        auto onL = [](double x) { return -65700 + (x + 100000) * 394200.0 / 600000.0; };
        lines.push_back({x0, int32_t(onL(x0)) + 2 + m % 7, x1, int32_t(onL(x1)) - 2 - m % 5});
    }
    check(lines);
}

// Two crossings of one pair of links, and shape points at one place, leave
// no second link between two nodes and no link from a node to itself: the
// file keeps what the user sees.
TEST(EditIntersect, NoPieceJoinsJoinedNodesOrANodeToItself)
{
    TNetwork net; // a V crossing a straight link twice
    TLinkValues* L = Link(net, Node(net, 0, 0), Node(net, 1000, 0));
    TLinkValues* M = Link(net, Node(net, 100, -100), Node(net, 900, -100));
    M->Name = "vee";
    Shape(net, M, 500, 100);
    TBox area;
    ASSERT_TRUE(IntersectLink(net, AHalf(L), area));
    EXPECT_EQ(ActiveNodeCount(net), 7);
    EXPECT_EQ(ActiveLinkCount(net), 7);
    TNode* corner;
    TShapePoint* sp;
    ASSERT_TRUE(PickPoint(net, TViewRecord{}, false, 500, 100, corner, sp)); // the V's corner is a node
    ASSERT_EQ(corner->Links.GetCount(), 2);
    EXPECT_EQ(corner->Links.At(0)->LinkValues->Name, "vee");
    ExpectNoIllegalLinks(net);
    ExpectConsistent(net);
    ExpectReopensAlike(net);

    TNetwork same; // L has two shape points where M has one
    TLinkValues* L2 = Link(same, Node(same, 0, 0), Node(same, 1000, 0));
    Shape(same, L2, 500, 0);
    Shape(same, L2, 500, 0);
    TLinkValues* M2 = Link(same, Node(same, 500, -500), Node(same, 500, 500));
    Shape(same, M2, 500, 0);
    ASSERT_TRUE(IntersectLink(same, AHalf(L2), area));
    EXPECT_EQ(ActiveNodeCount(same), 5);
    EXPECT_EQ(ActiveLinkCount(same), 4);
    ExpectNoIllegalLinks(same);
    ExpectConsistent(same);
    ExpectReopensAlike(same);

    TNetwork loop; // L passes one place twice, where M crosses it
    TLinkValues* L3 = Link(loop, Node(loop, 0, 0), Node(loop, 1000, 0));
    for (auto [x, y] : XY{{600, 0}, {600, 200}, {500, 200}, {500, -200}, {1000, -200}}) Shape(loop, L3, x, y);
    TLinkValues* M3 = Link(loop, Node(loop, 400, -100), Node(loop, 400, 100));
    Shape(loop, M3, 500, 0); // M's corner, where L passes twice
    ASSERT_TRUE(IntersectLink(loop, AHalf(L3), area));
    // One node at the crossing; L's loop through it keeps its two corners
    // as nodes.
    EXPECT_EQ(ActiveNodeCount(loop), 7);
    EXPECT_EQ(ActiveLinkCount(loop), 7);
    ExpectNoIllegalLinks(loop);
    ExpectConsistent(loop);
    ExpectReopensAlike(loop);
}

namespace {

// A small network as text, a line each: "x y x y ..." a link from its first
// place to its last through shape points at the places between, "x y" a lone
// node; one node stands at each place named. The first link is L.
struct Sketch {
    TNetwork net;
    std::vector<TLinkValues*> links;
    explicit Sketch(const std::vector<std::string>& lines)
    {
        std::map<std::pair<int32_t, int32_t>, TNode*> at;
        auto node = [&](auto p) { return at[p] ? at[p] : (at[p] = Node(net, p.first, p.second)); };
        for (const std::string& line : lines) {
            std::istringstream in(line);
            XY places;
            for (int32_t x, y; in >> x >> y;) places.emplace_back(x, y);
            TNode* a = node(places.front());
            if (places.size() < 2) continue;
            links.push_back(Link(net, a, node(places.back())));
            for (size_t i = 1; i + 1 < places.size(); ++i) Shape(net, links.back(), places[i].first, places[i].second);
        }
    }
    // The active links as text, sorted.
    std::vector<std::string> Links() const
    {
        std::vector<std::string> out;
        ForEachLink(net, [&](TLink* h) {
            const TLinkValues* r = h->LinkValues;
            std::string s = std::to_string(r->ANode->X) + " " + std::to_string(r->ANode->Y);
            for (auto [x, y] : ShapeXY(r)) s += " " + std::to_string(x) + " " + std::to_string(y);
            if (r->Active) out.push_back(s + " " + std::to_string(r->BNode->X) + " " + std::to_string(r->BNode->Y));
        });
        std::sort(out.begin(), out.end());
        return out;
    }
};

} // namespace

// Where a link meets another at a node, or a crossing rounds onto one, the
// crossing is that node: the link it ends is not cut, and no second node and
// no link of no length is made. A meeting past a segment's end is no
// crossing; the crossings of one segment cut it in order along it.
TEST(EditIntersect, CrossingAtANodeIsThatNode)
{
    const struct {
        std::vector<std::string> net, after;
    } cases[] = {
        // A road through the end of a side street, and the other way round.
        {{"88 70 488 70", "288 70 288 170"}, {"288 70 288 170", "288 70 488 70", "88 70 288 70"}},
        {{"288 70 288 170", "88 70 488 70"}, {"288 70 288 170", "288 70 488 70", "88 70 288 70"}},
        // (0.5, 0) rounds onto L's end.
        {{"0 0 1000 0", "0 -100 1 100"}, {"0 -100 0 0", "0 0 1 100", "0 0 1000 0"}},
        // (1.5, 0) rounds away from L's end, within its half unit.
        {{"1 0 1000 0", "1 -100 2 100"}, {"1 -100 1 0", "1 0 1000 0", "1 0 2 100"}},
        // A lone node where the links cross.
        {{"0 0 1000 0", "500 -100 500 100", "500 0"},
         {"0 0 500 0", "500 -100 500 0", "500 0 1000 0", "500 0 500 100"}},
        // The other link meets L's line only past L's end, at (1050, 0).
        {{"0 0 1000 0", "1100 -100 1000 100"}, {"0 0 1000 0", "1100 -100 1000 100"}},
        // Crossed at x = 700, then at x = 300.
        {{"0 0 1000 0", "700 -100 700 100", "300 -100 300 100"},
         {"0 0 300 0", "300 -100 300 0", "300 0 300 100", "300 0 700 0", "700 -100 700 0", "700 0 1000 0",
          "700 0 700 100"}},
    };
    for (const auto& c : cases) {
        Sketch s(c.net);
        TBox area;
        IntersectLink(s.net, AHalf(s.links[0]), area);
        const std::string where = c.net[0] + " / " + c.net[1];
        EXPECT_EQ(s.Links(), c.after) << where;
        ExpectNoZeroLinkOrSharedPlace(s.net, where);
        ExpectConsistent(s.net);
    }
}

// Nodes on a grid; links two steps long pass through the node between, and
// knight's moves cross them: Link Intersect (the LNKX path) on every link,
// twice, leaves one node at each place and no link of no length.
TEST(EditIntersect, LinksThroughNodesIntersectedTwice)
{
    TNetwork net;
    std::map<std::pair<int32_t, int32_t>, TNode*> at;
    for (int32_t i = 0; i < 6; ++i)
        for (int32_t j = 0; j < 6; ++j) at[{i, j}] = Node(net, 100 * i, 100 * j);
    for (auto [p, a] : at)
        for (auto [dx, dy] : XY{{2, 0}, {0, 2}, {2, 2}, {2, -2}, {1, 2}, {2, 1}})
            if (auto b = at.find({p.first + dx, p.second + dy}); b != at.end()) Link(net, a, b->second);
    const TCalcEditOps ops = CalcEditOpsFor({}, {});
    for (int pass = 1; pass <= 2; ++pass) {
        std::vector<TLink*> links;
        ForEachLink(net, [&](TLink* h) { links.push_back(h); });
        int64_t reach = -1;
        for (TLink* h : links)
            if (h->LinkValues->Active) ops.IntersectLink(net, h, reach);
        ExpectNoZeroLinkOrSharedPlace(net, "pass " + std::to_string(pass));
        ExpectNoIllegalLinks(net);
        ExpectConsistent(net);
    }
}

// The node that parts a piece between linked nodes falls in a full cell: the
// crossing that made the piece stays uncut, and no piece is lost.
TEST(EditIntersect, PartingNodeInAFullCellLeavesItsCrossingUncut)
{
    Sketch s({"0 0 1000 0", "100 -180 500 180 900 -180"});
    THashEntry* cell = nullptr; // y 0..163 of the cell of (500, 180), ascending keys
    for (int32_t i = 0; i < HashCap; ++i) AddNode(s.net, 400 + (i / 5) % 200, i / 1000, cell, false, 0);
    TBox area;
    ASSERT_TRUE(IntersectLink(s.net, AHalf(s.links[0]), area));
    EXPECT_EQ(s.Links(), (std::vector<std::string>{"0 0 300 0", "100 -180 300 0", "300 0 1000 0",
                                                  "300 0 500 180 900 -180"}));
}
