// The per-point scans of coverage and overlay, kept as references: every
// grid point is tested against every element or polygon, as the rules are
// written. Used by the tests and by the benchmarks.
#pragma once

#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace gridreference {

enum TType { Polygon, Circle, Pearls, Sausage, Blunt };

struct TElement {
    std::vector<TIntPoint> Points; // a ring, the circle's centre, or a line
};

inline TBox BoxOf(const std::vector<TIntPoint>& p, int64_t widen = 0)
{
    TBox b = EmptyBox;
    for (const TIntPoint& q : p) b.Include(q.X, q.Y);
    if (!b.IsEmpty())
        b = {int32_t(b.MinX - widen), int32_t(b.MinY - widen), int32_t(b.MaxX + widen), int32_t(b.MaxY + widen)};
    return b;
}

inline bool Meet(const TBox& a, const TBox& b)
{
    return a.MinX <= b.MaxX && b.MinX <= a.MaxX && a.MinY <= b.MaxY && b.MinY <= a.MaxY;
}

// The buffer rules for a line of points.
inline bool BufferInside(const std::vector<TIntPoint>& pts, TType type, int64_t r, int32_t x, int32_t y)
{
    const double px = x, py = y, rr = double(r) * double(r);
    if (type == Pearls) {
        for (const TIntPoint& p : pts)
            if ((px - p.X) * (px - p.X) + (py - p.Y) * (py - p.Y) <= rr) return true;
        return false;
    }
    auto angle = [](double ax, double ay, double bx, double by, bool& ok) {
        const double la = std::sqrt(ax * ax + ay * ay), lb = std::sqrt(bx * bx + by * by);
        ok = la != 0 && lb != 0;
        if (!ok) return 0.0;
        const double c = (ax * bx + ay * by) / (la * lb);
        return std::fabs(c) > 1 ? 0.0 : std::acos(c);
    };
    const size_t n = pts.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        const TIntPoint S = pts[i], E = pts[i + 1];
        const double dx = double(E.X) - S.X, dy = double(E.Y) - S.Y;
        const double t = ((px - S.X) * dx + (py - S.Y) * dy) / (dx * dx + dy * dy);
        double nx, ny;
        if (t >= 0 && t <= 1) {
            nx = S.X + t * dx;
            ny = S.Y + t * dy;
        } else if (t < 0) {
            bool ok;
            if (i == 0) {
                ok = type == Sausage;
            } else {
                // Joint at S with the previous point.
                const TIntPoint Prev = pts[i - 1];
                ok = (-dx) * (px - S.X) + (-dy) * (py - S.Y) > 0;
                bool ok1, ok2;
                double a1 = angle(-dx, -dy, px - S.X, py - S.Y, ok1);
                double a2 = angle(-dx, -dy, double(Prev.X) - S.X, double(Prev.Y) - S.Y, ok2);
                if ((py - E.Y) * dx - (px - E.X) * dy > 0) a1 = -a1;
                if ((double(Prev.Y) - E.Y) * dx - (double(Prev.X) - E.X) * dy > 0) a2 = -a2;
                ok = ok && ok1 && ok2 && std::fabs(a1 - a2) > M_PI / 2;
            }
            if (!ok) continue;
            nx = S.X;
            ny = S.Y;
        } else if (t > 1) {
            bool ok;
            if (i + 2 == n) {
                ok = type == Sausage;
            } else {
                // Joint at E with the next point.
                const TIntPoint Next = pts[i + 2];
                ok = dx * (px - E.X) + dy * (py - E.Y) > 0;
                bool ok1, ok2;
                double a1 = angle(dx, dy, px - E.X, py - E.Y, ok1);
                double a2 = angle(dx, dy, double(Next.X) - E.X, double(Next.Y) - E.Y, ok2);
                if ((py - E.Y) * dx - (px - E.X) * dy < 0) a1 = -a1;
                if ((double(Next.Y) - E.Y) * dx - (double(Next.X) - E.X) * dy < 0) a2 = -a2;
                ok = ok && ok1 && ok2 && std::fabs(a1 - a2) > M_PI / 2;
            }
            if (!ok) continue;
            nx = E.X;
            ny = E.Y;
        } else {
            continue;
        }
        if ((px - nx) * (px - nx) + (py - ny) * (py - ny) <= rr) return true;
    }
    return false;
}

// Covered points of one zone, in halves (before one is taken off).
inline int64_t CoverageHalves(const std::vector<TIntPoint>& zone, const std::vector<TElement>& elements, TType type,
                              int64_t r, bool intersectOnly)
{
    const TBox zb = BoxOf(zone);
    std::vector<TBox> boxes;
    TBox combined = EmptyBox;
    for (size_t k = 0; k < elements.size(); ++k) {
        const auto& p = elements[k].Points;
        TBox b = type == Polygon ? BoxOf(p) : type == Circle ? BoxOf(p, r) : BoxOf(p, r);
        boxes.push_back(b);
        if (k == 0)
            combined = b;
        else if (intersectOnly)
            combined = {std::max(combined.MinX, b.MinX), std::max(combined.MinY, b.MinY),
                        std::min(combined.MaxX, b.MaxX), std::min(combined.MaxY, b.MaxY)};
        else
            combined.Include(b);
    }
    if (elements.empty() || combined.IsEmpty() || !Meet(zb, combined)) return 0;
    int64_t halves = 0;
    for (int32_t y = std::max(zb.MinY, combined.MinY); y <= std::min(zb.MaxY, combined.MaxY); ++y)
        for (int32_t x = std::max(zb.MinX, combined.MinX); x <= std::min(zb.MaxX, combined.MaxX); ++x) {
            int state = intersectOnly ? 1 : 0;
            for (size_t k = 0; k < elements.size(); ++k) {
                if (!Meet(boxes[k], zb)) {
                    if (intersectOnly) state = 0;
                    continue;
                }
                const int z = PointInPolygon(x, y, zone.data(), zb, int32_t(zone.size()));
                if (z == 0) {
                    if (intersectOnly) state = 0;
                    continue;
                }
                const auto& p = elements[k].Points;
                int e;
                if (type == Polygon)
                    e = PointInPolygon(x, y, p.data(), boxes[k], int32_t(p.size()));
                else if (type == Circle)
                    e = (double(x) - p[0].X) * (double(x) - p[0].X) + (double(y) - p[0].Y) * (double(y) - p[0].Y) <=
                                double(r) * double(r)
                            ? 2
                            : 0;
                else
                    e = BufferInside(p, type, r, x, y) ? 2 : 0;
                if (!intersectOnly) {
                    if (e == 2 && z == 2)
                        state = 1;
                    else if (((e == 2 && z == 1) || e == 1) && state != 1)
                        state = 2;
                } else {
                    if (e == 0)
                        state = 0;
                    else if ((e == 1 || (e == 2 && z == 1)) && state != 0)
                        state = 2;
                }
            }
            halves += state == 1 ? 2 : state == 2 ? 1 : 0;
        }
    return halves;
}

struct TLayerPolygon {
    std::vector<TIntPoint> Ring;
    int Layer;
};

// Points, in halves, that lie on every shown layer in some polygon.
inline int64_t OverlayHalves(const std::vector<TLayerPolygon>& polygons, const std::array<bool, 11>& shown)
{
    TBox box = EmptyBox;
    std::vector<TBox> boxes;
    for (const auto& p : polygons) {
        boxes.push_back(BoxOf(p.Ring));
        box.Include(boxes.back());
    }
    int64_t halves = 0;
    for (int32_t x = box.MinX; x <= box.MaxX; ++x)
        for (int32_t y = box.MinY; y <= box.MaxY; ++y) {
            std::array<int, 11> flag{};
            for (int l = 1; l <= 10; ++l) flag[size_t(l)] = shown[size_t(l)] ? 0 : 1;
            for (size_t k = 0; k < polygons.size(); ++k) {
                const int c = PointInPolygon(x, y, polygons[k].Ring.data(), boxes[k], int32_t(polygons[k].Ring.size()));
                int& f = flag[size_t(polygons[k].Layer)];
                if (c == 2) f = 1;
                if (c == 1 && f == 0) f = 2;
            }
            bool all = true, half = false;
            for (int l = 1; l <= 10; ++l) {
                all = all && flag[size_t(l)] != 0;
                half = half || flag[size_t(l)] == 2;
            }
            if (all) halves += half ? 1 : 2;
        }
    return halves;
}

} // namespace gridreference
