#include "core/model/NetworkQueries.h"

#include <algorithm>
#include <cmath>

#include "core/model/Rounding.h"

// Distances are world units divided by the units factor; a factor that would
// divide by zero counts as 1.
static double UnitsDivisor(double f) { return (std::isfinite(f) && f != 0.0) ? f : 1.0; }

static double SegmentLength(const TNetworkPoint* p, const TNetworkPoint* q, double units)
{
    double dx = double(q->X) - double(p->X);
    double dy = double(q->Y) - double(p->Y);
    return std::sqrt(dx * dx + dy * dy) / units;
}

// ---------------------------------------------------------------- links

double LinkAzimuth(const TLink* halfEdge)
{
    if (!halfEdge || !halfEdge->LinkValues) return 0;
    const TNode* a = halfEdge->LinkValues->ANode;
    const TNode* b = halfEdge->LinkValues->BNode;
    if (!a || !b) return 0;
    if (a->X != b->X) {
        double t = std::atan((double(a->Y) - double(b->Y)) / (double(b->X) - double(a->X))) * 57.29577951308232;
        if (a->X > b->X) t = t + 180;
        double bearing = 360 - (t - 90);
        if (bearing >= 360) bearing -= 360;
        return bearing;
    }
    return b->Y >= a->Y ? 180 : 0;
}

// The polyline A, shape points, B of a link.
static void LinkPolyline(const TLinkValues* r, std::vector<const TNetworkPoint*>& pts)
{
    pts.clear();
    pts.push_back(r->ANode);
    for (TShapePoint* sp : r->ShapePoints) pts.push_back(sp);
    pts.push_back(r->BNode);
}

double LinkLength(const TLink* halfEdge, double unitsFactor, const TShapePoint* upTo)
{
    if (!halfEdge || !halfEdge->LinkValues || !halfEdge->LinkValues->ANode || !halfEdge->LinkValues->BNode) return 0;
    std::vector<const TNetworkPoint*> pts;
    LinkPolyline(halfEdge->LinkValues, pts);
    double units = UnitsDivisor(unitsFactor);
    double sum = 0;
    for (size_t i = 1; i < pts.size(); ++i) {
        sum += SegmentLength(pts[i - 1], pts[i], units);
        if (upTo && pts[i] == upTo) break;
    }
    return sum;
}

void LinkMidpoint(const TNetwork& net, const TLink* halfEdge, int32_t& px, int32_t& py)
{
    px = py = 0;
    if (!halfEdge || !halfEdge->LinkValues) return;
    const TLinkValues* r = halfEdge->LinkValues;
    if (!r->ANode || !r->BNode) return;
    auto mid = [&](const TNetworkPoint* p, const TNetworkPoint* q) {
        px = int32_t(pround((double(p->X) + double(q->X)) / 2));
        py = int32_t(pround((double(p->Y) + double(q->Y)) / 2));
    };
    if (r->ShapePoints.Empty()) {
        mid(r->ANode, r->BNode);
        return;
    }
    std::vector<const TNetworkPoint*> pts;
    LinkPolyline(r, pts);
    // The half length in world units: the units factor would cancel.
    double units = 1.0;
    double half = LinkLength(halfEdge, units) / 2;
    double sum = 0;
    for (size_t i = 1; i < pts.size(); ++i) {
        sum += SegmentLength(pts[i - 1], pts[i], units);
        if (sum >= half || i + 1 == pts.size()) {
            mid(pts[i - 1], pts[i]);
            return;
        }
    }
}

int32_t AttachedLinkCount(const TNode* node)
{
    int32_t n = 0;
    if (node)
        for (TLink* h : node->Links)
            if (h->LinkValues && h->LinkValues->Active) ++n;
    return n;
}

// ---------------------------------------------------------------- polygons

void ReversePolygon(TNode* node)
{
    if (!node) return;
    TMyPolygonList fresh(node->OwnPolygon().GetCount(), 1);
    for (int32_t i = node->OwnPolygon().GetCount() - 1; i >= 0; --i) fresh.Insert(node->OwnPolygon().At(i));
    node->OwnPolygonRef() = std::move(fresh);
}

bool PolygonIsClockwise(const TNode* node)
{
    if (!node) return true;
    const TMyPolygonList& v = node->OwnPolygon();
    const int32_t n = v.GetCount();
    if (n < 3) return true;
    struct Vec {
        double x, y;
    };
    // E[i] for i = 0..n: the edge into vertex i taken backward, Y negated.
    std::vector<Vec> e(size_t(n) + 1);
    for (int32_t i = 1; i <= n; ++i) {
        const TNetworkPoint* prev = v.At(i - 1);
        const TNetworkPoint* cur = v.At(i % n);
        e[size_t(i)] = {double(prev->X) - double(cur->X), double(cur->Y) - double(prev->Y)};
    }
    e[0] = e[size_t(n)];
    double sum = 0;
    for (int32_t i = 1; i <= n; ++i) {
        const Vec& p = e[size_t(i - 1)];
        const Vec& q = e[size_t(i)];
        double lp = std::sqrt(p.x * p.x + p.y * p.y);
        double lq = std::sqrt(q.x * q.x + q.y * q.y);
        if (lp == 0 || lq == 0) continue;
        double dot = p.x * q.x + p.y * q.y;
        if (std::fabs(dot) > lp * lq) continue;
        double a = std::acos(dot / (lp * lq));
        if (p.x * q.y - q.x * p.y > 0)
            sum += a;
        else
            sum -= a;
    }
    return sum <= 0;
}

int32_t GetPolygonCoordinates(const TMyPolygonList& polygon, std::vector<TIntPoint>& points)
{
    points.clear();
    for (TNetworkPoint* v : polygon)
        if (v->Active) points.push_back({v->X, v->Y});
    return int32_t(points.size());
}

int32_t CountPolygonVertices(const TMyPolygonList& polygon, bool withShapes)
{
    int32_t n = 0;
    for (TNetworkPoint* v : polygon) {
        if (!v->Active) continue;
        if (v->IsNode()) {
            ++n;
        } else if (withShapes) {
            const TShapePoint* sp = v->AsShapePoint();
            if (sp->Link && sp->Link->LinkValues && sp->Link->LinkValues->Active) ++n;
        }
    }
    return n;
}

int32_t CountVerticesUpTo(const TMyPolygonList& polygon, const TNetworkPoint* vertex)
{
    int32_t n = 0;
    for (TNetworkPoint* v : polygon) {
        if (v->Active) ++n;
        if (v == vertex) break;
    }
    return n;
}

double PolygonArea(const TMyPolygonList& polygon, double unitsFactor)
{
    std::vector<TIntPoint> p;
    int32_t n = GetPolygonCoordinates(polygon, p);
    if (n < 3) return 0;
    double sum = 0;
    for (int32_t i = 0; i < n; ++i) {
        const TIntPoint& a = p[size_t(i)];
        const TIntPoint& b = p[size_t((i + 1) % n)];
        sum += double(a.X) * double(b.Y) - double(b.X) * double(a.Y);
    }
    double units = UnitsDivisor(unitsFactor);
    return std::fabs(sum) / 2 / (units * units);
}

double PolygonCentroid(const TMyPolygonList& polygon, bool wantX)
{
    std::vector<TIntPoint> p;
    int32_t n = GetPolygonCoordinates(polygon, p);
    if (n < 3) return 0;
    const double x0 = p[0].X, y0 = p[0].Y;
    double total = 0, weighted = 0;
    for (int32_t i = 2; i < n; ++i) {
        double ax = p[size_t(i)].X - x0, ay = p[size_t(i)].Y - y0;         // Vi - V0
        double bx = p[size_t(i - 1)].X - x0, by = p[size_t(i - 1)].Y - y0; // Vi-1 - V0
        double c = ax * by - ay * bx;
        total += c;
        weighted += c * (wantX ? ax + bx : ay + by);
    }
    double origin = wantX ? x0 : y0;
    if (total == 0) return origin;
    return origin + weighted / (3 * total);
}

double PolygonPerimeter(const TMyPolygonList& polygon, double unitsFactor, bool open, const TNetworkPoint* upTo)
{
    std::vector<const TNetworkPoint*> v;
    for (TNetworkPoint* p : polygon)
        if (p->Active) v.push_back(p);
    if (v.size() < 2) return 0;
    double units = UnitsDivisor(unitsFactor);
    double sum = 0;
    for (size_t i = 1; i < v.size(); ++i) {
        if (upTo && v[i - 1] == upTo) return sum;
        sum += SegmentLength(v[i - 1], v[i], units);
    }
    if (upTo) return sum;
    if (!open) sum += SegmentLength(v.back(), v.front(), units);
    return sum;
}

int PointInPolygon(int32_t x, int32_t y, const TIntPoint* v, const TBox& box, int32_t count)
{
    if (x < box.MinX || x > box.MaxX || y < box.MinY || y > box.MaxY) return 0;
    if (!v || count <= 0) return 0;
    const int32_t n = count;
    int64_t c = 0;
    for (int32_t i = 0; i < n; ++i) {
        const TIntPoint& vi = v[i];
        const TIntPoint& vj = v[(i + 1) % n];
        const TIntPoint& vk = v[(i - 1 + n) % n];
        if (vi.X == x && vi.Y == y) return 1;
        if (vi.Y == y && vj.Y == y) {
            if ((x > vi.X && x < vj.X) || (x > vj.X && x < vi.X)) return 1;
            if (x < vi.X && x < vj.X && vk.Y != y) {
                // The run along the line: does the ring cross it or only touch?
                int32_t after = -1, before = -1;
                for (int32_t s = 1; s <= n; ++s) {
                    int32_t k = (i + 1 + s) % n;
                    if (v[k].Y != y) {
                        after = k;
                        break;
                    }
                }
                for (int32_t s = 1; s <= n; ++s) {
                    int32_t k = ((i - s) % n + n) % n;
                    if (v[k].Y != y) {
                        before = k;
                        break;
                    }
                }
                if (after >= 0 && before >= 0 &&
                    ((y < v[after].Y && y < v[before].Y) || (y > v[after].Y && y > v[before].Y)))
                    c -= 1;
            }
        }
        if ((vi.Y <= y && y < vj.Y) || (vj.Y < y && y <= vi.Y)) {
            if (vi.X == x && vj.X == x) return 1;
            if (vi.X >= x && vj.X >= x) {
                c += 1;
            } else {
                double xc = (double(y) - vi.Y) * (double(vi.X) - vj.X) / (double(vi.Y) - vj.Y) + vi.X;
                if (double(x) == xc) return 1;
                if (double(x) < xc) c += 1;
            }
            if (vi.Y == y && vi.X > x && ((vj.Y < y && vk.Y < y) || (vj.Y > y && vk.Y > y))) c -= 1;
        }
    }
    return (c >= 0 && c % 2 == 1) ? 2 : 0;
}

// ---------------------------------------------------------------- names

static size_t TrimmedLength(const std::string& s)
{
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return n;
}

int NameHash(const std::string& name)
{
    unsigned sum = 0;
    size_t n = TrimmedLength(name);
    for (size_t i = 0; i < n; ++i) sum += uint8_t(name[i]);
    return int(sum % 128);
}

// A 64-bit hash (FNV-1a) of the name without its trailing blanks.
static uint64_t FullNameHash(const std::string& name)
{
    uint64_t h = 14695981039346656037ull;
    size_t n = TrimmedLength(name);
    for (size_t i = 0; i < n; ++i) {
        h ^= uint8_t(name[i]);
        h *= 1099511628211ull;
    }
    return h;
}

void TNameIndex::Build(const TNetwork& net)
{
    Free();
    ForEachNode(net, [&](TNode* n) {
        Nodes[size_t(NameHash(n->Name))].push_back(n);
        NodeHashes.push_back({FullNameHash(n->Name), n});
        for (TLink* h : n->Links)
            if (h->AEnd() && h->LinkValues) {
                Links[size_t(NameHash(h->LinkValues->Name))].push_back(h);
                LinkHashes.push_back({FullNameHash(h->LinkValues->Name), h});
            }
    });
    auto byHash = [](const Entry& a, const Entry& b) { return a.Hash < b.Hash; };
    std::stable_sort(NodeHashes.begin(), NodeHashes.end(), byHash);
    std::stable_sort(LinkHashes.begin(), LinkHashes.end(), byHash);
}

void TNameIndex::Free()
{
    for (auto& b : Nodes) std::vector<TNode*>().swap(b);
    for (auto& b : Links) std::vector<TLink*>().swap(b);
    std::vector<Entry>().swap(NodeHashes);
    std::vector<Entry>().swap(LinkHashes);
}

// The first active element whose name matches: a name without '?' through
// the sorted full-name hashes, any other through its bucket.
template <class E, class Hashes, class Buckets, class Matches>
static E* FindIndexed(const std::string& name, const Hashes& hashes, const Buckets& buckets, Matches matches)
{
    std::string pattern = name.substr(0, TrimmedLength(name));
    if (pattern.find('?') == std::string::npos) {
        // Only an equal name matches; equal names share a bucket and keep
        // their bucket order here.
        uint64_t h = FullNameHash(pattern);
        auto it = std::lower_bound(hashes.begin(), hashes.end(), h,
                                   [](const auto& e, uint64_t k) { return e.Hash < k; });
        for (; it != hashes.end() && it->Hash == h; ++it) {
            auto* e = static_cast<E*>(it->Element);
            if (matches(pattern, *e)) return e;
        }
        return nullptr;
    }
    for (E* e : buckets[size_t(NameHash(pattern))])
        if (matches(pattern, *e)) return e;
    return nullptr;
}

TNode* TNameIndex::FindIndexedNode(const std::string& name) const
{
    return FindIndexed<TNode>(name, NodeHashes, Nodes, [](const std::string& pattern, const TNode& n) {
        return n.Active && NameMatchesText(pattern, n.Name);
    });
}

TLink* TNameIndex::FindIndexedLink(const std::string& name) const
{
    return FindIndexed<TLink>(name, LinkHashes, Links, [](const std::string& pattern, const TLink& l) {
        return l.LinkValues->Active && NameMatchesText(pattern, l.LinkValues->Name);
    });
}

std::string PrepareNamePattern(const std::string& text)
{
    std::string p = text.substr(0, TrimmedLength(text));
    if (!p.empty() && p.back() == '*') {
        p.pop_back();
        if (p.size() < 255) p.append(255 - p.size(), '?');
    }
    return p;
}

bool NameMatchesText(const std::string& pattern, const std::string& name)
{
    size_t n = TrimmedLength(name);
    if (n == 0 && pattern.empty()) return true;
    if (pattern.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (pattern[i] != name[i] && pattern[i] != '?') return false;
    for (size_t i = n; i < pattern.size(); ++i)
        if (pattern[i] != '?') return false;
    return true;
}

bool NameMatches(const std::string& pattern, int kind, const TNode* node, const TLink* link)
{
    if (kind == 0) return node && NameMatchesText(pattern, node->Name);
    return link && link->LinkValues && NameMatchesText(pattern, link->LinkValues->Name);
}

static bool ClassChecked(const TClassFilter* filter, int entityType)
{
    if (!filter) return true;
    return entityType >= 0 && entityType <= MaxClasses && (*filter)[size_t(entityType)];
}

TNode* FindNodeByName(const TNetwork& net, const std::string& pattern, const TClassFilter* typeFilter)
{
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (n && n->Active && ClassChecked(typeFilter, n->EntityType) && NameMatchesText(pattern, n->Name))
                return n;
        }
    return nullptr;
}

TLink* FindLinkByName(const TNetwork& net, const std::string& pattern, const TClassFilter* typeFilter)
{
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            if (TNode* n = p->AsNode())
                for (TLink* h : n->Links) {
                    const TLinkValues* r = h->LinkValues;
                    if (h->AEnd() && r && r->Active && ClassChecked(typeFilter, r->EntityType) &&
                        NameMatchesText(pattern, r->Name))
                        return h;
                }
    return nullptr;
}

static void ReplaceAll(std::string& s, const std::string& from, const std::string& to)
{
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
}

int32_t ReplaceEntityNames(TNetwork& net, const std::string& oldText, const std::string& newText, bool linkMode)
{
    if (oldText.empty()) return 0; // nothing to look for
    int32_t changed = 0;
    auto edit = [&](TText& name) {
        if (name.find(oldText) == std::string::npos) return;
        std::string s = name;
        ReplaceAll(s, oldText, newText);
        if (s.size() > 30) s.resize(30);
        if (s != name) {
            name = s;
            ++changed;
        }
    };
    if (linkMode) {
        ForEachLink(net, [&](TLink* h) {
            if (h->LinkValues->Active) edit(h->LinkValues->Name);
        });
    } else {
        ForEachNode(net, [&](TNode* n) {
            if (n->Active) edit(n->Name);
        });
    }
    return changed;
}

// ---------------------------------------------------------------- counts

static bool CountedNode(const TViewRecord& view, const TNode* n)
{
    return n->Active && IsLayerVisible(view, n) && n->EntityType > 0 && n->EntityType <= MaxClasses;
}

void CountMatchingNodesByType(const TNetwork& net, const TViewRecord& view, const TNodeTest& passes,
                              TClassCounts& counts)
{
    counts.fill(0);
    ForEachNode(net, [&](TNode* n) {
        if (CountedNode(view, n) && (!passes || passes(n))) ++counts[n->EntityType];
    });
}

void CountMatchingPolygonsByType(const TNetwork& net, const TViewRecord& view, const TNodeTest& passes,
                                 TClassCounts& counts)
{
    counts.fill(0);
    ForEachNode(net, [&](TNode* n) {
        if (CountedNode(view, n) && n->OwnPolygon().GetCount() > 0 && (!passes || passes(n))) ++counts[n->EntityType];
    });
}

void CountMatchingLinksByType(const TNetwork& net, const TViewRecord& view, const TLinkTest& passes,
                              TClassCounts& counts)
{
    counts.fill(0);
    ForEachNode(net, [&](TNode* n) {
        if (!n->Active || !IsLayerVisible(view, n)) return;
        for (TLink* h : n->Links) {
            const TLinkValues* r = h->LinkValues;
            // A deleted link is not counted.
            if (!h->AEnd() || !r || !r->Active || r->EntityType == 0 || r->EntityType > MaxClasses) continue;
            if (!passes || passes(h)) ++counts[r->EntityType];
        }
    });
}

// ---------------------------------------------------------------- schema

void ResizeAttributeArrays(TNetwork& net, const TEntityClass* classes)
{
    if (classes == net.NodeClasses.get()) {
        ForEachNode(net, [&](TNode* n) { ResizeValues(*n, ClassAttributeCount(classes, n->EntityType)); });
    } else if (classes == net.LinkClasses.get()) {
        ForEachLink(net, [&](TLink* h) {
            TLinkValues* r = h->LinkValues;
            ResizeValues(*r, ClassAttributeCount(classes, r->EntityType));
        });
    }
}

void ResizeStringAttributeLists(TNetwork& net)
{
    ForEachNode(net, [&](TNode* n) {
        n->Strings.resize(size_t(ClassStringCount(net.NodeClasses.get(), n->EntityType)));
        for (TLink* h : n->Links)
            if (h->AEnd() && h->LinkValues)
                h->LinkValues->Strings.resize(size_t(ClassStringCount(net.LinkClasses.get(), h->LinkValues->EntityType)));
    });
}
