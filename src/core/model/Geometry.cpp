#include "core/model/Geometry.h"

#include "core/model/Rounding.h"

#include <cmath>

namespace {
constexpr double VerticalSlope = 1e31;
constexpr double WorldLimit = 512000;
} // namespace

void LineThroughPoints(double x1, double y1, double x2, double y2, double& Slope, double& Intercept)
{
    if (x1 == x2)
        Slope = VerticalSlope;
    else
        Slope = (y2 - y1) / (x2 - x1);
    Intercept = y1 - x1 * Slope;
}

bool PointOnSegment(double x1, double y1, double x2, double y2, double x, double y)
{
    const double d1 = std::sqrt((x - x1) * (x - x1) + (y - y1) * (y - y1));
    const double d2 = std::sqrt((x - x2) * (x - x2) + (y - y2) * (y - y2));
    const double l = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    return d1 * d1 + d2 * d2 <= l * l + 1e-5;
}

bool LineIntersection(double ax1, double ay1, double ax2, double ay2, double bx1, double by1, double bx2,
                      double by2, bool AIsLine, TGeoPoint& P, double& X, double& Y)
{
    double mA, bA, mB, bB;
    LineThroughPoints(ax1, ay1, ax2, ay2, mA, bA);
    LineThroughPoints(bx1, by1, bx2, by2, mB, bB);
    if (mA == mB)
        return false;
    // The slope 1e31 of a vertical line swamps its intercept, so the slope
    // form would put the crossing at a wrong Y: a vertical line crosses the
    // other one at its own X.
    if (ax1 == ax2) {
        X = ax1;
        Y = mB * X + bB;
    } else if (bx1 == bx2) {
        X = bx1;
        Y = mA * X + bA;
    } else {
        X = (bB - bA) / (mA - mB);
        Y = mA * X + bA;
    }
    if (!(std::fabs(X) < WorldLimit && std::fabs(Y) < WorldLimit))
        return false;
    if (!AIsLine && !PointOnSegment(ax1, ay1, ax2, ay2, X, Y))
        return false;
    if (!PointOnSegment(bx1, by1, bx2, by2, X, Y))
        return false;
    P.X = static_cast<int32_t>(pround(X));
    P.Y = static_cast<int32_t>(pround(Y));
    return true;
}
