#include "chart/chart_painting.h"
#include "chart/chart_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/value_mapping.h"
#include "platform/recording_canvas.h"
#include "text/calendar.h"
#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela {
namespace {

using Kind = CanvasRecord::Kind;
using ::testing::StartsWith;

constexpr double kDay = 2.737850787e-05;  // one day in century time
constexpr TRect kClient{0, 0, 441, 294};
constexpr TRect kPlot{62, 3, 432, 211};
constexpr TRect kTimeAxis{62, 211, 432, 288};
constexpr TRect kPriceAxis{0, 3, 62, 211};
constexpr TColor kCloseColor = 0x808000;

struct Bar {
    double Time;
    double Close;
    double High;
    double Low;
};

// The chart state a chart window derives from its bars: the series with 15 future positions,
// the newest day's first bar, the time window of the axis and the status figures.
ChartState StateOf(const std::vector<Bar>& bars, double minutes, bool highLow = false) {
    ChartState s;
    s.dT = BarLengthInCenturies(minutes);
    std::vector<BarPrices> data;
    for (const Bar& b : bars) {
        BarPrices d;
        d.dtTime = b.Time;
        d.dClose = b.Close;
        d.dHigh = b.High;
        d.dLow = b.Low;
        data.push_back(d);
    }
    UpdateChartSeries(data, s);
    s.HighLow = highLow;
    return s;
}

// One-minute bars from 09:30 on the given day; close = high = low = price(i).
template <class Price>
std::vector<Bar> MinuteBars(std::int32_t day, int count, Price price) {
    std::vector<Bar> bars;
    const double start = DateToCenturies(2012, 6, day, 9.5);
    for (int i = 0; i < count; ++i) {
        const double p = price(i);
        bars.push_back(Bar{start + i * kDay / 1440, p, p, p});
    }
    return bars;
}

std::vector<Bar> TwoDays() {
    auto bars = MinuteBars(18, 30, [](int i) { return 100.0 + i % 5; });
    const auto second = MinuteBars(19, 20, [](int i) { return 103.0 - i % 3; });
    bars.insert(bars.end(), second.begin(), second.end());
    return bars;
}

class ChartPainting : public ::testing::Test {
  protected:
    bool Paint(const ChartState& state) {
        canvas.Clear();
        return FlickerFreePaintBox1Paint(state, canvas, kClient, status);
    }
    // The series lines of one colour: those drawn before the black line above the time axis
    // (the axes use red too).
    std::vector<CanvasRecord> LinesIn(TColor color) const {
        std::vector<CanvasRecord> out;
        for (const CanvasRecord& r : canvas.Of(Kind::Line)) {
            if (r.Pen.Color == clBlack) break;
            if (r.Pen.Color == color) out.push_back(r);
        }
        return out;
    }
    bool HasLine(TPoint from, TPoint to) const {
        const auto lines = canvas.Of(Kind::Line);
        return std::any_of(lines.begin(), lines.end(),
                           [&](const CanvasRecord& r) { return r.From() == from && r.To() == to; });
    }

    RecordingCanvas canvas;
    ChartStatus status;
};

TEST_F(ChartPainting, LayoutOfA441By294Box) {
    const ChartLayout layout = ChartLayoutFor(kClient);
    EXPECT_EQ(layout.Plot, kPlot);
    EXPECT_EQ(layout.TimeAxis, kTimeAxis);
    EXPECT_EQ(layout.PriceAxis, kPriceAxis);

    ASSERT_TRUE(Paint(StateOf(MinuteBars(18, 100, [](int i) { return 50.0 + i % 7; }), 1)));
    const auto fills = canvas.Of(Kind::FillRect);
    ASSERT_EQ(fills.size(), 2u);  // one day: no band
    EXPECT_EQ(fills[0].Rect, kClient);
    EXPECT_EQ(fills[0].Brush.Color, clWhite);
    EXPECT_EQ(fills[1].Rect, kPlot);
    EXPECT_EQ(fills[1].Brush.Color, 0xD7FFFF);
    // The black line between plot and time axis, then the axis over the whole width.
    EXPECT_TRUE(HasLine({62, 211}, {432, 211}));
    // The price axis along the right edge of its area.
    EXPECT_TRUE(HasLine({61, 211}, {61, 3}));
}

TEST_F(ChartPainting, DayBandAndTimeAxisFromTheNewestDaysFirstBar) {
    const ChartState state = StateOf(TwoDays(), 1);
    ASSERT_EQ(state.IFirstBarInDay, 30);
    ASSERT_TRUE(Paint(state));
    const std::int32_t x0 = ValueToPixel(62, 432, 0, 64, 30);  // 65 values with the future
    ASSERT_EQ(x0, 235);
    const auto fills = canvas.Of(Kind::FillRect);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[2].Rect, (TRect{235, 3, 432, 211}));
    EXPECT_EQ(fills[2].Brush.Color, 0xAEFFFF);
    // The time axis starts at the band and spans the second day's first bar to 15 minutes
    // past its last: the caption names that day.
    EXPECT_TRUE(HasLine({235, 211}, {432, 211}));
    EXPECT_THAT(canvas.Texts(), ::testing::Contains("19 Jun. 2012"));
}

TEST_F(ChartPainting, IntradayLinesByPosition) {
    const ChartState state = StateOf(TwoDays(), 1, true);
    ASSERT_TRUE(Paint(state));
    // By position: the 30th bar (the second day's first) sits where the band starts, right
    // after the 29th, though a night lies between them.
    const auto close = LinesIn(kCloseColor);
    ASSERT_EQ(close.size(), 49u);
    const auto y = [](double v) { return ValueToPixel(211, 3, 99.6, 104.4, v); };
    EXPECT_EQ(close[29].From(), (TPoint{ValueToPixel(62, 432, 0, 64, 29), y(104)}));
    EXPECT_EQ(close[29].To(), (TPoint{235, y(103)}));
    // High and low equal the close here, so their lines lie on the close line, night included.
    for (const TColor c : {TColor{0xFF0000}, TColor{0x0000FF}}) {
        const auto lines = LinesIn(c);
        ASSERT_EQ(lines.size(), close.size()) << c;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].From(), close[i].From()) << c << " " << i;
            EXPECT_EQ(lines[i].To(), close[i].To()) << c << " " << i;
        }
    }
    // Low before high.
    const auto all = canvas.Of(Kind::Line);
    const auto firstOf = [&](TColor c) {
        return std::find_if(all.begin(), all.end(),
                            [&](const CanvasRecord& r) { return r.Pen.Color == c; });
    };
    EXPECT_LT(firstOf(0xFF0000), firstOf(0x0000FF));
}

TEST_F(ChartPainting, DailyLinesByTime) {
    // Weekdays only: the weekend gaps make time and position differ.
    std::vector<Bar> bars;
    const double monday = DateToCenturies(2012, 6, 4, 0);
    for (int week = 0; week < 3; ++week)
        for (int d = 0; d < 5; ++d) {
            const double p = 10 + d + week;
            bars.push_back(Bar{monday + (7 * week + d) * kDay, p, p + 1, p - 1});
        }
    for (const bool highLow : {false, true}) {
        const ChartState state = StateOf(bars, 1440, highLow);
        ASSERT_FALSE(state.Intraday);
        ASSERT_TRUE(Paint(state));
        const double t0 = state.LTime[0];
        const double t1 = state.LTime[state.LTime.Count() - 1];
        const auto close = LinesIn(kCloseColor);
        ASSERT_EQ(close.size(), 14u);
        // Friday to Monday: three days wide.
        EXPECT_EQ(close[4].From().X, ValueToPixel(62, 432, t0, t1, bars[4].Time));
        EXPECT_EQ(close[4].To().X, ValueToPixel(62, 432, t0, t1, bars[5].Time));
        // High and low, when shown, go by time as well.
        for (const TColor c : {TColor{0xFF0000}, TColor{0x0000FF}}) {
            const auto lines = LinesIn(c);
            ASSERT_EQ(lines.size(), highLow ? 14u : 0u) << c;
            for (std::size_t i = 0; i < lines.size(); ++i)
                EXPECT_EQ(lines[i].From().X, close[i].From().X) << c << " " << i;
        }
        // No band for daily bars.
        EXPECT_EQ(canvas.Of(Kind::FillRect).size(), 2u);
    }
}

TEST_F(ChartPainting, AFlatSeriesGetsRoomAroundItsPrice) {
    // Every price equal, as an illiquid instrument trades: the line, the axis and the label
    // show, the line in the middle of the plot.
    for (const double price : {42.0, 0.0}) {
        const ChartState state = StateOf(MinuteBars(18, 20, [&](int) { return price; }), 1, true);
        ASSERT_TRUE(Paint(state)) << price;
        for (const TColor c : {kCloseColor, TColor{0xFF0000}, TColor{0x0000FF}}) {
            const auto lines = LinesIn(c);
            ASSERT_FALSE(lines.empty()) << c;
            for (const CanvasRecord& r : lines) EXPECT_EQ(r.From().Y, 107) << c;
        }
        EXPECT_TRUE(HasLine({61, 211}, {61, 3})) << "the price axis";
        const auto texts = canvas.Of(Kind::Text);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back().Text, RealToText(0, price));
        EXPECT_EQ(texts.back().Points[0], (TPoint{ValueToPixel(62, 432, 0, 34, 19), 107}));
    }
}

TEST_F(ChartPainting, BarsWithHighsBelowTheirLowsAreSaidToBeUndrawable) {
    std::vector<Bar> bars = MinuteBars(18, 20, [](int i) { return 50.0 + i; });
    for (Bar& b : bars) std::swap(b.High, b.Low), b.High -= 100;
    const ChartState state = StateOf(bars, 1);
    EXPECT_FALSE(Paint(state));
    EXPECT_THAT(status.Text, StartsWith("cannot draw the chart: every high lies below the lows"));
    EXPECT_EQ(status.Text, UndrawableReason(state));
    EXPECT_EQ(UndrawableReason(StateOf(TwoDays(), 1)), "");
}

TEST_F(ChartPainting, NewestPriceAtTheEndOfTheLine) {
    const ChartState state = StateOf(MinuteBars(18, 10, [](int i) { return 1.0 + i * 0.125; }), 1);
    ASSERT_TRUE(Paint(state));
    const CanvasRecord text = canvas.Of(Kind::Text).back();
    EXPECT_EQ(text.Text, RealToText(0, 2.125));
    const double pad = 1.125 * 0.1;
    EXPECT_EQ(text.Points[0], (TPoint{ValueToPixel(62, 432, 0, 24, 9),
                                      ValueToPixel(211, 3, 1 - pad, 2.125 + pad, 2.125)}));
    EXPECT_EQ(text.Font.Name, "Arial");
    EXPECT_EQ(text.Font.Height, -11);  // 8 points at 96 pixels per inch
    EXPECT_EQ(text.Font.Color, clBlack);
    EXPECT_EQ(text.Font.Escapement, 0);
    EXPECT_FALSE(text.Font.IsBold());
    EXPECT_TRUE(text.Transparent);
}

TEST_F(ChartPainting, VerticalRangeHasATenPercentMargin) {
    struct Case {
        const char* Name;
        double Low;
        double High;
        double YMin;
        double YMax;
    };
    const Case cases[] = {
        {"margin on both sides", 0.5, 1.5, 0.4, 1.6},
        {"stops at zero", 0.05, 1.05, 0, 1.15},
        {"starts at zero", 0, 2, 0, 2.2},
        {"negative prices keep their margin", -3, -1, -3.2, -0.8},
        {"across zero", -1, 1, -1.2, 1.2},
    };
    for (const Case& c : cases) {
        // Close runs from low to high; highs and lows carry the extremes.
        const auto bars =
            MinuteBars(18, 11, [&](int i) { return c.Low + (c.High - c.Low) * i / 10; });
        ASSERT_TRUE(Paint(StateOf(bars, 1))) << c.Name;
        const auto close = LinesIn(kCloseColor);
        ASSERT_EQ(close.size(), 10u) << c.Name;
        for (std::size_t i = 0; i < close.size(); ++i)
            EXPECT_EQ(close[i].From().Y, ValueToPixel(211, 3, c.YMin, c.YMax, bars[i].Close))
                << c.Name << " " << i;
    }
}

TEST_F(ChartPainting, StatusLineAfterAFullPaint) {
    struct Case {
        double Last;
        TColor Text;
        TColor Square;
    };
    const Case cases[] = {
        {12.75, 0x008000, 0x00FF00}, {12.5, 0x0000FF, 0x0000FF}, {12.25, 0x0000FF, 0x0000FF}};
    const double last = DateToCenturies(2012, 6, 20, 14 + 5.0 / 60 + 9.0 / 3600);
    for (const Case& c : cases) {
        const std::vector<Bar> bars{{last - 2 * kDay / 1440, 12, 13, 11},
                                    {last - kDay / 1440, 12.5, 13, 11},
                                    {last, c.Last, 13, 11}};
        ASSERT_TRUE(Paint(StateOf(bars, 1)));
        EXPECT_EQ(status.Text, "3 bars; last bar: " + DateTimeToText(0, '.', last) + "  " +
                                   RealToText(0, c.Last));
        EXPECT_EQ(status.TextColor, c.Text) << c.Last;
        EXPECT_EQ(status.SquareColor, c.Square) << c.Last;
    }
    EXPECT_THAT(status.Text, StartsWith("3 bars; last bar: 06.20.2012  02:05:09 PM  12.25"));

    // Two bars: no change yet, so red.
    ASSERT_TRUE(Paint(StateOf(MinuteBars(18, 2, [](int i) { return 1.0 + i; }), 1)));
    EXPECT_EQ(status.TextColor, 0x0000FF);
    EXPECT_THAT(status.Text, StartsWith("2 bars; last bar: 06.18.2012  09:31:00 AM  2.0"));
}

TEST_F(ChartPainting, BlankChartKeepsTheStatusLine) {
    const ChartStatus before{"earlier", 0x123456, 0x654321};
    ChartState noHighLow = StateOf(MinuteBars(18, 5, [](int i) { return 1.0 + i; }), 1);
    noHighLow.LHigh.Fill(kNullValue);
    noHighLow.LLow.Fill(kNullValue);
    ChartState oneValue;
    oneValue.LClose.Add(1);
    oneValue.LHigh.Add(1);
    oneValue.LLow.Add(1);
    for (const ChartState* state : {&noHighLow, &oneValue}) {
        status = before;
        EXPECT_FALSE(Paint(*state));
        EXPECT_EQ(status.Text, before.Text);
        EXPECT_EQ(status.TextColor, before.TextColor);
        EXPECT_EQ(status.SquareColor, before.SquareColor);
        ASSERT_EQ(canvas.Records().size(), 1u);
        EXPECT_EQ(canvas.Records()[0].Rect, kClient);
        EXPECT_EQ(canvas.Records()[0].Brush.Color, clWhite);
    }
    EXPECT_FALSE(Paint(ChartState{}));
}

TEST_F(ChartPainting, InconsistentStateDrawsWithoutFailing) {
    ChartState state = StateOf(MinuteBars(18, 5, [](int i) { return 1.0 + i; }), 1);
    state.ILastPrice = 400;  // past the series
    state.LTime.Clear();
    EXPECT_NO_THROW(EXPECT_TRUE(Paint(state)));
    EXPECT_EQ(status.Text.substr(0, 9), "401 bars;");
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

constexpr TColor kSeparatorColor = 0xC0C0C0;

class ChartAxesPainting : public ChartPainting {
  protected:
    std::vector<CanvasRecord> Separators() const {
        std::vector<CanvasRecord> out;
        for (const CanvasRecord& r : canvas.Of(Kind::Line))
            if (r.Pen.Color == kSeparatorColor) out.push_back(r);
        return out;
    }
    // The time axis's rotated labels left of column x.
    int LabelsLeftOf(std::int32_t x) const {
        int n = 0;
        for (const CanvasRecord& r : canvas.Of(Kind::Text))
            if (r.Font.Escapement != 0 && r.Points.at(0).X < x) ++n;
        return n;
    }
};

TEST_F(ChartAxesPainting, TheWholeViewAxisLabelsEveryDayAndPartsThemWithTheirDate) {
    ChartState state = StateOf(TwoDays(), 1);
    ASSERT_TRUE(Paint(state));
    // The specified axis: nothing under the first day (labels rise to the left of their
    // ticks, the band's first one a little), no separators.
    EXPECT_EQ(LabelsLeftOf(150), 0);
    EXPECT_TRUE(Separators().empty());
    const auto plain = canvas.Records();

    state.Extras.FullTimeAxis = true;
    ASSERT_TRUE(Paint(state));
    // Both mornings get labels on their round minutes, the break its date; the axis's left
    // end is no change of year.
    std::vector<std::string> labels;
    for (const CanvasRecord& r : canvas.Of(Kind::Text))
        if (r.Font.Escapement != 0) labels.push_back(r.Text);
    EXPECT_THAT(labels, ::testing::ElementsAre("10:00 AM", "09:50 AM", "09:40 AM", "Jun.19",
                                               "09:50 AM", "09:40 AM"));
    EXPECT_GT(LabelsLeftOf(150), 0);
    // One line where the second day's first bar stands, across the plot.
    const auto lines = Separators();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].From(), (TPoint{235, 4}));
    EXPECT_EQ(lines[0].To(), (TPoint{235, 211}));
    const auto texts = canvas.Of(Kind::Text);
    const auto date = std::find_if(texts.begin(), texts.end(),
                                   [](const CanvasRecord& r) { return r.Text == "19 Jun"; });
    ASSERT_NE(date, texts.end());
    EXPECT_EQ(date->Points.at(0).X, 237);
    // The close line is the same either way.
    std::vector<CanvasRecord> closeBefore, closeAfter;
    for (const CanvasRecord& r : plain)
        if (r.What == Kind::Line && r.Pen.Color == kCloseColor) closeBefore.push_back(r);
    for (const CanvasRecord& r : canvas.Of(Kind::Line))
        if (r.Pen.Color == kCloseColor) closeAfter.push_back(r);
    ASSERT_EQ(closeAfter.size(), closeBefore.size());
    for (std::size_t i = 0; i < closeAfter.size(); ++i)
        EXPECT_EQ(closeAfter[i].Points, closeBefore[i].Points) << i;
}

TEST_F(ChartAxesPainting, AViewInsideOneDayHasNoSeparator) {
    ChartState state = StateOf(MinuteBars(18, 100, [](int i) { return 50.0 + i % 7; }), 1);
    state.Extras.FullTimeAxis = true;
    ASSERT_TRUE(Paint(state));
    EXPECT_TRUE(Separators().empty());
    EXPECT_GT(LabelsLeftOf(432), 0);
}

TEST_F(ChartAxesPainting, ALogScalePlacesPricesByTheirLogarithm) {
    // Closes from 1 to 1000, each bar the same factor above the last: on a log scale a
    // straight line, the middle bar (31.6) in the middle row.
    std::vector<Bar> bars;
    const double start = DateToCenturies(2012, 6, 18, 0);
    for (int i = 0; i <= 50; ++i) {
        const double p = std::pow(10.0, 3.0 * i / 50);
        bars.push_back(Bar{start + i * kDay, p, p, p});
    }
    ChartState state = StateOf(bars, 1440);
    state.Extras.LogScale = true;
    ASSERT_TRUE(Paint(state));
    const double lmin = std::log(bars.front().Low), lmax = std::log(bars.back().High);
    const double pad = (lmax - lmin) * 0.1;
    const auto y = [&](double p) {
        return ValueToPixel(211, 3, lmin - pad, lmax + pad, std::log(p));
    };
    std::vector<TPoint> ends;
    for (const CanvasRecord& line : LinesIn(kCloseColor)) {
        ends.push_back(line.From());
        ends.push_back(line.To());
    }
    const double tmin = state.LTime.GetItem(0), tmax = state.LTime.GetItem(state.LTime.Count() - 1);
    for (const Bar& b : bars) {
        const TPoint at{ValueToPixel(62, 432, tmin, tmax, b.Time), y(b.Close)};
        EXPECT_THAT(ends, ::testing::Contains(at)) << b.Close;
    }
    EXPECT_EQ(y(std::pow(10.0, 1.5)), (211 + 3) / 2);
    // Round values a decade apart are the same distance apart.
    const auto texts = canvas.Texts();
    for (const char* label : {"1", "10", "100", "20", "200"})
        EXPECT_THAT(texts, ::testing::Contains(label)) << label;
    EXPECT_EQ(status.Text.find("linear"), std::string::npos);
}

TEST_F(ChartAxesPainting, PricesAtOrBelowZeroKeepTheScaleLinearAndSaySo) {
    ChartState state = StateOf(MinuteBars(18, 40, [](int i) { return -2.0 + i % 5; }), 1);
    ASSERT_TRUE(Paint(state));
    const auto linear = canvas.Records();
    const std::string linearStatus = status.Text;
    state.Extras.LogScale = true;
    ASSERT_TRUE(Paint(state));
    ASSERT_EQ(canvas.Records().size(), linear.size());
    for (std::size_t i = 0; i < linear.size(); ++i) {
        EXPECT_EQ(canvas.Records()[i].Points, linear[i].Points) << i;
        EXPECT_EQ(canvas.Records()[i].Text, linear[i].Text) << i;
    }
    EXPECT_EQ(status.Text, linearStatus + "; linear scale: prices at or below 0 in view");
}

}  // namespace
}  // namespace vela
