#include "core/analysis/OverlayArea.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/analysis/EventThrottle.h"
#include "core/analysis/GridScan.h"
#include "core/expr/SearchFilter.h"
#include "core/file/LegacyText.h"
#include "core/file/TextFormat.h"
#include "core/model/Messages.h"
#include "core/model/WindowSettings.h"

std::string UnitsFactorText(double unitsFactor) { return RealText(false, 15, unitsFactor); }

namespace {

struct TLayerPolygon {
    TPolygonScan Scan;
    int Layer;
};

struct TColumnEvent {
    int32_t Y;
    uint8_t Layer;
    uint8_t Inside; // 1 inside, 0 boundary
    int8_t Delta;
};

// Counts the grid points, in halves, column by column.
int64_t ScanColumns(const std::vector<TLayerPolygon>& polygons, const TBox& box, int shownLayers,
                    const std::function<void(const std::string&)>& progress)
{
    std::vector<const TLayerPolygon*> byLeft;
    for (const TLayerPolygon& p : polygons) byLeft.push_back(&p);
    std::sort(byLeft.begin(), byLeft.end(),
              [](const TLayerPolygon* a, const TLayerPolygon* b) { return a->Scan.Box().MinX < b->Scan.Box().MinX; });
    std::vector<const TLayerPolygon*> active;
    std::vector<TGridRun> runs;
    std::vector<TColumnEvent> events;
    TEventThrottle throttle;
    const std::string scanning = MessageText(269);
    size_t next = 0;
    int64_t halves = 0;
    for (int32_t x = box.MinX; x <= box.MaxX; ++x) {
        if (progress && (x == box.MinX || (x % 10 == 0 && throttle.DueNow())))
            progress(scanning + std::to_string(x));
        while (next < byLeft.size() && byLeft[next]->Scan.Box().MinX <= x) active.push_back(byLeft[next++]);
        std::erase_if(active, [x](const TLayerPolygon* p) { return p->Scan.Box().MaxX < x; });
        events.clear();
        std::array<bool, 11> present{};
        for (const TLayerPolygon* p : active) {
            runs.clear();
            p->Scan.Column(x, box.MinY, box.MaxY, runs);
            for (const TGridRun& r : runs) {
                events.push_back({r.First, uint8_t(p->Layer), uint8_t(r.Class == 2), 1});
                events.push_back({r.Last + 1, uint8_t(p->Layer), uint8_t(r.Class == 2), -1});
            }
            if (!runs.empty()) present[size_t(p->Layer)] = true;
        }
        if (int(std::count(present.begin(), present.end(), true)) < shownLayers) continue;
        std::sort(events.begin(), events.end(), [](const TColumnEvent& a, const TColumnEvent& b) { return a.Y < b.Y; });
        std::array<int32_t, 11> inside{}, edge{};
        int covered = 0, halfLayers = 0;
        auto state = [&](int l) { return inside[size_t(l)] > 0 ? 1 : (edge[size_t(l)] > 0 ? 2 : 0); };
        for (size_t i = 0; i < events.size();) {
            const int32_t y = events[i].Y;
            for (; i < events.size() && events[i].Y == y; ++i) {
                const TColumnEvent& e = events[i];
                const int before = state(e.Layer);
                (e.Inside ? inside : edge)[e.Layer] += e.Delta;
                const int after = state(e.Layer);
                covered += (after != 0) - (before != 0);
                halfLayers += (after == 2) - (before == 2);
            }
            if (i == events.size()) break;
            if (covered == shownLayers) halves += int64_t(events[i].Y - y) * (halfLayers > 0 ? 1 : 2);
        }
    }
    return halves;
}

} // namespace

TOverlayResult ComputeOverlayArea(TNetwork& net, TWindowSettings& window, TViewRecord& view,
                                  const std::string& unitsText,
                                  const std::function<void(const std::string&)>& progress)
{
    TSearchFilter filter;
    filter.Prepare(*net.NodeClasses, *net.LinkClasses, PreparePolygonCriterion(window.Search.PolygonCriterion));
    std::vector<TLayerPolygon> polygons;
    TBox box = EmptyBox;
    std::array<bool, 11> hasPolygon{};
    std::vector<TIntPoint> pts;
    for (THashEntry* cell : net.NodeHash)
        for (TNetworkPoint* p : cell->Points) {
            TNode* n = p->AsNode();
            if (!n || !n->Active || n->EntityType < 1 || !filter.NodePassesSearch(*n) ||
                !LayerShown(window.Layers, view.ZoomIndex, n->Layer))
                continue;
            if (GetPolygonCoordinates(n->OwnPolygon(), pts) < 3) continue;
            polygons.push_back({TPolygonScan(pts), n->Layer});
            box.Include(polygons.back().Scan.Box());
            hasPolygon[n->Layer] = true;
        }

    // A visible layer that holds no polygon is covered nowhere.
    int shown = 0;
    bool everyShownHasOne = true;
    for (int l = 1; l <= 10; ++l)
        if (LayerShown(window.Layers, view.ZoomIndex, l)) {
            ++shown;
            everyShownHasOne = everyShownHasOne && hasPolygon[size_t(l)];
        }
    TOverlayResult r;
    const int64_t halves = !polygons.empty() && everyShownHasOne ? ScanColumns(polygons, box, shown, progress) : 0;
    r.GridPoints = double(halves) / 2;
    double area = r.GridPoints;
    if (area >= 1) area -= 1;

    double units = 0;
    if (!ParseReal(unitsText, units) || !(units > 0)) {
        units = 1.0;
        r.UnitsText = "1.0";
    } else {
        r.UnitsText = unitsText;
    }
    if (units != window.UnitsFactor) {
        window.UnitsFactor = units;
        view.Saved = 0; // a window setting: only this window becomes modified
    }
    r.Area = area / (units * units);
    r.Status = MessageText(270) + RealText(false, 15, r.Area) + " " + MessageText(271);
    return r;
}
