#include "test_edit_support.h"

using namespace edittest;

namespace {

void Template(TNetwork& net, int cls, int count)
{
    (*net.NodeClasses)[cls].AttributeCount = count;
    net.TemplateNode.EntityType = uint8_t(cls);
    for (int i = 0; i < count; ++i) net.TemplateNode.Values[size_t(i)].SetReal(100 + i);
    net.TemplateNode.Name = "tmpl";
    net.TemplateNode.Longitude = 0;
    net.TemplateNode.Elevation = 0;
}

} // namespace

TEST(EditReinitialize, NodeTakesTheTemplateAndUndoPutsItBack)
{
    TNetwork net;
    (*net.NodeClasses)[1].AttributeCount = 2;
    TNode* n = Node(net, 40, 50, "Depot");
    n->EntityType = 1;
    ResizeValues(*n, 2);
    n->Values[0].SetReal(1);
    n->Values[1].SetReal(2);
    n->Longitude = -870000000;
    n->Elevation = 5000;
    n->Layer = 3;

    // Exempt attributes, into a class with more attributes: old values kept,
    // new slots zero; the name goes unless exempt.
    Template(net, 2, 3);
    ReinitializeNode(net, n, {0, 1});
    EXPECT_EQ(n->EntityType, 2);
    EXPECT_EQ(n->Name, "tmpl");
    ASSERT_EQ(SlotCount(*n), 3);
    EXPECT_EQ(n->Values[0].Real(), 1);
    EXPECT_EQ(n->Values[1].Real(), 2);
    EXPECT_EQ(n->Values[2].Real(), 0);
    EXPECT_EQ(n->Longitude, 0);
    EXPECT_EQ(n->Elevation, 0);
    EXPECT_EQ(n->X, 40);
    EXPECT_EQ(n->Layer, 3);

    // Into a smaller class without exemption: the template's values.
    Template(net, 3, 1);
    ReinitializeNode(net, n, {1, 0});
    EXPECT_EQ(n->Name, "tmpl");
    ASSERT_EQ(SlotCount(*n), 1);
    EXPECT_EQ(n->Values[0].Real(), 100);

    net.Modified = false;
    ASSERT_TRUE(ReinitializeUndoLast(net));
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(n->EntityType, 2);
    ASSERT_TRUE(ReinitializeUndoLast(net));
    EXPECT_EQ(n->EntityType, 1);
    EXPECT_EQ(n->Name, "Depot");
    EXPECT_EQ(n->Longitude, -870000000);
    EXPECT_EQ(n->Values[1].Real(), 2);
    EXPECT_FALSE(ReinitializeUndoLast(net));
}

TEST(EditReinitialize, LinksCapAndAllUndefined)
{
    TNetwork net;
    (*net.LinkClasses)[5].AttributeCount = 1;
    net.TemplateLinkValues.EntityType = 5;
    net.TemplateLinkValues.Values[0].SetReal(42);
    net.TemplateLinkValues.Name = "new";
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 10, 0);
    TLinkValues* r = Link(net, a, b);
    r->Name = "old";
    Shape(net, r, 5, 5);
    ReinitializeLink(net, r, {});
    EXPECT_EQ(r->EntityType, 5);
    EXPECT_EQ(r->Name, "new");
    EXPECT_EQ(r->Values[0].Real(), 42);
    EXPECT_EQ(r->ANode, a);
    EXPECT_EQ(r->ShapePoints.GetCount(), 1);
    ASSERT_TRUE(ReinitializeUndoLast(net));
    EXPECT_EQ(r->Name, "old");
    EXPECT_EQ(r->EntityType, 0);

    // The 1001st snapshot pushes out the first.
    for (int i = 0; i < 1001; ++i) ReinitializeLink(net, r, {});
    EXPECT_EQ(net.ReinitializeUndo.GetCount(), ReinitializeUndoCap);
    EXPECT_EQ(net.ReinitializeUndo.At(0)->EntityType, 5); // the first, of class 0, is gone

    // All undefined: only class 0 on shown layers, and the network is modified.
    TNetwork big;
    for (int i = 0; i < 1500; ++i) Node(big, i, 0);
    TNode* hidden = Node(big, 0, 500);
    hidden->Layer = 4;
    TNode* typed = Node(big, 0, 600);
    typed->EntityType = 2;
    TViewRecord view;
    view.LayerStates[4] = 0;
    Template(big, 1, 1);
    big.Modified = false;
    EXPECT_EQ(ReinitializeAllUndefined(big, view, {}, false), 1500);
    EXPECT_TRUE(big.Modified);
    EXPECT_EQ(hidden->EntityType, 0);
    EXPECT_EQ(typed->EntityType, 2);
    EXPECT_EQ(big.ReinitializeUndo.GetCount(), ReinitializeUndoCap);
    // The kept snapshots are the newest: undoing them all leaves 500 done.
    while (ReinitializeUndoLast(big)) {
    }
    int still = 0;
    ForEachNode(big, [&](TNode* n) { still += n->EntityType == 1; });
    EXPECT_EQ(still, 500);
    big.Modified = false;
    EXPECT_EQ(ReinitializeAllUndefined(big, view, {}, true), 0);
    EXPECT_FALSE(big.Modified);
}
