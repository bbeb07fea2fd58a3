#include "geometry/pixel_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "geometry/value_mapping.h"

namespace vela {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectSameAsValueToPixel(std::int32_t a, std::int32_t b, double vmin, double vmax, double v) {
    const PixelMapping map(a, b, vmin, vmax);
    EXPECT_EQ(map(v), ValueToPixel(a, b, vmin, vmax, v))
        << a << " " << b << " " << vmin << " " << vmax << " " << v;
}

TEST(PixelMapping, HalvesRoundToEvenAsValueToPixel) {
    ExpectSameAsValueToPixel(0, 5, 0, 2, 1);  // 2.5 -> 2
    ExpectSameAsValueToPixel(0, 7, 0, 2, 1);  // 3.5 -> 4
    ExpectSameAsValueToPixel(200, 100, 0, 10, 2.5);
    ExpectSameAsValueToPixel(0, 100, 0, 10, 20);  // extrapolated
    // Every half step of a ruler of 1000 positions over 2000 pixels and back.
    for (int i = 0; i <= 2000; ++i) {
        ExpectSameAsValueToPixel(0, 1000, 0, 2000, i);
        ExpectSameAsValueToPixel(700, 3, 0, 1398, i);
    }
    // Decimal prices whose pixels fall on halves in exact arithmetic only.
    for (int i = 0; i <= 1000; ++i) ExpectSameAsValueToPixel(211, 3, 0.4, 1.6, 0.4 + i * 0.0012);
}

TEST(PixelMapping, DegenerateAndExtremeInputsAsValueToPixel) {
    const double values[] = {0,     1,    -1,     1e10,   -1e300, 1e300,        kInf,
                             -kInf, kNaN, 5e-324, 1.5e15, -3e9,   2147483647.5, 4.9e18};
    const double ranges[][2] = {{3, 3},     {0, 1},    {-1e308, 1e308}, {0, 5e-324}, {1, 1 + 1e-15},
                                {-kInf, 0}, {0, kNaN}, {1e300, -1e300}, {0, 1e-300}, {-5e9, 5e9}};
    const std::int32_t ends[][2] = {
        {0, 100},
        {100, 0},
        {5, 5},
        {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()},
        {std::numeric_limits<std::int32_t>::max(), 0}};
    for (const auto& e : ends)
        for (const auto& r : ranges)
            for (double v : values) ExpectSameAsValueToPixel(e[0], e[1], r[0], r[1], v);
}

TEST(PixelMapping, RandomRangesAsValueToPixel) {
    std::mt19937_64 gen(20240611);
    std::uniform_int_distribution<std::int32_t> pixel(-3000, 3000);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int k = 0; k < 2000; ++k) {
        const std::int32_t a = pixel(gen);
        const std::int32_t b = pixel(gen);
        const double scale = std::pow(10.0, std::floor(unit(gen) * 12) - 6);
        const double vmin = (unit(gen) - 0.5) * scale;
        const double vmax = vmin + unit(gen) * scale;
        const PixelMapping map(a, b, vmin, vmax);
        for (int i = 0; i < 200; ++i) {
            // Values on a fine lattice of the range hit pixel halves often.
            const double v = vmin + (vmax - vmin) * (std::floor(unit(gen) * 2400) - 200) / 2000;
            ASSERT_EQ(map(v), ValueToPixel(a, b, vmin, vmax, v))
                << a << " " << b << " " << vmin << " " << vmax << " " << v;
        }
    }
}

}  // namespace
}  // namespace vela
