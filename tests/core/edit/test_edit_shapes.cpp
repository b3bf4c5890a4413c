#include "test_edit_support.h"

using namespace edittest;

TEST(EditShapes, InsertShapePointPairs)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 400, 0);
    TNode* c = Node(net, 0, 400);
    TLinkValues* ab = Link(net, a, b);
    TShapePoint* s0 = Shape(net, ab, 100, 10);
    TShapePoint* s1 = Shape(net, ab, 200, 10);
    TShapePoint* s2 = Shape(net, ab, 300, 10);
    Link(net, a, c);
    TViewRecord view;
    TEditState edit;
    // The index a pair gives, -1 for an invalid pair.
    auto pair = [&](TNode* n1, TShapePoint* p1, TNode* n2, TShapePoint* p2) {
        edit.ClearPicks(view);
        edit.SketchMode = ModeInsertShapePoint;
        InsertShapePointPick(net, view, edit, n1, p1);
        EXPECT_FALSE(InsertShapePointPick(net, view, edit, n1, p1)); // the same point again
        return InsertShapePointPick(net, view, edit, n2, p2) ? edit.ShapeInsertIndex : -1;
    };
    EXPECT_EQ(pair(nullptr, s2, nullptr, s1), 2);
    EXPECT_EQ(pair(a, nullptr, nullptr, s2), 0); // next to the node, not to the point
    EXPECT_EQ(pair(nullptr, s0, b, nullptr), 3);
    EXPECT_EQ(pair(c, nullptr, a, nullptr), 0);  // two nodes, a link without shape points
    EXPECT_EQ(pair(a, nullptr, b, nullptr), -1); // ... but not one with shape points
    EXPECT_EQ(view.CurrentNode, nullptr);
    EXPECT_EQ(pair(nullptr, s0, nullptr, s2), -1);
    EXPECT_EQ(pair(c, nullptr, nullptr, s1), -1);

    ASSERT_EQ(pair(nullptr, s0, nullptr, s1), 1);
    EXPECT_EQ(edit.SketchMode, ModeInsertShapePlacing);
    view.CursorX = 150;
    view.CursorY = 30;
    ASSERT_NE(PlaceShapePoint(net, view, edit), nullptr);
    EXPECT_EQ(ShapeXY(ab), (XY{{100, 10}, {150, 30}, {200, 10}, {300, 10}}));
    EXPECT_EQ(ab->Box.MaxY, 30);
    EXPECT_EQ(edit.SketchMode, ModeInsertShapePoint);
    ExpectConsistent(net);
}

TEST(EditShapes, RemoveAndUndoKeepEveryPolygonAndClearEveryReference)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TLinkValues* ab = Link(net, a, Node(net, 300, 0));
    Shape(net, ab, 100, 10);
    TShapePoint* p = Shape(net, ab, 200, 10);
    std::vector<TNode*> owners; // 25 rings hold it at position 1
    for (int i = 0; i < 25; ++i) {
        owners.push_back(Node(net, 1000 + 10 * i, 1000));
        AddVertex(net, owners.back(), Node(net, 1000 + 10 * i, 1100));
        AddVertex(net, owners.back(), p);
        AddVertex(net, owners.back(), a);
    }
    TViewRecord view;
    TEditState edit;
    int told = 0;
    edit.Hooks.PointFreed = [&](TNetworkPoint* q) { told += q == p; };
    view.PickedShapePoint = p;
    edit.InsertShapePick = p;
    ASSERT_TRUE(RemoveShapePoint(net, view, edit, p));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(view.PickedShapePoint, nullptr);
    EXPECT_EQ(edit.InsertShapePick, nullptr);
    EXPECT_EQ(ShapeXY(ab), (XY{{100, 10}}));
    EXPECT_TRUE(net.PolygonsOf(p).Empty()); // no owner list is left for the freed point

    net.Modified = false;
    TShapePoint* back = UndoShapeRemove(net, edit);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(ShapeXY(ab), (XY{{100, 10}, {200, 10}}));
    for (TNode* o : owners) EXPECT_EQ(Ring(o).at(1), back);
    EXPECT_EQ(net.PolygonsOf(back).GetCount(), 25);
    EXPECT_EQ(UndoShapeRemove(net, edit), nullptr); // the record is spent

    // Recorded indexes past the end are clamped, not trusted.
    ASSERT_TRUE(RemoveShapePoint(net, view, edit, back));
    edit.RemovedShapePointRecord.Index = 7;
    edit.RemovedShapePointRecord.PolygonIndexes.assign(25, 9);
    back = UndoShapeRemove(net, edit);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(ab->ShapePoints.At(1), back);
    EXPECT_EQ(Ring(owners[0]).back(), back);
    ExpectConsistent(net);
}

TEST(EditShapes, PicksSkipDeadShapePoints)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TLinkValues* ab = Link(net, a, Node(net, 100, 0));
    TLinkValues* ac = Link(net, a, Node(net, 0, 100));
    TShapePoint* live = Shape(net, ac, 50, 50);
    Shape(net, ab, 50, 50); // filed before the live one at that place
    DeleteLink(net, AHalf(ab));
    TViewRecord view;
    TNode* n;
    TShapePoint* sp;
    ASSERT_TRUE(PickPoint(net, view, true, 50, 51, n, sp));
    EXPECT_EQ(sp, live);
    ac->ShapePoints.Remove(live); // no longer listed by its link
    EXPECT_FALSE(PickPoint(net, view, true, 50, 50, n, sp));
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
    PolygonInsertPoint(net, view, edit, v1);
    PolygonInsertPoint(net, view, edit, v3);
    EXPECT_FALSE(PolygonInsertPoint(net, view, edit, v1)); // insertion point moves behind v1
    PolygonInsertPoint(net, view, edit, v2);
    EXPECT_EQ(Ring(owner), (std::vector<TNetworkPoint*>{v1, v2, v3}));
    EXPECT_EQ(owner->PolygonBox(), (TBox{0, 0, 10, 10}));

    EXPECT_FALSE(PolygonDeletePoint(net, view, edit, other, false));
    EXPECT_TRUE(PolygonDeletePoint(net, view, edit, v2, false));
    EXPECT_EQ(net.PolygonsOf(v2).GetCount(), 0);
    EXPECT_TRUE(PolygonDeletePoint(net, view, edit, v1, true)); // right click on the first: all go
    EXPECT_TRUE(Ring(owner).empty());
    EXPECT_EQ(net.PolygonsOf(v3).GetCount(), 0);

    AddVertex(net, owner, v1);
    EXPECT_FALSE(MovePolygon(net, other, owner)); // other owns nothing
    ASSERT_TRUE(MovePolygon(net, owner, other));
    EXPECT_EQ(Ring(other), (std::vector<TNetworkPoint*>{v1}));
    EXPECT_EQ(net.PolygonsOf(v1).At(0), other);
    AddVertex(net, owner, v3);
    EXPECT_FALSE(MovePolygon(net, owner, other)); // other owns one now
    ExpectConsistent(net);
}
