#include "chart/chart_painting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "chart/alert_lines.h"
#include "chart/chart_column_cache.h"
#include "chart/chart_extras_painting.h"
#include "chart/chart_mapping.h"
#include "chart/logged_chart.h"
#include "chart/price_axis.h"
#include "chart/time_axis.h"
#include "geometry/value_mapping.h"
#include "text/century_times.h"
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

namespace {

constexpr double kMillisecondInCenturies = 1.0 / (36525.0 * 86'400'000.0);

constexpr TColor kDaySeparatorColor = 0xC0C0C0;
constexpr TColor kDayDateColor = 0x606060;

// A thin line at the first position of each calendar day after the first, over the plot and
// its panes, with the day's date at the plot's bottom where it fits beside the previous one.
void DrawDaySeparators(const ChartState& state, Canvas& canvas, const ChartMapping& map,
                       const ChartLayout& layout) {
    const auto times = state.LTime.Items();
    const std::int32_t bars = std::min<std::int32_t>(state.ILastPrice + 1, map.Positions());
    if (bars < 2) return;
    const std::int32_t top = layout.Plot.Top;
    std::int32_t bottom = layout.Plot.Bottom;
    for (const TRect& pane : {layout.RsiPane, layout.VolumePane})
        if (pane.Bottom > pane.Top) bottom = std::max(bottom, pane.Bottom);
    // What follows is drawn with the canvas as it was.
    const CanvasFont font = canvas.Font();
    const TColor pen = canvas.Pen().Color;
    SetChartLabelFont(canvas, kDayDateColor);
    const std::int32_t textHeight = canvas.TextHeight("0");
    std::int64_t lastLine = std::numeric_limits<std::int32_t>::min();
    std::int64_t freeFrom = std::numeric_limits<std::int32_t>::min();
    CenturyTimeDecoder decoder;
    std::int32_t year = 0, month = 0, dayOfMonth = 0;
    double hours = 0;
    decoder.Decode(times[0], year, month, dayOfMonth, hours);
    for (std::int32_t i = 1; i < bars; ++i) {
        const std::int32_t before = dayOfMonth, monthBefore = month, yearBefore = year;
        decoder.Decode(times[static_cast<std::size_t>(i)], year, month, dayOfMonth, hours);
        if (dayOfMonth == before && month == monthBefore && year == yearBefore) continue;
        const std::int32_t x = map.XOf(i);
        // Lines closer than a few pixels would grey the plot over; every date still gets one
        // whose line is drawn and whose text fits.
        if (std::int64_t{x} - lastLine < 4) continue;
        lastLine = x;
        canvas.Pen().Color = kDaySeparatorColor;
        canvas.MoveTo(x, top + 1);
        canvas.LineTo(x, bottom);
        const std::string date = DayMonthText(dayOfMonth, month);
        const std::int32_t width = canvas.TextWidth(date);
        if (std::int64_t{x} + 2 < freeFrom || x + 2 + width > layout.Plot.Right) continue;
        canvas.TextOut(x + 2, layout.Plot.Bottom - textHeight - 1, date);
        freeFrom = std::int64_t{x} + 2 + width + 4;
    }
    canvas.Font() = font;
    canvas.Pen().Color = pen;
}

}  // namespace

std::string DayMonthText(std::int32_t day, std::int32_t month) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month < 1 || month > 12) return std::to_string(day);
    return std::to_string(day) + " " + kMonths[month - 1];
}

std::string UndrawableReason(const ChartState& state) {
    if (state.LClose.Count() < 2) return {};
    double lowest = 0, highest = 0, ymin = 0, ymax = 0;
    state.LHigh.GetMinMax(lowest, ymax);
    state.LLow.GetMinMax(ymin, highest);
    // Without any high or low the search bounds remain: a blank chart, not a wrong one.
    const bool values = std::fabs(ymin) < 1e300 && std::fabs(ymax) < 1e300;
    if (!values || !(ymin > ymax)) return {};
    return "cannot draw the chart: every high lies below the lows (highest high " +
           RealToText(0, ymax) + ", lowest low " + RealToText(0, ymin) + ")";
}

bool FlickerFreePaintBox1Paint(const ChartState& given, Canvas& canvas, const TRect& clientRect,
                               ChartStatus& status, ChartMapping* painted,
                               ChartColumnCache* cache) {
    Fill(canvas, clientRect, kBackgroundColor);
    const std::int32_t n = given.LClose.Count();
    if (n < 2) return false;

    double lowest = 0;
    double highest = 0;
    double ymin = 0;
    double ymax = 0;
    if (cache != nullptr) {
        cache->HighLowRange(given, lowest, ymax, ymin, highest);
    } else {
        given.LHigh.GetMinMax(lowest, ymax);
        given.LLow.GetMinMax(ymin, highest);
    }
    if (ymin > ymax) {
        if (UndrawableReason(given).empty()) return false;
        // Nothing can be drawn of such bars; the status line says why instead of a blank.
        status.Text = UndrawableReason(given);
        status.TextColor = kDownTextColor;
        status.SquareColor = kDownSquareColor;
        return false;
    }
    if (ymin == ymax) {
        // A flat series (an illiquid instrument) gets a little room around its price, so its
        // line, its axis and its label show.
        const double margin = ymin == 0 ? 1 : std::fabs(ymin) * 0.005;
        ymin -= margin;
        ymax += margin;
    }

    // A log scale shows only prices above 0; a view holding any other stays linear.
    const bool wantsLog = given.Extras.LogScale;
    const bool log = wantsLog && LogScaleFits(ymin, ymax);
    std::optional<ChartState> logged;
    const ChartState* drawn = &given;
    if (log) {
        if (cache != nullptr) {
            drawn = &cache->Logged(given);
        } else {
            logged = LoggedPrices(given);
            drawn = &*logged;
        }
        ymin = std::log(ymin);
        ymax = std::log(ymax);
    }
    const ChartState& state = *drawn;

    // The margin stops at zero only for a chart of non-negative prices; a chart that goes
    // below zero (spreads) keeps its margin below as well. Logarithms have no such floor.
    const double unpaddedMin = ymin;
    const double pad = (ymax - ymin) * 0.1;
    ymin -= pad;
    if (!log && unpaddedMin >= 0 && ymin < 0) ymin = 0;
    ymax += pad;

    const ChartExtras& extras = state.Extras;
    const ChartLayout layout = ChartLayoutFor(clientRect, extras);
    const TRect& plot = layout.Plot;
    const ChartMapping map =
        log ? ChartMapping(state.LTime.Items(), state.Intraday, plot, std::exp(ymin),
                           std::exp(ymax), true)
            : ChartMapping(state.LTime.Items(), state.Intraday, plot, ymin, ymax);
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
    if (extras.FullTimeAxis && state.Intraday) DrawDaySeparators(state, canvas, map, layout);

    // The time window runs from the first to the last time of the series.
    const std::int32_t times = state.LTime.Count();
    const double tmin = times > 0 ? state.LTime.GetItem(0) : 0;
    const double tmax = times > 0 ? state.LTime.GetItem(times - 1) : 0;

    // Intraday bars are placed by position, daily bars by time.
    const auto drawLine = [&](const TVegaDoubleList& line, TColor color) {
        canvas.Pen().Color = color;
        if (cache != nullptr)
            cache->DrawLine(state, line, canvas, plot, ymin, ymax, tmin, tmax, log);
        else if (state.Intraday)
            line.Draw1(canvas, plot, ymin, ymax);
        else
            line.Draw1Rescaled(canvas, plot, ymin, ymax, tmin, tmax, state.LTime);
    };
    const BarScale scale{ymin, ymax, tmin, tmax};
    // One pass over the bars serves both the bars and the volume pane.
    std::vector<BarColumn> columns;
    if (extras.Style != BarStyle::Line || extras.Volume)
        columns = cache != nullptr ? cache->BarColumns(state, plot, scale, log)
                                   : BarColumnsOf(state, plot, scale);
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
    SeriesDrawer kept;
    if (cache != nullptr)
        kept = [&](const TVegaDoubleList& line, const TRect& area, double lo, double hi) {
            cache->DrawLine(state, line, canvas, area, lo, hi, tmin, tmax, log);
        };
    if (!extras.Averages.empty()) DrawAverages(state, canvas, plot, scale, kept);
    if (extras.Volume) DrawVolumePane(state, canvas, layout.VolumePane, scale, columns);
    if (extras.RsiWindow > 0) DrawRsiPane(state, canvas, layout.RsiPane, scale, kept);

    canvas.Pen().Color = clBlack;
    canvas.MoveTo(layout.TimeAxis.Left, layout.TimeAxis.Top);
    canvas.LineTo(layout.TimeAxis.Right, layout.TimeAxis.Top);

    if (extras.FullTimeAxis && state.Intraday) {
        // The axis over the whole plot reads each pixel's time from the position under it,
        // so every session in view is labelled however long the breaks between them.
        // Columns beside the plot read the edge's position, so the axis's first column is no
        // change of year; a bar's time is read a millisecond late, so that a bar on a round
        // minute, stored a hair below it, is labelled with its own minute.
        const PixelTimeFunction pixelTime = [&map, &state](std::int32_t x, double&) {
            const TRect& plot = map.Plot();
            const auto i = map.PositionAt(std::clamp(x, plot.Left, plot.Right));
            return i ? state.LTime.GetItem(*i) + kMillisecondInCenturies : 0.0;
        };
        // The labels' level follows the bars' density: the time the positions would span
        // without the breaks between sessions, not the calendar time over them.
        const double traded = state.dT > 0 ? tmin + (times - 1) * state.dT : tmax;
        DrawTimeAxis(canvas, layout.TimeAxis, pixelTime, true, std::nullopt, "Arial", 0,
                     std::min(tmax, traded), tmin);
    } else if (extras.FullTimeAxis) {
        DrawTimeAxis(canvas, layout.TimeAxis, {}, true, std::nullopt, "Arial", 0, tmax, tmin);
    } else {
        // The time axis covers the newest trading day and the future positions after it.
        TRect dayAxis = layout.TimeAxis;
        dayAxis.Left = ValueToPixel(layout.TimeAxis.Left, layout.TimeAxis.Right, 0, n - 1,
                                    state.IFirstBarInDay);
        DrawTimeAxis(canvas, dayAxis, {}, true, std::nullopt, "Arial", 0, state.DayTMax,
                     state.DayTMin);
    }

    if (log)
        DrawLogPriceAxis(canvas, layout.PriceAxis, std::exp(ymax), std::exp(ymin));
    else
        DrawPriceAxis(canvas, layout.PriceAxis, 1, "", ymax, ymin);

    const bool up = state.DeltaClose > 0;
    status.TextColor = up ? kUpTextColor : kDownTextColor;
    status.SquareColor = up ? kUpSquareColor : kDownSquareColor;
    status.Text = std::to_string(static_cast<std::int64_t>(state.ILastPrice) + 1) +
                  " bars; last bar: " + DateTimeToText(0, '.', state.LastCloseTime) + "  " +
                  RealToText(0, state.LastClose);
    if (wantsLog && !log) status.Text += "; linear scale: prices at or below 0 in view";

    if (!given.Alerts.empty()) DrawAlertLines(canvas, map, given.Alerts);

    // A state whose newest bar lies outside the series has no price to write.
    if (given.ILastPrice >= 0 && given.ILastPrice < n) {
        const double price = given.LClose.GetItem(given.ILastPrice);
        const std::int32_t x = ValueToPixel(plot.Left, plot.Right, 0, n - 1, given.ILastPrice);
        const std::int32_t y = map.YOf(price);
        SetChartLabelFont(canvas, clBlack);
        canvas.TextOut(x, y, RealToText(0, price));
    }
    if (painted != nullptr) *painted = map;
    return true;
}

}  // namespace vela
