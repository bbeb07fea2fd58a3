#include "geometry/window_tiling.h"

#include <algorithm>
#include <cmath>

namespace vela {

std::vector<TRect> TileRects(std::int32_t n, std::int32_t width, std::int32_t height) {
    std::vector<TRect> rects;
    if (n <= 0) return rects;
    width = std::max(width, 1);
    height = std::max(height, 1);
    const std::int32_t rows =
        n < 4 ? n : std::max<std::int32_t>(1, static_cast<std::int32_t>(std::sqrt(double(n))));
    const std::int32_t rowHeight = std::max(1, height / rows);
    std::int32_t placed = 0;
    for (std::int32_t row = 0; row < rows; ++row) {
        // The last n % rows rows take the windows that do not divide evenly.
        const std::int32_t columns = n / rows + (row >= rows - n % rows ? 1 : 0);
        const std::int32_t top = row * rowHeight;
        const std::int32_t bottom = row == rows - 1 ? height : top + rowHeight;
        const std::int32_t columnWidth = std::max(1, width / columns);
        for (std::int32_t c = 0; c < columns && placed < n; ++c, ++placed) {
            const std::int32_t left = c * columnWidth;
            const std::int32_t right = c == columns - 1 ? width : left + columnWidth;
            rects.push_back(TRect{left, top, right, bottom});
        }
    }
    return rects;
}

}  // namespace vela
