#include "text/short_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace vela {
namespace {

TEST(ShortText, Pieces) {
    EXPECT_EQ(IntToShortText(-42), "-42");
    EXPECT_EQ(IntToShortText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(PadLeft("7", '0', 2), "07");
    EXPECT_EQ(PadLeft("2012", '0', 2), "2012");
    EXPECT_EQ(CharString('x', 3), "xxx");
    EXPECT_EQ(CharString('x', 0), "");
    EXPECT_EQ(CharString('x', 300).size(), 255u);
    EXPECT_EQ(RemoveChar("a b  c", ' '), "abc");
    EXPECT_EQ(RemoveChar("", ' '), "");
    EXPECT_EQ(TwoDigitText(5), "05");
    EXPECT_EQ(TwoDigitText(123), "123");
}

TEST(ShortText, RoundToMultiple) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        std::int32_t n, step, down, up;
    } cases[] = {
        {1953, 100, 1900, 2000},
        {2000, 100, 2000, 2000},
        {-150, 100, -200, -100},
        {7, 1, 7, 7},
        {7, 0, 7, 7},
        {7, -5, 7, 7},
        {kMin, 100, kMin, kMin + 48},
        {kMax, 100, kMax - 47, kMax},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundDownToMultiple(c.n, c.step), c.down) << c.n << "/" << c.step;
        EXPECT_EQ(RoundUpToMultiple(c.n, c.step), c.up) << c.n << "/" << c.step;
    }
}

}  // namespace
}  // namespace vela
