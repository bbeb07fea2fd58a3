#include "geometry/value_mapping.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace vela {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ValueToPixel, Examples) {
    struct Case {
        std::int32_t a, b;
        double vmin, vmax;
        long double v;
        std::int32_t pixel;
    } cases[] = {
        {0, 100, 0, 10, 5, 50},
        {0, 5, 0, 2, 1, 2},  // 2.5 rounds to even
        {0, 7, 0, 2, 1, 4},  // 3.5 rounds to even
        {200, 100, 0, 10, 2.5, 175},
        {0, 100, 0, 10, 20, 200},  // no clamping
        {7, 100, 3, 3, 42, 7},     // degenerate range
        {7, 100, 0, 10, kNaN, 7},
        {7, 100, 0, 10, kInf, 7},
        {7, 100, kNaN, 10, 5, 7},
        {7, 100, 0, kInf, 5, 7},
        {7, 100, 0, 1, 1e30L, 7},                                         // beyond the 64-bit range
        {0, 100, 0, 1, 1e15L, std::numeric_limits<std::int32_t>::max()},  // saturates
        {0, 100, 0, 1, -1e15L, std::numeric_limits<std::int32_t>::min()},
        {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 0, 1,
         1, std::numeric_limits<std::int32_t>::max()},  // b - a in 64 bits, no wrap
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueToPixel(c.a, c.b, c.vmin, c.vmax, c.v), c.pixel)
            << c.a << " " << c.b << " " << c.vmin << " " << c.vmax << " "
            << static_cast<double>(c.v);
}

TEST(LinearMap, DegenerateAndEnds) {
    EXPECT_EQ(LinearMap(3, 9, 2, 2, 100), 3);
    EXPECT_EQ(LinearMap(3, 9, 0, 1, 1), 9);
    EXPECT_EQ(LinearMap(3, 9, 0, 1, 0.5L), 6);
    EXPECT_EQ(LinearMap(3, 9, 0, 1, kNaN), 3);
}

TEST(GradientColor, EndsAndFallback) {
    const TColor c1 = RgbColor(10, 20, 30);
    const TColor c2 = RgbColor(250, 0, 130);
    EXPECT_EQ(GradientColor(c1, c2, 1, 1, 5), clWhite);
    EXPECT_EQ(GradientColor(c1, c2, 0, 1, 0), c1);
    EXPECT_EQ(GradientColor(c1, c2, 0, 1, 1), c2);
    EXPECT_EQ(GradientColor(clBlack, clWhite, 0, 2, 1), RgbColor(128, 128, 128));  // 127.5 -> 128
    // Outside the range each channel keeps its low 8 bits.
    EXPECT_EQ(GradientColor(clBlack, RgbColor(200, 0, 0), 0, 1, 2), RgbColor(400 & 0xFF, 0, 0));
}

TEST(MapRect, ExampleAndReversedEdges) {
    const TRect frame{1, 1, 100, 100};
    const TRect target{0, 0, 441, 294};
    EXPECT_EQ(MapRect(frame, {15, 2, 98, 72}, target), (TRect{62, 3, 432, 211}));
    EXPECT_EQ(MapRect(frame, {98, 72, 15, 2}, target), (TRect{62, 3, 432, 211}));
    EXPECT_EQ(NormalizeRect({5, 9, 1, 2}), (TRect{1, 2, 5, 9}));
}

TEST(SwapBytes, SwapsAndRefusesOverlap) {
    std::array<unsigned char, 8> buf{1, 2, 3, 4, 5, 6, 7, 8};
    SwapBytes(buf.data(), buf.data() + 4, 4);
    EXPECT_EQ(buf, (std::array<unsigned char, 8>{5, 6, 7, 8, 1, 2, 3, 4}));
    SwapBytes(buf.data(), buf.data() + 2, 4);  // overlapping: nothing happens
    EXPECT_EQ(buf, (std::array<unsigned char, 8>{5, 6, 7, 8, 1, 2, 3, 4}));
    SwapBytes(buf.data(), nullptr, 4);
    SwapBytes(buf.data(), buf.data() + 4, 0);
    EXPECT_EQ(buf, (std::array<unsigned char, 8>{5, 6, 7, 8, 1, 2, 3, 4}));
}

}  // namespace
}  // namespace vela
