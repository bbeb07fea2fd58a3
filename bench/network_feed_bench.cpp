#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "market/binance_protocol.h"
#include "market/fake_exchange.h"
#include "market/network_feed.h"
#include "platform/scripted_http_transport.h"
#include "platform/scripted_websocket_transport.h"
#include "platform/settable_clock.h"
#include "platform/virtual_message_loop.h"
#include "usage_counters.h"

namespace {

using vela::testing_support::FakeExchange;

constexpr std::int64_t kNowMs = 1'709'546'400'000;
constexpr char kRest[] = "http://127.0.0.1:9";

std::string Page(std::size_t n) {
    std::string body = "[";
    const auto klines = FakeExchange::Walk(kNowMs, 60'000, n);
    for (std::size_t i = 0; i < klines.size(); ++i)
        body += (i ? "," : "") + vela::testing_support::KlineJson(klines[i], 60'000);
    return body + "]";
}

// One page of a thousand klines read into klines.
void BM_ParseKlinePage(benchmark::State& state) {
    const vela::BinanceProtocol protocol;
    const std::string body = Page(1000);
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        vela::KlinePage page;
        page.Klines.reserve(1000);
        protocol.ParseKlines(body, page);
        benchmark::DoNotOptimize(page.Klines.data());
    }
    state.counters["per_kline"] = benchmark::Counter(
        1000, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    usage.Report(state);
}
BENCHMARK(BM_ParseKlinePage);

// A history of N one-minute bars through the feed, from the request to served bars, with
// an exchange that answers at once: the feed's own work (paging, reading, building).
void BM_HistoryThroughTheFeed(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    FakeExchange exchange;
    exchange.Klines["BTCUSDT"]["1m"] = FakeExchange::Walk(kNowMs, 60'000, n + 10);
    vela::SettableClock clock;
    vela::VirtualMessageLoop loop(clock);
    vela::ScriptedHttpTransport http(loop, [&exchange](const std::string& url) {
        const FakeExchange::Reply r = exchange.Answer(url.substr(std::string(kRest).size()));
        vela::ScriptedHttpTransport::Answer a;
        a.Response.Status = r.Status;
        a.Response.Body = r.Body;
        return a;
    });
    vela::ScriptedWebSocketTransport ws(loop);
    struct Sink : vela::FeedEventSink {
        void BarsChanged(std::int32_t) override {}
    } sink;
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        vela::NetworkFeedOptions o;
        o.Utc = true;
        auto feed = std::make_shared<vela::NetworkFeed>(
            std::make_unique<vela::BinanceProtocol>(kRest, "ws://127.0.0.1:9"), o, loop, clock,
            http, ws);
        const std::int32_t h =
            feed->RequestHistory(sink, "BTCUSDT", "1", 1, static_cast<std::int32_t>(n), -1, -1);
        while (!feed->IsHistoryReady(h)) loop.RunFor(1);
        benchmark::DoNotOptimize(feed->GetNumBars(h));
    }
    usage.Report(state);
}
BENCHMARK(BM_HistoryThroughTheFeed)->Arg(1000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
