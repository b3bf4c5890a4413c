#include "core/LongLat.h"

#include "core/Rounding.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double DegreeToRadian = std::numbers::pi / 180;
constexpr int64_t LongitudeLimit = 1800000001;
constexpr int64_t LatitudeLimit = 900000001;
// One thousandth of a second of arc.
constexpr double RefineStep = 1.0 / 3600000;

bool ValidLongLat(double Longitude, double Latitude)
{
    return std::fabs(Longitude) <= LongitudeLimit && std::fabs(Latitude) <= LatitudeLimit;
}

double CosOfDegrees(double StoredDegrees)
{
    return std::cos(std::fabs(StoredDegrees) / 1e7 * DegreeToRadian);
}

} // namespace

bool PivotLongLatUsable(int32_t Longitude, int32_t Latitude)
{
    return ValidLongLat(Longitude, Latitude) && !(Longitude == 0 && Latitude == 0);
}

bool LinearCosinePosition(double XF, double YF, const TLongLatPivot& Pivot, double PixelsPerDegreeLat,
                          int32_t& Longitude, int32_t& Latitude)
{
    if (!std::isfinite(PixelsPerDegreeLat) || PixelsPerDegreeLat == 0)
        return false;
    const double lat = Pivot.Latitude + pround((YF - Pivot.YF) * (1e7 / PixelsPerDegreeLat));
    if (!std::isfinite(lat) || std::fabs(lat) > LatitudeLimit)
        return false;
    const double d = CosOfDegrees(lat) * PixelsPerDegreeLat;
    if (d == 0)
        return false;
    const double lon = Pivot.Longitude + pround((XF - Pivot.XF) * (-1e7 / d));
    if (!std::isfinite(lon) || !ValidLongLat(lon, lat))
        return false;
    Latitude = static_cast<int32_t>(lat);
    Longitude = static_cast<int32_t>(lon);
    return true;
}

bool ProjectedPosition(TProjection& Projection, double XF, double YF, const TLongLatPivot& Pivot,
                       double PixelsPerDegreeLat, int32_t& Longitude, int32_t& Latitude)
{
    if (!std::isfinite(PixelsPerDegreeLat) || PixelsPerDegreeLat == 0 || Projection.Kind() == TProjection::None)
        return false;
    const double d = CosOfDegrees(Pivot.Latitude) * PixelsPerDegreeLat;
    if (d == 0)
        return false;
    double lon = (Pivot.Longitude + pround((XF - Pivot.XF) * (-1e7 / d))) / 1e7;
    double lat = (Pivot.Latitude + pround((YF - Pivot.YF) * (1e7 / PixelsPerDegreeLat))) / 1e7;
    const double h = RefineStep;
    for (int k = 0; k < 4; ++k) {
        if (!Projection.Project(lon, lat))
            return false;
        const double x0 = Projection.X + Pivot.XF;
        const double y0 = Projection.Y + Pivot.YF;
        if (!Projection.Project(lon + h, lat - h))
            return false;
        const double x1 = Projection.X + Pivot.XF;
        const double y1 = Projection.Y + Pivot.YF;
        if (x0 == x1 || y0 == y1)
            return false;
        lon = lon + (XF - x0) * (-h) / (x0 - x1);
        lat = lat + (YF - y0) * h / (y0 - y1);
        if (!std::isfinite(lon) || !std::isfinite(lat))
            return false;
    }
    const double rlon = pround(lon * 1e7);
    const double rlat = pround(lat * 1e7);
    if (!ValidLongLat(rlon, rlat))
        return false;
    Longitude = static_cast<int32_t>(rlon);
    Latitude = static_cast<int32_t>(rlat);
    return true;
}

bool PositionFromLongLat(int Method, TProjection& Projection, int32_t Longitude, int32_t Latitude,
                         const TLongLatPivot& Pivot, double PixelsPerDegreeLat, double& XF, double& YF)
{
    double x, y;
    if (Method == 1) {
        // Differences in 64 bits: across the antimeridian they exceed int32.
        const int64_t dLon = static_cast<int64_t>(Longitude) - Pivot.Longitude;
        const int64_t dLat = static_cast<int64_t>(Latitude) - Pivot.Latitude;
        x = CosOfDegrees(Latitude) * (-1 * PixelsPerDegreeLat) * static_cast<double>(dLon) / 1e7 + Pivot.XF;
        y = static_cast<double>(dLat) * PixelsPerDegreeLat / 1e7 + Pivot.YF;
    } else if (Method == 2 || Method == 3) {
        if (!Projection.Project(Longitude / 1e7, Latitude / 1e7))
            return false;
        x = Projection.X + Pivot.XF;
        y = Projection.Y + Pivot.YF;
    } else {
        return false;
    }
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    XF = x;
    YF = y;
    return true;
}

bool SetupPivotProjection(TProjection& Projection, int Method, const TLongLatPivot& Pivot, double PixelsPerDegreeLat)
{
    return Projection.Setup(Method, MilesPerDegreeLat, PixelsPerDegreeLat, -(Pivot.Latitude / 1e7),
                            -(Pivot.Longitude / 1e7));
}
