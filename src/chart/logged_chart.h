#pragma once

#include <cstddef>
#include <limits>

#include "chart/chart_state.h"

namespace vela {

// The chart with every price series (closes, highs, lows, opens and the averages) replaced
// by its logarithm, so that the plain linear drawing places them on a log scale. Nulls and
// prices at or below 0 stay as they are.
ChartState LoggedPrices(const ChartState& state);

// The logged chart kept between paints, so that a paint after a streaming update takes the
// logarithms of the changed positions only; of the averages, the positions their passes may
// have changed (all of a forward-backward one).
class LoggedChart {
  public:
    // The first `positions` items of every series are those of the chart of the last call.
    void Keep(std::size_t positions) { kept_ = positions < kept_ ? positions : kept_; }
    // As LoggedPrices(state).
    const ChartState& Of(const ChartState& state);

  private:
    static constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();
    ChartState logged_;
    std::size_t kept_ = 0;
};

}  // namespace vela
