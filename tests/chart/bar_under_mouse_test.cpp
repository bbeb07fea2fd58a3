#include "chart/bar_under_mouse.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "text/calendar.h"

namespace vela {
namespace {

struct Case {
    std::int32_t x;
    std::optional<std::int32_t> bar;
};

// Eleven positions: six bars and five future ones, one position every 10 pixels.
TEST(BarUnderMouse, IntradayTakesTheNearestPosition) {
    const std::vector<double> times{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const TRect plot{10, 0, 110, 50};
    const Case cases[] = {
        {9, std::nullopt},  // left of the plot
        {10, 0},            // its left edge
        {14, 0},
        {16, 1},
        {54, 4},
        {60, 5},
        {64, 5},              // still nearest the last bar
        {66, std::nullopt},   // nearest the first future position
        {110, std::nullopt},  // right edge: the last future position
        {111, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarUnderMouse(times, 6, true, plot, c.x), c.bar) << "x " << c.x;
}

// Daily positions by time with a gap from 2 to 10; 13 and 14 are future positions.
TEST(BarUnderMouse, DailyTakesTheNearestTimeAcrossGaps) {
    const std::vector<double> times{0, 1, 2, 10, 11, 12, 13, 14};
    const TRect plot{0, 0, 140, 50};
    const Case cases[] = {
        {-1, std::nullopt},
        {0, 0},
        {14, 1},
        {55, 2},  // in the gap, nearer its start
        {65, 3},  // in the gap, nearer its end
        {124, 5},
        {127, std::nullopt},
        {140, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BarUnderMouse(times, 6, false, plot, c.x), c.bar) << "x " << c.x;
}

TEST(BarUnderMouse, NothingWithoutASeriesOrPlot) {
    const std::vector<double> one{5};
    const std::vector<double> two{5, 6};
    EXPECT_EQ(BarUnderMouse(one, 1, true, TRect{0, 0, 100, 10}, 50), std::nullopt);
    EXPECT_EQ(BarUnderMouse(two, 0, true, TRect{0, 0, 100, 10}, 0), std::nullopt);
    EXPECT_EQ(BarUnderMouse(two, 2, true, TRect{5, 0, 5, 10}, 5), std::nullopt);
    // More bars claimed than positions: only the positions count.
    EXPECT_EQ(BarUnderMouse(two, 9, false, TRect{0, 0, 100, 10}, 100), 1);
}

TEST(BarUnderMouse, ReadoutIsTableDateThenPrices) {
    const BarPrices bar{DateToCenturies(2024, 6, 20, 15.5), 1.5, 2.25, 1, 2, 300};
    EXPECT_EQ(BarReadout(bar), "06.20.2024  03:30:00 PM  O 1.5  H 2.25  L 1.0  C 2.0  V 300");
    BarPrices coin = bar;
    coin.dVolume = 0.25;
    EXPECT_EQ(BarReadout(coin), "06.20.2024  03:30:00 PM  O 1.5  H 2.25  L 1.0  C 2.0  V 0.25");
}

TEST(ChartAveragesValue, RoundTripsAndSkipsMalformedItems) {
    const std::vector<ChartAverage> three{{0, 20}, {0, 50}, {1, 20}};
    EXPECT_EQ(AveragesValue(three), "0:20,0:50,1:20");
    EXPECT_EQ(AveragesFromValue(AveragesValue(three)), three);
    EXPECT_TRUE(AveragesFromValue("").empty());
    const struct {
        const char* value;
        std::vector<ChartAverage> averages;
    } cases[] = {
        {"1:14", {{1, 14}}},
        {"x,0:20,:5,3:,0:0,-1:4,2:7z", {{0, 20}}},
        {"0:1,0:2,0:3,0:4", {{0, 1}, {0, 2}, {0, 3}}},
    };
    for (const auto& c : cases) EXPECT_EQ(AveragesFromValue(c.value), c.averages) << c.value;
}

}  // namespace
}  // namespace vela
