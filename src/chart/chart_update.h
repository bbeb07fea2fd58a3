#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "chart/chart_state.h"
#include "market/bar_data.h"
#include "series/series_indicators.h"

namespace vela {

// One day in century time (1/36525 to ten significant digits, the value as stored).
inline constexpr double DayInCenturies = 2.737850787e-05;

// Below this bar length (0.2125 days) bars are intraday.
inline constexpr double kIntradayLimit = 5.817932922375e-6;

// The length of a bar of the given minutes in century time.
double BarLengthInCenturies(double minutes);

// The computing part of a chart window's update: rebuilds the four series from the bars
// (oldest first, times in century time) with 15 future positions one dT apart, and the
// derived fields. With fewer than 2 bars the series are left empty, every other field keeps
// its value, and the result is false.
// The overlays are brought up to date as well.
bool UpdateChartSeries(std::span<const BarPrices> bars, ChartState& s);

// The same result for bars of which the first `unchanged` are those the series were last
// built from (with the same dT and extras): the items before the first changed bar are kept
// and only the rest is built again, so an update costs what it changes, not what is held.
// A hint beyond the bars held is cut to them; 0 rebuilds all. On return `unchanged` is the
// number of bars whose items were kept.
struct ChartOverlayTails;
bool UpdateChartSeriesFrom(std::span<const BarPrices> bars, std::size_t& unchanged, ChartState& s,
                           ChartOverlayTails& tails);

// Computes s.Overlays for s.Extras from the closes: the moving averages and the RSI the
// extras switch on, nothing for those switched off.
void UpdateChartOverlays(ChartState& s);

// Where the overlays' passes stood a little before the newest bar, so that a streaming update
// goes on from there instead of from the oldest bar. Empty: nothing to go on from.
struct ChartOverlayTails {
    std::vector<ChartAverage> Averages;  // what the passes were made for
    std::int32_t RsiWindow = 0;
    std::vector<IndicatorPass> AveragePasses;
    IndicatorPass RsiPass;
    bool Set = false;
};

// The same overlays as UpdateChartOverlays when the first `unchanged` closes are those the
// overlays and the tails were last made from: each pass goes on from its mark when that lies
// within them, else runs from the start; the tails are marked anew a little before the newest
// bar.
void UpdateChartOverlaysFrom(ChartState& s, std::size_t unchanged, ChartOverlayTails& tails);

}  // namespace vela
