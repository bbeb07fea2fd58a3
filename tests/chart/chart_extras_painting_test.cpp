#include "chart/chart_extras_painting.h"
#include "chart/chart_painting.h"
#include "chart/chart_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "geometry/value_mapping.h"
#include "platform/recording_canvas.h"
#include "text/calendar.h"

namespace vela {
namespace {

using Kind = CanvasRecord::Kind;
using ::testing::Contains;

constexpr double kDay = 2.737850787e-05;  // one day in century time
constexpr TRect kClient{0, 0, 441, 294};
constexpr TRect kPlot{62, 3, 432, 211};
constexpr TColor kUpFill = 0x00B400;
constexpr TColor kDownFill = 0x0000E0;
constexpr TColor kDojiColor = 0x404040;

struct Ohlc {
    double Open;
    double High;
    double Low;
    double Close;
    double Volume = 0;
};

// One-minute bars from 09:30 with 15 future positions, as a chart window derives them.
ChartState MinuteState(const std::vector<Ohlc>& bars, ChartExtras extras) {
    ChartState s;
    s.dT = BarLengthInCenturies(1);
    std::vector<BarPrices> data;
    const double start = DateToCenturies(2012, 6, 18, 9.5);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        BarPrices d;
        d.dtTime = start + static_cast<double>(i) * kDay / 1440;
        d.dOpen = bars[i].Open;
        d.dHigh = bars[i].High;
        d.dLow = bars[i].Low;
        d.dClose = bars[i].Close;
        d.dVolume = bars[i].Volume;
        data.push_back(d);
    }
    s.Extras = std::move(extras);
    UpdateChartSeries(data, s);
    return s;
}

ChartExtras WithStyle(BarStyle style) {
    ChartExtras e;
    e.Style = style;
    return e;
}

// Up, down, doji, a bar without prices, and up again; lows 9, highs 13: the scale runs from
// 8.6 to 13.4.
const std::vector<Ohlc> kTable{{10, 13, 9, 12, 100},
                               {12, 13, 9, 10, 300},
                               {11, 12, 10, 11, 200},
                               {kNullValue, kNullValue, kNullValue, kNullValue, kNullValue},
                               {10.5, 12.5, 10, 12, 150}};

std::int32_t XOf(std::int32_t i, const TRect& plot = kPlot) {
    return ValueToPixel(plot.Left, plot.Right, 0, 19, i);  // 5 bars and 15 future positions
}
std::int32_t YOf(double v, const TRect& plot = kPlot) {
    return ValueToPixel(plot.Bottom, plot.Top, 8.6, 13.4, v);
}

class ExtrasPainting : public ::testing::Test {
  protected:
    bool Paint(const ChartState& state, const TRect& client = kClient) {
        canvas.Clear();
        return FlickerFreePaintBox1Paint(state, canvas, client, status);
    }
    bool HasLine(TPoint from, TPoint to) const {
        const auto lines = canvas.Of(Kind::Line);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const CanvasRecord& r) { return r.From() == from && r.To() == to; });
    }
    // Vertical lines starting within the plot (not the time axis' ticks) at one column.
    std::vector<CanvasRecord> VerticalsAt(std::int32_t x) const {
        std::vector<CanvasRecord> out;
        for (const CanvasRecord& r : canvas.Of(Kind::Line))
            if (r.From().X == x && r.To().X == x && r.From().Y != r.To().Y &&
                r.From().Y < kPlot.Bottom && r.Pen.Color != clBlack)
                out.push_back(r);
        return out;
    }

    RecordingCanvas canvas;
    ChartStatus status;
};

TEST_F(ExtrasPainting, CandlesOfUpDownDojiAndMissingBars) {
    ASSERT_TRUE(Paint(MinuteState(kTable, WithStyle(BarStyle::Candles))));
    const std::int32_t half = 7;  // bars 19.5 pixels apart
    const auto bodies = canvas.Of(Kind::Rectangle);
    ASSERT_EQ(bodies.size(), 3u);  // the doji and the missing bar have none
    struct Body {
        std::int32_t Bar;
        double Top;
        double Bottom;
        TColor Fill;
    } expected[] = {{0, 12, 10, kUpFill}, {1, 12, 10, kDownFill}, {4, 12, 10.5, kUpFill}};
    for (std::size_t k = 0; k < 3; ++k) {
        const Body& b = expected[k];
        const std::int32_t x = XOf(b.Bar);
        // The first bar sits on the plot's left edge: its body is cut there.
        EXPECT_EQ(bodies[k].Rect, (TRect{std::max(x - half, kPlot.Left), YOf(b.Top), x + half + 1,
                                         YOf(b.Bottom) + 1}))
            << "bar " << b.Bar;
        EXPECT_EQ(bodies[k].Brush.Color, b.Fill) << "bar " << b.Bar;
    }
    // Each bar's wick from its high to its low pixel; none for the bar without prices.
    for (const std::int32_t i : {0, 1, 2, 4}) {
        const double high = kTable[static_cast<std::size_t>(i)].High;
        const double low = kTable[static_cast<std::size_t>(i)].Low;
        EXPECT_TRUE(HasLine({XOf(i), YOf(high)}, {XOf(i), YOf(low) + 1})) << "bar " << i;
    }
    EXPECT_TRUE(VerticalsAt(XOf(3)).empty());
    // The doji: a level line across the body's width at its close.
    EXPECT_TRUE(HasLine({XOf(2) - half, YOf(11)}, {XOf(2) + half + 1, YOf(11)}));
    // No close line: nothing in its colour.
    for (const CanvasRecord& r : canvas.Of(Kind::Line)) EXPECT_NE(r.Pen.Color, 0x808000);
}

TEST_F(ExtrasPainting, OhlcBarsTickOpenLeftAndCloseRight) {
    ASSERT_TRUE(Paint(MinuteState(kTable, WithStyle(BarStyle::Ohlc))));
    const std::int32_t half = 7;
    EXPECT_TRUE(canvas.Of(Kind::Rectangle).empty());
    for (const std::int32_t i : {0, 1, 2, 4}) {
        const Ohlc& b = kTable[static_cast<std::size_t>(i)];
        const std::int32_t x = XOf(i);
        EXPECT_TRUE(HasLine({x, YOf(b.High)}, {x, YOf(b.Low) + 1})) << "bar " << i;
        EXPECT_TRUE(HasLine({x - half, YOf(b.Open)}, {x, YOf(b.Open)})) << "bar " << i;
        EXPECT_TRUE(HasLine({x + 1, YOf(b.Close)}, {x + half + 1, YOf(b.Close)})) << "bar " << i;
    }
    EXPECT_TRUE(VerticalsAt(XOf(3)).empty());
    EXPECT_EQ(VerticalsAt(XOf(2)).at(0).Pen.Color, kDojiColor);
}

// With many bars per pixel column, one range line per column: from the lowest low to the
// highest high of the bars the close line puts there; candles add the body from the column's
// first open to its last close.
TEST_F(ExtrasPainting, DenseBarsMergePerColumn) {
    std::vector<Ohlc> bars;
    for (int i = 0; i < 3000; ++i) {
        const double mid = 100 + (i % 97) * 0.3 - (i % 13) * 0.5;
        const double open = mid + ((i * 7) % 5 - 2) * 0.2;
        const double close = mid - ((i * 3) % 5 - 2) * 0.2;
        bars.push_back(Ohlc{open, std::max(open, close) + 0.5 + (i % 3) * 0.1,
                            std::min(open, close) - 0.4 - (i % 4) * 0.1, close});
    }
    bars[1500] = Ohlc{kNullValue, kNullValue, kNullValue, kNullValue};
    for (const BarStyle style : {BarStyle::Ohlc, BarStyle::Candles}) {
        const ChartState state = MinuteState(bars, WithStyle(style));
        ASSERT_TRUE(Paint(state));
        double ymin = 0, ymax = 0, unused = 0;
        state.LHigh.GetMinMax(unused, ymax);
        state.LLow.GetMinMax(ymin, unused);
        const double pad = (ymax - ymin) * 0.1;
        ymin -= pad;
        ymax += pad;
        struct Range {
            std::int32_t Top = 1 << 30;
            std::int32_t Bottom = -(1 << 30);
            double Open = 0;
            double Close = 0;
            bool Seen = false;
        };
        std::map<std::int32_t, Range> columns;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            if (i == 1500) continue;
            const auto x = ValueToPixel(kPlot.Left, kPlot.Right, 0, 3014, static_cast<double>(i));
            Range& r = columns[x];
            r.Top =
                std::min(r.Top, ValueToPixel(kPlot.Bottom, kPlot.Top, ymin, ymax, bars[i].High));
            r.Bottom =
                std::max(r.Bottom, ValueToPixel(kPlot.Bottom, kPlot.Top, ymin, ymax, bars[i].Low));
            if (!r.Seen) r.Open = bars[i].Open;
            r.Close = bars[i].Close;
            r.Seen = true;
        }
        EXPECT_LE(canvas.Of(Kind::Line).size(), 3 * columns.size() + 100);
        EXPECT_TRUE(canvas.Of(Kind::Rectangle).empty());
        for (const auto& [x, r] : columns) {
            const auto lines = VerticalsAt(x);
            ASSERT_FALSE(lines.empty()) << x;
            EXPECT_EQ(lines[0].From(), (TPoint{x, r.Top})) << x;
            EXPECT_EQ(lines[0].To(), (TPoint{x, r.Bottom + 1})) << x;
            if (style == BarStyle::Candles && r.Open != r.Close) {
                ASSERT_EQ(lines.size(), 2u) << x;
                const auto yo = ValueToPixel(kPlot.Bottom, kPlot.Top, ymin, ymax, r.Open);
                const auto yc = ValueToPixel(kPlot.Bottom, kPlot.Top, ymin, ymax, r.Close);
                EXPECT_EQ(lines[1].From().Y, std::min(yo, yc)) << x;
                EXPECT_EQ(lines[1].To().Y, std::max(yo, yc) + 1) << x;
                EXPECT_EQ(lines[1].Pen.Color, r.Close > r.Open ? kUpFill : kDownFill) << x;
            }
        }
    }
}

// Daily bars go by time, as the close line does: a weekend leaves a gap.
TEST_F(ExtrasPainting, DailyCandlesPlacedByTime) {
    ChartState s;
    s.dT = BarLengthInCenturies(1440);
    std::vector<BarPrices> data;
    const double friday = DateToCenturies(2012, 6, 15, 0);
    for (const double day : {0.0, 3.0, 4.0}) {
        BarPrices d;
        d.dtTime = friday + day * kDay;
        d.dOpen = 10;
        d.dHigh = 12;
        d.dLow = 9;
        d.dClose = 11;
        data.push_back(d);
    }
    s.Extras = WithStyle(BarStyle::Candles);
    UpdateChartSeries(data, s);
    ASSERT_TRUE(Paint(s));
    const double tmax = s.LTime.GetItem(s.LTime.Count() - 1);
    const auto bodies = canvas.Of(Kind::Rectangle);
    ASSERT_EQ(bodies.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const std::int32_t x = ValueToPixel(kPlot.Left, kPlot.Right, friday, tmax, data[k].dtTime);
        EXPECT_EQ(bodies[k].Rect.Right, x + 8) << k;  // a day is 19.5 pixels: 7 either side
        EXPECT_FALSE(VerticalsAt(x).empty()) << k;
    }
}

TEST_F(ExtrasPainting, PanesTakeAFifthOfThePlotEach) {
    ChartExtras e;
    EXPECT_EQ(ChartLayoutFor(kClient, e).Plot, ChartLayoutFor(kClient).Plot);
    EXPECT_EQ(ChartLayoutFor(kClient, e).VolumePane, TRect{});
    e.Style = BarStyle::Candles;
    e.Averages = {{0, 20}};
    EXPECT_EQ(ChartLayoutFor(kClient, e).Plot, kPlot);  // overlays take no room

    e.Volume = true;
    ChartLayout layout = ChartLayoutFor(kClient, e);
    EXPECT_EQ(layout.VolumePane, (TRect{62, 170, 432, 211}));
    EXPECT_EQ(layout.Plot, (TRect{62, 3, 432, 170}));
    EXPECT_EQ(layout.PriceAxis, (TRect{0, 3, 62, 170}));
    EXPECT_EQ(layout.TimeAxis, ChartLayoutFor(kClient).TimeAxis);
    EXPECT_EQ(layout.RsiPane, TRect{});

    e.RsiWindow = 14;
    layout = ChartLayoutFor(kClient, e);
    EXPECT_EQ(layout.VolumePane, (TRect{62, 170, 432, 211}));
    EXPECT_EQ(layout.RsiPane, (TRect{62, 129, 432, 170}));
    EXPECT_EQ(layout.Plot, (TRect{62, 3, 432, 129}));

    e.Volume = false;
    layout = ChartLayoutFor(kClient, e);
    EXPECT_EQ(layout.RsiPane, (TRect{62, 170, 432, 211}));
    EXPECT_EQ(layout.Plot, (TRect{62, 3, 432, 170}));
}

TEST_F(ExtrasPainting, VolumeColumnsScaledToTheLargest) {
    ChartExtras e = WithStyle(BarStyle::Candles);
    e.Volume = true;
    ASSERT_TRUE(Paint(MinuteState(kTable, e)));
    const TRect pane{62, 170, 432, 211};
    const TRect plot{62, 3, 432, 170};
    std::vector<CanvasRecord> columns;
    for (const CanvasRecord& r : canvas.Of(Kind::FillRect))
        if (r.Rect.Bottom == pane.Bottom && r.Rect.Right - r.Rect.Left <= 15) columns.push_back(r);
    ASSERT_EQ(columns.size(), 4u);
    // 35 pixels (85% of the pane) for the largest, 300.
    const double volumes[] = {100, 300, 200, 150};
    const std::int32_t bars[] = {0, 1, 2, 4};
    for (std::size_t k = 0; k < 4; ++k) {
        const std::int32_t x = XOf(bars[k], plot);
        EXPECT_EQ(columns[k].Rect.Left, std::max(x - 7, pane.Left)) << k;
        EXPECT_EQ(columns[k].Rect.Top, pane.Bottom - std::lround(volumes[k] / 300 * 34.85)) << k;
    }
    EXPECT_NE(columns[0].Brush.Color, columns[1].Brush.Color);  // up and down
    EXPECT_THAT(canvas.Texts(), Contains("Vol 300"));
    // The candles stay above the pane.
    for (const CanvasRecord& r : canvas.Of(Kind::Rectangle)) EXPECT_LE(r.Rect.Bottom, plot.Bottom);
}

TEST_F(ExtrasPainting, OverlaysLabelledWithTheirParameters) {
    std::vector<Ohlc> bars;
    for (int i = 0; i < 200; ++i) {
        const double c = 100 + (i % 17) - (i % 5) * 1.5;
        bars.push_back(Ohlc{c - 0.5, c + 1, c - 1, c});
    }
    ChartExtras e;
    e.Averages = {{0, 20}, {1, 50}, {0, 5}};
    e.RsiWindow = 14;
    ASSERT_TRUE(Paint(MinuteState(bars, e)));
    const auto texts = canvas.Texts();
    for (const char* label : {"SMA 20", "EMA 50", "SMA 5", "RSI 14", "30", "70"})
        EXPECT_THAT(texts, Contains(label));
    // Each average in its own colour, distinct from the close line.
    std::vector<TColor> colours;
    for (const CanvasRecord& r : canvas.Of(Kind::Text))
        if (r.Text.rfind("SMA", 0) == 0 || r.Text.rfind("EMA", 0) == 0)
            colours.push_back(r.Font.Color);
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_NE(colours[0], colours[1]);
    EXPECT_NE(colours[1], colours[2]);
    EXPECT_NE(colours[0], colours[2]);
    for (const TColor c : colours) {
        const auto lines = canvas.Of(Kind::Line);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const CanvasRecord& r) { return r.Pen.Color == c; }));
    }
    // The RSI's 30 and 70 lines across its pane.
    const TRect pane{62, 170, 432, 211};
    EXPECT_TRUE(HasLine({62, ValueToPixel(pane.Bottom, pane.Top, 0, 100, 30.0)},
                        {432, ValueToPixel(pane.Bottom, pane.Top, 0, 100, 30.0)}));
    EXPECT_TRUE(HasLine({62, ValueToPixel(pane.Bottom, pane.Top, 0, 100, 70.0)},
                        {432, ValueToPixel(pane.Bottom, pane.Top, 0, 100, 70.0)}));
}

// The overlays a series update computes draw the same as those computed while painting, and
// overlays computed for other extras are not drawn.
TEST_F(ExtrasPainting, CachedOverlaysMatchTheExtras) {
    std::vector<Ohlc> bars;
    for (int i = 0; i < 300; ++i) {
        const double c = 50 + (i % 23) * 0.7 - (i % 7);
        bars.push_back(Ohlc{c, c + 1, c - 1, c});
    }
    ChartExtras e;
    e.Averages = {{0, 10}, {1, 30}};
    e.RsiWindow = 9;
    const ChartState cached = MinuteState(bars, e);  // extras set after the update
    ChartState fresh = cached;
    UpdateChartOverlays(fresh);
    ASSERT_EQ(fresh.Overlays.LAverages.size(), 2u);
    ASSERT_TRUE(Paint(cached));
    const auto computedWhilePainting = canvas.Records();
    ASSERT_TRUE(Paint(fresh));
    const auto fromTheCache = canvas.Records();
    ASSERT_EQ(computedWhilePainting.size(), fromTheCache.size());
    for (std::size_t i = 0; i < fromTheCache.size(); ++i) {
        EXPECT_EQ(computedWhilePainting[i].Points, fromTheCache[i].Points) << i;
        EXPECT_EQ(computedWhilePainting[i].Pen.Color, fromTheCache[i].Pen.Color) << i;
    }

    // Switched to other windows without an update: the old overlays must not be drawn.
    ChartState stale = fresh;
    stale.Extras.Averages = {{0, 40}, {1, 5}};
    stale.Extras.RsiWindow = 3;
    ChartState redone = stale;
    UpdateChartOverlays(redone);
    ASSERT_TRUE(Paint(stale));
    const auto staleRecords = canvas.Records();
    ASSERT_TRUE(Paint(redone));
    ASSERT_EQ(staleRecords.size(), canvas.Records().size());
    for (std::size_t i = 0; i < staleRecords.size(); ++i)
        EXPECT_EQ(staleRecords[i].Points, canvas.Records()[i].Points) << i;
    EXPECT_THAT(canvas.Texts(), Contains("SMA 40"));
}

TEST(ExtrasText, AverageLabels) {
    EXPECT_EQ(AverageLabel({0, 20}), "SMA 20");
    EXPECT_EQ(AverageLabel({1, 50}), "EMA 50");
}

TEST(ExtrasText, VolumeScale) {
    struct Case {
        double Volume;
        const char* Text;
    } cases[] = {{0, "0"},         {950, "950"},    {1000, "1.0K"},  {12345, "12.3K"},
                 {123456, "123K"}, {4.5e6, "4.5M"}, {1.2e9, "1.2B"}, {999, "999"}};
    for (const Case& c : cases) EXPECT_EQ(VolumeText(c.Volume), c.Text) << c.Volume;
}

}  // namespace
}  // namespace vela
