#include "series/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vela {
namespace {

TEST(Angles, ModRealReducesIntoTheTurn) {
    struct Case {
        double x, expected;
    } cases[] = {
        {0, 0},
        {359.5, 359.5},
        {360, 0},
        {720.5, 0.5},
        {-1, 359},
        {-0.25, 359.75},
        {-359.5, 0.5},
        {-359, 1},
        {-360, 360},
        {-720, 360},
        {-361, 359},
        {1e20, std::fmod(1e20, 360.0)},
        {-1e20, 360 - std::fmod(1e20, 360.0)},
    };
    for (const auto& c : cases) EXPECT_EQ(ModReal(360, c.x), c.expected) << c.x;
    EXPECT_EQ(ModReal(1, -2.5), 0.5);
    EXPECT_EQ(ModReal(1, -3), 1);
    // No modulus or no number: no answer, and no fault.
    EXPECT_TRUE(std::isnan(ModReal(0, 5)));
    EXPECT_TRUE(std::isnan(ModReal(360, std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(ModReal(360, std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(ModReal(360, -std::numeric_limits<double>::infinity())));
}

TEST(Angles, Difference360IsTheShortestSignedRotation) {
    struct Case {
        double a, b, expected;
    } cases[] = {
        {350, 10, 20}, {10, 350, -20}, {0, 180, 180}, {180, 0, 180},  {0, 181, -179},
        {90, 90, 0},   {0, 720, 0},    {0, -360, 0},  {-90, 90, 180}, {30, -30, -60},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Difference_360(c.a, c.b), c.expected) << c.a << " -> " << c.b;
}

TEST(Angles, Between360TestsTheShorterArc) {
    struct Case {
        double a, x, b;
        bool expected;
    } cases[] = {
        {350, 5, 20, true},  {350, 200, 20, false}, {20, 5, 350, true}, {20, 350, 350, true},
        {20, 20, 350, true}, {10, 100, 90, false},  {0, 90, 180, true}, {0, 270, 180, false},
        {180, 270, 0, true}, {180, 90, 0, false},   {40, 40, 40, true}, {40, 41, 40, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Between_360(c.a, c.x, c.b), c.expected) << c.a << " " << c.x << " " << c.b;
}

}  // namespace
}  // namespace vela
