#include "market/sim_feed.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "market/market_test_support.h"
#include "platform/held_clock.h"

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

// A history made on another thread while the request waits is the one made on the spot,
// before it is ready, once it is, and while live ticks move it on; the feed also waits for
// it when asked for bars early, and a request released before its bars are done costs none.
TEST_F(SimFeedTest, HistoriesMadeInTheBackgroundAreTheSame) {
    SimFeedOptions background = Opts(5);
    background.BackgroundBars = 1;
    SimFeedOptions spot = Opts(5);
    spot.BackgroundBars = 0;
    SimFeed a(background, loop, clock), b(spot, loop, clock);
    clock.SetLocal(At(2024, 3, 4, 10, 0, 50));
    for (const char* interval : {"1", "5S", "D"}) {
        SCOPED_TRACE(interval);
        const auto ha = a.RequestHistory(sink, "IBM", interval, 1, 3000, -1, -1);
        const auto hb = b.RequestHistory(sink, "IBM", interval, 1, 3000, -1, -1);
        for (int step = 0; step < 3; ++step) {
            EXPECT_EQ(a.IsHistoryReady(ha), b.IsHistoryReady(hb)) << step;
            const auto barsA = All(a, ha), barsB = All(b, hb);
            ASSERT_EQ(barsA.size(), barsB.size()) << step;
            for (std::size_t i = 0; i < barsA.size(); ++i)
                ASSERT_EQ(std::memcmp(&barsA[i], &barsB[i], sizeof(BarData)), 0)
                    << step << " " << i;
            loop.RunFor(2000);
        }
        a.ReleaseHistory(ha);
        b.ReleaseHistory(hb);
    }
    a.ReleaseHistory(a.RequestHistory(sink, "IBM", "1", 1, 3000, -1, -1));
    EXPECT_EQ(loop.PendingTimers(), 0u);
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

// Fine bars gathered into the coarse bar each falls in (the newest coarse bar that starts by
// its time): first open, highest high, lowest low, last close, summed volume.
std::map<double, BarData> Gather(const std::vector<BarData>& fine,
                                 const std::vector<BarData>& coarse) {
    std::map<double, BarData> out;
    std::size_t c = 0;
    for (const BarData& f : fine) {
        while (c + 1 < coarse.size() && +coarse[c + 1].dtTime <= +f.dtTime) ++c;
        if (+coarse[c].dtTime > +f.dtTime) continue;
        const auto [it, first] = out.try_emplace(+coarse[c].dtTime, f);
        BarData& g = it->second;
        if (first) {
            g.dtTime = +coarse[c].dtTime;
            continue;
        }
        g.dHigh = std::max(+g.dHigh, +f.dHigh);
        g.dLow = std::min(+g.dLow, +f.dLow);
        g.dClose = +f.dClose;
        g.dVolume = +g.dVolume + +f.dVolume;
    }
    return out;
}

bool SameBits(const BarData& a, const BarData& b) {
    return std::memcmp(&a, &b, sizeof(BarData)) == 0;
}

struct InstantCase {
    const char* interval;
    std::int32_t bars;  // asked for at the later instants; 50 at the first
};

TEST_F(SimFeedTest, ABarIsTheSameWhicheverInstantAndSizeAskForIt) {
    const std::vector<InstantCase> cases = {{"5S", 8000}, {"1", 1200}, {"60", 200}, {"D", 60}};
    // Thursday 15:00 and 15:30, then the next Monday 11:00.
    const std::vector<double> instants = {At(2024, 6, 20, 15, 0), At(2024, 6, 20, 15, 30),
                                          At(2024, 6, 24, 11, 0)};
    SimFeed feed(Opts(7), loop, clock);
    for (const InstantCase& c : cases) {
        std::vector<std::vector<BarData>> histories;
        for (const double instant : instants) {
            clock.SetLocal(instant);
            const std::int32_t n = histories.empty() ? 50 : c.bars;
            histories.push_back(
                All(feed, feed.RequestHistory(sink, "IBM", c.interval, 1, n, -1, -1)));
            ASSERT_EQ(histories.back().size(), static_cast<std::size_t>(n)) << c.interval;
        }
        // Every bar finished at an instant is in each later history that reaches back to it,
        // to the bit.
        for (std::size_t early = 0; early + 1 < histories.size(); ++early) {
            for (std::size_t late = early + 1; late < histories.size(); ++late) {
                std::map<double, BarData> byTime;
                for (const BarData& b : histories[late]) byTime[+b.dtTime] = b;
                const std::vector<BarData>& bars = histories[early];
                int compared = 0;
                for (std::size_t i = 0; i + 1 < bars.size(); ++i) {
                    if (+bars[i].dtTime < byTime.begin()->first) continue;
                    const auto it = byTime.find(+bars[i].dtTime);
                    ASSERT_NE(it, byTime.end()) << c.interval << " bar " << i;
                    EXPECT_TRUE(SameBits(bars[i], it->second)) << c.interval << " bar " << i;
                    ++compared;
                }
                EXPECT_GE(compared, 40) << c.interval << " " << early << " in " << late;
            }
        }
        // A short request is the newest part of a long one.
        clock.SetLocal(instants.back());
        const auto few = All(feed, feed.RequestHistory(sink, "IBM", c.interval, 1, 20, -1, -1));
        const std::vector<BarData>& all = histories.back();
        ASSERT_EQ(few.size(), 20u);
        for (std::size_t i = 0; i < few.size(); ++i)
            EXPECT_TRUE(SameBits(few[i], all[all.size() - 20 + i])) << c.interval << " " << i;
    }
}

struct NestingCase {
    const char* fine;
    const char* coarse;
    std::int32_t start, end;  // the request's day window
    std::int32_t coarseBars, fineBars;
};

TEST_F(SimFeedTest, EveryIntervalAggregatesTheSamePath) {
    const std::vector<NestingCase> cases = {
        {"1S", "5S", -1, -1, 200, 1000}, {"5S", "1", -1, -1, 100, 1200},
        {"5S", "30S", -1, -1, 100, 600}, {"1", "5", -1, -1, 200, 1000},
        {"5", "60", -1, -1, 60, 800},    {"60", "D", -1, -1, 20, 140},
        {"15", "60", 600, 750, 30, 300}, {"60", "D", 0, 1440, 10, 240},
        {"1", "D", 0, 1440, 3, 4320},
    };
    SimFeed feed(Opts(11), loop, clock);
    // Tuesday 10:17:23: the newest bars are still forming, and gather the same way.
    clock.SetLocal(At(2024, 3, 5, 10, 17, 23));
    for (const char* symbol : {"IBM", "$INDU"}) {
        for (const NestingCase& c : cases) {
            const auto coarse = All(
                feed, feed.RequestHistory(sink, symbol, c.coarse, 1, c.coarseBars, c.start, c.end));
            const auto fine =
                All(feed, feed.RequestHistory(sink, symbol, c.fine, 1, c.fineBars, c.start, c.end));
            const auto gathered = Gather(fine, coarse);
            int compared = 0;
            for (const BarData& b : coarse) {
                // The oldest coarse bars may reach back before the fine history.
                if (+b.dtTime < +fine.front().dtTime) continue;
                const auto it = gathered.find(+b.dtTime);
                ASSERT_NE(it, gathered.end()) << c.coarse;
                EXPECT_TRUE(SameBits(b, it->second))
                    << symbol << " " << c.fine << " into " << c.coarse << " at " << +b.dtTime;
                ++compared;
            }
            EXPECT_GE(compared, 3) << c.fine << " into " << c.coarse;
        }
    }
}

struct LiveCase {
    const char* interval;
    double from;         // when the request is made
    std::int64_t runMs;  // how long the market then runs
};

TEST_F(SimFeedTest, LiveTicksWalkThePathALaterRequestFinds) {
    const std::vector<LiveCase> cases = {
        {"5S", At(2024, 3, 4, 10, 0, 2), 17'000},
        {"1", At(2024, 3, 4, 10, 0, 50), 130'000},
        {"1", At(2024, 3, 4, 15, 58, 30), 180'000},  // past the session's end
        {"D", At(2024, 3, 4, 15, 59, 50), 20'000},
        {"60", At(2024, 3, 8, 23, 58, 0), 300'000},  // into the weekend
    };
    for (const LiveCase& c : cases) {
        SimFeed feed(Opts(5), loop, clock);
        clock.SetLocal(c.from);
        const auto h = feed.RequestHistory(sink, "MSFT", c.interval, 1, 30, -1, -1);
        loop.RunFor(c.runMs);
        const auto live = All(feed, h);
        const auto fresh =
            All(feed, feed.RequestHistory(sink, "MSFT", c.interval, 1,
                                          static_cast<std::int32_t>(live.size()), -1, -1));
        ASSERT_EQ(live.size(), fresh.size()) << c.interval;
        for (std::size_t i = 0; i < live.size(); ++i)
            EXPECT_TRUE(SameBits(live[i], fresh[i])) << c.interval << " bar " << i;
    }
}

struct TickCase {
    const char* symbol;
    double ticksPerUnit;
    std::size_t distinctCloses;  // at least, in 300 five-second bars
};

TEST_F(SimFeedTest, PricesSitOnATickThatSuitsTheLevelAndCheapSymbolsMove) {
    const std::vector<TickCase> cases = {
        {"MSFT", 10000, 100}, {"ES", 1000, 60}, {"IBM", 100, 15}, {"$INDU", 100, 100}};
    SimFeed feed(Opts(7), loop, clock);
    std::map<std::string, double> spread;  // of five-second returns
    for (const TickCase& c : cases) {
        const auto bars = All(feed, feed.RequestHistory(sink, c.symbol, "5S", 1, 300, -1, -1));
        ASSERT_EQ(bars.size(), 300u);
        std::set<double> closes;
        bool finerThanTenTicks = false;
        double sum2 = 0;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const BarData& b = bars[i];
            for (const double p : {+b.dOpen, +b.dHigh, +b.dLow, +b.dClose}) {
                EXPECT_EQ(std::rint(p * c.ticksPerUnit) / c.ticksPerUnit, p) << c.symbol;
                const double tens = std::rint(p * c.ticksPerUnit / 10);
                finerThanTenTicks = finerThanTenTicks || tens * 10 != std::rint(p * c.ticksPerUnit);
            }
            closes.insert(+b.dClose);
            if (i > 0) sum2 += std::pow(std::log(+b.dClose / +bars[i - 1].dClose), 2);
        }
        EXPECT_TRUE(finerThanTenTicks) << c.symbol;
        spread[c.symbol] = std::sqrt(sum2 / 299);
        EXPECT_GE(closes.size(), c.distinctCloses) << c.symbol;
    }
    // Stocks move alike in percent whatever their price.
    EXPECT_GT(spread["MSFT"], spread["IBM"] * 0.5);
    EXPECT_LT(spread["MSFT"], spread["IBM"] * 2);
}

struct DecadesCase {
    const char* symbol;
    std::int32_t bars;
    bool backTo1900;  // more bars are asked for than weekdays since 1 January 1900
};

TEST_F(SimFeedTest, PricesStayNearTheLevelOverDecades) {
    const std::vector<DecadesCase> cases = {{"MSFT", 40000, true}, {"$INDU", 10000, false}};
    SimFeed feed(Opts(2), loop, clock);
    for (const DecadesCase& c : cases) {
        // Daily bars of one minute each keep the decades quick to make.
        const auto bars = All(feed, feed.RequestHistory(sink, c.symbol, "D", 1, c.bars, 600, 601));
        ASSERT_GE(bars.size(), 10000u) << c.symbol;
        if (c.backTo1900) {
            EXPECT_EQ(+bars.front().dtTime, At(1900, 1, 1)) << c.symbol;
        }
        double lo = 1e300, hi = 0;
        for (const BarData& b : bars) {
            lo = std::min(lo, +b.dLow);
            hi = std::max(hi, +b.dHigh);
        }
        EXPECT_LT(hi / lo, 30) << c.symbol;
    }
}

TEST_F(SimFeedTest, BlankSymbolsAreReadyAtOnceWithNoBarsAndSaySo) {
    SimFeed feed(Opts(1), loop, clock);
    feed.SetReportStream(nullptr);
    std::vector<std::string> lines;
    feed.SetReportListener([&lines](const std::string& line) { lines.push_back(line); });
    for (const char* symbol : {"", "  ", "\t"}) {
        lines.clear();
        const auto h = feed.RequestHistory(sink, symbol, "1", 1, 100, -1, -1);
        EXPECT_TRUE(feed.IsHistoryReady(h)) << '"' << symbol << '"';
        EXPECT_EQ(feed.GetNumBars(h), 0);
        EXPECT_EQ(lines, std::vector<std::string>{"sim: no symbol given; no bars"});
    }
    loop.RunFor(3000);
    EXPECT_TRUE(sink.Events.empty());
}

TEST_F(SimFeedTest, AFixedStartIsTheInstantOfTheFirstRequest) {
    const double start = At(2024, 3, 4, 12, 0);
    const auto startSecond = static_cast<std::int64_t>(std::llround(start * 86400));
    SimFeed prompt(Opts(3, start), loop, clock), late(Opts(3, start), loop, clock);
    const auto promptBars = All(prompt, prompt.RequestHistory(sink, "IBM", "5S", 1, 20, -1, -1));
    // However long the program takes to ask, the market starts where it was told to.
    loop.RunFor(4500);
    EXPECT_EQ(late.MarketSeconds(), startSecond);
    const auto h = late.RequestHistory(sink, "IBM", "5S", 1, 20, -1, -1);
    const auto lateBars = All(late, h);
    ASSERT_EQ(lateBars.size(), promptBars.size());
    for (std::size_t i = 0; i < lateBars.size(); ++i)
        EXPECT_TRUE(SameBits(lateBars[i], promptBars[i])) << i;
    loop.RunFor(2000);
    EXPECT_EQ(late.MarketSeconds(), startSecond + 2);
}

TEST_F(SimFeedTest, AHeldMarketShowsEveryWindowTheSameInstant) {
    // The windows of a snapshot open one after another; however long the first took, the
    // second sees the market where the first saw it, and it runs on from there once let go.
    const double start = At(2024, 3, 4, 12, 0);
    HeldClock market(clock);
    market.Hold();
    SimFeed feed(Opts(3, start), loop, clock, &market);
    const auto first = feed.RequestHistory(sink, "MSFT", "5S", 1, 30, -1, -1);
    const auto firstBars = All(feed, first);
    // Waits run on the program's clock all the same.
    loop.RunFor(400);
    EXPECT_TRUE(feed.IsHistoryReady(first));
    const auto eventsWhenReady = sink.Events;
    loop.RunFor(6900);
    const auto second = feed.RequestHistory(sink, "MSFT", "5S", 1, 30, -1, -1);
    const auto secondBars = All(feed, second);
    ASSERT_EQ(secondBars.size(), 30u);
    ASSERT_EQ(All(feed, first).size(), 30u);
    for (std::size_t i = 0; i < secondBars.size(); ++i) {
        EXPECT_TRUE(SameBits(secondBars[i], firstBars[i])) << i;
        EXPECT_TRUE(SameBits(All(feed, first)[i], firstBars[i])) << i;
    }
    EXPECT_EQ(sink.Events[first], eventsWhenReady.count(first) ? eventsWhenReady.at(first) : 0);

    const std::int64_t heldAt = feed.MarketSeconds();
    market.LetGo();
    loop.RunFor(6000);
    EXPECT_EQ(feed.MarketSeconds(), heldAt + 6);
    EXPECT_GT(sink.Events[first], eventsWhenReady.count(first) ? eventsWhenReady.at(first) : 0);
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
