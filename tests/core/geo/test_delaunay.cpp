#include "core/geo/Delaunay.h"
#include "core/geo/StatisticsLibrary.h"
#include "core/model/Geometry.h"
#include "core/model/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// The triangulation done the slow way: every triangle slot is scanned for
// every vertex. The indexed triangulation must give the same triangles in
// the same order.
struct RefTriangle {
    int32_t p[3];
    bool known = false;
    double xc = 0, yc = 0, r = 0;
};

std::vector<RefTriangle> ReferenceTriangulation(const TDelaunay& d)
{
    const int32_t n = d.VertexSlot - 1;
    std::vector<TDVertex> v(static_cast<size_t>(n) + 4);
    for (int32_t i = 1; i <= n; ++i)
        v[static_cast<size_t>(i)] = d.Vertices[i];
    double xmin = v[1].X, xmax = xmin, ymin = v[1].Y, ymax = ymin;
    for (int32_t i = 2; i <= n; ++i) {
        xmin = std::min(xmin, v[i].X);
        xmax = std::max(xmax, v[i].X);
        ymin = std::min(ymin, v[i].Y);
        ymax = std::max(ymax, v[i].Y);
    }
    const double dmax = std::max(xmax - xmin, ymax - ymin);
    const double xmid = std::trunc((xmax + xmin) / 2), ymid = std::trunc((ymax + ymin) / 2);
    v[n + 1] = {pround(xmid - 2 * dmax), pround(ymid - dmax), 0};
    v[n + 2] = {pround(xmid), pround(ymid + 2 * dmax), 0};
    v[n + 3] = {pround(xmid + 2 * dmax), pround(ymid - dmax), 0};
    std::vector<RefTriangle> t(2);
    std::vector<char> complete(2, 0);
    t[1].p[0] = n + 1;
    t[1].p[1] = n + 2;
    t[1].p[2] = n + 3;
    int32_t count = 1;
    for (int32_t i = 1; i <= n; ++i) {
        const double xp = v[i].X, yp = v[i].Y;
        std::vector<std::pair<int32_t, int32_t>> edges;
        for (int32_t j = 1; j <= count;) {
            if (complete[j]) {
                ++j;
                continue;
            }
            RefTriangle& tr = t[j];
            if (!tr.known) {
                const TDVertex &a = v[tr.p[0]], &b = v[tr.p[1]], &c = v[tr.p[2]];
                if (!TDelaunay::Circumcircle(a.X, a.Y, b.X, b.Y, c.X, c.Y, tr.xc, tr.yc, tr.r)) {
                    ++j;
                    continue;
                }
                tr.known = true;
            }
            if (tr.xc + tr.r < xp) {
                complete[j] = 1;
                ++j;
                continue;
            }
            const double dx = xp - tr.xc, dy = yp - tr.yc;
            if (dx * dx + dy * dy <= tr.r * tr.r) {
                edges.push_back({tr.p[0], tr.p[1]});
                edges.push_back({tr.p[1], tr.p[2]});
                edges.push_back({tr.p[2], tr.p[0]});
                t[j] = t[count];
                complete[j] = complete[count];
                --count;
                continue;
            }
            ++j;
        }
        for (size_t j = 0; j + 1 < edges.size(); ++j)
            for (size_t k = j + 1; k < edges.size(); ++k)
                if (edges[j].first == edges[k].second && edges[j].second == edges[k].first) {
                    edges[j] = {-1, -1};
                    edges[k] = {-1, -1};
                }
        for (auto [a, b] : edges)
            if (a >= 0) {
                ++count;
                t.resize(static_cast<size_t>(count) + 1);
                complete.resize(static_cast<size_t>(count) + 1);
                t[count] = RefTriangle{{a, b, i}};
                complete[count] = 0;
            }
    }
    for (int32_t j = 1; j <= count;) {
        if (t[j].p[0] > n || t[j].p[1] > n || t[j].p[2] > n) {
            t[j] = t[count];
            --count;
        } else {
            ++j;
        }
    }
    t.resize(static_cast<size_t>(count) + 1);
    return t;
}

// Interpolation the slow way: the triangles scanned from the last.
int32_t ReferenceInterpolate(const TDelaunay& d, int32_t X, int32_t Y)
{
    const double x = X, y = Y;
    for (int32_t k = d.TriangleCount; k >= 1; --k) {
        const TDTriangle& t = d.Triangles[k];
        if (!(t.MinX <= X && X <= t.MaxX && t.MinY <= Y && Y <= t.MaxY))
            continue;
        const TDVertex* p[3] = {&d.Vertices[t.P1], &d.Vertices[t.P2], &d.Vertices[t.P3]};
        double s[3];
        bool holds = true;
        for (int e = 0; e < 3; ++e) {
            const TDVertex &a = *p[e], &b = *p[(e + 1) % 3];
            s[e] = (y - a.Y) * (b.X - a.X) - (b.Y - a.Y) * (x - a.X);
            holds = holds && s[e] <= 1e-12;
        }
        if (!holds)
            continue;
        auto dist = [](double x1, double y1, double x2, double y2) {
            return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
        };
        double px[3], py[3];
        for (int e = 0; e < 3; ++e) {
            px[e] = pround(p[e]->X);
            py[e] = pround(p[e]->Y);
        }
        for (int e = 0; e < 3; ++e)
            if (std::fabs(s[e]) <= 1e-12) {
                const int m = (e + 1) % 3;
                return static_cast<int32_t>(pround(p[e]->Z + (p[m]->Z - p[e]->Z) * dist(px[e], py[e], x, y) /
                                                                 dist(px[e], py[e], px[m], py[m])));
            }
        TGeoPoint ip;
        double ix, iy;
        if (!LineIntersection(px[0], py[0], x, y, px[1], py[1], px[2], py[2], true, ip, ix, iy))
            return 0;
        const double zi = p[1]->Z + (p[2]->Z - p[1]->Z) * dist(px[1], py[1], ix, iy) / dist(px[1], py[1], px[2], py[2]);
        return static_cast<int32_t>(pround(p[0]->Z + (zi - p[0]->Z) * dist(px[0], py[0], x, y) / dist(px[0], py[0], ix, iy)));
    }
    return 0;
}

void ExpectSameAsReference(TDelaunay& d, int32_t queryStep, bool withQueries = true)
{
    d.Mesh();
    const std::vector<RefTriangle> ref = ReferenceTriangulation(d);
    ASSERT_EQ(d.TriangleCount, static_cast<int32_t>(ref.size()) - 1);
    int32_t minx = INT32_MAX, miny = INT32_MAX, maxx = INT32_MIN, maxy = INT32_MIN;
    for (int32_t k = 1; k <= d.TriangleCount; ++k) {
        const TDTriangle& t = d.Triangles[k];
        ASSERT_EQ(t.P1, ref[k].p[0]) << "triangle " << k;
        ASSERT_EQ(t.P2, ref[k].p[1]) << "triangle " << k;
        ASSERT_EQ(t.P3, ref[k].p[2]) << "triangle " << k;
        minx = std::min(minx, t.MinX);
        miny = std::min(miny, t.MinY);
        maxx = std::max(maxx, t.MaxX);
        maxy = std::max(maxy, t.MaxY);
    }
    for (int32_t x = minx - 2; withQueries && x <= maxx + 2; x += queryStep)
        for (int32_t y = miny - 2; y <= maxy + 2; y += queryStep)
            ASSERT_EQ(d.Interpolate(x, y), ReferenceInterpolate(d, x, y)) << x << "," << y;
}

TEST(Delaunay, MatchesTheFullScanOnScatteredCollinearAndCocircularSets)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 12; ++round) {
        TDelaunay d;
        const int n = 30 + round * 150;
        // Small coordinate ranges give many repeated X and Y values,
        // collinear runs and cocircular quadruples.
        const int range = round % 3 == 0 ? 40 : (round % 3 == 1 ? 400 : 100000);
        std::uniform_int_distribution<int> c(-range, range);
        std::uniform_int_distribution<int> z(1, 5000000);
        for (int i = 0; i < n; ++i)
            d.AddPoint(c(rng), c(rng), z(rng));
        ExpectSameAsReference(d, std::max(1, range / 20));
    }
    // A square lattice: every cell's four corners are cocircular.
    TDelaunay lattice;
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 15; ++y)
            lattice.AddPoint(x * 10, y * 10, (x + 1) * 10000 + y * 3);
    ExpectSameAsReference(lattice, 3);
}

TEST(Delaunay, DuplicatesAreStoredOnceWhateverTheOrder)
{
    TDelaunay d;
    EXPECT_TRUE(d.AddPoint(10, 0, 1));
    EXPECT_TRUE(d.AddPoint(5, 0, 2));
    // Its X is below the first vertex's, yet the second vertex is equal.
    EXPECT_FALSE(d.AddPoint(5, 0, 3));
    EXPECT_FALSE(d.AddPoint(5 + 5e-7, -5e-7, 3));
    EXPECT_TRUE(d.AddPoint(5 + 3e-6, 0, 3));
    EXPECT_EQ(d.VertexCount(), 3);
    EXPECT_EQ(d.Vertices[2].Y, -0.0);
    EXPECT_FALSE(d.AddPoint(NAN, 0, 1));
    EXPECT_FALSE(d.AddPoint(0, INFINITY, 1));
    EXPECT_FALSE(d.AddPoint(2e9, 0, 1));
    EXPECT_EQ(d.VertexCount(), 3);
}

TEST(Delaunay, FewerThanThreeVerticesGiveNoTriangles)
{
    TDelaunay d;
    d.Mesh();
    EXPECT_EQ(d.TriangleCount, 0);
    EXPECT_EQ(d.Interpolate(0, 0), 0);
    d.AddPoint(0, 0, 100);
    d.AddPoint(10, 10, 100);
    d.Mesh();
    EXPECT_EQ(d.TriangleCount, 0);
    EXPECT_EQ(d.Interpolate(5, -5), 0);
}

TEST(Delaunay, InterpolatesOnVerticesEdgesAndInside)
{
    TDelaunay d;
    d.AddPoint(0, 0, 10000);
    d.AddPoint(100, 0, 10000);
    d.AddPoint(0, 100, 10000);
    d.Mesh();
    ASSERT_EQ(d.TriangleCount, 1);
    EXPECT_EQ(d.Interpolate(20, -30), 10000);
    EXPECT_EQ(d.Interpolate(200, -30), 0); // outside the hull

    // A plane is reproduced exactly: z = 30x + 20y + 5000 (y as given).
    TDelaunay p;
    auto z = [](double x, double y) { return 30 * x + 20 * y + 5000; };
    const int pts[][2] = {{0, 0}, {100, 0}, {0, 100}, {100, 100}, {50, 40}, {20, 80}};
    for (auto& q : pts)
        p.AddPoint(q[0], q[1], z(q[0], q[1]));
    p.Mesh();
    EXPECT_EQ(p.Interpolate(100, -100), z(100, 100)); // a vertex
    EXPECT_EQ(p.Interpolate(0, -50), z(0, 50));      // on the hull edge
    EXPECT_EQ(p.Interpolate(75, 0), z(75, 0));
    for (int x = 1; x < 100; x += 7)
        for (int y = 1; y < 100; y += 9)
            EXPECT_NEAR(p.Interpolate(x, -y), z(x, y), 1.0) << x << "," << y;

    // Edge interpolation between two Z values.
    TDelaunay e;
    e.AddPoint(0, 0, 0 + 1);
    e.AddPoint(100, 0, 1001);
    e.AddPoint(50, 100, 1);
    e.Mesh();
    EXPECT_EQ(e.Interpolate(25, 0), 251);
}

TEST(Delaunay, CoincidentMessageAtMostOncePerTriangulation)
{
    std::vector<std::string> said;
    TDelaunay d;
    d.Message = [&](const std::string& m) { said.push_back(m); };
    // The lowest vertex lies on the line of two super vertices: the flat
    // triangle it makes is tested against each later vertex.
    const double pts[][2] = {{2, 1}, {2, 0}, {2.5, 1}, {2.25, 0.5}, {3, 0}, {3, 1}, {2.75, 1}};
    for (auto& q : pts)
        d.AddPoint(q[0], q[1], 1);
    d.Mesh();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0], "INCIRCUM - F - Points are coincident !!");
    d.Mesh();
    EXPECT_EQ(said.size(), 2u);
    // The vertices round to coinciding integer points, so some edges have
    // length 0: the values stay those of the vertices, never 0/0.
    ExpectSameAsReference(d, 1, false);
    for (int x = 0; x < 5; ++x)
        for (int y = -3; y < 2; ++y) {
            const int32_t v = d.Interpolate(x, y);
            EXPECT_TRUE(v == 0 || v == 1) << x << "," << y << ": " << v;
        }
}

TEST(Delaunay, CircumcircleAndItsSpecialCases)
{
    double xc, yc, r;
    ASSERT_TRUE(TDelaunay::Circumcircle(0, 0, 4, 0, 0, 2, xc, yc, r)); // y1 = y2
    EXPECT_DOUBLE_EQ(xc, 2);
    EXPECT_DOUBLE_EQ(yc, 1);
    EXPECT_DOUBLE_EQ(r, std::sqrt(5.0));
    ASSERT_TRUE(TDelaunay::Circumcircle(0, 2, 0, 0, 4, 0, xc, yc, r)); // y2 = y3
    EXPECT_DOUBLE_EQ(xc, 2);
    EXPECT_DOUBLE_EQ(yc, 1);
    ASSERT_TRUE(TDelaunay::Circumcircle(1, 1, 3, 5, 7, 3, xc, yc, r));
    EXPECT_NEAR(std::hypot(1 - xc, 1 - yc), r, 1e-12);
    EXPECT_NEAR(std::hypot(7 - xc, 3 - yc), r, 1e-12);
    EXPECT_FALSE(TDelaunay::Circumcircle(0, 5, 3, 5 + 5e-7, 9, 5, xc, yc, r)); // one horizontal line
}

TEST(LinearRegression, FitsTheLineAndRefusesDegenerateSets)
{
    TLinearRegression r;
    double s = 9, i = 9;
    EXPECT_FALSE(r.Compute(s, i));
    EXPECT_EQ(s, 0);
    EXPECT_EQ(i, 0);
    r.AddPoint(0, 1);
    r.AddPoint(1, 3);
    r.AddPoint(2, 5);
    ASSERT_TRUE(r.Compute(s, i));
    EXPECT_DOUBLE_EQ(s, 2);
    EXPECT_DOUBLE_EQ(i, 1);

    // A textbook set: x = 1..5, y = 2, 4, 5, 4, 5 gives y = 0.6x + 2.2.
    r.Reset();
    const double ys[] = {2, 4, 5, 4, 5};
    for (int k = 0; k < 5; ++k)
        r.AddPoint(k + 1, ys[k]);
    ASSERT_TRUE(r.Compute(s, i));
    EXPECT_NEAR(s, 0.6, 1e-12);
    EXPECT_NEAR(i, 2.2, 1e-12);

    // All X at one position, including one the sums cannot cancel exactly.
    for (double x : {5.0, 0.1, 123456.789}) {
        r.Reset();
        r.AddPoint(x, 1);
        r.AddPoint(x, 2);
        r.AddPoint(x, 7);
        s = i = 9;
        EXPECT_FALSE(r.Compute(s, i)) << x;
        EXPECT_EQ(s, 0);
        EXPECT_EQ(i, 0);
    }
}

} // namespace
