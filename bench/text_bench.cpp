#include <benchmark/benchmark.h>

#include "text/calendar.h"
#include "text/date_time_text.h"
#include "text/number_text.h"

namespace {

// The table page and the status line format one bar per call.
void BM_DateTimeToTextLayout0(benchmark::State& state) {
    double t = vela::DateToCenturies(2012, 6, 20, 14.0);
    const double step = 1.0 / 36525.0 / 1440.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vela::DateTimeToText(0, '.', t));
        t += step;
    }
}
BENCHMARK(BM_DateTimeToTextLayout0);

void BM_RealToTextMode0(benchmark::State& state) {
    double x = 12345.678;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vela::RealToText(0, x));
        x += 0.01;
    }
}
BENCHMARK(BM_RealToTextMode0);

}  // namespace
