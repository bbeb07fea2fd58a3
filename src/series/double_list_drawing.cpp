#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "geometry/pixel_mapping.h"
#include "platform/canvas.h"
#include "series/column_run_line.h"
#include "series/double_list.h"
#include "series/line_reducer.h"

namespace vela {

namespace {

// Calls draw with the point feed that suits the canvas's pen.
template <class Draw>
void WithLine(Canvas& canvas, const double* items, const PixelMapping& y, Draw draw) {
    if (LineReducer::UsesReduction(canvas.Pen())) {
        LineReducer line(canvas);
        ColumnRunLine feed(line, items, y);
        draw(feed);
        feed.Finish();
    } else {
        SegmentLine line(canvas);
        PointLine<SegmentLine> feed(line, items, y);
        draw(feed);
        feed.Finish();
    }
}

// The columns of consecutive positions, for lines whose points come in position order.
// Where positions map to columns monotonically, a column is found once and its end by
// galloping and halving, so a column of a thousand positions costs a few dozen mappings
// instead of a thousand; elsewhere every position is mapped.
template <class ColumnOf>
class ColumnCursor {
  public:
    // columnOf(k): the column of position k (0 <= k < count). monotone: columnOf never turns
    // back over the positions.
    ColumnCursor(ColumnOf columnOf, bool monotone, std::int32_t count)
        : columnOf_(columnOf), monotone_(monotone), count_(count) {}

    std::int32_t At(std::int32_t k) {
        if (k >= start_ && k < next_) return column_;
        start_ = k;
        column_ = columnOf_(k);
        next_ = monotone_ ? NextColumn(k) : static_cast<std::int64_t>(k) + 1;
        return column_;
    }

  private:
    // The first position after i whose column differs from i's (count when none does).
    std::int64_t NextColumn(std::int32_t i) const {
        std::int64_t same = i;
        std::int64_t step = 1;
        std::int64_t other = count_;
        while (same + step < count_) {
            if (columnOf_(static_cast<std::int32_t>(same + step)) != column_) {
                other = same + step;
                break;
            }
            same += step;
            step *= 2;
        }
        while (other - same > 1) {
            const std::int64_t mid = same + (other - same) / 2;
            if (columnOf_(static_cast<std::int32_t>(mid)) == column_)
                same = mid;
            else
                other = mid;
        }
        return other;
    }

    ColumnOf columnOf_;
    bool monotone_;
    std::int32_t count_;
    std::int64_t start_ = 0;
    std::int64_t next_ = 0;
    std::int32_t column_ = 0;
};

// Whether the times never go back and map to pixels without fallbacks (then the mapping of
// times to columns is monotone). NaN fails the test.
bool MapsMonotonically(const double* times, std::int32_t n, const PixelMapping& x) {
    if (n == 0) return true;
    if (!x.Regular(times[0]) || !x.Regular(times[n - 1])) return false;
    for (std::int32_t k = 0; k + 1 < n; ++k)
        if (!(times[k] <= times[k + 1])) return false;
    return true;
}

}  // namespace

void TVegaDoubleList::Draw1(Canvas& Canv, const TRect& R, double YMin, double YMax) const {
    if (!(YMax > YMin)) return;
    const std::int32_t count = Count();
    if (count < 2) return;
    const PixelMapping x(R.Left, R.Right, 0, count - 1);
    const PixelMapping y(R.Bottom, R.Top, YMin, YMax);
    const double* items = FList.data();
    // An even spacing is monotone.
    ColumnCursor columns([&](std::int32_t k) { return x(k); }, true, count);
    WithLine(Canv, items, y, [&](auto& line) {
        for (std::int32_t i = 0; i < count; ++i) {
            if (items[i] == kNullValue)
                line.Break();
            else
                line.Add(i, columns.At(i));
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
    ColumnCursor columns([&](std::int32_t k) { return x(times[k]); },
                         MapsMonotonically(times, n, x), n);
    WithLine(Canv, items, y, [&](auto& line) {
        // The position the line has reached; -1 when it is broken.
        std::int32_t end = -1;
        for (std::int32_t i = 0; i + 1 < n; ++i) {
            const double t = times[i];
            // Only the segment's first time is tested.
            if (items[i] == kNullValue || items[i + 1] == kNullValue ||
                !((TTMin - t) * (TTMax - t) <= 0)) {
                line.Break();
                end = -1;
                continue;
            }
            if (end != i) {
                line.Break();
                line.Add(i, columns.At(i));
            }
            line.Add(i + 1, columns.At(i + 1));
            end = i + 1;
        }
    });
}

}  // namespace vela
