// Helpers shared by the editing sources; not for other modules.
#pragma once

#include <unordered_set>
#include <vector>

#include "core/edit/Editing.h"

namespace editing {

// The other half of a link (for a loop, the other half in the same list).
TLink* OtherHalf(const TLink* halfEdge);
// An active link joins the two nodes (in either direction), or they are one
// node. The network file holds neither a second link between two nodes nor a
// link from a node to itself, so no edit may make one. Links in besides count
// as gone.
bool Joined(const TNode* a, const TNode* b, const std::unordered_set<const TLinkValues*>* besides = nullptr);
// Recomputes the link's box and widens its A cell's reach and link box.
void FinishLinkBox(TNetwork& net, TLinkValues* link);
// Network extents grow to include (x, y).
void GrowExtents(TNetwork& net, int32_t x, int32_t y);
// A placed point gets its long/lat: from the hook when set, else by the
// network's long/lat settings when they name a pivot node. Its cell's long/lat
// box widens.
void PlacedPoint(TNetwork& net, TNetworkPoint* p, const TEditHooks& hooks);
void ComputePointLongLat(TNetwork& net, TNetworkPoint* p, const TEditHooks& hooks);
// Copies src's record into dst as a record of class cls: style, name, note,
// strings, and the first (attribute count of cls) value slots. dst keeps its
// ends, box, shape points; it ends active and not superseded.
void CopyLinkRecord(TNetwork& net, TLinkValues* dst, const TLinkValues* src, int cls, bool withStrings);
// A link of class cls from a to b carrying src's name, values and strings
// (the rest from the template); nullptr when a or b is missing.
TLinkValues* AddReplacementLink(TNetwork& net, TNode* a, TNode* b, const TLinkValues* src, TLink*& halfA);
// Makes the link's shape points active or inactive and updates the polygon
// boxes of the rings they are in.
void SetShapePointsActive(TNetwork& net, TLinkValues* link, uint8_t active);
// Polygon boxes of every ring the point is a vertex of.
void UpdateOwnerBoxes(TNetwork& net, const TNetworkPoint* p);
// A shape point is pickable: it and its link are active and the link lists it.
bool ValidShapePoint(const TShapePoint* sp);
// Index of the shape point in its link's list, -1 when absent.
int32_t ShapeIndex(const TShapePoint* sp);
// Clears every reference to the shape point that the view and the editing
// state hold, tells the hook, takes it out of its cell and frees it. It must
// already be out of its link's list and every ring.
void FreeShapePoint(TNetwork& net, TViewRecord* view, TEditState* edit, TShapePoint* sp);
// Removes the undelete record of a link or a node (newest first); true when found.
bool DropDeletedItem(TNetwork& net, const void* element, uint8_t kind);
// Moves the shape points of old before index k to first and those after it
// to second (in order, naming the given half-edges); old's list is emptied.
void SplitShapePoints(TLinkValues* old, int32_t k, TLinkValues* first, TLink* firstHalf, TLinkValues* second,
                      TLink* secondHalf);
// Reverses a link's shape-point list.
void ReverseShapePoints(TLinkValues* link);
// Sums flagged numeric attributes of two old links into the new one.
void AddSplicedValues(TNetwork& net, TLinkValues* result, const TLinkValues* in, int inClass, const TLinkValues* out,
                      int outClass, const TSpliceSettings& rules);

} // namespace editing
