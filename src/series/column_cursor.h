#pragma once

#include <cstdint>

#include "geometry/pixel_mapping.h"

namespace vela {

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
    // The first position after the last one asked whose column differs from it.
    std::int64_t Next() const { return next_; }

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
inline bool MapsMonotonically(const double* times, std::int32_t n, const PixelMapping& x) {
    if (n == 0) return true;
    if (!x.Regular(times[0]) || !x.Regular(times[n - 1])) return false;
    for (std::int32_t k = 0; k + 1 < n; ++k)
        if (!(times[k] <= times[k + 1])) return false;
    return true;
}

}  // namespace vela
