#include "controls/number_formats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "controls/control_locales.h"

namespace vela {
namespace {

using F = TFloatFormat;

struct FormatCase {
    long double x;
    F format;
    int precision;
    int digits;
    const char* dot;
    const char* comma;
};

TEST(NumberFormats, EveryFormatInBothLocales) {
    const FormatCase cases[] = {
        // General: shortest text, trailing zeros dropped, scientific at the edges.
        {0, F::ffGeneral, 12, 2, "0", "0"},
        {1234.5L, F::ffGeneral, 12, 2, "1234.5", "1234,5"},
        {-0.25L, F::ffGeneral, 12, 2, "-0.25", "-0,25"},
        {2.0L / 3, F::ffGeneral, 12, 2, "0.666666666667", "0,666666666667"},
        {0.0001L, F::ffGeneral, 12, 2, "0.0001", "0,0001"},
        {0.00001L, F::ffGeneral, 12, 2, "1E-05", "1E-05"},
        {123456789012.0L, F::ffGeneral, 12, 2, "123456789012", "123456789012"},
        {1234567890123.0L, F::ffGeneral, 12, 2, "1.23456789012E12", "1,23456789012E12"},
        {1e20L, F::ffGeneral, 15, 0, "1E20", "1E20"},
        // Exponent: all the digits of the precision, a signed exponent of at least `digits`.
        {1234.5L, F::ffExponent, 12, 2, "1.23450000000E+03", "1,23450000000E+03"},
        {-0.001L, F::ffExponent, 12, 2, "-1.00000000000E-03", "-1,00000000000E-03"},
        {0, F::ffExponent, 4, 2, "0.000E+00", "0,000E+00"},
        {1234.5L, F::ffExponent, 4, 0, "1.234E+3", "1,234E+3"},  // a tie goes to even
        {1235.5L, F::ffExponent, 4, 0, "1.236E+3", "1,236E+3"},
        // Fixed: the decimals asked for, rounded ties to even, no sign on a zero.
        {1234.567L, F::ffFixed, 12, 2, "1234.57", "1234,57"},
        {0.125L, F::ffFixed, 12, 2, "0.12", "0,12"},
        {0.375L, F::ffFixed, 12, 2, "0.38", "0,38"},
        {-0.001L, F::ffFixed, 12, 2, "0.00", "0,00"},
        {12.3456L, F::ffFixed, 3, 2, "12.30", "12,30"},  // three significant digits
        {5, F::ffFixed, 12, 0, "5", "5"},
        {1e13L, F::ffFixed, 12, 2, "1E13", "1E13"},
        // Number: fixed with thousands separators.
        {1234567.891L, F::ffNumber, 12, 2, "1,234,567.89", "1.234.567,89"},
        {-1234.5L, F::ffNumber, 12, 2, "-1,234.50", "-1.234,50"},
        {999.5L, F::ffNumber, 12, 2, "999.50", "999,50"},
        // Currency: the number inside the locale's currency format.
        {1234.5L, F::ffCurrency, 12, 2, "$1,234.50", "1.234,50 \xE2\x82\xAC"},
        {-1234.5L, F::ffCurrency, 12, 2, "-$1,234.50", "-1.234,50 \xE2\x82\xAC"},
        {0, F::ffCurrency, 12, 0, "$0", "0 \xE2\x82\xAC"},
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(FloatToTextF(c.x, c.format, c.precision, c.digits, DotLocale()), c.dot)
            << static_cast<double>(c.x) << " format " << static_cast<int>(c.format);
        EXPECT_EQ(FloatToTextF(c.x, c.format, c.precision, c.digits, CommaLocale()), c.comma)
            << static_cast<double>(c.x) << " format " << static_cast<int>(c.format);
    }
}

TEST(NumberFormats, NonFiniteValuesHaveNames) {
    const long double inf = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(FloatToTextF(std::nanl(""), F::ffFixed, 12, 2, DotLocale()), "NAN");
    EXPECT_EQ(FloatToTextF(-inf, F::ffGeneral, 12, 2, DotLocale()), "-INF");
    EXPECT_EQ(FloatToTextF(1.1e4932L, F::ffGeneral, 12, 0, DotLocale()), "1.1E4932");
}

TEST(NumberFormats, ReadingFollowsTheLocale) {
    struct Case {
        const char* text;
        bool dotOk;
        bool commaOk;
        long double value;
    } cases[] = {
        {"12.5", true, false, 12.5L}, {"12,5", false, true, 12.5L}, {" -3 ", true, true, -3},
        {"+7", true, true, 7},        {"5", true, true, 5},         {"1e3", true, true, 1000},
        {"1E+3", true, true, 1000},   {"2E-2", true, true, 0.02L},  {"1e-5000", true, true, 0},
        {"", false, false, 0},        {"-", false, false, 0},       {"1e", false, false, 0},
        {"1 2", false, false, 0},     {"abc", false, false, 0},     {"1e5000", false, false, 0},
        {"--1", false, false, 0},
    };
    for (const Case& c : cases) {
        long double v = -99;
        EXPECT_EQ(LocaleTextToFloat(c.text, DotLocale(), v), c.dotOk) << c.text;
        if (c.dotOk) {
            EXPECT_EQ(v, c.value) << c.text;
        }
        v = -99;
        EXPECT_EQ(LocaleTextToFloat(c.text, CommaLocale(), v), c.commaOk) << c.text;
        if (c.commaOk) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    long double v = 0;
    // A lone separator is no number; one with digits on either side is.
    EXPECT_FALSE(LocaleTextToFloat(".", DotLocale(), v));
    EXPECT_TRUE(LocaleTextToFloat(".5", DotLocale(), v));
    EXPECT_EQ(v, 0.5L);
    EXPECT_TRUE(LocaleTextToFloat("5,", CommaLocale(), v));
    EXPECT_EQ(v, 5);
    // Thousands separators are not read.
    EXPECT_FALSE(LocaleTextToFloat("1,234.5", DotLocale(), v));
    EXPECT_FALSE(LocaleTextToFloat("1.234,5", CommaLocale(), v));
}

TEST(NumberFormats, ExtendedValuesBeyondDoublesAreClampedWhenStoredAsDoubles) {
    constexpr double kMax = std::numeric_limits<double>::max();
    EXPECT_EQ(ClampToDouble(1e400L), kMax);
    EXPECT_EQ(ClampToDouble(-1.1e4932L), -kMax);
    EXPECT_EQ(ClampToDouble(1.5L), 1.5);
    EXPECT_TRUE(std::isnan(ClampToDouble(std::nanl(""))));
}

}  // namespace
}  // namespace vela
