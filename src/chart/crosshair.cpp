#include "chart/crosshair.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "text/date_time_text.h"

namespace vela {

namespace {

bool Contains(const TRect& r, TPoint p) {
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

TRect Grown(const TRect& r, std::int32_t by) {
    return TRect{r.Left - by, r.Top - by, r.Right + by, r.Bottom + by};
}

// The readout's lines: one, or the date-time and the prices apart when one is wider than
// the plot can show.
std::vector<std::string> ReadoutLines(const std::string& readout, std::int32_t room,
                                      const MeasureText& measure) {
    if (readout.empty()) return {};
    if (measure(readout).Width <= room) return {readout};
    // The readout starts with the date and the time; its prices follow after two blanks.
    const std::size_t prices = readout.find("  O ");
    if (prices == std::string::npos) return {readout};
    return {readout.substr(0, prices), readout.substr(prices + 2)};
}

}  // namespace

std::string CrosshairPriceText(double price, double low, double high) {
    if (!std::isfinite(price)) return {};
    const double range = std::fabs(high - low);
    int decimals = 0;
    if (range > 0 && std::isfinite(range))
        decimals = std::clamp(static_cast<int>(std::ceil(std::log10(300.0 / range))), 0, 10);
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, price, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return {};
    return std::string(buffer, end);
}

CrosshairGeometry CrosshairGeometryFor(const ChartMapping& map, const ChartLayout& layout,
                                       TPoint mouse, const std::string& readout,
                                       std::optional<double> barTime, bool averageLabels,
                                       const MeasureText& measure) {
    const TRect& plot = layout.Plot;
    CrosshairGeometry g;
    g.Mouse = mouse;
    g.Horizontal = TRect{plot.Left, mouse.Y, plot.Right + 1, mouse.Y + 1};
    g.Vertical = TRect{mouse.X, plot.Top, mouse.X + 1, plot.Bottom + 1};

    const std::int32_t room = plot.Right - plot.Left - 2 - 2 * kReadoutMargin;
    g.ReadoutLines = ReadoutLines(readout, room, measure);
    if (!g.ReadoutLines.empty()) {
        std::int32_t width = 0;
        std::int32_t height = 0;
        for (const std::string& line : g.ReadoutLines) {
            const TextSize size = measure(line);
            width = std::max(width, size.Width);
            height += size.Height;
        }
        width = std::min(width + 2 * kReadoutMargin, plot.Right - plot.Left - 2);
        height += 2 * kReadoutMargin;
        // Below the averages' labels, which run along the plot's top edge.
        const std::int32_t top = plot.Top + 1 + (averageLabels ? measure("SMA").Height + 2 : 0);
        g.Readout = TRect{plot.Left + 1, top, plot.Left + 1 + width, top + height};
        if (Contains(Grown(g.Readout, kReadoutMargin), mouse))
            g.Readout = TRect{plot.Right - 1 - width, top, plot.Right - 1, top + height};
    }

    // The price at the mouse, in a box on the price axis level with the line.
    g.PriceText = CrosshairPriceText(map.PriceAt(mouse.Y), map.YMin(), map.YMax());
    if (!g.PriceText.empty()) {
        const TextSize size = measure(g.PriceText);
        const std::int32_t width = std::min(size.Width + 4, plot.Left - layout.PriceAxis.Left);
        const std::int32_t top =
            std::clamp(mouse.Y - size.Height / 2 - 1, layout.PriceAxis.Top,
                       std::max(layout.PriceAxis.Top, plot.Bottom - size.Height - 2));
        g.PriceLabel = TRect{plot.Left - width, top, plot.Left, top + size.Height + 2};
    }

    // The bar's date-time under the time axis line, centred on the vertical line.
    if (barTime) {
        g.TimeText = DateTimeToText(0, '.', *barTime);
        const TextSize size = measure(g.TimeText);
        const TRect& axis = layout.TimeAxis;
        const std::int32_t width = size.Width + 4;
        const std::int32_t left =
            std::clamp(mouse.X - width / 2, axis.Left, std::max(axis.Left, axis.Right - width));
        g.TimeLabel = TRect{left, axis.Top + 1, left + width, axis.Top + 1 + size.Height + 2};
    }
    return g;
}

MeasureText MeasureOn(const Canvas& canvas) {
    return [&canvas](std::string_view text) {
        return TextSize{canvas.TextWidth(text), canvas.TextHeight(text)};
    };
}

void DrawCrosshair(Canvas& canvas, const CrosshairGeometry& g) {
    canvas.Pen() = CanvasPen{kCrosshairLineColor, PenStyle::Dot};
    canvas.MoveTo(g.Horizontal.Left, g.Horizontal.Top);
    canvas.LineTo(g.Horizontal.Right, g.Horizontal.Top);
    canvas.MoveTo(g.Vertical.Left, g.Vertical.Top);
    canvas.LineTo(g.Vertical.Left, g.Vertical.Bottom);

    canvas.SetBackgroundTransparent(true);
    canvas.Font().Color = clBlack;
    const auto box = [&canvas](const TRect& r, const std::vector<std::string>& lines) {
        if (lines.empty() || r.Right <= r.Left || r.Bottom <= r.Top) return;
        canvas.Pen() = CanvasPen{kCrosshairBoxBorder};
        canvas.Brush() = CanvasBrush{kCrosshairBoxFill};
        // The outline takes the box's right and bottom edges as well.
        canvas.Rectangle(TRect{r.Left, r.Top, r.Right + 1, r.Bottom + 1});
        std::int32_t height = 0;
        for (const std::string& line : lines) height += canvas.TextHeight(line);
        std::int32_t y = r.Top + (r.Bottom - r.Top - height) / 2;
        for (const std::string& line : lines) {
            canvas.TextOut(r.Left + (r.Right - r.Left - canvas.TextWidth(line)) / 2, y, line);
            y += canvas.TextHeight(line);
        }
    };
    box(g.Readout, g.ReadoutLines);
    if (!g.PriceText.empty()) box(g.PriceLabel, {g.PriceText});
    if (!g.TimeText.empty()) box(g.TimeLabel, {g.TimeText});
}

std::vector<TRect> CrosshairRects(const CrosshairGeometry& g) {
    std::vector<TRect> rects{g.Horizontal, g.Vertical};
    for (const TRect& r : {g.Readout, g.PriceLabel, g.TimeLabel})
        if (r.Right > r.Left && r.Bottom > r.Top)
            rects.push_back(TRect{r.Left, r.Top, r.Right + 1, r.Bottom + 1});
    return rects;
}

}  // namespace vela
