#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "series/double_list.h"
#include "series/integer_list.h"
#include "series/list_builders.h"
#include "series/list_error.h"

namespace vela {
namespace {

using test::ItemsOf;
using test::MakeDoubleList;
using ::testing::ElementsAre;

constexpr double kNull = kNullValue;

// Random walks with nulls here and there, and plateaus from rounding to a coarse tick.
TVegaDoubleList RandomWalk(int n, unsigned seed, double tick) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_int_distribution<int> gap(0, 23);
    TVegaDoubleList list;
    double price = 100;
    for (int i = 0; i < n; ++i) {
        price += step(rng);
        list.Add(gap(rng) == 0 ? kNull : std::round(price / tick) * tick);
    }
    return list;
}

// The turning-point search read literally: neighbour searches walk the copy, and the copy is
// nulled before the first mark.
std::vector<std::int32_t> PlainWavePoints(const TVegaDoubleList& list, double delta) {
    std::vector<double> y = ItemsOf(list);
    const int n = static_cast<int>(y.size());
    auto prev = [&](int i) {
        for (int j = i - 2; j >= 0; --j)
            if (y[j] != kNull) return j;
        return -1;
    };
    auto next = [&](int i) {
        for (int j = i + 2; j < n; ++j)
            if (y[j] != kNull) return j;
        return -1;
    };
    auto trough = [&](int i) {
        if (y[i] == kNull || prev(i) < 0 || next(i) < 0) return false;
        if (!(y[prev(i)] > y[i] && y[next(i)] >= y[i])) return false;
        for (int j = i + 1; j < n; ++j) {
            if (y[j] == kNull) continue;
            if (y[j] < y[i]) return false;
            if (prev(j) < 0 || next(j) < 0) return false;
            if (y[prev(j)] < y[j] && y[next(j)] <= y[j] && y[j] > y[i] + delta) return true;
        }
        return false;
    };
    auto peak = [&](int i) {
        if (y[i] == kNull || prev(i) < 0 || next(i) < 0) return false;
        if (!(y[prev(i)] < y[i] && y[next(i)] <= y[i])) return false;
        for (int j = i + 1; j < n; ++j) {
            if (y[j] == kNull) continue;
            if (y[j] > y[i]) return false;
            if (prev(j) < 0 || next(j) < 0) return false;
            if (y[prev(j)] > y[j] && y[next(j)] >= y[j] && y[j] < y[i] + delta) return true;
        }
        return false;
    };
    std::vector<std::int32_t> marks(n, 0);
    int state = 0;
    bool marked = false;
    auto mark = [&](int i, int m) {
        marks[i] = m;
        state = m;
        if (!marked)
            for (int j = 0; j < i; ++j) y[j] = kNull;
        marked = true;
    };
    for (int i = 0; i < n; ++i) {
        if (state != -1 && trough(i)) mark(i, -1);
        if (state != 1 && peak(i)) mark(i, 1);
    }
    return marks;
}

// The signal search read literally, each test walking back to the previous signal.
std::vector<std::int32_t> PlainSignals(const TVegaDoubleList& list, int imin, int imax,
                                       double swing) {
    std::vector<std::int32_t> marks(list.Count(), 0);
    int b = -1;
    for (int i = imin; i < list.Count() && b < 0; ++i)
        if (list.This_Buy_Point(imin, i, swing)) b = i;
    if (b == -1 || b > imax) return marks;
    marks[b] = -1;
    bool sell = true;
    for (int it = b + 1; it <= imax; ++it) {
        if (sell && list.This_Sell_Point(b, it, swing)) {
            marks[it] = 1;
            b = it;
            sell = false;
        } else if (!sell && list.This_Buy_Point(b, it, swing)) {
            marks[it] = -1;
            b = it;
            sell = true;
        }
    }
    return marks;
}

TEST(WavePointsTest, AlternatingTroughsAndPeaks) {
    TVegaIntegerList marks = test::MakeIntegerList({7});
    // The trough at 2 is confirmed by the maximum 6 at 3, the peak 9 by the minimum 2 at 6,
    // which the maximum 8 confirms in turn; the peak 8 has no minimum with neighbours after it.
    const TVegaDoubleList list = MakeDoubleList({5, 4, 3, 6, 9, 5, 2, 4, 8, 7, 7, 7});
    list.GetFilteredWavePoints(1, 0, 0, marks);
    EXPECT_THAT(ItemsOf(marks), ElementsAre(0, 0, -1, 0, 1, 0, -1, 0, 0, 0, 0, 0));
    EXPECT_EQ(ItemsOf(marks), PlainWavePoints(list, 1));
    EXPECT_EQ(marks.Count(), list.Count());

    TVegaDoubleList empty;
    EXPECT_THROW(empty.GetFilteredWavePoints(1, 0, 0, marks), ListIndexError);
}

TEST(WavePointsTest, SameAsThePlainReading) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const TVegaDoubleList list = RandomWalk(600, seed, seed % 2 == 0 ? 1.0 : 0.01);
        for (double delta : {-1.0, 0.0, 2.0, 5.0, 30.0}) {
            TVegaIntegerList marks;
            list.GetFilteredWavePoints(delta, 3, 3, marks);
            EXPECT_EQ(ItemsOf(marks), PlainWavePoints(list, delta))
                << "seed " << seed << " delta " << delta;
            EXPECT_GT(marks.PresentsAmount(1), 0) << "seed " << seed << " delta " << delta;
        }
    }
}

TEST(BuySellTest, PointTests) {
    const TVegaDoubleList list = MakeDoubleList({5, 3, kNull, 6, 4, 7, 2});
    struct Case {
        bool buy;
        int prev;
        int it;
        double swing;
        bool expected;
    };
    const std::vector<Case> cases = {
        {true, 0, 1, 2, true},    // 3 is the lowest since 0 and 6 >= 5 follows
        {true, 0, 1, 5, false},   // 2 falls below 3 before anything reaches 8
        {true, 0, 2, 2, false},   // null
        {true, 0, 4, 1, false},   // 3 before it is lower
        {true, 4, 4, 3, true},    // 7 >= 4 + 3
        {true, 0, 6, 1, false},   // nothing follows
        {false, 1, 3, 2, true},   // 6 is the highest since 1, 4 <= 4 follows
        {false, 0, 4, 1, false},  // 5 and 6 before it are higher
        {false, 3, 5, 5, true},   // 2 <= 7 - 5
        {false, 3, 5, 6, false},
    };
    for (const Case& c : cases) {
        const bool got = c.buy ? list.This_Buy_Point(c.prev, c.it, c.swing)
                               : list.This_Sell_Point(c.prev, c.it, c.swing);
        EXPECT_EQ(got, c.expected) << c.buy << " " << c.prev << " " << c.it << " " << c.swing;
    }
    EXPECT_THROW(list.This_Buy_Point(0, 7, 1), ListIndexError);
    EXPECT_EQ(list.Find_Enter_Point(0, 2), 1);
    EXPECT_EQ(list.Find_Enter_Point(7, 2), -1);
    EXPECT_EQ(list.Find_Enter_Point(0, 10), -1);
}

TEST(BuySellTest, WorkedExample) {
    const TVegaDoubleList list = MakeDoubleList({5, 3, 6, 4, 7, 2});
    TVegaIntegerList signals = test::MakeIntegerList({1, 1});
    list.Find_Buy_Sell_Signals(0, 5, 2, signals);
    EXPECT_THAT(ItemsOf(signals), ElementsAre(0, -1, 1, -1, 1, 0));
    list.Find_Buy_Sell_Signals(0, 0, 2, signals);  // the entry lies past imax
    EXPECT_THAT(ItemsOf(signals), ElementsAre(0, 0, 0, 0, 0, 0));
    EXPECT_THROW(list.Find_Buy_Sell_Signals(0, 9, 2, signals), ListIndexError);
}

TEST(BuySellTest, FlatStretchesAsInThePlainReading) {
    // Long runs of one price, with nulls inside some of them.
    TVegaDoubleList steps;
    const std::vector<double> levels = {100, 103, 103, 99, 99, 104, 101, 101, 107, 96};
    for (std::size_t k = 0; k < levels.size(); ++k)
        for (int i = 0; i < 40; ++i) steps.Add(k % 3 == 1 && i % 7 == 3 ? kNull : levels[k]);
    for (double swing : {0.0, 2.0, 4.0, 20.0}) {
        TVegaIntegerList signals;
        steps.Find_Buy_Sell_Signals(0, steps.Count() - 1, swing, signals);
        EXPECT_EQ(ItemsOf(signals), PlainSignals(steps, 0, steps.Count() - 1, swing))
            << "swing " << swing;
    }
}

TEST(BuySellTest, SameAsThePlainReading) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const TVegaDoubleList list = RandomWalk(500, seed, seed % 2 == 0 ? 1.0 : 0.01);
        for (double swing : {0.0, 1.0, 4.0, 9.0}) {
            for (auto [imin, imax] : {std::pair{0, 499}, std::pair{37, 300}}) {
                TVegaIntegerList signals;
                list.Find_Buy_Sell_Signals(imin, imax, swing, signals);
                EXPECT_EQ(ItemsOf(signals), PlainSignals(list, imin, imax, swing))
                    << "seed " << seed << " swing " << swing << " from " << imin;
                EXPECT_GT(signals.PresentsAmount(1), 0) << "seed " << seed << " swing " << swing;
            }
        }
    }
}

// Inversion read literally: a history kept with AddAsStack and judged with PlusMinusStat.
std::vector<double> PlainInversion(const TVegaDoubleList& list, int size, int min_error) {
    std::vector<double> out = ItemsOf(list);
    TVegaDoubleList history;
    double sign = 1;
    for (double& item : out) {
        history.AddAsStack(item, size);
        item *= sign;
        if (history.Count() == size) {
            std::int32_t plus = 0;
            std::int32_t minus = 0;
            history.PlusMinusStat(plus, minus);
            sign = minus >= min_error ? -1 : 1;
        }
    }
    return out;
}

TEST(SmartInversionTest, InvertsAfterLosingStretches) {
    TVegaDoubleList list = MakeDoubleList({-1, -1, 5, 5});
    list.DoSmartInversion(2, 1);
    EXPECT_THAT(ItemsOf(list), ElementsAre(-1, -1, -5, -5));

    TVegaDoubleList nulls = MakeDoubleList({-2, kNull, 3});
    nulls.DoSmartInversion(1, 1);
    EXPECT_THAT(ItemsOf(nulls), ElementsAre(-2, -kNull, 3));

    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int> result(-3, 3);
    TVegaDoubleList trades;
    for (int i = 0; i < 200; ++i) trades.Add(i % 31 == 5 ? kNull : result(rng));
    for (auto [size, min_error] : {std::pair{0, 0}, std::pair{0, 1}, std::pair{-2, 0},
                                   std::pair{1, 1}, std::pair{3, 2}, std::pair{7, 5}}) {
        TVegaDoubleList inverted = trades;
        inverted.DoSmartInversion(size, min_error);
        EXPECT_EQ(ItemsOf(inverted), PlainInversion(trades, size, min_error))
            << size << " " << min_error;
    }
}

TEST(SmartInversionTest, OptimizeKeepsTheFirstBestPair) {
    // Results that lose twice after every two gains: inverting after one loss in one result
    // gives the most positive items.
    const TVegaDoubleList trades = MakeDoubleList({1, 1, -1, -1, 1, 1, -1, -1, 1, 1, -1, -1});
    std::int32_t size = -5;
    std::int32_t min_error = -5;
    const double best = trades.OptimizeSmartInvesionParameters(3, size, min_error);
    double most = -1;
    std::int32_t best_size = 0;
    std::int32_t best_error = 0;
    for (int v = 1; v <= 3; ++v)
        for (int e = 1; e <= v; ++e) {
            TVegaDoubleList copy = trades;
            copy.DoSmartInversion(v, e);
            std::int32_t plus = 0;
            std::int32_t minus = 0;
            copy.PlusMinusStat(plus, minus);
            if (plus > most) most = plus, best_size = v, best_error = e;
        }
    EXPECT_EQ(best, most);
    EXPECT_EQ(size, best_size);
    EXPECT_EQ(min_error, best_error);
    EXPECT_EQ(ItemsOf(trades).size(), 12u);

    std::int32_t untouched_size = 4;
    std::int32_t untouched_error = 2;
    EXPECT_EQ(trades.OptimizeSmartInvesionParameters(0, untouched_size, untouched_error), -1);
    EXPECT_EQ(untouched_size, 4);
    EXPECT_EQ(untouched_error, 2);
}

}  // namespace
}  // namespace vela
