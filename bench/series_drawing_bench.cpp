#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "null_canvas.h"
#include "series/double_list.h"

namespace {

// A random walk around zero with a null now and then, and its times (a gap every day).
struct Walk {
    vela::TVegaDoubleList Items;
    vela::TVegaDoubleList Times;
    Walk() {
        std::mt19937_64 rng(3);
        std::normal_distribution<double> step(0, 1);
        double v = 0;
        for (int i = 0; i < 1000000; ++i) {
            v += step(rng);
            Items.Add(i % 997 == 0 ? vela::kNullValue : v);
            Times.Add(i + (i / 390) * 1000.0);
        }
    }
};

const Walk& SharedWalk() {
    static const Walk walk;
    return walk;
}

constexpr vela::TRect kPlot{0, 0, 1200, 700};

// state.range(0) picks the member: every segment member over a million items into 1200
// pixel columns.
void BM_SegmentMemberMillion(benchmark::State& state) {
    const Walk& walk = SharedWalk();
    vela::TVegaDoubleList list = walk.Items;
    const std::int32_t last = list.Count() - 1;
    const double t1 = walk.Times.GetItem(last);
    vela::bench::NullCanvas canvas;
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0:
                list.Draw(canvas, kPlot);
                break;
            case 1:
                list.Draw1(canvas, kPlot, -3000, 3000);
                break;
            case 2:
                list.Draw1Rescaled(canvas, kPlot, -3000, 3000, 0, t1, walk.Times);
                break;
            case 3:
                list.Draw2(canvas, kPlot, 0, last);
                break;
            case 4:
                list.Draw2Rescaled1(canvas, kPlot, 0, t1, walk.Times, 100);
                break;
            case 5:
                list.DrawNoGap(canvas, kPlot);
                break;
            case 6:
                list.DrawDifferentColor(canvas, kPlot, 0x0000FF, 0x00FF00);
                break;
            case 7:
                list.DrawDifferentColor10(canvas, kPlot, 0x0000FF, 0x00FF00);
                break;
            default:
                list.DrawColored1(canvas, kPlot, 0x0000FF, 0x00FF00, -3000, 3000, 0, last);
        }
    }
    state.SetItemsProcessed(state.iterations() * list.Count());
}
BENCHMARK(BM_SegmentMemberMillion)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

}  // namespace
