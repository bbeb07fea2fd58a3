#pragma once

#include <cstdint>
#include <string>

#include "chart/chart_mapping.h"
#include "chart/chart_state.h"
#include "platform/canvas.h"
#include "platform/graphics_types.h"

namespace vela {

class ChartColumnCache;

// The chart's areas within the paint box's client rectangle. Plot is where the bars are
// drawn; the panes, empty unless their extra is on, lie between it and the time axis.
struct ChartLayout {
    TRect Plot;
    TRect TimeAxis;
    TRect PriceAxis;
    TRect VolumePane;
    TRect RsiPane;
};

ChartLayout ChartLayoutFor(const TRect& clientRect);

// The chart's small text: "Arial" 8 points, regular, in `color`, on a transparent background
// (the newest price and the extras' labels).
void SetChartLabelFont(Canvas& canvas, TColor color);
// With the volume or RSI pane on, each takes a fifth of the plot area off its bottom (the
// volume lowest); the price axis follows the plot.
ChartLayout ChartLayoutFor(const TRect& clientRect, const ChartExtras& extras);

// Paints the whole chart of one chart window: white background, the light yellow plot with
// the newest day's band, the close line (and high and low lines when state.HighLow), the time
// axis below the plot over the newest trading day, the price axis at its left and the newest
// price at the end of the line. A flat series gets a margin of 0.5% of its price (1 at 0)
// above and below. Fewer than two values, or no high and low values, leave the box white;
// then status is not touched and the result is false, so the status line keeps what the last
// full paint wrote. Bars whose highs all lie below their lows leave it white as well, with
// the reason in the status line.
//
// With the extras' whole-view time axis the axis covers the whole plot, each pixel labelled
// by the time of the position under it, and each new calendar day in view gets a thin line
// and its date. With the log scale, prices are mapped by their logarithm and the price axis
// labels log-spaced round values; a chart holding a price at or below 0 stays linear and the
// status line says so. painted, when given, receives the mapping the plot was drawn with.
// cache, when given, is what the paints of this chart keep between them (the same pixels,
// at the cost of what changed since the last paint).
bool FlickerFreePaintBox1Paint(const ChartState& state, Canvas& canvas, const TRect& clientRect,
                               ChartStatus& status, ChartMapping* painted = nullptr,
                               ChartColumnCache* cache = nullptr);

// Why bars cannot be charted at all (every high below the lows), or "" when they can.
std::string UndrawableReason(const ChartState& state);

// "27 Sep": a day separator's date.
std::string DayMonthText(std::int32_t day, std::int32_t month);

}  // namespace vela
