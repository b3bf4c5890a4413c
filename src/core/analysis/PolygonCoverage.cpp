#include "core/analysis/PolygonCoverage.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "core/analysis/EventThrottle.h"
#include "core/analysis/GridScan.h"
#include "core/analysis/ShortestPaths.h"
#include "core/expr/ExpressionNetwork.h"
#include "core/expr/SearchFilter.h"
#include "core/expr/WidthSizes.h"
#include "core/file/TextFormat.h"
#include "core/model/NetworkQueries.h"
#include "core/model/Rounding.h"
#include "core/model/WindowSettings.h"

int CoverageInputCode(int index, int attributeCount)
{
    if (index <= 0) return 0;
    if (index <= attributeCount) return index;
    return 100 + (index - attributeCount);
}

int CoverageInputIndex(int code, int attributeCount)
{
    if (code >= 1 && code <= attributeCount) return code;
    if (code >= CoverageSizeExpression1 && code <= CoverageWhole) return attributeCount + (code - 100);
    return 0;
}

namespace {

bool Blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

bool Meets(const TBox& a, const TBox& b)
{
    return !a.IsEmpty() && !b.IsEmpty() && a.MinX <= b.MaxX && b.MinX <= a.MaxX && a.MinY <= b.MaxY &&
           b.MinY <= a.MaxY;
}

TBox Widened(TBox b, int64_t r)
{
    if (b.IsEmpty()) return b;
    auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN + 1, INT32_MAX - 1)); };
    return {clamp(b.MinX - r), clamp(b.MinY - r), clamp(b.MaxX + r), clamp(b.MaxY + r)};
}

struct TElement {
    TBox Box = EmptyBox;
    TPolygonScan Polygon;          // polygons
    int32_t X = 0, Y = 0;          // circles
    std::vector<TIntPoint> Line;   // buffers
};

struct TEvent {
    int32_t X;
    uint8_t Kind; // 0 zone inside, 1 zone boundary, 2 element inside, 3 element boundary
    int8_t Delta;
};

class TCoverageRun {
public:
    TCoverageRun(TNetwork& net, const TWindowSettings& window, const TViewRecord& view,
                 const TPolygonCoverageSettings& settings, const TCoverageSink& sink)
        : Net(net), Window(window), View(view), Settings(settings), Sink(sink), Random(MakeRunRandom()),
          Binding(net, nullptr, &Random)
    {
        Binding.Env.LayerStates = window.Layers.LayerStates.data();
        Binding.Env.ZoomIndex = view.ZoomIndex;
        Radius = std::max<int64_t>(settings.BufferRadius, 0);
        IntersectOnly = settings.IntersectOnly != 0;
    }

    TCoverageResult Run(const std::vector<std::string>& names);

private:
    std::string FindElements(const std::vector<std::string>& names);
    double CountZone(const TPolygonScan& zone);
    bool ZoneValue(TNode* zone, int code, double covered, double area, double& value);
    void Pump()
    {
        if (Sink.ProcessMessages && Throttle.Due()) Sink.ProcessMessages();
    }

    TNetwork& Net;
    const TWindowSettings& Window;
    const TViewRecord& View;
    const TPolygonCoverageSettings& Settings;
    const TCoverageSink& Sink;
    std::mt19937_64 Random;
    TExprBinding Binding;
    int64_t Radius = 1;
    bool IntersectOnly = false;
    int32_t Type = CoveragePolygon;
    std::vector<TElement> Elements;
    TBox Combined = EmptyBox;
    int64_t Marked = 0;
    TEventThrottle Throttle;
    // Scratch of the row sweep.
    std::vector<TGridRun> ZoneRuns, Runs;
    std::vector<TEvent> Events;
    std::vector<std::pair<int32_t, int32_t>> MarkSpans;
};

// Looks up the elements; returns the status text when none is found.
std::string TCoverageRun::FindElements(const std::vector<std::string>& names)
{
    Type = Settings.ElementType;
    for (const std::string& name : names) {
        if (Blank(name)) continue;
        const std::string pattern = PrepareNamePattern(name);
        if (Type == CoveragePolygon) {
            TNode* n = FindNodeByName(Net, pattern, nullptr);
            if (!n) continue;
            std::vector<TIntPoint> pts;
            GetPolygonCoordinates(n->OwnPolygon(), pts);
            pts = WithoutRepeats(std::move(pts));
            if (pts.size() < 3) continue; // no area to cover with
            TElement e;
            e.Polygon = TPolygonScan(std::move(pts));
            e.Box = e.Polygon.Box();
            Elements.push_back(std::move(e));
        } else if (Type == CoverageNodeCircle) {
            TNode* n = FindNodeByName(Net, pattern, nullptr);
            if (!n) continue;
            TElement e;
            e.X = n->X;
            e.Y = n->Y;
            e.Box = Widened({n->X, n->Y, n->X, n->Y}, Radius);
            Elements.push_back(std::move(e));
        } else {
            if (TLink* h = FindLinkByName(Net, pattern, nullptr)) {
                const TLinkValues& v = *h->LinkValues;
                TElement e;
                if (v.ANode) e.Line.push_back({v.ANode->X, v.ANode->Y});
                for (TShapePoint* sp : v.ShapePoints)
                    if (sp->Active) e.Line.push_back({sp->X, sp->Y});
                if (v.BNode) e.Line.push_back({v.BNode->X, v.BNode->Y});
                e.Line = WithoutRepeats(std::move(e.Line), false);
                e.Box = Widened(BoxOf(e.Line), Radius);
                if (!e.Line.empty()) Elements.push_back(std::move(e));
            }
            TNode* n = FindNodeByName(Net, pattern, nullptr);
            if (n && CountPolygonVertices(n->OwnPolygon(), true) >= 1) {
                std::vector<TIntPoint> pts;
                GetPolygonCoordinates(n->OwnPolygon(), pts);
                TElement e;
                e.Line = WithoutRepeats(std::move(pts), false);
                e.Box = Widened(BoxOf(e.Line), Radius);
                if (!e.Line.empty()) Elements.push_back(std::move(e));
            }
        }
    }
    if (!Elements.empty()) return {};
    if (Type == CoveragePolygon) return "Polygon not found";
    if (Type == CoverageNodeCircle) return "Node for buffering not found";
    return "Link buffer not found";
}

// The covered grid points of one zone, boundary points one half.
double TCoverageRun::CountZone(const TPolygonScan& zone)
{
    const TBox& zb = zone.Box();
    if (!Meets(zb, Combined)) return 0;
    std::vector<const TElement*> active;
    for (const TElement& e : Elements) {
        if (Meets(e.Box, zb))
            active.push_back(&e);
        else if (IntersectOnly)
            return 0; // an element that misses the zone leaves no point inside all of them
    }
    if (active.empty()) return 0;
    const int32_t x0 = std::max(zb.MinX, Combined.MinX), x1 = std::min(zb.MaxX, Combined.MaxX);
    const int32_t y0 = std::max(zb.MinY, Combined.MinY), y1 = std::min(zb.MaxY, Combined.MaxY);
    if (x0 > x1 || y0 > y1) return 0;

    const bool buffers = Type != CoveragePolygon && Type != CoverageNodeCircle;
    std::vector<TBufferRows> rows;
    if (buffers) {
        const TBufferShape shape = Type == CoverageLinkPearls    ? TBufferShape::Pearls
                                   : Type == CoverageLinkSausage ? TBufferShape::Sausage
                                                                 : TBufferShape::Blunt;
        rows.resize(active.size());
        for (size_t k = 0; k < active.size(); ++k) {
            rows[k].X0 = x0;
            rows[k].X1 = x1;
            rows[k].Y0 = y0;
            rows[k].Y1 = y1;
            ScanBuffer(active[k]->Line, shape, Radius, rows[k]);
        }
    }

    const int32_t need = int32_t(active.size());
    int64_t halves = 0;
    for (int32_t y = y0; y <= y1; ++y) {
        Pump();
        ZoneRuns.clear();
        zone.Row(y, x0, x1, ZoneRuns);
        if (ZoneRuns.empty()) continue;
        Events.clear();
        for (const TGridRun& r : ZoneRuns) {
            const uint8_t kind = r.Class == 2 ? 0 : 1;
            Events.push_back({r.First, kind, 1});
            Events.push_back({r.Last + 1, kind, -1});
        }
        int32_t present = 0;
        for (size_t k = 0; k < active.size(); ++k) {
            const TElement& e = *active[k];
            const size_t before = Events.size();
            if (Type == CoveragePolygon) {
                Runs.clear();
                e.Polygon.Row(y, x0, x1, Runs);
                for (const TGridRun& r : Runs) {
                    const uint8_t kind = r.Class == 2 ? 2 : 3;
                    Events.push_back({r.First, kind, 1});
                    Events.push_back({r.Last + 1, kind, -1});
                }
            } else if (Type == CoverageNodeCircle) {
                int32_t a, b;
                if (CircleSpan(e.X, e.Y, Radius, y, a, b)) {
                    a = std::max(a, x0);
                    b = std::min(b, x1);
                    if (a <= b) {
                        Events.push_back({a, 2, 1});
                        Events.push_back({b + 1, 2, -1});
                    }
                }
            } else {
                for (const auto& s : rows[k].Rows[size_t(y - y0)]) {
                    Events.push_back({s.first, 2, 1});
                    Events.push_back({s.second + 1, 2, -1});
                }
            }
            if (Events.size() > before)
                ++present;
            else if (IntersectOnly)
                break;
        }
        if (present == 0 || (IntersectOnly && present < need)) continue;
        std::sort(Events.begin(), Events.end(), [](const TEvent& a, const TEvent& b) { return a.X < b.X; });
        int32_t count[4] = {0, 0, 0, 0};
        MarkSpans.clear();
        for (size_t i = 0; i < Events.size();) {
            const int32_t x = Events[i].X;
            for (; i < Events.size() && Events[i].X == x; ++i) count[Events[i].Kind] += Events[i].Delta;
            if (i == Events.size()) break;
            const int32_t next = Events[i].X;
            const int zc = count[0] > 0 ? 2 : (count[1] > 0 ? 1 : 0);
            int state = 0;
            if (zc != 0) {
                const int32_t in = count[2], edge = count[3];
                if (IntersectOnly)
                    state = in + edge < need ? 0 : ((edge > 0 || zc == 1) ? 2 : 1);
                else
                    state = (zc == 2 && in > 0) ? 1 : ((edge > 0 || (in > 0 && zc == 1)) ? 2 : 0);
            }
            if (state == 0) continue;
            halves += int64_t(next - x) * (state == 1 ? 2 : 1);
            if (!MarkSpans.empty() && MarkSpans.back().second + 1 == x)
                MarkSpans.back().second = next - 1;
            else
                MarkSpans.push_back({x, next - 1});
        }
        for (const auto& s : MarkSpans) {
            Marked += int64_t(s.second) - s.first + 1;
            if (Sink.Mark) Sink.Mark(y, s.first, s.second);
        }
    }
    return double(halves) / 2;
}

// The output value of a zone; false when the input cannot be read.
bool TCoverageRun::ZoneValue(TNode* zone, int code, double covered, double area, double& value)
{
    const double units = Window.UnitsFactor;
    const double share = std::min(covered, area);
    if (code >= 1 && code <= MaxAttributes) {
        if (!IsNumberAttribute(*Net.NodeClasses, zone->EntityType, code)) return false;
        const TValueSlot* s = SlotOf(*zone, code);
        const double v = s ? s->Real() : 0;
        value = area <= 0 ? 0 : share * v / area;
        return true;
    }
    switch (code) {
    case CoverageSizeExpression1:
    case CoverageSizeExpression2: {
        const double v =
            NodeSizeExpressionText(Net, Binding, Window.Widths, *zone, code - CoverageSizeExpression1 + 1).Value;
        value = area <= 0 ? 0 : share * v / area;
        return true;
    }
    case CoverageArea:
        value = area <= 0 ? 0 : covered / (units * units);
        return true;
    case CoverageTouched:
        value = (area > 0 && covered > 0) ? 1 : 0;
        return true;
    case CoverageMajority:
        value = (area > 0 && covered >= area / 2 - 0.01) ? 1 : 0;
        return true;
    case CoverageWhole:
        value = (area > 0 && covered >= area - 0.01) ? 1 : 0;
        return true;
    default:
        return false;
    }
}

double ShoelaceArea(const std::vector<TIntPoint>& p)
{
    if (p.size() < 3) return 0;
    double sum = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const TIntPoint& a = p[i];
        const TIntPoint& b = p[(i + 1) % p.size()];
        sum += double(a.X) * double(b.Y) - double(b.X) * double(a.Y);
    }
    return std::fabs(sum) / 2;
}

TCoverageResult TCoverageRun::Run(const std::vector<std::string>& names)
{
    TCoverageResult result;
    result.Status = "Working...";
    if (names.empty() || Blank(names[0])) return result;
    if (std::string none = FindElements(names); !none.empty()) {
        result.Status = none;
        return result;
    }
    result.Ran = true;
    for (const TElement& e : Elements) {
        if (&e == &Elements.front())
            Combined = e.Box;
        else if (IntersectOnly)
            Combined = {std::max(Combined.MinX, e.Box.MinX), std::max(Combined.MinY, e.Box.MinY),
                        std::min(Combined.MaxX, e.Box.MaxX), std::min(Combined.MaxY, e.Box.MaxY)};
        else
            Combined.Include(e.Box);
    }

    TSearchFilter filter;
    filter.Prepare(*Net.NodeClasses, *Net.LinkClasses, PreparePolygonCriterion(Window.Search.PolygonCriterion));
    std::vector<TIntPoint> pts;
    for (THashEntry* cell : Net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            TNode* z = p->AsNode();
            if (!z || !z->Active || z->EntityType < 1 || z->EntityType > MaxClasses) continue;
            const int c = z->EntityType;
            if (Settings.InputChoice[size_t(c)] < 1 || !filter.NodePassesSearch(*z) ||
                !LayerShown(Window.Layers, View.ZoomIndex, z->Layer))
                continue;
            if (GetPolygonCoordinates(z->OwnPolygon(), pts) < 3) continue;
            const int code = CoverageInputCode(Settings.InputChoice[size_t(c)], (*Net.NodeClasses)[c].AttributeCount);
            const TPolygonScan zone(WithoutRepeats(pts));
            double covered = CountZone(zone);
            if (covered >= 1) covered -= 1;
            const double area = ShoelaceArea(pts);
            double value = 0;
            if (!ZoneValue(z, code, covered, area, value) || !std::isfinite(value)) continue;
            result.Zones.push_back({z, covered, value});
            result.Total += value;
            const int out = Settings.OutputAttribute[size_t(c)];
            if (out > 0 && IsNumberAttribute(*Net.NodeClasses, c, out))
                if (TValueSlot* s = SlotOf(*z, out)) {
                    if (!result.Wrote) Net.SetAllowClose(false);
                    result.Wrote = true;
                    const char kind = (*Net.NodeClasses)[c].Attr(out)->Kind;
                    s->SetReal(kind == 'I' ? pround(value) : value);
                }
        }
    result.Marked = Marked;
    result.Status = RealText(false, 15, result.Total);
    return result;
}

} // namespace

TCoverageResult RunPolygonCoverage(TNetwork& net, const TWindowSettings& window, const TViewRecord& view,
                                   const TPolygonCoverageSettings& settings, const std::vector<std::string>& names,
                                   const TCoverageSink& sink)
{
    TCoverageRun run(net, window, view, settings, sink);
    return run.Run(names);
}
