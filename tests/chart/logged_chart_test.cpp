#include "chart/logged_chart.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "chart/chart_update.h"
#include "chart/same_chart.h"
#include "text/calendar.h"

namespace vela {
namespace {

// After each of a random stream of updates (the forming bar moving, new bars, bars fetched
// again, prices at or below 0, other bars of another count that nobody tells of), the kept
// logged chart is the logged chart made anew: every series, the averages and the RSI.
TEST(LoggedChart, IsTheLoggedPricesAfterRandomUpdates) {
    std::mt19937 random(5);
    const double dT = BarLengthInCenturies(1);
    std::vector<BarPrices> bars;
    double t = DateToCenturies(2012, 6, 20, 9.5);
    double price = 20;
    const auto next = [&] {
        t += dT;
        price += std::uniform_real_distribution<double>(-1, 1)(random);
        return BarPrices{t,           price - 0.25,
                         price + 0.5, price - 0.5,
                         price,       std::uniform_real_distribution<double>(0, 1000)(random)};
    };
    for (int i = 0; i < 500; ++i) bars.push_back(next());

    ChartState s;
    s.dT = dT;
    s.Extras.LogScale = true;
    s.Extras.Style = BarStyle::Candles;
    s.Extras.Averages = {{0, 20}, {1, 50}, {2, 3}, {3, 5}};  // every kind of pass
    s.Extras.RsiWindow = 14;
    ChartOverlayTails tails;
    std::size_t unchanged = 0;
    ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, s, tails));
    LoggedChart logged;
    bool painted = false;
    for (int step = 0; step < 200; ++step) {
        std::size_t cut = bars.size();
        bool told = true;
        switch (std::uniform_int_distribution<int>(0, 4)(random)) {
            case 0:
                cut = bars.size() - 1;
                t -= dT;
                bars.back() = next();
                break;
            case 1:
                bars.push_back(next());
                break;
            case 2:
                cut = bars.size() - 30;
                for (std::size_t i = cut; i < bars.size(); ++i) bars[i].dLow = -bars[i].dLow;
                break;
            case 3:  // other bars, fewer of them, and right after a paint nobody says so
                cut = 0;
                told = !painted;
                bars.resize(bars.size() - 7);
                for (BarPrices& b : bars) b.dClose += 0.5;
                break;
            default:
                break;
        }
        unchanged = cut;
        ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, s, tails));
        if (told) logged.Keep(cut);
        painted = step % 3 != 1 || !told;  // some updates go unpainted
        if (!painted) continue;
        const ChartState& fast = logged.Of(s);
        const ChartState plain = LoggedPrices(s);
        SCOPED_TRACE(step);
        testing_support::ExpectSameChart(fast, plain);
        EXPECT_EQ(fast.Extras, plain.Extras);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace vela
