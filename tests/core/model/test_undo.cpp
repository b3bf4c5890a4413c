#include "core/model/Undo.h"

#include <gtest/gtest.h>

#include "core/model/DisplaySettings.h"
#include "core/model/Network.h"

TEST(Undo, ReinitializeSnapshotOfANodeRestoresEverythingItTook)
{
    TNetwork net;
    (*net.NodeClasses)[2].AttributeCount = 2;
    THashEntry* cell;
    TNode* n = AddNode(net, 0, 0, cell, false, 2);
    n->EntityType = 2;
    n->Name = "Depot";
    n->SetNote("line one&&line two");
    n->Values[0].SetReal(1.5);
    n->Values[1].SetReal(2.5);
    n->Layer = 4;
    n->Font = 3;
    n->Label1 = 101;
    n->PolygonStyle = 40;
    n->BitmapOverride = 9;
    n->Longitude = -870000000;
    n->Elevation = 1234;
    n->SetLabelOffset(-12, n->LabelYOffset());
    n->SetLabelOffset(n->LabelXOffset(), 30);
    n->ExcludeFromTriangulation = 1;

    net.ReinitializeUndo.Insert(new TReinitializeData(net, n, nullptr));
    // Reinitialize to class 1 with nothing set; then class 2 gains an attribute.
    n->EntityType = 1;
    n->Name.clear();
    n->SetNote({});
    ResizeValues(*n, 0);
    n->Layer = 1;
    n->Font = n->Label1 = n->PolygonStyle = n->BitmapOverride = 0;
    n->Longitude = n->Elevation = 0;
    n->SetLabelOffset(0, 0);
    n->ExcludeFromTriangulation = 0;
    (*net.NodeClasses)[2].AttributeCount = 3;

    net.ReinitializeUndo.At(0)->Apply(net);
    EXPECT_EQ(n->EntityType, 2);
    EXPECT_EQ(n->Name, "Depot");
    EXPECT_EQ(n->Note(), "line one&&line two");
    ASSERT_EQ(n->ByteCount, 24); // the class's count now
    EXPECT_EQ(n->Values[0].Real(), 1.5);
    EXPECT_EQ(n->Values[1].Real(), 2.5);
    EXPECT_EQ(n->Values[2].Real(), 0.0);
    EXPECT_EQ(n->Layer, 4);
    EXPECT_EQ(n->Font, 3);
    EXPECT_EQ(n->Label1, 101);
    EXPECT_EQ(n->PolygonStyle, 40);
    EXPECT_EQ(n->BitmapOverride, 9);
    EXPECT_EQ(n->Longitude, -870000000);
    EXPECT_EQ(n->Elevation, 1234);
    EXPECT_EQ(n->LabelXOffset(), -12);
    EXPECT_EQ(n->LabelYOffset(), 30);
    EXPECT_EQ(n->ExcludeFromTriangulation, 1);
    FreeUndoLists(net);
    EXPECT_EQ(net.ReinitializeUndo.GetCount(), 0);
}

TEST(Undo, ReinitializeSnapshotOfALinkLeavesNodesAlone)
{
    TNetwork net;
    (*net.LinkClasses)[1].AttributeCount = 1;
    THashEntry* cell;
    TNode* a = AddNode(net, 0, 0, cell, false, 0);
    TNode* b = AddNode(net, 50, 0, cell, false, 0);
    TLink *ha, *hb;
    TLinkValues* r = AddLink(net, a, b, false, 1, ha, hb);
    r->EntityType = 1;
    r->Values[0].SetReal(60);
    r->Name = "Ring";
    r->Note = "n";
    r->LabelXOffset = 7;
    r->ExcludeShapesFromTriangulation = 1;
    TReinitializeData snap(net, nullptr, r);
    EXPECT_EQ(snap.Node, nullptr);
    EXPECT_EQ(snap.LinkValues, r);

    r->EntityType = 0;
    ResizeValues(*r, 0);
    r->Name = "x";
    r->Note.clear();
    r->LabelXOffset = 0;
    r->ExcludeShapesFromTriangulation = 0;
    a->Layer = 6;
    a->Name = "A";
    snap.Apply(net);
    EXPECT_EQ(r->EntityType, 1);
    ASSERT_EQ(r->ByteCount, 8);
    EXPECT_EQ(r->Values[0].Real(), 60);
    EXPECT_EQ(r->Name, "Ring");
    EXPECT_EQ(r->Note, "n");
    EXPECT_EQ(r->LabelXOffset, 7);
    EXPECT_EQ(r->ExcludeShapesFromTriangulation, 1);
    EXPECT_EQ(a->Layer, 6);
    EXPECT_EQ(a->Name, "A");
}

TEST(Undo, DeletedAndTransformRecords)
{
    TNetwork net;
    TLayerSettings layers;
    layers.LayerStates[5] = 0;
    net.TransformUndo.Insert(new TTransformItem(1, 1, 0.5, 2.0, layers.LayerStates));
    layers.LayerStates[5] = 3; // the record keeps the states of its time
    const TTransformItem* t = net.TransformUndo.At(0);
    EXPECT_EQ(t->TransformKind, 1);
    EXPECT_EQ(t->Amount1, 2.0);
    EXPECT_EQ(t->Amount2, 0.5);
    EXPECT_EQ(t->ExemptUnseenLayers, 1);
    EXPECT_EQ(t->LayerStates[5], 0);
    EXPECT_EQ(t->LayerStates[4], 1);

    THashEntry* cell;
    TNode* n = AddNode(net, 0, 0, cell, false, 0);
    n->Active = 0;
    net.DeletedItems.Insert(new TDeletedItem(n, 1, nullptr));
    EXPECT_EQ(net.DeletedItems.At(0)->Node(), n);
    // the network frees the records, never the elements they point to
    FreeNetwork(net);
    EXPECT_EQ(net.DeletedItems.GetCount(), 0);
    EXPECT_EQ(net.TransformUndo.GetCount(), 0);
}
