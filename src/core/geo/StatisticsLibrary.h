// Least-squares line through a set of points.
#pragma once

#include <cstdint>

class TLinearRegression {
public:
    TLinearRegression() { Reset(); }

    void Reset();
    void AddPoint(double X, double Y);
    // Slope and intercept of the fitted line Y = Slope * X + Intercept.
    // False, with both 0, for fewer than two points or when all X are at one
    // position (the divisor vanishes), or when the result is not finite.
    bool Compute(double& Slope, double& Intercept) const;

    int32_t N = 0;
    double SumX = 0;
    double SumX2 = 0;
    double SumY = 0;
    double SumY2 = 0;
    double SumXY = 0;
};
