#include "series/column_run_line.h"

#include <algorithm>

namespace vela {

void ColumnRunLine::Flush(bool leaves) {
    const bool collapse =
        leaves && end_ - start_ >= 4 && !nan_ && y_.Regular(lo_) && y_.Regular(hi_);
    if (!collapse) {
        for (std::int32_t i = start_; i <= end_; ++i) line_.Point(TPoint{x_, y_(items_[i])});
        return;
    }
    // The mapping is monotone between the extremes (it may run upwards or downwards).
    const std::int32_t a = y_(lo_);
    const std::int32_t b = y_(hi_);
    line_.Point(TPoint{x_, y_(items_[start_])});
    line_.Point(TPoint{x_, std::min(a, b)});
    line_.Point(TPoint{x_, std::max(a, b)});
    line_.Point(TPoint{x_, y_(items_[end_])});
}

}  // namespace vela
