#include "core/geo/Projections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double a = 6378137.0;
constexpr double e2 = 0.0818191910434 * 0.0818191910434;
constexpr double MetresPerMile = 1609.344;
constexpr double Rad = std::numbers::pi / 180;

// Radii of curvature of the ellipsoid, in miles.
double MeridianRadius(double lat)
{
    const double s = std::sin(lat * Rad);
    return a * (1 - e2) / std::pow(1 - e2 * s * s, 1.5) / MetresPerMile;
}
double NormalRadius(double lat)
{
    const double s = std::sin(lat * Rad);
    return a / std::sqrt(1 - e2 * s * s) / MetresPerMile;
}

TEST(Projections, OriginMapsToZero)
{
    TProjection p;
    ASSERT_TRUE(p.SetupTransverseMercator(69.05, -1000, -40.5, 88.25));
    ASSERT_TRUE(p.TransverseMercatorXY(-88.25, 40.5));
    EXPECT_NEAR(p.X, 0, 1e-9);
    EXPECT_NEAR(p.Y, 0, 1e-9);
    ASSERT_TRUE(p.SetupLambertConformal(69.05, -1000, -40.5, 88.25));
    ASSERT_TRUE(p.LambertConformalXY(-88.25, 40.5));
    EXPECT_NEAR(p.X, 0, 1e-9);
    EXPECT_NEAR(p.Y, 0, 1e-9);
}

TEST(Projections, LocalScaleIsThatOfTheEllipsoid)
{
    // Both projections are conformal and true to scale at their origin: a
    // small step along the meridian or the parallel there measures the
    // ellipsoid's radii of curvature. Scale 1 and divisor 1 give miles.
    const double lat0 = 40.5, lon0 = -88.25, h = 1e-4;
    for (int method : {2, 3}) {
        TProjection p;
        ASSERT_TRUE(p.Setup(method, 1, 1, -lat0, -lon0)) << method;
        ASSERT_TRUE(p.Project(lon0, lat0 + h));
        const double yn = p.Y;
        ASSERT_TRUE(p.Project(lon0, lat0 - h));
        const double ys = p.Y;
        EXPECT_NEAR((yn - ys) / (2 * h), MeridianRadius(lat0) * Rad, 1e-5) << method;
        ASSERT_TRUE(p.Project(lon0 + h, lat0));
        const double xe = p.X;
        ASSERT_TRUE(p.Project(lon0 - h, lat0));
        const double xw = p.X;
        // X runs opposite to longitude for a positive scale.
        EXPECT_NEAR((xw - xe) / (2 * h), NormalRadius(lat0) * std::cos(lat0 * Rad) * Rad, 1e-5) << method;
    }
}

TEST(Projections, MeridianArcOfTransverseMercator)
{
    // On the central meridian, Y is the meridian arc from the origin:
    // 4984944.378 m from the equator to 45 degrees on WGS84.
    TProjection p;
    ASSERT_TRUE(p.SetupTransverseMercator(1, 1, 0, 0));
    ASSERT_TRUE(p.TransverseMercatorXY(0, 45));
    EXPECT_NEAR(p.X, 0, 1e-12);
    EXPECT_NEAR(p.Y * MetresPerMile, 4984944.378, 1e-3);
}

TEST(Projections, SetupsThatWouldDivideByZeroFail)
{
    TProjection p;
    EXPECT_FALSE(p.SetupLambertConformal(69.05, -1000, 0, 88)); // cone degenerates on the equator
    EXPECT_FALSE(p.LambertConformalXY(-88, 10));
    EXPECT_EQ(p.Kind(), TProjection::None);
    EXPECT_FALSE(p.SetupTransverseMercator(0, -1000, -40, 88));
    EXPECT_FALSE(p.SetupTransverseMercator(69.05, 0, -40, 88));
    EXPECT_FALSE(p.SetupLambertConformal(69.05, -1000, -90, 88));
    EXPECT_FALSE(p.SetupTransverseMercator(69.05, NAN, -40, 88));
    EXPECT_FALSE(p.Setup(1, 69.05, -1000, -40, 88));
    EXPECT_FALSE(p.Project(0, 0));
    // The pole away from the apex of a Lambert cone has no finite image.
    ASSERT_TRUE(p.SetupLambertConformal(69.05, -1000, 40, 88));
    EXPECT_FALSE(p.LambertConformalXY(-88, 90));
    EXPECT_TRUE(p.LambertConformalXY(-88, -90));
    EXPECT_TRUE(p.TransverseMercatorXY(-88, -40) == false); // not the projection set up
}

} // namespace
