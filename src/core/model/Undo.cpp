#include "core/model/Undo.h"

#include <algorithm>

#include "core/model/Network.h"

TReinitializeData::TReinitializeData(const TNetwork& net, TNode* node, TLinkValues* link)
    : Node(node), LinkValues(node ? nullptr : link)
{
    if (Node) {
        const TNode& n = *Node;
        EntityType = n.EntityType;
        Name = n.Name;
        SuppressLabel = n.SuppressLabel;
        Exclude = n.ExcludeFromTriangulation;
        int count = std::min(ClassAttributeCount(net.NodeClasses.get(), n.EntityType), SlotCount(n));
        Values.assign(n.Values.get(), n.Values.get() + std::max(count, 0));
        Font = n.Font;
        Place = n.Place;
        Layer = n.Layer;
        Label1 = n.Label1;
        Label2 = n.Label2;
        PolygonStyle = n.PolygonStyle;
        BitmapOverride = n.BitmapOverride;
        Longitude = n.Longitude;
        Latitude = n.Latitude;
        Elevation = n.Elevation;
        Note = n.Note();
        LabelXOffset = n.LabelXOffset();
        LabelYOffset = n.LabelYOffset();
    } else if (LinkValues) {
        const TLinkValues& r = *LinkValues;
        EntityType = r.EntityType;
        Name = r.Name;
        SuppressLabel = r.SuppressLabel;
        Exclude = r.ExcludeShapesFromTriangulation;
        int count = std::min(ClassAttributeCount(net.LinkClasses.get(), r.EntityType), SlotCount(r));
        Values.assign(r.Values.get(), r.Values.get() + std::max(count, 0));
        Font = r.Font;
        Place = r.Place;
        Label1 = r.Label1;
        Label2 = r.Label2;
        BitmapOverride = r.BitmapOverride;
        Note = r.Note;
        LabelXOffset = r.LabelXOffset;
        LabelYOffset = r.LabelYOffset;
    }
}

// The block takes the attribute count the stored class has now; slots the
// snapshot did not hold (the class was smaller then) are zero.
template <class E>
static void RestoreValues(E& e, const TEntityClass* classes, uint8_t entityType, const std::vector<TValueSlot>& saved)
{
    int count = ClassAttributeCount(classes, entityType);
    ResizeValues(e, count);
    for (int i = 0; i < SlotCount(e); ++i) e.Values[size_t(i)] = i < int(saved.size()) ? saved[size_t(i)] : TValueSlot{};
}

void TReinitializeData::Apply(const TNetwork& net) const
{
    if (Node) {
        TNode& n = *Node;
        n.EntityType = EntityType;
        n.Name = Name;
        n.SuppressLabel = SuppressLabel;
        n.ExcludeFromTriangulation = Exclude;
        RestoreValues(n, net.NodeClasses.get(), EntityType, Values);
        n.Font = Font;
        n.Place = Place;
        n.Layer = Layer;
        n.Label1 = Label1;
        n.Label2 = Label2;
        n.PolygonStyle = uint8_t(PolygonStyle);
        n.BitmapOverride = uint8_t(BitmapOverride);
        n.Longitude = Longitude;
        n.Latitude = Latitude;
        n.Elevation = Elevation;
        n.SetNote(Note);
        n.SetLabelOffset(LabelXOffset, LabelYOffset);
    } else if (LinkValues) {
        TLinkValues& r = *LinkValues;
        r.EntityType = EntityType;
        r.Name = Name;
        r.SuppressLabel = SuppressLabel;
        r.ExcludeShapesFromTriangulation = Exclude;
        RestoreValues(r, net.LinkClasses.get(), EntityType, Values);
        r.Font = Font;
        r.Place = Place;
        r.Label1 = Label1;
        r.Label2 = Label2;
        r.BitmapOverride = uint8_t(BitmapOverride);
        r.Note = Note;
        r.LabelXOffset = LabelXOffset;
        r.LabelYOffset = LabelYOffset;
    }
}

TTransformItem::TTransformItem(uint8_t kind, uint8_t exempt, double amount2, double amount1,
                               const std::array<int32_t, 11>& layerStates)
    : TransformKind(kind), Amount1(amount1), Amount2(amount2), ExemptUnseenLayers(exempt), LayerStates(layerStates)
{
}

bool TTransformItem::MovedPoint(const TNetworkPoint* p) const
{
    if (p->IsShapePoint()) return ShapePoints.Holds(p);
    return Nodes.Holds(p) && !std::binary_search(Left.begin(), Left.end(), p->AsNode());
}

void FreeUndoLists(TNetwork& net)
{
    net.DeletedItems.FreeAll();
    net.TransformUndo.FreeAll();
    net.ReinitializeUndo.FreeAll();
}
