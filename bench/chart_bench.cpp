#include <benchmark/benchmark.h>

#include "chart_fixture.h"

#include <algorithm>
#include <ostream>
#include <span>
#include <streambuf>
#include <string>

#include "chart/bar_table_text.h"
#include "chart/chart_column_cache.h"
#include "chart/chart_painting.h"
#include "chart/price_axis.h"
#include "chart/time_axis.h"
#include "null_canvas.h"
#include "platform/recording_canvas.h"
#include "text/calendar.h"
#include "usage_counters.h"

namespace {

using vela::bench::NullCanvas;

constexpr vela::TRect kAxis{0, 500, 1200, 600};

// state.range(0): the axis span in minutes (a trading day, two weeks, ten years).
void BM_DrawTimeAxisNullCanvas(benchmark::State& state) {
    NullCanvas canvas;
    const double tmin = vela::DateToCenturies(2012, 6, 18, 9.5);
    const double tmax = tmin + static_cast<double>(state.range(0)) / 1440.0 / 36525.0;
    for (auto _ : state) {
        vela::DrawTimeAxis(canvas, kAxis, {}, true, std::nullopt, "Arial", 0, tmax, tmin);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawTimeAxisNullCanvas)
    ->Arg(390)
    ->Arg(14 * 1440)
    ->Arg(3652 * 1440)
    ->Unit(benchmark::kMicrosecond);

void BM_DrawTimeAxisRecordingCanvas(benchmark::State& state) {
    vela::RecordingCanvas canvas;
    const double tmin = vela::DateToCenturies(2012, 6, 18, 9.5);
    const double tmax = tmin + static_cast<double>(state.range(0)) / 1440.0 / 36525.0;
    for (auto _ : state) {
        canvas.Clear();
        vela::DrawTimeAxis(canvas, kAxis, {}, true, std::nullopt, "Arial", 0, tmax, tmin);
        benchmark::DoNotOptimize(canvas.Records().data());
    }
}
BENCHMARK(BM_DrawTimeAxisRecordingCanvas)->Arg(390)->Arg(14 * 1440)->Unit(benchmark::kMicrosecond);

void BM_DrawPriceAxis(benchmark::State& state) {
    NullCanvas canvas;
    for (auto _ : state) {
        vela::DrawPriceAxis(canvas, vela::TRect{0, 0, 62, 700}, 1, "", 1.34, 1.30);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawPriceAxis)->Unit(benchmark::kMicrosecond);

// The core of a chart paint without pixels: ranges, a million-point line reduced per pixel
// column, axes and status. state.range(0): 1 with the high and low lines.
void BM_PaintMillionBarsNullCanvas(benchmark::State& state) {
    const vela::ChartState chart = vela::bench::MinuteBarChart(1000000, state.range(0) != 0);
    NullCanvas canvas;
    vela::ChartStatus status;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vela::FlickerFreePaintBox1Paint(chart, canvas, vela::TRect{0, 0, 1200, 700}, status));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaintMillionBarsNullCanvas)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same chart painted with what its paints keep between them, with the high and low
// lines. state.range(0): 0 nothing changed since the last paint, 1 the forming bar moved
// (what most streaming updates do), 2 everything may have changed (a new bar moves every
// column). state.range(1): 1 with candles and the volume pane, 2 on a log price scale, 3 with
// two averages and the RSI pane, 4 the same on a log price scale.
void BM_PaintMillionBarsKeptColumns(benchmark::State& state) {
    vela::ChartExtras extras;
    if (state.range(1) == 1) {
        extras.Style = vela::BarStyle::Candles;
        extras.Volume = true;
    }
    if (state.range(1) >= 3) {
        extras.Averages = {{0, 20}, {1, 50}};
        extras.RsiWindow = 14;
    }
    extras.LogScale = state.range(1) == 2 || state.range(1) == 4;
    vela::ChartState chart = vela::bench::MinuteBarChart(1000000, true, extras);
    NullCanvas canvas;
    vela::ChartStatus status;
    vela::ChartColumnCache cache;
    const std::int32_t newest = chart.ILastPrice;
    const double close = chart.LClose.GetItem(newest);
    const vela::bench::UsageCounters usage;
    int step = 0;
    for (auto _ : state) {
        if (state.range(0) == 1) {
            const double moved = close + (step++ % 7) * 0.01;
            chart.LClose.SetItem(newest, moved);
            chart.LHigh.SetItem(newest, std::max(moved, chart.LHigh.GetItem(newest)));
            chart.LLow.SetItem(newest, std::min(moved, chart.LLow.GetItem(newest)));
            cache.Keep(static_cast<std::size_t>(newest));
        } else if (state.range(0) == 2) {
            cache.Keep(0);
        }
        benchmark::DoNotOptimize(vela::FlickerFreePaintBox1Paint(
            chart, canvas, vela::TRect{0, 0, 1200, 700}, status, nullptr, &cache));
        benchmark::ClobberMemory();
    }
    usage.Report(state);
}
BENCHMARK(BM_PaintMillionBarsKeptColumns)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({2, 2})
    ->Args({1, 3})
    ->Args({1, 4})
    ->Unit(benchmark::kMillisecond);

// The chart's extras over a million bars. state.range(0): 1 OHLC bars, 2 candles;
// state.range(1): 1 with the volume pane, two averages and the RSI pane as well.
void BM_PaintMillionBarsExtras(benchmark::State& state) {
    vela::ChartExtras extras;
    extras.Style = state.range(0) == 1 ? vela::BarStyle::Ohlc : vela::BarStyle::Candles;
    if (state.range(1) != 0) {
        extras.Volume = true;
        extras.Averages = {{0, 20}, {1, 50}};
        extras.RsiWindow = 14;
    }
    vela::ChartState chart = vela::bench::MinuteBarChart(1000000, false, extras);
    NullCanvas canvas;
    vela::ChartStatus status;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vela::FlickerFreePaintBox1Paint(chart, canvas, vela::TRect{0, 0, 1200, 700}, status));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PaintMillionBarsExtras)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({2, 2})
    ->Unit(benchmark::kMillisecond);

// A million bars on a linear (range(0) = 0) and on a log price scale, with the high and
// low lines: the log scale draws the logarithms of every price series in view.
void BM_PaintMillionBarsLogScale(benchmark::State& state) {
    vela::ChartExtras extras;
    extras.LogScale = state.range(0) != 0;
    const vela::ChartState chart = vela::bench::MinuteBarChart(1000000, true, extras);
    NullCanvas canvas;
    vela::ChartStatus status;
    const vela::bench::UsageCounters usage;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vela::FlickerFreePaintBox1Paint(chart, canvas, vela::TRect{0, 0, 1200, 700}, status));
        benchmark::ClobberMemory();
    }
    usage.Report(state);
}
BENCHMARK(BM_PaintMillionBarsLogScale)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The close line alone: one pass over a million values.
void BM_Draw1MillionPoints(benchmark::State& state) {
    const vela::ChartState chart = vela::bench::MinuteBarChart(1000000, false);
    vela::RecordingCanvas canvas;
    for (auto _ : state) {
        canvas.Clear();
        chart.LClose.Draw1(canvas, vela::TRect{77, 11, 1181, 504}, 1000, 2000);
        benchmark::DoNotOptimize(canvas.Records().data());
    }
    state.counters["lines"] = static_cast<double>(canvas.Records().size());
}
BENCHMARK(BM_Draw1MillionPoints)->Unit(benchmark::kMillisecond);

}  // namespace

// The Table page's text of a million one-minute bars, as Save writes it (formatting only: the
// stream discards the bytes).
static void BM_WriteMillionTableLines(benchmark::State& state) {
    const vela::ChartState chart = vela::bench::MinuteBarChart(1'000'000, false);
    const auto count = static_cast<std::size_t>(chart.ILastPrice) + 1;
    const std::span<const double> times(chart.LTime.Items().data(), count);
    const std::span<const double> closes(chart.LClose.Items().data(), count);
    struct NullBuffer : std::streambuf {
        std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
        int overflow(int c) override { return c; }
    } sink;
    std::ostream out(&sink);
    for (auto _ : state) benchmark::DoNotOptimize(vela::WriteBarTableLines(out, times, closes));
}
BENCHMARK(BM_WriteMillionTableLines)->Unit(benchmark::kMillisecond);

// One thread's share of that work: the lines formatted into one reused buffer.
static void BM_FormatTableLinesOneThread(benchmark::State& state) {
    const vela::ChartState chart = vela::bench::MinuteBarChart(100'000, false);
    const auto count = static_cast<std::size_t>(chart.ILastPrice) + 1;
    std::string text;
    for (auto _ : state) {
        text.clear();
        vela::CenturyTimeDecoder decoder;
        for (std::size_t i = 0; i < count; ++i) {
            vela::AppendBarTableLine(text, chart.LTime.Items()[i], chart.LClose.Items()[i],
                                     decoder);
            text += '\n';
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["per_line"] =
        benchmark::Counter(static_cast<double>(count) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FormatTableLinesOneThread)->Unit(benchmark::kMillisecond);
