#include "core/model/Network.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/model/NetworkQueries.h"
#include "core/model/WindowSettings.h"

namespace {

TNode* Add(TNetwork& net, int32_t x, int32_t y)
{
    THashEntry* cell;
    return AddNode(net, x, y, cell, false, 0);
}

TLinkValues* Link(TNetwork& net, TNode* a, TNode* b)
{
    TLink *ha, *hb;
    return AddLink(net, a, b, false, 0, ha, hb);
}

// Cells as (cellX, cellY) and nodes as serials, in walk order.
std::vector<std::pair<int, int>> CellOrder(const TNetwork& net)
{
    std::vector<std::pair<int, int>> v;
    for (THashEntry* c : net.NodeHash) v.emplace_back(c->CellX(), c->CellY());
    return v;
}

std::vector<int32_t> SerialOrder(const TNetwork& net)
{
    std::vector<int32_t> v;
    ForEachNode(net, [&](TNode* n) { v.push_back(n->Serial); });
    return v;
}

} // namespace

TEST(SpatialHash, CellIndicesFloorTowardMinusInfinity)
{
    THashTable t(200, 200);
    EXPECT_EQ(t.CellXOf(-1), -1);
    EXPECT_EQ(t.CellXOf(-200), -1);
    EXPECT_EQ(t.CellXOf(-201), -2);
    EXPECT_EQ(t.CellXOf(199), 0);
    EXPECT_EQ(t.CellXOf(200), 1);
}

TEST(SpatialHash, CellOrderIsYThenUnsignedXWhateverTheInsertOrder)
{
    TNetwork net;
    // cells (0,0), (-1,0), (1,0), (0,-1), (5,-1), (-3,2), made out of order
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {10, 10}, {-10, 10}, {1010, 5}, {250, 150}, {-590, 450}, {30, -30}, {1010, -199}})
        ASSERT_NE(Add(net, x, y), nullptr);
    std::vector<std::pair<int, int>> want{{0, -1}, {5, -1}, {0, 0}, {1, 0}, {5, 0}, {-1, 0}, {-3, 2}};
    EXPECT_EQ(CellOrder(net), want);
    // serials are creation order; the walk gives them in hash order
    EXPECT_EQ(SerialOrder(net), (std::vector<int32_t>{6, 7, 1, 4, 3, 2, 5}));
    EXPECT_EQ(net.NodeCount, 7);
}

TEST(SpatialHash, PointsByDYThenDXAndEqualKeysBeforeExisting)
{
    TNetwork net;
    TNode* a = Add(net, 50, 10);
    TNode* b = Add(net, 10, 20);
    TNode* c = Add(net, 90, 5);
    TNode* d = Add(net, 50, 10); // coincident with a: goes in front of it
    const TNodeList& pts = net.NodeHash.FindCell(0, 0)->Points;
    ASSERT_EQ(pts.GetCount(), 4);
    EXPECT_EQ(pts.At(0), c);
    EXPECT_EQ(pts.At(1), d);
    EXPECT_EQ(pts.At(2), a);
    EXPECT_EQ(pts.At(3), b);
    EXPECT_LT(c->PointKey(), a->PointKey());
    EXPECT_EQ(d->PointKey(), a->PointKey());
    EXPECT_LT(a->PointKey(), b->PointKey());

    // A rebuild reinserts in list order, so coincident points swap; every
    // point is found again at its position.
    RebuildHashTable(net, 16, 16);
    const TNodeList& p2 = net.NodeHash.FindCell(50, 10)->Points;
    ASSERT_EQ(p2.GetCount(), 2);
    EXPECT_EQ(p2.At(0), a);
    EXPECT_EQ(p2.At(1), d);
    TViewRecord view;
    for (TNode* n : {a, b, c}) {
        TNode* found;
        TShapePoint* sp;
        EXPECT_TRUE(FindNearestPoint(net, view, found, sp, false, true, n->X, n->Y));
        EXPECT_EQ(found->X, n->X);
        EXPECT_EQ(found->Y, n->Y);
    }
    EXPECT_EQ(net.MinX, 10);
    EXPECT_EQ(net.MaxX, 90);
    EXPECT_EQ(net.MinY, 5);
    EXPECT_EQ(net.MaxY, 20);
}

TEST(SpatialHash, RebuildKeepsTheOrderOfIncrementalInsertion)
{
    // Building at one cell size from scratch and rebuilding into it give the
    // same walk (and hence serials) for distinct positions.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> d(-3000, 3000);
    std::vector<std::pair<int, int>> pos;
    for (int i = 0; i < 2000; ++i) pos.emplace_back(d(rng), d(rng));
    std::sort(pos.begin(), pos.end());
    pos.erase(std::unique(pos.begin(), pos.end()), pos.end());
    std::shuffle(pos.begin(), pos.end(), rng);

    TNetwork direct;
    direct.NodeHash.CellWidth = direct.NodeHash.CellHeight = 50;
    TNetwork rebuilt;
    for (auto [x, y] : pos) {
        Add(direct, x, y);
        Add(rebuilt, x, y);
    }
    RebuildHashTable(rebuilt, 50, 50);
    EXPECT_EQ(SerialOrder(direct), SerialOrder(rebuilt));
    EXPECT_EQ(CellOrder(direct), CellOrder(rebuilt));
}

// Fills one cell with n points at 16 x 16 positions from (x0, y0), each
// position's copies together (cheap inserts).
void FillBlock(TNetwork& net, int32_t x0, int32_t y0, int n)
{
    for (int i = 0; i < n; ++i) ASSERT_NE(Add(net, x0 + (i * 256 / n) % 16, y0 + (i * 256 / n) / 16), nullptr);
}

TEST(SpatialHash, CapRefusesAndHalvingEnds)
{
    // Halving stops at the smallest cell size...
    TNetwork net;
    net.NodeHash.CellWidth = net.NodeHash.CellHeight = 32;
    FillBlock(net, 0, 0, HashCap);
    EXPECT_EQ(Add(net, 3, 3), nullptr);
    EXPECT_EQ(net.NodeCount, HashCap);
    EXPECT_NE(Add(net, 500, 7), nullptr); // other cells still take nodes
    BeginBulkLoad(net);
    RegridHashTable(net);
    EXPECT_EQ(net.NodeHash.CellWidth, MinCellSize);
    EXPECT_EQ(net.NodeHash.MaxCellPointCount(), HashCap);
    RegridHashTable(net); // and is not tried again
    EXPECT_EQ(net.NodeHash.CellWidth, MinCellSize);
    EXPECT_EQ(net.NodeHash.PointCount(), HashCap + 1);

    // ...and when it no longer thins the fullest cell.
    TNetwork dense;
    dense.NodeHash.CellWidth = dense.NodeHash.CellHeight = 128;
    FillBlock(dense, 0, 0, HashCap);
    BeginBulkLoad(dense);
    RegridHashTable(dense);
    EXPECT_EQ(dense.NodeHash.CellWidth, 64);
    EXPECT_EQ(dense.NodeHash.MaxCellPointCount(), HashCap);
}

TEST(SpatialHash, RegridHalvesAFullCellAndDoublesManyCells)
{
    TNetwork net;
    net.NodeHash.CellWidth = net.NodeHash.CellHeight = 1024;
    for (int i = 0; i < HashCap; ++i) Add(net, i % 1024, i / 1024);
    BeginBulkLoad(net);
    RegridHashTable(net);
    EXPECT_EQ(net.NodeHash.CellWidth, 512);
    EXPECT_EQ(net.NodeHash.MaxCellPointCount(), HashCap / 2);
    EXPECT_TRUE(net.RegridShrunk);

    TNetwork wide;
    wide.NodeHash.CellWidth = wide.NodeHash.CellHeight = 1;
    for (int i = 0; i < HashCap; ++i) Add(wide, i % 1000, i / 1000);
    BeginBulkLoad(wide);
    RegridHashTable(wide);
    EXPECT_LT(wide.NodeHash.GetCount(), HashCap);
    EXPECT_EQ(wide.NodeHash.CellWidth, 2);
    EXPECT_TRUE(wide.RegridGrown);
}

TEST(SpatialHash, OutsideTheWorldIsRefused)
{
    TNetwork net;
    EXPECT_EQ(Add(net, 512001, 0), nullptr);
    EXPECT_EQ(Add(net, 0, -512001), nullptr);
    EXPECT_NE(Add(net, -512000, 512000), nullptr);
    EXPECT_EQ(net.NodeCount, 1);
}

TEST(Links, TwoHalvesShareOneRecordAndBoxesGrow)
{
    TNetwork net;
    TNode* a = Add(net, 0, 0);
    TNode* b = Add(net, 300, 40);
    net.TemplateLinkValues.Name = "Main St";
    TLink *ha, *hb;
    TLinkValues* r = AddLink(net, a, b, false, 3, ha, hb);
    ASSERT_EQ(a->Links.GetCount(), 1);
    ASSERT_EQ(b->Links.GetCount(), 1);
    EXPECT_EQ(a->Links.At(0), ha);
    EXPECT_EQ(ha->AEnd(), 1);
    EXPECT_EQ(ha->FarNode, b);
    EXPECT_EQ(hb->AEnd(), 0);
    EXPECT_EQ(hb->FarNode, a);
    EXPECT_EQ(ha->LinkValues, r);
    EXPECT_EQ(hb->LinkValues, r);
    EXPECT_EQ(r->Name, "Main St");
    EXPECT_EQ(r->ByteCount, 24);
    EXPECT_EQ(net.LinkCount, 1);
    THashEntry* ca = net.NodeHash.FindCell(0, 0);
    EXPECT_EQ(ca->MaxDX, 300);
    EXPECT_EQ(ca->MaxDY, 40);
    EXPECT_EQ(r->Box, (TBox{0, 0, 300, 40}));

    TShapePoint* s2 = AddShapePoint(net, 200, 90, 0, ha);
    TShapePoint* s1 = AddShapePoint(net, 100, -20, 0, ha);
    ASSERT_EQ(r->ShapePoints.GetCount(), 2);
    EXPECT_EQ(r->ShapePoints.At(0), s1);
    EXPECT_EQ(r->ShapePoints.At(1), s2);
    EXPECT_EQ(s1->EntityType, ShapePointType);
    EXPECT_EQ(r->Box, (TBox{0, -20, 300, 90}));
    EXPECT_EQ(ca->LinkBox, r->Box);

    EXPECT_EQ(FindLinkTo(a->Links, b), ha);
    EXPECT_EQ(FindLinkBySerial(net, 300, 40, b->Serial, a->Serial), hb);
    EXPECT_EQ(FindNodeBySerial(net, 0, 0, a->Serial), a);
    EXPECT_EQ(FindNodeBySerial(net, 0, 0, 99), nullptr);
    EXPECT_EQ(FindNodeBySerial(net, 5000, 0, a->Serial), nullptr);
}

TEST(Links, ThroughLinksNeedOneInAndOneOutActive)
{
    TNetwork net;
    TNode* a = Add(net, 0, 0);
    TNode* m = Add(net, 10, 0);
    TNode* b = Add(net, 20, 0);
    TLinkValues* in = Link(net, a, m);
    TLinkValues* out = Link(net, m, b);
    TNode *from, *to;
    TLinkValues *li, *lo;
    ASSERT_TRUE(GetThroughLinks(m, from, li, to, lo));
    EXPECT_EQ(from, a);
    EXPECT_EQ(li, in);
    EXPECT_EQ(to, b);
    EXPECT_EQ(lo, out);
    TLinkValues* extra = Link(net, b, m);
    EXPECT_FALSE(GetThroughLinks(m, from, li, to, lo));
    extra->Active = 0;
    EXPECT_TRUE(GetThroughLinks(m, from, li, to, lo));
    EXPECT_FALSE(GetThroughLinks(a, from, li, to, lo));
}

TEST(Picks, RingsInOrderWithinTheSymbolSize)
{
    TNetwork net;
    TViewRecord view; // pick radius 3
    TNode* below = Add(net, 101, 101); // ring 1, row y + 1
    TNode* left = Add(net, 99, 100);   // ring 1, column x - 1
    Add(net, 103, 97);                 // ring 3
    TNode* n;
    TShapePoint* sp;
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, false, 100, 100));
    EXPECT_EQ(n, below);
    TNode* above = Add(net, 101, 99); // ring 1, row y - 1 comes first
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, false, 100, 100));
    EXPECT_EQ(n, above);
    above->Active = below->Active = 0;
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, false, 100, 100));
    EXPECT_EQ(n, left);
    EXPECT_FALSE(FindNearestPoint(net, view, n, sp, false, true, 100, 100));
    // beyond the symbol size nothing is picked
    EXPECT_FALSE(FindNearestPoint(net, view, n, sp, false, false, 108, 100));
    EXPECT_TRUE(FindNearestPoint(net, view, n, sp, false, false, 106, 97));
}

// A node on the top row of the pick square, or on the top row of a cell the
// square reaches into, is found on either side of X = 0: the scan of a cell
// starts at the row's leftmost key.
TEST(Picks, NodesOnTheTopRowOfTheSquareOrCell)
{
    TNetwork net;
    TViewRecord view; // pick radius 3
    TNode* n;
    TShapePoint* sp;
    for (int32_t sign : {1, -1}) {
        SCOPED_TRACE(sign > 0 ? "X >= 0" : "X < 0");
        // The node's row is the square's top row: ring 3 above the pick.
        TNode* top = Add(net, sign * 103, 97);
        ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, false, sign * 106, 100));
        EXPECT_EQ(n, top);
        // The square spans two cells; the node is on the lower cell's top row.
        TNode* corner = Add(net, sign * 1010, 200);
        ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, false, sign * 1010, 198));
        EXPECT_EQ(n, corner);
    }
    TNode* origin = Add(net, 0, 400); // X = 0, top row of its cell
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, false, 2, 397));
    EXPECT_EQ(n, origin);
}

TEST(Picks, CoincidentPointsGiveTheActiveVisibleNode)
{
    TNetwork net;
    TViewRecord view;
    TNode* a = Add(net, 5, 5);
    TNode* b = Add(net, 5, 5); // first in the list
    b->Active = 0;
    TNode* n;
    TShapePoint* sp;
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, true, 5, 5));
    EXPECT_EQ(n, a);
    TWindowSettings settings;
    view.Settings = &settings;
    settings.Layers.LayerStates[1] = 0; // layer hidden
    EXPECT_FALSE(FindNearestPoint(net, view, n, sp, false, true, 5, 5));
    settings.Layers.LayerStates[1] = 14; // shown from zoom 14 only
    EXPECT_FALSE(FindNearestPoint(net, view, n, sp, false, true, 5, 5));
    view.ZoomIndex = 14;
    EXPECT_TRUE(FindNearestPoint(net, view, n, sp, false, true, 5, 5));

    // a shape point in front of the node
    TNode* far = Add(net, 50, 5);
    TLink *ha, *hb;
    AddLink(net, a, far, false, 0, ha, hb);
    TShapePoint* s = AddShapePoint(net, 5, 5, 0, ha);
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, true, true, 5, 5));
    EXPECT_EQ(sp, s);
    EXPECT_EQ(n, nullptr);
    ASSERT_TRUE(FindNearestPoint(net, view, n, sp, false, true, 5, 5));
    EXPECT_EQ(n, a);

    view.CursorX = view.CursorY = 5;
    view.PickedShapePoint = s;
    EXPECT_FALSE(CanPlaceNode(net, view, &net.TemplateNode));
    EXPECT_EQ(view.PickedShapePoint, nullptr);
    view.CursorX = 6;
    EXPECT_TRUE(CanPlaceNode(net, view, &net.TemplateNode));
}

// A pick against probing every position of every ring in turn, each probe a
// pick of that position alone. Points lie scattered in one square and crowd
// another, whose rows hold so many points that picks there probe position by
// position; some are coincident, inactive, on a hidden layer or shape points.
TEST(Picks, RingSearchAgreesWithProbingEveryPosition)
{
    TNetwork net;
    TWindowSettings settings;
    settings.Layers.LayerStates[3] = 0;
    TViewRecord view;
    view.Settings = &settings;
    std::mt19937 random(11);
    std::vector<TNode*> nodes;
    // (x0, y0): the scattered square, 40 wide; (0, 0) the crowded one.
    auto place = [&](int32_t x0, int32_t y0) {
        return std::make_pair(x0 + int32_t(random() % 40), y0 + int32_t(random() % 40));
    };
    for (int i = 0; i < 500; ++i) {
        const auto [x, y] = place(i % 5 ? 0 : 400, 0);
        TNode* n = Add(net, x, y);
        n->Layer = uint8_t(1 + random() % 3);
        n->Active = random() % 5 != 0;
        nodes.push_back(n);
    }
    TLink *ha, *hb;
    AddLink(net, nodes[0], nodes[1], false, 0, ha, hb);
    for (int i = 0; i < 200; ++i) {
        const auto [x, y] = place(i % 5 ? 0 : 400, 0);
        ASSERT_NE(AddShapePoint(net, x, y, 0, ha), nullptr);
    }

    auto probed = [&](bool shapes, int32_t x, int32_t y, TNode*& n, TShapePoint*& sp) {
        auto at = [&](int64_t px, int64_t py) {
            return FindNearestPoint(net, view, n, sp, shapes, true, int32_t(px), int32_t(py));
        };
        if (at(x, y)) return true;
        for (int64_t r = 1; r <= view.PickRadius(); ++r) {
            for (int64_t px = x - r; px <= x + r; ++px)
                if (at(px, y - r)) return true;
            for (int64_t px = x - r; px <= x + r; ++px)
                if (at(px, y + r)) return true;
            for (int64_t py = y - r + 1; py < y + r; ++py)
                if (at(x - r, py)) return true;
            for (int64_t py = y - r + 1; py < y + r; ++py)
                if (at(x + r, py)) return true;
        }
        return false;
    };
    int hits = 0;
    for (int size : {0, 1, 3, 6}) {
        settings.Display.StandardSize = size;
        for (int i = 0; i < 3000; ++i) {
            const bool shapes = i % 2;
            const int32_t x = int32_t(random() % 50) - 5 + (i % 3 ? 400 : 0), y = int32_t(random() % 50) - 5;
            TNode *n = nullptr, *want = nullptr;
            TShapePoint *sp = nullptr, *wantShape = nullptr;
            const bool hit = FindNearestPoint(net, view, n, sp, shapes, false, x, y);
            ASSERT_EQ(hit, probed(shapes, x, y, want, wantShape)) << size << " " << x << "," << y;
            ASSERT_EQ(n, want) << size << " " << x << "," << y;
            ASSERT_EQ(sp, wantShape) << size << " " << x << "," << y;
            hits += hit;
        }
    }
    EXPECT_GT(hits, 3000);
}

TEST(Lookups, LongLatKeyAndIdFindTheFirstInHashOrder)
{
    TNetwork net;
    TNode* a = Add(net, 10, 10);
    THashEntry* cell = net.NodeHash.FindCell(10, 10);
    EXPECT_FALSE(cell->LongLatBoxContains(0, 0));
    a->Longitude = -870000000;
    a->Latitude = 420000000;
    cell->IncludePoint(a);
    EXPECT_EQ(cell->MinLong, -870000000);
    EXPECT_EQ(cell->MaxLong, -870000000);
    TNode* n;
    TShapePoint* sp;
    EXPECT_TRUE(FindPointByLongLat(net, 10, 10, -870000000, 420000000, 1, n, sp, false));
    EXPECT_EQ(n, a);
    EXPECT_FALSE(FindPointByLongLat(net, 10, 10, -870000000, 420000000, 2, n, sp, false));

    // Key index: built on first use, later nodes filed at the next look-up,
    // and the answer is the one a scan in hash order would give.
    TNode* k1 = Add(net, 900, 900);
    k1->SetSourceKey(42);
    k1->SetSourceCode("A");
    EXPECT_EQ(FindNodeByKey(net, 42, "A"), k1);
    EXPECT_EQ(FindNodeByKey(net, 42, "B"), nullptr);
    TNode* k2 = Add(net, 20, 20); // earlier cell
    k2->SetSourceKey(42);
    k2->SetSourceCode("A");
    TNode* k3 = Add(net, 20, 20); // same position, in front of k2
    k3->SetSourceKey(42);
    k3->SetSourceCode("A");
    EXPECT_EQ(FindNodeByKey(net, 42, "A"), k3);

    TLinkValues* r1 = Link(net, k1, a);
    r1->SourceId = 7;
    EXPECT_EQ(FindLinkById(net, 7, 0, 0)->LinkValues, r1);
    TLinkValues* r2 = Link(net, k2, a);
    r2->SourceId = 7;
    EXPECT_EQ(FindLinkById(net, 7, 5000, 5000)->LinkValues, r2);
    EXPECT_EQ(FindLinkById(net, 7, 900, 900)->LinkValues, r1); // the given cell first
    r2->Active = 0;
    EXPECT_EQ(FindLinkById(net, 7, 5000, 5000)->LinkValues, r1);
}

TEST(Upkeep, PolygonBoxesExtentsAndCulling)
{
    TNetwork net;
    TNode* owner = Add(net, 0, 0);
    TNode* v1 = Add(net, 1000, 0);
    TNode* v2 = Add(net, 1000, 800);
    for (TNode* v : {owner, v1, v2}) {
        owner->OwnPolygonRef().Insert(v);
        net.PolygonsRef(v).Insert(owner);
    }
    UpdateNodePolygonBox(net, owner);
    EXPECT_EQ(owner->PolygonBox(), (TBox{0, 0, 1000, 800}));
    EXPECT_TRUE(net.NodeHash.HasPolygons);
    v2->Active = 0;
    UpdateNodePolygonBox(net, owner);
    EXPECT_EQ(owner->PolygonBox(), (TBox{0, 0, 1000, 0}));
    owner->OwnPolygonRef().Clear();
    UpdateNodePolygonBox(net, owner);
    EXPECT_FALSE(net.NodeHash.HasPolygons);
    EXPECT_EQ(owner->Rare, nullptr); // nothing rare left: the block went
    EXPECT_EQ(owner->PolygonBox(), EmptyBox);

    RecomputeExtents(net);
    EXPECT_EQ(net.MaxY, 800); // deleted nodes count
    TNetwork empty;
    RecomputeExtents(empty);
    EXPECT_EQ(empty.MinX, WorldLimit);
    EXPECT_EQ(empty.MaxX, -WorldLimit);

    TCullParams cp;
    cp.Left = 0;
    cp.Top = 0;
    cp.Right = 300;
    cp.Bottom = 300;
    MarkCellsInView(net, cp);
    EXPECT_EQ(net.NodeHash.FindCell(0, 0)->NodesInView, 1);
    EXPECT_EQ(net.NodeHash.FindCell(1000, 800)->NodesInView, 0);
    cp.DrawAll = true;
    MarkCellsInView(net, cp);
    EXPECT_EQ(net.NodeHash.FindCell(1000, 800)->NodesInView, 1);
}

TEST(Network, FreeNetworkHandlesParallelLinksAndLoops)
{
    TNetwork net;
    TNode* a = Add(net, 0, 0);
    TNode* b = Add(net, 10, 0);
    Link(net, a, b);
    Link(net, a, b);
    Link(net, b, a);
    Link(net, a, a);
    Link(net, a, a);
    TLink *ha, *hb;
    AddLink(net, a, b, false, 0, ha, hb);
    AddShapePoint(net, 5, 5, 0, ha);
    FreeNetwork(net);
    EXPECT_EQ(net.NodeHash.GetCount(), 0);
    EXPECT_EQ(net.NodeCount, 0);
    EXPECT_EQ(net.LinkCount, 0);
    EXPECT_NE(Add(net, 1, 1), nullptr); // usable again
}

// What few nodes have sits in one block, made when one such member is set
// and freed when the last one is cleared; a node without it reads empty.
TEST(Network, RareNodeMembersComeAndGoTogether)
{
    TNetwork net;
    TNode* n = Add(net, 0, 0);
    TNode* v = Add(net, 50, 60);
    EXPECT_EQ(n->Rare, nullptr);
    n->SetNote("");
    n->SetSourceKey(0);
    n->SetSourceCode("");
    n->SetLabelOffset(0, 0);
    n->SetPolygonBox(EmptyBox);
    EXPECT_EQ(n->Rare, nullptr); // empty values make no block
    EXPECT_TRUE(n->Note().empty() && n->SourceCode().empty() && n->OwnPolygon().Empty());
    EXPECT_EQ(n->SourceKey(), 0);
    EXPECT_EQ(n->LabelXOffset(), 0);

    n->SetNote("first&&");
    n->SetSourceCode("ABC");
    n->SetSourceKey(17);
    n->SetLabelOffset(-3, 4);
    n->OwnPolygonRef().Insert(v);
    net.PolygonsRef(v).Insert(n);
    UpdateNodePolygonBox(net, n);
    ASSERT_NE(n->Rare, nullptr);
    EXPECT_EQ(n->Note(), "first&&");
    EXPECT_EQ(n->SourceCode(), "ABC");
    EXPECT_EQ(n->SourceKey(), 17);
    EXPECT_EQ(n->LabelYOffset(), 4);
    EXPECT_EQ(n->PolygonBox(), (TBox{50, 60, 50, 60}));
    EXPECT_EQ(v->Rare, nullptr);

    // Each cleared in turn: the block stays while anything is left in it.
    n->OwnPolygonRef().Clear();
    net.DropPolygons(v);
    UpdateNodePolygonBox(net, n);
    EXPECT_EQ(n->PolygonBox(), EmptyBox);
    n->SetNote("");
    n->SetSourceCode("");
    n->SetSourceKey(0);
    ASSERT_NE(n->Rare, nullptr);
    EXPECT_EQ(n->LabelXOffset(), -3);
    n->SetLabelOffset(0, 0);
    EXPECT_EQ(n->Rare, nullptr);

    // An offset along one axis only is an offset: the block stays for it.
    for (auto [x, y] : std::vector<std::pair<int16_t, int16_t>>{{0, 4}, {4, 0}, {0, -4}}) {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
        n->SetLabelOffset(x, y);
        ASSERT_NE(n->Rare, nullptr);
        EXPECT_EQ(n->LabelXOffset(), x);
        EXPECT_EQ(n->LabelYOffset(), y);
        n->SetNote("note");
        n->SetNote(""); // clearing another member keeps the offset
        ASSERT_NE(n->Rare, nullptr);
        EXPECT_EQ(n->LabelXOffset(), x);
        EXPECT_EQ(n->LabelYOffset(), y);
        n->SetLabelOffset(0, 0);
        EXPECT_EQ(n->Rare, nullptr);
    }
    FreeNetwork(net);
}

// A node's links start in room for two from the store and grow there by
// doubling; outgrown room goes back to its size class and serves the next
// node that needs that much, without touching the links that moved.
TEST(Network, LinkRoomGrowsInTheStoreAndIsReused)
{
    TNetwork net;
    TNode* hub = Add(net, 0, 0);
    std::vector<TNode*> far;
    for (int i = 1; i <= 5; ++i) far.push_back(Add(net, 100 * i, 0));
    Link(net, hub, far[0]);
    Link(net, hub, far[1]);
    EXPECT_EQ(hub->Links.GetLimit(), 2);
    EXPECT_TRUE(hub->Links.IsBorrowed());
    TLink* const* roomOf2 = hub->Links.begin();
    EXPECT_EQ(net.Store.FreeRoomCount(), 0u);
    // The hub moves to room of 4; the far node of the same link takes the 2.
    Link(net, hub, far[2]);
    EXPECT_EQ(hub->Links.GetLimit(), 4);
    EXPECT_EQ(far[2]->Links.begin(), roomOf2);
    TLink* const* roomOf4 = hub->Links.begin();
    Link(net, hub, far[3]);
    Link(net, hub, far[4]);
    EXPECT_EQ(hub->Links.GetCount(), 5);
    EXPECT_EQ(hub->Links.GetLimit(), 8);
    EXPECT_TRUE(hub->Links.IsBorrowed());
    EXPECT_EQ(net.Store.FreeRoomCount(), 1u); // the room of 4

    // A node that grows to three links takes that room of 4.
    TNode* x = Add(net, 0, 500);
    for (int i = 1; i <= 3; ++i) Link(net, x, Add(net, 100 * i, 500));
    EXPECT_EQ(x->Links.begin(), roomOf4);
    EXPECT_EQ(net.Store.FreeRoomCount(), 0u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(hub->Links.At(i)->FarNode, far[size_t(i)]);
        EXPECT_EQ(hub->Links.At(i)->NearNode(), hub);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(x->Links.At(i)->NearNode(), x);
    // Shape points grow the same way and keep their order.
    TLink* h = hub->Links.At(1);
    for (int i = 0; i < 9; ++i) ASSERT_NE(AddShapePoint(net, 10 * i + 5, 5, i, h), nullptr);
    EXPECT_EQ(h->LinkValues->ShapePoints.GetLimit(), 16);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(h->LinkValues->ShapePoints.At(i)->X, 10 * i + 5);
    // Room of an odd size (what a file announces) goes back to the class it
    // fills: room of 3 serves a need of 2, never one of 4.
    TLinkValues* r = x->Links.At(0)->LinkValues;
    TShapePoint** three = net.Store.MakeRoomFor<TShapePoint>(3);
    r->ShapePoints.Adopt(three, 3);
    for (int i = 0; i < 4; ++i) ASSERT_NE(AddShapePoint(net, 3 + i, 600, i, x->Links.At(0)), nullptr);
    EXPECT_EQ(r->ShapePoints.GetLimit(), 4);
    EXPECT_NE(net.Store.MakeRoomFor<void>(4), reinterpret_cast<void**>(three));
    EXPECT_EQ(net.Store.MakeRoomFor<void>(2), reinterpret_cast<void**>(three));
    FreeNetwork(net);
    EXPECT_EQ(net.Store.FreeRoomCount(), 0u);
}

// The side room of a pool: every object of many blocks, made while other
// room of a block's size comes and goes (so that the blocks lie in no order,
// some side by side), has a value of its own, read in any order; so do the
// objects of a pool taken over; an object made elsewhere has none.
TEST(Network, PoolSideRoomGivesEveryObjectItsOwnValue)
{
    constexpr int PerBlock = 2048, Blocks = 40;
    std::mt19937 random(3);
    std::vector<void*> spacers;
    auto stir = [&] {
        for (int k = 0; k < 4; ++k) spacers.push_back(::operator new(PerBlock * sizeof(int64_t)));
        std::shuffle(spacers.begin(), spacers.end(), random);
        for (int k = 0; k < 3; ++k) {
            ::operator delete(spacers.back());
            spacers.pop_back();
        }
    };
    TPool<int64_t> pool, other;
    std::vector<int64_t*> made;
    for (int i = 0; i < PerBlock * Blocks; ++i) {
        if (i % PerBlock == 0) stir();
        made.push_back((i / PerBlock) % 4 == 3 ? other.Make(i) : pool.Make(i));
    }
    for (void* s : spacers) ::operator delete(s);
    std::vector<size_t> order(made.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    auto poolOf = [&](size_t i) -> TPool<int64_t>& { return (i / PerBlock) % 4 == 3 ? other : pool; };
    for (size_t i : order) {
        int32_t* v = poolOf(i).MakeSideOf<int32_t>(made[i]);
        ASSERT_NE(v, nullptr) << i;
        *v = int32_t(i);
    }
    std::shuffle(order.begin(), order.end(), random);
    for (size_t i : order) {
        const int32_t* v = poolOf(i).SideOf<int32_t>(made[i]);
        ASSERT_NE(v, nullptr) << i;
        ASSERT_EQ(*v, int32_t(i));
    }
    EXPECT_EQ(pool.SideRoomBytes(), size_t(PerBlock) * 30 * sizeof(int32_t));
    int64_t elsewhere = 0;
    EXPECT_EQ(pool.SideOf<int32_t>(&elsewhere), nullptr);
    EXPECT_EQ(pool.SideOf<int32_t>(made[3 * PerBlock]), nullptr); // the other pool's

    pool.TakeOver(other);
    EXPECT_EQ(other.SideOf<int32_t>(made[3 * PerBlock]), nullptr);
    std::shuffle(order.begin(), order.end(), random);
    for (size_t i : order) {
        const int32_t* v = pool.SideOf<int32_t>(made[i]);
        ASSERT_NE(v, nullptr) << i;
        ASSERT_EQ(*v, int32_t(i));
    }
    EXPECT_EQ(pool.SideRoomBytes(), size_t(PerBlock) * Blocks * sizeof(int32_t));
    EXPECT_EQ(pool.Count(), made.size());
}

// Fractions of points of many pool blocks, made in turns with the points of
// another network so that the blocks do not lie in address order: each point
// reads back its own, through erasures, a take-over of the other network's
// elements and a point made outside the pools; the pools' side room takes
// 16 bytes a point.
TEST(Network, FractionsOfPooledPointsStayWithTheirPoints)
{
    TNetwork net;
    auto other = std::make_unique<TNetwork>();
    std::vector<std::pair<TNetwork*, TNetworkPoint*>> points;
    TNode* a = Add(net, 0, 0);
    TLink *ha, *hb;
    AddLink(net, a, Add(net, 100, 0), false, 0, ha, hb);
    TNode* b = Add(*other, 0, 0);
    TLink *oa, *ob;
    AddLink(*other, b, Add(*other, 100, 0), false, 0, oa, ob);
    for (int32_t i = 0; i < 9000; ++i) {
        TNetwork& in = i % 3 == 1 ? *other : net;
        const int32_t x = i % 977, y = i / 977;
        TNetworkPoint* p = i % 2 ? static_cast<TNetworkPoint*>(AddShapePoint(in, x, y, 0, &in == &net ? ha : oa))
                                 : Add(in, x, y);
        ASSERT_NE(p, nullptr);
        points.emplace_back(&in, p);
    }
    auto want = [](const TNetworkPoint* p, size_t i) { return std::make_pair(p->X + 0.25 + 1e-9 * double(i), p->Y - 0.5); };
    for (size_t i = 0; i < points.size(); ++i) {
        auto [in, p] = points[i];
        const auto [xf, yf] = want(p, i);
        p->SetFraction(*in, xf, yf);
    }
    net.TemplateNode.SetFraction(net, 0.5, 0.25);
    auto agree = [&](size_t from) {
        for (size_t i = from; i < points.size(); ++i) {
            auto [in, p] = points[i];
            ASSERT_TRUE(p->HasFraction);
            EXPECT_EQ(std::make_pair(p->XF(*in), p->YF(*in)), want(p, i)) << i;
        }
    };
    agree(0);
    EXPECT_EQ(net.TemplateNode.XF(net), 0.5);
    EXPECT_EQ(net.Store.Fractions.size(), 6001u);
    EXPECT_EQ(other->Store.Fractions.size(), 3000u);
    EXPECT_GE(net.Store.Fractions.PooledBytes(), 6000 * 16);
    EXPECT_LE(net.Store.Fractions.PooledBytes(), 6000 * 16 + 2 * 2048 * 16);

    // Whole positions drop their fractions; the others stay.
    for (size_t i = 0; i < 600; ++i) {
        auto [in, p] = points[i];
        p->SetFraction(*in, p->X, p->Y);
        EXPECT_FALSE(p->HasFraction);
        EXPECT_EQ(std::make_pair(p->XF(*in), p->YF(*in)), std::make_pair(double(p->X), double(p->Y)));
    }
    EXPECT_EQ(net.Store.Fractions.size() + other->Store.Fractions.size(), 9001u - 600);
    agree(600);

    // The other network's elements come here with their fractions.
    net.Store.TakeOver(other->Store);
    EXPECT_EQ(net.Store.Fractions.size(), 9001u - 600);
    for (auto& [in, p] : points) in = &net;
    agree(600);
    EXPECT_EQ(net.TemplateNode.XF(net), 0.5);
    other.reset();
}

// The fraction table against a plain map: crowds of neighbouring addresses,
// erasures in the middle of probe runs, growth and a take-over.
TEST(Network, FractionTableKeepsEveryEntryThroughErasuresAndGrowth)
{
    std::vector<TNetworkPoint*> keys;
    static std::vector<char> room(64 * 5000);
    for (size_t i = 0; i < 5000; ++i) keys.push_back(reinterpret_cast<TNetworkPoint*>(room.data() + 64 * i));
    TFractionTable table;
    std::unordered_map<const TNetworkPoint*, std::pair<double, double>> plain;
    std::mt19937 random(7);
    auto agree = [&] {
        ASSERT_EQ(table.size(), plain.size());
        for (TNetworkPoint* k : keys) {
            const TFractionTable::TFraction* f = table.Find(k);
            const auto it = plain.find(k);
            ASSERT_EQ(f != nullptr, it != plain.end());
            if (f) { EXPECT_EQ(std::make_pair(f->XF, f->YF), it->second); }
        }
    };
    for (int round = 0; round < 40000; ++round) {
        TNetworkPoint* k = keys[random() % (round < 20000 ? keys.size() : 700)];
        if (random() % 3 == 0) {
            table.Erase(k);
            plain.erase(k);
        } else {
            const double v = round + 0.25;
            table.Set(k, {v, -v});
            plain[k] = {v, -v};
        }
        if (round % 5000 == 0) agree();
    }
    agree();
    TFractionTable other;
    other.Set(keys[4999], {1.5, 2.5});
    table.TakeOver(other);
    plain[keys[4999]] = {1.5, 2.5};
    EXPECT_TRUE(other.empty());
    agree();
    for (TNetworkPoint* k : keys) table.Erase(k);
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.Find(keys[0]), nullptr);
}
