#include "platform/pseudo_random.h"

#include <gtest/gtest.h>

#include <vector>

namespace vela {
namespace {

TEST(PseudoRandom, ReseedingRepeatsTheSequence) {
    SeedPseudoRandom(5);
    std::vector<double> first;
    for (int i = 0; i < 5; ++i) first.push_back(PseudoRandomUnit());
    SeedPseudoRandom(5);
    for (double v : first) EXPECT_EQ(PseudoRandomUnit(), v);
}

TEST(PseudoRandom, ValuesStayInTheirRanges) {
    SeedPseudoRandom(11);
    std::vector<int> seen(7, 0);
    for (int i = 0; i < 7000; ++i) {
        const double u = PseudoRandomUnit();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        const std::int32_t k = PseudoRandomBelow(7);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 7);
        ++seen[static_cast<std::size_t>(k)];
    }
    for (int count : seen) EXPECT_GT(count, 800);
    EXPECT_EQ(PseudoRandomBelow(0), 0);
    EXPECT_EQ(PseudoRandomBelow(-3), 0);
    EXPECT_EQ(PseudoRandomBelow(1), 0);
    const std::int32_t big = PseudoRandomBelow(INT32_MAX);
    EXPECT_GE(big, 0);
    EXPECT_LT(big, INT32_MAX);
}

}  // namespace
}  // namespace vela
