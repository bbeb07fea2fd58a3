#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/graphics_types.h"

namespace vela {

// Draws a vertical value axis along one edge of r: side 0 puts the axis on the left edge with
// the labels to its right, any other side on the right edge with the labels to its left. vmin
// lies at the bottom, vmax at the top; ticks sit at round values from vmin up to but not
// including vmax. An empty suffix lets large ranges be shortened to " K", " M" or " B".
// Draws with the canvas's pen and font colour and sets the font height.
void DrawPriceAxis(Canvas& canvas, const TRect& r, std::uint8_t side, std::string suffix,
                   double vmax, double vmin);

// The prices a log-scale axis from low to high labels: log-spaced round values (1, 2, 5 of
// each decade, every decade over wide ranges, finer over narrow ones; over less than a
// factor of three the linear axis's round values). Empty unless 0 < low < high.
std::vector<double> LogAxisTicks(double low, double high);
// A price axis on the left edge of r for prices mapped by their logarithm, low at the
// bottom and high at the top; the labels as the linear axis writes them.
void DrawLogPriceAxis(Canvas& canvas, const TRect& r, double high, double low);

// The ticks the linear axis from vmin to vmax draws fall on multiples of 1 / this scale, in
// the values' own unit (before any " K", " M" or " B" shortening); 0 when it draws none.
double PriceAxisTickScale(double vmin, double vmax);

// The scale the axis uses for the range r: ticks fall on multiples of 1 / scale before the
// final widening for ranges with too few ticks. 0 when no scale is found.
double PriceAxisScale(double r);

}  // namespace vela
