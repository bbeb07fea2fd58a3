#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics_types.h"

namespace vela {

// Where Tile puts n windows in an area of width x height, in creation order: up to three in
// full-width strips one above the other; four and more in a grid of about the square root of
// n rows, the later rows taking one window more when n does not divide evenly. Together the
// rectangles cover the area exactly.
std::vector<TRect> TileRects(std::int32_t n, std::int32_t width, std::int32_t height);

}  // namespace vela
