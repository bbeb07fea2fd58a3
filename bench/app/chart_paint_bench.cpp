// Chart painting with real pixels: the Qt canvas on an off-screen image, as the paint box and
// the snapshot output compose every frame.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>

#include "../chart_fixture.h"
#include "app/chart_render.h"
#include "app/qt_canvas.h"
#include "chart/chart_painting.h"

namespace {

// A whole frame of 1,000,000 one-minute bars at 1200 x 700: image, painting, status.
// state.range(0): 1 with the high and low lines.
void BM_RenderMillionBarChart(benchmark::State& state) {
    const vela::ChartState chart = vela::bench::MinuteBarChart(1000000, state.range(0) != 0);
    vela::ChartStatus status;
    for (auto _ : state) {
        const QImage image = vela::app::RenderChart(chart, 1200, 700, &status);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderMillionBarChart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The close line alone on the Qt canvas.
void BM_Draw1MillionPointsQtCanvas(benchmark::State& state) {
    const vela::ChartState chart = vela::bench::MinuteBarChart(1000000, false);
    QImage image(1200, 700, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        vela::app::QtCanvas canvas(image);
        chart.LClose.Draw1(canvas, vela::TRect{177, 10, 1176, 504}, 1000, 2000);
    }
}
BENCHMARK(BM_Draw1MillionPointsQtCanvas)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
