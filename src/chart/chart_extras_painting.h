#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_state.h"
#include "platform/canvas.h"
#include "platform/graphics_types.h"

namespace vela {

// The price scale and the time window shared by everything drawn over the bars.
struct BarScale {
    double YMin = 0;
    double YMax = 0;
    double TMin = 0;  // daily charts: the times at the plot's left and right edges
    double TMax = 0;
};

// The bars that fall into one pixel column, merged: the first open, highest high, lowest
// low, last close and the summed volume.
struct BarColumn {
    std::int32_t X = 0;
    double Open = 0;
    double High = 0;
    double Low = 0;
    double Close = 0;
    double Volume = 0;
};

// state's bars per pixel column of plot, left to right, placed as the close line is (by
// position intraday, by time otherwise). Bars without a high, low or close are left out, a
// missing open counts as the close, a missing volume as none.
std::vector<BarColumn> BarColumnsOf(const ChartState& state, const TRect& plot,
                                    const BarScale& scale);

// As BarColumnsOf from bar `from` on (a column starts there), each column handed to f with
// the index of the last bar merged into it.
void ForEachBarColumn(const ChartState& state, const TRect& plot, const BarScale& scale,
                      std::int32_t from,
                      const std::function<void(const BarColumn&, std::int32_t last)>& f);

// OHLC bars or candles of the columns within plot; a column of many bars is drawn from its
// lowest low to highest high, and for candles with the body from the first open to the last
// close.
void DrawPriceBars(const ChartState& state, Canvas& canvas, const TRect& plot,
                   const BarScale& scale, BarStyle style, std::span<const BarColumn> columns);

// The columns' volume in a pane as wide as the plot they were made for, scaled to the largest
// column, with that largest volume written in the pane's top-left corner.
void DrawVolumePane(const ChartState& state, Canvas& canvas, const TRect& pane,
                    const BarScale& scale, std::span<const BarColumn> columns);

// Draws a line of the chart into an area on the scale ymin..ymax, as DrawSeries would place
// it; empty: the plain drawing.
using SeriesDrawer =
    std::function<void(const TVegaDoubleList& line, const TRect& area, double ymin, double ymax)>;

// The moving averages of the closes over the bars, each in its own colour, labelled in the
// plot's top-left corner.
void DrawAverages(const ChartState& state, Canvas& canvas, const TRect& plot, const BarScale& scale,
                  const SeriesDrawer& draw = {});

// The relative strength index of the closes on a 0..100 scale with its 30 and 70 lines.
void DrawRsiPane(const ChartState& state, Canvas& canvas, const TRect& pane, const BarScale& scale,
                 const SeriesDrawer& draw = {});

// "SMA 20", "EMA 50", ...: how an average is labelled on the chart.
std::string AverageLabel(const ChartAverage& average);

// Compact volume text for the pane's scale: 950, 12.3K, 4.5M, 1.2B.
std::string VolumeText(double volume);

}  // namespace vela
