#include "chart/price_axis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

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

namespace {

// The axis line and the label font for an axis along r; h is the labels' height.
struct AxisFrame {
    bool Left = true;
    std::int32_t AxisX = 0;
    std::int64_t H = 0;
};

AxisFrame DrawAxisLine(Canvas& canvas, const TRect& r, std::uint8_t side) {
    canvas.SetBackgroundTransparent(true);
    AxisFrame f;
    f.H = (static_cast<std::int64_t>(r.Bottom) - r.Top) / 15;
    f.Left = side == 0;
    f.AxisX = f.Left ? Clamp32(static_cast<std::int64_t>(r.Left) + 1)
                     : Clamp32(static_cast<std::int64_t>(r.Right) - 1);
    canvas.MoveTo(f.AxisX, r.Bottom);
    canvas.LineTo(f.AxisX, r.Top);
    return f;
}

void SetLabelFont(Canvas& canvas, const TRect& r, AxisFrame& f) {
    const std::int64_t height = static_cast<std::int64_t>(r.Bottom) - r.Top;
    const std::int64_t width = static_cast<std::int64_t>(r.Right) - r.Left;
    if (static_cast<double>(width) < std::trunc(static_cast<double>(f.H) * 0.75 * 5))
        f.H = static_cast<std::int64_t>(std::trunc(static_cast<double>(width) * 4 / 3 / 5));
    canvas.Font().Height = Clamp32(f.H);
    if (f.H < 9 && height > 45) canvas.Font().Height = 9;
    if (std::abs(static_cast<std::int64_t>(canvas.FontSize())) > 10) canvas.SetFontSize(10);
}

void DrawTick(Canvas& canvas, const TRect& r, const AxisFrame& f, std::int32_t y,
              std::string label) {
    if (label.size() > kMaxLabelLength) label.resize(kMaxLabelLength);
    const std::int64_t h = f.H;
    const std::int64_t tickLength = 3 * h / 4;
    const std::int32_t ty = Clamp32(y - h / 2);
    if (f.Left) {
        canvas.TextOut(Clamp32(r.Left + h + 1), ty, label);
        canvas.MoveTo(f.AxisX, y);
        canvas.LineTo(Clamp32(f.AxisX + tickLength), y);
    } else {
        const std::int64_t w = canvas.TextWidth(label);
        canvas.TextOut(Clamp32(r.Right - w - h - 1), ty, label);
        canvas.MoveTo(f.AxisX, y);
        canvas.LineTo(Clamp32(f.AxisX - tickLength), y);
    }
}

// Round values by the linear axis's own steps: ticks from vmin up to but not including vmax;
// nothing when the range has no steps.
// The scale of the ticks (they fall on k / s) and the tick indices of vmin and vmax; false
// when the range has no steps.
bool LinearSteps(double vmin, double vmax, double& s, std::int64_t& lo, std::int64_t& hi) {
    const double range = vmax - vmin;
    s = PriceAxisScale(range);
    if (s == 0) return false;
    if (!TickIndex(vmin, s, lo) || !TickIndex(vmax, s, hi)) return false;
    // Too few ticks: take a finer step.
    if (hi - lo == 0 || hi - lo == 1 || hi - lo == 2) {
        s *= hi - lo == 0 ? 5 : 2;
        if (!TickIndex(vmin, s, lo) || !TickIndex(vmax, s, hi)) return false;
    }
    return true;
}

std::optional<std::vector<double>> LinearTicks(double vmin, double vmax) {
    std::vector<double> ticks;
    double s = 0;
    std::int64_t lo = 0;
    std::int64_t hi = 0;
    if (!LinearSteps(vmin, vmax, s, lo, hi)) return std::nullopt;
    for (std::int64_t k = lo; k <= hi && k - lo < kMaxTicks; ++k) {
        const double v = static_cast<double>(k) / s;
        if (vmin <= v && v < vmax) ticks.push_back(v);
    }
    return ticks;
}

}  // namespace

namespace {

// What the axis divides its values by to label them " B", " M" or " K" (1: not shortened).
double ShortenedBy(double vmax, std::string& suffix) {
    if (vmax > 500000000) {
        suffix = " B";
        return 1000000000;
    }
    if (vmax > 500000) {
        suffix = " M";
        return 1000000;
    }
    if (vmax > 50000) {
        suffix = " K";
        return 1000;
    }
    return 1;
}

}  // namespace

double PriceAxisTickScale(double vmin, double vmax) {
    std::string suffix;
    const double by = ShortenedBy(vmax, suffix);
    if (by != 1) {
        vmax /= by;
        vmin /= by;
    }
    if (vmax - vmin == 0) return 0;
    double s = 0;
    std::int64_t lo = 0;
    std::int64_t hi = 0;
    if (!LinearSteps(vmin, vmax, s, lo, hi)) return 0;
    return s / by;
}

void DrawPriceAxis(Canvas& canvas, const TRect& r, std::uint8_t side, std::string suffix,
                   double vmax, double vmin) {
    if (suffix.empty()) {
        if (const double by = ShortenedBy(vmax, suffix); by != 1) {
            vmax /= by;
            vmin /= by;
        }
    }
    canvas.SetBackgroundTransparent(true);
    // The range in plain double arithmetic: the steps depend on its exact rounding.
    if (vmax - vmin == 0) return;
    AxisFrame f = DrawAxisLine(canvas, r, side);
    const auto ticks = LinearTicks(vmin, vmax);
    if (!ticks) return;
    SetLabelFont(canvas, r, f);
    for (const double v : *ticks)
        DrawTick(canvas, r, f, ValueToPixel(r.Bottom, r.Top, vmin, vmax, v),
                 FloatToGeneralText(v) + suffix);
}

std::vector<double> LogAxisTicks(double low, double high) {
    std::vector<double> ticks;
    if (!(low > 0 && high > low) || !std::isfinite(high)) return ticks;
    // Within a factor of three a log scale is nearly linear: its round values serve.
    if (high / low < 3) return LinearTicks(low, high).value_or(std::vector<double>{});
    const double decades = std::log10(high / low);
    static constexpr double kEvery[] = {1};
    static constexpr double kOneTwoFive[] = {1, 2, 5};
    static constexpr double kFine[] = {1, 1.5, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::span<const double> mantissas = decades > 4     ? std::span<const double>(kEvery)
                                              : decades > 1.5 ? std::span<const double>(kOneTwoFive)
                                                              : std::span<const double>(kFine);
    const auto first = static_cast<std::int32_t>(std::floor(std::log10(low)));
    const auto last = static_cast<std::int32_t>(std::ceil(std::log10(high)));
    for (std::int32_t e = first; e <= last && ticks.size() < kMaxTicks; ++e) {
        // Divided rather than multiplied below 1, so that 0.3 is the double nearest 0.3.
        const double unit = std::pow(10.0, std::abs(e));
        for (const double m : mantissas) {
            const double v = e >= 0 ? m * unit : m / unit;
            if (low <= v && v < high) ticks.push_back(v);
        }
    }
    return ticks;
}

void DrawLogPriceAxis(Canvas& canvas, const TRect& r, double high, double low) {
    if (!(low > 0 && high > low)) return;
    AxisFrame f = DrawAxisLine(canvas, r, 0);
    SetLabelFont(canvas, r, f);
    const double lmin = std::log(low);
    const double lmax = std::log(high);
    for (const double v : LogAxisTicks(low, high))
        DrawTick(canvas, r, f, ValueToPixel(r.Bottom, r.Top, lmin, lmax, std::log(v)),
                 FloatToGeneralText(v));
}

}  // namespace vela
