// Reports on one element and the small operations around it: the property
// report of a node or a link, the nestedness sections (which nodes, links and
// polygons lie within or touch a node's polygon), Move to Layer, and the
// checked longitude, latitude and elevation of one point.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/model/Network.h"

struct TWindowSettings;
class TSearchFilter;

// Numbers of the reports: RealText with 15 digits.
std::string ReportNumber(double v);

// The property report of a node: serial, polygon measures in the window's
// units, where the node lies against its own polygon, its links and their far
// nodes, and the owners of adjacent polygons (at most 1000 owners).
std::vector<std::string> NodePropertyLines(const TNetwork& net, const TWindowSettings& settings, const TNode& node);
// The property report of a link (either half-edge).
std::vector<std::string> LinkPropertyLines(const TNetwork& net, const TWindowSettings& settings, const TLink& link);

constexpr int MaxAdjacentOwners = 1000;

// The nestedness sections of a node: when it owns a polygon, the nodes,
// links and polygons within or touching it and the polygons whose
// boundaries cross it; always the polygons that contain the node. Each
// heading is followed by the names found, in hash order.
std::vector<std::string> NodeNestednessLines(const TNetwork& net, const TNode& node);
// The same by the plain sweep that tests every element without looking at
// boxes first; gives the same lines (tests and benchmarks compare them).
std::vector<std::string> NodeNestednessLinesPlain(const TNetwork& net, const TNode& node);
// "Polygons Touching this Link:" and the owners of the polygons an end node or
// a shape point of the link lies within or on.
std::vector<std::string> LinkNestednessLines(const TNetwork& net, const TLink& link);

// ---- Move to Layer

// Gives the layer (1..10) to every shown node: every active node on a visible
// layer when the window's nodes are unfiltered, else every active node
// passing the node search. Marks the network modified when any node moved;
// returns how many.
int32_t MoveNodesToLayer(TNetwork& net, const TViewRecord& view, const TSearchFilter& filter, int layer);

// ---- one point's long/lat and elevation

constexpr int MsgLongLatError = 439;
constexpr int MsgElevationError = 460;
// Checks and stores longitude and latitude (degrees) and elevation: finite,
// longitude -180..180, latitude -90..90, |elevation| <= 214748.3647. Returns
// 0, or the message id, with the point unchanged.
int StorePointLongLat(TNetworkPoint& point, double longitude, double latitude, double elevation);
// The elevation of a shape point along its link by length between the end
// nodes' elevations (the A node's on a link of no length).
double ShapePointElevationAlongLink(const TShapePoint& point, double unitsFactor);
