#include "chart/chart_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "chart/same_chart.h"
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

using testing_support::ExpectSameChart;

// After every step of a random stream of merges (the forming bar changed, new bars, the
// newest bars fetched again over a session break, bars taken back), the series built from
// the first changed bar on are exactly those built from scratch, whatever the extras.
TEST(UpdateChartSeriesFrom, SameAsAFullRebuildAfterRandomUpdates) {
    std::mt19937 random(26);
    const double dT = BarLengthInCenturies(1);
    std::vector<BarPrices> bars;
    double t = DateToCenturies(2012, 6, 20, 9.5);
    double price = 100;
    const auto next = [&](double gapBars) {
        t += gapBars * dT;
        price += std::uniform_real_distribution<double>(-1, 1)(random);
        BarPrices b;
        b.dtTime = t;
        b.dOpen = price - 0.25;
        b.dHigh = price + 0.5;
        b.dLow = price - 0.5;
        b.dClose = price;
        b.dVolume = std::uniform_int_distribution<int>(0, 1000)(random);
        return b;
    };
    for (int i = 0; i < 300; ++i) bars.push_back(next(i % 97 == 96 ? 1000 : 1));

    ChartState fast;
    fast.dT = dT;
    fast.Extras.Averages = {{0, 20}, {1, 9}, {2, 4}};
    fast.Extras.RsiWindow = 14;
    ChartState plain = fast;
    ChartOverlayTails tails;
    std::size_t unchanged = 0;
    ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, fast, tails));
    ASSERT_TRUE(UpdateChartSeries(bars, plain));
    ExpectSameChart(fast, plain);
    for (int step = 0; step < 400; ++step) {
        std::size_t cut = bars.size();
        switch (std::uniform_int_distribution<int>(0, 10)(random)) {
            case 0:
            case 1:
            case 2:
            case 3:  // the forming bar moves
                cut = bars.size() - 1;
                price = bars.back().dClose;
                t -= dT;
                bars.back() = next(1);
                break;
            case 4:
            case 5:  // new bars, sometimes after a session break
                bars.push_back(next(step % 7 == 0 ? 600 : 1));
                break;
            case 6: {  // the newest bars fetched again, some of them changed
                const auto n = std::uniform_int_distribution<std::size_t>(1, 100)(random);
                cut = bars.size() - std::min(n, bars.size() - 2);
                for (std::size_t i = cut; i < bars.size(); ++i) bars[i].dClose += 0.125;
                break;
            }
            case 7: {  // fewer bars than before
                cut = bars.size() - std::uniform_int_distribution<std::size_t>(1, 5)(random);
                bars.resize(cut);
                t = bars.back().dtTime;
                break;
            }
            case 8:  // the extras change between updates
                plain.Extras.Volume = fast.Extras.Volume = !fast.Extras.Volume;
                if (fast.Extras.Volume) {
                    // Switched on, the window builds the opens and volumes once in full.
                    ASSERT_TRUE(UpdateChartSeries(bars, fast));
                    cut = bars.size();
                }
                break;
            case 9: {  // other overlays, with the tails of the old ones kept or not
                static const std::vector<ChartAverage> kChoices[] = {{},
                                                                     {{0, 3}, {1, -3}},
                                                                     {{1, 200}, {3, 10}},
                                                                     {{0, 20}, {1, 9}, {2, 4}},
                                                                     {{2, 40}}};
                const std::vector<ChartAverage>& chosen = kChoices[step % 5];
                plain.Extras.Averages = fast.Extras.Averages = chosen;
                plain.Extras.RsiWindow = fast.Extras.RsiWindow = step % 3 == 0 ? 0 : 2 + step % 20;
                if (step % 2 == 0) tails = ChartOverlayTails{};
                break;
            }
            default:  // a hint lower than it could be is no harm
                cut = std::uniform_int_distribution<std::size_t>(0, bars.size())(random);
                break;
        }
        unchanged = cut;
        ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, fast, tails));
        ASSERT_TRUE(UpdateChartSeries(bars, plain));
        EXPECT_LE(unchanged, cut);
        ExpectSameChart(fast, plain);
        if (HasFatalFailure() || HasFailure()) {
            ADD_FAILURE() << "at step " << step;
            return;
        }
    }
}

// A chart that holds nothing yet, or a hint of nothing, is built in full.
TEST(UpdateChartSeriesFrom, BuildsInFullWithoutItemsToKeep) {
    const auto bars = Bars({{0, 0}, {0, 1}, {1, 0}});
    for (const std::size_t hint : {std::size_t{0}, std::size_t{2}, ~std::size_t{0}}) {
        ChartState s = OneMinuteState();
        ChartOverlayTails tails;
        std::size_t unchanged = hint;
        ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, s, tails));
        EXPECT_EQ(unchanged, 0u);
        EXPECT_EQ(s.LClose.Count(), 18);
        EXPECT_EQ(s.IFirstBarInDay, 2);
        unchanged = hint;
        ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, s, tails));
        EXPECT_EQ(unchanged, std::min<std::size_t>(hint, 3));
        EXPECT_EQ(s.IFirstBarInDay, 2);
    }
}

}  // namespace
}  // namespace vela
