#include "core/edit/Transforms.h"

#include <cmath>

#include "test_edit_support.h"

using namespace edittest;

TEST(Transforms, ExactCoordinatesAccumulateAndUndoReverses)
{
    TNetwork net;
    TNode* p = Node(net, 0, 0);
    TNode* q = Node(net, 1000, -1000);
    TViewRecord view;
    TWindowSettings settings;
    TTransformParams t;
    t.TranslateX = t.TranslateY = 0.4;
    TransformNetwork(net, view, settings, TransformTranslate, t);
    EXPECT_EQ(p->X, 0);
    TransformNetwork(net, view, settings, TransformTranslate, t);
    EXPECT_EQ(p->X, 1); // 0.8 rounds up
    EXPECT_EQ(p->Y, 1);

    net.TransformUndo.Insert(new TTransformItem(TransformScale, 0, 3.0, 2.0, settings.Layers.LayerStates));
    TTransformParams s;
    s.ScaleX = 2;
    s.ScaleY = 3;
    TransformNetwork(net, view, settings, TransformScale, s);
    EXPECT_EQ(q->Y, -2998);
    net.Modified = false;
    TTransformParams u;
    ASSERT_TRUE(TransformNetwork(net, view, settings, TransformUndoLast, u));
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(q->X, 1001);
    EXPECT_EQ(q->Y, -999);
    EXPECT_DOUBLE_EQ(net.TransformTotals[2], 0.5);
    EXPECT_FALSE(TransformNetwork(net, view, settings, TransformUndoLast, u)); // nothing left to undo
    view.CursorX = 100;
    TransformPoint(view, u); // the cursor follows the kind applied
    EXPECT_EQ(view.CursorX, 50);
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
    TWindowSettings settings;
    view.Settings = &settings;
    settings.Layers.LayerStates[5] = 0;
    TTransformParams t;
    t.Angle = 90;
    t.ShownLayersOnly = 1;
    TransformNetwork(net, view, settings, TransformRotate, t);
    EXPECT_EQ(p->X, 0);
    EXPECT_EQ(p->Y, 100);
    EXPECT_EQ(hidden->X, 200); // on a hidden layer: stays
    EXPECT_EQ(sp->Y, 300);     // shape points always move
    EXPECT_EQ(r->Box, (TBox{0, 0, 200, 400000}));

    settings.Backgrounds.Raster[1] = {"map.jpg", 100, 50, 1, 1};
    TTransformParams s;
    s.ScaleX = s.ScaleY = 2;
    TransformNetwork(net, view, settings, TransformScale, s);
    EXPECT_EQ(settings.Backgrounds.Raster[1].X, 200);
    EXPECT_EQ(settings.Backgrounds.Raster[1].YScale, 2);
    EXPECT_EQ(far->Y, WorldLimit);
    EXPECT_DOUBLE_EQ(far->YF(net), 800000);
    s.ScaleX = 0;
    EXPECT_FALSE(TransformNetwork(net, view, settings, TransformScale, s));
    s.ScaleX = std::nan("");
    EXPECT_FALSE(TransformNetwork(net, view, settings, TransformScale, s));
    ExpectConsistent(net);
}

TEST(Transforms, CellSizesStayInRangeAndLongLatBoxesFollow)
{
    TNetwork net;
    for (int i = 0; i < 3000; ++i) Node(net, i % 50, i / 50); // one crowded cell
    TNode* k = Node(net, 30, 30);
    k->Longitude = -800000000;
    k->Latitude = 400000000;
    TViewRecord view;
    TWindowSettings settings;
    TTransformParams s;
    s.ScaleX = s.ScaleY = 1e-6;
    TransformNetwork(net, view, settings, TransformScale, s);
    EXPECT_GE(net.NodeHash.CellWidth, MinCellSize);
    s.ScaleX = s.ScaleY = 1e12;
    TransformNetwork(net, view, settings, TransformScale, s);
    EXPECT_LE(net.NodeHash.CellWidth, MaxCellSize);
    TTransformParams t;
    t.TranslateX = -WorldLimit;
    TransformNetwork(net, view, settings, TransformTranslate, t);
    EXPECT_TRUE(net.NodeHash.FindCell(k->X, k->Y)->LongLatBoxContains(-800000000, 400000000));
    ExpectConsistent(net);
}
