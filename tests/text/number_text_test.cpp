#include "text/number_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace vela {
namespace {

TEST(RealToText, Modes) {
    struct Case {
        int mode;
        double x;
        const char* text;
    } cases[] = {
        {0, 0.0, "0.0"},
        {0, 12.5, "12.5"},
        {0, 1234.567891, "1234.56789"},
        {0, -0.25, "-0.25"},
        {0, 3, "3.0"},
        {0, 1e-60, "0"},
        {0, 0.00001234, "0.00001234"},
        {0, 100000, "100000.0"},
        {1, 1.5, "1.5"},
        {1, 0.123456789012, "0.12345678901"},
        {2, 250000.123456, "250000.12346"},
        {2, 50000.123456, "50000.1"},
        {2, 5.12345, "5.123"},
        {2, 0.00001, "0.00001"},
        {3, 1.0, ""},
        {0, std::numeric_limits<double>::quiet_NaN(), "0"},
        {0, std::numeric_limits<double>::infinity(), "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(RealToText(c.mode, c.x), c.text) << c.x;
    // A huge value keeps all its integer digits (no 255-character cut, no zeros trimmed).
    const std::string huge = RealToText(0, 1e300);
    EXPECT_EQ(huge.size(), 303u);
    EXPECT_EQ(huge.substr(0, 6), "100000");
    EXPECT_EQ(huge.substr(huge.size() - 2), ".0");
}

TEST(RealToFixedText, WidthDecimalsAndFallbacks) {
    EXPECT_EQ(RealToFixedText(8, 2, 3.14159), "    3.14");
    EXPECT_EQ(RealToFixedText(2, 3, -12.5), "-12.500");
    EXPECT_EQ(RealToFixedText(0, 0, 2.5), "2");  // ties to even
    EXPECT_EQ(RealToFixedText(0, 5, 1e-51), "0");
    EXPECT_EQ(RealToFixedText(0, 5, -std::numeric_limits<double>::infinity()), "0");
}

TEST(FloatToGeneralText, Format) {
    struct Case {
        double x;
        const char* text;
    } cases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {2, "2"},
        {0.25, "0.25"},
        {-7.125, "-7.125"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {1.5e-7, "1.5E-7"},
        {1e20, "1E20"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {12000, "12000"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToGeneralText(c.x), c.text) << c.x;
}

}  // namespace
}  // namespace vela
