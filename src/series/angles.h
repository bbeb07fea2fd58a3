#pragma once

#include <cstdint>

namespace vela {

// Angle arithmetic in degrees.

// x reduced into [0, m) from its whole and fractional parts; a negative whole multiple of m
// gives m itself. m is 360 at every call; m = 0 gives NaN.
double ModReal(std::uint16_t m, double x);

// The signed shortest rotation from a to b, in (-180, 180]; a half turn gives +180.
double Difference_360(double a, double b);

// Whether x lies on the shorter arc between a and b, ends included; for a half turn the arc
// runs from a in the positive direction.
bool Between_360(double a, double x, double b);

}  // namespace vela
