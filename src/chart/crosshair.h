#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_mapping.h"
#include "chart/chart_painting.h"
#include "platform/canvas.h"
#include "platform/graphics_types.h"

namespace vela {

// A text's width and height in pixels, as the window's font draws it.
struct TextSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};
using MeasureText = std::function<TextSize(std::string_view)>;

// Where the crosshair's parts go for the mouse at a point of the plot: the two lines, the
// readout box of the bar under the mouse (one line, or two when one does not fit the plot),
// the price at the mouse on the price axis and the bar's date-time under the time axis.
struct CrosshairGeometry {
    TPoint Mouse;
    TRect Horizontal;  // one pixel high, across the plot
    TRect Vertical;    // one pixel wide, down the plot
    std::vector<std::string> ReadoutLines;
    TRect Readout;  // empty without a readout
    std::string PriceText;
    TRect PriceLabel;
    std::string TimeText;
    TRect TimeLabel;  // empty without a bar under the mouse
};

inline constexpr std::int32_t kReadoutMargin = 4;
inline constexpr TColor kCrosshairLineColor = RgbColor(96, 96, 96);
inline constexpr TColor kCrosshairBoxBorder = RgbColor(64, 64, 64);
inline constexpr TColor kCrosshairBoxFill = RgbColor(255, 255, 240);

// The geometry for the mouse at `mouse` (inside the plot), the bar's readout and time (none
// when no bar is under the mouse), and whether the averages' labels sit along the plot's top
// edge (the readout then goes below them). The readout box sits at the plot's top left, or
// at its top right while the mouse is over the left place.
CrosshairGeometry CrosshairGeometryFor(const ChartMapping& map, const ChartLayout& layout,
                                       TPoint mouse, const std::string& readout,
                                       std::optional<double> barTime, bool averageLabels,
                                       const MeasureText& measure);

// A price written with as many decimals as the range from low to high needs to tell rows
// apart (at least none, at most ten), without the user's locale.
std::string CrosshairPriceText(double price, double low, double high);

// Text sizes as the canvas draws them in its current font.
MeasureText MeasureOn(const Canvas& canvas);

// Draws the crosshair over a painted chart in the canvas's current font: dotted lines
// through the mouse, then the readout, price and time boxes, each text centred in its box.
void DrawCrosshair(Canvas& canvas, const CrosshairGeometry& g);

// Every rectangle the geometry paints, for repainting what it covered.
std::vector<TRect> CrosshairRects(const CrosshairGeometry& g);

}  // namespace vela
