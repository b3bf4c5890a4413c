// Editing operations on a network: plotting, deleting, undeleting and moving
// nodes and links, splitting and splicing links, shape points and polygon
// rings, reinitialization from the templates, link direction, node merge,
// link intersection and the node/shape-point conversions.
//
// Everything here is headless. Operations take the network, and where they
// work from picks or the plot cursor the window's view record (picks, cursor,
// layer states) and its editing state (TEditState: two-click picks, sketch
// mode, the removed-shape-point record; its hooks name the window's settings,
// which hold the splice rules and reinitialize exemptions). Calculate calls the
// plain entry points (DeleteNode, DeleteLink, SpliceLinksAtNode, FlipLink,
// MergeNodes, IntersectLink) with explicit elements. Nothing here draws; the
// window repaints what an operation reports or simply the whole view.
//
// Ownership: nodes, links and shape points stay in the hash while the network
// lives (deletion clears Active), except two kinds of shape point that are
// freed: the one Remove Shape Point takes out and the one Shape Point to Node
// replaces. Before such a point is freed every reference to it that this
// module knows (view picks, insert picks) is cleared and TEditHooks::PointFreed
// is told, so that the window can drop its marker and other views their picks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

// ---------------------------------------------------------------- settings

// Calls an operation makes back into its caller. All may be empty.
struct TEditHooks {
    // The settings of the window the operation acts for: its long/lat
    // settings place new points, its splice rules and reinitialize
    // exemptions govern those operations, and its polygon criterion forgets
    // an owner that is deleted. nullptr: no long/lat, default rules.
    TWindowSettings* Settings = nullptr;
    // Computes the longitude and latitude of a point that an operation placed
    // (new nodes and shape points). Empty: by the window's long/lat settings
    // (ComputeLongLatFromXY) when they name a pivot node.
    std::function<void(TNetworkPoint*)> ComputeLongLat;
    // Also recompute long/lat of points that Move Node moves (as does the
    // window's AutoLongLat setting).
    bool AutoLongLat = false;
    // Told before a shape point is freed.
    std::function<void(TNetworkPoint*)> PointFreed;

    // The window's splice rules and reinitialize exemptions (a new window's
    // without one).
    const TSpliceSettings& SpliceRules() const;
    const TReinitializeExemptions& Exemptions() const;
};

// The last removed shape point, for Undo Shape Remove.
struct TRemovedShapePoint {
    TLink* HalfEdge = nullptr; // nullptr = empty
    int32_t Index = 0;         // in the link's shape-point list
    int32_t X = 0, Y = 0;
    std::vector<TNode*> Polygons;        // owners of the rings that held it
    std::vector<int32_t> PolygonIndexes; // its index in each of those rings
    bool Filled() const { return HalfEdge != nullptr; }
    void Clear() { *this = TRemovedShapePoint{}; }
};

// What an operation that left something undone tells the user in the status
// bar (TEditState::Notice).
inline constexpr const char* NoticeEndsLinked = "Ends already linked";
inline constexpr const char* NoticeLinkNotRestored = "Duplicate link not restored";

// Sketch modes.
enum TSketchMode : uint8_t {
    ModeSelect = 0,
    ModeNodePlot = 1,
    ModeLinkPlot = 2,
    ModeNodeOpen = 3,
    ModeLinkOpen = 4,
    ModeNodeDelete = 5,
    ModePolygonInsert = 6,
    ModePolygonDelete = 7,
    ModeLinkDelete = 8,
    ModeNodePlotOpen = 9,
    ModeLinkPlotOpen = 10,
    ModeNodeMove = 11,
    ModeLinkDirection = 12,
    ModeNodeMovePlacing = 13,
    ModeLinkSplit = 14,
    ModeLinkSplitPlacing = 15,
    ModeLinkSplice = 16,
    ModeInsertShapePoint = 17,
    ModeInsertShapePlacing = 18,
    ModeRemoveShapePoint = 19,
    ModeNodeReinitialize = 20,
    ModeLinkReinitialize = 21,
    ModeNodeToShape = 22,
    ModeShapeToNode = 23,
    ModeNodeMerge = 24,
    ModeLinkIntersect = 25,
    ModePolygonMove = 26,
    ModeShapeOpen = 27,
};

// The editing state of one window, beside its TViewRecord (which holds
// PickedNode, PickedShapePoint, CurrentNode and the cursor).
struct TEditState {
    uint8_t SketchMode = ModeSelect;
    TNode* PreviousNode = nullptr;
    TLink* CurrentHalfEdge = nullptr;
    // Owner of the polygon that Polygon Insert/Delete edits.
    TNode* CurrentLink = nullptr;
    int32_t PolygonInsertIndex = 0;
    TNetworkPoint* PolygonPoint = nullptr; // latest point of Polygon Insert/Delete
    TShapePoint* InsertShapePick = nullptr;
    TShapePoint* InsertPreviousShapePick = nullptr;
    uint8_t InsertPickIsShapePoint = 0;
    int32_t ShapeInsertIndex = 0;
    TRemovedShapePoint RemovedShapePointRecord;
    // The node Node Move took away (mode 13), the link Link Split took away
    // (mode 15): undelete in those modes acts on them.
    TNode* MovingNode = nullptr;
    TLink* SplitHalfEdge = nullptr;
    uint8_t PolygonNotMerged = 0; // "Polygon not merged" shown in the status bar
    // The status bar text the last operation left (a Notice... text), or
    // nullptr; each press and each undelete clears it first.
    const char* Notice = nullptr;
    TEditHooks Hooks;

    // Drops every pick and two-click state (a mode change).
    void ClearPicks(TViewRecord& view);
    // The window's network is replaced or freed: drops every pointer into it
    // (picks, held elements, the removed shape point) without touching what
    // they point to.
    void ForgetNetwork(TViewRecord& view);
};

// Editing is refused while the window prints.
inline bool EditRefused(const TViewRecord& view) { return view.Plotting != 0; }

// The pick of the sketch modes: nearest point to (x, y) within the view's
// node size, nodes on shown layers, shape points (when allowed) only when the
// point and its link are active and the point is in its link's list.
bool PickPoint(const TNetwork& net, const TViewRecord& view, bool shapesAllowed, int32_t x, int32_t y, TNode*& node,
               TShapePoint*& shapePoint);

// The half-edge from one node to the other in the first node's list (either
// direction of the link), active links first; nullptr when none.
TLink* FindHalfEdge(const TNode* from, const TNode* to);
// The half-edge in the record's A node list.
TLink* AHalfEdge(const TLinkValues* link);
// Attribute count of a class (0 for a bad class number).
int NodeAttributeCount(const TNetwork& net, int entityType);
int LinkAttributeCount(const TNetwork& net, int entityType);

// ---------------------------------------------------------------- nodes and links

// Soft-deletes a node and its active links (their shape points too; polygon
// boxes updated) and appends the node's undelete record; a deleted owner
// leaves the search's polygon criterion. clearLinkClass gives the deleted
// links class 0 (Link Splice). Marks the network modified. (It frees and
// places nothing, so the hooks are not called.)
void DeleteNode(TNetwork& net, TNode* node, bool clearLinkClass = false, const TEditHooks& hooks = {});
// Soft-deletes a link (either half-edge) with its shape points and appends
// its undelete record (kind 0).
void DeleteLink(TNetwork& net, TLink* halfEdge);

// What Undelete did.
enum class TUndeleteResult { Nothing, Node, Link, NodeMoved, SplitAbandoned, Refused };
// Undelete (move: right click in mode 13 puts the moving node at the
// cursor). In mode 13 it restores the node Node Move took (mode := 11), in
// mode 15 the link Link Split took (mode := 14); otherwise the last record.
// Records of links that were replaced (superseded) restore nothing. A link
// whose ends an active link joins meanwhile stays deleted, and edit.Notice
// says so.
TUndeleteResult Undelete(TNetwork& net, TViewRecord& view, TEditState& edit, bool move);
// Revives a node and the links deleted with it that lead to active nodes
// (every inactive link of it when allLinks), except links whose ends another
// active link joins. Returns how many links it left deleted for that.
int32_t RestoreNode(TNetwork& net, TNode* node, bool allLinks);
enum class TRestoreLink { Restored, EndDeleted, EndsJoined, Replaced };
// Revives a link with its shape points: not a superseded one (Replaced), not
// one with a deleted end (EndDeleted: it comes back with that node), not one
// whose ends another active link joins (EndsJoined).
TRestoreLink RestoreLink(TNetwork& net, TLink* halfEdge);

// Moves a point (node or shape point) to (x, y), clamped to the world range;
// refiles it in the hash, updates link and polygon boxes and extents.
void MoveNodeTo(TNetwork& net, TNetworkPoint* point, int32_t x, int32_t y, const TEditHooks& hooks = {});

// Node plot at the view's cursor: a node of the template class with the
// template's values. nullptr when CanPlaceNode refuses (hidden layer, or a
// node stands at the cursor) or the hash is full. Extents grow to the cursor.
TNode* PlotNode(TNetwork& net, TViewRecord& view, const TEditHooks& hooks = {});

// Link plot step between two nodes (modes 2, 10; used by 16 and 22).
enum class TLinkPlotResult { Refused, Exists, Revived, Added };
// An active link between them: Exists. A deleted one: revived, directed
// from -> to. Else a new link from -> to with the template's values.
// halfEdge receives the from-side half-edge of the link concerned.
TLinkPlotResult LinkPlotStep(TNetwork& net, TNode* from, TNode* to, TLink*& halfEdge);

// Makes a link p -> q (or q -> p, following oldHalf's direction) that copies
// the record of oldHalf's link (values of its class, not its shape points).
TLinkValues* MakeSplitLink(TNetwork& net, TLink* oldHalf, TNode* p, TNode* q);

// Node Move, first click: deletes the node, remembers it, mode 13, cursor on
// the node; the node stays the owner of the window's polygon criterion. Link Split, second click: deletes the link, remembers it, mode 15.
bool BeginNodeMove(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* node);
bool BeginLinkSplit(TNetwork& net, TViewRecord& view, TEditState& edit, TLink* halfEdge);
// Link Split, right click: a node at the cursor and two links old A -> node
// -> old B (first pick -> node -> second pick in the old direction) copying
// the old link; the old link is superseded. Mode := 14. The new node or nullptr.
TNode* CommitLinkSplit(TNetwork& net, TViewRecord& view, TEditState& edit);

// Link Splice of the pad (mode 16) on a node with GetThroughLinks: deletes the
// node (links to class 0), joins the far nodes with a new link and applies
// the splice rules. Refused (false) for a node without two through links,
// when the far nodes are one node (a loop), and when an active link joins
// them already (edit.Notice says so): the splice would leave nothing but the
// deleted node.
bool LinkSpliceAtNode(TNetwork& net, TEditState& edit, TNode* node, TLink** newHalfEdge = nullptr);

// Joins the entering and leaving link at a node into one link R (link, or a
// new link when nullptr): their shape points and the node's position become
// R's shape points, the node is deleted and the rules fill R's record. False
// (nothing but the modified mark) when the node has not exactly two active
// links, one entering and one leaving, or their far nodes coincide; also,
// when R is to be new, when an active link joins the far nodes already.
bool SpliceLinksAtNode(TNetwork& net, TNode* node, TLink* link, const TSpliceSettings& rules,
                       const TEditHooks& hooks = {});

// ---------------------------------------------------------------- shape points and polygons

// Insert Shape Point, one click (mode 17) on a node or a shape point. True
// when the pair became valid: mode := 18, CurrentHalfEdge and
// ShapeInsertIndex set. An invalid pair clears the picks.
bool InsertShapePointPick(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* node, TShapePoint* shapePoint);
// Placing (right click in mode 18): a shape point at the cursor at
// ShapeInsertIndex; mode := 17.
TShapePoint* PlaceShapePoint(TNetwork& net, TViewRecord& view, TEditState& edit);
// Remove Shape Point (mode 19): takes the point out of its link and its
// polygons, records it for undo and frees it.
bool RemoveShapePoint(TNetwork& net, TViewRecord& view, TEditState& edit, TShapePoint* shapePoint);
// Undo Shape Remove: puts the recorded point back into its link and into
// every polygon it was in. nullptr when the record is empty or its link gone.
TShapePoint* UndoShapeRemove(TNetwork& net, TEditState& edit);

// Polygon Insert/Delete, first click: the owner of the ring to edit.
bool PolygonBegin(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* owner);
// Polygon Insert, later click on a point (node or shape point).
bool PolygonInsertPoint(TNetwork& net, TViewRecord& view, TEditState& edit, TNetworkPoint* point);
// Polygon Delete, later click: removes the vertex (toEnd: it and all after it).
bool PolygonDeletePoint(TNetwork& net, TViewRecord& view, TEditState& edit, TNetworkPoint* point, bool toEnd);
// Polygon Move: gives `to` (owning no polygon) the ring of `from`.
bool MovePolygon(TNetwork& net, TNode* from, TNode* to);

// Removes the point from the ring of owner (all occurrences) and the owner
// from the point's list; updates the owner's box.
void RemovePolygonVertex(TNetwork& net, TNode* owner, TNetworkPoint* point);
// Puts `by` into every ring that holds `old` in its place (or removes `old`
// where `by` is already a vertex); the owners move to `by`'s list.
void ReplacePolygonVertex(TNetwork& net, TNetworkPoint* old, TNetworkPoint* by);

// ---------------------------------------------------------------- reinitialize

constexpr int32_t ReinitializeUndoCap = 1000;
// Resets a node (a link record) to the template node (link), keeping place,
// ends, layer, links and shape points; a snapshot goes to ReinitializeUndo.
void ReinitializeNode(TNetwork& net, TNode* node, const TReinitializeExemptions& options);
void ReinitializeLink(TNetwork& net, TLinkValues* link, const TReinitializeExemptions& options);
void TrimReinitializeUndo(TNetwork& net);
// Applies and frees the newest snapshot; false when there is none.
bool ReinitializeUndoLast(TNetwork& net);
// Reinitializes every active node of class 0 on a shown layer (links: every
// active link of class 0 whose ends are shown); returns how many.
int32_t ReinitializeAllUndefined(TNetwork& net, const TViewRecord& view, const TReinitializeExemptions& options,
                                 bool links);

// ---------------------------------------------------------------- topology

// Link Direction: the link of halfEdge runs from halfEdge's near node to its
// far node afterwards.
void SetLinkDirection(TNetwork& net, TLink* halfEdge);
// Reverses a link once per pass (FlipMark); false when already flipped.
bool FlipLink(TNetwork& net, TLink* halfEdge);

// Node to Shape Point (mode 22): joins the two through links of the node
// into one link through the node's position. Refused when an active link
// joins the far nodes already (edit.Notice says so).
bool NodeToShapePoint(TNetwork& net, TViewRecord& view, TEditState& edit, TNode* node);
// Shape Point to Node (mode 23): a node at the shape point; its link is
// replaced by two links carrying its shape points; the point is freed.
TNode* ShapePointToNode(TNetwork& net, TViewRecord& view, TEditState& edit, TShapePoint* shapePoint);

enum class TPolygonMerge { Nothing, Merged, NotMerged };
// Merges the ring of source into the ring of target along their shared run.
TPolygonMerge MergeNodePolygons(TNetwork& net, TNode* source, TNode* target);
// Node Merge (also MRGE): source's links move to target (except loops and
// duplicates), source's polygons and own ring go to target, source is
// deleted. Returns the polygon result (NotMerged: show "Polygon not merged").
TPolygonMerge MergeNodes(TNetwork& net, TNode* source, TNode* target, const TEditHooks& hooks = {});
// Node Merge onto a shape point: a node with no links and no own ring gives
// its places in polygons to the shape point and is deleted.
bool MergeNodeIntoShapePoint(TNetwork& net, TNode* source, TShapePoint* target, const TEditHooks& hooks = {});

// Splits the link and every link it crosses at each crossing, with a node of
// the template class there (one node for the crossings at one place; fewer
// than 1000 crossings a call). A crossing whose place (rounded to whole
// units) holds an active node, or that lies within the half unit around an
// end node of either link, is that node, and a link that ends there is not
// cut by it. A piece that would join two linked nodes, or a node to itself,
// is parted at a node in its middle (a looped piece of no length is dropped).
// A crossing whose node, or the node that parts one of its pieces, cannot be
// placed (its cell is full, or for the parting node a node stands there) is
// left uncut. area receives the union of the replaced links' boxes
// (all zero when nothing changed). True when anything was converted. The
// replaced links are superseded and their crossing shape points inactive.
// reach bounds how far any link's box reaches from its A node's
// cell (MaxLinkReach); -1 computes it, which walks every cell: a caller that
// intersects many links computes it once (intersecting never lengthens links).
bool IntersectLink(TNetwork& net, TLink* halfEdge, TBox& area, const TEditHooks& hooks = {}, int64_t reach = -1);
int64_t MaxLinkReach(const TNetwork& net);
