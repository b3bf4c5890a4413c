#include "core/geo/Projections.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double a = 6378137.0;        // semi-major axis, metres
constexpr double e = 0.0818191910434;  // first eccentricity
constexpr double pi = std::numbers::pi;
constexpr double MetresPerMile = 1609.344;

double Isometric(double s)
{
    return (std::log((1 + s) / (1 - s)) - e * std::log((1 + e * s) / (1 - e * s))) / 2;
}
} // namespace

bool TProjection::BeginSetup(double ADivisor, double AScale, double Latitude0, double Longitude0)
{
    FKind = None;
    if (!(std::isfinite(ADivisor) && ADivisor != 0 && std::isfinite(AScale) && AScale != 0 &&
          std::isfinite(Longitude0) && std::isfinite(Latitude0) && std::fabs(Latitude0) < 90))
        return false;
    Divisor = ADivisor;
    Scale = AScale;
    L0 = -Longitude0;
    return true;
}

bool TProjection::FinishSetup(TKind K, double Latitude0, double Longitude0)
{
    FKind = K;
    X0 = 0;
    Y0 = 0;
    if (!Project(-Longitude0, -Latitude0)) {
        FKind = None;
        return false;
    }
    X0 = X;
    Y0 = Y;
    return true;
}

bool TProjection::SetupLambertConformal(double ADivisor, double AScale, double Latitude0, double Longitude0)
{
    if (!BeginSetup(ADivisor, AScale, Latitude0, Longitude0))
        return false;
    const double phi0 = -pi * Latitude0 / 180;
    n = std::sin(phi0);
    const double N0 = a / std::sqrt(1 - e * e * n * n) / MetresPerMile;
    const double psi0 = Isometric(n);
    F = n == 0 ? 0 : std::cos(phi0) * N0 / (std::exp(-n * psi0) * n);
    if (n == 0 || !std::isfinite(F) || F == 0)
        return false;
    return FinishSetup(LambertConformal, Latitude0, Longitude0);
}

bool TProjection::SetupTransverseMercator(double ADivisor, double AScale, double Latitude0, double Longitude0)
{
    if (!BeginSetup(ADivisor, AScale, Latitude0, Longitude0))
        return false;
    const double e2 = e * e;
    const double e4 = e2 * e2;
    const double e6 = e4 * e2;
    M1 = 1 - e2 / 4 - 3 * e4 / 64 - 5 * e6 / 256;
    M2 = 3 * e2 / 8 + 3 * e4 / 32 + 45 * e6 / 1024;
    M3 = 15 * e4 / 256 + 45 * e6 / 1024;
    M4 = 35 * e6 / 3072;
    return FinishSetup(TransverseMercator, Latitude0, Longitude0);
}

bool TProjection::Setup(int Method, double ADivisor, double AScale, double Latitude0, double Longitude0)
{
    switch (Method) {
    case TransverseMercator:
        return SetupTransverseMercator(ADivisor, AScale, Latitude0, Longitude0);
    case LambertConformal:
        return SetupLambertConformal(ADivisor, AScale, Latitude0, Longitude0);
    default:
        FKind = None;
        return false;
    }
}

void TProjection::LambertPoint(double Lon, double Lat)
{
    const double theta = (L0 - Lon) * pi / 180;
    const double s = std::sin(pi * Lat / 180);
    const double psi = Isometric(s);
    const double rho = F * std::exp(-n * psi);
    Y = -Scale * rho * std::cos(n * theta) / Divisor - Y0;
    X = Scale * rho * std::sin(n * theta) / Divisor - X0;
}

void TProjection::MercatorPoint(double Lon, double Lat)
{
    const double phi = pi * Lat / 180;
    const double dl = (Lon - L0) * pi / 180;
    const double sinphi = std::sin(phi);
    const double cosphi = std::cos(phi);
    const double N = a / std::sqrt(1 - e * e * sinphi * sinphi) / MetresPerMile;
    const double M = a * (M1 * phi - M2 * std::sin(2 * phi) + M3 * std::sin(4 * phi) - M4 * std::sin(6 * phi));
    const double tanphi = std::tan(phi);
    const double T = tanphi * tanphi;
    const double C = e * e * cosphi * cosphi / (1 - e * e);
    const double A = dl * cosphi;
    const double A3 = A * A * A;
    const double A5 = A3 * A * A;
    const double x = N * (A + (1 - T + C) * A3 / 6 + (5 - 18 * T + T * T + 14 * C - 58 * T * C + 13 * C * C) * A5 / 120);
    const double dl2 = dl * dl;
    const double dl4 = dl2 * dl2;
    const double dl6 = dl4 * dl2;
    const double cos3 = cosphi * cosphi * cosphi;
    const double cos5 = cos3 * cosphi * cosphi;
    const double y = N * (dl2 * sinphi * cosphi / 2 + (5 - T + 9 * C + 4 * C * C) * dl4 * sinphi * cos3 / 24 +
                          (61 - 58 * T + T * T + 270 * C - 330 * T * C + 445 * C * C) * dl6 * sinphi * cos5 / 720) +
                     M / MetresPerMile;
    Northing = y;
    Y = Scale * y / Divisor - Y0;
    X = -Scale * x / Divisor - X0;
}

bool TProjection::LambertConformalXY(double Lon, double Lat)
{
    if (FKind != LambertConformal)
        return false;
    LambertPoint(Lon, Lat);
    return std::isfinite(X) && std::isfinite(Y);
}

bool TProjection::TransverseMercatorXY(double Lon, double Lat)
{
    if (FKind != TransverseMercator)
        return false;
    MercatorPoint(Lon, Lat);
    return std::isfinite(X) && std::isfinite(Y);
}

bool TProjection::Project(double Lon, double Lat)
{
    if (FKind == LambertConformal)
        return LambertConformalXY(Lon, Lat);
    if (FKind == TransverseMercator)
        return TransverseMercatorXY(Lon, Lat);
    return false;
}
