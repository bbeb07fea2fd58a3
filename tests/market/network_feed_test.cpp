#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "market/bar_interval.h"
#include "market/binance_protocol.h"
#include "market/fake_exchange.h"
#include "market/market_test_support.h"
#include "market/network_feed.h"
#include "platform/scripted_http_transport.h"
#include "platform/scripted_websocket_transport.h"

namespace vela {
namespace {

using testing_support::At;
using testing_support::FakeExchange;
using testing_support::IntervalMs;
using testing_support::KlineEventJson;

constexpr char kRest[] = "http://127.0.0.1:9";
constexpr char kWs[] = "ws://127.0.0.1:9";
// Monday 4 March 2024 10:00 UTC, the test clock's moment.
constexpr std::int64_t kNowMs = 1'709'546'400'000;

struct Sink : FeedEventSink {
    std::vector<std::int32_t> Events;
    void BarsChanged(std::int32_t handle) override { Events.push_back(handle); }
};

double ShownUtc(std::int64_t ms) {
    return PlatformTimeFromSeconds(FloorDiv(ms, 1000) + 25569LL * 86400);
}

class NetworkFeedTest : public testing_support::VirtualTimeTest {
  protected:
    FakeExchange exchange;
    // Stands in for the server when set; the exchange answers otherwise.
    std::function<std::optional<ScriptedHttpTransport::Answer>(const std::string&)> before;
    ScriptedHttpTransport http{loop, [this](const std::string& url) { return Serve(url); }};
    ScriptedWebSocketTransport ws{loop};
    std::vector<std::string> reports;
    std::shared_ptr<NetworkFeed> feed;
    Sink sink;

    void SetUp() override {
        VirtualTimeTest::SetUp();
        NetworkFeedOptions o;
        o.Utc = true;
        feed = std::make_shared<NetworkFeed>(std::make_unique<BinanceProtocol>(kRest, kWs), o, loop,
                                             clock, http, ws);
        feed->SetReportStream(nullptr);
        feed->SetReportListener([this](const std::string& line) { reports.push_back(line); });
    }
    void TearDown() override {
        feed.reset();
        VirtualTimeTest::TearDown();
    }

    ScriptedHttpTransport::Answer Serve(const std::string& url) {
        if (before)
            if (auto a = before(url)) return *a;
        const FakeExchange::Reply r = exchange.Answer(url.substr(std::string(kRest).size()));
        ScriptedHttpTransport::Answer a;
        a.Response.Status = r.Status;
        a.Response.Body = r.Body;
        a.Response.Headers = {{"x-mbx-used-weight-1m", "10"}};
        a.DelayMs = 30;
        return a;
    }

    void Have(const std::string& interval, std::size_t n, std::int64_t endMs = kNowMs) {
        exchange.Klines["BTCUSDT"][interval] = FakeExchange::Walk(endMs, IntervalMs(interval), n);
    }

    std::int32_t Request(const std::string& symbol, const std::string& interval, int bars) {
        return feed->RequestHistory(sink, symbol, interval, 1, bars, -1, -1);
    }

    // Polls as the downloader does: at most 300 times 100 ms.
    bool WaitReady(std::int32_t handle) {
        for (int i = 0; i < 300; ++i) {
            if (feed->IsHistoryReady(handle)) return true;
            loop.RunFor(100);
        }
        return false;
    }

    std::vector<BarData> Bars(std::int32_t handle) {
        std::vector<BarData> out;
        const std::int32_t n = feed->GetNumBars(handle);
        for (std::int32_t i = 1 - n; i <= 0; ++i) out.push_back(feed->GetBar(handle, i));
        return out;
    }

    bool Said(std::string_view text) const {
        return std::any_of(reports.begin(), reports.end(), [text](const std::string& r) {
            return r.find(text) != std::string::npos;
        });
    }
};

// The bars a request must serve: the base klines gathered into buckets, newest `count`.
std::vector<BarPrices> Expected(const std::vector<Kline>& base, std::int64_t bucketMs,
                                std::size_t count) {
    std::vector<BarPrices> out;
    std::int64_t last = INT64_MIN;
    for (const Kline& k : base) {
        const std::int64_t b = FloorDiv(k.OpenMs, bucketMs) * bucketMs;
        if (b != last) {
            out.push_back(BarPrices{ShownUtc(b), k.Open, k.High, k.Low, k.Close, k.Volume});
            last = b;
            continue;
        }
        BarPrices& p = out.back();
        p.dHigh = std::max(p.dHigh, k.High);
        p.dLow = std::min(p.dLow, k.Low);
        p.dClose = k.Close;
        p.dVolume += k.Volume;
    }
    if (out.size() > count) out.erase(out.begin(), out.end() - static_cast<std::ptrdiff_t>(count));
    return out;
}

void ExpectSame(const std::vector<BarData>& got, const std::vector<BarPrices>& want,
                const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const BarData g = got[i];
        ASSERT_EQ(+g.dtTime, want[i].dtTime) << what << " bar " << i;
        ASSERT_EQ(+g.dOpen, want[i].dOpen) << what << " bar " << i;
        ASSERT_EQ(+g.dHigh, want[i].dHigh) << what << " bar " << i;
        ASSERT_EQ(+g.dLow, want[i].dLow) << what << " bar " << i;
        ASSERT_EQ(+g.dClose, want[i].dClose) << what << " bar " << i;
        ASSERT_EQ(+g.dVolume, want[i].dVolume) << what << " bar " << i;
    }
}

TEST_F(NetworkFeedTest, PagesOfHistoryComeInSeveralAtATimeWithNoBarLostOrDoubled) {
    Have("1m", 7000);
    const std::int32_t h = Request("btcusdt", "1", 5000);
    ASSERT_TRUE(WaitReady(h));
    ExpectSame(Bars(h), Expected(exchange.Klines["BTCUSDT"]["1m"], 60'000, 5000), "5000 x 1 min");
    EXPECT_GT(http.MostInFlight(), 1u);
    EXPECT_LE(http.MostInFlight(), 4u);
    // Pages of at most 1000 klines, and not more pages than the bars need (plus the probe).
    EXPECT_LE(http.Requests.size(), 7u);
    for (const std::string& url : http.Requests) {
        EXPECT_TRUE(
            url.starts_with(std::string(kRest) + "/api/v3/klines?symbol=BTCUSDT&interval=1m"))
            << url;
        EXPECT_EQ(url.find("limit=1001"), std::string::npos);
    }
    EXPECT_TRUE(reports.empty()) << reports.front();
}

TEST_F(NetworkFeedTest, EveryIntervalIsServedFromTheExchangesOwnOrBuiltFromTheNextFinerOne) {
    struct Case {
        const char* interval;
        const char* base;
        std::int64_t bucketMs;
    };
    const Case cases[] = {
        {"5S", "1s", 5'000},     {"10S", "1s", 10'000},  {"30S", "1s", 30'000},
        {"1", "1m", 60'000},     {"2", "1m", 120'000},   {"5", "5m", 300'000},
        {"10", "5m", 600'000},   {"15", "15m", 900'000}, {"60", "1h", 3'600'000},
        {"D", "1d", 86'400'000},
    };
    // Histories that do not start on a bucket boundary, longer than the bars asked for.
    for (const Case& c : cases) {
        exchange.Klines.clear();
        const std::int64_t perBar = c.bucketMs / IntervalMs(c.base);
        Have(c.base, static_cast<std::size_t>(perBar * 1300 + 7));
        const std::int32_t h = Request("BTCUSDT", c.interval, 1200);
        ASSERT_TRUE(WaitReady(h)) << c.interval;
        ExpectSame(Bars(h), Expected(exchange.Klines["BTCUSDT"][c.base], c.bucketMs, 1200),
                   c.interval);
        feed->ReleaseHistory(h);
    }
}

TEST_F(NetworkFeedTest, AShortHistoryIsServedWholeAndSaysSo) {
    Have("1m", 1500);
    const std::int32_t h = Request("BTCUSDT", "2", 1000);
    ASSERT_TRUE(WaitReady(h));
    EXPECT_EQ(Bars(h).size(), 750u);
    EXPECT_TRUE(Said("binance BTCUSDT 2 min: the exchange has 750 of the 1000 bars asked for"))
        << reports.size();
}

TEST_F(NetworkFeedTest, LiveKlinesUpdateTheFormingBarThenCloseItAndOpenTheNext) {
    Have("1s", 100);
    Sink other;
    const std::int32_t a = Request("BTCUSDT", "5S", 10);
    const std::int32_t b = feed->RequestHistory(other, "BTCUSDT", "10S", 1, 5, -1, -1);
    ASSERT_TRUE(WaitReady(a));
    ASSERT_TRUE(WaitReady(b));
    // One connection carries the one stream both need.
    ASSERT_EQ(ws.Peers.size(), 1u);
    EXPECT_EQ(ws.Last()->Url, std::string(kWs) + "/stream?streams=btcusdt@kline_1s");
    const std::vector<BarData> before = Bars(a);
    ASSERT_EQ(before.size(), 10u);

    // The newest kline opened at kNowMs - 1000; the next second opens a new 5 s bar.
    Kline k{kNowMs, 100, 101, 99, 100.5, 2, 3, false};
    ws.Send(*ws.Last(), KlineEventJson("BTCUSDT", "1s", k, 1000));
    loop.RunFor(10);
    std::vector<BarData> now = Bars(a);
    ASSERT_EQ(now.size(), 11u);
    EXPECT_EQ(+now.back().dtTime, ShownUtc(kNowMs));
    EXPECT_EQ(+now.back().dClose, 100.5);
    EXPECT_EQ(sink.Events, std::vector<std::int32_t>{a});
    EXPECT_EQ(other.Events, std::vector<std::int32_t>{b});

    // The same kline traded on, then closed; an older state of it changes nothing.
    k = Kline{kNowMs, 100, 103, 98, 102, 5, 9, true};
    ws.Send(*ws.Last(), KlineEventJson("BTCUSDT", "1s", k, 1000));
    ws.Send(*ws.Last(),
            KlineEventJson("BTCUSDT", "1s", Kline{kNowMs, 100, 101, 99, 100.5, 2, 3, false}, 1000));
    // The next kline of the same 5 s bucket goes into the same bar.
    ws.Send(*ws.Last(),
            KlineEventJson("BTCUSDT", "1s", Kline{kNowMs + 1000, 102, 104, 101, 103, 1, 1, false},
                           1000));
    loop.RunFor(10);
    now = Bars(a);
    ASSERT_EQ(now.size(), 11u);
    EXPECT_EQ(+now.back().dOpen, 100);
    EXPECT_EQ(+now.back().dHigh, 104);
    EXPECT_EQ(+now.back().dLow, 98);
    EXPECT_EQ(+now.back().dClose, 103);
    EXPECT_EQ(+now.back().dVolume, 6);
    EXPECT_EQ(sink.Events.size(), 3u);

    // Releasing the last request that needs the stream ends the connection.
    feed->ReleaseHistory(a);
    loop.RunFor(1000);
    EXPECT_TRUE(ws.Last()->Open);
    feed->ReleaseHistory(b);
    EXPECT_TRUE(ws.Last()->Closed);
}

TEST_F(NetworkFeedTest, StreamsAreSubscribedAndUnsubscribedAsRequestsComeAndGo) {
    Have("1m", 50);
    Have("5m", 50);
    const std::int32_t a = Request("BTCUSDT", "1", 10);
    ASSERT_TRUE(WaitReady(a));
    const std::int32_t b = Request("BTCUSDT", "10", 10);
    ASSERT_TRUE(WaitReady(b));
    ASSERT_EQ(ws.Peers.size(), 1u);
    ASSERT_EQ(ws.Last()->Sent.size(), 1u);
    EXPECT_EQ(ws.Last()->Sent[0],
              "{\"method\":\"SUBSCRIBE\",\"params\":[\"btcusdt@kline_5m\"],\"id\":1}");
    feed->ReleaseHistory(b);
    loop.RunFor(1000);
    ASSERT_EQ(ws.Last()->Sent.size(), 2u);
    EXPECT_EQ(ws.Last()->Sent[1],
              "{\"method\":\"UNSUBSCRIBE\",\"params\":[\"btcusdt@kline_5m\"],\"id\":2}");
    feed->ReleaseHistory(a);
}

TEST_F(NetworkFeedTest, ADroppedConnectionReconnectsWithBackoffAndFetchesWhatWasMissed) {
    Have("1m", 100);
    const std::int32_t h = Request("BTCUSDT", "1", 50);
    ASSERT_TRUE(WaitReady(h));
    loop.RunFor(100);
    ws.Send(*ws.Last(), "{\"result\":null,\"id\":1}");
    ws.Drop(*ws.Last(), "remote host closed the connection");
    loop.RunFor(10);
    EXPECT_TRUE(
        Said("binance: the stream connection ended (remote host closed the connection); "
             "connecting again in 1 s"));
    // While it is down, the market moves on: the forming bar closes and three more open.
    std::vector<Kline>& all = exchange.Klines["BTCUSDT"]["1m"];
    all.back().Close += 5;
    all.back().Trades += 10;
    for (int i = 0; i < 3; ++i) {
        Kline k = all.back();
        k.OpenMs += 60'000;
        k.Trades = 4;
        all.push_back(k);
    }
    // Down twice more: 1 s, then 2 s, then 4 s.
    ws.Refuse = true;
    loop.RunFor(1000);
    loop.RunFor(10);
    EXPECT_EQ(ws.Peers.size(), 2u);
    loop.RunFor(2000);
    loop.RunFor(10);
    EXPECT_EQ(ws.Peers.size(), 3u);
    EXPECT_TRUE(Said("connecting again in 4 s"));
    ws.Refuse = false;
    loop.RunFor(4000);
    loop.RunFor(200);
    ASSERT_EQ(ws.Peers.size(), 4u);
    EXPECT_TRUE(ws.Last()->Open);
    ExpectSame(Bars(h), Expected(all, 60'000, 53), "after the backfill");
    EXPECT_EQ(sink.Events.size(), 1u);
    feed->ReleaseHistory(h);
}

TEST_F(NetworkFeedTest, AStreamServerThatNeverAnswersTheHandshakeIsTriedAgain) {
    Have("1m", 10);
    ws.Silent = true;
    const std::int32_t h = Request("BTCUSDT", "1", 5);
    ASSERT_TRUE(WaitReady(h));
    loop.RunFor(10'000);
    EXPECT_TRUE(
        Said("binance: the stream connection ended (no answer within 10 s); connecting "
             "again in 1 s"));
    ws.Silent = false;
    loop.RunFor(1100);
    ASSERT_EQ(ws.Peers.size(), 2u);
    EXPECT_TRUE(ws.Peers[0]->Closed);
    EXPECT_TRUE(ws.Last()->Open);
}

TEST_F(NetworkFeedTest, TheExchangesRateLimitIsWaitedOut) {
    Have("1m", 3000);
    int refused = 0;
    before = [&](const std::string& url) -> std::optional<ScriptedHttpTransport::Answer> {
        if (url.find("endTime") == std::string::npos || refused++ > 0) return std::nullopt;
        ScriptedHttpTransport::Answer a;
        a.Response.Status = 429;
        a.Response.Headers = {{"retry-after", "7"}};
        return a;
    };
    const std::int32_t h = Request("BTCUSDT", "1", 2500);
    loop.RunFor(3000);
    EXPECT_FALSE(feed->IsHistoryReady(h));
    EXPECT_TRUE(
        Said("binance BTCUSDT 1 min: the exchange limits requests (HTTP 429); waiting 7 s "
             "as it asks"));
    ASSERT_TRUE(WaitReady(h));
    EXPECT_GE(clock.SteadyMs(), 7000);
    ExpectSame(Bars(h), Expected(exchange.Klines["BTCUSDT"]["1m"], 60'000, 2500), "after 429");
}

TEST_F(NetworkFeedTest, PagesWaitForTheNextMinuteWhenTheUsedWeightNearsTheLimit) {
    Have("1m", 6000);
    // Others on this address have used most of the minute's 6000 already; each request adds 2.
    int inFirstMinute = 0;
    before = [&](const std::string& url) -> std::optional<ScriptedHttpTransport::Answer> {
        const FakeExchange::Reply r = exchange.Answer(url.substr(std::string(kRest).size()));
        const bool first = clock.SteadyMs() < 60'000;
        inFirstMinute += first ? 1 : 0;
        ScriptedHttpTransport::Answer a;
        a.Response.Status = r.Status;
        a.Response.Body = r.Body;
        a.Response.Headers = {
            {"x-mbx-used-weight-1m", std::to_string(first ? 5390 + 2 * inFirstMinute : 2)}};
        a.DelayMs = 30;
        return a;
    };
    const std::int32_t h = Request("BTCUSDT", "1", 5000);
    // Waiting for the next minute would outlast the downloader's wait: served with what came.
    ASSERT_TRUE(WaitReady(h));
    EXPECT_EQ(Bars(h).size(), 4000u);
    EXPECT_TRUE(Said("binance BTCUSDT 1 min: 4000 of 5000 bars fetched in 28 s; showing those"));
    // A tenth of the allowance stays for others: no request went out past 5400.
    loop.RunFor(60'000);
    EXPECT_EQ(inFirstMinute, 5);
    // With room again, a new request goes at once.
    const std::int32_t again = Request("BTCUSDT", "1", 5000);
    ASSERT_TRUE(WaitReady(again));
    EXPECT_EQ(Bars(again).size(), 5000u);
}

TEST_F(NetworkFeedTest, ItemsThatCannotBeReadAreLeftOutAndReported) {
    Have("1m", 10);
    before = [&](const std::string& url) -> std::optional<ScriptedHttpTransport::Answer> {
        if (url.find("startTime=0") != std::string::npos) return std::nullopt;
        ScriptedHttpTransport::Answer a;
        a.Response.Status = 200;
        const Kline& k = exchange.Klines["BTCUSDT"]["1m"].back();
        a.Response.Body = "[[" + std::to_string(k.OpenMs - 60'000) +
                          ",\"1\",\"x\",\"1\",\"1\",\"1\",0,\"0\",1,\"0\",\"0\",\"0\"]," +
                          testing_support::KlineJson(k, 60'000) + ",[1,\"2\"]]";
        return a;
    };
    const std::int32_t h = Request("BTCUSDT", "1", 5);
    ASSERT_TRUE(WaitReady(h));
    EXPECT_EQ(Bars(h).size(), 1u);
    EXPECT_TRUE(Said("binance BTCUSDT 1 min: kline 1 has a high that is not a number; left out"));
    EXPECT_TRUE(
        Said("binance BTCUSDT 1 min: kline 3 has 2 fields, not the 12 of a kline; left out"));
    // A frame that is not JSON, and one whose kline lacks its close, change nothing.
    ws.Send(*ws.Last(), "{\"stream\":");
    std::string event =
        KlineEventJson("BTCUSDT", "1m", Kline{kNowMs, 1, 2, 1, 2, 1, 1, false}, 60'000);
    event.replace(event.find("\"c\":"), 4, "\"C\":");
    ws.Send(*ws.Last(), event);
    loop.RunFor(10);
    EXPECT_EQ(Bars(h).size(), 1u);
    EXPECT_TRUE(Said("binance: a stream message that is not JSON; left out"));
    EXPECT_TRUE(
        Said("binance: a kline event of btcusdt@kline_1m with a missing or non-numeric field"));
    // A streamed kline older than the bars held is not taken.
    ws.Send(*ws.Last(), KlineEventJson("BTCUSDT", "1m",
                                       Kline{kNowMs - 3'600'000, 1, 2, 1, 2, 1, 99, true}, 60'000));
    loop.RunFor(10);
    EXPECT_EQ(Bars(h).size(), 1u);
    EXPECT_TRUE(Said("is older than the bars held; left out"));
    EXPECT_TRUE(sink.Events.empty());
}

TEST_F(NetworkFeedTest, SymbolsTheExchangeDoesNotKnowOrCannotHaveGetNoBarsAndSayWhy) {
    Have("1m", 10);
    struct Case {
        const char* symbol;
        const char* said;
    };
    const Case cases[] = {
        {"NOSUCHPAIR", "binance: no symbol NOSUCHPAIR"},
        {"BTC/USD", "binance: BTC/USD is not a Binance symbol; write BTCUSDT"},
        {"BTC&x=1", "binance: BTC&x=1 is not a Binance symbol; write BTCUSDT"},
    };
    for (const Case& c : cases) {
        reports.clear();
        http.Requests.clear();
        const std::int32_t h = Request(c.symbol, "1", 10);
        ASSERT_TRUE(WaitReady(h)) << c.symbol;
        EXPECT_EQ(feed->GetNumBars(h), 0) << c.symbol;
        EXPECT_TRUE(Said(c.said)) << c.symbol << ": " << (reports.empty() ? "" : reports[0]);
        if (std::string(c.symbol) != "NOSUCHPAIR") {
            EXPECT_TRUE(http.Requests.empty()) << c.symbol;
        }
    }
}

TEST_F(NetworkFeedTest, AServerThatIsDownOrSilentGivesNoBarsWithinTheWaitAndSaysWhy) {
    struct Case {
        ScriptedHttpTransport::Answer answer;
        const char* said;
    };
    ScriptedHttpTransport::Answer refused;
    refused.Response.Error = "Connection refused";
    ScriptedHttpTransport::Answer silent;
    silent.Hang = true;
    const Case cases[] = {
        {refused, "binance BTCUSDT 1 min: no history from http://127.0.0.1:9: Connection refused"},
        {silent,
         "binance BTCUSDT 1 min: no history from http://127.0.0.1:9: no answer within 10 s"},
    };
    for (const Case& c : cases) {
        reports.clear();
        before = [&c](const std::string&) { return c.answer; };
        const std::int64_t start = clock.SteadyMs();
        const std::int32_t h = Request("BTCUSDT", "1", 10);
        WaitReady(h);
        EXPECT_LE(clock.SteadyMs() - start, 30'000);
        EXPECT_EQ(feed->GetNumBars(h), 0);
        EXPECT_TRUE(Said(c.said)) << (reports.empty() ? "" : reports[0]);
        feed->ReleaseHistory(h);
    }
}

TEST_F(NetworkFeedTest, AHistoryTooLongForTheWaitIsServedWithTheNewestBarsFetchedAndSaysSo) {
    Have("1m", 60000);
    before = [&](const std::string& url) -> std::optional<ScriptedHttpTransport::Answer> {
        const FakeExchange::Reply r = exchange.Answer(url.substr(std::string(kRest).size()));
        ScriptedHttpTransport::Answer a;
        a.Response.Status = r.Status;
        a.Response.Body = r.Body;
        a.DelayMs = 3000;
        return a;
    };
    const std::int32_t h = Request("BTCUSDT", "1", 60000);
    ASSERT_TRUE(WaitReady(h));
    EXPECT_LT(clock.SteadyMs(), 30'000);
    const std::size_t n = Bars(h).size();
    EXPECT_GT(n, 0u);
    EXPECT_LT(n, 60000u);
    EXPECT_EQ(n % 1000, 0u);
    ExpectSame(Bars(h), Expected(exchange.Klines["BTCUSDT"]["1m"], 60'000, n), "partial");
    EXPECT_TRUE(Said("binance BTCUSDT 1 min: " + std::to_string(n) +
                     " of 60000 bars fetched in 28 s; showing those"));
    EXPECT_EQ(http.InFlight(), 0u);
}

TEST_F(NetworkFeedTest, EntitledOnceTheExchangeAnswersItsPing) {
    bool down = true;
    before = [&](const std::string&) -> std::optional<ScriptedHttpTransport::Answer> {
        if (!down) return std::nullopt;
        ScriptedHttpTransport::Answer a;
        a.Response.Error = "Host not found";
        return a;
    };
    EXPECT_EQ(feed->IsEntitled(), 0);
    loop.RunFor(100);
    EXPECT_EQ(feed->IsEntitled(), 0);
    down = false;
    loop.RunFor(10'000);
    feed->IsEntitled();
    loop.RunFor(100);
    EXPECT_EQ(feed->IsEntitled(), 1);
    EXPECT_EQ(http.Requests.back(), std::string(kRest) + "/api/v3/ping");
}

}  // namespace
}  // namespace vela
