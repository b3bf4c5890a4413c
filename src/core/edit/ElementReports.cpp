#include "core/edit/ElementReports.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "core/expr/SearchFilter.h"
#include "core/file/TextFormat.h"
#include "core/model/Geometry.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"

std::string ReportNumber(double v) { return RealText(false, 15, v); }

namespace {

double UnitsOf(const TWindowSettings& s)
{
    return std::isfinite(s.UnitsFactor) && s.UnitsFactor != 0 ? s.UnitsFactor : 1.0;
}

// A node's own ring of active vertices with its box, as the point tests use it.
struct TRing {
    std::vector<TIntPoint> Points;
    TBox Box = EmptyBox;
    int32_t Count() const { return int32_t(Points.size()); }
};

TRing RingOf(const TNode& n)
{
    TRing r;
    GetPolygonCoordinates(n.OwnPolygon(), r.Points);
    r.Box = n.PolygonBox();
    return r;
}

bool Within(const TRing& ring, int32_t x, int32_t y)
{
    return ring.Count() > 0 && PointInPolygon(x, y, ring.Points.data(), ring.Box, ring.Count()) >= 1;
}

// Whether segment a1-a2 crosses edge b1-b2 (the crossing point is dropped).
bool Crosses(const TIntPoint& a1, const TIntPoint& a2, const TIntPoint& b1, const TIntPoint& b2)
{
    TGeoPoint p;
    double x, y;
    return LineIntersection(a1, a2, b1, b2, false, p, x, y);
}

// Whether some segment of the chain crosses some edge of the closed ring
// (edge i from vertex i-1 to vertex i, edge 0 from the last vertex).
bool ChainCrossesRing(const std::vector<TIntPoint>& chain, const TRing& ring)
{
    const int32_t n = ring.Count();
    for (size_t s = 1; s < chain.size(); ++s)
        for (int32_t i = 0; i < n; ++i)
            if (Crosses(chain[s - 1], chain[s], ring.Points[size_t(i == 0 ? n - 1 : i - 1)], ring.Points[size_t(i)]))
                return true;
    return false;
}

// Whether some edge of ring `outer` crosses some edge of ring `inner`.
bool RingsCross(const TRing& outer, const TRing& inner)
{
    const int32_t n = outer.Count(), m = inner.Count();
    for (int32_t i = 0; i < n; ++i) {
        const TIntPoint& a1 = outer.Points[size_t(i == 0 ? n - 1 : i - 1)];
        const TIntPoint& a2 = outer.Points[size_t(i)];
        for (int32_t j = 0; j < m; ++j)
            if (Crosses(a1, a2, inner.Points[size_t(j == 0 ? m - 1 : j - 1)], inner.Points[size_t(j)])) return true;
    }
    return false;
}

std::vector<TIntPoint> LinkChain(const TLinkValues& r)
{
    std::vector<TIntPoint> chain;
    chain.reserve(size_t(r.ShapePoints.GetCount()) + 2);
    chain.push_back({r.ANode->X, r.ANode->Y});
    for (TShapePoint* sp : r.ShapePoints) chain.push_back({sp->X, sp->Y});
    chain.push_back({r.BNode->X, r.BNode->Y});
    return chain;
}

bool BoxesOverlap(const TBox& a, const TBox& b)
{
    return a.MinX <= b.MaxX && b.MinX <= a.MaxX && a.MinY <= b.MaxY && b.MinY <= a.MaxY;
}

// Positive width and height of the overlap.
bool BoxesOverlapStrictly(const TBox& a, const TBox& b)
{
    return std::min(a.MaxX, b.MaxX) > std::max(a.MinX, b.MinX) && std::min(a.MaxY, b.MaxY) > std::max(a.MinY, b.MinY);
}

bool BoxContains(const TBox& outer, const TBox& inner)
{
    return inner.MinX >= outer.MinX && inner.MaxX <= outer.MaxX && inner.MinY >= outer.MinY && inner.MaxY <= outer.MaxY;
}

// The link section's test for one link; with Prune, a link whose points all
// lie off the ring's box on one side cannot be inside or cross it.
bool LinkTouches(const TLinkValues& r, const TRing& ring, bool prune)
{
    if (prune) {
        TBox b{r.ANode->X, r.ANode->Y, r.ANode->X, r.ANode->Y};
        b.Include(r.BNode->X, r.BNode->Y);
        for (const TShapePoint* sp : r.ShapePoints) b.Include(sp->X, sp->Y);
        if (!BoxesOverlap(b, ring.Box)) return false;
    }
    const std::vector<TIntPoint> chain = LinkChain(r);
    for (const TIntPoint& p : chain)
        if (Within(ring, p.X, p.Y)) return true;
    return ChainCrossesRing(chain, ring);
}

// The sweep shared by the two forms; Prune looks at boxes first.
std::vector<std::string> Nestedness(const TNetwork& net, const TNode& edited, bool prune)
{
    std::vector<std::string> lines;
    const TRing ring = RingOf(edited);
    if (ring.Count() > 0) {
        const TBox& box = ring.Box;
        auto cellMayHold = [&](const THashEntry* cell) {
            return !prune || BoxesOverlap(TBox{cell->X0, cell->Y0, cell->X1, cell->Y1}, box);
        };
        auto forNodes = [&](auto&& f) {
            for (THashEntry* cell : net.NodeHash)
                for (TNetworkPoint* p : cell->Points)
                    if (TNode* n = p->AsNode(); n && n->Active) f(cell, n);
        };
        lines.push_back("Nodes Within or Touching this Polygon:");
        forNodes([&](THashEntry* cell, TNode* n) {
            if (cellMayHold(cell) && Within(ring, n->X, n->Y)) lines.push_back(n->Name);
        });
        lines.push_back("Links Within or Touching this Polygon:");
        forNodes([&](THashEntry*, TNode* n) {
            for (TLink* h : n->Links) {
                const TLinkValues* r = h->LinkValues;
                if (!h->AEnd() || !r || !r->Active || !r->ANode || !r->BNode) continue;
                if (LinkTouches(*r, ring, prune)) lines.push_back(r->Name);
            }
        });
        lines.push_back("Polygons With all Vertices Within or Touching this Polygon:");
        forNodes([&](THashEntry*, TNode* n) {
            if (n == &edited || n->OwnPolygon().GetCount() == 0) return;
            if (prune && !BoxContains(box, n->PolygonBox())) return;
            const TRing other = RingOf(*n);
            if (other.Count() == 0) return;
            for (const TIntPoint& v : other.Points)
                if (!Within(ring, v.X, v.Y)) return;
            lines.push_back(n->Name);
        });
        lines.push_back("Polygons With Boundaries Intersecting this Polygon:");
        forNodes([&](THashEntry*, TNode* n) {
            if (n->OwnPolygon().GetCount() == 0 || !BoxesOverlapStrictly(n->PolygonBox(), box)) return;
            if (RingsCross(RingOf(*n), ring)) lines.push_back(n->Name);
        });
    }
    lines.push_back("Polygons Containing this Node:");
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n || !n->Active || n->OwnPolygon().GetCount() == 0) continue;
            const TBox& b = n->PolygonBox();
            if (edited.X < b.MinX || edited.X > b.MaxX || edited.Y < b.MinY || edited.Y > b.MaxY) continue;
            if (Within(RingOf(*n), edited.X, edited.Y)) lines.push_back(n->Name);
        }
    return lines;
}

} // namespace

std::vector<std::string> NodePropertyLines(const TNetwork& net, const TWindowSettings& settings, const TNode& node)
{
    const double units = UnitsOf(settings);
    const std::string& un = settings.UnitsName;
    std::vector<std::string> lines;
    const TRing ring = RingOf(node);
    lines.push_back("Current Internal Serial Number = " + std::to_string(node.Serial));
    lines.push_back("Number of Polygon Vertices = " + std::to_string(ring.Count()));
    lines.push_back("Polygon Area in Sq " + un + " = " + ReportNumber(PolygonArea(node.OwnPolygon(), units)));
    lines.push_back("Polygon Perimeter in " + un + " = " +
                    ReportNumber(PolygonPerimeter(node.OwnPolygon(), units, false)));
    lines.push_back("Polygon Open Chain Length in " + un + " = " +
                    ReportNumber(PolygonPerimeter(node.OwnPolygon(), units, true)));
    lines.push_back("Polygon Center of Gravity, X = " + ReportNumber(PolygonCentroid(node.OwnPolygon(), true)) +
                    ", Y = " + ReportNumber(PolygonCentroid(node.OwnPolygon(), false)));
    const int where = ring.Count() > 0 ? PointInPolygon(node.X, node.Y, ring.Points.data(), ring.Box, ring.Count()) : 0;
    lines.push_back(where == 2   ? "Node is inside of own polygon."
                    : where == 1 ? "Node is on edge of own polygon."
                                 : "Node is outside own polygon.");
    lines.push_back("Number of Attached Links = " + std::to_string(AttachedLinkCount(&node)));
    lines.push_back("Names of Connected Links:");
    for (TLink* h : node.Links)
        if (h->LinkValues && h->LinkValues->Active) lines.push_back(h->LinkValues->Name);
    lines.push_back("Names of Nodes Connected through One Link:");
    for (TLink* h : node.Links)
        if (h->LinkValues && h->LinkValues->Active && h->FarNode) lines.push_back(h->FarNode->Name);

    // Owners sharing vertices with the node's polygon, each counted once per
    // shared vertex, in the order met.
    std::vector<const TNode*> owners;
    std::vector<int> shared;
    std::unordered_map<const TNode*, size_t> index;
    for (TNetworkPoint* v : node.OwnPolygon()) {
        if (!v->Active) continue;
        std::vector<const TNode*> seen;
        for (TNode* o : net.PolygonsOf(v)) {
            if (!o || o == &node || !o->Active) continue;
            if (std::find(seen.begin(), seen.end(), o) != seen.end()) continue;
            seen.push_back(o);
            auto it = index.find(o);
            if (it == index.end()) {
                if (owners.size() >= size_t(MaxAdjacentOwners)) continue;
                it = index.emplace(o, owners.size()).first;
                owners.push_back(o);
                shared.push_back(0);
            }
            ++shared[it->second];
        }
    }
    lines.push_back("Adjacent Polygons, 2+ Vertices:");
    for (size_t i = 0; i < owners.size(); ++i)
        if (shared[i] >= 2) lines.push_back(owners[i]->Name);
    lines.push_back("Adjacent Polygons, 1 Vertex:");
    for (size_t i = 0; i < owners.size(); ++i)
        if (shared[i] == 1) lines.push_back(owners[i]->Name);
    return lines;
}

std::vector<std::string> LinkPropertyLines(const TNetwork& net, const TWindowSettings& settings, const TLink& link)
{
    std::vector<std::string> lines;
    const TLinkValues* r = link.LinkValues;
    if (!r || !r->ANode || !r->BNode) return lines;
    const TLink* a = (link.AEnd() || !r->ANode) ? &link : nullptr;
    if (!a)
        for (TLink* h : r->ANode->Links)
            if (h->LinkValues == r && h->AEnd()) a = h;
    if (!a) a = &link;
    lines.push_back("Number of Shape Points = " + std::to_string(r->ShapePoints.GetCount()));
    lines.push_back("LinkLength in " + settings.UnitsName + " = " + ReportNumber(LinkLength(a, UnitsOf(settings))));
    lines.push_back("AB Azimuth in degrees = " + ReportNumber(LinkAzimuth(a)));
    lines.push_back("Names of Ending Nodes:");
    lines.push_back(r->ANode->Name);
    lines.push_back(r->BNode->Name);
    return lines;
}

std::vector<std::string> NodeNestednessLines(const TNetwork& net, const TNode& node)
{
    return Nestedness(net, node, true);
}

std::vector<std::string> NodeNestednessLinesPlain(const TNetwork& net, const TNode& node)
{
    return Nestedness(net, node, false);
}

std::vector<std::string> LinkNestednessLines(const TNetwork& net, const TLink& link)
{
    std::vector<std::string> lines{"Polygons Touching this Link:"};
    const TLinkValues* r = link.LinkValues;
    if (!r || !r->ANode || !r->BNode) return lines;
    const std::vector<TIntPoint> chain = LinkChain(*r);
    TBox b = EmptyBox;
    for (const TIntPoint& p : chain) b.Include(p.X, p.Y);
    ForEachNode(net, [&](TNode* n) {
        if (!n->Active || n->OwnPolygon().GetCount() == 0 || !BoxesOverlap(b, n->PolygonBox())) return;
        const TRing ring = RingOf(*n);
        for (const TIntPoint& p : chain)
            if (Within(ring, p.X, p.Y)) {
                lines.push_back(n->Name);
                return;
            }
    });
    return lines;
}

int32_t MoveNodesToLayer(TNetwork& net, const TViewRecord& view, const TSearchFilter& filter, int layer)
{
    if (layer < 1 || layer > 10) return 0;
    int32_t moved = 0;
    ForEachNode(net, [&](TNode* n) {
        if (!n->Active || !IsLayerVisible(view, n)) return;
        if (!filter.NodesUnfiltered && !filter.NodePassesSearch(*n)) return;
        if (moved == 0) net.SetAllowClose(false);
        n->Layer = uint8_t(layer);
        ++moved;
    });
    return moved;
}

int StorePointLongLat(TNetworkPoint& point, double longitude, double latitude, double elevation)
{
    if (!std::isfinite(longitude) || !std::isfinite(latitude) || longitude < -180 || longitude > 180 ||
        latitude < -90 || latitude > 90)
        return MsgLongLatError;
    if (!std::isfinite(elevation) || std::fabs(elevation) > 214748.3647) return MsgElevationError;
    point.Longitude = int32_t(pround64(longitude * 1e7));
    point.Latitude = int32_t(pround64(latitude * 1e7));
    point.Elevation = int32_t(pround64(elevation * 1e4));
    return 0;
}

double ShapePointElevationAlongLink(const TShapePoint& point, double unitsFactor)
{
    const TLink* h = point.Link;
    if (!h || !h->LinkValues || !h->LinkValues->ANode || !h->LinkValues->BNode) return point.Elevation / 1e4;
    const TLinkValues& r = *h->LinkValues;
    const double ea = r.ANode->Elevation / 1e4, eb = r.BNode->Elevation / 1e4;
    const double total = LinkLength(h, unitsFactor);
    if (!(total > 0) || !std::isfinite(total)) return ea;
    const double upTo = LinkLength(h, unitsFactor, &point);
    return ea + (eb - ea) * upTo / total;
}
