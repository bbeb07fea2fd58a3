#include "chart/alert_lines.h"

#include <cmath>

#include "chart/chart_painting.h"
#include "chart/price_axis.h"
#include "market/price_alerts.h"

namespace vela {

void DrawAlertLines(Canvas& canvas, const ChartMapping& map, std::span<const AlertMark> alerts) {
    const TRect& plot = map.Plot();
    const double low = std::fmin(map.YMin(), map.YMax());
    const double high = std::fmax(map.YMin(), map.YMax());
    const CanvasPen pen = canvas.Pen();
    const CanvasBrush brush = canvas.Brush();
    for (const AlertMark& alert : alerts) {
        if (!(alert.Level >= low && alert.Level <= high)) continue;
        const std::int32_t y = map.YOf(alert.Level);
        const TColor color = alert.Fired ? kFiredAlertColor : kArmedAlertColor;
        canvas.Pen().Color = color;
        canvas.Pen().Style = PenStyle::Dash;
        canvas.Pen().Width = 1;
        canvas.MoveTo(plot.Left, y);
        canvas.LineTo(plot.Right, y);
        // A tag in the line's colour: readable over the bars and the newest price alike.
        SetChartLabelFont(canvas, alert.Fired ? kFiredAlertTextColor : clWhite);
        const std::string text = LevelText(alert.Level);
        const std::int32_t w = canvas.TextWidth(text);
        const std::int32_t h = canvas.TextHeight(text);
        canvas.Brush().Color = color;
        canvas.Brush().Style = BrushStyle::Solid;
        canvas.FillRect(TRect{plot.Right - w - 4, y - h - 1, plot.Right, y});
        canvas.TextOut(plot.Right - w - 2, y - h, text);
    }
    canvas.Pen() = pen;
    canvas.Brush() = brush;
}

std::optional<double> AlertPriceAt(const ChartMapping& map, std::int32_t y, std::string* why) {
    const auto fail = [why](const char* reason) -> std::optional<double> {
        if (why != nullptr) *why = reason;
        return std::nullopt;
    };
    const double ymin = map.YMin();
    const double ymax = map.YMax();
    if (!std::isfinite(ymin) || !std::isfinite(ymax) || !(ymax > ymin))
        return fail("the price axis is flat: no price can be read off it");
    const double price = map.PriceAt(y);
    const double scale = PriceAxisTickScale(ymin, ymax);
    if (!(scale > 0) || !std::isfinite(price))
        return fail("the price axis has no steps to round a price to");
    // k / scale, as the axis computes its ticks: 3830.1, not 3830.1000000000004.
    return std::round(price * scale) / scale;
}

}  // namespace vela
