#include "core/geo/LongLat.h"

#include "core/geo/StatisticsLibrary.h"
#include "core/model/DisplaySettings.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <unordered_map>
#include <vector>

namespace {

constexpr double DegreeToRadian = std::numbers::pi / 180;
constexpr int64_t LongitudeLimit = 1800000001;
constexpr int64_t LatitudeLimit = 900000001;
// One thousandth of a second of arc.
constexpr double RefineStep = 1.0 / 3600000;

bool ValidLongLat(double Longitude, double Latitude)
{
    return std::fabs(Longitude) <= LongitudeLimit && std::fabs(Latitude) <= LatitudeLimit;
}

double CosOfDegrees(double StoredDegrees)
{
    return std::cos(std::fabs(StoredDegrees) / 1e7 * DegreeToRadian);
}

} // namespace

bool PivotLongLatUsable(int32_t Longitude, int32_t Latitude)
{
    return ValidLongLat(Longitude, Latitude) && !(Longitude == 0 && Latitude == 0);
}

bool LinearCosinePosition(double XF, double YF, const TLongLatPivot& Pivot, double PixelsPerDegreeLat,
                          int32_t& Longitude, int32_t& Latitude)
{
    if (!std::isfinite(PixelsPerDegreeLat) || PixelsPerDegreeLat == 0)
        return false;
    const double lat = Pivot.Latitude + pround((YF - Pivot.YF) * (1e7 / PixelsPerDegreeLat));
    if (!std::isfinite(lat) || std::fabs(lat) > LatitudeLimit)
        return false;
    const double d = CosOfDegrees(lat) * PixelsPerDegreeLat;
    if (d == 0)
        return false;
    const double lon = Pivot.Longitude + pround((XF - Pivot.XF) * (-1e7 / d));
    if (!std::isfinite(lon) || !ValidLongLat(lon, lat))
        return false;
    Latitude = static_cast<int32_t>(lat);
    Longitude = static_cast<int32_t>(lon);
    return true;
}

bool ProjectedPosition(TProjection& Projection, double XF, double YF, const TLongLatPivot& Pivot,
                       double PixelsPerDegreeLat, int32_t& Longitude, int32_t& Latitude)
{
    if (!std::isfinite(PixelsPerDegreeLat) || PixelsPerDegreeLat == 0 || Projection.Kind() == TProjection::None)
        return false;
    const double d = CosOfDegrees(Pivot.Latitude) * PixelsPerDegreeLat;
    if (d == 0)
        return false;
    double lon = (Pivot.Longitude + pround((XF - Pivot.XF) * (-1e7 / d))) / 1e7;
    double lat = (Pivot.Latitude + pround((YF - Pivot.YF) * (1e7 / PixelsPerDegreeLat))) / 1e7;
    const double h = RefineStep;
    for (int k = 0; k < 4; ++k) {
        if (!Projection.Project(lon, lat))
            return false;
        const double x0 = Projection.X + Pivot.XF;
        const double y0 = Projection.Y + Pivot.YF;
        if (!Projection.Project(lon + h, lat - h))
            return false;
        const double x1 = Projection.X + Pivot.XF;
        const double y1 = Projection.Y + Pivot.YF;
        if (x0 == x1 || y0 == y1)
            return false;
        lon = lon + (XF - x0) * (-h) / (x0 - x1);
        lat = lat + (YF - y0) * h / (y0 - y1);
        if (!std::isfinite(lon) || !std::isfinite(lat))
            return false;
    }
    const double rlon = pround(lon * 1e7);
    const double rlat = pround(lat * 1e7);
    if (!ValidLongLat(rlon, rlat))
        return false;
    Longitude = static_cast<int32_t>(rlon);
    Latitude = static_cast<int32_t>(rlat);
    return true;
}

bool PositionFromLongLat(int Method, TProjection& Projection, int32_t Longitude, int32_t Latitude,
                         const TLongLatPivot& Pivot, double PixelsPerDegreeLat, double& XF, double& YF)
{
    double x, y;
    if (Method == 1) {
        // Differences in 64 bits: across the antimeridian they exceed int32.
        const int64_t dLon = static_cast<int64_t>(Longitude) - Pivot.Longitude;
        const int64_t dLat = static_cast<int64_t>(Latitude) - Pivot.Latitude;
        x = CosOfDegrees(Latitude) * (-1 * PixelsPerDegreeLat) * static_cast<double>(dLon) / 1e7 + Pivot.XF;
        y = static_cast<double>(dLat) * PixelsPerDegreeLat / 1e7 + Pivot.YF;
    } else if (Method == 2 || Method == 3) {
        if (!Projection.Project(Longitude / 1e7, Latitude / 1e7))
            return false;
        x = Projection.X + Pivot.XF;
        y = Projection.Y + Pivot.YF;
    } else {
        return false;
    }
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    XF = x;
    YF = y;
    return true;
}

bool SetupPivotProjection(TProjection& Projection, int Method, const TLongLatPivot& Pivot, double PixelsPerDegreeLat)
{
    return Projection.Setup(Method, MilesPerDegreeLat, PixelsPerDegreeLat, -(Pivot.Latitude / 1e7),
                            -(Pivot.Longitude / 1e7));
}

// ---------------------------------------------------------------- passes

namespace {

// Calls the progress callback about every 30 ms.
class TThrottle {
public:
    TThrottle(const TLongLatProgress& P, int64_t Total) : Progress(P), Total(Total) {}
    void Step()
    {
        ++Done;
        if (!Progress || (Done & 1023) != 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - Last >= std::chrono::milliseconds(30)) {
            Last = now;
            Progress(Done, Total);
        }
    }

private:
    const TLongLatProgress& Progress;
    int64_t Total;
    int64_t Done = 0;
    std::chrono::steady_clock::time_point Last = std::chrono::steady_clock::now();
};

template <class F>
void ForEachPoint(const TNetwork& Net, F&& f)
{
    for (THashEntry* cell : Net.NodeHash)
        for (TNetworkPoint* p : cell->Points)
            f(cell, p);
}

bool Selected(const TNetworkPoint& P, bool OnlyZeros, bool OnlyFreeNodes)
{
    if (OnlyFreeNodes) {
        const TNode* n = P.AsNode();
        return n && n->Links.GetCount() == 0;
    }
    if (OnlyZeros)
        return P.Longitude == 0 || P.Latitude == 0;
    return true;
}

bool UsableScale(double PixelsPerDegreeLat)
{
    return std::isfinite(PixelsPerDegreeLat) && PixelsPerDegreeLat != 0;
}

// Floor of v / w as a cell index, clamped to the int32 range.
int64_t CellIndexBelow(double v, int32_t w)
{
    const double c = std::floor(v / w);
    return static_cast<int64_t>(std::clamp(c, -2147483648.0, 2147483647.0));
}

} // namespace

TLongLatPivot PivotOf(const TNetwork& Net, const TNetworkPoint& Node)
{
    return {Node.XF(Net), Node.YF(Net), Node.Longitude, Node.Latitude};
}

bool StatisticalLongLat(TNetwork& Net, TNetworkPoint& Point, bool OnlyZeros, bool OnlyFreeNodes, bool AnyKnown,
                        double Range)
{
    if (!Selected(Point, OnlyZeros, OnlyFreeNodes))
        return true;
    const double R = std::fabs(Range);
    const double px = Point.XF(Net), py = Point.YF(Net);
    if (!std::isfinite(R) || !std::isfinite(px) || !std::isfinite(py))
        return false;
    TLinearRegression longitudeFit, latitudeFit;
    auto visit = [&](const THashEntry* cell) {
        if (!((std::fabs(cell->X0 - px) <= R || std::fabs(cell->X1 - px) <= R) &&
              (std::fabs(cell->Y0 - py) <= R || std::fabs(cell->Y1 - py) <= R)))
            return;
        for (const TNetworkPoint* q : cell->Points) {
            if (q->Longitude == 0 || q->Latitude == 0 || !(q->LongLatKnown || AnyKnown))
                continue;
            const double qx = q->XF(Net), qy = q->YF(Net);
            const double dx = px - qx, dy = py - qy;
            if (std::sqrt(dx * dx + dy * dy) <= R) {
                longitudeFit.AddPoint(qx, q->Longitude);
                latitudeFit.AddPoint(qy, q->Latitude);
            }
        }
    };
    // Only cells with an edge within R qualify. When the window of such
    // cells is smaller than the table, its cells are looked up in key order
    // (rows by Y, then X as unsigned: non-negative X first); otherwise the
    // whole table is walked.
    const THashTable& t = Net.NodeHash;
    const int32_t w = t.CellWidth, h = t.CellHeight;
    const int64_t cx0 = CellIndexBelow(px - R - (w - 1), w), cx1 = CellIndexBelow(px + R, w);
    const int64_t cy0 = CellIndexBelow(py - R - (h - 1), h), cy1 = CellIndexBelow(py + R, h);
    if (double(cx1 - cx0 + 1) * double(cy1 - cy0 + 1) < t.GetCount()) {
        for (int64_t cy = cy0; cy <= cy1; ++cy) {
            auto row = [&](int64_t from, int64_t to) {
                for (int64_t cx = from; cx <= to; ++cx)
                    if (const THashEntry* cell = t.FindCellByKey(MakeCellKey(int32_t(cx), int32_t(cy))))
                        visit(cell);
            };
            row(std::max<int64_t>(cx0, 0), cx1);
            row(cx0, std::min<int64_t>(cx1, -1));
        }
    } else {
        for (const THashEntry* cell : t)
            visit(cell);
    }
    double a, b, c, d;
    if (!longitudeFit.Compute(a, b) || !latitudeFit.Compute(c, d))
        return false;
    const double lon = pround(a * px + b);
    const double lat = pround(c * py + d);
    if (!ValidLongLat(lon, lat))
        return false;
    Point.Longitude = static_cast<int32_t>(lon);
    Point.Latitude = static_cast<int32_t>(lat);
    return true;
}

bool LinearCosineLongLat(const TNetwork& Net, TNetworkPoint& Point, const TLongLatPivot& Pivot,
                         double PixelsPerDegreeLat, bool OnlyZeros, bool OnlyFreeNodes)
{
    if (!Selected(Point, OnlyZeros, OnlyFreeNodes))
        return true;
    return LinearCosinePosition(Point.XF(Net), Point.YF(Net), Pivot, PixelsPerDegreeLat, Point.Longitude,
                                Point.Latitude);
}

bool ProjectedLongLat(const TNetwork& Net, TProjection& Projection, TNetworkPoint& Point, const TLongLatPivot& Pivot,
                      double PixelsPerDegreeLat, bool OnlyZeros, bool OnlyFreeNodes)
{
    if (!Selected(Point, OnlyZeros, OnlyFreeNodes))
        return true;
    return ProjectedPosition(Projection, Point.XF(Net), Point.YF(Net), Pivot, PixelsPerDegreeLat, Point.Longitude,
                             Point.Latitude);
}

bool ComputeLongLatFromXY(TNetwork& Net, const TLongLatSettings& Settings, TNetworkPoint& Point)
{
    const TNode* pivot = FindNodeByName(Net, PrepareNamePattern(Settings.PivotNodeName), nullptr);
    if (!pivot || !PivotLongLatUsable(pivot->Longitude, pivot->Latitude))
        return true;
    const TLongLatPivot pv = PivotOf(Net, *pivot);
    const double ppd = Settings.PixelsPerDegreeLat;
    THashEntry* cell = Net.NodeHash.FindCell(Point.X, Point.Y);
    bool result = true;
    switch (Settings.LongLatMethod) {
    case 0:
        Net.SetAllowClose(false);
        result = StatisticalLongLat(Net, Point, false, Settings.OnlyFreeNodes, true,
                                    Settings.InterpolationRange * ppd / 60);
        break;
    case 1:
        Net.SetAllowClose(false);
        LinearCosineLongLat(Net, Point, pv, ppd, Settings.OnlyZeros, Settings.OnlyFreeNodes);
        break;
    case 2:
    case 3: {
        TProjection proj;
        if (!SetupPivotProjection(proj, Settings.LongLatMethod, pv, ppd))
            break;
        Net.SetAllowClose(false);
        ProjectedLongLat(Net, proj, Point, pv, ppd, Settings.OnlyZeros, Settings.OnlyFreeNodes);
        break;
    }
    default:
        break;
    }
    if (cell)
        cell->IncludePoint(&Point);
    return result;
}

TLongLatStatus ComputeLongLatByInterpolation(TNetwork& Net, const TNode* Pivot, int Method, bool OnlyZeros,
                                             bool OnlyFreeNodes, double Range, double PixelsPerDegreeLat,
                                             int32_t& Unfitted, const TLongLatProgress& Progress)
{
    Unfitted = 0;
    TLongLatPivot pv;
    if (Method == 0) {
        if (!std::isfinite(Range))
            return TLongLatStatus::BadScale;
    } else if (Method == 1) {
        if (!UsableScale(PixelsPerDegreeLat))
            return TLongLatStatus::BadScale;
        if (!Pivot || !PivotLongLatUsable(Pivot->Longitude, Pivot->Latitude))
            return TLongLatStatus::BadPivot;
        pv = PivotOf(Net, *Pivot);
    } else {
        return TLongLatStatus::BadMethod;
    }
    Net.SetAllowClose(false);
    if (Method == 0)
        ForEachPoint(Net, [](THashEntry*, TNetworkPoint* p) { p->LongLatKnown = p->Longitude != 0 && p->Latitude != 0; });
    TThrottle throttle(Progress, Net.NodeHash.PointCount());
    ForEachPoint(Net, [&](THashEntry* cell, TNetworkPoint* p) {
        if (Method == 0) {
            if (!StatisticalLongLat(Net, *p, true, OnlyFreeNodes, false, Range))
                ++Unfitted;
        } else {
            LinearCosineLongLat(Net, *p, pv, PixelsPerDegreeLat, OnlyZeros, OnlyFreeNodes);
        }
        cell->IncludePoint(p);
        throttle.Step();
    });
    return TLongLatStatus::Done;
}

TLongLatStatus ComputeLongLatByProjection(TNetwork& Net, const TNode& Pivot, int Method, bool OnlyZeros,
                                          bool OnlyFreeNodes, double PixelsPerDegreeLat,
                                          const TLongLatProgress& Progress)
{
    if (Method != 2 && Method != 3)
        return TLongLatStatus::BadMethod;
    if (!UsableScale(PixelsPerDegreeLat))
        return TLongLatStatus::BadScale;
    if (!PivotLongLatUsable(Pivot.Longitude, Pivot.Latitude))
        return TLongLatStatus::BadPivot;
    const TLongLatPivot pv = PivotOf(Net, Pivot);
    TProjection proj;
    if (!SetupPivotProjection(proj, Method, pv, PixelsPerDegreeLat))
        return TLongLatStatus::BadProjection;
    Net.SetAllowClose(false);
    TThrottle throttle(Progress, Net.NodeHash.PointCount());
    ForEachPoint(Net, [&](THashEntry* cell, TNetworkPoint* p) {
        ProjectedLongLat(Net, proj, *p, pv, PixelsPerDegreeLat, OnlyZeros, OnlyFreeNodes);
        cell->IncludePoint(p);
        throttle.Step();
    });
    return TLongLatStatus::Done;
}

TLongLatStatus ComputeXYFromLongLat(TNetwork& Net, const TNode& Pivot, int Method, double PixelsPerDegreeLat,
                                    int32_t& Refused, const TLongLatProgress& Progress)
{
    Refused = 0;
    if (Method < 0 || Method > 3)
        return TLongLatStatus::BadMethod;
    const TLongLatPivot pv = PivotOf(Net, Pivot);
    TProjection proj;
    if (Method != 0) {
        if (!UsableScale(PixelsPerDegreeLat))
            return TLongLatStatus::BadScale;
        if (!PivotLongLatUsable(Pivot.Longitude, Pivot.Latitude))
            return TLongLatStatus::BadPivot;
        if (Method >= 2 && !SetupPivotProjection(proj, Method, pv, PixelsPerDegreeLat))
            return TLongLatStatus::BadProjection;
    }
    Net.SetAllowClose(false);
    if (Method != 0) {
        TThrottle throttle(Progress, Net.NodeHash.PointCount());
        ForEachPoint(Net, [&](THashEntry*, TNetworkPoint* p) {
            throttle.Step();
            if (p->Longitude == 0 || p->Latitude == 0)
                return;
            double x, y;
            if (!PositionFromLongLat(Method, proj, p->Longitude, p->Latitude, pv, PixelsPerDegreeLat, x, y)) {
                ++Refused;
                return;
            }
            const double rx = pround(x), ry = pround(y);
            if (!(std::fabs(rx) <= WorldLimit && std::fabs(ry) <= WorldLimit)) {
                ++Refused;
                return;
            }
            p->SetPosition(Net, static_cast<int32_t>(rx), static_cast<int32_t>(ry), x, y);
        });
    }
    RebuildHashTable(Net, Net.NodeHash.CellWidth, Net.NodeHash.CellHeight);
    return TLongLatStatus::Done;
}

bool SetConstantElevation(TNetwork& Net, bool OnlyZeros, bool WithShapes, double Value)
{
    const double v = Value * 10000;
    if (!(-1e9 < v && v < 1e9))
        return false;
    const int32_t e = static_cast<int32_t>(pround(v));
    Net.SetAllowClose(false);
    ForEachPoint(Net, [&](THashEntry*, TNetworkPoint* p) {
        if (OnlyZeros && p->Elevation != 0)
            return;
        if (p->IsShapePoint() && !WithShapes)
            return;
        if (const TNode* n = p->AsNode(); n && n->ExcludeFromTriangulation)
            return;
        p->Elevation = e;
    });
    return true;
}

void UnlockElevations(TNetwork& Net)
{
    Net.SetAllowClose(false);
    ForEachPoint(Net, [](THashEntry*, TNetworkPoint* p) {
        if (TNode* n = p->AsNode()) {
            n->ExcludeFromTriangulation = 0;
            for (TLink* h : n->Links)
                if (h->AEnd() && h->LinkValues)
                    h->LinkValues->ExcludeShapesFromTriangulation = 0;
        }
    });
}

namespace {

// Lengths along a link from its A end to each shape point (in order) and in
// all, summed segment by segment as the link length is.
struct TLinkLengths {
    std::vector<double> UpTo;
    double Total = 0;
};

void MeasureLink(double UnitsFactor, const TLinkValues& r, TLinkLengths& out)
{
    const double f = UnitsFactor;
    const double units = (std::isfinite(f) && f != 0.0) ? f : 1.0;
    auto seg = [&](const TNetworkPoint* p, const TNetworkPoint* q) {
        const double dx = double(q->X) - double(p->X);
        const double dy = double(q->Y) - double(p->Y);
        return std::sqrt(dx * dx + dy * dy) / units;
    };
    out.UpTo.clear();
    double sum = 0;
    const TNetworkPoint* prev = r.ANode;
    for (const TShapePoint* s : r.ShapePoints) {
        sum += seg(prev, s);
        out.UpTo.push_back(sum);
        prev = s;
    }
    out.Total = sum + seg(prev, r.BNode);
}

// The elevation at length l along a link of length L between a and b.
int32_t ElevationAlong(const TNode& a, const TNode& b, double l, double L)
{
    if (!(L > 0))
        return a.Elevation;
    const double v = pround((double(b.Elevation) - double(a.Elevation)) * l / L + a.Elevation);
    if (!(std::fabs(v) <= 2147483647.0))
        return a.Elevation;
    return static_cast<int32_t>(v);
}

} // namespace

void InterpolateLinkShapeElevations(TNetwork& Net, double UnitsFactor, TLink* HalfEdge)
{
    if (!HalfEdge || !HalfEdge->LinkValues)
        return;
    TLinkValues& r = *HalfEdge->LinkValues;
    if (!r.ANode || !r.BNode)
        return;
    TLinkLengths lengths;
    MeasureLink(UnitsFactor, r, lengths);
    Net.SetAllowClose(false);
    int32_t k = 0;
    for (TShapePoint* s : r.ShapePoints)
        s->Elevation = ElevationAlong(*r.ANode, *r.BNode, lengths.UpTo[size_t(k++)], lengths.Total);
}

void InterpolateShapeElevations(TNetwork& Net, double UnitsFactor, bool OnlyZeros, bool Lock,
                                const TLongLatProgress& Progress)
{
    Net.SetAllowClose(false);
    // Each link is measured once, when the first of its shape points comes.
    std::unordered_map<const TShapePoint*, std::pair<double, double>> along;
    TLinkLengths lengths;
    TThrottle throttle(Progress, Net.NodeHash.PointCount());
    ForEachPoint(Net, [&](THashEntry*, TNetworkPoint* p) {
        throttle.Step();
        TShapePoint* s = p->AsShapePoint();
        if (!s || (OnlyZeros && s->Elevation != 0) || !s->Link || !s->Link->LinkValues)
            return;
        TLinkValues& r = *s->Link->LinkValues;
        if (!r.ANode || !r.BNode)
            return;
        auto it = along.find(s);
        if (it == along.end()) {
            MeasureLink(UnitsFactor, r, lengths);
            int32_t k = 0;
            for (const TShapePoint* q : r.ShapePoints)
                along[q] = {lengths.UpTo[size_t(k++)], lengths.Total};
            it = along.find(s);
            if (it == along.end())
                return; // not among its link's shape points
        }
        if (Lock)
            r.ExcludeShapesFromTriangulation = 1;
        s->Elevation = ElevationAlong(*r.ANode, *r.BNode, it->second.first, it->second.second);
    });
}

void LoadElevationVertices(const TNetwork& Net, bool UseShapes, TDelaunay& Delaunay)
{
    ForEachPoint(Net, [&](THashEntry*, TNetworkPoint* p) {
        if (!p->Active || p->Elevation == 0)
            return;
        if (const TNode* n = p->AsNode()) {
            if (n->ExcludeFromTriangulation)
                return;
        } else {
            const TShapePoint* s = p->AsShapePoint();
            if (!UseShapes || !s->Link || !s->Link->LinkValues || s->Link->LinkValues->ExcludeShapesFromTriangulation)
                return;
        }
        Delaunay.AddPoint(p->X, p->Y, p->Elevation);
    });
    Delaunay.Mesh();
}

namespace {
void RouteMessages(TDelaunay& d, TMessageSink* Sink)
{
    if (Sink)
        d.Message = [Sink](const std::string& text) { ShowMessageText(*Sink, text, "", MB_OK); };
}
} // namespace

int32_t InterpolateElevations(TNetwork& Net, bool ComputeShapes, bool UseShapes, bool Lock, TMessageSink* Sink,
                              const TDelaunay::TLineSink& DrawTriangles, const TLongLatProgress& Progress)
{
    TDelaunay d;
    RouteMessages(d, Sink);
    LoadElevationVertices(Net, UseShapes, d);
    d.ShowTriangles(DrawTriangles);
    Net.SetAllowClose(false);
    int32_t missing = 0;
    TThrottle throttle(Progress, Net.NodeHash.PointCount());
    ForEachPoint(Net, [&](THashEntry*, TNetworkPoint* p) {
        throttle.Step();
        TNode* n = p->AsNode();
        if (p->Elevation == 0 && (n || ComputeShapes) && !(n && n->ExcludeFromTriangulation)) {
            p->Elevation = d.Interpolate(p->X, -p->Y);
            if (Lock && n && p->Elevation != 0)
                n->ExcludeFromTriangulation = 1;
        }
        if (p->Elevation == 0)
            ++missing;
    });
    return missing;
}

double InterpolateElevationAt(const TNetwork& Net, const TNetworkPoint& Point, bool UseShapes, TMessageSink* Sink,
                              const TDelaunay::TLineSink& DrawTriangles)
{
    TDelaunay d;
    RouteMessages(d, Sink);
    LoadElevationVertices(Net, UseShapes, d);
    d.ShowTriangles(DrawTriangles);
    return d.Interpolate(Point.X, -Point.Y);
}

TLongLatStatus EstimatePixelsPerDegreeLat(const TNetwork& Net, int Method, const TNetworkPoint& Pivot,
                                          const TNetworkPoint& Second, double& PixelsPerDegreeLat)
{
    if (Method < 1 || Method > 3)
        return TLongLatStatus::BadMethod;
    if (!PivotLongLatUsable(Pivot.Longitude, Pivot.Latitude) || !PivotLongLatUsable(Second.Longitude, Second.Latitude))
        return TLongLatStatus::BadPivot;
    const int64_t dLat = int64_t(Second.Latitude) - Pivot.Latitude;
    if (dLat == 0)
        return TLongLatStatus::SameLatitude;
    const double dy = double(Second.Y) - double(Pivot.Y);
    double scale = dy * 1e7 / double(dLat);
    if (Method >= 2) {
        const TLongLatPivot pv = PivotOf(Net, Pivot);
        for (int k = 0; k < 4; ++k) {
            TProjection proj;
            if (!SetupPivotProjection(proj, Method, pv, scale))
                return TLongLatStatus::BadProjection;
            if (!proj.Project(Second.Longitude / 1e7, Second.Latitude / 1e7) || proj.Y == 0)
                return TLongLatStatus::BadProjection;
            scale = dy * scale / proj.Y;
        }
    }
    if (!UsableScale(scale))
        return TLongLatStatus::BadScale;
    PixelsPerDegreeLat = scale;
    return TLongLatStatus::Done;
}
