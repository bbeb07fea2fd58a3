#include "chart/chart_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "chart/chart_update.h"

namespace vela {

ChartView Clamped(ChartView view, std::int32_t bars) {
    if (view.Whole) return view;
    bars = std::max(bars, 0);
    view.Width = std::clamp(view.Width, std::min(ChartView::kMinBars, bars), bars);
    view.First = std::clamp(view.First, 0, bars - view.Width);
    return view;
}

ChartView NewestBars(std::int32_t bars, std::int32_t width) {
    return BarsBefore(bars, width, 0);
}

ChartView BarsBefore(std::int32_t bars, std::int32_t width, std::int32_t back) {
    ChartView view;
    view.Whole = false;
    view.Width = width;
    // Widened to its minimum first, then placed: the right end stays where it was asked.
    view = Clamped(view, bars);
    view.First = bars - std::max(back, 0) - view.Width;
    return Clamped(view, bars);
}

ChartView Zoomed(ChartView view, std::int32_t bars, std::int32_t anchor, double factor) {
    if (view.Whole) {
        view.Whole = false;
        view.First = 0;
        view.Width = std::max(bars, 0);
    }
    if (!(factor > 0) || view.Width <= 0) return Clamped(view, bars);
    anchor = std::clamp(anchor, view.First, std::max(view.End() - 1, view.First));
    // Where the anchor sits among the bars in view: 0 the oldest, 1 the newest.
    const double share =
        view.Width > 1 ? static_cast<double>(anchor - view.First) / (view.Width - 1) : 0;
    const double wanted = std::nearbyint(view.Width * factor);
    // A step always changes the width by a bar at least, so slow zooming still moves.
    std::int32_t width = static_cast<std::int32_t>(std::clamp(wanted, 0.0, 2e9));
    if (factor < 1 && width >= view.Width) width = view.Width - 1;
    if (factor > 1 && width <= view.Width) width = view.Width + 1;
    width = std::clamp(width, std::min(ChartView::kMinBars, bars), std::max(bars, 0));
    view.First = anchor - static_cast<std::int32_t>(std::nearbyint(share * (width - 1)));
    view.Width = width;
    view = Clamped(view, bars);
    // Zoomed out to every bar: the whole history again.
    if (view.Width >= bars) return ChartView{};
    return view;
}

ChartView Panned(ChartView view, std::int32_t bars, std::int32_t delta) {
    if (view.Whole) return view;
    const std::int64_t first = static_cast<std::int64_t>(view.First) + delta;
    view.First = static_cast<std::int32_t>(std::clamp<std::int64_t>(first, 0, bars));
    return Clamped(view, bars);
}

ChartView Followed(ChartView view, std::int32_t oldBars, std::int32_t newBars) {
    if (view.Whole) return view;
    if (view.End() >= oldBars) view.First += newBars - oldBars;
    return Clamped(view, newBars);
}

TRect NewerBarsMarker(const TRect& plot) {
    constexpr std::int32_t kWidth = 9;
    constexpr std::int32_t kHalfHeight = 8;
    const std::int32_t middle = plot.Top + (plot.Bottom - plot.Top) / 2;
    return TRect{plot.Right - kWidth - 2, middle - kHalfHeight, plot.Right - 1,
                 middle + kHalfHeight + 1};
}

void DrawNewerBarsMarker(Canvas& canvas, const TRect& plot) {
    const TRect box = NewerBarsMarker(plot);
    const std::int32_t middle = box.Top + (box.Bottom - box.Top) / 2;
    const TPoint triangle[] = {
        {box.Left, box.Top}, {box.Right - 1, middle}, {box.Left, box.Bottom - 1}};
    canvas.Pen().Color = clBlack;
    canvas.Pen().Style = PenStyle::Solid;
    canvas.Pen().Width = 1;
    canvas.Brush().Color = 0x808080;
    canvas.Brush().Style = BrushStyle::Solid;
    canvas.Polygon(triangle);
}

bool UpdateViewSeries(std::span<const BarPrices> bars, const ChartView& view, ChartState& s) {
    const auto n = static_cast<std::int32_t>(bars.size());
    if (view.Whole) return UpdateChartSeries(bars, s);
    const ChartView v = Clamped(view, n);
    return UpdateChartSeries(
        bars.subspan(static_cast<std::size_t>(v.First), static_cast<std::size_t>(v.Width)), s);
}

std::string ViewText(const ChartView& view, std::int32_t bars) {
    if (view.Whole || view.Width <= 0) return {};
    const std::int32_t back = std::max(bars - view.End(), 0);
    std::string text = std::to_string(view.Width);
    if (back > 0) text += "@" + std::to_string(back);
    return text;
}

std::optional<ViewSpan> ParseViewText(std::string_view text, std::int32_t max) {
    const auto number = [max](std::string_view part, std::int32_t min, std::int32_t& out) {
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), out);
        return !part.empty() && ec == std::errc() && end == part.data() + part.size() &&
               out >= min && out <= max;
    };
    const std::size_t at = text.find('@');
    ViewSpan span;
    if (!number(text.substr(0, at), 1, span.Width)) return std::nullopt;
    if (at != std::string_view::npos && !number(text.substr(at + 1), 0, span.Back))
        return std::nullopt;
    return span;
}

}  // namespace vela
