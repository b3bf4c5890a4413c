// Undo records of a network: deletions, reinitializations and geometric
// transforms. The network keeps them in DeletedItems, ReinitializeUndo and
// TransformUndo and owns them; a record points at elements that stay in the
// hash (deletion is soft), so it never frees what it points to.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/EntityClasses.h"
#include "core/model/Network.h"

struct TDeletedItem {
    TDeletedItem(void* element, uint8_t itemKind, TLink* data) : Element(element), Data(data), ItemKind(itemKind) {}

    void* Element;  // the deleted node; for a deleted link its A node
    TLink* Data;    // the deleted half-edge of a link; nullptr for a node
    uint8_t ItemKind; // 1 node, 0 link

    TNode* Node() const { return static_cast<TNode*>(Element); }
};

// What Reinitialize overwrites, kept so that undo puts it back.
struct TReinitializeData {
    // Exactly one of node and link is non-null.
    TReinitializeData(const TNetwork& net, TNode* node, TLinkValues* link);
    // Writes the snapshot back into the element.
    void Apply(const TNetwork& net) const;

    uint8_t EntityType = 0;
    std::string Name;
    uint8_t SuppressLabel = 0;
    uint8_t Exclude = 0; // ExcludeFromTriangulation or ExcludeShapesFromTriangulation
    std::vector<TValueSlot> Values; // slots 1..N of the class at the time
    uint8_t Font = 0, Place = 0, Layer = 0;
    uint8_t Label1 = 0, Label2 = 0;
    int32_t PolygonStyle = 0;
    int32_t BitmapOverride = 0;
    TNode* Node = nullptr;
    TLinkValues* LinkValues = nullptr;
    int32_t Longitude = 0, Latitude = 0, Elevation = 0;
    // Reinitialize also clears these; keeping them lets undo restore them.
    std::string Note;
    int16_t LabelXOffset = 0, LabelYOffset = 0;
};

struct TTransformItem {
    // Keeps the 11 layer states of the window at the time of the transform.
    TTransformItem(uint8_t kind, uint8_t exempt, double amount2, double amount1,
                   const std::array<int32_t, 11>& layerStates);

    uint8_t TransformKind; // 0 translate, 1 scale, 2 rotate
    double Amount1;        // X translation, X factor, or the angle
    double Amount2;        // Y translation, Y factor; 0 for a rotation
    uint8_t ExemptUnseenLayers;
    std::array<int32_t, 11> LayerStates{};

    // What the transform moved, noted by the transform itself: the points
    // made before it ran, less the nodes it left where they were (hidden
    // layers). Its undo moves exactly those: not what an append or an edit
    // added since, nor a node it left, whatever the zoom is by then. A record
    // without the note (Moved false) has its undo move every point but the
    // nodes its layer states hide at the zoom of the undo.
    bool Moved = false;
    TPoolMark Nodes, ShapePoints;
    std::vector<const TNode*> Left; // sorted
    bool MovedPoint(const TNetworkPoint* p) const;
};

// Frees the three undo lists' records.
void FreeUndoLists(TNetwork& net);
