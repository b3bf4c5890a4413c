#include "core/edit/Transforms.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "core/file/NetworkFile.h"
#include "core/geo/LongLat.h"
#include "core/model/Messages.h"

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

// Fractions left by transforms stay exact through further transforms and
// feed long/lat placement; a point placed on a whole position drops its
// fraction; a freed point or network leaves none behind; a save writes
// whole positions and reads back to the same bytes.
TEST(Transforms, FractionsStayExactAndGoWithTheirPoints)
{
    TNetwork net;
    TNode* pivot = Node(net, 0, 0);
    pivot->Longitude = -880000000;
    pivot->Latitude = 410000000;
    TNode* p = Node(net, 100, 200);
    TNode* q = Node(net, -300, 50);
    TShapePoint* sp = Shape(net, Link(net, p, q), 7, 9);
    TViewRecord view;
    TWindowSettings settings;
    TTransformParams s;
    s.ScaleX = s.ScaleY = 1.5;
    ASSERT_TRUE(TransformNetwork(net, view, settings, TransformScale, s));
    TTransformParams t;
    t.TranslateX = 0.25;
    t.TranslateY = 0.5;
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(TransformNetwork(net, view, settings, TransformTranslate, t));
    struct TWant {
        TNetworkPoint* P;
        int32_t X, Y;
        double XF, YF;
    };
    for (const TWant& w : {TWant{p, 150, 301, 150.5, 301}, TWant{q, -450, 76, -449.5, 76},
                           TWant{sp, 11, 14, 11, 14.5}, TWant{pivot, 0, 1, 0.5, 1}}) {
        EXPECT_EQ(w.P->X, w.X);
        EXPECT_EQ(w.P->Y, w.Y);
        EXPECT_EQ(w.P->XF(net), w.XF);
        EXPECT_EQ(w.P->YF(net), w.YF);
    }
    EXPECT_EQ(net.Store.Fractions.size(), 4u);

    // Long/lat from the exact positions.
    int32_t unfitted = 0;
    ASSERT_EQ(ComputeLongLatByInterpolation(net, pivot, 1, false, false, 0, -1000, unfitted), TLongLatStatus::Done);
    const TLongLatPivot pv{0.5, 1, -880000000, 410000000};
    int32_t lon = 0, lat = 0;
    ASSERT_TRUE(LinearCosinePosition(150.5, 301, pv, -1000, lon, lat));
    EXPECT_EQ(p->Longitude, lon);
    EXPECT_EQ(p->Latitude, lat);
    ASSERT_TRUE(LinearCosinePosition(11, 14.5, pv, -1000, lon, lat));
    EXPECT_EQ(sp->Longitude, lon);
    EXPECT_EQ(sp->Latitude, lat);

    // Placed on a whole position: no fraction left.
    MoveNodeTo(net, p, 40, 60);
    EXPECT_EQ(p->XF(net), 40);
    EXPECT_EQ(p->YF(net), 60);
    EXPECT_EQ(net.Store.Fractions.size(), 3u);
    ExpectConsistent(net);

    // Saved and read back: the same bytes.
    const std::string dir = std::filesystem::temp_directory_path() / ("tarvex-fractions-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    };
    TMessageSinkRecorder sink;
    ASSERT_TRUE(SaveNetworkFile(net, settings, dir + "/a.dta", 9, sink).Ok);
    TNetwork back;
    TWindowSettings backSettings;
    ASSERT_EQ(OpenNetworkFile(back, backSettings, dir + "/a.dta", true, sink).Status, TOpenStatus::Ok);
    ASSERT_TRUE(SaveNetworkFile(back, backSettings, dir + "/b.dta", 9, sink).Ok);
    EXPECT_EQ(bytes(dir + "/a.dta"), bytes(dir + "/b.dta"));
    EXPECT_TRUE(back.Store.Fractions.empty());
    std::filesystem::remove_all(dir);

    // A point freed before its network takes its fraction with it.
    TNode* e = Node(net, 1000, 1000);
    e->SetFraction(net, 1000.5, 999.75);
    EXPECT_EQ(net.Store.Fractions.size(), 4u);
    ASSERT_TRUE(net.NodeHash.RemovePoint(net.NodeHash.FindCell(1000, 1000), e));
    FreePoint(net, e);
    EXPECT_EQ(net.Store.Fractions.size(), 3u);

    // So does the network: the points made after have none.
    FreeNetwork(net);
    EXPECT_TRUE(net.Store.Fractions.empty());
    for (int i = 0; i < 8; ++i) {
        TNode* n = Node(net, i, -i);
        EXPECT_FALSE(n->HasFraction);
        EXPECT_EQ(n->XF(net), i);
        EXPECT_EQ(n->YF(net), -i);
    }
}
