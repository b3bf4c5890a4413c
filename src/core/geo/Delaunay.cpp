#include "core/geo/Delaunay.h"

#include "core/model/Geometry.h"
#include "core/model/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

constexpr double DupTolerance = 1e-6;
constexpr double DupCell = 4e-6; // four times the tolerance
constexpr double CoordinateLimit = 1e9;
constexpr double CircleEps = 1e-6;
constexpr double EdgeEps = 1e-12;

// The incremental triangulation over vertices sorted by X. Each new vertex
// removes the triangles whose circumcircle holds it and fills the hole with
// triangles to the vertex. The triangles live in a slot array whose order
// (removal moves the last triangle into the freed slot, new triangles are
// appended) decides the final order of the triangles. The triangles that
// hold a new vertex in their circle are found through a grid of the circles
// (circles over too many cells in a list of their own), not by scanning
// every slot; they are then removed in slot order with the same slot moves,
// so the result is that of the full scan.
class TTriangulator {
public:
    TTriangulator(TDVertexClass& V, int32_t N) : Vert(V), n(N) {}

    // Triangulates; returns the triangles in slot order. Coincident is set
    // when a flat triangle was tested against a later vertex.
    std::vector<TDTriangle> Run(bool& Coincident);

private:
    struct TWork {
        int32_t P[3];
        double XC, YC, R;
        bool Known;      // circle stored (not a flat triangle)
        int32_t Slot;
        int32_t FirstLink; // chain of the grid entries of the circle; -1 none
        int32_t WidePos;   // position in the wide list, -1 when not in it
    };
    // A circle's entry in a grid cell: in the cell's list (doubly linked)
    // and in the triangle's chain.
    struct TLink {
        int32_t Id;
        int32_t Next, Prev;
        int32_t TriNext;
        int64_t Cell; // -1 once taken out of the cell's list
    };
    void Detach(int32_t l);

    static constexpr int32_t MaxCells = 48;

    int32_t NewTriangle(int32_t a, int32_t b, int32_t c, double SweepX);
    void FreeTriangle(int32_t Id);
    bool Complete(const TWork& t, double xp) const { return t.XC + t.R < xp; }
    bool Holds(const TWork& t, double xp, double yp) const
    {
        const double dx = xp - t.XC;
        const double dy = yp - t.YC;
        return dx * dx + dy * dy <= t.R * t.R;
    }
    // The grid of circles.
    struct TLevel {
        double S, Inv;
        int32_t NX, NY;
    };
    int32_t ColumnOf(const TLevel& L, double x) const;
    int32_t RowOf(const TLevel& L, double y) const;
    // Visits the cells of grid L that the circle of t meets, from column
    // Col0 on; stops and returns false when Visit returns false.
    template <class F>
    bool ForEachCell(const TLevel& L, const TWork& t, int32_t Col0, F Visit) const;
    void Register(int32_t Id, double SweepX);
    void Unregister(int32_t Id);
    void CollectHolders(double xp, double yp, std::vector<int32_t>& Slots);
    void PairEdges();

    TDVertexClass& Vert;
    int32_t n;
    std::vector<TWork> Work;
    std::vector<int32_t> FreeIds;
    std::vector<int32_t> SlotId{0}; // 1-based
    int32_t Count = 0;

    double GX0 = 0, GY0 = 0;
    TLevel Grid{1, 1, 1, 1};
    std::vector<int32_t> CellHead;
    std::vector<TLink> Links;
    std::vector<int32_t> FreeLinks;
    // Triangles whose circle covers too many cells or is not finite, with a
    // copy of the circle for a fast scan.
    struct TWide {
        double XC, YC, R;
        int32_t Id;
    };
    std::vector<TWide> Wide;

    std::vector<int32_t> EdgeA, EdgeB;
    std::vector<uint8_t> EdgeGone;
    std::vector<std::pair<uint64_t, uint32_t>> EdgeOrder;
};

// Grid column and row, clamped to the grid (truncation is the floor for
// the positive values that remain).
int32_t TTriangulator::ColumnOf(const TLevel& L, double x) const
{
    const double c = (x - GX0) * L.Inv;
    if (!(c > 0))
        return 0;
    return c >= L.NX - 1 ? L.NX - 1 : static_cast<int32_t>(c);
}

int32_t TTriangulator::RowOf(const TLevel& L, double y) const
{
    const double c = (y - GY0) * L.Inv;
    if (!(c > 0))
        return 0;
    return c >= L.NY - 1 ? L.NY - 1 : static_cast<int32_t>(c);
}

template <class F>
bool TTriangulator::ForEachCell(const TLevel& L, const TWork& t, int32_t Col0, F Visit) const
{
    // A margin covers the rounding of the in-circle test.
    const double pad = 1e-9 * (std::fabs(t.XC) + std::fabs(t.YC) + t.R) + 1e-9;
    const double rr = t.R + pad;
    // Only the part of the circle over the grid matters: every vertex lies
    // in it.
    const double gx1 = GX0 + L.NX * L.S, gy1 = GY0 + L.NY * L.S;
    if (t.XC + rr < GX0 || t.XC - rr > gx1)
        return true;
    const int32_t c1 = ColumnOf(L, t.XC + rr);
    for (int32_t c = std::max(Col0, ColumnOf(L, t.XC - rr)); c <= c1; ++c) {
        const double x0 = GX0 + c * L.S;
        const double x1 = x0 + L.S;
        double dx = 0;
        if (t.XC < x0)
            dx = x0 - t.XC;
        else if (t.XC > x1)
            dx = t.XC - x1;
        if (dx > rr)
            continue;
        const double h = std::sqrt(std::max(0.0, rr * rr - dx * dx)) + pad;
        if (t.YC + h < GY0 || t.YC - h > gy1)
            continue;
        const int32_t r1 = RowOf(L, t.YC + h);
        for (int32_t r = RowOf(L, t.YC - h); r <= r1; ++r)
            if (!Visit(static_cast<size_t>(c) * L.NY + r))
                return false;
    }
    return true;
}

void TTriangulator::Register(int32_t Id, double SweepX)
{
    TWork& t = Work[Id];
    t.FirstLink = -1;
    t.WidePos = -1;
    if (!t.Known)
        return; // a flat triangle never holds a vertex
    // Later vertices lie at or right of the sweep: columns before it are
    // never probed again.
    const bool finite = std::isfinite(t.XC) && std::isfinite(t.YC) && std::isfinite(t.R);
    const int32_t col0 = ColumnOf(Grid, SweepX);
    int32_t cells = 0;
    if (finite && ForEachCell(Grid, t, col0, [&](size_t) { return ++cells <= MaxCells; })) {
        ForEachCell(Grid, t, col0, [&](size_t cell) {
            int32_t l;
            if (!FreeLinks.empty()) {
                l = FreeLinks.back();
                FreeLinks.pop_back();
            } else {
                l = static_cast<int32_t>(Links.size());
                Links.push_back({});
            }
            const int32_t head = CellHead[cell];
            Links[static_cast<size_t>(l)] = {Id, head, -1, t.FirstLink, static_cast<int64_t>(cell)};
            if (head >= 0)
                Links[static_cast<size_t>(head)].Prev = l;
            CellHead[cell] = l;
            t.FirstLink = l;
            return true;
        });
        return;
    }
    t.WidePos = static_cast<int32_t>(Wide.size());
    Wide.push_back({t.XC, t.YC, t.R, Id});
}

void TTriangulator::Detach(int32_t l)
{
    TLink& k = Links[static_cast<size_t>(l)];
    if (k.Cell < 0)
        return;
    if (k.Prev >= 0)
        Links[static_cast<size_t>(k.Prev)].Next = k.Next;
    else
        CellHead[static_cast<size_t>(k.Cell)] = k.Next;
    if (k.Next >= 0)
        Links[static_cast<size_t>(k.Next)].Prev = k.Prev;
    k.Cell = -1;
}

void TTriangulator::Unregister(int32_t Id)
{
    TWork& t = Work[Id];
    if (t.WidePos >= 0) {
        const TWide last = Wide.back();
        Wide[static_cast<size_t>(t.WidePos)] = last;
        Work[last.Id].WidePos = t.WidePos;
        Wide.pop_back();
        t.WidePos = -1;
    }
    for (int32_t l = t.FirstLink; l >= 0;) {
        Detach(l);
        FreeLinks.push_back(l);
        l = Links[static_cast<size_t>(l)].TriNext;
    }
    t.FirstLink = -1;
}

int32_t TTriangulator::NewTriangle(int32_t a, int32_t b, int32_t c, double SweepX)
{
    int32_t id;
    if (!FreeIds.empty()) {
        id = FreeIds.back();
        FreeIds.pop_back();
    } else {
        id = static_cast<int32_t>(Work.size());
        Work.push_back({});
    }
    TWork& t = Work[id];
    t.P[0] = a;
    t.P[1] = b;
    t.P[2] = c;
    const TDVertex& v1 = Vert[a];
    const TDVertex& v2 = Vert[b];
    const TDVertex& v3 = Vert[c];
    t.XC = t.YC = t.R = 0;
    t.Known = TDelaunay::Circumcircle(v1.X, v1.Y, v2.X, v2.Y, v3.X, v3.Y, t.XC, t.YC, t.R);
    ++Count;
    if (static_cast<int32_t>(SlotId.size()) <= Count)
        SlotId.resize(static_cast<size_t>(Count) + 1);
    SlotId[Count] = id;
    t.Slot = Count;
    Register(id, SweepX);
    return id;
}

void TTriangulator::FreeTriangle(int32_t Id)
{
    Unregister(Id);
    FreeIds.push_back(Id);
}

void TTriangulator::CollectHolders(double xp, double yp, std::vector<int32_t>& Slots)
{
    Slots.clear();
    const size_t cell = static_cast<size_t>(ColumnOf(Grid, xp)) * Grid.NY + RowOf(Grid, yp);
    for (int32_t l = CellHead[cell]; l >= 0;) {
        const TLink& k = Links[static_cast<size_t>(l)];
        const int32_t next = k.Next;
        const TWork& t = Work[k.Id];
        if (Complete(t, xp))
            Detach(l); // complete for good: later vertices lie further right
        else if (Holds(t, xp, yp))
            Slots.push_back(t.Slot);
        l = next;
    }
    for (size_t k = 0; k < Wide.size();) {
        const TWide& w = Wide[k];
        if (w.XC + w.R < xp) {
            Work[w.Id].WidePos = -1;
            const TWide last = Wide.back();
            Wide[k] = last;
            Work[last.Id].WidePos = static_cast<int32_t>(k);
            Wide.pop_back();
            continue;
        }
        const double dx = xp - w.XC;
        const double dy = yp - w.YC;
        if (dx * dx + dy * dy <= w.R * w.R)
            Slots.push_back(Work[w.Id].Slot);
        ++k;
    }
}

// Removes every pair of collected edges that join the same two vertices in
// opposite directions: each edge, in order, pairs with the first later edge
// not yet paired that runs the other way.
void TTriangulator::PairEdges()
{
    const size_t m = EdgeA.size();
    EdgeGone.assign(m, 0);
    if (m <= 12) {
        for (size_t j = 0; j < m; ++j) {
            if (EdgeGone[j])
                continue;
            for (size_t k = j + 1; k < m; ++k)
                if (!EdgeGone[k] && EdgeA[j] == EdgeB[k] && EdgeB[j] == EdgeA[k]) {
                    EdgeGone[j] = EdgeGone[k] = 1;
                    break;
                }
        }
        return;
    }
    // The same pairing by groups of edges between the same two vertices: in
    // a group, in order, an edge pairs with the earliest open edge before it
    // that runs the other way.
    EdgeOrder.resize(m);
    for (size_t k = 0; k < m; ++k) {
        const uint32_t a = static_cast<uint32_t>(EdgeA[k]), b = static_cast<uint32_t>(EdgeB[k]);
        EdgeOrder[k] = {(static_cast<uint64_t>(std::min(a, b)) << 32) | std::max(a, b), static_cast<uint32_t>(k)};
    }
    std::sort(EdgeOrder.begin(), EdgeOrder.end());
    for (size_t g = 0; g < m;) {
        size_t e = g + 1;
        while (e < m && EdgeOrder[e].first == EdgeOrder[g].first)
            ++e;
        // Open edges of each direction, earliest first.
        size_t open[2][64];
        size_t head[2] = {0, 0}, tail[2] = {0, 0};
        for (size_t q = g; q < e; ++q) {
            const size_t k = EdgeOrder[q].second;
            const int dir = EdgeA[k] < EdgeB[k] ? 0 : 1;
            if (head[1 - dir] < tail[1 - dir]) {
                EdgeGone[open[1 - dir][head[1 - dir]++]] = 1;
                EdgeGone[k] = 1;
            } else if (tail[dir] < 64) {
                open[dir][tail[dir]++] = k;
            } else {
                // A pathological pile of equal edges: pair it the slow way.
                for (size_t j = 0; j < m; ++j)
                    EdgeGone[j] = 0;
                for (size_t j = 0; j < m; ++j) {
                    if (EdgeGone[j])
                        continue;
                    for (size_t kk = j + 1; kk < m; ++kk)
                        if (!EdgeGone[kk] && EdgeA[j] == EdgeB[kk] && EdgeB[j] == EdgeA[kk]) {
                            EdgeGone[j] = EdgeGone[kk] = 1;
                            break;
                        }
                }
                return;
            }
        }
        g = e;
    }
}

std::vector<TDTriangle> TTriangulator::Run(bool& Coincident)
{
    Coincident = false;
    double xmin = Vert[1].X, ymin = Vert[1].Y, xmax = xmin, ymax = ymin;
    for (int32_t i = 2; i <= n; ++i) {
        xmin = std::min(xmin, Vert[i].X);
        xmax = std::max(xmax, Vert[i].X);
        ymin = std::min(ymin, Vert[i].Y);
        ymax = std::max(ymax, Vert[i].Y);
    }
    const double dx = xmax - xmin;
    const double dy = ymax - ymin;
    const double dmax = dx > dy ? dx : dy;
    const double xmid = ptrunc((xmax + xmin) / 2);
    const double ymid = ptrunc((ymax + ymin) / 2);
    Vert[n + 1] = {pround(xmid - 2 * dmax), pround(ymid - dmax), 0};
    Vert[n + 2] = {pround(xmid), pround(ymid + 2 * dmax), 0};
    Vert[n + 3] = {pround(xmid + 2 * dmax), pround(ymid - dmax), 0};

    // About one vertex per cell, never more cells than three times the
    // vertices.
    const double ex = std::max(dx, 1.0), ey = std::max(dy, 1.0);
    const double gs = std::max({std::sqrt(ex * ey / n), ex / n, ey / n});
    GX0 = xmin;
    GY0 = ymin;
    Grid.S = gs;
    Grid.Inv = 1 / gs;
    Grid.NX = static_cast<int32_t>(std::min<double>(ex / gs + 1, n + 1));
    Grid.NY = static_cast<int32_t>(std::min<double>(ey / gs + 1, n + 1));
    const size_t cells = static_cast<size_t>(Grid.NX) * Grid.NY;
    CellHead.assign(cells, -1);
    Work.reserve(static_cast<size_t>(2) * n + 16);
    SlotId.reserve(static_cast<size_t>(2) * n + 16);

    NewTriangle(n + 1, n + 2, n + 3, xmin);
    bool flatPending = false;
    std::vector<int32_t> slots;
    for (int32_t i = 1; i <= n; ++i) {
        const double xp = Vert[i].X;
        const double yp = Vert[i].Y;
        if (flatPending)
            Coincident = true;
        CollectHolders(xp, yp, slots);
        std::sort(slots.begin(), slots.end());
        EdgeA.clear();
        EdgeB.clear();
        // Remove in slot order; the last triangle moves into a freed slot and
        // is tested there next.
        std::ptrdiff_t lo = 0, hi = static_cast<std::ptrdiff_t>(slots.size()) - 1;
        while (lo <= hi) {
            const int32_t j = slots[static_cast<size_t>(lo++)];
            for (;;) {
                const int32_t id = SlotId[j];
                const TWork& t = Work[id];
                EdgeA.push_back(t.P[0]);
                EdgeB.push_back(t.P[1]);
                EdgeA.push_back(t.P[1]);
                EdgeB.push_back(t.P[2]);
                EdgeA.push_back(t.P[2]);
                EdgeB.push_back(t.P[0]);
                FreeTriangle(id);
                if (j == Count) {
                    --Count;
                    break;
                }
                const int32_t moved = SlotId[Count];
                SlotId[j] = moved;
                Work[moved].Slot = j;
                --Count;
                if (hi >= lo && slots[static_cast<size_t>(hi)] == Count + 1) {
                    --hi;
                    continue;
                }
                break;
            }
        }
        PairEdges();
        for (size_t k = 0; k < EdgeA.size(); ++k)
            if (!EdgeGone[k]) {
                const int32_t id = NewTriangle(EdgeA[k], EdgeB[k], i, xp);
                if (!Work[id].Known && i < n)
                    flatPending = true;
            }
    }

    std::vector<TDTriangle> out(static_cast<size_t>(Count) + 1);
    for (int32_t s = 1; s <= Count; ++s) {
        const TWork& t = Work[SlotId[s]];
        TDTriangle& d = out[static_cast<size_t>(s)];
        d.P1 = t.P[0];
        d.P2 = t.P[1];
        d.P3 = t.P[2];
        d.CircleKnown = t.Known ? 1 : 0;
        d.XC = t.XC;
        d.YC = t.YC;
        d.R = t.R;
    }
    // Drop the triangles that use a super vertex.
    int32_t count = Count;
    for (int32_t j = 1; j <= count;) {
        const TDTriangle& d = out[static_cast<size_t>(j)];
        if (d.P1 > n || d.P2 > n || d.P3 > n) {
            out[static_cast<size_t>(j)] = out[static_cast<size_t>(count)];
            --count;
        } else {
            ++j;
        }
    }
    out.resize(static_cast<size_t>(count) + 1);
    return out;
}

double Distance(double x1, double y1, double x2, double y2)
{
    return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

// Z at distance d along an edge of length l from the end of value za.
double AlongEdge(double za, double zb, double d, double l)
{
    return l > 0 ? za + (zb - za) * d / l : za;
}

} // namespace

TDelaunay::TDelaunay() = default;

bool TDelaunay::Circumcircle(double x1, double y1, double x2, double y2, double x3, double y3, double& xc,
                             double& yc, double& r)
{
    const double eps = CircleEps;
    if (std::fabs(y1 - y2) < eps && std::fabs(y2 - y3) < eps)
        return false;
    if (std::fabs(y2 - y1) < eps) {
        const double m2 = -(x3 - x2) / (y3 - y2);
        xc = (x2 + x1) / 2;
        yc = m2 * (xc - (x2 + x3) / 2) + (y2 + y3) / 2;
    } else if (std::fabs(y3 - y2) < eps) {
        const double m1 = -(x2 - x1) / (y2 - y1);
        xc = (x3 + x2) / 2;
        yc = m1 * (xc - (x1 + x2) / 2) + (y1 + y2) / 2;
    } else {
        const double m1 = -(x2 - x1) / (y2 - y1);
        const double m2 = -(x3 - x2) / (y3 - y2);
        const double mx1 = (x1 + x2) / 2;
        const double my1 = (y1 + y2) / 2;
        const double mx2 = (x2 + x3) / 2;
        const double my2 = (y2 + y3) / 2;
        if (m1 == m2) {
            xc = (x1 + x2 + x3) / 3;
            yc = (y1 + y2 + y3) / 3;
        } else {
            xc = (m1 * mx1 - m2 * mx2 + my2 - my1) / (m1 - m2);
            yc = m1 * (xc - mx1) + my1;
        }
    }
    const double dx = x2 - xc;
    const double dy = y2 - yc;
    r = std::sqrt(dx * dx + dy * dy);
    return true;
}

// The cell (X, Y) of the duplicate table: its slot, or the free slot where
// it would go.
TDelaunay::TDupCell* TDelaunay::FindDupCell(int64_t X, int64_t Y)
{
    const size_t mask = DupCells.size() - 1;
    size_t i = static_cast<size_t>((static_cast<uint64_t>(X) * 0x9E3779B97F4A7C15ull) ^
                                   (static_cast<uint64_t>(Y) * 0xC2B2AE3D27D4EB4Full));
    i = (i ^ (i >> 29)) & mask;
    while (DupCells[i].Head >= 0 && (DupCells[i].X != X || DupCells[i].Y != Y))
        i = (i + 1) & mask;
    return &DupCells[i];
}

bool TDelaunay::AddPoint(double X, double Y, double Z)
{
    const double y = -Y;
    if (!std::isfinite(X) || !std::isfinite(y) || !std::isfinite(Z) || std::fabs(X) > CoordinateLimit ||
        std::fabs(y) > CoordinateLimit)
        return false;
    if (static_cast<size_t>(DupUsed + 1) * 2 > DupCells.size()) {
        std::vector<TDupCell> old(std::max<size_t>(1024, DupCells.size() * 2));
        old.swap(DupCells);
        for (const TDupCell& c : old)
            if (c.Head >= 0)
                *FindDupCell(c.X, c.Y) = c;
    }
    // A vertex within the tolerance lies in this cell or in the neighbour on
    // the near side in each direction.
    const double fx = X / DupCell, fy = y / DupCell;
    const int64_t cx = static_cast<int64_t>(std::floor(fx));
    const int64_t cy = static_cast<int64_t>(std::floor(fy));
    const int64_t nx = fx - cx < 0.5 ? cx - 1 : cx + 1;
    const int64_t ny = fy - cy < 0.5 ? cy - 1 : cy + 1;
    for (int64_t i : {cx, nx})
        for (int64_t j : {cy, ny}) {
            for (int32_t e = FindDupCell(i, j)->Head; e >= 0; e = DupEntries[static_cast<size_t>(e)].Next) {
                const TDupEntry& d = DupEntries[static_cast<size_t>(e)];
                if (std::fabs(d.X - X) <= DupTolerance && std::fabs(d.Y - y) <= DupTolerance)
                    return false;
            }
        }
    TDupCell* cell = FindDupCell(cx, cy);
    if (cell->Head < 0) {
        cell->X = cx;
        cell->Y = cy;
        ++DupUsed;
    }
    DupEntries.push_back({X, y, cell->Head});
    cell->Head = static_cast<int32_t>(DupEntries.size()) - 1;
    Vertices[VertexSlot] = {X, y, Z};
    VertexSlot = VertexSlot + 1;
    return true;
}

// Quicksort by X with the middle element as pivot.
void TDelaunay::SortVertices(int32_t l, int32_t r)
{
    auto& a = Vertices.Items;
    while (l < r) {
        int32_t i = l, j = r;
        const double x = a[static_cast<size_t>(l + (r - l) / 2)].X;
        do {
            while (a[static_cast<size_t>(i)].X < x)
                ++i;
            while (x < a[static_cast<size_t>(j)].X)
                --j;
            if (i <= j) {
                std::swap(a[static_cast<size_t>(i)], a[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // Recurse into the smaller part; the ranges are disjoint, so the
        // order of the two sorts does not change the result.
        if (j - l < r - i) {
            if (l < j)
                SortVertices(l, j);
            l = i;
        } else {
            if (i < r)
                SortVertices(i, r);
            r = j;
        }
    }
}

int32_t TDelaunay::Triangulate(int32_t n)
{
    TTriangulator t(Vertices, n);
    bool coincident = false;
    std::vector<TDTriangle> tris = t.Run(coincident);
    if (coincident && Message)
        Message(CoincidentMessage);
    const int32_t count = static_cast<int32_t>(tris.size()) - 1;
    if (count > 0)
        Triangles[count]; // grow once
    for (int32_t k = 1; k <= count; ++k)
        Triangles[k] = tris[static_cast<size_t>(k)];
    return count;
}

void TDelaunay::Mesh()
{
    const int32_t n = VertexSlot - 1;
    if (n >= 2)
        SortVertices(1, n);
    if (VertexSlot > 3)
        TriangleCount = Triangulate(n);
    for (int32_t k = 1; k <= TriangleCount; ++k) {
        TDTriangle& t = Triangles[k];
        const TDVertex& a = Vertices[t.P1];
        const TDVertex& b = Vertices[t.P2];
        const TDVertex& c = Vertices[t.P3];
        const double ax = pround(a.X), bx = pround(b.X), cx = pround(c.X);
        const double ay = pround(a.Y), by = pround(b.Y), cy = pround(c.Y);
        t.MinX = static_cast<int32_t>(std::min({ax, bx, cx}));
        t.MaxX = static_cast<int32_t>(std::max({ax, bx, cx}));
        t.MinY = static_cast<int32_t>(std::min({ay, by, cy}));
        t.MaxY = static_cast<int32_t>(std::max({ay, by, cy}));
    }
    BuildTriangleIndex();
}

void TDelaunay::BuildTriangleIndex()
{
    GridStart.clear();
    GridItems.clear();
    GridNX = GridNY = 0;
    if (TriangleCount <= 0)
        return;
    int64_t minx = Triangles[1].MinX, miny = Triangles[1].MinY, maxx = Triangles[1].MaxX, maxy = Triangles[1].MaxY;
    for (int32_t k = 2; k <= TriangleCount; ++k) {
        const TDTriangle& t = Triangles[k];
        minx = std::min<int64_t>(minx, t.MinX);
        miny = std::min<int64_t>(miny, t.MinY);
        maxx = std::max<int64_t>(maxx, t.MaxX);
        maxy = std::max<int64_t>(maxy, t.MaxY);
    }
    const double ex = static_cast<double>(maxx - minx + 1), ey = static_cast<double>(maxy - miny + 1);
    double cell = std::max({std::sqrt(ex * ey / TriangleCount), ex / TriangleCount, ey / TriangleCount, 1.0});
    for (;;) {
        GridCell = cell;
        GridX0 = static_cast<double>(minx);
        GridY0 = static_cast<double>(miny);
        GridNX = static_cast<int32_t>(ex / cell) + 1;
        GridNY = static_cast<int32_t>(ey / cell) + 1;
        int64_t total = 0;
        for (int32_t k = 1; k <= TriangleCount; ++k) {
            const TDTriangle& t = Triangles[k];
            const int64_t w = static_cast<int64_t>((t.MaxX - GridX0) / cell) - static_cast<int64_t>((t.MinX - GridX0) / cell) + 1;
            const int64_t h = static_cast<int64_t>((t.MaxY - GridY0) / cell) - static_cast<int64_t>((t.MinY - GridY0) / cell) + 1;
            total += w * h;
        }
        // Long slivers can cover many cells: coarsen until the index stays
        // within a small multiple of the triangle count.
        if (total <= 16LL * TriangleCount + 1024) {
            GridItems.resize(static_cast<size_t>(total));
            break;
        }
        cell *= 2;
    }
    const size_t cells = static_cast<size_t>(GridNX) * GridNY;
    GridStart.assign(cells + 1, 0);
    auto forCells = [&](const TDTriangle& t, auto f) {
        const int32_t c0 = static_cast<int32_t>((t.MinX - GridX0) / GridCell);
        const int32_t c1 = static_cast<int32_t>((t.MaxX - GridX0) / GridCell);
        const int32_t r0 = static_cast<int32_t>((t.MinY - GridY0) / GridCell);
        const int32_t r1 = static_cast<int32_t>((t.MaxY - GridY0) / GridCell);
        for (int32_t c = c0; c <= c1; ++c)
            for (int32_t r = r0; r <= r1; ++r)
                f(static_cast<size_t>(c) * GridNY + r);
    };
    for (int32_t k = 1; k <= TriangleCount; ++k)
        forCells(Triangles[k], [&](size_t cellIndex) { ++GridStart[cellIndex + 1]; });
    for (size_t c = 0; c < cells; ++c)
        GridStart[c + 1] += GridStart[c];
    std::vector<int32_t> fill(GridStart.begin(), GridStart.end() - 1);
    for (int32_t k = 1; k <= TriangleCount; ++k)
        forCells(Triangles[k], [&](size_t cellIndex) { GridItems[static_cast<size_t>(fill[cellIndex]++)] = k; });
}

void TDelaunay::ShowTriangles(const TLineSink& DrawWorldLine) const
{
    if (!DrawWorldLine)
        return;
    auto pt = [&](int32_t v, int32_t& x, int32_t& y) {
        const TDVertex& p = Vertices[v];
        x = static_cast<int32_t>(pround(p.X));
        y = static_cast<int32_t>(-pround(p.Y));
    };
    for (int32_t k = 1; k <= TriangleCount; ++k) {
        const TDTriangle& t = Triangles[k];
        int32_t x1, y1, x2, y2, x3, y3;
        pt(t.P1, x1, y1);
        pt(t.P2, x2, y2);
        pt(t.P3, x3, y3);
        DrawWorldLine(x1, y1, x2, y2);
        DrawWorldLine(x2, y2, x3, y3);
        DrawWorldLine(x3, y3, x1, y1);
    }
}

int32_t TDelaunay::Interpolate(int32_t X, int32_t Y) const
{
    if (GridNX <= 0)
        return 0;
    const double fc = std::floor((X - GridX0) / GridCell);
    const double fr = std::floor((Y - GridY0) / GridCell);
    if (fc < 0 || fr < 0 || fc >= GridNX || fr >= GridNY)
        return 0;
    const size_t cell = static_cast<size_t>(fc) * GridNY + static_cast<size_t>(fr);
    const double x = X, y = Y;
    // The triangle of the highest index that holds the point.
    for (int32_t e = GridStart[cell + 1] - 1; e >= GridStart[cell]; --e) {
        const TDTriangle& t = Triangles[GridItems[static_cast<size_t>(e)]];
        if (!(t.MinX <= X && X <= t.MaxX && t.MinY <= Y && Y <= t.MaxY))
            continue;
        const TDVertex* p[3] = {&Vertices[t.P1], &Vertices[t.P2], &Vertices[t.P3]};
        double s[3];
        bool holds = true;
        for (int k = 0; k < 3; ++k) {
            const TDVertex& a = *p[k];
            const TDVertex& b = *p[(k + 1) % 3];
            s[k] = (y - a.Y) * (b.X - a.X) - (b.Y - a.Y) * (x - a.X);
            if (s[k] > EdgeEps)
                holds = false;
        }
        if (!holds)
            continue;
        double px[3], py[3], z[3];
        for (int k = 0; k < 3; ++k) {
            px[k] = pround(p[k]->X);
            py[k] = pround(p[k]->Y);
            z[k] = p[k]->Z;
        }
        double value = 0;
        bool onEdge = false;
        for (int k = 0; k < 3 && !onEdge; ++k)
            if (std::fabs(s[k]) <= EdgeEps) {
                const int m = (k + 1) % 3;
                value = AlongEdge(z[k], z[m], Distance(px[k], py[k], x, y), Distance(px[k], py[k], px[m], py[m]));
                onEdge = true;
            }
        if (!onEdge) {
            TGeoPoint ip;
            double ix, iy;
            if (!LineIntersection(px[0], py[0], x, y, px[1], py[1], px[2], py[2], true, ip, ix, iy))
                return 0;
            const double zi = AlongEdge(z[1], z[2], Distance(px[1], py[1], ix, iy), Distance(px[1], py[1], px[2], py[2]));
            value = AlongEdge(z[0], zi, Distance(px[0], py[0], x, y), Distance(px[0], py[0], ix, iy));
        }
        const double r = pround(value);
        if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max()))
            return 0;
        return static_cast<int32_t>(r);
    }
    return 0;
}
