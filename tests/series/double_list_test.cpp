#include "series/double_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/pseudo_random.h"
#include "series/list_builders.h"
#include "series/list_error.h"

namespace vela {
namespace {

using test::ItemsOf;
using test::MakeDoubleList;
using test::MakeIntegerList;
using ::testing::ElementsAre;

constexpr double kNull = kNullValue;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

using test::ExpectIndexError;

TEST(DoubleList, ConstructorsSetTheirFields) {
    int owner = 0;
    TVegaDoubleList a;
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.UserV1, kNull);
    EXPECT_EQ(a.Tag, 0);
    EXPECT_EQ(a.PP, nullptr);

    TVegaDoubleList source = MakeDoubleList({1, kNull, 3});
    source.PP = &owner;
    source.UserV2 = 7;
    source.Tag = 4;
    const TVegaDoubleList copy = TVegaDoubleList::Create1(source);
    EXPECT_EQ(ItemsOf(copy), ItemsOf(source));
    EXPECT_EQ(copy.PP, &owner);
    EXPECT_EQ(copy.UserV1, 0);
    EXPECT_EQ(copy.UserV2, 0);
    EXPECT_EQ(copy.Tag, 0);

    EXPECT_THAT(ItemsOf(TVegaDoubleList::Create10(3, -2)), ElementsAre(-2, -2, -2));
    EXPECT_EQ(TVegaDoubleList::Create10(0, 5).Count(), 0);
    EXPECT_EQ(TVegaDoubleList::Create10(INT_MIN, 5).Count(), 0);
    EXPECT_EQ(TVegaDoubleList::Create10(2, 5).UserV1, 0);
}

TEST(DoubleList, AddReturnsTheNewPositionAndInsertPlacesTheItem) {
    TVegaDoubleList list;
    EXPECT_EQ(list.Add(5), 0);
    EXPECT_EQ(list.Add(kNull), 1);
    list.Insert(0, 1);
    list.Insert(3, 9);  // Count is a valid insert position
    list.Insert(2, 7);
    EXPECT_THAT(ItemsOf(list), ElementsAre(1, 5, 7, kNull, 9));
    list.SetItem(4, 2);
    list.Delete(0);
    EXPECT_THAT(ItemsOf(list), ElementsAre(5, 7, kNull, 2));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

// Every position the caller gives is checked, and a failing step changes nothing.
TEST(DoubleList, PositionsOutsideTheListRaiseTheIndexError) {
    TVegaDoubleList list = MakeDoubleList({1, 2, 3});
    double lo = 0, hi = 0;
    struct Case {
        const char* what;
        std::int32_t index;
        std::function<void()> call;
    } cases[] = {
        {"GetItem -1", -1, [&] { list.GetItem(-1); }},
        {"GetItem Count", 3, [&] { list.GetItem(3); }},
        {"GetItem min", INT_MIN, [&] { list.GetItem(INT_MIN); }},
        {"operator[]", 3, [&] { (void)list[3]; }},
        {"SetItem", 3, [&] { list.SetItem(3, 0); }},
        {"SetItem max", INT_MAX, [&] { list.SetItem(INT_MAX, 0); }},
        {"Delete", -1, [&] { list.Delete(-1); }},
        {"Delete Count", 3, [&] { list.Delete(3); }},
        {"Insert past Count", 4, [&] { list.Insert(4, 0); }},
        {"Insert -1", -1, [&] { list.Insert(-1, 0); }},
        {"GetMinMax1 low", -1, [&] { list.GetMinMax1(-1, 2, lo, hi); }},
        {"GetMinMax1 high", 3, [&] { list.GetMinMax1(0, 3, lo, hi); }},
        {"GetMinMax1 max", 3, [&] { list.GetMinMax1(1, INT_MAX, lo, hi); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectIndexError(c.call, c.index);
        EXPECT_THAT(ItemsOf(list), ElementsAre(1, 2, 3));
    }
    // The items scanned before the bad position count.
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 3);

    TVegaDoubleList empty;
    ExpectIndexError([&] { empty.GetItem(0); }, 0);
    ExpectIndexError([&] { empty.Delete(0); }, 0);
    empty.Insert(0, 4);
    EXPECT_THAT(ItemsOf(empty), ElementsAre(4));
}

TEST(DoubleList, AddAsStackKeepsTheNewestFirstAndDropsAtMostOne) {
    TVegaDoubleList list = MakeDoubleList({1, 2, 3});
    list.AddAsStack(9, 3);
    EXPECT_THAT(ItemsOf(list), ElementsAre(9, 1, 2));
    list.AddAsStack(8, 10);
    EXPECT_THAT(ItemsOf(list), ElementsAre(8, 9, 1, 2));
    list.AddAsStack(7, 1);  // over the size by three: still only one removed
    EXPECT_THAT(ItemsOf(list), ElementsAre(7, 8, 9, 1));
    TVegaDoubleList empty;
    empty.AddAsStack(5, -1);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(DoubleList, DeleteLTakesPositionsFromBeforeTheCall) {
    TVegaDoubleList list = MakeDoubleList({10, 11, 12, 13, 14});
    list.DeleteL(MakeIntegerList({3, 0, 3, 9}));
    EXPECT_THAT(ItemsOf(list), ElementsAre(11, 12, 14));
    list.DeleteL(MakeIntegerList({}));
    EXPECT_THAT(ItemsOf(list), ElementsAre(11, 12, 14));
}

TEST(DoubleList, DeleteLWithANegativePositionRemovesWhatCameBeforeAndRaises) {
    TVegaDoubleList list = MakeDoubleList({10, 11, 12, 13, 14});
    ExpectIndexError([&] { list.DeleteL(MakeIntegerList({1, 3, -2, 0})); }, -2);
    // Positions 1 and 3 were processed before the error; 0 was not reached. No slot is left
    // empty.
    EXPECT_THAT(ItemsOf(list), ElementsAre(10, 12, 14));
}

TEST(DoubleList, ShiftArrayFillsWithNulls) {
    struct Case {
        std::int32_t shift;
        std::vector<double> expected;
    } cases[] = {
        {0, {1, 2, 3, 4}},
        {2, {3, 4, kNull, kNull}},
        {-1, {kNull, 1, 2, 3}},
        {4, {kNull, kNull, kNull, kNull}},
        {INT_MAX, {kNull, kNull, kNull, kNull}},
        {INT_MIN, {kNull, kNull, kNull, kNull}},
    };
    for (const auto& c : cases) {
        TVegaDoubleList list = MakeDoubleList({1, 2, 3, 4});
        list.ShiftArray(c.shift);
        EXPECT_EQ(ItemsOf(list), c.expected) << c.shift;
    }
}

TEST(DoubleList, FillInverseAndAssign) {
    TVegaDoubleList list = MakeDoubleList({1, 2, 3});
    list.Inverse();
    EXPECT_THAT(ItemsOf(list), ElementsAre(3, 2, 1));

    TVegaDoubleList target = MakeDoubleList({7});
    target.Tag = 5;
    target.AssignA(list);
    EXPECT_THAT(ItemsOf(target), ElementsAre(3, 2, 1));
    EXPECT_EQ(target.Tag, 5);
    // Assigning a list to itself keeps its items.
    target.AssignA(target);
    EXPECT_THAT(ItemsOf(target), ElementsAre(3, 2, 1));

    list.Fill(kNull);
    EXPECT_TRUE(list.Only_Null());
    EXPECT_TRUE(list.Only_Value(kNull));
    list.SetItem(1, 0);
    EXPECT_FALSE(list.Only_Null());
    EXPECT_TRUE(TVegaDoubleList().Only_Null());
    EXPECT_TRUE(TVegaDoubleList().Only_Value(3));
    EXPECT_FALSE(MakeDoubleList({kNaN}).Only_Value(kNaN));
}

TEST(DoubleList, SearchesCompareExactlyOrWithinDelta) {
    const TVegaDoubleList list = MakeDoubleList({5, 0.1 + 0.2, kNull, 5, 355});
    EXPECT_EQ(list.IndexOf(5), 0);
    EXPECT_EQ(list.IndexOf(kNull), 2);
    EXPECT_EQ(list.IndexOf(0.3), -1);  // exact equality only
    EXPECT_EQ(list.IndexOf(kNaN), -1);
    EXPECT_TRUE(list.PresentNear(7, 2));
    EXPECT_FALSE(list.PresentNear(7.5, 2));
    EXPECT_FALSE(list.PresentNear(7, kNaN));
    EXPECT_TRUE(list.PresentNear360(350, 5));
    EXPECT_FALSE(list.PresentNear360(350, 4));
    // Across north: 0.3 is 2.3 degrees from 358.
    EXPECT_TRUE(list.PresentNear360(358, 2.5));
    EXPECT_FALSE(list.PresentNear(358, 2.5));
    EXPECT_TRUE(list.PresentNear360(-5, 0));
    EXPECT_FALSE(TVegaDoubleList().PresentNear(0, 1e300));
}

TEST(DoubleList, RandomizeDrawsFromTheSharedGenerator) {
    TVegaDoubleList list = TVegaDoubleList::Create10(1000, 0);
    SeedPseudoRandom(42);
    list.Randomize(-2, 3);
    EXPECT_EQ(list.Count(), 1000);
    double lo = 0, hi = 0;
    list.GetMinMax(lo, hi);
    EXPECT_GE(lo, -2);
    EXPECT_LT(hi, 3);
    EXPECT_LT(lo, -1.9);
    EXPECT_GT(hi, 2.9);
    const std::vector<double> first = ItemsOf(list);
    SeedPseudoRandom(42);
    list.Randomize(-2, 3);
    EXPECT_EQ(ItemsOf(list), first);
    list.Randomize(-2, 3);
    EXPECT_NE(ItemsOf(list), first);
}

// The exchange sort the lists' order is defined by: passes over neighbour pairs, exchanging
// only strictly misordered pairs.
std::vector<double> ExchangeSorted(std::vector<double> v, bool ascending) {
    for (std::size_t pass = 0; pass < v.size(); ++pass)
        for (std::size_t i = 0; i + 1 < v.size(); ++i)
            if (ascending ? v[i] > v[i + 1] : v[i] < v[i + 1]) std::swap(v[i], v[i + 1]);
    return v;
}

// Bitwise equality, so that NaN positions and the sign of zero are compared too.
void ExpectSameBits(const std::vector<double>& a, const std::vector<double>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::isnan(a[i]) || std::isnan(b[i]))
            EXPECT_TRUE(std::isnan(a[i]) && std::isnan(b[i])) << i;
        else
            EXPECT_TRUE(a[i] == b[i] && std::signbit(a[i]) == std::signbit(b[i])) << i;
    }
}

TEST(DoubleList, RangeGivesTheExchangeSortOrder) {
    TVegaDoubleList list = MakeDoubleList({3, kNull, -1, 2, 0});
    list.Range(-1);
    EXPECT_THAT(ItemsOf(list), ElementsAre(-1, 0, 2, 3, kNull));
    list.Range(1);
    EXPECT_THAT(ItemsOf(list), ElementsAre(kNull, 3, 2, 0, -1));
    list.Range(0);
    list.Range(2);
    EXPECT_THAT(ItemsOf(list), ElementsAre(kNull, 3, 2, 0, -1));

    // Random lists with many ties, signed zeros, nulls, infinities and NaNs: a NaN never
    // moves and nothing passes it.
    std::mt19937 rng(7);
    const double pool[] = {
        0.0, -0.0, 1, 2, 2, -3, kNull, kNaN, std::numeric_limits<double>::infinity(), -1e300};
    for (int round = 0; round < 200; ++round) {
        std::vector<double> values(rng() % 12);
        for (double& v : values) v = pool[rng() % std::size(pool)];
        for (int dir : {-1, 1}) {
            TVegaDoubleList sorted;
            for (double v : values) sorted.Add(v);
            SCOPED_TRACE(sorted.ProfStr() + " direction " + std::to_string(dir));
            sorted.Range(static_cast<std::int8_t>(dir));
            ExpectSameBits(ItemsOf(sorted), ExchangeSorted(values, dir == -1));
        }
    }
}

TEST(DoubleList, MinMaxSkipNullsAndKeepTheStartPairWhenNothingQualifies) {
    double lo = 0, hi = 0;
    TVegaDoubleList().GetMinMax(lo, hi);
    EXPECT_EQ(lo, 1e300);
    EXPECT_EQ(hi, -1e300);
    MakeDoubleList({kNull, kNull}).GetMinMax(lo, hi);
    EXPECT_EQ(lo, 1e300);
    EXPECT_EQ(hi, -1e300);
    MakeDoubleList({kNull, 4, -2, kNaN, 7, kNull}).GetMinMax(lo, hi);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, 7);

    const TVegaDoubleList list = MakeDoubleList({5, kNull, 3, 9, 1});
    list.GetMinMax1(1, 3, lo, hi);
    EXPECT_EQ(lo, 3);
    EXPECT_EQ(hi, 9);
    list.GetMinMax1(3, 1, lo, hi);  // empty span: no error, start pair
    EXPECT_EQ(lo, 1e300);
    EXPECT_EQ(hi, -1e300);
    list.GetMinMax1(INT_MAX, INT_MIN, lo, hi);
    EXPECT_GT(lo, hi);

    list.GetMinMaxWithNull(lo, hi, 9);  // the given null, not 1e10, is skipped
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, kNull);
}

TEST(DoubleList, GetMinMax1RescaledTakesTheTimeWindowInEitherOrder) {
    const TVegaDoubleList values = MakeDoubleList({10, 20, kNull, 40, 50, 60});
    const TVegaDoubleList times = MakeDoubleList({1, 2, 3, 4, 5});  // shorter than the values
    struct Case {
        double tmin, tmax, lo, hi;
    } cases[] = {
        {2, 4, 20, 40},   {4, 2, 20, 40},        {5, 5, 50, 50},
        {0, 100, 10, 50}, {6, 9, 1e300, -1e300}, {kNaN, 3, 1e300, -1e300},
    };
    for (const auto& c : cases) {
        double lo = 0, hi = 0;
        values.GetMinMax1Rescaled(c.tmin, c.tmax, times, lo, hi);
        EXPECT_EQ(lo, c.lo) << c.tmin << ".." << c.tmax;
        EXPECT_EQ(hi, c.hi) << c.tmin << ".." << c.tmax;
    }
}

TEST(DoubleList, GetMinMaxIndexCountsNullsAsNumbers) {
    std::int32_t imin = 0, imax = 0;
    TVegaDoubleList().GetMinMaxIndex(imin, imax);
    EXPECT_EQ(imin, -1);
    EXPECT_EQ(imax, -1);
    MakeDoubleList({5, kNull, 3}).GetMinMaxIndex(imin, imax);
    EXPECT_EQ(imin, 2);
    EXPECT_EQ(imax, 1);
    MakeDoubleList({2, 1, 4, 1, 4}).GetMinMaxIndex(imin, imax);  // ties keep the first
    EXPECT_EQ(imin, 1);
    EXPECT_EQ(imax, 2);
    MakeDoubleList({kNaN, 2e300}).GetMinMaxIndex(imin, imax);  // beyond the start value
    EXPECT_EQ(imin, -1);
    EXPECT_EQ(imax, 1);
}

TEST(DoubleList, GetMinMaxWithNullSpanClampsItsBounds) {
    const TVegaDoubleList list = MakeDoubleList({4, 1, 0, 8});
    struct Case {
        std::int32_t from, to;
        double lo, hi;
    } cases[] = {
        {-5, 2, 1, 4},  {7, 9, 8, 8}, {1, 1, 1, 1}, {2, 1, 1e300, -1e300}, {INT_MIN, INT_MAX, 1, 8},
        {-9, -3, 4, 4},
    };
    for (const auto& c : cases) {
        double lo = 0, hi = 0;
        list.GetMinMaxWithNullSpan(lo, hi, 0, c.from, c.to);  // 0 plays the null here
        EXPECT_EQ(lo, c.lo) << c.from << ".." << c.to;
        EXPECT_EQ(hi, c.hi) << c.from << ".." << c.to;
    }
    double lo = 0, hi = 0;
    TVegaDoubleList().GetMinMaxWithNullSpan(lo, hi, kNull, 0, 5);
    EXPECT_GT(lo, hi);
}

TEST(DoubleList, ProfStrWritesEachItemWithATrailingSpace) {
    EXPECT_EQ(TVegaDoubleList().ProfStr(), "");
    EXPECT_EQ(MakeDoubleList({1.5}).ProfStr(), "1.5 ");
    EXPECT_EQ(MakeDoubleList({0, -2, kNull}).ProfStr(), "0.0 -2.0 10000000000.0 ");
}

TEST(DoubleList, TextFormsRoundTrip) {
    const TVegaDoubleList list =
        MakeDoubleList({1.5, -2.25, kNull, 0, 123456.78901, 0.000012345, -1e-7, 1e300, 3});
    TVegaDoubleList back;
    EXPECT_EQ(back.FromProfStr(list.ProfStr()), list.Count());
    EXPECT_EQ(ItemsOf(back), ItemsOf(list));

    // Values with more decimals than RealToText keeps come back to its precision.
    const TVegaDoubleList fine = MakeDoubleList({1.23456789, 0.1234567891});
    back.FromProfStr(fine.ProfStr());
    EXPECT_THAT(ItemsOf(back), ElementsAre(1.23457, 0.123457));
}

TEST(DoubleList, FromProfStrSkipsWordsThatAreNotNumbers) {
    TVegaDoubleList list = MakeDoubleList({9, 9});
    EXPECT_EQ(list.FromProfStr("1,5; 2.5 x 3"), 3);
    EXPECT_THAT(ItemsOf(list), ElementsAre(1.5, 2.5, 3));
    EXPECT_EQ(list.FromProfStr(";;  ;"), 0);
    EXPECT_EQ(list.FromProfStr("1e400 -4E-2 1,2,3 1,5.0 .5 5. \t7"), 3);
    EXPECT_THAT(ItemsOf(list), ElementsAre(-0.04, 0.5, 5));
}

TEST(DoubleList, FromProfStrMatrixReadsOneColumnOfEachRow) {
    TVegaDoubleList list;
    struct Case {
        const char* text;
        std::int32_t column;
        std::vector<double> expected;
    } cases[] = {
        {"(1,2,3)(4,5,6)", 1, {2, 5}},
        {"(1,2,3) (4,5,6)", 0, {1, 4}},
        {"(1, 2,3)\n(4,,5)", 1, {2, 5}},  // runs of commas separate one column
        {"(1,2)(3)(4,x)(5,6)", 1, {2, 6}},
        {"(1,2)(3,4)", 2, {}},
        {"(1,2)(3,4)", -1, {}},
        {"(1,2)(3,4)", INT_MAX, {}},
        {"1,2", 1, {2}},  // text without parentheses is one row
        {"", 0, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.FromProfStrMatrix(c.text, c.column), static_cast<int>(c.expected.size()))
            << c.text;
        EXPECT_EQ(ItemsOf(list), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace vela
