#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chart/chart_state.h"
#include "market/bar_data.h"
#include "platform/canvas.h"
#include "platform/graphics_types.h"

namespace vela {

// Which of the held bars a chart shows: the whole history (the chart as it always was), or
// the bars [First, First + Width) of them. Either way the 15 future positions follow the
// last bar shown. A view whose right end is at the newest bar follows the market: new bars
// move it along and its width stays.
struct ChartView {
    static constexpr std::int32_t kMinBars = 10;

    bool Whole = true;
    std::int32_t First = 0;
    std::int32_t Width = 0;

    std::int32_t End() const { return First + Width; }
    // The right end is at the newest of `bars`.
    bool Follows(std::int32_t bars) const { return Whole || End() >= bars; }
    friend bool operator==(const ChartView&, const ChartView&) = default;
};

// The view of the newest `width` bars (at least the minimum, at most all of them).
ChartView NewestBars(std::int32_t bars, std::int32_t width);
// The view of `width` bars ending `back` bars before the newest.
ChartView BarsBefore(std::int32_t bars, std::int32_t width, std::int32_t back);
// The view kept within the bars: never before the oldest, never past the newest, and at
// least the minimum number of bars wide (all of them when there are fewer).
ChartView Clamped(ChartView view, std::int32_t bars);
// Wider (factor above 1) or narrower around bar `anchor`, which keeps its place in the view.
ChartView Zoomed(ChartView view, std::int32_t bars, std::int32_t anchor, double factor);
// Moved by delta bars (positive: towards the newest).
ChartView Panned(ChartView view, std::int32_t bars, std::int32_t delta);
// After the held bars went from oldBars to newBars: a following view moves along with the
// new bars, any other stays where it is.
ChartView Followed(ChartView view, std::int32_t oldBars, std::int32_t newBars);

// A view as text, as a desktop keeps it and --view takes it: "" the whole history, "N" the
// newest N bars (following the market), "N@K" the N bars ending K bars before the newest.
std::string ViewText(const ChartView& view, std::int32_t bars);
// Reads "N" or "N@K" (N from 1, K from 0, both at most max); nothing for any other text.
struct ViewSpan {
    std::int32_t Width = 0;
    std::int32_t Back = 0;
};
std::optional<ViewSpan> ParseViewText(std::string_view text, std::int32_t max);

// Where the marker that says newer bars lie beyond the view sits: a small box at the plot's
// right edge, halfway down.
TRect NewerBarsMarker(const TRect& plot);
// The marker: a triangle pointing right, towards the newer bars.
void DrawNewerBarsMarker(Canvas& canvas, const TRect& plot);

// The chart of the bars in view, made exactly as the chart of a window holding only those
// bars: s keeps its bar length, high/low setting and extras. False as UpdateChartSeries.
bool UpdateViewSeries(std::span<const BarPrices> bars, const ChartView& view, ChartState& s);

}  // namespace vela
