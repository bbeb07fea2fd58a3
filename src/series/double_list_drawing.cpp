#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "geometry/pixel_mapping.h"
#include "platform/canvas.h"
#include "series/double_list.h"
#include "series/line_reducer.h"

namespace vela {

namespace {

// Calls draw with the line that suits the canvas's pen.
template <class Draw>
void WithLine(Canvas& canvas, Draw draw) {
    if (LineReducer::UsesReduction(canvas.Pen())) {
        LineReducer line(canvas);
        draw(line);
        line.Finish();
    } else {
        SegmentLine line(canvas);
        draw(line);
        line.Finish();
    }
}

}  // namespace

void TVegaDoubleList::Draw1(Canvas& Canv, const TRect& R, double YMin, double YMax) const {
    if (!(YMax > YMin)) return;
    const std::int32_t count = Count();
    if (count < 2) return;
    const PixelMapping x(R.Left, R.Right, 0, count - 1);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    const double* items = FList.data();
    WithLine(Canv, [&](auto& line) {
        for (std::int32_t i = 0; i < count; ++i) {
            const double v = items[i];
            if (v == kNullValue)
                line.Break();
            else
                line.Point(TPoint{x(i), y(v)});
        }
    });
}

void TVegaDoubleList::Draw1Rescaled(Canvas& Canv, const TRect& R, double YMin, double YMax,
                                    double TTMin, double TTMax,
                                    const TVegaDoubleList& TimeList) const {
    if (!(YMax > YMin)) return;
    const std::int32_t n = std::min(Count(), TimeList.Count());
    if (n < 2) return;
    const PixelMapping x(R.Left, R.Right, TTMin, TTMax);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    const double* items = FList.data();
    const double* times = TimeList.FList.data();
    WithLine(Canv, [&](auto& line) {
        // The position the line has reached; -1 when it is broken.
        std::int32_t end = -1;
        for (std::int32_t i = 0; i + 1 < n; ++i) {
            const double a = items[i];
            const double b = items[i + 1];
            const double t = times[i];
            // Only the segment's first time is tested.
            if (a == kNullValue || b == kNullValue || !((TTMin - t) * (TTMax - t) <= 0)) {
                line.Break();
                end = -1;
                continue;
            }
            if (end != i) {
                line.Break();
                line.Point(TPoint{x(t), y(a)});
            }
            line.Point(TPoint{x(times[i + 1]), y(b)});
            end = i + 1;
        }
    });
}

}  // namespace vela
