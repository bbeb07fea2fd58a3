#include "chart/chart_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chart/price_axis.h"
#include "geometry/value_mapping.h"

namespace vela {
namespace {

constexpr TRect kPlot{62, 3, 432, 211};

TEST(ChartMappingTest, ColumnsAndPositionsBothWays) {
    const std::vector<double> times = {1.0, 1.1, 1.2, 1.6, 2.0};
    const ChartMapping byPosition(times, true, kPlot, 10, 20);
    const ChartMapping byTime(times, false, kPlot, 10, 20);
    for (std::int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(byPosition.XOf(i), ValueToPixel(62, 432, 0, 4, i)) << i;
        EXPECT_EQ(byPosition.PositionAt(byPosition.XOf(i)), i) << i;
        EXPECT_EQ(byTime.XOf(i), ValueToPixel(62, 432, 1.0, 2.0, times[i])) << i;
        EXPECT_EQ(byTime.PositionAt(byTime.XOf(i)), i) << i;
    }
    // Outside the plot nothing; by time the nearest instant.
    EXPECT_FALSE(byPosition.PositionAt(61));
    EXPECT_FALSE(byTime.PositionAt(433));
    EXPECT_EQ(byTime.PositionAt(ValueToPixel(62, 432, 1.0, 2.0, 1.45)), 3);
    EXPECT_FALSE(ChartMapping(std::vector<double>{1.0}, true, kPlot, 0, 1).PositionAt(100));
}

struct PriceCase {
    double Low;
    double High;
    bool Log;
    bool LogShown;  // a log scale needs prices above 0
};

TEST(ChartMappingTest, RowsAndPricesBothWaysLinearOrLog) {
    const std::vector<double> times = {1.0, 2.0};
    for (const PriceCase& c : {PriceCase{90, 110, false, false}, PriceCase{1, 1000, true, true},
                               PriceCase{0.001, 0.5, true, true}, PriceCase{-5, 5, true, false},
                               PriceCase{0, 10, true, false}}) {
        const ChartMapping map(times, true, kPlot, c.Low, c.High, c.Log);
        EXPECT_EQ(map.Log(), c.LogShown) << c.Low;
        EXPECT_EQ(map.YOf(c.Low), 211) << c.Low;
        EXPECT_EQ(map.YOf(c.High), 3) << c.Low;
        EXPECT_NEAR(map.PriceAt(211), c.Low, 1e-9 * std::fabs(c.High)) << c.Low;
        EXPECT_NEAR(map.PriceAt(3), c.High, 1e-9 * std::fabs(c.High)) << c.Low;
        const double middle = c.LogShown ? std::sqrt(c.Low * c.High) : (c.Low + c.High) / 2;
        EXPECT_EQ(map.YOf(middle), 107) << c.Low;
        EXPECT_EQ(map.YOf(map.PriceAt(150)), 150) << c.Low;
    }
}

struct TicksCase {
    double Low;
    double High;
    std::vector<double> Ticks;
};

TEST(LogAxisTicksTest, RoundValuesSpacedByTheirLogarithm) {
    const TicksCase cases[] = {
        {1, 1000, {1, 2, 5, 10, 20, 50, 100, 200, 500}},
        {0.5, 30000000, {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000}},
        {0.02, 0.35, {0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08, 0.09, 0.1, 0.15, 0.2, 0.3}},
        // Within a factor of three: the linear axis's round values.
        {92, 104, {92.5, 95, 97.5, 100, 102.5}},
        {0, 10, {}},
        {5, 5, {}},
    };
    for (const TicksCase& c : cases) EXPECT_EQ(LogAxisTicks(c.Low, c.High), c.Ticks) << c.Low;
}

}  // namespace
}  // namespace vela
