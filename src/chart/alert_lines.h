#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "chart/chart_mapping.h"
#include "chart/chart_state.h"
#include "platform/canvas.h"

namespace vela {

// An armed alert's line, and a fired one's, paler.
inline constexpr TColor kArmedAlertColor = 0x0060E0;
inline constexpr TColor kFiredAlertColor = 0xA8C8F0;
// The level on a fired alert's tag (an armed one's is white).
inline constexpr TColor kFiredAlertTextColor = 0x305070;

// Each alert whose level lies within the plot's prices as a dashed line across the plot, with
// its level on a tag of the line's colour above the line's right end. Levels beyond the plot
// draw nothing.
void DrawAlertLines(Canvas& canvas, const ChartMapping& map, std::span<const AlertMark> alerts);

// The price at row y of the plot, rounded to the step of the price axis's ticks: where
// "Alert at this price" puts its alert. Nothing, with the reason, when the axis is flat or
// has no step.
std::optional<double> AlertPriceAt(const ChartMapping& map, std::int32_t y,
                                   std::string* why = nullptr);

}  // namespace vela
