#include "series/angles.h"

#include <cmath>

namespace vela {

double ModReal(std::uint16_t m, double x) {
    // Whole and fractional parts stay doubles: the whole part of a large angle may not fit any
    // integer type, and fmod of two whole numbers is exact.
    const double whole = std::trunc(x);
    const double fraction = x - whole;
    const double mod = m;
    if (x >= 0) return std::fmod(whole, mod) + fraction;
    // Below zero the fraction is taken in (0, 1], borrowing one from the whole part.
    // c = (whole - 1) mod m with the sign of the dividend, so -m < c <= 0; taken from
    // whole mod m so that it stays exact beyond 2^53.
    double c = std::fmod(whole, mod) - 1;
    if (c <= -mod) c += mod;
    return c != 0 ? c + (fraction + 1) + mod : c + (fraction + 1);
}

double Difference_360(double a, double b) {
    const double d = ModReal(360, b - a);
    const double dist = d - 180 > 0 ? 360 - d : d;
    return d <= 180 ? dist : -dist;
}

bool Between_360(double a, double x, double b) {
    const bool forward = ModReal(360, b - a) <= 180;
    const double s = forward ? a : b;
    const double e = forward ? b : a;
    return ModReal(360, x - s) <= ModReal(360, e - s);
}

}  // namespace vela
