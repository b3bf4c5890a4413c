#include "test_edit_support.h"

using namespace edittest;

static void Template(TNetwork& net, int cls, int count)
{
    (*net.NodeClasses)[cls].AttributeCount = count;
    net.TemplateNode.EntityType = uint8_t(cls);
    for (int i = 0; i < count; ++i) net.TemplateNode.Values[size_t(i)].SetReal(100 + i);
    net.TemplateNode.Name = "tmpl";
}

TEST(EditReinitialize, NodeTakesTheTemplateAndUndoPutsItBack)
{
    TNetwork net;
    (*net.NodeClasses)[1].AttributeCount = 2;
    TNode* n = Node(net, 40, 50);
    n->Name = "Depot";
    n->EntityType = 1;
    ResizeValues(*n, 2);
    n->Values[1].SetReal(2);
    n->Longitude = -870000000;
    n->Layer = 3;
    Template(net, 2, 3);
    ReinitializeNode(net, n, {0, 1}); // exempt attributes, into a larger class
    EXPECT_EQ(n->Name, "tmpl");
    ASSERT_EQ(SlotCount(*n), 3);
    EXPECT_EQ(n->Values[1].Real(), 2);
    EXPECT_EQ(n->Values[2].Real(), 0);
    EXPECT_EQ(n->Longitude, 0);
    EXPECT_EQ(n->Layer, 3);
    Template(net, 3, 1);
    ReinitializeNode(net, n, {1, 0}); // exempt names, into a smaller class
    ASSERT_EQ(SlotCount(*n), 1);
    EXPECT_EQ(n->Values[0].Real(), 100);

    net.Modified = false;
    ASSERT_TRUE(ReinitializeUndoLast(net));
    EXPECT_TRUE(net.Modified);
    ASSERT_TRUE(ReinitializeUndoLast(net));
    EXPECT_EQ(n->Name, "Depot");
    EXPECT_EQ(n->Longitude, -870000000);
    EXPECT_EQ(n->Values[1].Real(), 2);
    EXPECT_FALSE(ReinitializeUndoLast(net));
}

TEST(EditReinitialize, CapAndAllUndefined)
{
    TNetwork net;
    TNode* a = Node(net, 0, 0);
    TLinkValues* r = Link(net, a, Node(net, 10, 0));
    net.TemplateLinkValues.EntityType = 5;
    ReinitializeLink(net, r, {});
    EXPECT_EQ(r->EntityType, 5);
    for (int i = 0; i < 1000; ++i) ReinitializeLink(net, r, {}); // the 1001st drops the first
    EXPECT_EQ(net.ReinitializeUndo.GetCount(), ReinitializeUndoCap);
    EXPECT_EQ(net.ReinitializeUndo.At(0)->EntityType, 5);

    TNetwork big;
    for (int i = 0; i < 1500; ++i) Node(big, i, 0);
    TNode* hidden = Node(big, 0, 500);
    hidden->Layer = 4;
    TViewRecord view;
    TWindowSettings settings;
    view.Settings = &settings;
    settings.Layers.LayerStates[4] = 0;
    Template(big, 1, 1);
    EXPECT_EQ(ReinitializeAllUndefined(big, view, {}, false), 1500);
    EXPECT_TRUE(big.Modified);
    EXPECT_EQ(hidden->EntityType, 0);
    while (ReinitializeUndoLast(big)) { // the newest 1000 were kept
    }
    int still = 0;
    ForEachNode(big, [&](TNode* n) { still += n->EntityType == 1; });
    EXPECT_EQ(still, 500);
}
