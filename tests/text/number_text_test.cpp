#include "text/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

// Prices take a quicker exact path than other values: every mode must give, for any double,
// the fixed text of the decimals its magnitude asks for (trimmed), as the general conversion
// writes it — ties included (0.015625 at 5 decimals, 2.5 at 0).
TEST(RealToText, EveryValueAsTheGeneralConversionWritesIt) {
    auto reference = [](int mode, double x) -> std::string {
        static constexpr int kDecimals[3][7] = {
            {10, 6, 5, 5, 5, 5, 5}, {15, 11, 10, 10, 10, 10, 10}, {8, 5, 3, 2, 1, 1, 5}};
        if (x == 0) return "0.0";
        const double a = std::fabs(x);
        const int band = a < 0.0001   ? 0
                         : a < 1      ? 1
                         : a < 10     ? 2
                         : a < 100    ? 3
                         : a < 1000   ? 4
                         : a < 100000 ? 5
                                      : 6;
        std::string text = RealToFixedText(0, kDecimals[mode][band], x);
        if (text.find('.') != std::string::npos)
            while (text.size() > text.find('.') + 2 && text.back() == '0') text.pop_back();
        return text;
    };
    std::mt19937_64 rng(11);
    std::vector<double> values = {0.015625,
                                  -0.015625,
                                  2.5,
                                  0.5,
                                  1.0 / 1024,
                                  99999.999995,
                                  0.00009999999999,
                                  4503599627370495.5,
                                  9007199254740993.0,
                                  1e-40,
                                  5e-324,
                                  -1e15,
                                  123456789.125,
                                  0.1,
                                  1234.565};
    for (int i = 0; i < 20000; ++i) {
        // Random magnitudes, random bits, and short binary fractions that tie.
        const double m = std::ldexp(static_cast<double>(rng() >> 11), -53);
        values.push_back(m * std::pow(10.0, static_cast<int>(rng() % 36) - 20));
        values.push_back(static_cast<double>(rng() % 100000000) / (1 << (rng() % 20)));
        values.push_back(-std::bit_cast<double>(rng() % 0x4340000000000000ULL));
    }
    for (double x : values)
        for (int mode = 0; mode < 3; ++mode)
            ASSERT_EQ(RealToText(mode, x), reference(mode, x)) << mode << " " << x;
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
