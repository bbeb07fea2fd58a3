#include "chart/chart_extras_painting.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "chart/chart_painting.h"
#include "geometry/pixel_mapping.h"

namespace vela {

namespace {

constexpr TColor kUpFill = 0x00B400;
constexpr TColor kUpEdge = 0x006400;
constexpr TColor kDownFill = 0x0000E0;
constexpr TColor kDownEdge = 0x000080;
constexpr TColor kDojiColor = 0x404040;
constexpr TColor kUpVolume = 0x90D090;
constexpr TColor kDownVolume = 0x9090E8;
// One-pixel columns in the light colours fade into the background.
constexpr TColor kUpVolumeThin = 0x50A050;
constexpr TColor kDownVolumeThin = 0x5050D0;
constexpr TColor kRsiColor = 0x800080;
constexpr TColor kRsiLevelColor = 0xA0A0A0;
constexpr TColor kScaleTextColor = 0x404040;
// Orange, blue, magenta: apart from the close line, the high and low lines and each other.
constexpr std::array<TColor, 3> kAverageColors{0x0080FF, 0xC06000, 0xC000C0};

bool IsValue(double v) {
    return v != kNullValue && std::isfinite(v);
}

bool HasValue(const TVegaDoubleList& list) {
    const auto items = list.Items();
    return std::any_of(items.begin(), items.end(), [](double v) { return v != kNullValue; });
}

}  // namespace

void ForEachBarColumn(const ChartState& s, const TRect& plot, const BarScale& scale,
                      std::int32_t from,
                      const std::function<void(const BarColumn&, std::int32_t last)>& f) {
    const std::int32_t n = std::min({s.LClose.Count(), s.LHigh.Count(), s.LLow.Count()});
    if (n < 2 || s.LTime.Count() < n) return;
    const double* close = s.LClose.Items().data();
    const double* high = s.LHigh.Items().data();
    const double* low = s.LLow.Items().data();
    const double* open = s.LOpen.Count() >= n ? s.LOpen.Items().data() : nullptr;
    const double* volume = s.LVolume.Count() >= n ? s.LVolume.Items().data() : nullptr;
    const double* times = s.LTime.Items().data();
    // The same mappings the close line goes by (Draw1 and Draw1Rescaled).
    const PixelMapping byPosition(plot.Left, plot.Right, 0, s.LClose.Count() - 1);
    const PixelMapping byTime(plot.Left, plot.Right, scale.TMin, scale.TMax);
    BarColumn c;
    bool open_ = false;
    std::int32_t last = 0;
    for (std::int32_t i = std::max(from, 0); i < n; ++i) {
        if (!IsValue(close[i]) || !IsValue(high[i]) || !IsValue(low[i])) continue;
        const std::int32_t x = s.Intraday ? byPosition(i) : byTime(times[i]);
        const double o = open && IsValue(open[i]) ? open[i] : close[i];
        const double v = volume && IsValue(volume[i]) ? volume[i] : 0;
        if (open_ && x == c.X) {
            c.High = std::max(c.High, high[i]);
            c.Low = std::min(c.Low, low[i]);
            c.Close = close[i];
            c.Volume += v;
            last = i;
            continue;
        }
        if (open_) f(c, last);
        c = BarColumn{x, o, high[i], low[i], close[i], v};
        open_ = true;
        last = i;
    }
    if (open_) f(c, last);
}

namespace {

// Half the width of a bar's body in pixels: none when bars lie closer than about 3.5 pixels,
// so neighbouring bodies never touch.
std::int32_t HalfWidth(const ChartState& s, const TRect& plot, const BarScale& scale) {
    const double width = plot.Right - plot.Left;
    double spacing = width / std::max(1, s.LClose.Count() - 1);
    if (!s.Intraday && s.dT > 0 && scale.TMax > scale.TMin)
        spacing = width * s.dT / (scale.TMax - scale.TMin);
    if (!(spacing >= 3.5)) return 0;
    return std::min<std::int32_t>(static_cast<std::int32_t>((spacing - 1) * 0.4), 20);
}

void VerticalLine(Canvas& canvas, std::int32_t x, std::int32_t top, std::int32_t bottom) {
    canvas.MoveTo(x, top);
    canvas.LineTo(x, bottom + 1);
}

// The pixels a bar's body spans, x - half to x + half, kept inside the plot: the first and
// last positions sit on its edges.
struct Span {
    std::int32_t Left;
    std::int32_t Right;  // one past
};
Span BodySpan(std::int32_t x, std::int32_t half, const TRect& plot) {
    return Span{std::max(x - half, plot.Left), std::min(x + half + 1, plot.Right)};
}

void DrawCandle(Canvas& canvas, const BarColumn& c, std::int32_t half, const PixelMapping& y,
                const TRect& plot) {
    const Span span = BodySpan(c.X, half, plot);
    const std::int32_t yo = y(c.Open);
    const std::int32_t yc = y(c.Close);
    const bool up = c.Close > c.Open;
    const bool down = c.Close < c.Open;
    const TColor edge = up ? kUpEdge : down ? kDownEdge : kDojiColor;
    canvas.Pen().Color = edge;
    VerticalLine(canvas, c.X, y(c.High), y(c.Low));
    const std::int32_t top = std::min(yo, yc);
    const std::int32_t bottom = std::max(yo, yc);
    if (!up && !down) {
        canvas.MoveTo(span.Left, yc);
        canvas.LineTo(span.Right, yc);
        return;
    }
    if (half == 0) {
        canvas.Pen().Color = up ? kUpFill : kDownFill;
        VerticalLine(canvas, c.X, top, bottom);
        return;
    }
    canvas.Brush().Style = BrushStyle::Solid;
    canvas.Brush().Color = up ? kUpFill : kDownFill;
    canvas.Rectangle(TRect{span.Left, top, span.Right, bottom + 1});
}

// The ticks are not kept inside the plot: an edge bar's open or close would be lost.
void DrawOhlcBar(Canvas& canvas, const BarColumn& c, std::int32_t half, const PixelMapping& y) {
    canvas.Pen().Color = c.Close > c.Open ? kUpEdge : c.Close < c.Open ? kDownEdge : kDojiColor;
    VerticalLine(canvas, c.X, y(c.High), y(c.Low));
    if (half == 0) return;
    const std::int32_t yo = y(c.Open);
    const std::int32_t yc = y(c.Close);
    canvas.MoveTo(c.X - half, yo);
    canvas.LineTo(c.X, yo);
    canvas.MoveTo(c.X + 1, yc);
    canvas.LineTo(c.X + half + 1, yc);
}

void DrawSeries(const ChartState& s, Canvas& canvas, const TVegaDoubleList& line, const TRect& r,
                double ymin, double ymax, const BarScale& scale) {
    if (s.Intraday)
        line.Draw1(canvas, r, ymin, ymax);
    else
        line.Draw1Rescaled(canvas, r, ymin, ymax, scale.TMin, scale.TMax, s.LTime);
}

}  // namespace

std::string AverageLabel(const ChartAverage& average) {
    const char* name = average.Type == 0 ? "SMA" : average.Type == 1 ? "EMA" : "MA";
    return std::string(name) + " " + std::to_string(average.Window);
}

std::string VolumeText(double volume) {
    struct Unit {
        double Size;
        const char* Suffix;
    };
    constexpr std::array<Unit, 3> units{{{1e9, "B"}, {1e6, "M"}, {1e3, "K"}}};
    char buffer[32];
    for (const Unit& u : units) {
        if (volume >= u.Size) {
            const double scaled = volume / u.Size;
            std::snprintf(buffer, sizeof buffer, scaled < 100 ? "%.1f%s" : "%.0f%s", scaled,
                          u.Suffix);
            return buffer;
        }
    }
    std::snprintf(buffer, sizeof buffer, "%.0f", volume);
    return buffer;
}

std::vector<BarColumn> BarColumnsOf(const ChartState& state, const TRect& plot,
                                    const BarScale& scale) {
    std::vector<BarColumn> columns;
    ForEachBarColumn(state, plot, scale, 0,
                     [&](const BarColumn& c, std::int32_t) { columns.push_back(c); });
    return columns;
}

void DrawPriceBars(const ChartState& state, Canvas& canvas, const TRect& plot,
                   const BarScale& scale, BarStyle style, std::span<const BarColumn> columns) {
    if (style == BarStyle::Line || !(scale.YMax > scale.YMin)) return;
    const PixelMapping y(plot.Bottom, plot.Top, scale.YMin, scale.YMax);
    const std::int32_t half = HalfWidth(state, plot, scale);
    canvas.Pen().Width = 1;
    canvas.Pen().Style = PenStyle::Solid;
    for (const BarColumn& c : columns) {
        if (style == BarStyle::Candles)
            DrawCandle(canvas, c, half, y, plot);
        else
            DrawOhlcBar(canvas, c, half, y);
    }
}

void DrawVolumePane(const ChartState& state, Canvas& canvas, const TRect& pane,
                    const BarScale& scale, std::span<const BarColumn> columns) {
    double largest = 0;
    for (const BarColumn& c : columns) largest = std::max(largest, c.Volume);
    if (!(largest > 0)) return;
    const std::int32_t half = HalfWidth(state, pane, scale);
    // The tallest column stops short of the pane's top, under the scale text.
    const double height = (pane.Bottom - pane.Top) * 0.85;
    canvas.Pen().Width = 1;
    canvas.Pen().Style = PenStyle::Solid;
    canvas.Brush().Style = BrushStyle::Solid;
    for (const BarColumn& c : columns) {
        if (!(c.Volume > 0)) continue;
        const auto top =
            pane.Bottom - std::max<std::int32_t>(1, static_cast<std::int32_t>(
                                                        std::lround(c.Volume / largest * height)));
        const bool up = c.Close >= c.Open;
        if (half == 0) {
            const TColor color = up ? kUpVolumeThin : kDownVolumeThin;
            canvas.Pen().Color = color;
            canvas.MoveTo(c.X, top);
            canvas.LineTo(c.X, pane.Bottom);
        } else {
            canvas.Brush().Color = up ? kUpVolume : kDownVolume;
            const Span span = BodySpan(c.X, half, pane);
            canvas.FillRect(TRect{span.Left, top, span.Right, pane.Bottom});
        }
    }
    SetChartLabelFont(canvas, kScaleTextColor);
    canvas.TextOut(pane.Left + 3, pane.Top + 1, "Vol " + VolumeText(largest));
}

void DrawAverages(const ChartState& state, Canvas& canvas, const TRect& plot, const BarScale& scale,
                  const SeriesDrawer& draw) {
    const auto shown = std::min<std::size_t>(state.Extras.Averages.size(), kAverageColors.size());
    std::int32_t x = plot.Left + 3;
    for (std::size_t k = 0; k < shown; ++k) {
        const ChartAverage& a = state.Extras.Averages[k];
        if (a.Window <= 0) continue;
        const ChartOverlays& cache = state.Overlays;
        TVegaDoubleList computed;
        const bool cached = cache.Averages == state.Extras.Averages &&
                            cache.LAverages.size() == state.Extras.Averages.size() &&
                            cache.LAverages[k].Count() == state.LClose.Count();
        if (!cached) {
            if (!HasValue(state.LClose)) return;
            computed = state.LClose;
            computed.SetMovingAverages(a.Window, a.Type);
        }
        const TVegaDoubleList& line = cached ? cache.LAverages[k] : computed;
        canvas.Pen().Color = kAverageColors[k];
        canvas.Pen().Width = 1;
        if (draw)
            draw(line, plot, scale.YMin, scale.YMax);
        else
            DrawSeries(state, canvas, line, plot, scale.YMin, scale.YMax, scale);
        SetChartLabelFont(canvas, kAverageColors[k]);
        const std::string label = AverageLabel(a);
        canvas.TextOut(x, plot.Top + 1, label);
        x += canvas.TextWidth(label) + 8;
    }
}

void DrawRsiPane(const ChartState& state, Canvas& canvas, const TRect& pane, const BarScale& scale,
                 const SeriesDrawer& draw) {
    const std::int32_t window = state.Extras.RsiWindow;
    if (window <= 0) return;
    canvas.Pen().Width = 1;
    canvas.Pen().Color = kRsiLevelColor;
    const PixelMapping y(pane.Bottom, pane.Top, 0, 100);
    for (const double level : {30.0, 70.0}) {
        canvas.MoveTo(pane.Left, y(level));
        canvas.LineTo(pane.Right, y(level));
    }
    const ChartOverlays& cache = state.Overlays;
    TVegaDoubleList computed;
    const bool cached = cache.RsiWindow == window && cache.LRsi.Count() == state.LClose.Count();
    if (!cached) {
        computed = state.LClose;
        computed.SetRSI(window, 0);
    }
    canvas.Pen().Color = kRsiColor;
    const TVegaDoubleList& line = cached ? cache.LRsi : computed;
    if (draw)
        draw(line, pane, 0, 100);
    else
        DrawSeries(state, canvas, line, pane, 0, 100, scale);
    SetChartLabelFont(canvas, kRsiColor);
    canvas.TextOut(pane.Left + 3, pane.Top + 1, "RSI " + std::to_string(window));
    SetChartLabelFont(canvas, kScaleTextColor);
    for (const double level : {30.0, 70.0}) {
        const std::string text = std::to_string(static_cast<int>(level));
        canvas.TextOut(pane.Left - canvas.TextWidth(text) - 3,
                       y(level) - canvas.TextHeight(text) / 2, text);
    }
}

}  // namespace vela
