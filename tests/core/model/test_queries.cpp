#include "core/model/NetworkQueries.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "core/model/WindowSettings.h"

namespace {

TNode* Add(TNetwork& net, int32_t x, int32_t y)
{
    THashEntry* cell;
    return AddNode(net, x, y, cell, false, 0);
}

TLink* Link(TNetwork& net, TNode* a, TNode* b)
{
    TLink *ha, *hb;
    AddLink(net, a, b, false, 0, ha, hb);
    return ha;
}

// A node owning a polygon through the given positions (the first is the owner).
TNode* Polygon(TNetwork& net, std::initializer_list<std::pair<int, int>> pts)
{
    TNode* owner = nullptr;
    for (auto [x, y] : pts) {
        TNode* v = Add(net, x, y);
        if (!owner) owner = v;
        owner->OwnPolygonRef().Insert(v);
        net.PolygonsRef(v).Insert(owner);
    }
    return owner;
}

int Pip(int x, int y, std::initializer_list<TIntPoint> ring)
{
    TBox box = EmptyBox;
    for (const TIntPoint& p : ring) box.Include(p.X, p.Y);
    return PointInPolygon(x, y, ring.begin(), box, int32_t(ring.size()));
}

} // namespace

TEST(LinkGeometry, AzimuthLengthAndLabelPoint)
{
    TNetwork net;
    TNode* o = Add(net, 0, 0);
    EXPECT_DOUBLE_EQ(LinkAzimuth(Link(net, o, Add(net, 0, 10))), 180);
    EXPECT_DOUBLE_EQ(LinkAzimuth(Link(net, Add(net, 0, 10), o)), 0);
    EXPECT_DOUBLE_EQ(LinkAzimuth(Link(net, o, Add(net, 10, 0))), 90);
    EXPECT_NEAR(LinkAzimuth(Link(net, o, Add(net, 10, 10))), 135, 1e-12);
    EXPECT_NEAR(LinkAzimuth(Link(net, o, Add(net, -10, 0))), 270, 1e-12);

    TLink* h = Link(net, o, Add(net, 3, 4));
    EXPECT_DOUBLE_EQ(LinkLength(h, 1.0), 5);
    int32_t x, y;
    LinkMidpoint(net, h, x, y);
    EXPECT_EQ(x, 2); // 1.5 rounds to the even 2
    EXPECT_EQ(y, 2);
    LinkMidpoint(net, Link(net, o, Add(net, 5, 7)), x, y);
    EXPECT_EQ(x, 2); // 2.5 -> 2
    EXPECT_EQ(y, 4); // 3.5 -> 4

    // With shape points: the middle of the segment that reaches half the length.
    TLink* bent = Link(net, o, Add(net, 10, 10));
    TShapePoint* s = AddShapePoint(net, 10, 0, 0, bent);
    EXPECT_DOUBLE_EQ(LinkLength(bent, 1.0), 20);
    EXPECT_DOUBLE_EQ(LinkLength(bent, 1.0, s), 10);
    LinkMidpoint(net, bent, x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 0);
    EXPECT_DOUBLE_EQ(LinkLength(bent, 2.0), 10);
    EXPECT_DOUBLE_EQ(LinkLength(bent, 0.0), 20); // never a division by zero

    EXPECT_EQ(AttachedLinkCount(o), 8);
    bent->LinkValues->Active = 0;
    EXPECT_EQ(AttachedLinkCount(o), 7);
}

TEST(PolygonGeometry, PointInPolygonEdgesVerticesAndTouches)
{
    std::initializer_list<TIntPoint> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_EQ(Pip(5, 5, square), 2);
    EXPECT_EQ(Pip(0, 0, square), 1);   // vertex
    EXPECT_EQ(Pip(5, 0, square), 1);   // horizontal edge
    EXPECT_EQ(Pip(5, 10, square), 1);
    EXPECT_EQ(Pip(10, 5, square), 1);  // vertical edge
    EXPECT_EQ(Pip(0, 5, square), 1);
    EXPECT_EQ(Pip(15, 5, square), 0);  // outside the box
    EXPECT_EQ(Pip(3, 7, {{0, 0}, {10, 0}, {0, 10}}), 1); // slanted edge
    EXPECT_EQ(Pip(6, 6, {{0, 0}, {10, 0}, {0, 10}}), 0);

    // The ray through a reflex vertex only touches the ring there.
    std::initializer_list<TIntPoint> vee{{0, 0}, {20, 0}, {20, 10}, {10, 5}, {0, 10}};
    EXPECT_EQ(Pip(2, 5, vee), 2);
    EXPECT_EQ(Pip(15, 5, vee), 2);
    EXPECT_EQ(Pip(10, 8, vee), 0);
    // ...and along a horizontal bump.
    std::initializer_list<TIntPoint> bump{{0, 0}, {20, 0}, {20, 10}, {14, 10}, {12, 5}, {10, 5}, {8, 10}, {0, 10}};
    EXPECT_EQ(Pip(2, 5, bump), 2);
    EXPECT_EQ(Pip(11, 5, bump), 1);
    EXPECT_EQ(Pip(11, 8, bump), 0);
}

TEST(PolygonGeometry, AreaCentroidPerimeterAndOrientation)
{
    TNetwork net;
    TNode* sq = Polygon(net, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_DOUBLE_EQ(PolygonArea(sq->OwnPolygon(), 1.0), 100);
    EXPECT_DOUBLE_EQ(PolygonCentroid(sq->OwnPolygon(), true), 5);
    EXPECT_DOUBLE_EQ(PolygonCentroid(sq->OwnPolygon(), false), 5);
    EXPECT_DOUBLE_EQ(PolygonPerimeter(sq->OwnPolygon(), 1.0, false), 40);
    EXPECT_DOUBLE_EQ(PolygonPerimeter(sq->OwnPolygon(), 1.0, true), 30);
    EXPECT_DOUBLE_EQ(PolygonPerimeter(sq->OwnPolygon(), 1.0, true, sq->OwnPolygon().At(2)), 20);
    // Y grows downward: right, down, left, up is clockwise on screen.
    EXPECT_TRUE(PolygonIsClockwise(sq));
    TNetworkPoint* first = sq->OwnPolygon().At(0);
    ReversePolygon(sq);
    EXPECT_EQ(sq->OwnPolygon().At(3), first);
    EXPECT_FALSE(PolygonIsClockwise(sq));

    TNode* tri = Polygon(net, {{100, 100}, {106, 100}, {100, 106}});
    EXPECT_DOUBLE_EQ(PolygonCentroid(tri->OwnPolygon(), true), 102);
    EXPECT_DOUBLE_EQ(PolygonCentroid(tri->OwnPolygon(), false), 102);
    EXPECT_DOUBLE_EQ(PolygonArea(tri->OwnPolygon(), 2.0), 4.5);

    // Deleted vertices drop out; fewer than three give the neutral values.
    tri->OwnPolygon().At(2)->Active = 0;
    EXPECT_EQ(CountPolygonVertices(tri->OwnPolygon(), true), 2);
    EXPECT_DOUBLE_EQ(PolygonArea(tri->OwnPolygon(), 1.0), 0);
    EXPECT_DOUBLE_EQ(PolygonCentroid(tri->OwnPolygon(), true), 0);
    TNode* line = Polygon(net, {{0, 50}, {10, 50}});
    EXPECT_TRUE(PolygonIsClockwise(line));
    // A degenerate ring has total 0 and gives its first vertex.
    TNode* flat = Polygon(net, {{7, 70}, {8, 70}, {9, 70}});
    EXPECT_DOUBLE_EQ(PolygonCentroid(flat->OwnPolygon(), true), 7);
}

TEST(Names, HashPatternsAndIndex)
{
    EXPECT_EQ(NameHash("Elm St  "), NameHash("Elm St"));
    EXPECT_EQ(NameHash(""), 0);
    EXPECT_EQ(NameHash("\xff"), 255 % 128);

    std::string a = PrepareNamePattern("A*  ");
    EXPECT_EQ(a.size(), 255u);
    EXPECT_TRUE(NameMatchesText(a, "A"));
    EXPECT_TRUE(NameMatchesText(a, "Avenue of the Americas"));
    EXPECT_TRUE(NameMatchesText(a, "A" + std::string(254, 'x')));
    EXPECT_FALSE(NameMatchesText(a, "A" + std::string(255, 'x')));
    EXPECT_FALSE(NameMatchesText(a, "Broadway"));
    std::string q = PrepareNamePattern("A?C");
    EXPECT_TRUE(NameMatchesText(q, "ABC"));
    EXPECT_TRUE(NameMatchesText(q, "ABC  "));
    EXPECT_FALSE(NameMatchesText(q, "ABCD"));
    EXPECT_FALSE(NameMatchesText(q, "AB"));
    EXPECT_TRUE(NameMatchesText("", "   "));
    EXPECT_FALSE(NameMatchesText("", "X"));

    TNetwork net;
    TNode* n1 = Add(net, 0, 0);
    TNode* n2 = Add(net, 500, 0);
    TNode* n3 = Add(net, 900, 0);
    n1->Name = "Hub";
    n2->Name = "Hub ";
    n3->Name = "Depot";
    n1->Active = 0;
    TLink* h = Link(net, n2, n3);
    h->LinkValues->Name = "Ring Rd";
    TNameIndex ix;
    ix.Build(net);
    EXPECT_EQ(ix.FindIndexedNode("Hub"), n2); // the deleted one is passed over
    EXPECT_EQ(ix.FindIndexedNode("Depot  "), n3);
    EXPECT_EQ(ix.FindIndexedNode("Nowhere"), nullptr);
    EXPECT_EQ(ix.FindIndexedLink("Ring Rd"), h);
    EXPECT_EQ(FindNodeByName(net, PrepareNamePattern("H*"), nullptr), n2);
    TClassFilter filter{};
    EXPECT_EQ(FindNodeByName(net, "Hub", &filter), nullptr);
    filter[0] = true;
    EXPECT_EQ(FindNodeByName(net, "Hub", &filter), n2);
    EXPECT_EQ(FindLinkByName(net, "R??? Rd", nullptr), h);
    ix.Free();
    EXPECT_EQ(ix.FindIndexedNode("Hub"), nullptr);
}

TEST(Names, IndexAnswersAsTheScanInWalkOrder)
{
    TNetwork net;
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back("N" + std::to_string(i * 7919 % 1000) + (i % 3 ? "" : "  "));
    for (int i = 0; i < 3000; ++i) {
        TNode* n = Add(net, (i * 37) % 5000 - 2500, (i * 91) % 3000);
        n->Name = names[size_t(i * 13 % 60)];
        n->Active = (i % 5) != 0;
    }
    TNameIndex ix;
    ix.Build(net);
    for (const std::string& name : names)
        EXPECT_EQ(ix.FindIndexedNode(name), FindNodeByName(net, PrepareNamePattern(name), nullptr));
    EXPECT_EQ(ix.FindIndexedNode("N?"), nullptr);
}

TEST(Names, ReplaceEntityNames)
{
    TNetwork net;
    TNode* a = Add(net, 0, 0);
    TNode* b = Add(net, 10, 0);
    TNode* gone = Add(net, 20, 0);
    a->Name = "Main St & Oak St";
    b->Name = "Streetcar Stop St";
    gone->Name = "Old St";
    gone->Active = 0;
    TLink* h = Link(net, a, b);
    h->LinkValues->Name = "St";

    EXPECT_EQ(ReplaceEntityNames(net, "", "x", false), 0); // ends, changes nothing
    EXPECT_EQ(a->Name, "Main St & Oak St");

    EXPECT_EQ(ReplaceEntityNames(net, "St", "Street", false), 2);
    EXPECT_EQ(a->Name, "Main Street & Oak Street");
    EXPECT_EQ(b->Name, "Streetreetcar Streetop Street"); // each occurrence once
    EXPECT_EQ(gone->Name, "Old St");
    EXPECT_EQ(h->LinkValues->Name, "St");
    EXPECT_EQ(ReplaceEntityNames(net, "Street", "Boulevard", false), 2);
    EXPECT_EQ(b->Name, "Boulevardreetcar Boulevardop B"); // cut to 30
    EXPECT_EQ(ReplaceEntityNames(net, "St", "Ave", true), 1);
    EXPECT_EQ(h->LinkValues->Name, "Ave");
}

TEST(Counts, ByClassSkipDeletedAndHiddenElements)
{
    TNetwork net;
    TViewRecord view;
    TNode* a = Add(net, 0, 0);
    TNode* b = Add(net, 10, 0);
    TNode* c = Add(net, 20, 0);
    a->EntityType = 2;
    b->EntityType = 2;
    c->EntityType = 0;
    b->Layer = 3;
    TWindowSettings settings;
    view.Settings = &settings;
    settings.Layers.LayerStates[3] = 0;
    a->OwnPolygonRef().Insert(b);
    TLink* l1 = Link(net, a, b);
    TLink* l2 = Link(net, a, c);
    TLink* l3 = Link(net, b, c); // A node on a hidden layer
    l1->LinkValues->EntityType = 4;
    l2->LinkValues->EntityType = 4;
    l3->LinkValues->EntityType = 4;
    l2->LinkValues->Active = 0;

    TClassCounts counts;
    CountMatchingNodesByType(net, view, nullptr, counts);
    EXPECT_EQ(counts[2], 1);
    EXPECT_EQ(counts[0], 0);
    CountMatchingPolygonsByType(net, view, nullptr, counts);
    EXPECT_EQ(counts[2], 1);
    CountMatchingLinksByType(net, view, nullptr, counts);
    EXPECT_EQ(counts[4], 1);
    CountMatchingNodesByType(net, view, [](const TNode*) { return false; }, counts);
    EXPECT_EQ(counts[2], 0);
}

TEST(Schema, ResizeValueBlocksAndStringLists)
{
    TNetwork net;
    (*net.NodeClasses)[1].AttributeCount = 2;
    (*net.NodeClasses)[1].StringCount = 1;
    net.TemplateNode.EntityType = 1;
    net.TemplateNode.Values[0].SetReal(3.5);
    net.TemplateNode.Values[1].SetReal(4.5);
    net.TemplateNode.Strings = {"first", "second"};
    THashEntry* cell;
    TNode* n = AddNode(net, 0, 0, cell, true, 0);
    ASSERT_EQ(n->ByteCount, 16);
    EXPECT_EQ(SlotOf(*n, 2)->Real(), 4.5);
    EXPECT_EQ(n->Strings, (TStringList{"first"}));

    (*net.NodeClasses)[1].AttributeCount = 3;
    (*net.NodeClasses)[1].StringCount = 2;
    ResizeAttributeArrays(net, net.LinkClasses.get()); // links only: nodes untouched
    EXPECT_EQ(n->ByteCount, 16);
    ResizeAttributeArrays(net, net.NodeClasses.get());
    ASSERT_EQ(n->ByteCount, 24);
    EXPECT_EQ(SlotOf(*n, 1)->Real(), 3.5);
    EXPECT_EQ(SlotOf(*n, 3)->Real(), 0.0);
    EXPECT_EQ(SlotOf(*n, 4), nullptr);
    ResizeStringAttributeLists(net);
    EXPECT_EQ(n->Strings, (TStringList{"first", ""}));
}
