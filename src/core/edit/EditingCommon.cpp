// Picks, look-ups and the helpers the editing operations share.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/edit/EditingInternal.h"
#include "core/geo/LongLat.h"
#include "core/model/Rounding.h"
#include "core/model/Undo.h"

using namespace editing;

int NodeAttributeCount(const TNetwork& net, int entityType)
{
    return ClassAttributeCount(net.NodeClasses.get(), entityType);
}
int LinkAttributeCount(const TNetwork& net, int entityType)
{
    return ClassAttributeCount(net.LinkClasses.get(), entityType);
}

const TSpliceSettings& TEditHooks::SpliceRules() const
{
    static const TSpliceSettings defaults;
    return Settings ? Settings->SpliceRules : defaults;
}

const TReinitializeExemptions& TEditHooks::Exemptions() const
{
    static const TReinitializeExemptions none;
    return Settings ? Settings->Reinitialize : none;
}

void TEditState::ClearPicks(TViewRecord& view)
{
    view.CurrentNode = nullptr;
    view.PickedNode = nullptr;
    view.PickedShapePoint = nullptr;
    PreviousNode = nullptr;
    CurrentHalfEdge = nullptr;
    CurrentLink = nullptr;
    PolygonPoint = nullptr;
    PolygonInsertIndex = 0;
    InsertShapePick = nullptr;
    InsertPreviousShapePick = nullptr;
    InsertPickIsShapePoint = 0;
}

void TEditState::ForgetNetwork(TViewRecord& view)
{
    ClearPicks(view);
    MovingNode = nullptr;
    SplitHalfEdge = nullptr;
    RemovedShapePointRecord.Clear();
    PolygonNotMerged = 0;
}

// ---------------------------------------------------------------- picks

namespace editing {

bool ValidShapePoint(const TShapePoint* sp)
{
    return sp && sp->Active && sp->Link && sp->Link->LinkValues && sp->Link->LinkValues->Active && ShapeIndex(sp) >= 0;
}

int32_t ShapeIndex(const TShapePoint* sp)
{
    if (!sp || !sp->Link || !sp->Link->LinkValues) return -1;
    return sp->Link->LinkValues->ShapePoints.IndexOf(sp);
}

} // namespace editing

// One position: the first acceptable point filed there, in list order.
static bool ProbeAt(const TNetwork& net, const TViewRecord& view, int32_t x, int32_t y, bool shapesAllowed,
                    TNode*& node, TShapePoint*& shapePoint)
{
    const THashEntry* cell = net.NodeHash.FindCell(x, y);
    if (!cell) return false;
    uint64_t key = TNetworkPoint::PointKeyOf(x, y);
    int32_t i;
    if (!cell->Points.Search(key, i)) return false;
    const TNodeList& pts = cell->Points;
    for (; i < pts.GetCount() && pts.At(i)->PointKey() == key; ++i) {
        TNetworkPoint* p = pts.At(i);
        if (TNode* n = p->AsNode()) {
            if (n->Active && IsLayerVisible(view, n)) {
                node = n;
                shapePoint = nullptr;
                return true;
            }
        } else if (shapesAllowed && ValidShapePoint(p->AsShapePoint())) {
            node = nullptr;
            shapePoint = p->AsShapePoint();
            return true;
        }
    }
    return false;
}

bool PickPoint(const TNetwork& net, const TViewRecord& view, bool shapesAllowed, int32_t x, int32_t y, TNode*& node,
               TShapePoint*& shapePoint)
{
    node = nullptr;
    shapePoint = nullptr;
    auto probe = [&](int64_t px, int64_t py) {
        if (!InWorld(px, py)) return false;
        return ProbeAt(net, view, int32_t(px), int32_t(py), shapesAllowed, node, shapePoint);
    };
    if (probe(x, y)) return true;
    int32_t rings = std::clamp(view.PickRadius(), 0, 1000);
    for (int64_t r = 1; r <= rings; ++r) {
        for (int64_t xx = x - r; xx <= x + r; ++xx)
            if (probe(xx, y - r) || probe(xx, y + r)) return true;
        for (int64_t yy = y - r + 1; yy <= y + r - 1; ++yy)
            if (probe(x - r, yy) || probe(x + r, yy)) return true;
    }
    node = nullptr;
    shapePoint = nullptr;
    return false;
}

TLink* FindHalfEdge(const TNode* from, const TNode* to)
{
    if (!from || !to) return nullptr;
    TLink* inactive = nullptr;
    for (TLink* h : from->Links) {
        if (h->FarNode != to || !h->LinkValues) continue;
        if (h->LinkValues->Active) return h;
        if (!inactive && !h->LinkValues->Superseded) inactive = h;
    }
    return inactive;
}

TLink* AHalfEdge(const TLinkValues* link)
{
    if (!link || !link->ANode) return nullptr;
    for (TLink* h : link->ANode->Links)
        if (h->AEnd() && h->LinkValues == link) return h;
    return nullptr;
}

// ---------------------------------------------------------------- helpers

namespace editing {

TLink* OtherHalf(const TLink* halfEdge)
{
    if (!halfEdge || !halfEdge->LinkValues || !halfEdge->FarNode) return nullptr;
    for (TLink* g : halfEdge->FarNode->Links)
        if (g != halfEdge && g->LinkValues == halfEdge->LinkValues) return g;
    return nullptr;
}

bool Joined(const TNode* a, const TNode* b, const std::unordered_set<const TLinkValues*>* besides)
{
    if (a == b) return true;
    if (!a || !b) return false;
    // The shorter list is searched: a hub may hold thousands of links.
    const TNode* from = a->Links.GetCount() <= b->Links.GetCount() ? a : b;
    const TNode* to = from == a ? b : a;
    for (TLink* h : from->Links)
        if (h->FarNode == to && h->LinkValues && h->LinkValues->Active && !(besides && besides->count(h->LinkValues)))
            return true;
    return false;
}

void FinishLinkBox(TNetwork& net, TLinkValues* link)
{
    if (!link || !link->ANode) return;
    RecomputeBox(link);
    if (THashEntry* c = net.NodeHash.FindCell(link->ANode->X, link->ANode->Y)) {
        c->LinkBox.Include(link->Box);
        c->MaxDX = int32_t(std::max<int64_t>(c->MaxDX, int64_t(link->Box.MaxX) - link->Box.MinX));
        c->MaxDY = int32_t(std::max<int64_t>(c->MaxDY, int64_t(link->Box.MaxY) - link->Box.MinY));
    }
}

void GrowExtents(TNetwork& net, int32_t x, int32_t y)
{
    net.MinX = std::min(net.MinX, x);
    net.MinY = std::min(net.MinY, y);
    net.MaxX = std::max(net.MaxX, x);
    net.MaxY = std::max(net.MaxY, y);
}

void ComputePointLongLat(TNetwork& net, TNetworkPoint* p, const TEditHooks& hooks)
{
    if (hooks.ComputeLongLat)
        hooks.ComputeLongLat(p);
    else if (hooks.Settings && !hooks.Settings->LongLat.PivotNodeName.empty()) // no pivot: nothing to compute from
        ComputeLongLatFromXY(net, hooks.Settings->LongLat, *p);
    if (THashEntry* c = net.NodeHash.FindCell(p->X, p->Y)) c->IncludePoint(p);
}

void PlacedPoint(TNetwork& net, TNetworkPoint* p, const TEditHooks& hooks)
{
    if (p) ComputePointLongLat(net, p, hooks);
}

void CopyLinkRecord(TNetwork& net, TLinkValues* dst, const TLinkValues* src, int cls, bool withStrings)
{
    dst->CopyStyleFrom(*src);
    int count = LinkAttributeCount(net, cls);
    ResizeValues(*dst, std::max(count, SlotCount(*src)));
    for (int i = 0; i < SlotCount(*dst); ++i)
        dst->Values[size_t(i)] = (i < count && i < SlotCount(*src)) ? src->Values[size_t(i)] : TValueSlot{};
    if (withStrings) dst->Strings = src->Strings;
    dst->EntityType = uint8_t(cls);
    dst->Active = 1;
    dst->DeletedWithNode = 0;
    dst->Superseded = 0;
}

TLinkValues* AddReplacementLink(TNetwork& net, TNode* a, TNode* b, const TLinkValues* src, TLink*& halfA)
{
    TLink* halfB = nullptr;
    TLinkValues* r = AddLink(net, a, b, false, 0, halfA, halfB);
    if (!r) return nullptr;
    r->Name = src->Name;
    r->EntityType = src->EntityType;
    int count = LinkAttributeCount(net, src->EntityType);
    ResizeValues(*r, count);
    for (int i = 0; i < count && i < SlotCount(*src); ++i) r->Values[size_t(i)] = src->Values[size_t(i)];
    r->Strings = src->Strings;
    r->Active = 1;
    r->DeletedWithNode = 0;
    return r;
}

void UpdateOwnerBoxes(TNetwork& net, const TNetworkPoint* p)
{
    if (!p) return;
    for (TNode* owner : net.PolygonsOf(p)) UpdateNodePolygonBox(net, owner);
}

void SetShapePointsActive(TNetwork& net, TLinkValues* link, uint8_t active)
{
    if (!link) return;
    std::vector<TNode*> owners;
    for (TShapePoint* sp : link->ShapePoints) {
        sp->Active = active;
        for (TNode* o : net.PolygonsOf(sp)) owners.push_back(o);
    }
    std::sort(owners.begin(), owners.end());
    owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
    for (TNode* o : owners) UpdateNodePolygonBox(net, o);
}

void FreeShapePoint(TNetwork& net, TViewRecord* view, TEditState* edit, TShapePoint* sp)
{
    if (!sp) return;
    if (view && view->PickedShapePoint == sp) view->PickedShapePoint = nullptr;
    if (edit) {
        if (edit->InsertShapePick == sp) edit->InsertShapePick = nullptr;
        if (edit->InsertPreviousShapePick == sp) edit->InsertPreviousShapePick = nullptr;
        if (edit->PolygonPoint == sp) edit->PolygonPoint = nullptr;
        if (edit->Hooks.PointFreed) edit->Hooks.PointFreed(sp);
    }
    if (THashEntry* c = net.NodeHash.FindCell(sp->X, sp->Y)) net.NodeHash.RemovePoint(c, sp);
    FreePoint(net, sp);
}

bool DropDeletedItem(TNetwork& net, const void* element, uint8_t kind)
{
    auto& items = net.DeletedItems;
    for (int32_t i = items.GetCount() - 1; i >= 0; --i) {
        TDeletedItem* d = items.At(i);
        if (d->ItemKind != kind) continue;
        const void* e = kind == 1 ? d->Element : static_cast<const void*>(d->Data ? d->Data->LinkValues.get() : nullptr);
        if (e != element) continue;
        items.DeleteAt(i);
        delete d;
        return true;
    }
    return false;
}

void SplitShapePoints(TLinkValues* old, int32_t k, TLinkValues* first, TLink* firstHalf, TLinkValues* second,
                      TLink* secondHalf)
{
    auto& shapes = old->ShapePoints;
    for (int32_t i = 0; i < shapes.GetCount(); ++i) {
        if (i == k) continue;
        TShapePoint* sp = shapes.At(i);
        TLinkValues* to = i < k ? first : second;
        MakeRoom(to->ShapePoints);
        to->ShapePoints.Insert(sp);
        sp->Link = i < k ? firstHalf : secondHalf;
    }
    shapes.Clear();
}

void ReverseShapePoints(TLinkValues* link)
{
    auto& s = link->ShapePoints;
    for (int32_t i = 0, j = s.GetCount() - 1; i < j; ++i, --j) {
        TShapePoint* t = s.At(i);
        s.PutAt(i, s.At(j));
        s.PutAt(j, t);
    }
}

static char KindOf(const TNetwork& net, int cls, int i)
{
    if (cls < 0 || cls > MaxClasses || i > LinkAttributeCount(net, cls)) return 0;
    const TAttrib* a = (*net.LinkClasses)[cls].Attr(i);
    return a ? a->Kind : 0;
}

static double SlotReal(const TLinkValues* r, int i)
{
    const TValueSlot* s = SlotOf(*r, i);
    return s ? s->Real() : 0.0;
}

void AddSplicedValues(TNetwork& net, TLinkValues* result, const TLinkValues* in, int inClass, const TLinkValues* out,
                      int outClass, const TSpliceSettings& rules)
{
    int cls = result->EntityType;
    if (rules.TypesMustMatch && !(inClass == outClass && cls == outClass)) return;
    int count = std::min(LinkAttributeCount(net, cls), SlotCount(*result));
    for (int i = 1; i <= count; ++i) {
        if (!rules.AddFlags[size_t(i)]) continue;
        char k = KindOf(net, cls, i);
        auto numeric = [](char c) { return c == 'R' || c == 'I'; };
        if (!numeric(k) || !numeric(KindOf(net, inClass, i)) || !numeric(KindOf(net, outClass, i))) continue;
        double v = SlotReal(in, i) + SlotReal(out, i);
        if (k == 'I') {
            v = std::isfinite(v) ? pround(v) : 0.0;
            if (std::fabs(v) > 2147483647.0) v = 0.0;
        } else if (!std::isfinite(v)) {
            v = 0.0;
        }
        SlotOf(*result, i)->SetReal(v);
    }
}

} // namespace editing
