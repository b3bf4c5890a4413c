#include "core/edit/BulkDelete.h"

#include "core/edit/Editing.h"
#include "core/expr/SearchFilter.h"

TBulkDeleteResult DeleteUnseenLayers(TNetwork& net, const TViewRecord& view, TWindowSettings& settings)
{
    TBulkDeleteResult r;
    TEditHooks hooks;
    hooks.Settings = &settings;
    const THashTable& hash = net.NodeHash;
    for (int32_t c = 0; c < hash.GetCount(); ++c) {
        const THashEntry* cell = hash.At(c);
        for (int32_t i = 0; i < cell->Points.GetCount(); ++i) {
            TNode* n = cell->Points.At(i)->AsNode();
            if (!n || !n->Active || IsLayerVisible(view, n)) continue;
            DeleteNode(net, n, false, hooks);
            ++r.Nodes;
        }
    }
    return r;
}

TBulkDeleteResult DeleteBySearch(TNetwork& net, TWindowSettings& settings)
{
    TBulkDeleteResult r;
    const TSearchFilter filter = PrepareSearch(net, settings.Search);
    const bool nodesFiltered = !filter.NodesUnfiltered, linksFiltered = !filter.LinksUnfiltered;
    if (!nodesFiltered && !linksFiltered) return r;
    TEditHooks hooks;
    hooks.Settings = &settings;
    const THashTable& hash = net.NodeHash;
    for (int32_t c = 0; c < hash.GetCount(); ++c) {
        const THashEntry* cell = hash.At(c);
        for (int32_t i = 0; i < cell->Points.GetCount(); ++i) {
            TNode* n = cell->Points.At(i)->AsNode();
            if (!n) continue;
            if (nodesFiltered && n->Active && !filter.NodePassesSearch(*n)) {
                DeleteNode(net, n, false, hooks);
                ++r.Nodes;
            }
            if (!linksFiltered) continue;
            // The links of every node, gone or not: those it took along are
            // inactive already.
            for (int32_t k = 0; k < n->Links.GetCount(); ++k) {
                TLink* h = n->Links.At(k);
                const TLinkValues* lv = h->LinkValues;
                if (!lv || !lv->Active || filter.LinkPassesSearch(*h, *n)) continue;
                DeleteLink(net, h);
                ++r.Links;
            }
        }
    }
    return r;
}

bool DropInactivePicks(TViewRecord& view)
{
    bool dropped = false;
    if (view.PickedNode && !view.PickedNode->Active) {
        view.PickedNode = nullptr;
        dropped = true;
    }
    if (const TShapePoint* sp = view.PickedShapePoint) {
        const TLinkValues* lv = sp->Link ? sp->Link->LinkValues.get() : nullptr;
        if (!sp->Active || !lv || !lv->Active) {
            view.PickedShapePoint = nullptr;
            dropped = true;
        }
    }
    if (view.CurrentNode && !view.CurrentNode->Active) {
        view.CurrentNode = nullptr;
        dropped = true;
    }
    return dropped;
}

void ClearSearch(TNetwork& net, TWindowSettings& settings)
{
    net.SetAllowClose(false);
    for (TEntityClass* classes : {net.NodeClasses.get(), net.LinkClasses.get()}) {
        if (!classes) continue;
        for (int c = 1; c <= MaxClasses; ++c) {
            TClassRecord& rec = (*classes)[c];
            rec.SearchClass = 0;
            rec.HasCriteria = 0;
            for (int a = 1; a <= MaxAttributes; ++a) {
                TAttrib* at = rec.Attr(a);
                if (!at) continue;
                at->High = at->Low = 0;
                at->LowText.clear();
                at->HighText.clear();
                at->Active = 0;
            }
        }
    }
    settings.Search.PolygonCriterion.Reset();
}

void ClearInitialAttributes(TNetwork& net)
{
    net.SetAllowClose(false);
    TNode& n = net.TemplateNode;
    n.MoveKeepingFraction(net, 0, 0);
    n.Longitude = n.Latitude = n.Elevation = 0;
    n.EntityType = 0;
    n.Name.clear();
    n.SetNote({});
    n.Font = n.Place = n.PolygonStyle = n.BitmapOverride = 0;
    n.SuppressLabel = n.ExcludeFromTriangulation = 0;
    n.Label1 = n.Label2 = 0;
    n.SetLabelOffset(0, 0);
    n.Strings.clear();
    for (int i = 1; i <= SlotCount(n); ++i) *SlotOf(n, i) = TValueSlot{};

    TLinkValues& l = net.TemplateLinkValues;
    l.Active = 1;
    l.EntityType = 0;
    l.Name.clear();
    l.Note.clear();
    l.Font = l.Place = l.BitmapOverride = 0;
    l.SuppressLabel = l.ExcludeShapesFromTriangulation = 0;
    l.Label1 = l.Label2 = 0;
    l.LabelXOffset = l.LabelYOffset = 0;
    l.Strings.clear();
    for (int i = 1; i <= SlotCount(l); ++i) *SlotOf(l, i) = TValueSlot{};
    net.TemplateLink.SetAEnd(true);
}
