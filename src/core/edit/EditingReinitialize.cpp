// Reinitialize nodes and links from the template node and link, with undo.
#include <algorithm>
#include <vector>

#include "core/edit/EditingInternal.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Undo.h"

using namespace editing;

// Values after a reinitialization: the template's, or with exempt attributes
// the element's own first slots (new slots zero).
template <class E, class T>
static void ResetValues(E& e, const T& templ, int count, bool exempt)
{
    ResizeValues(e, count);
    if (exempt) return;
    for (int i = 0; i < SlotCount(e); ++i)
        e.Values[size_t(i)] = i < SlotCount(templ) ? templ.Values[size_t(i)] : TValueSlot{};
}

// String lists only grow here: the undo snapshot does not hold them.
static void FitStrings(TStringList& strings, int count)
{
    if (int(strings.size()) < count) strings.resize(size_t(count));
}

static void Snapshot(TNetwork& net, TNode* node, TLinkValues* link)
{
    MakeRoom(net.ReinitializeUndo);
    net.ReinitializeUndo.Insert(new TReinitializeData(net, node, link));
}

static void ResetNode(TNetwork& net, TNode* node, const TReinitializeExemptions& options)
{
    const TNode& t = net.TemplateNode;
    node->EntityType = t.EntityType;
    node->Font = t.Font;
    node->SuppressLabel = t.SuppressLabel;
    node->Place = t.Place;
    node->Label1 = t.Label1;
    node->Label2 = t.Label2;
    node->PolygonStyle = t.PolygonStyle;
    if (!options.ExemptNames) node->Name = t.Name;
    node->ExcludeFromTriangulation = t.ExcludeFromTriangulation;
    node->SetLabelOffset(t.LabelXOffset(), t.LabelYOffset());
    node->SetNote(t.Note());
    node->Longitude = t.Longitude;
    node->Latitude = t.Latitude;
    node->Elevation = t.Elevation;
    node->BitmapOverride = t.BitmapOverride;
    ResetValues(*node, t, NodeAttributeCount(net, t.EntityType), options.ExemptAttributes != 0);
    FitStrings(node->Strings, ClassStringCount(net.NodeClasses.get(), t.EntityType));
}

static void ResetLink(TNetwork& net, TLinkValues* r, const TReinitializeExemptions& options)
{
    const TLinkValues& t = net.TemplateLinkValues;
    ResetValues(*r, t, LinkAttributeCount(net, t.EntityType), options.ExemptAttributes != 0);
    if (!options.ExemptNames) r->Name = t.Name;
    r->SuppressLabel = t.SuppressLabel;
    r->ExcludeShapesFromTriangulation = t.ExcludeShapesFromTriangulation;
    r->Font = t.Font;
    r->Place = t.Place;
    r->BitmapOverride = t.BitmapOverride;
    r->Label1 = t.Label1;
    r->Label2 = t.Label2;
    r->LabelXOffset = t.LabelXOffset;
    r->LabelYOffset = t.LabelYOffset;
    r->Note = t.Note;
    r->EntityType = t.EntityType;
    FitStrings(r->Strings, ClassStringCount(net.LinkClasses.get(), t.EntityType));
}

void TrimReinitializeUndo(TNetwork& net)
{
    auto& list = net.ReinitializeUndo;
    int32_t excess = list.GetCount() - ReinitializeUndoCap;
    if (excess <= 0) return;
    // One shift for the whole excess, not one per dropped entry.
    std::vector<TReinitializeData*> kept(list.begin() + excess, list.end());
    for (int32_t i = 0; i < excess; ++i) delete list.At(i);
    list.Clear();
    for (TReinitializeData* d : kept) list.Insert(d);
}

void ReinitializeNode(TNetwork& net, TNode* node, const TReinitializeExemptions& options)
{
    if (!node) return;
    net.SetAllowClose(false);
    Snapshot(net, node, nullptr);
    TrimReinitializeUndo(net);
    ResetNode(net, node, options);
}

void ReinitializeLink(TNetwork& net, TLinkValues* link, const TReinitializeExemptions& options)
{
    if (!link) return;
    net.SetAllowClose(false);
    Snapshot(net, nullptr, link);
    TrimReinitializeUndo(net);
    ResetLink(net, link, options);
}

bool ReinitializeUndoLast(TNetwork& net)
{
    auto& list = net.ReinitializeUndo;
    if (list.Empty()) return false;
    net.SetAllowClose(false);
    TReinitializeData* d = list.At(list.GetCount() - 1);
    d->Apply(net);
    list.DeleteAt(list.GetCount() - 1);
    delete d;
    return true;
}

int32_t ReinitializeAllUndefined(TNetwork& net, const TViewRecord& view, const TReinitializeExemptions& options,
                                 bool links)
{
    if (EditRefused(view)) return 0;
    std::vector<TNode*> nodes;
    std::vector<TLinkValues*> records;
    if (links) {
        ForEachLink(net, [&](TLink* h) {
            TLinkValues* r = h->LinkValues;
            if (r->Active && r->EntityType == 0 && r->ANode->Active && r->BNode->Active &&
                IsLayerVisible(view, r->ANode) && IsLayerVisible(view, r->BNode))
                records.push_back(r);
        });
    } else {
        ForEachNode(net, [&](TNode* n) {
            if (n->Active && n->EntityType == 0 && IsLayerVisible(view, n)) nodes.push_back(n);
        });
    }
    size_t total = nodes.size() + records.size();
    if (total == 0) return 0;
    net.SetAllowClose(false);
    // Only the newest snapshots survive the cap: make no others.
    size_t firstKept = total > size_t(ReinitializeUndoCap) ? total - size_t(ReinitializeUndoCap) : 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (i >= firstKept) Snapshot(net, nodes[i], nullptr);
        ResetNode(net, nodes[i], options);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        if (i >= firstKept) Snapshot(net, nullptr, records[i]);
        ResetLink(net, records[i], options);
    }
    TrimReinitializeUndo(net);
    return int32_t(total);
}
