#include "core/Transforms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Undo.h"
#include "test_edit_support.h"

using namespace edittest;

TEST(Transforms, TranslateAccumulatesExactCoordinatesAndUndoReverses)
{
    TNetwork net;
    TNode* p = Node(net, 0, 0);
    TNode* q = Node(net, 1000, -1000);
    TViewRecord view;
    TTransformParams t;
    t.TranslateX = t.TranslateY = 0.4;
    ASSERT_TRUE(TransformNetwork(net, view, TransformTranslate, t));
    EXPECT_EQ(p->X, 0);
    ASSERT_TRUE(TransformNetwork(net, view, TransformTranslate, t));
    EXPECT_EQ(p->X, 1);
    EXPECT_EQ(p->Y, 1);
    EXPECT_DOUBLE_EQ(p->XF, 0.8);

    // Scale, recorded as the dialogs do, then undone.
    net.TransformUndo.Insert(new TTransformItem(TransformScale, 0, 3.0, 2.0, view));
    TTransformParams s;
    s.ScaleX = 2;
    s.ScaleY = 3;
    ASSERT_TRUE(TransformNetwork(net, view, TransformScale, s));
    EXPECT_EQ(q->X, 2002);
    EXPECT_EQ(q->Y, -2998);
    net.Modified = false;
    TTransformParams u;
    ASSERT_TRUE(TransformNetwork(net, view, TransformUndoLast, u));
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(u.AppliedKind, TransformScale);
    EXPECT_DOUBLE_EQ(u.ScaleX, 0.5);
    EXPECT_EQ(q->X, 1001);
    EXPECT_EQ(q->Y, -999);
    EXPECT_DOUBLE_EQ(net.TransformTotals[2], 0.5);
    EXPECT_TRUE(net.TransformUndo.Empty());
    EXPECT_FALSE(TransformNetwork(net, view, TransformUndoLast, u));
    // The keyboard cursor follows the kind applied.
    view.CursorX = 100;
    view.CursorY = 7;
    TransformPoint(view, u);
    EXPECT_EQ(view.CursorX, 50);
    EXPECT_EQ(view.CursorY, 2);
    ExpectConsistent(net);
}

TEST(Transforms, RotateClampAndShownLayersOnly)
{
    TNetwork net;
    TNode* p = Node(net, 100, 0);
    TNode* hidden = Node(net, 200, 0);
    hidden->Layer = 5;
    TNode* far = Node(net, 400000, 0);
    TLinkValues* r = Link(net, hidden, far);
    TShapePoint* sp = Shape(net, r, 300, 0);
    TViewRecord view;
    view.LayerStates[5] = 0;
    TTransformParams t;
    t.Angle = 90;
    t.ShownLayersOnly = 1;
    ASSERT_TRUE(TransformNetwork(net, view, TransformRotate, t));
    EXPECT_EQ(p->X, 0);
    EXPECT_EQ(p->Y, 100);
    EXPECT_EQ(hidden->X, 200); // its layer is hidden: it stays
    EXPECT_EQ(sp->X, 0);       // shape points always move
    EXPECT_EQ(sp->Y, 300);
    EXPECT_EQ(r->Box, (TBox{0, 0, 200, 400000}));

    TTransformParams s;
    s.ScaleX = s.ScaleY = 2;
    ASSERT_TRUE(TransformNetwork(net, view, TransformScale, s));
    EXPECT_EQ(far->Y, WorldLimit); // clamped
    EXPECT_DOUBLE_EQ(far->YF, 800000);
    EXPECT_EQ(net.MaxY, WorldLimit);
    s.ScaleX = 0;
    EXPECT_FALSE(TransformNetwork(net, view, TransformScale, s));
    s.ScaleX = std::nan("");
    EXPECT_FALSE(TransformNetwork(net, view, TransformScale, s));
    ExpectConsistent(net);
}

TEST(Transforms, RebuildKeepsCellOrderSizesAndLongLatBoxes)
{
    TNetwork net;
    // Many points in one cell: a strong shrink must not give 0-sized cells.
    for (int i = 0; i < 3000; ++i) Node(net, i % 50, i / 50);
    TNode* known = Node(net, 30, 30);
    known->Longitude = -800000000;
    known->Latitude = 400000000;
    TViewRecord view;
    TTransformParams s;
    s.ScaleX = s.ScaleY = 1e-6;
    ASSERT_TRUE(TransformNetwork(net, view, TransformScale, s));
    EXPECT_GE(net.NodeHash.CellWidth, MinCellSize);
    EXPECT_GE(net.NodeHash.CellHeight, MinCellSize);
    s.ScaleX = s.ScaleY = 1e12;
    ASSERT_TRUE(TransformNetwork(net, view, TransformScale, s));
    EXPECT_LE(net.NodeHash.CellWidth, MaxCellSize);
    EXPECT_GT(net.NodeHash.CellWidth, 0);
    ExpectConsistent(net);

    TNetwork small;
    TNode* k = Node(small, 30, 30);
    k->Longitude = -800000000;
    k->Latitude = 400000000;
    Node(small, 31, 30);
    TTransformParams t;
    t.TranslateX = 1000;
    ASSERT_TRUE(TransformNetwork(small, view, TransformTranslate, t));
    const THashEntry* cell = small.NodeHash.FindCell(k->X, k->Y);
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(cell->LongLatBoxContains(-800000000, 400000000));
    ExpectConsistent(small);
}
