#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSpinBox>
#include <memory>

#include "app/bar_table_model.h"
#include "app/chart_navigation.h"
#include "app/chart_window.h"
#include "app/flicker_free_paint_box.h"
#include "app/main_window.h"
#include "app/qt_message_loop.h"
#include "chart/chart_painting.h"
#include "market/esignal_downloader.h"
#include "market/feed_factory.h"
#include "market/market_feed.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "usage_counters.h"

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
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        form->BitBtn1Click();
        benchmark::DoNotOptimize(form->Table()->Line(0));
    }
    state.counters["bars"] = form->Table()->LineCount();
    usage.ReportPerIteration(state);
}
BENCHMARK(BM_RunMillionBars)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Streaming updates one after another with a million bars held and the extras on: each
// fetches the newest 100 bars, merges them and brings the series and the table up to date.
void StreamUpdates(benchmark::State& state, const vela::ChartExtras& extras) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(1'000'000);
    form->SpinEdit2->setValue(0);
    form->BitBtn1Click();
    if (extras.AnyOn()) form->SetExtras(extras);
    vela::TEsignalDownloader& e = form->E();
    const vela::bench::UsageCounters usage;
    for (auto _ : state) e.OnBarsChanged1(e.eSignal.get(), e.Handle);
    state.counters["bars"] = form->Table()->LineCount();
    usage.ReportPerIteration(state);
}

void BM_StreamingUpdateMillionBars(benchmark::State& state) {
    StreamUpdates(state, vela::ChartExtras{});
}
BENCHMARK(BM_StreamingUpdateMillionBars)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

// The same with two moving averages and the RSI on.
void BM_StreamingUpdateMillionBarsOverlays(benchmark::State& state) {
    vela::ChartExtras extras;
    extras.Averages = {{0, 20}, {1, 50}};
    extras.RsiWindow = 14;
    StreamUpdates(state, extras);
}
BENCHMARK(BM_StreamingUpdateMillionBarsOverlays)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

// A shown main window with one large chart window that has run a million bars.
TForm1* ShownMillionBarChart(TForm2& main) {
    main.resize(1280, 900);
    main.show();
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(1'000'000);
    form->SpinEdit2->setValue(0);
    form->parentWidget()->resize(1200, 850);
    form->BitBtn1Click();
    return form;
}

// The crosshair following the mouse over a shown chart of a million bars: one mouse move and
// the paint it asks for. The chart itself is composed once, before the moves.
void BM_CrosshairMoveMillionBars(benchmark::State& state) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = ShownMillionBarChart(main);
    vela::ChartExtras extras;
    extras.Crosshair = true;
    form->SetExtras(extras);
    QApplication::processEvents();
    vela::app::TFlickerFreePaintBox* box = form->FlickerFreePaintBox1;
    const vela::TRect plot =
        vela::ChartLayoutFor(vela::TRect{0, 0, box->width(), box->height()}).Plot;
    int step = 0;
    for (auto _ : state) {
        const int x = plot.Left + (step * 7) % (plot.Right - plot.Left);
        const int y = plot.Top + (step * 3) % (plot.Bottom - plot.Top);
        ++step;
        form->ChartMouseMove(QPoint(x, y));
        QApplication::processEvents();
    }
    state.counters["bars"] = form->Table()->LineCount();
    state.counters["width"] = box->width();
    state.counters["height"] = box->height();
}
BENCHMARK(BM_CrosshairMoveMillionBars)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(200);

// For comparison: what each move would cost if it composed the whole chart again.
void BM_FullChartPaintMillionBars(benchmark::State& state) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = ShownMillionBarChart(main);
    QApplication::processEvents();
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        form->FlickerFreePaintBox1->update();
        QApplication::processEvents();
    }
    usage.Report(state);
}
BENCHMARK(BM_FullChartPaintMillionBars)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

// One zoom or pan step over a shown chart holding a million bars, and its paint: the view
// alternates between zooming in and out around the middle and panning, over wide and narrow
// views (range(0) bars in view).
void BM_ViewStepMillionBars(benchmark::State& state) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = ShownMillionBarChart(main);
    QApplication::processEvents();
    vela::app::ChartNavigation& nav = form->Navigation();
    const auto width = static_cast<std::int32_t>(state.range(0));
    const std::int32_t bars = form->E().LCurr.Count();
    nav.SetView(vela::BarsBefore(bars, width, bars / 2));
    QApplication::processEvents();
    const vela::bench::UsageCounters usage;
    int step = 0;
    for (auto _ : state) {
        const vela::ChartView v = nav.View();
        const std::int32_t middle = v.First + v.Width / 2;
        switch (step++ % 4) {
            case 0:
                nav.SetView(vela::Zoomed(v, bars, middle, 0.8));
                break;
            case 1:
                nav.SetView(vela::Zoomed(v, bars, middle, 1.25));
                break;
            case 2:
                nav.SetView(vela::Panned(v, bars, v.Width / 10));
                break;
            default:
                nav.SetView(vela::Panned(v, bars, -v.Width / 10));
                break;
        }
        QApplication::processEvents();
    }
    state.counters["bars"] = bars;
    state.counters["in_view"] = nav.View().Width;
    usage.Report(state);
}
BENCHMARK(BM_ViewStepMillionBars)
    ->Arg(1000)
    ->Arg(500'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(40);

// A streaming update on a shown chart of a million bars, with its paint: over the whole
// history (range(0) = 0), following the newest range(0) bars, or scrolled back by range(1)
// bars so that the new bars are beyond the view.
void BM_StreamingShownMillionBars(benchmark::State& state) {
    ProgramEnvironment env;
    TForm2 main;
    TForm1* form = ShownMillionBarChart(main);
    QApplication::processEvents();
    vela::app::ChartNavigation& nav = form->Navigation();
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto back = static_cast<std::int32_t>(state.range(1));
    vela::TEsignalDownloader& e = form->E();
    const std::int32_t bars = e.LCurr.Count();
    if (width > 0) nav.SetView(vela::BarsBefore(bars, width, back));
    QApplication::processEvents();
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        e.OnBarsChanged1(e.eSignal.get(), e.Handle);
        QApplication::processEvents();
    }
    state.counters["bars"] = e.LCurr.Count();
    state.counters["in_view"] = width > 0 ? nav.View().Width : e.LCurr.Count();
    usage.Report(state);
}
BENCHMARK(BM_StreamingShownMillionBars)
    ->Args({0, 0})
    ->Args({1000, 0})
    ->Args({1000, 5000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

}  // namespace
