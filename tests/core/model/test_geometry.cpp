#include "core/model/Geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(Geometry, LineThroughPointsAndPointOnSegment)
{
    double m, b;
    LineThroughPoints(TGeoPoint{0, 1}, TGeoPoint{2, 5}, m, b);
    EXPECT_DOUBLE_EQ(m, 2);
    EXPECT_DOUBLE_EQ(b, 1);
    LineThroughPoints(TGeoPoint{3, 1}, TGeoPoint{3, 5}, m, b);
    EXPECT_EQ(m, 1e31);

    const TGeoPoint a{0, 0}, c{10, 0};
    EXPECT_TRUE(PointOnSegment(a, c, 0, 0));
    EXPECT_TRUE(PointOnSegment(a, c, 10, 0));
    EXPECT_TRUE(PointOnSegment(a, c, 5, 0));
    EXPECT_FALSE(PointOnSegment(a, c, 10.01, 0));
    EXPECT_FALSE(PointOnSegment(a, c, -1, 0));
}

TEST(Geometry, LineIntersectionIncludingVerticalLines)
{
    TGeoPoint p;
    double x, y;
    // A vertical segment against a horizontal one, either way round.
    ASSERT_TRUE(LineIntersection(TGeoPoint{5, 0}, TGeoPoint{5, 10}, TGeoPoint{0, 5}, TGeoPoint{10, 5}, false, p, x, y));
    EXPECT_EQ(p.X, 5);
    EXPECT_EQ(p.Y, 5);
    EXPECT_DOUBLE_EQ(y, 5);
    ASSERT_TRUE(LineIntersection(TGeoPoint{0, 5}, TGeoPoint{10, 5}, TGeoPoint{5, 0}, TGeoPoint{5, 10}, false, p, x, y));
    EXPECT_EQ(p.X, 5);
    EXPECT_EQ(p.Y, 5);
    // A vertical segment against a sloped one at large coordinates.
    ASSERT_TRUE(LineIntersection(TGeoPoint{400000, -300000}, TGeoPoint{400000, 300000}, TGeoPoint{399000, -1000},
                                 TGeoPoint{401000, 1001}, false, p, x, y));
    EXPECT_EQ(p.X, 400000);
    EXPECT_NEAR(y, 0.5, 1e-9);
    EXPECT_EQ(p.Y, 0); // halves round to even

    // Two diagonals.
    ASSERT_TRUE(LineIntersection(TGeoPoint{0, 0}, TGeoPoint{10, 10}, TGeoPoint{0, 10}, TGeoPoint{10, 0}, false, p, x, y));
    EXPECT_EQ(p.X, 5);
    EXPECT_EQ(p.Y, 5);

    // Parallel, both vertical, crossing beyond the first segment.
    EXPECT_FALSE(LineIntersection(TGeoPoint{0, 0}, TGeoPoint{10, 0}, TGeoPoint{0, 5}, TGeoPoint{10, 5}, false, p, x, y));
    EXPECT_FALSE(LineIntersection(TGeoPoint{1, 0}, TGeoPoint{1, 9}, TGeoPoint{1, 2}, TGeoPoint{1, 7}, false, p, x, y));
    EXPECT_FALSE(LineIntersection(TGeoPoint{0, 0}, TGeoPoint{2, 2}, TGeoPoint{0, 10}, TGeoPoint{10, 0}, false, p, x, y));
    // As a line the first pair reaches the segment.
    EXPECT_TRUE(LineIntersection(TGeoPoint{0, 0}, TGeoPoint{2, 2}, TGeoPoint{0, 10}, TGeoPoint{10, 0}, true, p, x, y));
    EXPECT_EQ(p.X, 5);
    // Vertical line through the first pair, crossing off the second segment.
    EXPECT_FALSE(LineIntersection(TGeoPoint{20, 0}, TGeoPoint{20, 1}, TGeoPoint{0, 5}, TGeoPoint{10, 5}, true, p, x, y));

    // A crossing beyond 512000 is refused.
    EXPECT_FALSE(LineIntersection(TGeoPoint{511999, 0}, TGeoPoint{512001, 0}, TGeoPoint{512000, -5},
                                  TGeoPoint{512000, 5}, true, p, x, y));
}

} // namespace
