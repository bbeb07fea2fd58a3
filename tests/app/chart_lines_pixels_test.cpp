// The high and low lines of a chart, as pixels: they bound the close line in every column.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/chart_render.h"
#include "chart/chart_painting.h"
#include "chart/chart_update.h"
#include "text/calendar.h"

namespace vela::app {
namespace {

constexpr TColor kCloseColor = 0x808000;
constexpr TColor kLowColor = 0xFF0000;
constexpr TColor kHighColor = 0x0000FF;

TColor At(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return RgbColor(qRed(p), qGreen(p), qBlue(p));
}

// The topmost and bottommost rows of a colour in one column of the plot.
struct Extent {
    int Top;
    int Bottom;
};

std::optional<Extent> ExtentOf(const QImage& image, const TRect& plot, int x, TColor color) {
    std::optional<Extent> extent;
    for (int y = plot.Top; y < plot.Bottom; ++y) {
        if (At(image, x, y) != color) continue;
        if (!extent) extent = Extent{y, y};
        extent->Bottom = y;
    }
    return extent;
}

// One-minute bars over two trading days: the first trades near 110, the second near 100,
// so the night between them is a steep fall if the lines are placed by time.
ChartState TwoDaysOfMinuteBars(bool highLow) {
    std::vector<BarPrices> bars;
    const auto day = [&](std::int32_t date, int count, double level) {
        const double start = DateToCenturies(2012, 6, date, 9.5);
        for (int i = 0; i < count; ++i) {
            BarPrices b;
            b.dtTime = start + i * BarLengthInCenturies(1);
            b.dClose = level + (i % 7) * 0.25;
            b.dHigh = b.dClose + 0.5 + (i % 3) * 0.2;
            b.dLow = b.dClose - 0.5 - (i % 4) * 0.1;
            bars.push_back(b);
        }
    };
    day(18, 60, 110);
    day(19, 40, 100);
    ChartState s;
    s.dT = BarLengthInCenturies(1);
    UpdateChartSeries(bars, s);
    s.HighLow = highLow;
    return s;
}

TEST(ChartLinesPixels, HighAndLowBoundTheCloseAcrossABreakBetweenDays) {
    const ChartState closeOnly = TwoDaysOfMinuteBars(false);
    ASSERT_TRUE(closeOnly.Intraday);
    ASSERT_EQ(closeOnly.IFirstBarInDay, 60);
    const QImage closeImage = RenderChart(closeOnly, 441, 294, nullptr);
    const QImage image = RenderChart(TwoDaysOfMinuteBars(true), 441, 294, nullptr);
    const TRect plot = ChartLayoutFor(TRect{0, 0, 441, 294}).Plot;

    // The close line alone, so that the lines drawn over it hide none of its pixels; the high
    // line is drawn last and shows whole, the low line wherever the high does not cover it.
    int columns = 0;
    std::vector<int> highBelowClose;
    std::vector<int> lowAboveClose;
    for (int x = plot.Left; x < plot.Right; ++x) {
        const std::optional<Extent> close = ExtentOf(closeImage, plot, x, kCloseColor);
        if (!close) continue;
        ++columns;
        const std::optional<Extent> high = ExtentOf(image, plot, x, kHighColor);
        const std::optional<Extent> low = ExtentOf(image, plot, x, kLowColor);
        ASSERT_TRUE(high && low) << "column " << x;
        if (high->Top > close->Top) highBelowClose.push_back(x);
        if (low->Bottom < close->Bottom) lowAboveClose.push_back(x);
    }
    EXPECT_EQ(highBelowClose, std::vector<int>{});
    EXPECT_EQ(lowAboveClose, std::vector<int>{});
    EXPECT_GT(columns, 300);  // the close line spans the bars, most of the plot's 370 columns
}

}  // namespace
}  // namespace vela::app
