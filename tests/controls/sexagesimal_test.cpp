#include "controls/sexagesimal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vela {
namespace {

TEST(Sexagesimal, SplitRoundsToTenThousandths) {
    struct Case {
        long double x;
        std::int64_t whole;
        std::int32_t minutes, seconds;
    } cases[] = {
        {12.3015L, 12, 30, 15}, {12.30149999L, 12, 30, 15},
        {-12.5L, -12, 50, 0},   {-0.3015L, 0, 30, 15},  // the whole part 0 carries no sign
        {1.75L, 1, 75, 0},                              // split, not checked
        {0, 0, 0, 0},           {1e14L, 100000000000000, 0, 0},
    };
    for (const auto& c : cases) {
        Sexagesimal p;
        ASSERT_TRUE(SplitSexagesimal(c.x, p)) << static_cast<double>(c.x);
        EXPECT_EQ(p.Whole, c.whole) << static_cast<double>(c.x);
        EXPECT_EQ(p.Minutes, c.minutes) << static_cast<double>(c.x);
        EXPECT_EQ(p.Seconds, c.seconds) << static_cast<double>(c.x);
    }
}

TEST(Sexagesimal, ValuesThatDoNotFitAreNotSplit) {
    Sexagesimal p{7, 8, 9};
    for (long double x :
         {std::nanl(""), std::numeric_limits<long double>::infinity(), 1.0001e14L, -1e300L})
        EXPECT_FALSE(SplitSexagesimal(x, p)) << static_cast<double>(x);
    EXPECT_EQ(p.Whole, 7);
}

TEST(Sexagesimal, JoinAndDecimal) {
    EXPECT_NEAR(static_cast<double>(JoinSexagesimal(12, 30, 15)), 12.3015, 1e-15);
    EXPECT_NEAR(static_cast<double>(JoinSexagesimal(-5, 30, 0)), -5.3, 1e-15);
    EXPECT_NEAR(static_cast<double>(JoinSexagesimal(0, 30, 15)), 0.3015, 1e-15);
    EXPECT_NEAR(static_cast<double>(SexagesimalToDecimal(12.3015L)), 12.0 + 30.0 / 60 + 15.0 / 3600,
                1e-15);
    // Here the sign of a value between -1 and 0 stays.
    EXPECT_NEAR(static_cast<double>(SexagesimalToDecimal(-0.3015L)), -(30.0 / 60 + 15.0 / 3600),
                1e-15);
    EXPECT_EQ(SexagesimalToDecimal(1e15L), 1e15L);
    EXPECT_TRUE(std::isnan(SexagesimalToDecimal(std::nanl(""))));
}

}  // namespace
}  // namespace vela
