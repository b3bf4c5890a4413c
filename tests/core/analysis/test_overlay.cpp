// Overlay area: column scans against the per-point scan over layers that
// are shown, hidden or shown only nearer; the units text; shapely's count.
#include "core/analysis/OverlayArea.h"
#include "core/file/TextFormat.h"
#include "core/model/WindowSettings.h"
#include "analysis_support.h"
#include "grid_reference.h"

#include <gtest/gtest.h>

#include <random>

using namespace analysistest;
namespace gr = gridreference;

namespace {

struct TOverlayCase {
    TNetwork Net;
    TWindowSettings Window;
    TViewRecord View;
    std::vector<gr::TLayerPolygon> Polygons;

    TOverlayCase()
    {
        Define((*Net.NodeClasses)[1], "Zone", "R");
        for (int l = 1; l <= 10; ++l) Window.Layers.LayerStates[l] = 0;
    }
    void Add(const std::vector<TIntPoint>& ring, int layer)
    {
        Polygon(Net, ring, 1, "", uint8_t(layer));
        Polygons.push_back({ring, layer});
    }
    std::array<bool, 11> Shown() const
    {
        std::array<bool, 11> s{};
        for (int l = 1; l <= 10; ++l)
            s[size_t(l)] = Window.Layers.LayerStates[l] != 0 && Window.Layers.LayerStates[l] <= View.ZoomIndex;
        return s;
    }
    // The reference's count, of the polygons on shown layers only.
    double Expected() const
    {
        std::vector<gr::TLayerPolygon> shown;
        const auto s = Shown();
        for (const auto& p : Polygons)
            if (s[size_t(p.Layer)]) shown.push_back(p);
        for (int l = 1; l <= 10; ++l)
            if (s[size_t(l)] && std::none_of(shown.begin(), shown.end(), [l](auto& p) { return p.Layer == l; }))
                return 0;
        if (shown.empty()) return 0;
        const double a = double(gr::OverlayHalves(shown, s)) / 2;
        return a >= 1 ? a - 1 : a;
    }
};

std::vector<TIntPoint> RandomRing(std::mt19937& rng, int n, int step, int span, int dx)
{
    std::vector<TIntPoint> ring;
    while (int(ring.size()) < n) {
        TIntPoint p{dx + int32_t(rng() % unsigned(span / step + 1)) * step,
                    int32_t(rng() % unsigned(span / step + 1)) * step};
        if (!ring.empty() && ring.back().X == p.X && ring.back().Y == p.Y) continue;
        ring.push_back(p);
    }
    return ring;
}

} // namespace

TEST(OverlayArea, ColumnScanMatchesThePerPointScan)
{
    std::mt19937 rng(31);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int round = 0; round < 150; ++round) {
        TOverlayCase c;
        const int layers = 1 + pick(3);
        for (int l = 1; l <= layers; ++l) c.Window.Layers.LayerStates[l] = 1 + pick(15);
        c.View.ZoomIndex = 13;
        const int polygons = 1 + pick(5);
        for (int k = 0; k < polygons; ++k)
            c.Add(RandomRing(rng, 3 + pick(7), 1 + pick(4), 50, pick(2) ? 0 : -10), 1 + pick(layers));
        std::vector<std::string> progress;
        const TOverlayResult r =
            ComputeOverlayArea(c.Net, c.Window, c.View, "1.0", [&](const std::string& s) { progress.push_back(s); });
        ASSERT_EQ(r.Area, c.Expected()) << "round " << round;
        if (r.GridPoints > 0) {
            ASSERT_FALSE(progress.empty());
            EXPECT_EQ(progress[0].rfind("Scanning, x = ", 0), 0u);
        }
    }
}

TEST(OverlayArea, LayersAndBoundaries)
{
    TOverlayCase c;
    c.Window.Layers.LayerStates[1] = 1;
    c.Add({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 1);
    c.Add({{5, 0}, {20, 0}, {20, 10}, {5, 10}}, 1);
    // One layer: the union, 21 x 11 points, the outer edge counting one half.
    TOverlayResult r = ComputeOverlayArea(c.Net, c.Window, c.View, "1.0");
    EXPECT_EQ(r.GridPoints, 19 * 9 + (2 * 21 + 2 * 9) * 0.5);
    EXPECT_EQ(r.Area, r.GridPoints - 1);
    EXPECT_EQ(r.Status, "Area = " + RealText(false, 15, r.Area) + " Square Units");

    // A second layer restricts to where both have a polygon; hidden or shown
    // only nearer, it restricts nothing.
    c.Add({{0, 0}, {4, 0}, {4, 4}, {0, 4}}, 2);
    c.Window.Layers.LayerStates[2] = 1;
    r = ComputeOverlayArea(c.Net, c.Window, c.View, "1.0");
    EXPECT_EQ(r.GridPoints, 3 * 3 + 16 * 0.5);
    c.Window.Layers.LayerStates[2] = 15;
    EXPECT_EQ(ComputeOverlayArea(c.Net, c.Window, c.View, "1.0").GridPoints, 19 * 9 + 30);
    c.View.ZoomIndex = 15;
    EXPECT_EQ(ComputeOverlayArea(c.Net, c.Window, c.View, "1.0").GridPoints, 3 * 3 + 8);

    // A shown layer without polygons leaves no point on every layer.
    c.Window.Layers.LayerStates[3] = 1;
    EXPECT_EQ(ComputeOverlayArea(c.Net, c.Window, c.View, "1.0").Area, 0);
}

TEST(OverlayArea, UnitsText)
{
    TOverlayCase c;
    c.Window.Layers.LayerStates[1] = 1;
    c.Add({{0, 0}, {40, 0}, {40, 40}, {0, 40}}, 1);
    const double points = 39 * 39 + 160 * 0.5 - 1;
    c.View.Saved = 1;
    TOverlayResult r = ComputeOverlayArea(c.Net, c.Window, c.View, " 2 ");
    EXPECT_EQ(r.Area, points / 4);
    EXPECT_EQ(c.Window.UnitsFactor, 2);
    EXPECT_EQ(c.View.Saved, 0); // only the window's own flag
    EXPECT_FALSE(c.Net.Modified);
    for (const char* bad : {"", "abc", "-3", "0", "nan"}) {
        c.View.Saved = 1;
        r = ComputeOverlayArea(c.Net, c.Window, c.View, bad);
        EXPECT_EQ(r.UnitsText, "1.0") << bad;
        EXPECT_EQ(c.Window.UnitsFactor, 1.0);
        EXPECT_EQ(r.Area, points);
    }
    c.View.Saved = 1;
    ComputeOverlayArea(c.Net, c.Window, c.View, "1");
    EXPECT_EQ(c.View.Saved, 1); // unchanged factor
    EXPECT_EQ(UnitsFactorText(2.5), "2.5");
}

TEST(OverlayArea, ShapelyCountsTheSameGridPoints)
{
    std::string why;
    if (!PythonHas("shapely, numpy", why)) GTEST_SKIP() << why;
    TOverlayCase c;
    c.Window.Layers.LayerStates[1] = c.Window.Layers.LayerStates[2] = 1;
    c.Add({{0, 0}, {60, 5}, {70, 50}, {30, 70}, {-5, 40}}, 1);
    c.Add({{50, 20}, {90, 20}, {90, 60}, {50, 60}}, 1);
    c.Add({{20, -10}, {80, 30}, {20, 80}}, 2);
    const TOverlayResult r = ComputeOverlayArea(c.Net, c.Window, c.View, "1.0");
    std::ostringstream spec;
    for (const auto& p : c.Polygons) {
        spec << p.Layer;
        for (const TIntPoint& q : p.Ring) spec << ' ' << q.X << ' ' << q.Y;
        spec << '\n';
    }
    const std::string path = ::testing::TempDir() + "tarvex_overlay.txt";
    std::ofstream(path) << spec.str();
    const std::string script = R"(
import sys, numpy as np
from shapely.geometry import Polygon
import shapely.vectorized as sv
layers = {}
for line in open(sys.argv[1]):
    f = list(map(int, line.split()))
    layers.setdefault(f[0], []).append(Polygon(list(zip(f[1::2], f[2::2]))))
allp = [p for ps in layers.values() for p in ps]
x0, y0, x1, y1 = [int(v) for v in (min(p.bounds[0] for p in allp), min(p.bounds[1] for p in allp),
                                   max(p.bounds[2] for p in allp), max(p.bounds[3] for p in allp))]
X, Y = np.meshgrid(np.arange(x0, x1 + 1), np.arange(y0, y1 + 1))
ok = np.ones(X.shape, bool); half = np.zeros(X.shape, bool)
for ps in layers.values():
    inside = np.zeros(X.shape, bool); edge = np.zeros(X.shape, bool)
    for p in ps: inside |= sv.contains(p, X, Y); edge |= sv.touches(p, X, Y)
    ok &= inside | edge; half |= edge & ~inside
print(int((ok & ~half).sum()) * 2 + int((ok & half).sum()))
)";
    const std::string out = RunPython(script, path);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(r.GridPoints, double(std::stoll(out)) / 2);
}
