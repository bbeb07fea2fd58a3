#include "text/words.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(Words, CountAndExtract) {
    const CharSet comma = MakeCharSet(",");
    EXPECT_EQ(WordCount("", comma), 0);
    EXPECT_EQ(WordCount(",,a,,b,", comma), 2);
    EXPECT_EQ(ExtractWord(1, ",,a,,b,", comma), "a");
    EXPECT_EQ(ExtractWord(2, ",,a,,b,", comma), "b");
    EXPECT_EQ(ExtractWord(3, ",,a,,b,", comma), "");
    EXPECT_EQ(ExtractWord(0, "a", comma), "");
    // Bytes above 127 (UTF-8) stay inside words.
    EXPECT_EQ(ExtractWord(2, "x,\xC3\xA9t\xC3\xA9", comma), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(WordCount("a;b c", MakeCharSet("; ")), 3);
}

TEST(Words, TrimBlanks) {
    EXPECT_EQ(TrimBlanks("\t\t12 "), "12");
    EXPECT_EQ(TrimBlanks(std::string("\0 x\r\n", 5)), "x");
    EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(Words, TextToLong) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
    } cases[] = {
        {"12", true, 12},
        {" 12 ", true, 12},
        {"-7", true, -7},
        {"+7", true, 7},
        {"$1F", true, 31},
        {"0x1F", true, 31},
        {"0X1F", true, 31},
        {"x1f", true, 31},
        {"$FFFFFFFF", true, -1},
        {"-$10", true, -16},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"$123456789", false, 0},
        {"12abc", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"1 2", false, 0},
    };
    for (const auto& c : cases) {
        std::int32_t v = 0;
        EXPECT_EQ(TextToLong(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(Words, TextToDouble) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"1,5", true, 1.5},        {".5", true, 0.5},
        {"1,234.5", false, 0},     {"", false, 0},
        {"-", false, 0},           {".", true, 0},
        {" -2.5e3 ", true, -2500}, {"1E-2", true, 0.01},
        {"5.", true, 5},           {"1e", false, 0},
        {"1e+", false, 0},         {"abc", false, 0},
        {"1.5x", false, 0},        {"1e400", false, 0},
        {"1e-400", true, 0},       {"0.000000000000000000000000001e-400", true, 0},
        {"+3", true, 3},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(TextToDouble(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }
}

}  // namespace
}  // namespace vela
