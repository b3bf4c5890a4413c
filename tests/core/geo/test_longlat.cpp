#include "core/geo/LongLat.h"

#include "core/geo/StatisticsLibrary.h"
#include "core/model/DisplaySettings.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/NetworkQueries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>

namespace {

TNode* Add(TNetwork& net, int32_t x, int32_t y, int32_t lon = 0, int32_t lat = 0)
{
    THashEntry* cell;
    TNode* n = AddNode(net, x, y, cell, false, 0);
    n->Longitude = lon;
    n->Latitude = lat;
    return n;
}

TLink* Connect(TNetwork& net, TNode* a, TNode* b)
{
    TLink *ha, *hb;
    AddLink(net, a, b, false, 0, ha, hb);
    return ha;
}

TShapePoint* Shape(TNetwork& net, TLink* h, int32_t x, int32_t y)
{
    return AddShapePoint(net, x, y, h->LinkValues->ShapePoints.GetCount(), h);
}

TEST(LongLatMath, ProjectionsRoundTripWithinOneTenMillionthDegree)
{
    for (int method : {2, 3}) {
        for (double ppd : {-1000.0, -36000.0, 500.0}) {
            TLongLatPivot pivot{12345.5, -6789.25, -882500000, 405000000};
            TProjection proj;
            ASSERT_TRUE(SetupPivotProjection(proj, method, pivot, ppd));
            int worst = 0;
            for (int i = -6; i <= 6; ++i)
                for (int j = -6; j <= 6; ++j) {
                    const int32_t lon = pivot.Longitude + i * 3300000 + j * 17;
                    const int32_t lat = pivot.Latitude + j * 2500000 - i * 31;
                    double x, y;
                    ASSERT_TRUE(PositionFromLongLat(method, proj, lon, lat, pivot, ppd, x, y));
                    int32_t lon2 = 0, lat2 = 0;
                    ASSERT_TRUE(ProjectedPosition(proj, x, y, pivot, ppd, lon2, lat2));
                    worst = std::max({worst, std::abs(lon2 - lon), std::abs(lat2 - lat)});
                }
            EXPECT_LE(worst, 1) << "method " << method << " scale " << ppd;
        }
    }
}

} // namespace

TEST(LongLatPasses, LinearCosineAroundThePivot)
{
    TNetwork net;
    const double ppd = -1000; // Y grows south
    TNode* pivot = Add(net, 1000, 2000, -882500000, 405000000);
    pivot->Name = "PIVOT";
    TNode* same = Add(net, 1000, 2000);
    TNode* south = Add(net, 1000, 3000);
    TNode* east = Add(net, 1500, 2000);
    int32_t unfitted = -1;
    ASSERT_EQ(ComputeLongLatByInterpolation(net, pivot, 1, false, false, 0, ppd, unfitted), TLongLatStatus::Done);
    EXPECT_EQ(unfitted, 0);
    EXPECT_EQ(same->Longitude, pivot->Longitude);
    EXPECT_EQ(same->Latitude, pivot->Latitude);
    EXPECT_EQ(south->Latitude, pivot->Latitude - 10000000);
    EXPECT_EQ(south->Longitude, pivot->Longitude);
    // 500 units east at 40.5 degrees: 0.5 / cos(40.5) degrees of longitude.
    EXPECT_EQ(east->Latitude, pivot->Latitude);
    EXPECT_EQ(east->Longitude, pivot->Longitude + std::lround(0.5 / std::cos(40.5 * std::numbers::pi / 180) * 1e7));
    EXPECT_TRUE(net.Modified);

    // Refused settings change nothing.
    east->Longitude = 0;
    EXPECT_EQ(ComputeLongLatByInterpolation(net, pivot, 1, false, false, 0, 0.0, unfitted), TLongLatStatus::BadScale);
    EXPECT_EQ(east->Longitude, 0);

    // The one-point computation finds the pivot by name.
    TLongLatSettings st;
    st.LongLatMethod = 1;
    st.PixelsPerDegreeLat = ppd;
    st.PivotNodeName = "PIV*";
    EXPECT_TRUE(ComputeLongLatFromXY(net, st, *east));
    EXPECT_NE(east->Longitude, 0);
    st.PivotNodeName = "NOBODY";
    south->Latitude = 0;
    EXPECT_TRUE(ComputeLongLatFromXY(net, st, *south));
    EXPECT_EQ(south->Latitude, 0);
}

TEST(LongLatPasses, SelectionByZerosAndFreeNodes)
{
    TNetwork net;
    TNode* pivot = Add(net, 0, 0, -882500000, 405000000);
    TNode* a = Add(net, 100, 0, 5, 5);
    TNode* b = Add(net, 0, 100, 7, 0);
    TLink* h = Connect(net, a, b);
    TShapePoint* s = Shape(net, h, 50, 50);
    TNode* freeKnown = Add(net, 300, 300, 9, 9);
    int32_t unfitted;
    ComputeLongLatByInterpolation(net, pivot, 1, true, true, 0, -1000, unfitted);
    EXPECT_EQ(a->Longitude, 5);
    EXPECT_EQ(b->Latitude, 0);
    EXPECT_EQ(s->Longitude, 0);
    EXPECT_NE(freeKnown->Longitude, 9); // free node recomputed though known
    ComputeLongLatByInterpolation(net, pivot, 1, true, false, 0, -1000, unfitted);
    EXPECT_EQ(a->Longitude, 5);  // both known: kept
    EXPECT_NE(b->Latitude, 0);   // one zero: filled
    EXPECT_NE(s->Longitude, 0);
}

TEST(LongLatPasses, StatisticalFitOverKnownPointsInRange)
{
    TNetwork net;
    // Known points on an exact linear relation of long to X and lat to Y.
    auto lonOf = [](double x) { return -880000000 + 2000.0 * x; };
    auto latOf = [](double y) { return 400000000 - 3000.0 * y; };
    std::vector<TNode*> known;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j) {
            const int x = i * 300 + j * 7, y = j * 300 + i * 11;
            known.push_back(Add(net, x, y, int32_t(lonOf(x)), int32_t(latOf(y))));
        }
    TNode* inside = Add(net, 650, 610);
    TNode* far = Add(net, 100000, 100000);
    TNode* oneColumn = Add(net, -5000, 0);
    Add(net, -5000, 100, -1, -1); // both known points of its range at one X
    Add(net, -5000, 200, -1, -2);
    int32_t unfitted = -1;
    ASSERT_EQ(ComputeLongLatByInterpolation(net, nullptr, 0, false, false, 500, 0, unfitted), TLongLatStatus::Done);
    EXPECT_EQ(inside->Longitude, int32_t(lonOf(650)));
    EXPECT_EQ(inside->Latitude, int32_t(latOf(610)));
    EXPECT_EQ(far->Longitude, 0);
    EXPECT_EQ(oneColumn->Longitude, 0);
    EXPECT_EQ(unfitted, 2);
    for (TNode* k : known)
        EXPECT_EQ(k->LongLatKnown, 1);

    // A cell much wider than the range that holds the point with no edge
    // near it is skipped: nothing within range is found.
    TNetwork wide;
    wide.NodeHash.CellWidth = wide.NodeHash.CellHeight = 1000000;
    Add(wide, 500, 500, 1, 1);
    Add(wide, 510, 520, 2, 2);
    TNode* p = Add(wide, 505, 505);
    EXPECT_EQ(ComputeLongLatByInterpolation(wide, nullptr, 0, true, false, 100, 0, unfitted), TLongLatStatus::Done);
    EXPECT_EQ(unfitted, 1);
    EXPECT_EQ(p->Longitude, 0);
}

TEST(LongLatPasses, ProjectionPassesRoundTripThroughTheNetwork)
{
    for (int method : {2, 3}) {
        TNetwork net;
        const double ppd = -3000;
        TNode* pivot = Add(net, 1000, -2000, -882500000, 405000000);
        std::vector<std::pair<TNode*, std::pair<int32_t, int32_t>>> nodes;
        for (int i = -3; i <= 3; ++i)
            for (int j = -3; j <= 3; ++j) {
                const int32_t lon = pivot->Longitude + i * 4000000 + j * 1234;
                const int32_t lat = pivot->Latitude + j * 3000000 - i * 77;
                nodes.push_back({Add(net, 0, 0, lon, lat), {lon, lat}});
            }
        int32_t refused = -1;
        ASSERT_EQ(ComputeXYFromLongLat(net, *pivot, method, ppd, refused), TLongLatStatus::Done);
        EXPECT_EQ(refused, 0);
        EXPECT_EQ(pivot->X, 1000);
        EXPECT_EQ(pivot->Y, -2000);
        // North is up (smaller Y), east to the right.
        TNode* ne = nodes.back().first;
        EXPECT_LT(ne->Y, pivot->Y);
        EXPECT_GT(ne->X, pivot->X);
        // Moved points are found at their new position.
        TViewRecord view;
        TNode* found = nullptr;
        TShapePoint* sp = nullptr;
        ASSERT_TRUE(FindNearestPoint(net, view, found, sp, false, true, ne->X, ne->Y));
        EXPECT_EQ(found, ne);

        for (auto& [n, ll] : nodes)
            n->Longitude = n->Latitude = 0;
        ASSERT_EQ(ComputeLongLatByProjection(net, *pivot, method, true, false, ppd), TLongLatStatus::Done);
        for (auto& [n, ll] : nodes) {
            EXPECT_LE(std::abs(n->Longitude - ll.first), 1) << method;
            EXPECT_LE(std::abs(n->Latitude - ll.second), 1) << method;
        }
    }
}

TEST(LongLatPasses, RefusedProjectionsAndScalesChangeNothing)
{
    TNetwork net;
    TNode* equator = Add(net, 0, 0, -882500000, 0); // usable: longitude known
    TNode* other = Add(net, 10, 10);
    TNode* nowhere = Add(net, 20, 20);
    int32_t refused;
    net.SetAllowClose(true);
    // No Lambert cone has its origin on the equator.
    EXPECT_EQ(ComputeLongLatByProjection(net, *equator, 3, false, false, -1000), TLongLatStatus::BadProjection);
    EXPECT_EQ(ComputeXYFromLongLat(net, *equator, 3, -1000, refused), TLongLatStatus::BadProjection);
    EXPECT_EQ(ComputeLongLatByProjection(net, *equator, 2, false, false, 0), TLongLatStatus::BadScale);
    EXPECT_EQ(ComputeLongLatByProjection(net, *nowhere, 2, false, false, -1000), TLongLatStatus::BadPivot);
    EXPECT_EQ(ComputeXYFromLongLat(net, *equator, 1, 0, refused), TLongLatStatus::BadScale);
    EXPECT_EQ(other->Longitude, 0);
    EXPECT_EQ(other->X, 10);
    EXPECT_FALSE(net.Modified);
    // The transverse Mercator has no such limit.
    EXPECT_EQ(ComputeLongLatByProjection(net, *equator, 2, false, false, -1000), TLongLatStatus::Done);
    EXPECT_NE(other->Longitude, 0);
}

TEST(LongLatPasses, XYAcrossTheAntimeridianIn64Bits)
{
    TNetwork net;
    const double ppd = -10;
    TNode* pivot = Add(net, 0, 0, 1799999000, 0);
    pivot->Latitude = 100; // usable: not both 0
    TNode* west = Add(net, 5, 5, -1799999000, 100);
    int32_t refused;
    ASSERT_EQ(ComputeXYFromLongLat(net, *pivot, 1, ppd, refused), TLongLatStatus::Done);
    // 359.9998 degrees west of the pivot along the parallel.
    const double expected = std::cos(1e-5 * std::numbers::pi / 180) * 10 * (-3599998000.0) / 1e7;
    EXPECT_NEAR(west->XF(net), expected, 1e-9);
    EXPECT_EQ(west->X, int32_t(std::nearbyint(expected)));
    EXPECT_EQ(west->Y, 0);
}

TEST(Elevations, ConstantLocksAndLinearAlongLinks)
{
    TNetwork net;
    TNode* a = Add(net, 0, 0);
    TNode* b = Add(net, 100, 0);
    TLink* h = Connect(net, a, b);
    TShapePoint* s1 = Shape(net, h, 30, 40); // 50 along
    TShapePoint* s2 = Shape(net, h, 60, 0);  // 100 along, 140 in all
    EXPECT_FALSE(SetConstantElevation(net, false, true, 100000)); // stored form reaches 1e9
    EXPECT_EQ(a->Elevation, 0);
    b->ExcludeFromTriangulation = 1;
    EXPECT_TRUE(SetConstantElevation(net, false, false, 2.5));
    EXPECT_EQ(a->Elevation, 25000);
    EXPECT_EQ(b->Elevation, 0);
    EXPECT_EQ(s1->Elevation, 0);
    b->Elevation = 165000;
    InterpolateShapeElevations(net, 1.0, true, true);
    EXPECT_EQ(s1->Elevation, int32_t(std::nearbyint(140000.0 * 50 / 140 + 25000)));
    EXPECT_EQ(s2->Elevation, 125000);
    EXPECT_EQ(h->LinkValues->ExcludeShapesFromTriangulation, 1);
    UnlockElevations(net);
    EXPECT_EQ(b->ExcludeFromTriangulation, 0);
    EXPECT_EQ(h->LinkValues->ExcludeShapesFromTriangulation, 0);

    // A link whose ends and shape points coincide: every shape point gets A's.
    TNode* c = Add(net, 500, 500);
    TNode* d = Add(net, 500, 500);
    c->Elevation = 70000;
    d->Elevation = 90000;
    TLink* g = Connect(net, c, d);
    TShapePoint* t = Shape(net, g, 500, 500);
    InterpolateLinkShapeElevations(net, 1.0, g);
    EXPECT_EQ(t->Elevation, 70000);
}

TEST(Elevations, TriangulationFillsAndLocks)
{
    TNetwork net;
    for (int x = 0; x <= 400; x += 100)
        for (int y = 0; y <= 400; y += 100)
            Add(net, x, y)->Elevation = 10000 + 10 * x + 20 * y;
    TNode* inside = Add(net, 150, 250);
    TNode* outside = Add(net, 900, 900);
    TNode* locked = Add(net, 120, 130);
    locked->ExcludeFromTriangulation = 1;
    TMessageSinkRecorder sink;
    EXPECT_EQ(InterpolateElevations(net, false, false, true, &sink), 2);
    EXPECT_EQ(inside->Elevation, 10000 + 1500 + 5000);
    EXPECT_EQ(inside->ExcludeFromTriangulation, 1);
    EXPECT_EQ(outside->Elevation, 0);
    EXPECT_EQ(locked->Elevation, 0);
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_DOUBLE_EQ(InterpolateElevationAt(net, *locked, false), 10000 + 1200 + 2600);

    // A second run uses neither the locked nodes as vertices nor recomputes them.
    inside->Elevation = 1;
    TNode* next = Add(net, 151, 251);
    EXPECT_EQ(InterpolateElevations(net, false, false, true, &sink), 2);
    EXPECT_EQ(inside->Elevation, 1);
    EXPECT_EQ(next->Elevation, 10000 + 1510 + 5020);
}

namespace {

TEST(LongLatPasses, ScaleEstimateFromTwoNodes)
{
    TNetwork net;
    TNode* pivot = Add(net, 0, 0, -882500000, 405000000);
    TNode* second = Add(net, 300, -1000, -882000000, 415000000);
    double ppd = 7;
    EXPECT_EQ(EstimatePixelsPerDegreeLat(net, 0, *pivot, *second, ppd), TLongLatStatus::BadMethod);
    ASSERT_EQ(EstimatePixelsPerDegreeLat(net, 1, *pivot, *second, ppd), TLongLatStatus::Done);
    EXPECT_DOUBLE_EQ(ppd, -1000);
    // Place the second node where a known scale puts it; the estimate finds
    // that scale again.
    for (int method : {2, 3}) {
        TProjection proj;
        ASSERT_TRUE(SetupPivotProjection(proj, method, PivotOf(net, *pivot), -1234.5));
        ASSERT_TRUE(proj.Project(second->Longitude / 1e7, second->Latitude / 1e7));
        second->Y = int32_t(std::nearbyint(proj.Y));
        ASSERT_EQ(EstimatePixelsPerDegreeLat(net, method, *pivot, *second, ppd), TLongLatStatus::Done);
        EXPECT_NEAR(ppd, -1234.5 * second->Y / proj.Y, 1e-6) << method;
    }
    // Equal latitudes would divide by zero.
    second->Latitude = pivot->Latitude;
    ppd = 7;
    EXPECT_EQ(EstimatePixelsPerDegreeLat(net, 1, *pivot, *second, ppd), TLongLatStatus::SameLatitude);
    EXPECT_EQ(ppd, 7);
}

} // namespace

namespace {

// The statistical fit the slow way: every cell of the table in key order.
bool ReferenceFit(const TNetwork& net, const TNetworkPoint& p, double R, int32_t& lon, int32_t& lat)
{
    TLinearRegression fx, fy;
    const double px = p.XF(net), py = p.YF(net);
    for (const THashEntry* c : net.NodeHash) {
        if (!((std::fabs(c->X0 - px) <= R || std::fabs(c->X1 - px) <= R) &&
              (std::fabs(c->Y0 - py) <= R || std::fabs(c->Y1 - py) <= R)))
            continue;
        for (const TNetworkPoint* q : c->Points) {
            const double qx = q->XF(net), qy = q->YF(net);
            if (q->Longitude != 0 && q->Latitude != 0 && q->LongLatKnown &&
                std::sqrt((px - qx) * (px - qx) + (py - qy) * (py - qy)) <= R) {
                fx.AddPoint(qx, q->Longitude);
                fy.AddPoint(qy, q->Latitude);
            }
        }
    }
    double a, b, c, d;
    if (!fx.Compute(a, b) || !fy.Compute(c, d))
        return false;
    lon = int32_t(std::nearbyint(a * px + b));
    lat = int32_t(std::nearbyint(c * py + d));
    return true;
}

TEST(LongLatPasses, StatisticalCellLookupMatchesTheFullWalk)
{
    // Cells on both sides of X = 0 (cell X ordered as unsigned), clusters far
    // apart and ranges from a fraction of a cell to many cells; fractional
    // positions keep the sums inexact.
    std::mt19937 rng(5);
    std::uniform_int_distribution<int32_t> pos(-3000, 3000);
    std::uniform_int_distribution<int32_t> noise(-20000, 20000);
    std::uniform_real_distribution<double> frac(-0.5, 0.5);
    TNetwork net;
    std::vector<TNode*> unknown;
    for (int i = 0; i < 3000; ++i) {
        const int32_t x = 245000 * (i % 2) + pos(rng), y = pos(rng) - 400000 * (i % 3 == 0);
        TNode* n = Add(net, x, y);
        const double xf = x + frac(rng), yf = y + frac(rng); // inexact sums
        n->SetFraction(net, xf, yf);
        if (i % 4)
            n->Longitude = 1600000000 + 3000 * x / 7 + noise(rng), n->Latitude = -800000000 + 200 * y + noise(rng);
        else
            unknown.push_back(n);
    }
    for (double range : {40.0, 700.0, 5000.0}) {
        ForEachNode(net, [](TNode* n) { n->LongLatKnown = n->Longitude != 0 && n->Latitude != 0; });
        for (TNode* n : unknown) {
            int32_t lon = 0, lat = 0;
            const bool expected = ReferenceFit(net, *n, range, lon, lat);
            n->Longitude = n->Latitude = 0;
            ASSERT_EQ(StatisticalLongLat(net, *n, true, false, false, range), expected) << range;
            if (expected) {
                ASSERT_EQ(n->Longitude, lon) << range;
                ASSERT_EQ(n->Latitude, lat) << range;
            }
            n->Longitude = n->Latitude = 0;
        }
    }
}

} // namespace
