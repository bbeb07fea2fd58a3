#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "chart/chart_state.h"
#include "platform/graphics_types.h"

namespace vela {

// How a chart places its positions and prices in the plot, both ways. Across: intraday,
// positions 0 .. n-1 (the bars, then the future positions) evenly from the plot's left to its
// right edge; daily, by time from the first to the last position's time. Up: prices from
// YMin at the bottom to YMax at the top, linearly or, on a log scale, by their logarithm.
// Painting, the extras, the bar under the mouse and the crosshair all go through it, so
// they agree to the pixel.
class ChartMapping {
  public:
    ChartMapping() = default;
    // times: the chart's LTime (bars and future positions); ymin and ymax as the prices at the
    // plot's bottom and top (both above 0 on a log scale).
    ChartMapping(std::span<const double> times, bool intraday, const TRect& plot, double ymin,
                 double ymax, bool log = false);

    const TRect& Plot() const { return plot_; }
    bool Intraday() const { return intraday_; }
    bool Log() const { return log_; }
    double YMin() const { return ymin_; }
    double YMax() const { return ymax_; }
    std::int32_t Positions() const { return static_cast<std::int32_t>(times_.size()); }
    // The times at the plot's left and right edges.
    double TMin() const { return times_.empty() ? 0 : times_.front(); }
    double TMax() const { return times_.empty() ? 0 : times_.back(); }

    // The column of position i.
    std::int32_t XOf(std::int32_t i) const;
    // The position nearest column x (intraday by position, daily by time), or nothing for a
    // column outside the plot or a chart of fewer than two positions.
    std::optional<std::int32_t> PositionAt(std::int32_t x) const;
    // The row of a price, and the price at a row (the inverse, without rounding).
    std::int32_t YOf(double price) const;
    double PriceAt(std::int32_t y) const;
    // The value a series is drawn with: the price itself, or its logarithm on a log scale
    // (the mapping of drawn values is then linear from Low() to High()).
    double Drawn(double price) const;
    double Low() const { return Drawn(ymin_); }
    double High() const { return Drawn(ymax_); }

  private:
    std::span<const double> times_;
    bool intraday_ = true;
    TRect plot_{};
    double ymin_ = 0;
    double ymax_ = 0;
    bool log_ = false;
};

// Whether a log scale can show prices from low to high: both finite and above 0.
bool LogScaleFits(double low, double high);

}  // namespace vela
