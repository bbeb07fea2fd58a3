#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <memory>
#include <string>

#include "app/bar_table_model.h"
#include "app/chart_window.h"
#include "app/loopback_exchange.h"
#include "app/main_window.h"
#include "app/qt_http_transport.h"
#include "app/qt_message_loop.h"
#include "app/qt_websocket_transport.h"
#include "market/esignal_downloader.h"
#include "market/fake_exchange.h"
#include "market/feed_factory.h"
#include "usage_counters.h"

namespace {

using vela::app::TForm1;
using vela::app::TForm2;
using vela::testing_support::FakeExchange;

constexpr std::int64_t kNowMs = 1'709'546'400'000;

// The program's loop, clock and transports, with the Binance feed over a stand-in exchange
// on loopback that holds `klines` one-minute klines of BTCUSDT.
struct LoopbackEnvironment {
    explicit LoopbackEnvironment(std::size_t klines) {
        vela::InstallMessageLoop(&loop);
        vela::InstallClock(&clock);
        data.Klines["BTCUSDT"]["1m"] = FakeExchange::Walk(kNowMs, 60'000, klines);
        exchange.Rest.SetResponder([this](const std::string& path) {
            const FakeExchange::Reply r = data.Answer(path);
            vela::app::loopback::HttpAnswer a;
            a.Status = r.Status;
            a.Body = r.Body;
            return a;
        });
        const vela::FeedServices services{loop, clock, nullptr, &http, &ws};
        feed = vela::MakeFeed(
                   "binance,tz=UTC,rest=" + exchange.Rest.RestUrl() + ",ws=" + exchange.Ws.WsUrl(),
                   services)
                   .Feed;
        vela::InstallFeed(feed);
    }
    ~LoopbackEnvironment() {
        vela::InstallFeed(nullptr);
        feed.reset();
        vela::InstallClock(nullptr);
        vela::InstallMessageLoop(nullptr);
    }
    vela::app::QtMessageLoop loop;
    vela::app::QtClock clock;
    vela::app::QtHttpTransport http;
    vela::app::QtWebSocketTransport ws;
    vela::app::loopback::Exchange exchange;
    FakeExchange data;
    std::shared_ptr<vela::MarketFeed> feed;
};

// From the press of Run to the finished chart and table: N one-minute bars over loopback.
void BM_LoopbackHistoryToChart(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    LoopbackEnvironment env(static_cast<std::size_t>(n) + 10);
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(n);
    form->Edit1->setText("BTCUSDT");
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        form->BitBtn1Click();
        benchmark::DoNotOptimize(form->Table()->Line(0));
    }
    state.counters["bars"] = form->Table()->LineCount();
    usage.Report(state);
}
BENCHMARK(BM_LoopbackHistoryToChart)
    ->Arg(1000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// A live kline from the stand-in's stream to the window's table showing it.
void BM_LiveEventToTable(benchmark::State& state) {
    LoopbackEnvironment env(1000);
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(1000);
    form->SpinEdit2->setValue(0);
    form->Edit1->setText("BTCUSDT");
    form->BitBtn1Click();
    vela::app::loopback::WaitUntil([&env] { return env.exchange.Ws.OpenClients() == 1; });
    vela::Kline k = env.data.Klines["BTCUSDT"]["1m"].back();
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        k.Close += 0.5;
        k.High = std::max(k.High, k.Close);
        ++k.Trades;
        env.exchange.Ws.SendTextToAll(
            vela::testing_support::KlineEventJson("BTCUSDT", "1m", k, 60'000));
        vela::app::loopback::WaitUntil([&] {
            const auto prices = form->E().LCurr.Prices();
            return !prices.empty() && prices.back().dClose == k.Close;
        });
    }
    usage.Report(state);
}
BENCHMARK(BM_LiveEventToTable)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(200);

}  // namespace
