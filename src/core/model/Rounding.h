// Rounding rules shared by the whole program.
#pragma once

#include <cmath>
#include <cstdint>

// "Round": to the nearest integer, ties to even. Callers check that x is
// finite and in range before converting the result to an integer type.
inline double pround(double x) { return std::nearbyint(x); }

// Same as pround, as a 64-bit integer; x must be finite and within int64.
inline int64_t pround64(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

// "Trunc": toward zero.
inline double ptrunc(double x) { return std::trunc(x); }
