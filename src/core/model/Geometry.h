// Plane geometry used by editing, import and elevation interpolation: the
// line through two points, the point-on-segment test and the intersection
// of a line or segment with a segment.
#pragma once

#include <cstdint>

// An integer point of the world plane.
struct TGeoPoint {
    int32_t X = 0;
    int32_t Y = 0;
};

// Slope and intercept of the line through (x1, y1) and (x2, y2); a vertical
// line gets the slope 1e31.
void LineThroughPoints(double x1, double y1, double x2, double y2, double& Slope, double& Intercept);

// True when (x, y) lies in the circle whose diameter is the segment
// (x1, y1)-(x2, y2), with a tolerance of 1e-5 on the squared lengths.
bool PointOnSegment(double x1, double y1, double x2, double y2, double x, double y);

// Intersection of the line or segment A1A2 (a line when AIsLine) with the
// segment B1B2. On success X, Y hold the crossing as reals and P the crossing
// rounded; false for parallel lines, a crossing off either segment or one
// beyond 512000 in either coordinate. A vertical line is intersected
// exactly at its own X.
bool LineIntersection(double ax1, double ay1, double ax2, double ay2, double bx1, double by1, double bx2,
                      double by2, bool AIsLine, TGeoPoint& P, double& X, double& Y);

// The same routines for any point type with X and Y members (TGeoPoint,
// network points).
template <class PA, class PB>
void LineThroughPoints(const PA& P1, const PB& P2, double& Slope, double& Intercept)
{
    LineThroughPoints(P1.X, P1.Y, P2.X, P2.Y, Slope, Intercept);
}

template <class PA, class PB>
bool PointOnSegment(const PA& P1, const PB& P2, double x, double y)
{
    return PointOnSegment(P1.X, P1.Y, P2.X, P2.Y, x, y);
}

template <class PA1, class PA2, class PB1, class PB2>
bool LineIntersection(const PA1& A1, const PA2& A2, const PB1& B1, const PB2& B2, bool AIsLine, TGeoPoint& P,
                      double& X, double& Y)
{
    return LineIntersection(A1.X, A1.Y, A2.X, A2.Y, B1.X, B1.Y, B2.X, B2.Y, AIsLine, P, X, Y);
}
