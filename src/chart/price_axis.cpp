#include "chart/price_axis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/value_mapping.h"
#include "text/number_text.h"

namespace vela {

namespace {

constexpr std::size_t kMaxLabelLength = 20;
constexpr std::int64_t kMaxTicks = 1000;
constexpr int kMaxRounds = 500;
constexpr double kMaxScale = 1e300;
// Tick indices stay within this bound so that their differences fit 64 bits.
constexpr double kMaxTickIndex = 4.0e18;

// One way of searching the scale: shrink by `factor` while r * s is above `shrinkAbove`, grow
// by it while r * s is at most 1, until r * s lies in (successAbove, 20].
struct ScaleSearch {
    double ShrinkAbove;
    double Factor;
    double SuccessAbove;
};

// By tens, by fives, by fives with a wider window, by twos: tried in turn while each one runs
// out of rounds.
constexpr ScaleSearch kSearches[] = {{10, 10, 5}, {5, 5, 5}, {5, 5, 2}, {2, 2, 1}};

enum class SearchEnd { Found, OutOfRounds, ScaleTooLarge };

SearchEnd RunSearch(double r, const ScaleSearch& search, double& s) {
    s = 1;
    if (r == 10) return SearchEnd::Found;
    for (int rounds = 1;; ++rounds) {
        if (r * s > search.ShrinkAbove) s /= search.Factor;
        if (!(r * s > 1)) s *= search.Factor;
        const double rs = r * s;
        if (rs > search.SuccessAbove && rs <= 20) return SearchEnd::Found;
        if (rounds >= kMaxRounds) return SearchEnd::OutOfRounds;
        if (s > kMaxScale) return SearchEnd::ScaleTooLarge;
    }
}

bool TickIndex(double v, double s, std::int64_t& k) {
    const double x = std::trunc(v * s);
    if (!(x > -kMaxTickIndex && x < kMaxTickIndex)) return false;
    k = static_cast<std::int64_t>(x);
    return true;
}

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

double PriceAxisScale(double r) {
    double s = 1;
    SearchEnd end = SearchEnd::OutOfRounds;
    for (const ScaleSearch& search : kSearches) {
        end = RunSearch(r, search, s);
        if (end != SearchEnd::OutOfRounds) break;
    }
    if (end == SearchEnd::OutOfRounds || !(s < kMaxScale)) return 0;
    return s;
}

void DrawPriceAxis(Canvas& canvas, const TRect& r, std::uint8_t side, std::string suffix,
                   double vmax, double vmin) {
    if (suffix.empty()) {
        if (vmax > 500000000) {
            vmax /= 1000000000;
            vmin /= 1000000000;
            suffix = " B";
        } else if (vmax > 500000) {
            vmax /= 1000000;
            vmin /= 1000000;
            suffix = " M";
        } else if (vmax > 50000) {
            vmax /= 1000;
            vmin /= 1000;
            suffix = " K";
        }
    }
    canvas.SetBackgroundTransparent(true);
    const std::int64_t height = static_cast<std::int64_t>(r.Bottom) - r.Top;
    const std::int64_t width = static_cast<std::int64_t>(r.Right) - r.Left;
    std::int64_t h = height / 15;
    // The range in plain double arithmetic: the steps depend on its exact rounding.
    const double range = vmax - vmin;
    if (range == 0) return;

    const bool left = side == 0;
    const std::int32_t axisX = left ? Clamp32(static_cast<std::int64_t>(r.Left) + 1)
                                    : Clamp32(static_cast<std::int64_t>(r.Right) - 1);
    canvas.MoveTo(axisX, r.Bottom);
    canvas.LineTo(axisX, r.Top);

    double s = PriceAxisScale(range);
    if (s == 0) return;
    std::int64_t lo = 0;
    std::int64_t hi = 0;
    if (!TickIndex(vmin, s, lo) || !TickIndex(vmax, s, hi)) return;
    // Too few ticks: take a finer step.
    if (hi - lo == 0 || hi - lo == 1 || hi - lo == 2) {
        s *= hi - lo == 0 ? 5 : 2;
        if (!TickIndex(vmin, s, lo) || !TickIndex(vmax, s, hi)) return;
    }

    if (static_cast<double>(width) < std::trunc(static_cast<double>(h) * 0.75 * 5))
        h = static_cast<std::int64_t>(std::trunc(static_cast<double>(width) * 4 / 3 / 5));
    canvas.Font().Height = Clamp32(h);
    if (h < 9 && height > 45) canvas.Font().Height = 9;
    if (std::abs(static_cast<std::int64_t>(canvas.FontSize())) > 10) canvas.SetFontSize(10);

    const std::int64_t tickLength = 3 * h / 4;
    for (std::int64_t k = lo; k <= hi && k - lo < kMaxTicks; ++k) {
        const double v = static_cast<double>(k) / s;
        if (!(vmin <= v && v < vmax)) continue;
        const std::int32_t y = ValueToPixel(r.Bottom, r.Top, vmin, vmax, v);
        std::string label = FloatToGeneralText(v) + suffix;
        if (label.size() > kMaxLabelLength) label.resize(kMaxLabelLength);
        const std::int32_t ty = Clamp32(y - h / 2);
        if (left) {
            canvas.TextOut(Clamp32(r.Left + h + 1), ty, label);
            canvas.MoveTo(axisX, y);
            canvas.LineTo(Clamp32(axisX + tickLength), y);
        } else {
            const std::int64_t w = canvas.TextWidth(label);
            canvas.TextOut(Clamp32(r.Right - w - h - 1), ty, label);
            canvas.MoveTo(axisX, y);
            canvas.LineTo(Clamp32(axisX - tickLength), y);
        }
    }
}

}  // namespace vela
