#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/canvas.h"
#include "platform/graphics_types.h"
#include "text/display_settings.h"

namespace vela {

// What the labels leave implicit, collected over the axis: 0 a change of year, 1 and 2 a
// change of month or day. The final set chooses the caption.
using TimeAxisCaptionSet = std::bitset<3>;

// The instant at pixel x (0 where the pixel has none); the scratch value is not used.
using PixelTimeFunction = std::function<double(std::int32_t x, double& scratch)>;

// The label level for an axis on which three logical pixels cover span centuries: one of 0, 1,
// 2, 3, 31, 4, 5, 51, 6, 72, 71, 7, 93, 92, 91, 100, 110, from 50 and 100 years down to
// 10 seconds.
int TimeAxisLevel(double span);

struct TimeAxisTick {
    bool Mark = false;       // a weekend day
    std::int32_t Major = 0;  // 1: a major label
    // "" nothing, "*" a minor tick, "**" a medium tick, anything else a label.
    std::string Text;
};

// What the pixel at century time t shows, given the time step to its left neighbour; adds to
// the caption set by the level's rule.
TimeAxisTick TimeAxisLabel(int level, TimeAxisCaptionSet& set, double t, double step,
                           const DisplaySettings& settings = kDisplaySettings);

// Saturday or Sunday; false for a date that cannot be formed.
bool IsMarkedDay(std::int32_t year, std::int32_t month, std::int32_t day);

// Draws a time axis along the top edge of r, tmin at Left and tmax at Right, both moved by
// shift hours: axis line, ticks, rotated labels, weekend marks, grid lines across grid at the
// major labels, and a caption centred on the bottom edge. Leaves the canvas with a black pen of
// width 1 and the font given by fontName, regular, 3c pixels high (c = the size unit).
void DrawTimeAxis(Canvas& canvas, const TRect& r, const PixelTimeFunction& pixelTime,
                  bool showCaption, const std::optional<TRect>& grid, const std::string& fontName,
                  double shift, double tmax, double tmin,
                  const DisplaySettings& settings = kDisplaySettings);

}  // namespace vela
