#include "core/geo/StatisticsLibrary.h"

#include <cmath>

void TLinearRegression::Reset()
{
    N = 0;
    SumX = 0;
    SumX2 = 0;
    SumY = 0;
    SumY2 = 0;
    SumXY = 0;
}

void TLinearRegression::AddPoint(double X, double Y)
{
    N = N + 1;
    SumX = SumX + X;
    SumX2 = SumX2 + X * X;
    SumY = SumY + Y;
    SumY2 = SumY2 + Y * Y;
    SumXY = SumXY + X * Y;
}

bool TLinearRegression::Compute(double& Slope, double& Intercept) const
{
    Slope = 0;
    Intercept = 0;
    if (N < 2)
        return false;
    const double divisor = SumX2 - SumX * SumX / N;
    // The divisor is N times the variance of X. When all X are at one
    // position it is zero, or a rounding residue of the sums that would give
    // a meaningless slope: both count as a zero divisor.
    if (!(divisor > 1e-13 * SumX2))
        return false;
    const double s = (SumXY - SumX * SumY / N) / divisor;
    const double i = (SumY - s * SumX) / N;
    if (!std::isfinite(s) || !std::isfinite(i))
        return false;
    Slope = s;
    Intercept = i;
    return true;
}
