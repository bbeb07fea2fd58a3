#include "settings/extended_ini_file.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <numeric>
#include <string>
#include <vector>

#include "settings/ini_test_folder.h"

namespace vela {
namespace {

using Lines = std::vector<std::string>;

// ---- Doubles -------------------------------------------------------------------------------

struct DoubleCase {
    double value;
    const char* text;
};

class WriteDoubleTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(WriteDoubleTest, FixedTenDecimals) {
    TSpecIniFile ini("");
    ini.WriteDouble("S", "d", GetParam().value);
    EXPECT_EQ(ini.ReadString("S", "d", ""), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, WriteDoubleTest,
                         ::testing::Values(DoubleCase{12.3015, "12.3015000000"},
                                           DoubleCase{0.0000001, "0.0000001000"},
                                           DoubleCase{1e-60, "0"},
                                           DoubleCase{-2.5, "-2.5000000000"},
                                           DoubleCase{123456789012.0, "123456789012.0000000000"}));

TEST(ReadDoubleTest, CommaOrPointOtherwiseDefault) {
    TSpecIniFile ini("");
    ini.WriteString("S", "comma", "2,5");
    ini.WriteString("S", "blanks", " -1.25e2 ");
    ini.WriteString("S", "bad", "2.5x");
    double d = 0;
    EXPECT_EQ(ini.ReadDouble("S", "comma", 9, d), 2.5);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(ini.ReadDouble("S", "blanks", 9, d), -125);
    EXPECT_EQ(ini.ReadDouble("S", "bad", 9, d), 9);
    EXPECT_EQ(ini.ReadDouble("S", "missing", 7, d), 7);
    EXPECT_EQ(d, 7);
    ini.WriteDouble("S", "back", 12.3015);
    EXPECT_EQ(ini.ReadDouble("S", "back", 0, d), 12.3015);
}

// ---- Arrays --------------------------------------------------------------------------------

TEST(ArrayTest, IntegerValuesBeyondTheTextKeepDefaults) {
    TSpecIniFile ini("");
    const std::array<std::int32_t, 3> three{1, -2, 3};
    ini.WriteArrayInteger("S", "a", three);
    EXPECT_EQ(ini.ReadString("S", "a", ""), "1,-2,3,");

    const std::array<std::int32_t, 5> defaults{10, 20, 30, 40, 50};
    std::array<std::int32_t, 5> five{};
    ini.ReadArrayInteger("S", "a", defaults, five);
    EXPECT_EQ(five, (std::array<std::int32_t, 5>{1, -2, 3, 40, 50}));

    std::array<std::int32_t, 2> two{};
    ini.ReadArrayInteger("S", "a", defaults, two);
    EXPECT_EQ(two, (std::array<std::int32_t, 2>{1, -2}));

    ini.ReadArrayInteger("S", "missing", defaults, five);
    EXPECT_EQ(five, defaults);
}

TEST(ArrayTest, WordsSplitAtBlanksAndCommasAndBadWordsKeepDefaults) {
    TSpecIniFile ini("");
    ini.WriteString("S", "a", " 7,,\t$10 x 0x20,");
    const std::array<std::int32_t, 5> defaults{1, 2, 3, 4, 5};
    std::array<std::int32_t, 5> values{};
    ini.ReadArrayInteger("S", "a", defaults, values);
    EXPECT_EQ(values, (std::array<std::int32_t, 5>{7, 16, 3, 32, 5}));

    // Reading into the defaults themselves works too.
    std::array<std::int32_t, 5> same{1, 2, 3, 4, 5};
    ini.ReadArrayInteger("S", "a", same, same);
    EXPECT_EQ(same, values);

    // Elements beyond the defaults keep what they held when their word does not convert.
    std::array<std::int32_t, 4> longer{0, 0, 99, 0};
    ini.ReadArrayInteger("S", "a", std::array<std::int32_t, 1>{-1}, longer);
    EXPECT_EQ(longer, (std::array<std::int32_t, 4>{7, 16, 99, 32}));
}

TEST(ArrayTest, NarrowKindsKeepTheLowBits) {
    TSpecIniFile ini("");
    ini.WriteString("S", "a", "300,-1,200,70000,");
    std::array<std::uint8_t, 4> bytes{};
    ini.ReadArrayByte("S", "a", std::array<std::uint8_t, 0>{}, bytes);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{44, 255, 200, 112}));
    std::array<std::int8_t, 4> shorts{};
    ini.ReadArrayShortInt("S", "a", std::array<std::int8_t, 0>{}, shorts);
    EXPECT_EQ(shorts, (std::array<std::int8_t, 4>{44, -1, -56, 112}));
    std::array<std::uint16_t, 4> words{};
    ini.ReadArrayWord("S", "a", std::array<std::uint16_t, 0>{}, words);
    EXPECT_EQ(words, (std::array<std::uint16_t, 4>{300, 65535, 200, 4464}));

    ini.WriteArrayByte("S", "b", std::array<std::uint8_t, 2>{0, 255});
    ini.WriteArrayShortInt("S", "s", std::array<std::int8_t, 2>{-128, 127});
    ini.WriteArrayWord("S", "w", std::array<std::uint16_t, 2>{0, 65535});
    EXPECT_EQ(ini.ReadString("S", "b", ""), "0,255,");
    EXPECT_EQ(ini.ReadString("S", "s", ""), "-128,127,");
    EXPECT_EQ(ini.ReadString("S", "w", ""), "0,65535,");
}

TEST(ArrayTest, NoElementLimit) {
    TSpecIniFile ini("");
    std::vector<std::uint16_t> words(70000);
    std::iota(words.begin(), words.end(), std::uint16_t{0});  // wraps past 65535
    ini.WriteArrayWord("S", "w", words);
    std::vector<std::uint16_t> back(words.size());
    ini.ReadArrayWord("S", "w", std::vector<std::uint16_t>{}, back);
    EXPECT_EQ(back, words);

    std::vector<std::uint8_t> bytes(1000, 7);
    ini.WriteArrayByte("S", "b", bytes);
    std::vector<std::uint8_t> bytesBack(1000);
    ini.ReadArrayByte("S", "b", std::vector<std::uint8_t>{}, bytesBack);
    EXPECT_EQ(bytesBack, bytes);
}

TEST(ArrayTest, DoublesUsePointOnEveryLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "");  // a comma locale when the test command sets one
    TSpecIniFile ini("");
    ini.WriteArrayDouble("S", "d", std::array<double, 4>{1.5, 2, 0.25, 1e-5});
    EXPECT_EQ(ini.ReadString("S", "d", ""), "1.5;2;0.25;1E-5;");

    std::array<double, 5> back{};
    ini.ReadArrayDouble("S", "d", std::array<double, 5>{9, 9, 9, 9, 9}, back);
    EXPECT_EQ(back, (std::array<double, 5>{1.5, 2, 0.25, 1e-5, 9}));

    // Words that do not convert keep their defaults; a comma still reads as the point.
    ini.WriteString("S", "e", "x;1,5 ;; 1e999;-3");
    std::array<double, 4> mixed{};
    ini.ReadArrayDouble("S", "e", std::array<double, 4>{7, 7, 7, 7}, mixed);
    EXPECT_EQ(mixed, (std::array<double, 4>{7, 1.5, 7, -3}));
    std::setlocale(LC_ALL, previous.c_str());
}

// ---- Sets ----------------------------------------------------------------------------------

TEST(SetTest, ByteSetSkips255) {
    TSpecIniFile ini("");
    TByteSet set;
    set.set(200).set(3).set(7).set(255);
    ini.WriteByteSet("S", "b", set);
    EXPECT_EQ(ini.ReadString("S", "b", ""), "3,7,200,255,");
    TByteSet back;
    back.set(1);
    ini.ReadByteSet("S", "b", back);
    set.reset(255);
    EXPECT_EQ(back, set);

    ini.WriteByteSet("S", "empty", TByteSet());
    EXPECT_EQ(ini.ReadString("S", "empty", "-"), "");
    ini.WriteString("S", "odd", "x,-1,256,511, 4\t$a,");
    ini.ReadByteSet("S", "odd", back);
    EXPECT_EQ(back, TByteSet().set(0).set(4).set(10));
    ini.ReadByteSet("S", "missing", back);
    EXPECT_TRUE(back.none());
}

TEST(SetTest, MiniSetEmptyIsStarAndMissingIsDefault) {
    TSpecIniFile ini("");
    const TByteSet fallback = TByteSet().set(5);
    ini.WriteMiniSet("S", "m", TByteSet());
    EXPECT_EQ(ini.ReadString("S", "m", ""), "*");
    TByteSet back;
    ini.ReadMiniSet("S", "m", fallback, back);
    EXPECT_TRUE(back.none());
    ini.ReadMiniSet("S", "missing", fallback, back);
    EXPECT_EQ(back, fallback);
    ini.WriteString("S", "blank", "");
    ini.ReadMiniSet("S", "blank", fallback, back);
    EXPECT_EQ(back, fallback);
    ini.WriteMiniSet("S", "m", TByteSet().set(1).set(2));
    EXPECT_EQ(ini.ReadString("S", "m", ""), "1,2,");
    ini.ReadMiniSet("S", "m", fallback, back);
    EXPECT_EQ(back, TByteSet().set(1).set(2));
}

// ---- Lists of lines ------------------------------------------------------------------------

TEST(StringsTest, EmptyLinesDoNotComeBack) {
    TSpecIniFile ini("");
    ini.WriteStrings("S", "l", Lines{"first", "", "sec ond"}, '~');
    EXPECT_EQ(ini.ReadString("S", "l", ""), "~first~~sec ond");
    Lines back{"old"};
    ini.ReadStrings("S", "l", back, '~');
    EXPECT_EQ(back, (Lines{"first", "sec ond"}));

    ini.WriteString("S", "m", "~a~~b");
    ini.ReadStrings("S", "m", back, '~');
    EXPECT_EQ(back, (Lines{"a", "b"}));
    ini.ReadStrings("S", "missing", back, '~');
    EXPECT_TRUE(back.empty());

    // A line break inside a line cannot split the value in the file.
    ini.WriteStrings("S", "n", Lines{"a\r\nb", "c"}, '|');
    ini.ReadStrings("S", "n", back, '|');
    EXPECT_EQ(back, (Lines{"a  b", "c"}));
}

// ---- Clearing ------------------------------------------------------------------------------

class ClearTest : public IniTestFolder {};

TEST_F(ClearTest, SelectedClearErasesByPrefix) {
    const std::string longName = "W_" + std::string(300, 'x');
    const std::string path = Put("d.ini",
                                 "[W_0]\nEdit1=IBM\n[FORM_0]\nW=10\nX=[W_1]\n[W_1]\na=1\n"
                                 "[w_2]\na=2\n[OPTIONS]\nCOUNT=2\n[" +
                                     longName + "]\nk=v\n");
    {
        TSpecIniFile ini(path);
        ini.SelectedClear("W_");
        Lines names;
        ini.ReadSections(names);
        EXPECT_EQ(names.size(), 6u);  // erased sections keep their place
    }
    EXPECT_EQ(
        Get("d.ini"),
        "[FORM_0]\r\nW=10\r\nX=[W_1]\r\n\r\n[w_2]\r\na=2\r\n\r\n[OPTIONS]\r\nCOUNT=2\r\n\r\n");
}

TEST_F(ClearTest, ClearEmptiesTheFile) {
    const std::string path = Put("d.ini", "[A]\nx=[B]\n[B]\ny=1\n[]\nz=2\n");
    {
        TSpecIniFile ini(path);
        ini.Clear();
        EXPECT_TRUE(ini.HasChanged());
    }
    EXPECT_EQ(Get("d.ini"), "");
    TSpecIniFile again(path);
    again.Clear();  // nothing held: no change
    again.SelectedClear("");
    EXPECT_FALSE(again.HasChanged());
}

}  // namespace
}  // namespace vela
