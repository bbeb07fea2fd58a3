#include "chart/chart_update.h"

#include <gtest/gtest.h>

#include <vector>

#include "text/calendar.h"

namespace vela {
namespace {

// One-minute bars from the given minutes after 09:30 on 2012-06-20 (day 0) or 2012-06-21.
std::vector<BarPrices> Bars(std::initializer_list<std::pair<int, int>> dayAndMinute) {
    std::vector<BarPrices> bars;
    double close = 10;
    for (auto [day, minute] : dayAndMinute) {
        BarPrices b;
        b.dtTime = DateToCenturies(2012, 6, 20 + day, 9.5 + minute / 60.0);
        b.dClose = close;
        b.dHigh = close + 1;
        b.dLow = close - 1;
        close += 0.5;
        bars.push_back(b);
    }
    return bars;
}

ChartState OneMinuteState() {
    ChartState s;
    s.dT = BarLengthInCenturies(1);
    return s;
}

TEST(UpdateChartSeries, SeriesFutureAndNewestBar) {
    ChartState s = OneMinuteState();
    const auto bars = Bars({{0, 0}, {0, 1}, {0, 2}});
    ASSERT_TRUE(UpdateChartSeries(bars, s));
    ASSERT_EQ(s.LClose.Count(), 18);
    EXPECT_EQ(s.ILastPrice, 2);
    EXPECT_EQ(s.LastClose, 11.0);
    EXPECT_EQ(s.LastCloseTime, bars[2].dtTime);
    EXPECT_EQ(s.DeltaClose, 0.5);
    EXPECT_EQ(s.LHigh.GetItem(0), 11.0);
    EXPECT_EQ(s.LLow.GetItem(0), 9.0);
    for (int i = 3; i < 18; ++i) {
        EXPECT_EQ(s.LClose.GetItem(i), kNullValue);
        EXPECT_NEAR(s.LTime.GetItem(i), bars[2].dtTime + (i - 2) * s.dT, 1e-15);
    }
    EXPECT_TRUE(s.Intraday);
    EXPECT_EQ(s.IFirstBarInDay, 0);
    EXPECT_EQ(s.DayTMin, bars[0].dtTime);
    EXPECT_NEAR(s.DayTMax, bars[2].dtTime + 15 * s.dT, 1e-15);
}

// Opens and volumes are kept only while an extra draws them (the plain chart of a million
// bars does without), with the future positions like the other series.
TEST(UpdateChartSeries, OpenAndVolumeWithTheFuturePositions) {
    ChartState s = OneMinuteState();
    auto bars = Bars({{0, 0}, {0, 1}, {0, 2}});
    const double opens[] = {9.5, 10.25, 11.5};
    const double volumes[] = {100, 0, 2500};
    for (std::size_t i = 0; i < 3; ++i) {
        bars[i].dOpen = opens[i];
        bars[i].dVolume = volumes[i];
    }
    ASSERT_TRUE(UpdateChartSeries(bars, s));
    EXPECT_EQ(s.LOpen.Count(), 0);
    EXPECT_EQ(s.LVolume.Count(), 0);
    s.Extras.Volume = true;
    ASSERT_TRUE(UpdateChartSeries(bars, s));
    ASSERT_EQ(s.LOpen.Count(), 18);
    ASSERT_EQ(s.LVolume.Count(), 18);
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(s.LOpen.GetItem(i), opens[i]);
        EXPECT_EQ(s.LVolume.GetItem(i), volumes[i]);
    }
    for (std::int32_t i = 3; i < 18; ++i) {
        EXPECT_EQ(s.LOpen.GetItem(i), kNullValue) << i;
        EXPECT_EQ(s.LVolume.GetItem(i), kNullValue) << i;
    }
    // A second update replaces them rather than appending.
    ASSERT_TRUE(UpdateChartSeries(std::span(bars).first(2), s));
    EXPECT_EQ(s.LOpen.Count(), 17);
    EXPECT_EQ(s.LVolume.GetItem(1), 0.0);
}

// The overlays follow the extras: one per average in its order, the RSI only when on, and
// nothing at all for a chart without bars.
TEST(UpdateChartSeries, OverlaysForTheExtras) {
    ChartState s = OneMinuteState();
    s.Extras.Averages = {{0, 2}, {1, 3}};
    const auto bars = Bars({{0, 0}, {0, 1}, {0, 2}, {0, 3}});
    ASSERT_TRUE(UpdateChartSeries(bars, s));
    ASSERT_EQ(s.Overlays.LAverages.size(), 2u);
    EXPECT_EQ(s.Overlays.Averages, s.Extras.Averages);
    // Closes 10, 10.5, 11, 11.5: the trailing mean of two lags by a quarter.
    EXPECT_DOUBLE_EQ(s.Overlays.LAverages[0].GetItem(3), 11.25);
    EXPECT_EQ(s.Overlays.LAverages[0].GetItem(4), kNullValue);
    EXPECT_EQ(s.Overlays.LAverages[1].Count(), s.LClose.Count());
    EXPECT_EQ(s.Overlays.LRsi.Count(), 0);

    s.Extras.Averages.clear();
    s.Extras.RsiWindow = 2;
    UpdateChartOverlays(s);
    EXPECT_TRUE(s.Overlays.LAverages.empty());
    EXPECT_EQ(s.Overlays.LRsi.Count(), s.LClose.Count());

    EXPECT_FALSE(UpdateChartSeries(std::span(bars).first(1), s));
    EXPECT_EQ(s.Overlays.LRsi.Count(), 0);
}

TEST(UpdateChartSeries, DeltaCloseNeedsThreeBars) {
    ChartState s = OneMinuteState();
    ASSERT_TRUE(UpdateChartSeries(Bars({{0, 0}, {0, 1}}), s));
    EXPECT_EQ(s.DeltaClose, 0.0);
}

TEST(UpdateChartSeries, FewerThanTwoBarsEmptiesOnlyTheSeries) {
    ChartState s = OneMinuteState();
    ASSERT_TRUE(UpdateChartSeries(Bars({{0, 0}, {0, 1}, {0, 2}}), s));
    const ChartState before = s;
    EXPECT_FALSE(UpdateChartSeries(Bars({{0, 5}}), s));
    EXPECT_EQ(s.LClose.Count(), 0);
    EXPECT_EQ(s.LTime.Count(), 0);
    EXPECT_EQ(s.LastClose, before.LastClose);
    EXPECT_EQ(s.ILastPrice, before.ILastPrice);
    EXPECT_EQ(s.IFirstBarInDay, before.IFirstBarInDay);
}

TEST(UpdateChartSeries, NewestDayStartsAfterTheLastBreak) {
    ChartState s = OneMinuteState();
    // Two sessions with a gap of three minutes inside the first (not a break: 3 dT is not
    // more than 3 dT) and a night between them.
    ASSERT_TRUE(UpdateChartSeries(Bars({{0, 0}, {0, 1}, {0, 4}, {0, 5}, {1, 0}, {1, 1}}), s));
    EXPECT_EQ(s.IFirstBarInDay, 4);
    EXPECT_EQ(s.DayTMin, s.LTime.GetItem(4));
}

TEST(UpdateChartSeries, DailyBarsHaveNoDayStart) {
    ChartState s;
    s.dT = BarLengthInCenturies(1440);
    ASSERT_TRUE(UpdateChartSeries(Bars({{0, 0}, {1, 0}, {2, 0}}), s));
    EXPECT_FALSE(s.Intraday);
    EXPECT_EQ(s.IFirstBarInDay, 0);
    EXPECT_EQ(s.DayTMin, s.LTime.GetItem(0));
}

TEST(UpdateChartSeries, IntradayLimitIsBelowAQuarterDay) {
    EXPECT_LT(BarLengthInCenturies(60), kIntradayLimit);
    EXPECT_LT(BarLengthInCenturies(305), kIntradayLimit);
    EXPECT_GT(BarLengthInCenturies(307), kIntradayLimit);
    EXPECT_DOUBLE_EQ(BarLengthInCenturies(1440), DayInCenturies);
}

}  // namespace
}  // namespace vela
