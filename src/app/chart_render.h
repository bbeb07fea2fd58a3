#pragma once

#include <QImage>

#include "chart/chart_state.h"

namespace vela::app {

// The chart as the chart window's paint box shows it at width x height pixels, composed the
// same way. When status is given and the paint got past its range check, *status receives the
// status line; otherwise *status is left as it was. A null image for an empty size.
QImage RenderChart(const ChartState& state, int width, int height, ChartStatus* status);

}  // namespace vela::app
