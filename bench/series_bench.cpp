#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "series/double_list.h"
#include "series/integer_list.h"

namespace {

// The chart takes the price range of every series on each repaint.
void BM_GetMinMaxMillion(benchmark::State& state) {
    vela::TVegaDoubleList list;
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> price(90.0, 110.0);
    for (int i = 0; i < 1000000; ++i) list.Add(i % 97 == 0 ? vela::kNullValue : price(rng));
    for (auto _ : state) {
        double lo = 0;
        double hi = 0;
        list.GetMinMax(lo, hi);
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(hi);
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_GetMinMaxMillion)->Unit(benchmark::kMillisecond);

// Ascending sort of random values with ties and nulls, in the exchange sort's order.
void BM_RangeAscending100k(benchmark::State& state) {
    vela::TVegaDoubleList source;
    std::mt19937_64 rng(2);
    std::uniform_int_distribution<int> value(0, 50000);
    for (int i = 0; i < 100000; ++i)
        source.Add(i % 101 == 0 ? vela::kNullValue : value(rng) * 0.01);
    for (auto _ : state) {
        state.PauseTiming();
        vela::TVegaDoubleList list = source;
        state.ResumeTiming();
        list.Range(-1);
        benchmark::DoNotOptimize(list.GetItem(0));
    }
    state.SetItemsProcessed(state.iterations() * source.Count());
}
BENCHMARK(BM_RangeAscending100k)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A random walk of closes around 100 with a null every 97 bars.
vela::TVegaDoubleList RandomWalk(std::int64_t n) {
    vela::TVegaDoubleList list;
    std::mt19937_64 rng(3);
    std::normal_distribution<double> step(0.0, 0.5);
    double price = 100;
    for (std::int64_t i = 0; i < n; ++i) {
        price = std::max(1.0, price + step(rng));
        list.Add(i % 97 == 0 ? vela::kNullValue : price);
    }
    return list;
}

void BM_DrawDown(benchmark::State& state) {
    const vela::TVegaDoubleList list = RandomWalk(state.range(0));
    for (auto _ : state) {
        double abs = 0;
        double percent = 0;
        list.DrawDown(abs, percent);
        benchmark::DoNotOptimize(abs);
        benchmark::DoNotOptimize(percent);
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_DrawDown)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A hundred thousand distinct values, each about ten times.
void BM_TheMostCommonValue(benchmark::State& state) {
    vela::TVegaIntegerList list;
    std::mt19937_64 rng(4);
    std::uniform_int_distribution<std::int32_t> value(0, 99999);
    for (std::int64_t i = 0; i < state.range(0); ++i) list.Add(value(rng));
    for (auto _ : state) {
        std::int32_t occurance = 0;
        benchmark::DoNotOptimize(list.TheMostCommonValue(occurance, -1));
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_TheMostCommonValue)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Ten percent of the points removed as extremes.
void BM_GetMinMaxDistributed90(benchmark::State& state) {
    const vela::TVegaDoubleList list = RandomWalk(state.range(0));
    for (auto _ : state) {
        double lo = 0;
        double hi = 0;
        list.GetMinMaxDistributed(90, INT32_MAX, lo, hi);
        benchmark::DoNotOptimize(lo);
        benchmark::DoNotOptimize(hi);
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_GetMinMaxDistributed90)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A thousand floating bins (100 bins of width, 10 steps each); kind 0 counts, kind 1 weighs.
void BM_FloatingBins(benchmark::State& state) {
    const vela::TVegaDoubleList list = RandomWalk(state.range(0));
    double lo = 0;
    double hi = 0;
    list.GetMinMax(lo, hi);
    const auto kind = static_cast<std::int32_t>(state.range(1));
    vela::TVegaDoubleList h;
    for (auto _ : state) {
        list.DrawDistibutionFloatingBins(nullptr, vela::TRect{}, 100, 10, lo, hi, kind, &h);
        benchmark::DoNotOptimize(h.GetItem(0));
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_FloatingBins)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({1000000, 0})
    ->Args({1000000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// A million closes through each moving average, copying the list outside the timing.
void BM_SetMovingAverages(benchmark::State& state) {
    const vela::TVegaDoubleList source = RandomWalk(1000000);
    const auto type = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        vela::TVegaDoubleList list = source;
        state.ResumeTiming();
        list.SetMovingAverages(type == 2 ? 15 : 50, type);
        benchmark::DoNotOptimize(list.GetItem(list.Count() - 1));
    }
    state.SetItemsProcessed(state.iterations() * source.Count());
}
BENCHMARK(BM_SetMovingAverages)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_SetRSI(benchmark::State& state) {
    const vela::TVegaDoubleList source = RandomWalk(1000000);
    for (auto _ : state) {
        state.PauseTiming();
        vela::TVegaDoubleList list = source;
        state.ResumeTiming();
        list.SetRSI(14, 0);
        benchmark::DoNotOptimize(list.GetItem(list.Count() - 1));
    }
    state.SetItemsProcessed(state.iterations() * source.Count());
}
BENCHMARK(BM_SetRSI)->Unit(benchmark::kMillisecond);

// Signals over 100,000 bars, the swing (and the wave delta) from a few typical steps of the
// walk to more than its whole range, where every forward scan runs longest.
void BM_Find_Buy_Sell_Signals(benchmark::State& state) {
    const vela::TVegaDoubleList list = RandomWalk(100000);
    vela::TVegaIntegerList signals;
    for (auto _ : state) {
        list.Find_Buy_Sell_Signals(0, list.Count() - 1, static_cast<double>(state.range(0)),
                                   signals);
        benchmark::DoNotOptimize(signals.GetItem(0));
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_Find_Buy_Sell_Signals)->Arg(2)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_GetFilteredWavePoints(benchmark::State& state) {
    const vela::TVegaDoubleList list = RandomWalk(100000);
    vela::TVegaIntegerList points;
    for (auto _ : state) {
        list.GetFilteredWavePoints(static_cast<double>(state.range(0)), 0, 0, points);
        benchmark::DoNotOptimize(points.GetItem(0));
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_GetFilteredWavePoints)->Arg(2)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);

// A price that does not move for 100,000 bars: every bar is a candidate of the same value.
void BM_Find_Buy_Sell_SignalsFlat(benchmark::State& state) {
    vela::TVegaDoubleList list = vela::TVegaDoubleList::Create10(100000, 100);
    vela::TVegaIntegerList signals;
    for (auto _ : state) {
        list.Find_Buy_Sell_Signals(0, list.Count() - 1, 1.0, signals);
        benchmark::DoNotOptimize(signals.GetItem(0));
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_Find_Buy_Sell_SignalsFlat)->Unit(benchmark::kMillisecond);

}  // namespace
