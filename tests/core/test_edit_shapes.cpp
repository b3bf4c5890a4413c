#include "test_edit_support.h"

using namespace edittest;

using XY = std::vector<std::pair<int32_t, int32_t>>;

TEST(EditShapes, InsertShapePointPairsAndIndexes)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 400, 0);
    TNode* c = Node(net, 0, 400);
    TLinkValues* ab = Link(net, a, b);
    TShapePoint* s0 = Shape(net, ab, 100, 10);
    TShapePoint* s1 = Shape(net, ab, 200, 10);
    TShapePoint* s2 = Shape(net, ab, 300, 10);
    TLinkValues* ac = Link(net, a, c);
    TViewRecord view;
    TEditState edit;
    edit.SketchMode = ModeInsertShapePoint;

    auto pair = [&](TNode* n1, TShapePoint* p1, TNode* n2, TShapePoint* p2) {
        edit.ClearPicks(view);
        edit.SketchMode = ModeInsertShapePoint;
        EXPECT_FALSE(InsertShapePointPick(net, view, edit, n1, p1));
        EXPECT_FALSE(InsertShapePointPick(net, view, edit, n1, p1)); // the same point again: nothing
        return InsertShapePointPick(net, view, edit, n2, p2);
    };
    // Two adjacent shape points: the larger index.
    ASSERT_TRUE(pair(nullptr, s2, nullptr, s1));
    EXPECT_EQ(edit.ShapeInsertIndex, 2);
    EXPECT_EQ(edit.SketchMode, ModeInsertShapePlacing);
    EXPECT_EQ(edit.CurrentHalfEdge->LinkValues, ab);
    EXPECT_EQ(edit.PreviousNode, a);
    EXPECT_EQ(view.PickedNode, b);
    // A node end and a shape point that is not next to it: next to the node.
    ASSERT_TRUE(pair(a, nullptr, nullptr, s2));
    EXPECT_EQ(edit.ShapeInsertIndex, 0);
    ASSERT_TRUE(pair(nullptr, s0, b, nullptr));
    EXPECT_EQ(edit.ShapeInsertIndex, 3);
    // Two nodes: only a link without shape points.
    ASSERT_TRUE(pair(c, nullptr, a, nullptr));
    EXPECT_EQ(edit.CurrentHalfEdge->LinkValues, ac);
    EXPECT_EQ(edit.ShapeInsertIndex, 0);
    EXPECT_FALSE(pair(a, nullptr, b, nullptr));
    EXPECT_EQ(edit.SketchMode, ModeInsertShapePoint);
    EXPECT_EQ(view.CurrentNode, nullptr);
    EXPECT_EQ(edit.InsertShapePick, nullptr);
    // Non-adjacent shape points, and a node that is no end of the link.
    EXPECT_FALSE(pair(nullptr, s0, nullptr, s2));
    EXPECT_FALSE(pair(c, nullptr, nullptr, s1));

    // Placing at the cursor.
    ASSERT_TRUE(pair(nullptr, s0, nullptr, s1));
    edit.RemovedShapePointRecord.HalfEdge = AHalf(ac);
    view.CursorX = 150;
    view.CursorY = 30;
    TShapePoint* sp = PlaceShapePoint(net, view, edit);
    ASSERT_NE(sp, nullptr);
    EXPECT_EQ(ShapeXY(ab), (XY{{100, 10}, {150, 30}, {200, 10}, {300, 10}}));
    EXPECT_EQ(ab->Box.MaxY, 30);
    EXPECT_EQ(edit.SketchMode, ModeInsertShapePoint);
    EXPECT_FALSE(edit.RemovedShapePointRecord.Filled());
    EXPECT_EQ(view.CurrentNode, nullptr); // the latest pick was a shape point
    ExpectConsistent(net);
}

TEST(EditShapes, RemoveAndUndoKeepEveryPolygonAndMarkTheNetworkModified)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 300, 0);
    TLinkValues* ab = Link(net, a, b);
    Shape(net, ab, 100, 10);
    TShapePoint* p = Shape(net, ab, 200, 10);
    Shape(net, ab, 250, 10);
    // The point is a vertex of 25 polygons, at ring position 1.
    std::vector<TNode*> owners;
    for (int i = 0; i < 25; ++i) {
        TNode* o = Node(net, 1000 + 10 * i, 1000);
        TNode* v = Node(net, 1000 + 10 * i, 1100);
        AddVertex(o, v);
        AddVertex(o, p);
        AddVertex(o, a);
        owners.push_back(o);
    }
    TViewRecord view;
    TEditState edit;
    int freed = 0;
    edit.Hooks.PointFreed = [&](TNetworkPoint* q) { freed += q == p; };
    view.PickedShapePoint = p;
    edit.InsertShapePick = p;

    ASSERT_TRUE(RemoveShapePoint(net, view, edit, p));
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(view.PickedShapePoint, nullptr);
    EXPECT_EQ(edit.InsertShapePick, nullptr);
    EXPECT_EQ(ShapeXY(ab), (XY{{100, 10}, {250, 10}}));
    for (TNode* o : owners) EXPECT_EQ(o->OwnPolygon.GetCount(), 2);
    TNode* n;
    TShapePoint* sp;
    EXPECT_FALSE(PickPoint(net, view, true, 200, 10, n, sp) && sp && sp->X == 200);

    net.Modified = false;
    TShapePoint* back = UndoShapeRemove(net, edit);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(net.Modified);
    EXPECT_FALSE(edit.RemovedShapePointRecord.Filled());
    EXPECT_EQ(ShapeXY(ab), (XY{{100, 10}, {200, 10}, {250, 10}}));
    EXPECT_EQ(back->Polygons.GetCount(), 25);
    for (TNode* o : owners) {
        ASSERT_EQ(o->OwnPolygon.GetCount(), 3);
        EXPECT_EQ(o->OwnPolygon.At(1), back);
    }
    EXPECT_EQ(UndoShapeRemove(net, edit), nullptr); // the record is empty now
    ExpectConsistent(net);

    // Indexes that no longer fit (the link lost points, a ring shrank) are
    // clamped instead of trusted.
    TShapePoint* last = ab->ShapePoints.At(2);
    ASSERT_TRUE(RemoveShapePoint(net, view, edit, last));
    ASSERT_TRUE(RemoveShapePoint(net, view, edit, ab->ShapePoints.At(1))); // record: index 1
    edit.RemovedShapePointRecord.Index = 7;
    edit.RemovedShapePointRecord.Polygons = {owners[0]};
    edit.RemovedShapePointRecord.PolygonIndexes = {9};
    back = UndoShapeRemove(net, edit);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(ab->ShapePoints.At(ab->ShapePoints.GetCount() - 1), back);
    EXPECT_EQ(owners[0]->OwnPolygon.At(owners[0]->OwnPolygon.GetCount() - 1), back);
    ExpectConsistent(net);
}

TEST(EditShapes, PicksSkipDeadShapePoints)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* c = Node(net, 0, 100);
    TLinkValues* ab = Link(net, a, b);
    TLinkValues* ac = Link(net, a, c);
    TShapePoint* live = Shape(net, ac, 50, 50);
    TShapePoint* dead = Shape(net, ab, 50, 50); // filed first at that place
    const TNodeList& cellPoints = net.NodeHash.FindCell(50, 50)->Points;
    ASSERT_LT(cellPoints.LinearIndexOf(dead), cellPoints.LinearIndexOf(live));
    TViewRecord view;
    TNode* n;
    TShapePoint* sp;
    DeleteLink(net, AHalf(ab));
    ASSERT_TRUE(PickPoint(net, view, true, 50, 51, n, sp));
    EXPECT_EQ(sp, live);
    // A point that its link no longer lists is never picked.
    ac->ShapePoints.Remove(live);
    EXPECT_FALSE(PickPoint(net, view, true, 50, 50, n, sp));
    (void)dead;
    // Nodes only: shape points are never returned.
    EXPECT_TRUE(PickPoint(net, view, false, 1, 1, n, sp));
    EXPECT_EQ(n, a);
    EXPECT_EQ(sp, nullptr);
}

TEST(EditShapes, PolygonInsertDeleteAndMove)
{
    TNetwork net;
    TNode* owner = Node(net, 0, 0);
    TNode* v1 = Node(net, 10, 0);
    TNode* v2 = Node(net, 10, 10);
    TNode* v3 = Node(net, 0, 10);
    TNode* other = Node(net, 50, 50);
    TViewRecord view;
    TEditState edit;
    ASSERT_TRUE(PolygonBegin(net, view, edit, owner));
    EXPECT_TRUE(PolygonInsertPoint(net, view, edit, v1));
    EXPECT_TRUE(PolygonInsertPoint(net, view, edit, v3));
    // Clicking a vertex again moves the insertion point behind it.
    EXPECT_FALSE(PolygonInsertPoint(net, view, edit, v1));
    EXPECT_EQ(Ring(owner).size(), 2u);
    EXPECT_TRUE(PolygonInsertPoint(net, view, edit, v2));
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{v1, v2, v3}));
    EXPECT_EQ(owner->PolygonBox, (TBox{0, 0, 10, 10}));
    // The owner itself: the next vertex goes first.
    EXPECT_FALSE(PolygonInsertPoint(net, view, edit, owner));
    EXPECT_EQ(edit.PolygonInsertIndex, 0);

    EXPECT_FALSE(PolygonDeletePoint(net, view, edit, other, false));
    EXPECT_TRUE(PolygonDeletePoint(net, view, edit, v2, false));
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{v1, v3}));
    EXPECT_EQ(v2->Polygons.GetCount(), 0);
    EXPECT_TRUE(PolygonInsertPoint(net, view, edit, v2));
    // Right click on the first vertex empties the ring.
    EXPECT_TRUE(PolygonDeletePoint(net, view, edit, Ring(owner)[0], true));
    EXPECT_TRUE(Ring(owner).empty());
    for (TNode* v : {v1, v2, v3}) EXPECT_EQ(v->Polygons.GetCount(), 0);

    AddVertex(owner, v1);
    AddVertex(owner, v2);
    EXPECT_FALSE(MovePolygon(net, owner, owner));
    EXPECT_FALSE(MovePolygon(net, other, owner)); // other owns nothing
    ASSERT_TRUE(MovePolygon(net, owner, other));
    EXPECT_TRUE(Ring(owner).empty());
    EXPECT_EQ(Ring(other), (std::vector<TNetworkPoint*>{v1, v2}));
    EXPECT_EQ(v1->Polygons.At(0), other);
    AddVertex(owner, v3);
    EXPECT_FALSE(MovePolygon(net, owner, other)); // other owns one now
    ExpectConsistent(net);
}
