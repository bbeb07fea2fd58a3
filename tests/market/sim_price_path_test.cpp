#include "market/sim_price_path.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "market/sim_session_calendar.h"

namespace vela::sim {
namespace {

struct PinnedBar {
    const char* symbol;
    std::uint64_t seed;
    std::int64_t day;  // a weekday, counted from 30 December 1899
    std::int32_t from, to;
    TickBar bar;
};

// The simulated market has one past, from one version to the next. Another key, another bit
// of a draw or another weight would keep every property the feed's tests look at and still
// give different bars; these are bars the walk has made.
TEST(SimPricePathTest, TheWalkKeepsThePastItHasMade) {
    const std::vector<PinnedBar> cases = {
        // Monday 4 March 2024: the 10:00 minute, a step, a second, the session, the night.
        {"IBM", 1, 45355, 36000, 36060, {10329, 10333, 10325, 10331, 13863}},
        {"IBM", 1, 45355, 36005, 36010, {10329, 10330, 10328, 10328, 976}},
        {"IBM", 1, 45355, 36007, 36008, {10329, 10330, 10329, 10330, 195}},
        {"IBM", 1, 45355, 34200, 57600, {10384, 10501, 10246, 10454, 8519117}},
        {"IBM", 1, 45355, 0, 34200, {10407, 10453, 10364, 10384, 1837744}},
        // Monday 1 January 1900, the first day made, all of it.
        {"$INDU", 42, 2, 0, 86400, {1384337, 1391486, 1365087, 1366992, 1856844175}},
        // Monday 17 June 2199, an afternoon hour of a symbol priced in ten-thousandths.
        {"MSFT", 7, 109377, 50400, 54000, {30169, 30318, 30138, 30257, 580027}},
    };
    for (const PinnedBar& c : cases) {
        const Market market = MarketOf(c.seed, c.symbol);
        Path path(market);
        const TickBar b = path.Over(WeekdayNumber(c.day), c.from, c.to);
        EXPECT_EQ(b.Open, c.bar.Open) << c.symbol << " " << c.from;
        EXPECT_EQ(b.High, c.bar.High) << c.symbol << " " << c.from;
        EXPECT_EQ(b.Low, c.bar.Low) << c.symbol << " " << c.from;
        EXPECT_EQ(b.Close, c.bar.Close) << c.symbol << " " << c.from;
        EXPECT_EQ(b.Volume, c.bar.Volume) << c.symbol << " " << c.from;
    }
}

// The price at every second of a minute: where inside its steps the walk touches their highs
// and lows.
TEST(SimPricePathTest, TheSecondsInsideTheStepsKeepTheirPrices) {
    const std::vector<std::int64_t> expected = {
        10329, 10328, 10329, 10329, 10329, 10329, 10328, 10329, 10330, 10328, 10328, 10325,
        10329, 10325, 10327, 10326, 10327, 10326, 10327, 10327, 10327, 10327, 10327, 10327,
        10327, 10327, 10327, 10328, 10328, 10328, 10327, 10326, 10328, 10326, 10326, 10326,
        10325, 10328, 10326, 10328, 10328, 10329, 10328, 10329, 10329, 10328, 10329, 10327,
        10327, 10327, 10327, 10326, 10332, 10328, 10333, 10332, 10330, 10331, 10330, 10333};
    const Market ibm = MarketOf(1, "IBM");
    Path path(ibm);
    // Monday 4 March 2024, 10:00.
    const std::int64_t w = WeekdayNumber(45355);
    for (std::int32_t s = 0; s < 60; ++s) {
        const TickBar at = path.At(w, 36000 + s);
        EXPECT_EQ(at.Open, expected[static_cast<std::size_t>(s)]) << s;
        EXPECT_EQ(at.Close, at.Open) << s;
        EXPECT_EQ(at.Volume, 0) << s;
    }
}

}  // namespace
}  // namespace vela::sim
