#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "geometry/value_mapping.h"

namespace vela {

// ValueToPixel(a, b, vmin, vmax, v) for one fixed range, cheap enough for every point of a
// long series. A double-precision estimate decides the pixel unless it lies too close to a
// rounding boundary (or out of the ordinary range), where the exact extended-precision
// mapping is asked. The result is always the one ValueToPixel gives.
class PixelMapping {
  public:
    PixelMapping(std::int32_t a, std::int32_t b, double vmin, double vmax);

    std::int32_t operator()(double v) const {
        if (fast_) {
            const double d = (v - vmin_) * scale_;
            // False for NaN as well.
            if (d > -kFastLimit && d < kFastLimit) {
                const double t = static_cast<double>(static_cast<std::int64_t>(d));
                const double floor = t > d ? t - 1 : t;
                const double fraction = d - floor;  // exact below 2^52
                if (std::abs(fraction - 0.5) > kTieMargin) {
                    const std::int64_t r =
                        static_cast<std::int64_t>(floor) + (fraction > 0.5 ? 1 : 0);
                    return Saturate(a_ + r);
                }
            }
        }
        return ValueToPixel(a_, b_, vmin_, vmax_, v);
    }

    // Whether v maps without any fallback to the first pixel. Between two such values the
    // mapping is monotone, so the extremes of a set of values map to the extremes of its
    // pixels. False for NaN, infinities and values mapped far outside the 32-bit range.
    bool Regular(double v) const {
        if (!fast_) return false;
        const double d = (v - vmin_) * scale_;
        return d > -kFastLimit && d < kFastLimit;
    }

  private:
    // Below 2^31 the estimate is within 2e-6 of the extended-precision value; a margin ten
    // times wider keeps every case the estimate decides on the same side of a half.
    static constexpr double kFastLimit = 2147483648.0;
    static constexpr double kTieMargin = 2e-5;

    static std::int32_t Saturate(std::int64_t v) {
        if (v > std::numeric_limits<std::int32_t>::max())
            return std::numeric_limits<std::int32_t>::max();
        if (v < std::numeric_limits<std::int32_t>::min())
            return std::numeric_limits<std::int32_t>::min();
        return static_cast<std::int32_t>(v);
    }

    std::int64_t a_;
    std::int32_t b_;
    double vmin_;
    double vmax_;
    double scale_ = 0;
    bool fast_ = false;
};

}  // namespace vela
