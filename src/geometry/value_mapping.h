#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/graphics_types.h"

namespace vela {

// The pixel for v when vmin lies at pixel a and vmax at pixel b (rounded, ties to even; no
// clamping). Any degenerate range or non-finite intermediate gives a.
std::int32_t ValueToPixel(std::int32_t a, std::int32_t b, double vmin, double vmax, long double v);

// The same mapping without rounding; a on vmax = vmin or any non-finite result.
long double LinearMap(long double a, long double b, long double vmin, long double vmax,
                      long double v);

// c1 at vmin, c2 at vmax, each channel mapped separately; white when vmin = vmax.
TColor GradientColor(TColor c1, TColor c2, double vmin, double vmax, double v);

TRect NormalizeRect(const TRect& r);

// inner is given in the coordinates of frame; the result is the same region within target.
TRect MapRect(const TRect& frame, const TRect& inner, const TRect& target);

// Exchanges two blocks of count bytes; overlapping blocks are left alone.
void SwapBytes(void* p, void* q, std::uint16_t count);

}  // namespace vela
