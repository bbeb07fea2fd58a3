#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "market/esignal_downloader.h"
#include "market/price_alerts.h"
#include "market/sim_feed.h"
#include "platform/settable_clock.h"
#include "platform/virtual_message_loop.h"
#include "text/calendar.h"
#include "usage_counters.h"

namespace {

using namespace vela;

// The check an update pays: its 100 bars against state.range(0) armed alerts that the
// market never reaches (the common case: nothing fires).
void BM_AlertCheckHundredBars(benchmark::State& state) {
    const bench::UsageCounters usage;
    std::vector<BarPrices> update;
    for (int i = 0; i < 100; ++i)
        update.push_back(BarPrices{static_cast<double>(i), 100, 100.5, 99.5, 100, 1});
    PriceAlerts alerts;
    alerts.Baseline(update);
    for (std::int64_t a = 0; a < state.range(0); ++a) alerts.Add(a % 2 ? 200.0 + a : 50.0 - a);
    for (auto _ : state) {
        const auto fired = alerts.Check(update);
        benchmark::DoNotOptimize(fired.data());
        if (!fired.empty()) state.SkipWithError("an alert fired");
    }
    usage.Report(state);
}
BENCHMARK(BM_AlertCheckHundredBars)->Arg(0)->Arg(20)->Arg(1000);

// A streaming window's minute: 60 bars-changed events of the simulated market, each merged
// (100 bars fetched) and, with Arg 1, handed to 20 alerts; Arg 0 has no alerts hooked on.
void BM_StreamedMinuteWithAlerts(benchmark::State& state) {
    const bench::UsageCounters usage;
    SettableClock clock(EncodePlatformDateTime(CivilDateTime{2024, 3, 4, 10, 0, 0, 0}));
    VirtualMessageLoop loop(clock);
    Clock* previousClock = InstallClock(&clock);
    MessageLoop* previousLoop = InstallMessageLoop(&loop);
    SimFeedOptions options;
    options.ReadyDelayMs = 0;
    InstallFeed(std::make_shared<SimFeed>(options, loop, clock));
    {
        TEsignalDownloader d;
        d.Run_Esignal_DM();
        d.Set_Info1("IBM", "1", 0, false, -1, -1, [] {});
        PriceAlerts alerts;
        if (state.range(0) != 0) {
            for (int a = 0; a < 20; ++a) alerts.Add(a % 2 ? 1e6 + a : -1.0 - a);
            d.OnMergedBars = [&alerts](std::span<const BarPrices> update) {
                benchmark::DoNotOptimize(alerts.Check(update).data());
            };
        }
        d.RequestHistory1(1000);
        if (d.LCurr.Count() == 0) state.SkipWithError("no history");
        for (auto _ : state) loop.RunFor(60'000);
    }
    InstallFeed(nullptr);
    InstallMessageLoop(previousLoop);
    InstallClock(previousClock);
    usage.Report(state);
}
BENCHMARK(BM_StreamedMinuteWithAlerts)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
