// Map projections from longitude/latitude in degrees to world coordinates on
// the WGS84 ellipsoid: Lambert conformal conic with one standard parallel and
// transverse Mercator. A TProjection holds the state of the projection last
// set up in it; each caller owns its own.
#pragma once

class TProjection {
public:
    enum TKind { None = 0, TransverseMercator = 2, LambertConformal = 3 };

    // Set up at an origin given as negated longitude and latitude (degrees);
    // the origin then maps to (0, 0). Divisor is miles per degree of
    // latitude, Scale world units per degree of latitude. Returns false, and
    // leaves the projection unusable, when the setup would divide by zero or
    // give no usable mapping: a zero or non-finite divisor or scale, an
    // origin at a pole, or (Lambert) an origin on the equator, where the cone
    // degenerates and every point would map to the origin.
    bool SetupLambertConformal(double ADivisor, double AScale, double Latitude0, double Longitude0);
    bool SetupTransverseMercator(double ADivisor, double AScale, double Latitude0, double Longitude0);
    // SetupTransverseMercator for method 2, SetupLambertConformal for 3.
    bool Setup(int Method, double ADivisor, double AScale, double Latitude0, double Longitude0);

    // Project (Lon, Lat), in degrees and not negated, into X and Y. False
    // when the projection is not set up or the result is not finite (a pole).
    bool LambertConformalXY(double Lon, double Lat);
    bool TransverseMercatorXY(double Lon, double Lat);
    // The per-point step of the projection that is set up.
    bool Project(double Lon, double Lat);

    TKind Kind() const { return FKind; }

    // Projection state.
    double L0 = 0;
    double Scale = 0;
    double Divisor = 0;
    double X0 = 0, Y0 = 0;
    double X = 0, Y = 0;
    double n = 0, F = 0;                 // Lambert
    double M1 = 0, M2 = 0, M3 = 0, M4 = 0; // transverse Mercator
    // Transverse Mercator: the northing of the last point in miles, before
    // the scale, the divisor and the origin apply (at the central meridian
    // the meridian arc).
    double Northing = 0;

private:
    // Checks the common arguments and stores them; the kind stays None.
    bool BeginSetup(double ADivisor, double AScale, double Latitude0, double Longitude0);
    bool FinishSetup(TKind K, double Latitude0, double Longitude0);
    void LambertPoint(double Lon, double Lat);
    void MercatorPoint(double Lon, double Lat);

    TKind FKind = None;
};

// Miles per degree of latitude used by the long/lat passes and importers.
constexpr double MilesPerDegreeLat = 69.05;
