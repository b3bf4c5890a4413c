// Longitude/latitude and elevation passes: long/lat from world positions by
// a local least-squares fit, a plane around a pivot node or an inverted map
// projection; world positions from long/lat; elevations by a constant,
// along links or by triangulation.
//
// Longitudes and latitudes are stored in 1e-7 degree (0 = unknown),
// elevations times 10000 (0 = unknown).
#pragma once

#include "core/geo/Delaunay.h"
#include "core/geo/Projections.h"

#include <cstdint>
#include <functional>

class TNetwork;
class TNetworkPoint;
class TNode;
struct TLink;
struct TLongLatSettings;
class TMessageSink;

// The pivot of methods 1 to 3: its world position and its long/lat.
struct TLongLatPivot {
    double XF = 0, YF = 0;
    int32_t Longitude = 0, Latitude = 0;
};

// What a pass did.
enum class TLongLatStatus {
    Done,
    BadScale,      // PixelsPerDegreeLat zero or not finite
    BadPivot,      // no pivot, or its long/lat unusable
    BadProjection, // the projection cannot be set up at the pivot
    BadMethod,
    SameLatitude,  // a scale estimate from two nodes of one latitude
};

// A pivot's long/lat can anchor the passes: within the world's range and
// not both 0.
bool PivotLongLatUsable(int32_t Longitude, int32_t Latitude);

// Method 1 for one position; false, with Longitude and Latitude untouched,
// when a divisor is zero or the result is no valid long/lat.
bool LinearCosinePosition(double XF, double YF, const TLongLatPivot& Pivot, double PixelsPerDegreeLat,
                          int32_t& Longitude, int32_t& Latitude);

// Methods 2 and 3 for one position: the projection set up at the pivot is
// inverted by four refinement steps from the linear/cosine estimate.
bool ProjectedPosition(TProjection& Projection, double XF, double YF, const TLongLatPivot& Pivot,
                       double PixelsPerDegreeLat, int32_t& Longitude, int32_t& Latitude);

// World position of a long/lat by method 1, 2 or 3 (the projection set up
// for 2 and 3); false when it is not finite.
bool PositionFromLongLat(int Method, TProjection& Projection, int32_t Longitude, int32_t Latitude,
                         const TLongLatPivot& Pivot, double PixelsPerDegreeLat, double& XF, double& YF);

// Sets up the projection of Method (2 or 3) at the pivot, with 69.05 miles
// per degree of latitude.
bool SetupPivotProjection(TProjection& Projection, int Method, const TLongLatPivot& Pivot, double PixelsPerDegreeLat);

// ---------------------------------------------------------------- passes
//
// The passes walk every point of every cell of the network's hash, cells in
// key order and points in list order, nodes and shape points, deleted ones
// included. Long runs call Progress (points done, points in all) about every
// 30 ms. A pass that finds its settings unusable changes nothing and says
// why in its status.

using TLongLatProgress = std::function<void(int64_t Done, int64_t Total)>;

// The pivot for methods 1 to 3 from a node.
TLongLatPivot PivotOf(const TNetwork& Net, const TNetworkPoint& Node);

// Method 0 for one point: a least-squares fit of longitude on X and latitude
// on Y over the known points within Range world units (only LongLatKnown
// points unless AnyKnown). True when the point was not selected or was
// fitted; false when a fit failed (the point is unchanged).
bool StatisticalLongLat(TNetwork& Net, TNetworkPoint& Point, bool OnlyZeros, bool OnlyFreeNodes, bool AnyKnown,
                        double Range);
// Method 1 for one point; false when it could not be computed (unchanged).
bool LinearCosineLongLat(const TNetwork& Net, TNetworkPoint& Point, const TLongLatPivot& Pivot,
                         double PixelsPerDegreeLat, bool OnlyZeros, bool OnlyFreeNodes);
// Methods 2 and 3 for one point, the projection set up at the pivot.
bool ProjectedLongLat(const TNetwork& Net, TProjection& Projection, TNetworkPoint& Point, const TLongLatPivot& Pivot,
                      double PixelsPerDegreeLat, bool OnlyZeros, bool OnlyFreeNodes);

// One point's long/lat by the network's settings, as editing asks for it
// after placing or moving a point. Without a usable pivot nothing changes
// and the result is true; method 0 returns whether its fit succeeded.
bool ComputeLongLatFromXY(TNetwork& Net, const TLongLatSettings& Settings, TNetworkPoint& Point);

// Methods 0 and 1 over every point. Unfitted receives the number of points
// whose statistical fit failed (0 for method 1).
TLongLatStatus ComputeLongLatByInterpolation(TNetwork& Net, const TNode* Pivot, int Method, bool OnlyZeros,
                                             bool OnlyFreeNodes, double Range, double PixelsPerDegreeLat,
                                             int32_t& Unfitted, const TLongLatProgress& Progress = {});
// Methods 2 and 3 over every point.
TLongLatStatus ComputeLongLatByProjection(TNetwork& Net, const TNode& Pivot, int Method, bool OnlyZeros,
                                          bool OnlyFreeNodes, double PixelsPerDegreeLat,
                                          const TLongLatProgress& Progress = {});
// World positions from long/lat for every point with both known, then the
// hash is rebuilt with its cell size. Points whose new position would leave
// the world range keep theirs; Refused receives their number.
TLongLatStatus ComputeXYFromLongLat(TNetwork& Net, const TNode& Pivot, int Method, double PixelsPerDegreeLat,
                                    int32_t& Refused, const TLongLatProgress& Progress = {});

// Elevation := Value (stored times 10000) for every point not locked; false
// when the stored value would reach 1e9 in size (nothing changes).
bool SetConstantElevation(TNetwork& Net, bool OnlyZeros, bool WithShapes, double Value);
// Clears every elevation lock of nodes and links.
void UnlockElevations(TNetwork& Net);
// Shape-point elevations of one link, linear along its length between the
// end nodes' elevations (lengths in the window's units).
void InterpolateLinkShapeElevations(TNetwork& Net, double UnitsFactor, TLink* HalfEdge);
// The same for every shape point (OnlyZeros: those without elevation); Lock
// locks the links whose shape points were set.
void InterpolateShapeElevations(TNetwork& Net, double UnitsFactor, bool OnlyZeros, bool Lock,
                                const TLongLatProgress& Progress = {});

// Triangulates the points of known elevation: active nodes without the lock
// and, with UseShapes, shape points of links without the lock.
void LoadElevationVertices(const TNetwork& Net, bool UseShapes, TDelaunay& Delaunay);
// Elevations of the points without one from the triangulation; returns the
// number of points left without elevation. Sink receives the triangulation's
// message; DrawTriangles, when given, the triangles' edges.
int32_t InterpolateElevations(TNetwork& Net, bool ComputeShapes, bool UseShapes, bool Lock, TMessageSink* Sink = nullptr,
                              const TDelaunay::TLineSink& DrawTriangles = {}, const TLongLatProgress& Progress = {});
// The elevation that triangulation gives one point (0 outside the hull).
double InterpolateElevationAt(const TNetwork& Net, const TNetworkPoint& Point, bool UseShapes,
                              TMessageSink* Sink = nullptr, const TDelaunay::TLineSink& DrawTriangles = {});

// World units per degree of latitude from a pivot and a second node of
// known, different latitudes: the linear estimate, refined four times
// through the projection for methods 2 and 3. Method 0 gives BadMethod.
TLongLatStatus EstimatePixelsPerDegreeLat(const TNetwork& Net, int Method, const TNetworkPoint& Pivot,
                                          const TNetworkPoint& Second, double& PixelsPerDegreeLat);
