#include "app/chart_render.h"

#include "app/flicker_free_paint_box.h"
#include "chart/chart_painting.h"

namespace vela::app {

QImage RenderChart(const ChartState& state, int width, int height, ChartStatus* status) {
    ChartStatus painted;
    bool full = false;
    QImage image = ComposeFrame(QSize(width, height), clWhite, CanvasFont{}, [&](Canvas& canvas) {
        full = FlickerFreePaintBox1Paint(state, canvas, TRect{0, 0, width, height}, painted);
    });
    if (full && status != nullptr) *status = painted;
    return image;
}

}  // namespace vela::app
