#include <benchmark/benchmark.h>

#include <QSpinBox>
#include <memory>

#include "app/bar_table_model.h"
#include "app/chart_window.h"
#include "app/main_window.h"
#include "app/qt_message_loop.h"
#include "market/esignal_downloader.h"
#include "market/feed_factory.h"
#include "market/market_feed.h"
#include "platform/clock.h"
#include "platform/message_loop.h"

namespace {

using vela::app::TForm1;
using vela::app::TForm2;

// The program's own loop and clock with a simulated market that answers at once.
struct ProgramEnvironment {
    ProgramEnvironment() {
        vela::InstallMessageLoop(&loop);
        vela::InstallClock(&clock);
        feed = vela::MakeFeed("sim:7,start=2024-06-20T15:30:00,delay=0").Feed;
        vela::InstallFeed(feed);
    }
    ~ProgramEnvironment() {
        vela::InstallFeed(nullptr);
        feed.reset();
        vela::InstallClock(nullptr);
        vela::InstallMessageLoop(nullptr);
    }
    vela::app::QtMessageLoop loop;
    vela::app::QtClock clock;
    std::shared_ptr<vela::MarketFeed> feed;
};

// From the press of Run to a table that can show its first lines, a million one-minute bars.
void BM_RunMillionBars(benchmark::State& state) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(1'000'000);
    for (auto _ : state) {
        form->BitBtn1Click();
        benchmark::DoNotOptimize(form->Table()->Line(0));
    }
    state.counters["bars"] = form->Table()->LineCount();
}
BENCHMARK(BM_RunMillionBars)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// One streaming update with a million bars held: fetch the newest 100, merge, rebuild the
// series and the table.
void BM_StreamingUpdateMillionBars(benchmark::State& state) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(1'000'000);
    form->SpinEdit2->setValue(0);
    form->BitBtn1Click();
    vela::TEsignalDownloader& e = form->E();
    for (auto _ : state) e.OnBarsChanged1(e.eSignal.get(), e.Handle);
    state.counters["bars"] = form->Table()->LineCount();
}
BENCHMARK(BM_StreamingUpdateMillionBars)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

}  // namespace
