#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "text/number_text.h"
#include "text/words.h"

namespace vela {
namespace {

// The test command runs this binary once more with LC_ALL=de_DE.UTF-8: numbers must still be
// written and read with "." as the decimal point.
TEST(LocaleIndependence, NumbersIgnoreTheUsersLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "");
    EXPECT_EQ(RealToFixedText(0, 2, 1.5), "1.50");
    EXPECT_EQ(RealToText(0, 1234.5), "1234.5");
    EXPECT_EQ(FloatToGeneralText(0.25), "0.25");
    double v = 0;
    EXPECT_TRUE(TextToDouble("2.75", v));
    EXPECT_EQ(v, 2.75);
    EXPECT_TRUE(TextToDouble("2,75", v));
    EXPECT_EQ(v, 2.75);
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
}  // namespace vela
