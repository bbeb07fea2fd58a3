#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "series/double_list.h"

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
