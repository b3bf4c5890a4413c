// Longitude/latitude and elevation passes: long/lat from world positions by
// a local least-squares fit, a plane around a pivot node or an inverted map
// projection; world positions from long/lat; elevations by a constant,
// along links or by triangulation.
//
// Longitudes and latitudes are stored in 1e-7 degree (0 = unknown),
// elevations times 10000 (0 = unknown).
#pragma once

#include "core/Projections.h"

#include <cstdint>

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
    BadUnits,      // UnitsFactor zero or not finite
    BadMethod,
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
