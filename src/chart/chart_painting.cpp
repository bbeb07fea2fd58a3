#include "chart/chart_painting.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chart/chart_extras_painting.h"
#include "chart/price_axis.h"
#include "chart/time_axis.h"
#include "geometry/value_mapping.h"
#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela {

namespace {

constexpr TRect kFrame{1, 1, 100, 100};
constexpr TRect kPlotFrame{15, 2, 98, 72};
constexpr TRect kTimeAxisFrame{15, 72, 98, 98};
constexpr TRect kPriceAxisFrame{1, 2, 15, 72};

constexpr TColor kBackgroundColor = 0xFFFFFF;
constexpr TColor kPlotColor = 0xD7FFFF;
constexpr TColor kDayBandColor = 0xAEFFFF;
constexpr TColor kCloseColor = 0x808000;
constexpr TColor kLowColor = 0xFF0000;
constexpr TColor kHighColor = 0x0000FF;
constexpr TColor kUpTextColor = 0x008000;
constexpr TColor kDownTextColor = 0x0000FF;
constexpr TColor kUpSquareColor = 0x00FF00;
constexpr TColor kDownSquareColor = 0x0000FF;

void Fill(Canvas& canvas, const TRect& r, TColor color) {
    canvas.Brush().Color = color;
    canvas.Brush().Style = BrushStyle::Solid;
    canvas.FillRect(r);
}

}  // namespace

void SetChartLabelFont(Canvas& canvas, TColor color) {
    CanvasFont& font = canvas.Font();
    font.Color = color;
    font.Name = "Arial";
    font.Width = 0;
    font.Escapement = 0;
    font.Weight = 0;
    font.Style = FontStyles{};
    canvas.SetFontSize(8);
    canvas.SetBackgroundTransparent(true);
}

ChartLayout ChartLayoutFor(const TRect& clientRect) {
    return ChartLayout{MapRect(kFrame, kPlotFrame, clientRect),
                       MapRect(kFrame, kTimeAxisFrame, clientRect),
                       MapRect(kFrame, kPriceAxisFrame, clientRect), TRect{}, TRect{}};
}

ChartLayout ChartLayoutFor(const TRect& clientRect, const ChartExtras& extras) {
    ChartLayout layout = ChartLayoutFor(clientRect);
    const bool rsi = extras.RsiWindow > 0;
    if (!extras.Volume && !rsi) return layout;
    const std::int32_t paneHeight = (layout.Plot.Bottom - layout.Plot.Top) / 5;
    std::int32_t bottom = layout.Plot.Bottom;
    const auto takePane = [&](TRect& pane) {
        pane = TRect{layout.Plot.Left, bottom - paneHeight, layout.Plot.Right, bottom};
        bottom -= paneHeight;
    };
    if (extras.Volume) takePane(layout.VolumePane);
    if (rsi) takePane(layout.RsiPane);
    layout.Plot.Bottom = bottom;
    layout.PriceAxis.Bottom = bottom;
    return layout;
}

bool FlickerFreePaintBox1Paint(const ChartState& state, Canvas& canvas, const TRect& clientRect,
                               ChartStatus& status) {
    Fill(canvas, clientRect, kBackgroundColor);
    const std::int32_t n = state.LClose.Count();
    if (n < 2) return false;

    double lowest = 0;
    double highest = 0;
    double ymin = 0;
    double ymax = 0;
    state.LHigh.GetMinMax(lowest, ymax);
    state.LLow.GetMinMax(ymin, highest);
    if (ymin > ymax) return false;

    // The margin stops at zero only for a chart of non-negative prices; a chart that goes
    // below zero (spreads) keeps its margin below as well.
    const double unpaddedMin = ymin;
    const double pad = (ymax - ymin) * 0.1;
    ymin -= pad;
    if (unpaddedMin >= 0 && ymin < 0) ymin = 0;
    ymax += pad;

    const ChartExtras& extras = state.Extras;
    const ChartLayout layout = ChartLayoutFor(clientRect, extras);
    const TRect& plot = layout.Plot;
    // The panes share the plot's background and day band, each under a separating line.
    for (const TRect& area : {plot, layout.RsiPane, layout.VolumePane}) {
        if (area.Bottom <= area.Top) continue;
        Fill(canvas, area, kPlotColor);
        if (state.Intraday && state.IFirstBarInDay != 0) {
            const std::int32_t x0 = ValueToPixel(area.Left, area.Right, 0, state.LTime.Count() - 1,
                                                 state.IFirstBarInDay);
            Fill(canvas, TRect{x0, area.Top, area.Right, area.Bottom}, kDayBandColor);
        }
        if (area.Top != plot.Top) {
            canvas.Pen().Color = clBlack;
            canvas.MoveTo(area.Left, area.Top);
            canvas.LineTo(area.Right, area.Top);
        }
    }

    // The time window runs from the first to the last time of the series.
    const std::int32_t times = state.LTime.Count();
    const double tmin = times > 0 ? state.LTime.GetItem(0) : 0;
    const double tmax = times > 0 ? state.LTime.GetItem(times - 1) : 0;

    // Intraday bars are placed by position, daily bars by time.
    const auto drawLine = [&](const TVegaDoubleList& line, TColor color) {
        canvas.Pen().Color = color;
        if (state.Intraday)
            line.Draw1(canvas, plot, ymin, ymax);
        else
            line.Draw1Rescaled(canvas, plot, ymin, ymax, tmin, tmax, state.LTime);
    };
    const BarScale scale{ymin, ymax, tmin, tmax};
    // One pass over the bars serves both the bars and the volume pane.
    std::vector<BarColumn> columns;
    if (extras.Style != BarStyle::Line || extras.Volume) columns = BarColumnsOf(state, plot, scale);
    if (extras.Style == BarStyle::Line)
        drawLine(state.LClose, kCloseColor);
    else
        DrawPriceBars(state, canvas, plot, scale, extras.Style, columns);

    // High and low lines are placed as the close line is: placed by time while the close goes
    // by position, they drift away from their bars across the nights between trading days,
    // and a high line can run below the close.
    if (state.HighLow) {
        drawLine(state.LLow, kLowColor);
        drawLine(state.LHigh, kHighColor);
    }
    if (!extras.Averages.empty()) DrawAverages(state, canvas, plot, scale);
    if (extras.Volume) DrawVolumePane(state, canvas, layout.VolumePane, scale, columns);
    if (extras.RsiWindow > 0) DrawRsiPane(state, canvas, layout.RsiPane, scale);

    canvas.Pen().Color = clBlack;
    canvas.MoveTo(layout.TimeAxis.Left, layout.TimeAxis.Top);
    canvas.LineTo(layout.TimeAxis.Right, layout.TimeAxis.Top);

    // The time axis covers the newest trading day and the future positions after it.
    TRect dayAxis = layout.TimeAxis;
    dayAxis.Left =
        ValueToPixel(layout.TimeAxis.Left, layout.TimeAxis.Right, 0, n - 1, state.IFirstBarInDay);
    DrawTimeAxis(canvas, dayAxis, {}, true, std::nullopt, "Arial", 0, state.DayTMax, state.DayTMin);

    DrawPriceAxis(canvas, layout.PriceAxis, 1, "", ymax, ymin);

    const bool up = state.DeltaClose > 0;
    status.TextColor = up ? kUpTextColor : kDownTextColor;
    status.SquareColor = up ? kUpSquareColor : kDownSquareColor;
    status.Text = std::to_string(static_cast<std::int64_t>(state.ILastPrice) + 1) +
                  " bars; last bar: " + DateTimeToText(0, '.', state.LastCloseTime) + "  " +
                  RealToText(0, state.LastClose);

    // A state whose newest bar lies outside the series has no price to write.
    if (state.ILastPrice >= 0 && state.ILastPrice < n) {
        const double price = state.LClose.GetItem(state.ILastPrice);
        const std::int32_t x = ValueToPixel(plot.Left, plot.Right, 0, n - 1, state.ILastPrice);
        const std::int32_t y = ValueToPixel(plot.Bottom, plot.Top, ymin, ymax, price);
        SetChartLabelFont(canvas, clBlack);
        canvas.TextOut(x, y, RealToText(0, price));
    }
    return true;
}

}  // namespace vela
