#include "series/text_to_float.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(TryTextToFloat, ReadsPointNumbersAndFallsBackToACommaPoint) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"12", true, 12},    {"  -1.5", true, -1.5}, {"+.5", true, 0.5},
        {"5.", true, 5},     {"2e3", true, 2000},    {"-2.5E-2", true, -0.025},
        {"1,5", true, 1.5},  {" 1,5e1", true, 15},   {"1e-400", true, 0},
        {"", false, 7},      {" ", false, 7},        {".", false, 7},
        {"-", false, 7},     {"1 ", false, 7},       {"\t1", false, 7},
        {"1e", false, 7},    {"1e+", false, 7},      {"1,234.5", false, 7},
        {"1,2,3", false, 7}, {"1.5,0", false, 7},    {"0x10", false, 7},
        {"1e400", false, 7}, {"inf", false, 7},      {"nan", false, 7},
        {"- 1", false, 7},   {",", false, 7},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(TryTextToFloat(c.text, v, 7), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
}

}  // namespace
}  // namespace vela
