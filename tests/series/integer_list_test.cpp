#include "series/integer_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "series/list_builders.h"
#include "series/list_error.h"

namespace vela {
namespace {

using test::ItemsOf;
using test::MakeIntegerList;
using ::testing::ElementsAre;

TEST(IntegerList, EditingAndConstruction) {
    TVegaIntegerList list;
    EXPECT_EQ(list.Add(4), 0);
    EXPECT_EQ(list.Add(6), 1);
    list.Insert(1, 5);
    list.Insert(3, 7);
    EXPECT_THAT(ItemsOf(list), ElementsAre(4, 5, 6, 7));
    list.Delete(0);
    list.SetItem(0, -5);
    EXPECT_THAT(ItemsOf(list), ElementsAre(-5, 6, 7));
    EXPECT_THAT(ItemsOf(TVegaIntegerList::Create1(list)), ElementsAre(-5, 6, 7));
    EXPECT_THAT(ItemsOf(TVegaIntegerList::Create10(2, 9)), ElementsAre(9, 9));
    EXPECT_EQ(TVegaIntegerList::Create10(-3, 9).Count(), 0);
    list.Fill(1);
    EXPECT_THAT(ItemsOf(list), ElementsAre(1, 1, 1));
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(IntegerList, PositionsOutsideTheListRaiseTheIndexError) {
    TVegaIntegerList list = MakeIntegerList({1, 2});
    EXPECT_THROW(list.GetItem(2), ListIndexError);
    EXPECT_THROW(list.GetItem(-1), ListIndexError);
    EXPECT_THROW(list.SetItem(INT_MAX, 0), ListIndexError);
    EXPECT_THROW(list.Delete(2), ListIndexError);
    EXPECT_THROW(list.Insert(3, 0), ListIndexError);
    EXPECT_THROW(list.Insert(INT_MIN, 0), ListIndexError);
    EXPECT_THAT(ItemsOf(list), ElementsAre(1, 2));
    try {
        list.GetItem(7);
    } catch (const ListIndexError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (7)");
    }
}

TEST(IntegerList, SortAndSearch) {
    TVegaIntegerList list = MakeIntegerList({3, INT_MIN, 3, INT_MAX, 0});
    list.Range(-1);
    EXPECT_THAT(ItemsOf(list), ElementsAre(INT_MIN, 0, 3, 3, INT_MAX));
    list.Range(1);
    EXPECT_THAT(ItemsOf(list), ElementsAre(INT_MAX, 3, 3, 0, INT_MIN));
    list.Range(-2);
    EXPECT_THAT(ItemsOf(list), ElementsAre(INT_MAX, 3, 3, 0, INT_MIN));

    EXPECT_EQ(list.IndexOf(3), 1);
    EXPECT_EQ(list.IndexOf(4), -1);
    EXPECT_EQ(list.PresentsAmount(3), 2);
    EXPECT_EQ(list.PresentsAmount(4), 0);
    EXPECT_TRUE(list.PresentNear(5, 2));
    EXPECT_FALSE(list.PresentNear(6, 2));
    // Distances beyond 32 bits do not wrap into a near match.
    EXPECT_FALSE(MakeIntegerList({INT_MAX}).PresentNear(INT_MIN, 1));
    EXPECT_FALSE(MakeIntegerList({INT_MAX}).PresentNear(INT_MIN, INT_MAX));
    EXPECT_TRUE(MakeIntegerList({-1}).PresentNear(INT_MAX - 1, INT_MAX));
}

TEST(IntegerList, InitFromStringReadsNumbersAndRanges) {
    struct Case {
        const char* text;
        std::vector<std::int32_t> expected;
    } cases[] = {
        {"1, 3;5..9..2 12..10", {1, 3, 5, 7, 9, 10, 11, 12}},
        {"-1000000000 4", {4}},
        {"3.. ..5 x 1.5 ..", {}},
        {"9..5", {5, 6, 7, 8, 9}},
        {"-3..-1", {-3, -2, -1}},
        {"1..7..-3", {1, 4, 7}},
        {"1..7..x", {1, 2, 3, 4, 5, 6, 7}},
        {"1...3", {1, 2, 3}},  // a run of points is one separator
        {"-1000000000..2 2..-1000000000", {}},
        {"$10..$12 0x1", {16, 17, 18, 1}},
        {"2147483645..2147483647", {2147483645, 2147483646, 2147483647}},
        {"-2147483648..-2147483647", {INT_MIN, INT_MIN + 1}},
        {"-2147483648..2147483647..2147483647", {INT_MIN, -1, INT_MAX - 1}},
        {"2147483648 5", {5}},
        {"", {}},
    };
    TVegaIntegerList list = MakeIntegerList({99});
    for (const auto& c : cases) {
        list.InitFromString(c.text);
        EXPECT_EQ(ItemsOf(list), c.expected) << c.text;
    }
}

TEST(IntegerList, InitFromStringLimitsOneRangeToAMillionValues) {
    TVegaIntegerList list;
    list.InitFromString("-2147483647..2147483647 5");
    ASSERT_EQ(list.Count(), 1000001);
    EXPECT_EQ(list.GetItem(0), -2147483647);
    EXPECT_EQ(list.GetItem(999999), -2147483647 + 999999);
    EXPECT_EQ(list.GetItem(1000000), 5);
    list.InitFromString("1..1000000");
    EXPECT_EQ(list.Count(), 1000000);
    EXPECT_EQ(list.GetItem(999999), 1000000);
}

TEST(IntegerList, InitFromStringRaisesOnAZeroStepAndKeepsWhatCameBefore) {
    TVegaIntegerList list;
    EXPECT_THROW(list.InitFromString("1 2..3 4..6..0 7"), ListDivisionByZeroError);
    EXPECT_THAT(ItemsOf(list), ElementsAre(1, 2, 3));
    // Invalid bounds end the word before the step is looked at.
    list.InitFromString("x..6..0 8");
    EXPECT_THAT(ItemsOf(list), ElementsAre(8));
}

}  // namespace
}  // namespace vela
