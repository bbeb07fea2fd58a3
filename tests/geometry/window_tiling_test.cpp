#include "geometry/window_tiling.h"

#include <gtest/gtest.h>

#include <vector>

namespace vela {
namespace {

struct TileCase {
    std::int32_t N;
    std::vector<TRect> Rects;
};

TEST(WindowTilingTest, StripsUpToThreeThenAGridOfAboutTheSquareRootRows) {
    const TileCase cases[] = {
        {0, {}},
        {1, {{0, 0, 900, 600}}},
        {3, {{0, 0, 900, 200}, {0, 200, 900, 400}, {0, 400, 900, 600}}},
        {4, {{0, 0, 450, 300}, {450, 0, 900, 300}, {0, 300, 450, 600}, {450, 300, 900, 600}}},
        {5,
         {{0, 0, 450, 300},
          {450, 0, 900, 300},
          {0, 300, 300, 600},
          {300, 300, 600, 600},
          {600, 300, 900, 600}}},
    };
    for (const TileCase& c : cases) EXPECT_EQ(TileRects(c.N, 900, 600), c.Rects) << c.N;
}

TEST(WindowTilingTest, AnyCountCoversTheAreaExactlyOnce) {
    for (std::int32_t n = 1; n <= 40; ++n) {
        const auto rects = TileRects(n, 1003, 701);
        ASSERT_EQ(static_cast<std::int32_t>(rects.size()), n);
        std::int64_t area = 0;
        for (const TRect& r : rects) {
            EXPECT_GT(r.Right, r.Left) << n;
            EXPECT_GT(r.Bottom, r.Top) << n;
            area += std::int64_t{r.Right - r.Left} * (r.Bottom - r.Top);
        }
        EXPECT_EQ(area, 1003 * 701) << n;
    }
}

}  // namespace
}  // namespace vela
