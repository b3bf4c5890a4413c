#include "core/analysis/GridScan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/model/DisplaySettings.h"

std::vector<TIntPoint> WithoutRepeats(std::vector<TIntPoint> points, bool ring)
{
    std::vector<TIntPoint> out;
    out.reserve(points.size());
    for (const TIntPoint& p : points)
        if (out.empty() || out.back().X != p.X || out.back().Y != p.Y) out.push_back(p);
    while (ring && out.size() > 1 && out.back().X == out.front().X && out.back().Y == out.front().Y) out.pop_back();
    return out;
}

bool LayerShown(const TLayerSettings& layers, int32_t zoomIndex, int layer)
{
    if (layer < 1 || layer > 10) return false;
    const int32_t state = layers.LayerStates[size_t(layer)];
    return state != 0 && state <= zoomIndex;
}

TBox BoxOf(const std::vector<TIntPoint>& points)
{
    TBox b = EmptyBox;
    for (const TIntPoint& p : points) b.Include(p.X, p.Y);
    return b;
}

// ---------------------------------------------------------------- polygons

TPolygonScan::TPolygonScan(std::vector<TIntPoint> ring) : Ring(std::move(ring)), Box_(BoxOf(Ring)) {}

namespace {

// Pushes floor(v) when it falls in lo..hi. Its ceiling then opens the next
// stretch, whose first point is tested.
void PushAround(double v, int32_t lo, int32_t hi, std::vector<int32_t>& events)
{
    if (!std::isfinite(v)) return;
    const double f = std::floor(v);
    if (f >= lo && f <= hi) events.push_back(int32_t(f));
}

} // namespace

void TPolygonScan::Row(int32_t y, int32_t x0, int32_t x1, std::vector<TGridRun>& out) const
{
    if (Ring.empty() || y < Box_.MinY || y > Box_.MaxY) return;
    const int32_t lo = std::max(x0, Box_.MinX), hi = std::min(x1, Box_.MaxX);
    if (lo > hi) return;
    Events.clear();
    Events.push_back(lo);
    Events.push_back(hi);
    const size_t n = Ring.size();
    for (size_t i = 0; i < n; ++i) {
        const TIntPoint& vi = Ring[i];
        const TIntPoint& vj = Ring[(i + 1) % n];
        if (vi.Y == y && vi.X >= lo && vi.X <= hi) Events.push_back(vi.X);
        if ((vi.Y <= y && y < vj.Y) || (vj.Y < y && y <= vi.Y)) {
            // The crossing as the point test computes it.
            const double xc = (double(y) - vi.Y) * (double(vi.X) - vj.X) / (double(vi.Y) - vj.Y) + vi.X;
            PushAround(xc, lo, hi, Events);
        }
    }
    Walk(lo, hi, true, y, out);
}

void TPolygonScan::Column(int32_t x, int32_t y0, int32_t y1, std::vector<TGridRun>& out) const
{
    if (Ring.empty() || x < Box_.MinX || x > Box_.MaxX) return;
    const int32_t lo = std::max(y0, Box_.MinY), hi = std::min(y1, Box_.MaxY);
    if (lo > hi) return;
    Events.clear();
    Events.push_back(lo);
    Events.push_back(hi);
    const size_t n = Ring.size();
    for (size_t i = 0; i < n; ++i) {
        const TIntPoint& vi = Ring[i];
        const TIntPoint& vj = Ring[(i + 1) % n];
        if (vi.X == x && vi.Y >= lo && vi.Y <= hi) Events.push_back(vi.Y);
        if (vi.X != vj.X && std::min(vi.X, vj.X) <= x && x <= std::max(vi.X, vj.X)) {
            const double yc = vi.Y + (double(x) - vi.X) * (double(vj.Y) - vi.Y) / (double(vj.X) - vi.X);
            PushAround(yc, lo, hi, Events);
        }
    }
    Walk(lo, hi, false, x, out);
}

// Tests each event point and one point of every stretch between events;
// a stretch holds no vertex and no edge crossing, so its points share a class.
void TPolygonScan::Walk(int32_t lo, int32_t hi, bool row, int32_t fixed, std::vector<TGridRun>& out) const
{
    std::sort(Events.begin(), Events.end());
    Events.erase(std::unique(Events.begin(), Events.end()), Events.end());
    const size_t first = out.size();
    auto classAt = [&](int32_t v) { return row ? Class(v, fixed) : Class(fixed, v); };
    auto emit = [&](int32_t a, int32_t b, int cls) {
        if (cls == 0) return;
        if (out.size() > first && out.back().Class == cls && int64_t(out.back().Last) + 1 == a)
            out.back().Last = b;
        else
            out.push_back({a, b, uint8_t(cls)});
    };
    int64_t prev = int64_t(lo) - 1;
    for (int32_t e : Events) {
        if (e < lo || e > hi) continue;
        if (e > prev + 1) emit(int32_t(prev + 1), e - 1, classAt(int32_t(prev + 1)));
        emit(e, e, classAt(e));
        prev = e;
    }
    if (prev < hi) emit(int32_t(prev + 1), hi, classAt(int32_t(prev + 1)));
}

// ---------------------------------------------------------------- circles

int64_t IntegerSqrt(int64_t v)
{
    if (v <= 0) return 0;
    int64_t s = int64_t(std::sqrt(double(v)));
    while (s > 0 && s * s > v) --s;
    while ((s + 1) * (s + 1) <= v) ++s;
    return s;
}

bool CircleSpan(int32_t cx, int32_t cy, int64_t r, int32_t y, int32_t& x0, int32_t& x1)
{
    const int64_t dy = int64_t(y) - cy;
    const int64_t rest = r * r - dy * dy;
    if (rest < 0) return false;
    const int64_t s = IntegerSqrt(rest);
    x0 = int32_t(std::max<int64_t>(cx - s, std::numeric_limits<int32_t>::min()));
    x1 = int32_t(std::min<int64_t>(cx + s, std::numeric_limits<int32_t>::max()));
    return true;
}

// ---------------------------------------------------------------- buffers

namespace {

constexpr double HalfPi = 1.5707963267948966;

// The angle between a and b; false when either has no length.
bool AngleBetween(double ax, double ay, double bx, double by, double& angle)
{
    const double la = std::sqrt(ax * ax + ay * ay), lb = std::sqrt(bx * bx + by * by);
    if (la == 0 || lb == 0) return false;
    const double c = (ax * bx + ay * by) / (la * lb);
    angle = std::fabs(c) > 1 ? 0 : std::acos(c);
    return true;
}

// The joint at the start S of a segment S -> E (P behind S), or at its end E
// (P beyond E), with the neighbouring point Other (the previous or the next).
bool JointPasses(const TIntPoint& s, const TIntPoint& e, const TIntPoint& other, bool atEnd, double px, double py)
{
    const double dx = double(e.X) - s.X, dy = double(e.Y) - s.Y;
    const TIntPoint& joint = atEnd ? e : s;
    const double ux = atEnd ? dx : -dx, uy = atEnd ? dy : -dy;
    const double wx = px - joint.X, wy = py - joint.Y;
    if (!(ux * wx + uy * wy > 0)) return false;
    double a1, a2;
    if (!AngleBetween(ux, uy, wx, wy, a1)) return false;
    if (!AngleBetween(ux, uy, double(other.X) - joint.X, double(other.Y) - joint.Y, a2)) return false;
    const double crossP = (py - e.Y) * dx - (px - e.X) * dy;
    const double crossO = (double(other.Y) - e.Y) * dx - (double(other.X) - e.X) * dy;
    if (atEnd ? crossP < 0 : crossP > 0) a1 = -a1;
    if (atEnd ? crossO < 0 : crossO > 0) a2 = -a2;
    return std::fabs(a1 - a2) > HalfPi;
}

// The middle part of a segment's buffer: t in 0..1 and the nearest point
// of the segment within r.
bool StripCovers(const TIntPoint& s, const TIntPoint& e, int64_t r, double px, double py)
{
    const double dx = double(e.X) - s.X, dy = double(e.Y) - s.Y;
    const double t = ((px - s.X) * dx + (py - s.Y) * dy) / (dx * dx + dy * dy);
    if (!(t >= 0 && t <= 1)) return false;
    const double nx = s.X + t * dx, ny = s.Y + t * dy;
    const double ex = px - nx, ey = py - ny;
    return ex * ex + ey * ey <= double(r) * double(r);
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Narrows lo..hi to the integers x with a * x + b <= c.
void Constrain(int64_t a, int64_t b, int64_t c, int64_t& lo, int64_t& hi)
{
    if (a == 0) {
        if (b > c) {
            lo = 1;
            hi = 0;
        }
        return;
    }
    if (a > 0)
        hi = std::min(hi, FloorDiv(c - b, a));
    else
        lo = std::max(lo, CeilDiv(c - b, a));
}

// Narrows lo..hi to the x of row y with |cross| <= rho * |d|, widened
// (grow > 0) or shrunk (grow < 0) by |grow| points on each side.
void ConstrainStrip(const TIntPoint& s, const TIntPoint& e, double rho, int32_t y, int grow, int64_t& lo,
                    int64_t& hi)
{
    const double dx = double(e.X) - s.X, dy = double(e.Y) - s.Y;
    const double reach = rho * std::sqrt(dx * dx + dy * dy);
    const double c0 = -double(s.X) * dy - (double(y) - s.Y) * dx; // cross = x * dy + c0
    if (dy == 0) {
        if (std::fabs(c0) > reach) {
            lo = 1;
            hi = 0;
        }
        return;
    }
    double a = (-reach - c0) / dy, b = (reach - c0) / dy;
    if (a > b) std::swap(a, b);
    const double l = std::ceil(a) - grow, h = std::floor(b) + grow;
    if (l > double(hi) || h < double(lo) || l > h) {
        lo = 1;
        hi = 0;
        return;
    }
    lo = std::max(lo, int64_t(l));
    hi = std::min(hi, int64_t(h));
}

struct TRowSink {
    TBufferRows& Out;
    void Add(int32_t y, int64_t a, int64_t b)
    {
        a = std::max<int64_t>(a, Out.X0);
        b = std::min<int64_t>(b, Out.X1);
        if (a > b || y < Out.Y0 || y > Out.Y1) return;
        auto& row = Out.Rows[size_t(y - Out.Y0)];
        if (!row.empty() && row.back().second + 1 >= a && row.back().first <= a)
            row.back().second = int32_t(std::max<int64_t>(row.back().second, b));
        else
            row.push_back({int32_t(a), int32_t(b)});
    }
};

// Rows of the window that a box widened by r reaches.
bool RowRange(const TBufferRows& w, int64_t minY, int64_t maxY, int64_t r, int32_t& y0, int32_t& y1)
{
    const int64_t a = std::max<int64_t>(minY - r, w.Y0), b = std::min<int64_t>(maxY + r, w.Y1);
    if (a > b) return false;
    y0 = int32_t(a);
    y1 = int32_t(b);
    return true;
}

// The x of row y that lie on the disk around c and on the given side of
// the segment S -> E: dot < 0 (behind S) or dot > |d|^2 (beyond E).
bool CapRange(const TIntPoint& s, const TIntPoint& e, const TIntPoint& c, int64_t r, int32_t y, bool beyondEnd,
              int64_t& lo, int64_t& hi)
{
    int32_t x0, x1;
    if (!CircleSpan(c.X, c.Y, r, y, x0, x1)) return false;
    lo = x0;
    hi = x1;
    const int64_t dx = int64_t(e.X) - s.X, dy = int64_t(e.Y) - s.Y;
    const int64_t b = -int64_t(s.X) * dx + (int64_t(y) - s.Y) * dy; // dot = x * dx + b
    if (beyondEnd)
        Constrain(-dx, -b, -(dx * dx + dy * dy) - 1, lo, hi);
    else
        Constrain(dx, b, -1, lo, hi);
    return lo <= hi;
}

} // namespace

bool SegmentCovers(const std::vector<TIntPoint>& points, size_t i, TBufferShape shape, int64_t r, int32_t x,
                   int32_t y)
{
    if (i + 1 >= points.size()) return false;
    const TIntPoint& s = points[i];
    const TIntPoint& e = points[i + 1];
    const double px = x, py = y;
    const double dx = double(e.X) - s.X, dy = double(e.Y) - s.Y;
    const double t = ((px - s.X) * dx + (py - s.Y) * dy) / (dx * dx + dy * dy);
    if (t >= 0 && t <= 1) return StripCovers(s, e, r, px, py);
    const bool behind = t < 0;
    if (!behind && !(t > 1)) return false; // a segment of no length
    const bool lineEnd = behind ? i == 0 : i + 2 == points.size();
    if (lineEnd) {
        if (shape != TBufferShape::Sausage) return false;
    } else if (!JointPasses(s, e, behind ? points[i - 1] : points[i + 2], !behind, px, py)) {
        return false;
    }
    const TIntPoint& near = behind ? s : e;
    const double ex = px - near.X, ey = py - near.Y;
    return ex * ex + ey * ey <= double(r) * double(r);
}

bool BufferCovers(const std::vector<TIntPoint>& points, TBufferShape shape, int64_t r, int32_t x, int32_t y)
{
    if (shape == TBufferShape::Pearls) {
        for (const TIntPoint& p : points) {
            const int64_t dx = int64_t(x) - p.X, dy = int64_t(y) - p.Y;
            if (dx * dx + dy * dy <= r * r) return true;
        }
        return false;
    }
    for (size_t i = 0; i + 1 < points.size(); ++i)
        if (SegmentCovers(points, i, shape, r, x, y)) return true;
    return false;
}

void MergeSpans(std::vector<std::pair<int32_t, int32_t>>& spans)
{
    if (spans.size() < 2) return;
    std::sort(spans.begin(), spans.end());
    size_t k = 0;
    for (size_t i = 1; i < spans.size(); ++i) {
        if (int64_t(spans[i].first) <= int64_t(spans[k].second) + 1)
            spans[k].second = std::max(spans[k].second, spans[i].second);
        else
            spans[++k] = spans[i];
    }
    spans.resize(k + 1);
}

void ScanBuffer(const std::vector<TIntPoint>& points, TBufferShape shape, int64_t r, TBufferRows& out)
{
    out.Rows.assign(out.Y1 >= out.Y0 ? size_t(int64_t(out.Y1) - out.Y0 + 1) : 0, {});
    if (out.Rows.empty() || out.X1 < out.X0 || points.empty()) return;
    TRowSink sink{out};
    int32_t y0, y1;
    if (shape == TBufferShape::Pearls) {
        for (const TIntPoint& p : points)
            if (RowRange(out, p.Y, p.Y, r, y0, y1))
                for (int32_t y = y0; y <= y1; ++y) {
                    int32_t a, b;
                    if (CircleSpan(p.X, p.Y, r, y, a, b)) sink.Add(y, a, b);
                }
        for (auto& row : out.Rows) MergeSpans(row);
        return;
    }

    const size_t n = points.size();
    const double rOuter = double(r) + 1, rInner = double(std::max<int64_t>(r - 1, 0));
    // Middle parts and round line ends: exact spans, with the point test
    // only at the few points near a middle part's edge.
    for (size_t i = 0; i + 1 < n; ++i) {
        const TIntPoint& s = points[i];
        const TIntPoint& e = points[i + 1];
        const int64_t dx = int64_t(e.X) - s.X, dy = int64_t(e.Y) - s.Y, len2 = dx * dx + dy * dy;
        if (len2 == 0) continue; // a segment of no length covers nothing
        if (RowRange(out, std::min(s.Y, e.Y), std::max(s.Y, e.Y), r + 1, y0, y1))
            for (int32_t y = y0; y <= y1; ++y) {
                // 0 <= dot <= |d|^2, dot = x * dx + b.
                int64_t dotLo = out.X0, dotHi = out.X1;
                const int64_t b = -int64_t(s.X) * dx + (int64_t(y) - s.Y) * dy;
                Constrain(-dx, -b, 0, dotLo, dotHi);
                Constrain(dx, b, len2, dotLo, dotHi);
                if (dotLo > dotHi) continue;
                int64_t outLo = dotLo, outHi = dotHi, inLo = dotLo, inHi = dotHi;
                ConstrainStrip(s, e, rOuter, y, 1, outLo, outHi);
                if (outLo > outHi) continue;
                ConstrainStrip(s, e, rInner, y, -1, inLo, inHi);
                if (inLo > inHi) inLo = outHi + 1, inHi = outHi;
                if (inLo <= inHi) sink.Add(y, inLo, inHi);
                auto edge = [&](int64_t a, int64_t z) {
                    int64_t runStart = -1;
                    for (int64_t x = a; x <= z; ++x) {
                        const bool in = StripCovers(s, e, r, double(x), double(y));
                        if (in && runStart < 0) runStart = x;
                        if (!in && runStart >= 0) {
                            sink.Add(y, runStart, x - 1);
                            runStart = -1;
                        }
                    }
                    if (runStart >= 0) sink.Add(y, runStart, z);
                };
                edge(outLo, std::min(outHi, inLo - 1));
                edge(std::max(outLo, inHi + 1), outHi);
            }
        if (shape != TBufferShape::Sausage) continue;
        for (int end = 0; end < 2; ++end) {
            const bool beyond = end == 1;
            if (beyond ? i + 2 != n : i != 0) continue;
            const TIntPoint& c = beyond ? e : s;
            if (RowRange(out, c.Y, c.Y, r, y0, y1))
                for (int32_t y = y0; y <= y1; ++y) {
                    int64_t a, z;
                    if (CapRange(s, e, c, r, y, beyond, a, z)) sink.Add(y, a, z);
                }
        }
    }
    for (auto& row : out.Rows) MergeSpans(row);

    // Joints: the points near an inner point that no middle part covers
    // are tested one by one.
    std::vector<std::vector<std::pair<int32_t, int32_t>>> added(out.Rows.size());
    for (size_t i = 0; i + 1 < n; ++i)
        for (int end = 0; end < 2; ++end) {
            const bool beyond = end == 1;
            if (beyond ? i + 2 >= n : i == 0) continue;
            const TIntPoint& s = points[i];
            const TIntPoint& e = points[i + 1];
            const TIntPoint& c = beyond ? e : s;
            const TIntPoint& other = beyond ? points[i + 2] : points[i - 1];
            if (s.X == e.X && s.Y == e.Y) continue;
            if (!RowRange(out, c.Y, c.Y, r, y0, y1)) continue;
            for (int32_t y = y0; y <= y1; ++y) {
                int64_t a, z;
                if (!CapRange(s, e, c, r, y, beyond, a, z)) continue;
                a = std::max<int64_t>(a, out.X0);
                z = std::min<int64_t>(z, out.X1);
                const auto& row = out.Rows[size_t(y - out.Y0)];
                auto& more = added[size_t(y - out.Y0)];
                auto it = std::lower_bound(row.begin(), row.end(), std::pair<int32_t, int32_t>(int32_t(a), INT32_MIN),
                                           [](const auto& u, const auto& v) { return u.second < v.first; });
                int64_t x = a;
                while (x <= z) {
                    if (it != row.end() && it->first <= x) {
                        x = int64_t(it->second) + 1;
                        ++it;
                        continue;
                    }
                    const int64_t stop = it != row.end() ? std::min<int64_t>(z, int64_t(it->first) - 1) : z;
                    for (; x <= stop; ++x)
                        if (JointPasses(s, e, other, beyond, double(x), double(y))) {
                            if (!more.empty() && more.back().second + 1 == x)
                                more.back().second = int32_t(x);
                            else
                                more.push_back({int32_t(x), int32_t(x)});
                        }
                }
            }
        }
    for (size_t k = 0; k < out.Rows.size(); ++k)
        if (!added[k].empty()) {
            out.Rows[k].insert(out.Rows[k].end(), added[k].begin(), added[k].end());
            MergeSpans(out.Rows[k]);
        }
}
