#include "series/double_and_int_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "series/list_builders.h"
#include "series/list_error.h"

namespace vela {
namespace {

using test::MakeIntegerList;

using Item = std::tuple<double, std::int32_t, std::int32_t>;

std::vector<Item> ItemsOf(const TVegaDoubleAndIntList& list) {
    std::vector<Item> items;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        const TDoubleAndInt x = list.GetItem(i);
        items.emplace_back(x.vd, x.vi, x.vj);
    }
    return items;
}

class DoubleAndIntListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // vj numbers the items so that stability shows.
        list_.Add(2, 10, 0);
        list_.Add(-3, 11, 1);
        list_.Add(2, 9, 2);
        list_.Add(1, 11, 3);
        list_.Add(3, 8, 4);
    }
    TVegaDoubleAndIntList list_;
};

TEST_F(DoubleAndIntListTest, ReadsSearchesAndClears) {
    EXPECT_EQ(list_.Count(), 5);
    const TDoubleAndInt item = list_.GetItem(1);
    EXPECT_EQ(item.vd, -3);
    EXPECT_EQ(item.vi, 11);
    EXPECT_EQ(item.vj, 1);
    EXPECT_EQ(list_.IndexOf(11), 1);
    EXPECT_EQ(list_.IndexOf(12), -1);
    EXPECT_THROW(list_.GetItem(5), ListIndexError);
    EXPECT_THROW(list_.GetItem(-1), ListIndexError);
    list_.Clear();
    EXPECT_EQ(list_.Count(), 0);
}

TEST_F(DoubleAndIntListTest, SortsAreStable) {
    list_.Range(-1, 0);
    EXPECT_EQ(ItemsOf(list_),
              (std::vector<Item>{{-3, 11, 1}, {1, 11, 3}, {2, 10, 0}, {2, 9, 2}, {3, 8, 4}}));
    list_.Range(1, 1);
    EXPECT_EQ(ItemsOf(list_),
              (std::vector<Item>{{-3, 11, 1}, {1, 11, 3}, {2, 10, 0}, {2, 9, 2}, {3, 8, 4}}));
    list_.Range(-1, 1);
    EXPECT_EQ(ItemsOf(list_),
              (std::vector<Item>{{3, 8, 4}, {2, 9, 2}, {2, 10, 0}, {-3, 11, 1}, {1, 11, 3}}));
    list_.RangeAbs(1);
    EXPECT_EQ(ItemsOf(list_),
              (std::vector<Item>{{3, 8, 4}, {-3, 11, 1}, {2, 9, 2}, {2, 10, 0}, {1, 11, 3}}));
    list_.RangeAbs(-1);
    EXPECT_EQ(ItemsOf(list_),
              (std::vector<Item>{{1, 11, 3}, {2, 9, 2}, {2, 10, 0}, {3, 8, 4}, {-3, 11, 1}}));
    list_.Range(1, 0);
    EXPECT_EQ(ItemsOf(list_),
              (std::vector<Item>{{3, 8, 4}, {2, 9, 2}, {2, 10, 0}, {1, 11, 3}, {-3, 11, 1}}));
}

TEST_F(DoubleAndIntListTest, OtherDirectionsOrFieldsDoNothing) {
    const auto before = ItemsOf(list_);
    list_.Range(0, 0);
    list_.Range(2, 1);
    list_.Range(-1, 2);
    list_.Range(1, 255);
    list_.RangeAbs(0);
    EXPECT_EQ(ItemsOf(list_), before);
}

// A NaN value is never exchanged, so nothing passes it.
TEST(DoubleAndIntList, ANaNValueStaysInPlace) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TVegaDoubleAndIntList list;
    list.Add(5, 0, 0);
    list.Add(1, 1, 0);
    list.Add(nan, 2, 0);
    list.Add(-7, 3, 0);
    list.Add(-9, 4, 0);
    list.RangeAbs(-1);
    std::vector<std::int32_t> order;
    for (std::int32_t i = 0; i < list.Count(); ++i) order.push_back(list.GetItem(i).vi);
    EXPECT_EQ(order, (std::vector<std::int32_t>{1, 0, 2, 3, 4}));
}

TEST_F(DoubleAndIntListTest, DeleteLTakesPositionsFromBeforeTheCall) {
    list_.DeleteL(MakeIntegerList({3, 0, 3, 9}));
    EXPECT_EQ(ItemsOf(list_), (std::vector<Item>{{-3, 11, 1}, {2, 9, 2}, {3, 8, 4}}));
    EXPECT_THROW(list_.DeleteL(MakeIntegerList({2, INT_MIN, 0})), ListIndexError);
    EXPECT_EQ(ItemsOf(list_), (std::vector<Item>{{-3, 11, 1}, {2, 9, 2}}));
}

}  // namespace
}  // namespace vela
