#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_state.h"
#include "market/bar_data.h"
#include "platform/graphics_types.h"

namespace vela {

// The bar the chart shows at column x of the plot, placed as the close line places it:
// intraday, positions 0 .. times.size()-1 evenly over the plot and the nearest position
// taken; daily, the column read back as a time over times' first .. last and the nearest
// position by time taken. Only the first `bars` positions hold bars: a column nearest a
// future position, one outside the plot, or fewer than two positions give nothing.
std::optional<std::int32_t> BarUnderMouse(std::span<const double> times, std::int32_t bars,
                                          bool intraday, const TRect& plot, std::int32_t x);

// The crosshair's readout of one bar: its date-time as the table writes it, then open, high,
// low, close and volume.
std::string BarReadout(const BarPrices& bar);

// Moving averages as a desktop value, "type:window" joined by ","; reading skips malformed
// items and keeps at most three.
std::string AveragesValue(const std::vector<ChartAverage>& averages);
std::vector<ChartAverage> AveragesFromValue(const std::string& value);

}  // namespace vela
