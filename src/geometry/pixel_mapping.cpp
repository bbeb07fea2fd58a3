#include "geometry/pixel_mapping.h"

namespace vela {

PixelMapping::PixelMapping(std::int32_t a, std::int32_t b, double vmin, double vmax)
    : a_(a), b_(b), vmin_(vmin), vmax_(vmax) {
    // The estimate's error bound holds only for a normal span and a finite scale; anything
    // else (an empty or subnormal span, ranges near the double limits) takes the exact path.
    const double span = vmax - vmin;
    if (!std::isnormal(span)) return;
    scale_ = static_cast<double>(static_cast<std::int64_t>(b) - a) / span;
    fast_ = std::isfinite(scale_);
}

}  // namespace vela
