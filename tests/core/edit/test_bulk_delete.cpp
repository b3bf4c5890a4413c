// Delete Layers, Delete by Search, Search Clear and the templates' Clear.
#include <gtest/gtest.h>

#include "core/edit/BulkDelete.h"
#include "test_edit_support.h"

using namespace edittest;

namespace {

// Class 1 of nodes and of links with one real attribute A1; the criterion
// 0 <= A1 <= 10 is active on both.
void Criteria(TNetwork& net)
{
    for (TEntityClass* c : {net.NodeClasses.get(), net.LinkClasses.get()}) {
        TClassRecord& rec = (*c)[1];
        rec.Name = "One";
        rec.AttributeCount = 1;
        rec.Attributes[1] = std::make_unique<TAttrib>();
        TAttrib& a = *rec.Attributes[1];
        a.Name = "Value";
        a.Kind = 'R';
        a.Active = 1;
        a.Low = 0;
        a.High = 10;
    }
}

TNode* Valued(TNetwork& net, int32_t x, int32_t y, double v)
{
    TNode* n = Node(net, x, y);
    n->EntityType = 1;
    ResizeValues(*n, 1);
    SlotOf(*n, 1)->SetReal(v);
    return n;
}

TLinkValues* ValuedLink(TNetwork& net, TNode* a, TNode* b, double v)
{
    TLinkValues* l = Link(net, a, b, 1);
    SlotOf(*l, 1)->SetReal(v);
    return l;
}

} // namespace

TEST(BulkDelete, UnseenLayersGoWithTheirLinks)
{
    TNetwork net;
    TWindowSettings settings;
    TViewRecord view;
    view.Settings = &settings;
    TNode* a = Node(net, 0, 0);
    TNode* b = Node(net, 100, 0);
    TNode* c = Node(net, 200, 0);
    TLinkValues* ab = Link(net, a, b);
    TLinkValues* bc = Link(net, b, c);
    Shape(net, bc, 150, 20);
    b->Layer = 2;
    TBulkDeleteResult r = DeleteUnseenLayers(net, view, settings);
    EXPECT_FALSE(r.Any()); // every layer shown: nothing goes, nothing is marked
    EXPECT_FALSE(net.Modified);
    EXPECT_EQ(net.DeletedItems.GetCount(), 0);

    settings.Layers.LayerStates[2] = 14; // shown from zoom level 14 only
    r = DeleteUnseenLayers(net, view, settings);
    EXPECT_EQ(r.Nodes, 1);
    EXPECT_FALSE(b->Active);
    EXPECT_FALSE(ab->Active || bc->Active);
    EXPECT_FALSE(bc->ShapePoints.At(0)->Active);
    EXPECT_TRUE(ab->DeletedWithNode);
    EXPECT_TRUE(a->Active && c->Active);
    EXPECT_TRUE(net.Modified);
    // Undelete brings the node back with its links.
    TEditState edit;
    EXPECT_EQ(Undelete(net, view, edit, false), TUndeleteResult::Node);
    EXPECT_TRUE(b->Active && ab->Active && bc->Active);
    ExpectConsistent(net);
}

TEST(BulkDelete, WhatTheSearchDoesNotShowGoes)
{
    TNetwork net;
    TWindowSettings settings;
    Criteria(net);
    TNode* keep = Valued(net, 0, 0, 5);
    TNode* drop = Valued(net, 100, 0, 50);
    TNode* other = Valued(net, 0, 100, 7);
    TNode* last = Valued(net, 100, 100, 8);
    ValuedLink(net, keep, drop, 5);                // goes with its node
    TLinkValues* bad = ValuedLink(net, keep, other, 99); // fails the link search on its own
    TLinkValues* good = ValuedLink(net, other, last, 1);
    Shape(net, bad, 10, 50);

    TViewRecord view;
    view.PickedShapePoint = bad->ShapePoints.At(0);
    view.PickedNode = drop;
    const TBulkDeleteResult r = DeleteBySearch(net, settings);
    EXPECT_EQ(r.Nodes, 1);
    EXPECT_EQ(r.Links, 1);
    EXPECT_FALSE(drop->Active);
    EXPECT_FALSE(bad->Active);
    EXPECT_FALSE(bad->DeletedWithNode);
    EXPECT_TRUE(keep->Active && other->Active && good->Active);
    EXPECT_EQ(net.DeletedItems.GetCount(), 2);
    // No selection stays on what went.
    EXPECT_TRUE(DropInactivePicks(view));
    EXPECT_EQ(view.PickedNode, nullptr);
    EXPECT_EQ(view.PickedShapePoint, nullptr);
    ExpectConsistent(net);

    // Nodes unfiltered: no node goes, links that fail still do.
    TNetwork net2;
    Criteria(net2);
    (*net2.NodeClasses)[1].Attributes[1]->Active = 0;
    TNode* p = Valued(net2, 0, 0, 500);
    TNode* q = Valued(net2, 100, 0, 500);
    TLinkValues* pq = ValuedLink(net2, p, q, 500);
    const TBulkDeleteResult r2 = DeleteBySearch(net2, settings);
    EXPECT_EQ(r2.Nodes, 0);
    EXPECT_EQ(r2.Links, 1);
    EXPECT_TRUE(p->Active && q->Active);
    EXPECT_FALSE(pq->Active);

    // Search Clear: nothing filters any more, and nothing more goes.
    TNode* owner = Node(net, 500, 500);
    settings.Search.PolygonCriterion.Owner = owner;
    settings.Search.PolygonCriterion.ApplyToNodes = 1;
    net.Modified = false;
    ClearSearch(net, settings);
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(settings.Search.PolygonCriterion.Owner, nullptr);
    EXPECT_EQ((*net.NodeClasses)[1].Attributes[1]->Active, 0);
    EXPECT_EQ((*net.LinkClasses)[1].Attributes[1]->High, 0);
    EXPECT_FALSE(DeleteBySearch(net, settings).Any());
}

TEST(BulkDelete, TemplatesClear)
{
    TNetwork net;
    net.TemplateNode.EntityType = 3;
    net.TemplateNode.Name = "Stop";
    net.TemplateNode.Strings = {"x"};
    SlotOf(net.TemplateNode, 7)->SetReal(4);
    net.TemplateLinkValues.EntityType = 2;
    net.TemplateLinkValues.Note = "one&&two";
    SlotOf(net.TemplateLinkValues, 100)->SetReal(9);
    ClearInitialAttributes(net);
    EXPECT_TRUE(net.Modified);
    EXPECT_EQ(net.TemplateNode.EntityType, 0);
    EXPECT_TRUE(net.TemplateNode.Name.empty() && net.TemplateNode.Strings.empty());
    EXPECT_EQ(SlotOf(net.TemplateNode, 7)->Real(), 0);
    EXPECT_EQ(SlotOf(net.TemplateNode, 100) != nullptr, true); // the template keeps its 100 slots
    EXPECT_EQ(net.TemplateLinkValues.EntityType, 0);
    EXPECT_TRUE(net.TemplateLinkValues.Note.empty());
    EXPECT_EQ(SlotOf(net.TemplateLinkValues, 100)->Real(), 0);
    EXPECT_EQ(net.TemplateLinkValues.Active, 1);
}
