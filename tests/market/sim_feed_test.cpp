#include "market/sim_feed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "market/market_test_support.h"

namespace vela {
namespace {

using testing_support::At;

class CountingSink : public FeedEventSink {
  public:
    void BarsChanged(std::int32_t handle) override { ++Events[handle]; }
    std::map<std::int32_t, int> Events;
};

class SimFeedTest : public testing_support::VirtualTimeTest {
  protected:
    std::vector<BarData> All(MarketFeed& feed, std::int32_t handle) {
        std::vector<BarData> bars;
        const std::int32_t n = feed.GetNumBars(handle);
        for (std::int32_t i = 1 - n; i <= 0; ++i) bars.push_back(feed.GetBar(handle, i));
        return bars;
    }
    CountingSink sink;
};

SimFeedOptions Opts(std::uint64_t seed, std::optional<double> start = std::nullopt,
                    std::int32_t delay = 300) {
    SimFeedOptions o;
    o.Seed = seed;
    o.Start = start;
    o.ReadyDelayMs = delay;
    return o;
}

std::int64_t SecondOfDay(double t) {
    CivilDateTime c;
    EXPECT_TRUE(DecodePlatformDateTime(t, c));
    return c.Hour * 3600 + c.Minute * 60 + c.Second;
}

TEST_F(SimFeedTest, SameSeedAndClockGiveTheSameBars) {
    SimFeed a(Opts(42), loop, clock), b(Opts(42), loop, clock), other(Opts(43), loop, clock);
    const auto ha = a.RequestHistory(sink, "IBM", "5", 1, 500, -1, -1);
    const auto hb = b.RequestHistory(sink, "IBM", "5", 1, 500, -1, -1);
    const auto ho = other.RequestHistory(sink, "IBM", "5", 1, 500, -1, -1);
    const auto barsA = All(a, ha), barsB = All(b, hb), barsO = All(other, ho);
    ASSERT_EQ(barsA.size(), 500u);
    ASSERT_EQ(barsB.size(), 500u);
    bool differs = false;
    for (std::size_t i = 0; i < barsA.size(); ++i) {
        EXPECT_EQ(std::memcmp(&barsA[i], &barsB[i], sizeof(BarData)), 0) << i;
        differs = differs || barsA[i].dClose != barsO[i].dClose;
    }
    EXPECT_TRUE(differs);
}

struct SessionCase {
    const char* interval;
    std::int32_t start, end;
    std::int64_t firstSecond, lastSecond, step;  // expected bar starts within a day
};

TEST_F(SimFeedTest, BarsFollowWeekdaySessions) {
    const std::vector<SessionCase> cases = {
        {"1", -1, -1, 9 * 3600 + 1800, 15 * 3600 + 59 * 60, 60},
        {"5S", -1, -1, 9 * 3600 + 1800, 16 * 3600 - 5, 5},
        {"60", -1, -1, 9 * 3600 + 1800, 15 * 3600 + 1800, 3600},
        {"60", 0, 1440, 0, 23 * 3600, 3600},
        {"15", 600, 720, 10 * 3600, 11 * 3600 + 45 * 60, 900},
    };
    SimFeed feed(Opts(1), loop, clock);
    for (const SessionCase& c : cases) {
        const auto h = feed.RequestHistory(sink, "IBM", c.interval, 1, 3000, c.start, c.end);
        const auto bars = All(feed, h);
        ASSERT_EQ(bars.size(), 3000u) << c.interval;
        std::set<std::int64_t> seconds;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const BarData& b = bars[i];
            EXPECT_GE(PlatformDayOfWeek(+b.dtTime), 2) << c.interval;
            EXPECT_LE(PlatformDayOfWeek(+b.dtTime), 6) << c.interval;
            const std::int64_t s = SecondOfDay(b.dtTime);
            EXPECT_EQ((s - c.firstSecond) % c.step, 0) << c.interval;
            seconds.insert(s);
            if (i > 0) {
                EXPECT_LT(+bars[i - 1].dtTime, +b.dtTime) << c.interval;
            }
            EXPECT_LE(+b.dLow, std::min(+b.dOpen, +b.dClose));
            EXPECT_GE(+b.dHigh, std::max(+b.dOpen, +b.dClose));
            EXPECT_GT(+b.dLow, 0);
            EXPECT_EQ(+b.dClose, std::rint(+b.dClose * 100) / 100);
        }
        EXPECT_EQ(*seconds.begin(), c.firstSecond) << c.interval;
        EXPECT_EQ(*seconds.rbegin(), c.lastSecond) << c.interval;
    }
}

TEST_F(SimFeedTest, NewestBarIsTheOneTradingNowOrTheLastBeforeTheBreak) {
    SimFeed feed(Opts(1), loop, clock);
    // Monday 10:00:00: the 10:00 minute bar has just opened.
    auto h = feed.RequestHistory(sink, "$INDU", "1", 1, 10, -1, -1);
    EXPECT_EQ(+feed.GetBar(h, 0).dtTime, At(2024, 3, 4, 10, 0));
    // Daily bars: one per weekday, today's included, the weekend skipped.
    h = feed.RequestHistory(sink, "$INDU", "D", 1, 6, -1, -1);
    std::vector<double> days;
    for (const BarData& b : All(feed, h)) days.push_back(+b.dtTime);
    EXPECT_EQ(days, (std::vector<double>{At(2024, 2, 26), At(2024, 2, 27), At(2024, 2, 28),
                                         At(2024, 2, 29), At(2024, 3, 1), At(2024, 3, 4)}));
    // On Saturday the newest hour bar is Friday's last.
    clock.SetLocal(At(2024, 3, 9, 12, 0));
    h = feed.RequestHistory(sink, "$INDU", "60", 1, 10, -1, -1);
    EXPECT_EQ(+feed.GetBar(h, 0).dtTime, At(2024, 3, 8, 15, 30));
}

TEST_F(SimFeedTest, HistoryBecomesReadyAfterTheDelay) {
    SimFeed feed(Opts(1, std::nullopt, 300), loop, clock);
    const auto h = feed.RequestHistory(sink, "IBM", "1", 1, 10, -1, -1);
    EXPECT_FALSE(feed.IsHistoryReady(h));
    loop.RunFor(299);
    EXPECT_FALSE(feed.IsHistoryReady(h));
    loop.RunFor(1);
    EXPECT_TRUE(feed.IsHistoryReady(h));
    EXPECT_FALSE(feed.IsHistoryReady(h + 1));
}

TEST_F(SimFeedTest, LiveTicksMoveTheFormingBarAndOpenBarsAtBoundaries) {
    SimFeed feed(Opts(3), loop, clock);
    clock.SetLocal(At(2024, 3, 4, 10, 0, 50));
    const auto h = feed.RequestHistory(sink, "IBM", "1", 1, 10, -1, -1);
    const BarData forming = feed.GetBar(h, 0);
    loop.RunFor(5000);  // 10:00:55
    EXPECT_EQ(sink.Events[h], 5);
    EXPECT_EQ(feed.GetNumBars(h), 10);
    EXPECT_EQ(+feed.GetBar(h, 0).dtTime, +forming.dtTime);
    EXPECT_GT(+feed.GetBar(h, 0).dVolume, +forming.dVolume);
    loop.RunFor(5000);  // 10:01:00 opens a bar
    EXPECT_EQ(feed.GetNumBars(h), 11);
    const BarData opened = feed.GetBar(h, 0);
    EXPECT_EQ(+opened.dtTime, At(2024, 3, 4, 10, 1));
    EXPECT_EQ(+feed.GetBar(h, -1).dtTime, +forming.dtTime);
    // A long pause: the bars the market went through appear too.
    clock.SetLocal(At(2024, 3, 4, 10, 30, 0));
    loop.RunFor(1000);
    EXPECT_EQ(feed.GetNumBars(h), 11 + 29);
    // Released: no more events, no bars.
    const int before = sink.Events[h];
    feed.ReleaseHistory(h);
    loop.RunFor(3000);
    EXPECT_EQ(sink.Events[h], before);
    EXPECT_EQ(feed.GetNumBars(h), 0);
    EXPECT_THROW(feed.GetBar(h, 0), HooksError);
    EXPECT_EQ(loop.PendingTimers(), 0u);
}

TEST_F(SimFeedTest, NoLiveChangesWhileTheMarketIsClosed) {
    SimFeed feed(Opts(3), loop, clock);
    clock.SetLocal(At(2024, 3, 9, 12, 0));  // Saturday
    const auto h = feed.RequestHistory(sink, "IBM", "1", 1, 10, -1, -1);
    loop.RunFor(5000);
    EXPECT_EQ(sink.Events[h], 0);
    // A fixed start instant runs the market from there whatever the wall clock says.
    SimFeed started(Opts(3, At(2024, 3, 4, 12, 0)), loop, clock);
    const auto hs = started.RequestHistory(sink, "IBM", "1", 1, 10, -1, -1);
    loop.RunFor(3000);
    EXPECT_EQ(sink.Events[hs], 3);
}

TEST_F(SimFeedTest, BadRequestsFailWithAReason) {
    SimFeed feed(Opts(1), loop, clock);
    EXPECT_THROW(feed.RequestHistory(sink, "IBM", "7X", 1, 10, -1, -1), HooksError);
    EXPECT_THROW(feed.RequestHistory(sink, "IBM", "1", 1, 10, 600, 500), HooksError);
    EXPECT_THROW(feed.RequestHistory(sink, "IBM", "1", 1, 10, -1, 1440), HooksError);
    const auto h = feed.RequestHistory(sink, "IBM", "1", 1, 0, -1, -1);
    EXPECT_EQ(feed.GetNumBars(h), 0);
    EXPECT_THROW(feed.GetBar(h, 0), HooksError);
}

}  // namespace
}  // namespace vela
