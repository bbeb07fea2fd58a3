#include "chart/alert_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/chart_painting.h"
#include "chart/chart_update.h"
#include "chart/price_axis.h"
#include "platform/recording_canvas.h"
#include "text/calendar.h"

namespace vela {
namespace {

using Kind = CanvasRecord::Kind;

constexpr TRect kClient{0, 0, 441, 294};
constexpr TRect kPlot{62, 3, 432, 211};

std::vector<double> Times(int n) {
    std::vector<double> t;
    for (int i = 0; i < n; ++i) t.push_back(i);
    return t;
}

TEST(AlertLinesTest, EachLevelInViewIsADashedLineWithItsLevelAtTheRightEnd) {
    const std::vector<double> times = Times(20);
    const ChartMapping map(times, true, kPlot, 90, 110);
    RecordingCanvas canvas;
    canvas.Pen().Color = 0x123456;
    canvas.Brush().Color = 0xABCDEF;
    const std::vector<AlertMark> alerts = {
        {100, false}, {105.5, true}, {120, false}, {89.99, false}, {110, false}};
    DrawAlertLines(canvas, map, alerts);

    struct Expected {
        double Level;
        TColor Color;
        TColor TextColor;
        const char* Text;
    };
    const Expected expected[] = {{100, kArmedAlertColor, clWhite, "100"},
                                 {105.5, kFiredAlertColor, kFiredAlertTextColor, "105.5"},
                                 {110, kArmedAlertColor, clWhite, "110"}};
    const auto& records = canvas.Records();
    ASSERT_EQ(records.size(), 3 * std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Expected& e = expected[i];
        const std::int32_t y = map.YOf(e.Level);
        const CanvasRecord& line = records[3 * i];
        const CanvasRecord& tag = records[3 * i + 1];
        const CanvasRecord& text = records[3 * i + 2];
        EXPECT_EQ(line.What, Kind::Line) << e.Text;
        EXPECT_EQ(line.From(), (TPoint{kPlot.Left, y})) << e.Text;
        EXPECT_EQ(line.To(), (TPoint{kPlot.Right, y})) << e.Text;
        EXPECT_EQ(line.Pen.Style, PenStyle::Dash) << e.Text;
        EXPECT_EQ(line.Pen.Color, e.Color) << e.Text;
        ASSERT_EQ(text.What, Kind::Text) << e.Text;
        EXPECT_EQ(text.Text, e.Text);
        EXPECT_EQ(text.Font.Color, e.TextColor) << e.Text;
        const std::int32_t w = canvas.TextWidth(e.Text);
        const std::int32_t h = canvas.TextHeight(e.Text);
        EXPECT_EQ(text.From(), (TPoint{kPlot.Right - w - 2, y - h})) << e.Text;
        // The tag holds the text and stops short of the line.
        ASSERT_EQ(tag.What, Kind::FillRect) << e.Text;
        EXPECT_EQ(tag.Brush.Color, e.Color) << e.Text;
        EXPECT_EQ(tag.Rect, (TRect{kPlot.Right - w - 4, y - h - 1, kPlot.Right, y})) << e.Text;
    }
    // Pen and brush are left as they were found.
    EXPECT_EQ(canvas.Pen().Color, 0x123456);
    EXPECT_EQ(canvas.Pen().Style, PenStyle::Solid);
    EXPECT_EQ(canvas.Brush().Color, 0xABCDEF);
}

TEST(AlertLinesTest, AChartWithAlertsIsTheChartWithoutThemPlusTheirLinesUnderTheNewestPrice) {
    ChartState state;
    state.dT = BarLengthInCenturies(1);
    std::vector<BarPrices> bars;
    const double start = DateToCenturies(2012, 6, 20, 9.5);
    for (int i = 0; i < 40; ++i) {
        const double p = 100 + 5 * std::sin(i / 5.0);
        bars.push_back(BarPrices{start + i * state.dT, p, p + 0.5, p - 0.5, p, 10});
    }
    UpdateChartSeries(bars, state);
    for (const bool log : {false, true}) {
        state.Extras.LogScale = log;
        state.Alerts.clear();
        RecordingCanvas plain;
        ChartStatus plainStatus;
        ChartMapping map;
        ASSERT_TRUE(FlickerFreePaintBox1Paint(state, plain, kClient, plainStatus, &map));

        state.Alerts = {{102, false}, {97, true}, {500, false}};
        RecordingCanvas withAlerts;
        ChartStatus status;
        ASSERT_TRUE(FlickerFreePaintBox1Paint(state, withAlerts, kClient, status));
        EXPECT_EQ(status.Text, plainStatus.Text);
        RecordingCanvas lines;
        DrawAlertLines(lines, map, state.Alerts);
        ASSERT_EQ(lines.Records().size(), 6u) << "the level beyond the plot draws nothing";

        // Everything of the plain chart, the alert lines inserted before the newest price.
        const auto& p = plain.Records();
        const auto& w = withAlerts.Records();
        ASSERT_EQ(w.size(), p.size() + lines.Records().size());
        const std::size_t at = p.size() - 1;
        const auto same = [](const CanvasRecord& a, const CanvasRecord& b) {
            // What a record does not draw with (a line's font, a text's pen) is no part of it.
            const bool text = a.What == Kind::Text;
            const bool line = a.What == Kind::Line;
            return a.What == b.What && a.Points == b.Points && a.Rect == b.Rect &&
                   a.Text == b.Text && (!line || a.Pen == b.Pen) && (!text || a.Font == b.Font) &&
                   (line || text || a.Brush == b.Brush);
        };
        for (std::size_t i = 0; i < at; ++i) EXPECT_TRUE(same(w[i], p[i])) << i;
        for (std::size_t i = 0; i < lines.Records().size(); ++i)
            EXPECT_TRUE(same(w[at + i], lines.Records()[i])) << "alert record " << i;
        EXPECT_TRUE(same(w.back(), p.back())) << "the newest price stays on top";
    }
}

// The labels the price axis writes for a range, as numbers.
std::vector<double> AxisLabels(double vmin, double vmax, double& unit) {
    RecordingCanvas canvas;
    DrawPriceAxis(canvas, TRect{0, 3, 62, 211}, 1, "", vmax, vmin);
    std::vector<double> labels;
    unit = 1;
    for (std::string text : canvas.Texts()) {
        for (const auto& [suffix, by] : {std::pair{" K", 1e3}, {" M", 1e6}, {" B", 1e9}})
            if (text.ends_with(suffix)) {
                text.resize(text.size() - 2);
                unit = by;
            }
        labels.push_back(std::stod(text) * unit);
    }
    return labels;
}

TEST(AlertLinesTest, APriceUnderTheMouseIsRoundedToTheAxisStep) {
    struct Range {
        double Low;
        double High;
    };
    const Range ranges[] = {{90, 110},      {3829.4, 3831.9}, {0.00121, 0.00189}, {51000, 53500},
                            {1.2e6, 2.1e6}, {-3.5, 2.25},     {99.99, 100.01}};
    const std::vector<double> times = Times(20);
    for (const Range& r : ranges) {
        double unit = 1;
        const std::vector<double> labels = AxisLabels(r.Low, r.High, unit);
        ASSERT_GE(labels.size(), 3u) << r.Low;
        const double step = labels[1] - labels[0];
        const ChartMapping map(times, true, kPlot, r.Low, r.High);
        for (std::int32_t y = kPlot.Top; y <= kPlot.Bottom; y += 13) {
            const auto level = AlertPriceAt(map, y);
            ASSERT_TRUE(level) << r.Low << " at " << y;
            const double price = map.PriceAt(y);
            EXPECT_LE(std::fabs(*level - price), step / 2 * (1 + 1e-9)) << r.Low << " at " << y;
            // On the axis's grid: a whole number of steps from a label.
            const double steps = (*level - labels[0]) / step;
            EXPECT_NEAR(steps, std::round(steps), 1e-6) << r.Low << " at " << y;
        }
    }
    // A level on a label is the label's very number.
    const ChartMapping map(times, true, kPlot, 3829.4, 3831.9);
    EXPECT_EQ(*AlertPriceAt(map, map.YOf(3830.5)), 3830.5);
}

TEST(AlertLinesTest, AFlatAxisGivesNoPrice) {
    const std::vector<double> times = Times(20);
    std::string why;
    EXPECT_FALSE(AlertPriceAt(ChartMapping(times, true, kPlot, 100, 100), 50, &why));
    EXPECT_EQ(why, "the price axis is flat: no price can be read off it");
    EXPECT_FALSE(AlertPriceAt(ChartMapping(), 50, &why));
}

}  // namespace
}  // namespace vela
