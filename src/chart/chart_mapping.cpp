#include "chart/chart_mapping.h"

#include <algorithm>
#include <cmath>

#include "geometry/value_mapping.h"

namespace vela {

ChartMapping::ChartMapping(std::span<const double> times, bool intraday, const TRect& plot,
                           double ymin, double ymax, bool log)
    : times_(times),
      intraday_(intraday),
      plot_(plot),
      ymin_(ymin),
      ymax_(ymax),
      log_(log && LogScaleFits(ymin, ymax)) {}

std::int32_t ChartMapping::XOf(std::int32_t i) const {
    if (intraday_) return ValueToPixel(plot_.Left, plot_.Right, 0, Positions() - 1, i);
    if (i < 0 || i >= Positions()) return plot_.Left;
    return ValueToPixel(plot_.Left, plot_.Right, TMin(), TMax(),
                        times_[static_cast<std::size_t>(i)]);
}

std::optional<std::int32_t> ChartMapping::PositionAt(std::int32_t x) const {
    const std::int64_t n = Positions();
    if (n < 2 || x < plot_.Left || x > plot_.Right || plot_.Right <= plot_.Left)
        return std::nullopt;
    const double fraction = static_cast<double>(x - plot_.Left) / (plot_.Right - plot_.Left);
    if (intraday_)
        return static_cast<std::int32_t>(std::llround(fraction * static_cast<double>(n - 1)));
    const double tmin = TMin();
    const double tmax = TMax();
    if (!(tmax > tmin)) return 0;
    const double t = tmin + fraction * (tmax - tmin);
    const auto after = std::lower_bound(times_.begin(), times_.end(), t);
    if (after == times_.begin()) return 0;
    if (after == times_.end()) return static_cast<std::int32_t>(n - 1);
    const auto before = after - 1;
    const auto nearest = (t - *before <= *after - t) ? before : after;
    return static_cast<std::int32_t>(nearest - times_.begin());
}

double ChartMapping::Drawn(double price) const {
    return log_ ? (price > 0 ? std::log(price) : -HUGE_VAL) : price;
}

std::int32_t ChartMapping::YOf(double price) const {
    return ValueToPixel(plot_.Bottom, plot_.Top, Low(), High(), Drawn(price));
}

double ChartMapping::PriceAt(std::int32_t y) const {
    const double v = static_cast<double>(LinearMap(Low(), High(), plot_.Bottom, plot_.Top, y));
    return log_ ? std::exp(v) : v;
}

bool LogScaleFits(double low, double high) {
    return std::isfinite(low) && std::isfinite(high) && low > 0 && high > 0;
}

}  // namespace vela
