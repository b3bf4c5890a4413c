// Queries and bulk operations on a network: link geometry, polygon geometry,
// the name index and wildcard name searches, counts through the search
// filter, resizing of value blocks after a class edit.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/model/Network.h"

// ---- link geometry

// Bearing in degrees clockwise from north of the chord A -> B.
double LinkAzimuth(const TLink* halfEdge);
// Length of A, shape points, B in units (world units divided by the window's
// units factor; 0 or not finite counts as 1); with upTo, up to and including
// that shape point.
double LinkLength(const TLink* halfEdge, double unitsFactor, const TShapePoint* upTo = nullptr);
// The label point.
void LinkMidpoint(const TNetwork& net, const TLink* halfEdge, int32_t& px, int32_t& py);
// Half-edges of the node whose link is active.
int32_t AttachedLinkCount(const TNode* node);

// ---- polygon geometry (a node's OwnPolygon; active vertices unless stated)

struct TIntPoint {
    int32_t X = 0, Y = 0;
};

void ReversePolygon(TNode* node);
bool PolygonIsClockwise(const TNode* node);
int32_t GetPolygonCoordinates(const TMyPolygonList& polygon, std::vector<TIntPoint>& points);
int32_t CountPolygonVertices(const TMyPolygonList& polygon, bool withShapes);
int32_t CountVerticesUpTo(const TMyPolygonList& polygon, const TNetworkPoint* vertex);
double PolygonArea(const TMyPolygonList& polygon, double unitsFactor);
double PolygonCentroid(const TMyPolygonList& polygon, bool wantX);
double PolygonPerimeter(const TMyPolygonList& polygon, double unitsFactor, bool open,
                        const TNetworkPoint* upTo = nullptr);
// 0 outside, 1 on the boundary, 2 inside.
int PointInPolygon(int32_t x, int32_t y, const TIntPoint* points, const TBox& box, int32_t count);

// ---- names

int NameHash(const std::string& name);

// The name index: 128 buckets of nodes and 128 of links (A-end half-edges),
// built for one network before a run of name look-ups. A look-up answers with
// the first active entry of the bucket of NameHash(name), in insertion order,
// whose name matches. Names without "?" are found through a sorted table of
// full name hashes instead of a bucket scan, with the same answer, so that a
// million look-ups in a million names stay fast.
class TNameIndex {
public:
    void Build(const TNetwork& net);
    void Free();
    TNode* FindIndexedNode(const std::string& name) const;
    TLink* FindIndexedLink(const std::string& name) const;

private:
    struct Entry {
        uint64_t Hash;
        void* Element;
    };
    std::array<std::vector<TNode*>, 128> Nodes;
    std::array<std::vector<TLink*>, 128> Links;
    std::vector<Entry> NodeHashes; // by Hash, insertion order within equal hashes
    std::vector<Entry> LinkHashes;
};

std::string PrepareNamePattern(const std::string& text);
// Kind 0 node name, 1 link name.
bool NameMatches(const std::string& pattern, int kind, const TNode* node, const TLink* link);
bool NameMatchesText(const std::string& pattern, const std::string& name);

// Class filter [0..10] of FindNodeByName/FindLinkByName; nullptr = no filter.
using TClassFilter = std::array<bool, MaxClasses + 1>;
TNode* FindNodeByName(const TNetwork& net, const std::string& pattern, const TClassFilter* typeFilter);
TLink* FindLinkByName(const TNetwork& net, const std::string& pattern, const TClassFilter* typeFilter);
TLink* FindLinkById(TNetwork& net, int32_t id, int32_t x, int32_t y);
// linkMode false: node names; true: link names. Returns how many names changed.
int32_t ReplaceEntityNames(TNetwork& net, const std::string& oldText, const std::string& newText, bool linkMode);

// ---- counts through the search filter (prepared by the caller)

using TNodeTest = std::function<bool(const TNode*)>;
using TLinkTest = std::function<bool(const TLink*)>;
using TClassCounts = std::array<int32_t, MaxClasses + 1>;
void CountMatchingNodesByType(const TNetwork& net, const TViewRecord& view, const TNodeTest& passes,
                              TClassCounts& counts);
void CountMatchingPolygonsByType(const TNetwork& net, const TViewRecord& view, const TNodeTest& passes,
                                 TClassCounts& counts);
void CountMatchingLinksByType(const TNetwork& net, const TViewRecord& view, const TLinkTest& passes,
                              TClassCounts& counts);

// ---- schema changes

// classes must be net.NodeClasses or net.LinkClasses.
void ResizeAttributeArrays(TNetwork& net, const TEntityClass* classes);
void ResizeStringAttributeLists(TNetwork& net);

// ---- walks

// Calls f(node) for every node (not shape points), in hash order.
template <class F>
void ForEachNode(const TNetwork& net, F&& f)
{
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode()) f(n);
}
// Calls f(halfEdge) for the A-end half-edge of every link, in hash order.
template <class F>
void ForEachLink(const TNetwork& net, F&& f)
{
    ForEachNode(net, [&](TNode* n) {
        for (TLink* h : n->Links)
            if (h->AEnd() && h->LinkValues) f(h);
    });
}
