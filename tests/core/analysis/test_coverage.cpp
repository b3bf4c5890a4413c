// Polygon coverage: counts against the per-point scan for every element
// type in union and intersection, the output codes, the refusals, and
// shapely's classing of the grid points.
#include "core/analysis/PolygonCoverage.h"
#include "core/file/TextFormat.h"
#include "core/model/WindowSettings.h"
#include "analysis_support.h"
#include "grid_reference.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace analysistest;
namespace gr = gridreference;

namespace {

struct TCoverageCase {
    TNetwork Net;
    TWindowSettings Window;
    TViewRecord View;
    TPolygonCoverageSettings Settings;
    std::vector<std::string> Names;
    std::map<const TNode*, std::vector<TIntPoint>> Zones;
    std::vector<gr::TElement> Elements;

    TCoverageCase()
    {
        // Zones: A1 input (R), A2 output (I), A3 output (R), A4 categorical.
        Define((*Net.NodeClasses)[1], "Zone", "RIRC");
        Define((*Net.NodeClasses)[2], "Element", "R");
        Define((*Net.LinkClasses)[1], "Road", "R");
        Settings.InputChoice[1] = 1;
        Settings.OutputAttribute[1] = 3;
    }
    TNode* Zone(const std::vector<TIntPoint>& ring, double input = 1)
    {
        TNode* z = Polygon(Net, ring, 1, "Z" + std::to_string(Zones.size()));
        Set(z, 1, input);
        Zones[z] = ring;
        return z;
    }
    std::string NextName() { return "E" + std::to_string(Names.size()); }
    void PolygonElement(const std::vector<TIntPoint>& ring)
    {
        Names.push_back(NextName());
        Polygon(Net, ring, 2, Names.back());
        if (ring.size() >= 3) Elements.push_back({ring});
    }
    void Circle(TIntPoint c)
    {
        Names.push_back(NextName());
        Node(Net, c.X, c.Y, 2, Names.back());
        Elements.push_back({{c}});
    }
    // A link through the points (the inner ones are shape points).
    void LinkLine(const std::vector<TIntPoint>& pts, std::vector<TIntPoint> expected)
    {
        Names.push_back(NextName());
        TLink* h = Link(Net, Node(Net, pts.front().X, pts.front().Y, 0), Node(Net, pts.back().X, pts.back().Y, 0), 1,
                        Names.back());
        for (size_t i = 1; i + 1 < pts.size(); ++i) AddShapePoint(Net, pts[i].X, pts[i].Y, int32_t(i - 1), h);
        Elements.push_back({std::move(expected)});
    }
    void Chain(const std::vector<TIntPoint>& pts)
    {
        Names.push_back(NextName());
        TNode* owner = Node(Net, pts[0].X + 1000, pts[0].Y, 2, Names.back());
        for (const TIntPoint& p : pts) {
            TNode* v = Node(Net, p.X, p.Y, 0);
            owner->OwnPolygonRef().Insert(v);
            Net.PolygonsRef(v).Insert(owner);
        }
        Elements.push_back({pts});
    }
    TCoverageResult Run() { return RunPolygonCoverage(Net, Window, View, Settings, Names); }
};

gr::TType RefType(int32_t t) { return gr::TType(t); }

double Covered(int64_t halves)
{
    const double c = double(halves) / 2;
    return c >= 1 ? c - 1 : c;
}

std::vector<TIntPoint> RandomRing(std::mt19937& rng, int n, int step, int span)
{
    std::vector<TIntPoint> ring;
    while (int(ring.size()) < n) {
        TIntPoint p{int32_t(rng() % unsigned(span / step + 1)) * step, int32_t(rng() % unsigned(span / step + 1)) * step};
        if (!ring.empty() && ring.back().X == p.X && ring.back().Y == p.Y) continue;
        if (!ring.empty() && int(ring.size()) == n - 1 && ring[0].X == p.X && ring[0].Y == p.Y) continue;
        ring.push_back(p);
    }
    return ring;
}

// A simple ring: vertices at rising angles around a centre.
std::vector<TIntPoint> StarRing(std::mt19937& rng, int n, int cx, int cy, int reach)
{
    std::vector<TIntPoint> ring;
    for (int i = 0; i < n; ++i) {
        const double a = (i + 0.2 + 0.6 * double(rng() % 1000) / 1000) * 2 * M_PI / n;
        const double d = reach * (0.3 + 0.7 * double(rng() % 1000) / 1000);
        const TIntPoint p{int32_t(std::lround(cx + d * std::cos(a))), int32_t(std::lround(cy + d * std::sin(a)))};
        if (ring.empty() || ring.back().X != p.X || ring.back().Y != p.Y) ring.push_back(p);
    }
    return ring;
}

} // namespace

TEST(PolygonCoverage, EveryElementTypeMatchesThePerPointScan)
{
    std::mt19937 rng(77);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    for (int type = CoveragePolygon; type <= CoverageLinkBlunt; ++type)
        for (int io = 0; io < 2; ++io)
            for (int round = 0; round < 12; ++round) {
                TCoverageCase c;
                c.Settings.ElementType = type;
                c.Settings.IntersectOnly = uint8_t(io);
                c.Settings.BufferRadius = 1 + pick(12);
                for (int z = 0; z < 3; ++z) c.Zone(RandomRing(rng, 3 + pick(7), 1 + pick(5), 60));
                const int elements = 1 + pick(io ? 2 : 4);
                for (int e = 0; e < elements; ++e) {
                    if (type == CoveragePolygon)
                        c.PolygonElement(RandomRing(rng, 3 + pick(6), 1 + pick(5), 60));
                    else if (type == CoverageNodeCircle)
                        c.Circle({pick(70) - 5, pick(70) - 5});
                    else if (pick(2)) {
                        auto line = RandomRing(rng, 2 + pick(4), 1 + pick(4), 60);
                        c.LinkLine(line, line);
                    } else {
                        c.Chain(RandomRing(rng, 1 + pick(5), 1 + pick(4), 60));
                    }
                }
                const TCoverageResult r = c.Run();
                ASSERT_TRUE(r.Ran) << r.Status;
                ASSERT_EQ(r.Zones.size(), 3u);
                for (const TZoneCoverage& z : r.Zones) {
                    const int64_t halves = gr::CoverageHalves(c.Zones[z.Zone], c.Elements, RefType(type),
                                                              c.Settings.BufferRadius, io != 0);
                    ASSERT_EQ(z.Covered, Covered(halves))
                        << "type " << type << " io " << io << " round " << round << " zone " << z.Zone->Name;
                }
            }
}

TEST(PolygonCoverage, OutputCodesAndTheirAttributes)
{
    // A 10 x 10 square zone (area 100, 121 grid points); a polygon element
    // over its left half (x 0..5).
    TCoverageCase c;
    TNode* z = c.Zone({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 50);
    TNode* flat = c.Zone({{20, 0}, {30, 0}, {40, 0}}, 50); // no area
    c.PolygonElement({{-5, -5}, {5, -5}, {5, 15}, {-5, 15}});
    // Points x 0..4 inside (55), x = 5 on the element's edge (11 halves),
    // the zone's own edge points half: 10 x 11... counted by the scan.
    const double covered = Covered(gr::CoverageHalves(c.Zones[z], c.Elements, gr::Polygon, 1, false));
    auto run = [&](int code) {
        c.Settings.InputChoice[1] = CoverageInputIndex(code, 4);
        return c.Run();
    };
    TCoverageResult r = run(1);
    ASSERT_EQ(r.Zones.size(), 2u);
    EXPECT_EQ(r.Zones[0].Zone == z ? r.Zones[0].Value : r.Zones[1].Value, std::min(covered, 100.0) * 50 / 100);
    EXPECT_EQ(Val(z, 3), std::min(covered, 100.0) * 50 / 100);
    EXPECT_EQ(Val(flat, 3), 0);
    EXPECT_EQ(r.Status, RealText(false, 15, r.Total));
    EXPECT_TRUE(c.Net.Modified);

    // An integer output rounds (ties to even); a categorical one is left alone.
    c.Settings.OutputAttribute[1] = 2;
    Set(z, 1, 1.5 * 100 / std::min(covered, 100.0));
    run(1);
    EXPECT_EQ(Val(z, 2), 2);
    c.Settings.OutputAttribute[1] = 4;
    const TValueSlot code = z->Values[3];
    c.Net.Modified = false;
    run(1);
    EXPECT_EQ(z->Values[3], code);
    EXPECT_FALSE(c.Net.Modified);
    c.Settings.OutputAttribute[1] = 3;

    // Area in square units, and the counts.
    c.Window.UnitsFactor = 2;
    run(CoverageArea);
    EXPECT_EQ(Val(z, 3), covered / 4);
    run(CoverageTouched);
    EXPECT_EQ(Val(z, 3), 1);
    EXPECT_EQ(Val(flat, 3), 0);
    run(CoverageMajority);
    EXPECT_EQ(Val(z, 3), covered >= 50 - 0.01 ? 1 : 0);
    run(CoverageWhole);
    EXPECT_EQ(Val(z, 3), 0);

    // Node size expression 2 of the zone's class.
    c.Window.Widths.NodeSizeExpressions[1] = "A1:A1*3";
    Set(z, 1, 10);
    run(CoverageSizeExpression2);
    EXPECT_DOUBLE_EQ(Val(z, 3), std::min(covered, 100.0) * 30 / 100);
    EXPECT_EQ(CoverageInputCode(CoverageInputIndex(CoverageWhole, 7), 7), CoverageWhole);
}

TEST(PolygonCoverage, ZonesTakingPartAndMarks)
{
    TCoverageCase c;
    TNode* shown = c.Zone({{0, 0}, {20, 0}, {20, 20}, {0, 20}});
    TNode* hidden = c.Zone({{0, 0}, {20, 0}, {20, 20}, {0, 20}});
    hidden->Layer = 2;
    c.Window.Layers.LayerStates[2] = 14; // shown only when zoomed in further
    c.Circle({10, 10});
    c.Settings.ElementType = CoverageNodeCircle;
    c.Settings.BufferRadius = 3;
    int64_t spans = 0, points = 0;
    TCoverageSink sink;
    sink.Mark = [&](int32_t, int32_t x0, int32_t x1) {
        ++spans;
        points += x1 - x0 + 1;
    };
    const TCoverageResult r = RunPolygonCoverage(c.Net, c.Window, c.View, c.Settings, c.Names, sink);
    ASSERT_EQ(r.Zones.size(), 1u);
    EXPECT_EQ(r.Zones[0].Zone, shown);
    EXPECT_EQ(r.Zones[0].Covered, 29 - 1); // the 29 points of a disk of radius 3
    EXPECT_EQ(r.Marked, 29);
    EXPECT_EQ(points, 29);
    EXPECT_EQ(spans, 7);
    EXPECT_EQ(Val(hidden, 3), 0);
}

TEST(PolygonCoverage, RefusalsAndRepeatedPoints)
{
    TCoverageCase c;
    c.Zone({{0, 0}, {40, 0}, {40, 40}, {0, 40}});
    EXPECT_EQ(c.Run().Status, "Working..."); // no element name
    c.Names = {"", "E9"};
    EXPECT_EQ(c.Run().Status, "Working...");
    c.Names.clear();
    c.PolygonElement({{0, 0}, {10, 10}}); // two vertices: no area to cover with
    EXPECT_EQ(c.Run().Status, "Polygon not found");
    c.Settings.ElementType = CoverageNodeCircle;
    c.Names = {"Nobody"};
    EXPECT_EQ(c.Run().Status, "Node for buffering not found");
    c.Settings.ElementType = CoverageLinkBlunt;
    EXPECT_EQ(c.Run().Status, "Link buffer not found");

}

TEST(PolygonCoverage, RepeatedPointsLeaveBuffersWhole)
{
    // A shape point on top of the A node, another on top of the last one.
    TCoverageCase c;
    c.Zone({{0, 0}, {40, 0}, {40, 40}, {0, 40}});
    c.Settings.ElementType = CoverageLinkSausage;
    c.Settings.BufferRadius = 6;
    c.LinkLine({{10, 10}, {10, 10}, {30, 10}, {30, 10}, {30, 30}}, {{10, 10}, {30, 10}, {30, 30}});
    const TCoverageResult r = c.Run();
    ASSERT_EQ(r.Zones.size(), 1u);
    EXPECT_EQ(r.Zones[0].Covered,
              Covered(gr::CoverageHalves(c.Zones.begin()->second, c.Elements, gr::Sausage, 6, false)));
}

TEST(PolygonCoverage, ShapelyClassesTheSameGridPoints)
{
    std::string why;
    if (!PythonHas("shapely, numpy", why)) GTEST_SKIP() << why;
    std::mt19937 rng(5);
    TCoverageCase c;
    std::ostringstream spec;
    for (int z = 0; z < 4; ++z) c.Zone(StarRing(rng, 4 + int(rng() % 9), 20 + 30 * z, 40, 30));
    for (int e = 0; e < 3; ++e) c.PolygonElement(StarRing(rng, 6 + int(rng() % 6), 30 + 40 * e, 50, 35));
    const TCoverageResult r = c.Run();
    ASSERT_EQ(r.Zones.size(), 4u);
    for (const TZoneCoverage& z : r.Zones) {
        spec << "Z";
        for (const TIntPoint& p : c.Zones[z.Zone]) spec << ' ' << p.X << ' ' << p.Y;
        spec << '\n';
    }
    for (const auto& e : c.Elements) {
        spec << "E";
        for (const TIntPoint& p : e.Points) spec << ' ' << p.X << ' ' << p.Y;
        spec << '\n';
    }
    const std::string path = ::testing::TempDir() + "tarvex_coverage.txt";
    std::ofstream(path) << spec.str();
    // Union of the elements: inside a zone and inside an element counts 1;
    // on a boundary of either (and in both) one half. Simple rings only, so
    // the point classes of shapely and of the point test agree.
    const std::string script = R"(
import sys, numpy as np
from shapely.geometry import Polygon
import shapely.vectorized as sv
zones, elems = [], []
for line in open(sys.argv[1]):
    f = line.split(); pts = list(zip(map(int, f[1::2]), map(int, f[2::2])))
    (zones if f[0] == 'Z' else elems).append(pts)
def classes(pts, X, Y):
    p = Polygon(pts)
    if not p.is_valid: return None
    return np.where(sv.contains(p, X, Y), 2, np.where(sv.touches(p, X, Y), 1, 0))
for z in zones:
    xs = [p[0] for p in z]; ys = [p[1] for p in z]
    X, Y = np.meshgrid(np.arange(min(xs), max(xs) + 1), np.arange(min(ys), max(ys) + 1))
    zc = classes(z, X, Y)
    ec = [classes(e, X, Y) for e in elems]
    if zc is None or any(e is None for e in ec): print('invalid'); continue
    anyin = np.zeros(X.shape, bool); anyedge = np.zeros(X.shape, bool)
    for e in ec: anyin |= e == 2; anyedge |= e == 1
    full = (zc == 2) & anyin
    half = ~full & (zc != 0) & (anyedge | (anyin & (zc == 1)))
    print(int(full.sum()) * 2 + int(half.sum()))
)";
    std::istringstream out(RunPython(script, path));
    int checked = 0;
    for (const TZoneCoverage& z : r.Zones) {
        std::string word;
        out >> word;
        if (word == "invalid") continue; // a self-crossing ring: shapely has no classes for it
        EXPECT_EQ(z.Covered, Covered(std::stoll(word))) << z.Zone->Name;
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}
