#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "series/double_list.h"
#include "series/list_builders.h"
#include "series/list_error.h"
#include "series/series_indicators.h"

namespace vela {
namespace {

using test::ItemsOf;
using test::MakeDoubleList;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr double kNull = kNullValue;

// Daily closes of an index with a missing day.
const std::vector<double> kCloses = {
    1187.25, 1192.50, 1189.75, 1201.00, 1198.25, 1205.50, 1211.75, 1208.00, 1196.50, 1184.25,
    1179.75, 1188.00, kNull,   1190.50, 1202.75, 1215.00, 1221.25, 1218.50, 1209.75, 1212.00,
    1224.50, 1230.25, 1226.75, 1219.00, 1207.25, 1199.50, 1203.75, 1211.00, 1216.25, 1222.50};

void ExpectSeriesNear(const TVegaDoubleList& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.Count(), static_cast<std::int32_t>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == kNull) {
            EXPECT_EQ(actual.GetItem(static_cast<std::int32_t>(i)), kNull) << "at " << i;
        } else {
            EXPECT_NEAR(actual.GetItem(static_cast<std::int32_t>(i)), expected[i], 1e-9)
                << "at " << i;
        }
    }
}

// The values of a series without its nulls, with their positions.
struct Present {
    std::vector<double> values;
    std::vector<std::size_t> at;
};
Present PresentOf(const std::vector<double>& series) {
    Present p;
    for (std::size_t i = 0; i < series.size(); ++i)
        if (series[i] != kNull) {
            p.values.push_back(series[i]);
            p.at.push_back(i);
        }
    return p;
}

TEST(MovingAveragesTest, TrailingMeanIsTheMeanOfTheLastValues) {
    const int w = 5;
    std::vector<double> expected = kCloses;
    const Present p = PresentOf(kCloses);
    for (std::size_t k = 0; k < p.values.size(); ++k) {
        const std::size_t from = k + 1 >= w ? k + 1 - w : 0;
        double sum = 0;
        for (std::size_t j = from; j <= k; ++j) sum += p.values[j];
        expected[p.at[k]] = sum / static_cast<double>(k + 1 - from);
    }
    TVegaDoubleList list = MakeDoubleList(kCloses);
    list.SetMovingAverages(w, 0);
    ExpectSeriesNear(list, expected);
}

TEST(MovingAveragesTest, ExponentialRestartsAfterANull) {
    const int w = 9;
    const double alpha = 2.0 / (w + 1);
    std::vector<double> expected = kCloses;
    for (std::size_t i = 1; i < kCloses.size(); ++i)
        if (kCloses[i] != kNull && kCloses[i - 1] != kNull)
            expected[i] = alpha * kCloses[i] + (1 - alpha) * expected[i - 1];
    TVegaDoubleList forward = MakeDoubleList(kCloses);
    forward.SetMovingAverages(w, 1);
    ExpectSeriesNear(forward, expected);

    // Type 3 runs the same average backwards over the entry values.
    for (std::size_t i = kCloses.size() - 1; i-- > 0;) {
        if (kCloses[i] == kNull) continue;
        expected[i] = kCloses[i + 1] == kNull ? kCloses[i]
                                              : alpha * kCloses[i] + (1 - alpha) * expected[i + 1];
    }
    TVegaDoubleList both = MakeDoubleList(kCloses);
    both.SetMovingAverages(w, 3);
    ExpectSeriesNear(both, expected);
}

TEST(MovingAveragesTest, CentredMeanOverTheWindowEitherSide) {
    const int w = 3;
    std::vector<double> expected(kCloses.size());
    for (int i = 0; i < static_cast<int>(kCloses.size()); ++i) {
        double sum = 0;
        int k = 0;
        for (int j = std::max(0, i - w); j <= std::min<int>(kCloses.size() - 1, i + w); ++j)
            if (kCloses[j] != kNull) sum += kCloses[j], ++k;
        expected[i] = sum / k;
    }
    TVegaDoubleList list = MakeDoubleList(kCloses);
    list.SetMovingAverages(w, 2);
    ExpectSeriesNear(list, expected);
}

TEST(MovingAveragesTest, WorkedExamples) {
    struct Case {
        std::vector<double> in;
        int win;
        int type;
        std::vector<double> out;
    };
    const std::vector<Case> cases = {
        {{1, 2, 3, 4, 5}, 3, 0, {1, 1.5, 2, 3, 4}},
        {{1, kNull, 3}, 3, 0, {1, kNull, 2}},
        {{kNull, 4, 8}, 1, 0, {kNull, 4, 8}},
        {{1, 2, 6}, 1, 2, {1.5, 3, 4}},
        {{kNull, kNull, 6}, 1, 2, {kNull, 6, 6}},
        {{kNull, kNull, kNull, 6}, 1, 2, {kNull, kNull, 6, 6}},
        {{3, 7, 1, 4}, 1, 1, {3, 7, 1, 4}},
        {{3, 7, 1, 4}, 1, 3, {3, 7, 1, 4}},
        {{3, 7, 1, 4}, 0, 1, {3, 7, 1, 4}},
        {{3, 7, 1, 4}, 2, 4, {3, 7, 1, 4}},
        {{3, 7, 1, 4}, 2, -1, {3, 7, 1, 4}},
        {{}, 2, 1, {}},
        {{}, 2, 3, {}},
    };
    for (const Case& c : cases) {
        TVegaDoubleList list = MakeDoubleList(c.in);
        list.SetMovingAverages(c.win, c.type);
        EXPECT_THAT(ItemsOf(list), ElementsAreArray(c.out)) << c.win << " " << c.type;
    }
}

TEST(MovingAveragesTest, WideCentredWindowIsForwardAndBackward) {
    TVegaDoubleList centred = MakeDoubleList(kCloses);
    TVegaDoubleList both = MakeDoubleList(kCloses);
    centred.SetMovingAverages(kWindowLimit + 5, 2);
    both.SetMovingAverages(kWindowLimit + 5, 3);
    EXPECT_EQ(ItemsOf(centred), ItemsOf(both));
}

TEST(MovingAveragesTest, BadWindowsRaiseBeforeTouchingTheList) {
    for (int type : {0, 1, 2, 3}) {
        TVegaDoubleList list = MakeDoubleList(kCloses);
        EXPECT_THROW(list.SetMovingAverages(-1, type), ListDivisionByZeroError);
        EXPECT_THROW(list.SetMovingAverages(-4, type), ListError);
        EXPECT_EQ(ItemsOf(list), kCloses);
    }
    TVegaDoubleList list = MakeDoubleList(kCloses);
    EXPECT_THROW(list.SetRSI(-1, 0), ListDivisionByZeroError);
    EXPECT_THROW(list.SetNonLagMovingAverages(list, -1, 0, 29, 1), ListDivisionByZeroError);
    EXPECT_EQ(ItemsOf(list), kCloses);
}

TEST(MovingAveragesTest, TrailingMeanWithoutValuesIsAnIndexError) {
    for (const std::vector<double>& items :
         {std::vector<double>{}, std::vector<double>{kNull, kNull}}) {
        TVegaDoubleList list = MakeDoubleList(items);
        try {
            list.SetMovingAverages(3, 0);
            ADD_FAILURE() << "no error";
        } catch (const ListIndexError& e) {
            EXPECT_EQ(e.Index(), static_cast<std::int32_t>(items.size()));
        }
    }
}

TEST(NonLagMovingAveragesTest, CentredFromBufferWithinTheRange) {
    TVegaDoubleList list = MakeDoubleList({1, 2, 6, kNull, 10, 20});
    const TVegaDoubleList buffer = list;
    // Range 1..4: position 1 sees 2, 6; position 3 sees 6, 10; outside the range unchanged.
    list.SetNonLagMovingAverages(buffer, 1, 1, 4, 0);
    EXPECT_THAT(ItemsOf(list), ElementsAre(1, 4, 4, 8, 10, 20));

    // The list as its own buffer: each mean sees the means already written.
    TVegaDoubleList self = MakeDoubleList({1, 3, 5});
    self.SetNonLagMovingAverages(self, 1, 0, 2, 0);
    EXPECT_THAT(ItemsOf(self),
                ElementsAre(2, DoubleNear(10.0 / 3, 1e-12), DoubleNear(25.0 / 6, 1e-12)));

    // Clamped bounds; a position without a buffer value keeps its own.
    TVegaDoubleList gaps = MakeDoubleList({kNull, kNull, 5, 7});
    const TVegaDoubleList gap_buffer = MakeDoubleList({kNull, kNull, kNull, 9});
    gaps.SetNonLagMovingAverages(gap_buffer, 1, -3, 9, 0);
    EXPECT_THAT(ItemsOf(gaps), ElementsAre(kNull, kNull, 9, 9));
}

TEST(NonLagMovingAveragesTest, ZeroLagExponentialInPlace) {
    // alpha = 2 / 3: forward 3, 3 + 2/3 * 3 = 5, then backward from 5: 3 -> 5 / 3 + 2 = 11 / 3.
    TVegaDoubleList list = MakeDoubleList({3, 6, kNull, 1});
    list.SetNonLagMovingAverages(list, 2, 0, 3, 1);
    EXPECT_THAT(ItemsOf(list),
                ElementsAre(DoubleNear(11.0 / 3, 1e-12), DoubleNear(5, 1e-12), kNull, 1));
    // Above the window limit the centred kind acts as the exponential one.
    TVegaDoubleList wide = MakeDoubleList(kCloses);
    TVegaDoubleList expected = MakeDoubleList(kCloses);
    wide.SetNonLagMovingAverages(MakeDoubleList(kCloses), kWindowLimit + 1, 0, 29, 0);
    expected.SetNonLagMovingAverages(expected, kWindowLimit + 1, 0, 29, 1);
    EXPECT_EQ(ItemsOf(wide), ItemsOf(expected));
    TVegaDoubleList other = MakeDoubleList(kCloses);
    other.SetNonLagMovingAverages(other, 3, 0, 29, 2);
    EXPECT_EQ(ItemsOf(other), kCloses);
}

TEST(RsiTest, ExponentialGainsAndLossesFromZero) {
    const int w = 14;
    const double alpha = 2.0 / (w + 1);
    std::vector<double> expected(kCloses.size(), kNull);
    double g = 0;
    double l = 0;
    for (std::size_t i = 1; i < kCloses.size(); ++i) {
        if (kCloses[i] == kNull || kCloses[i - 1] == kNull) continue;
        const double d = kCloses[i] - kCloses[i - 1];
        g = (1 - alpha) * g + alpha * std::max(d, 0.0);
        l = (1 - alpha) * l + alpha * std::max(-d, 0.0);
        if (l != 0) expected[i] = 100 * g / (g + l);
    }
    TVegaDoubleList list = MakeDoubleList(kCloses);
    list.SetRSI(w, 0);
    ExpectSeriesNear(list, expected);
    EXPECT_EQ(list.GetItem(1), kNull);  // only gains so far
    EXPECT_NE(list.GetItem(2), kNull);
}

TEST(RsiTest, WorkedExamples) {
    TVegaDoubleList list = MakeDoubleList({1, 2, 1});
    list.SetRSI(1, 0);
    EXPECT_THAT(ItemsOf(list), ElementsAre(kNull, kNull, 0));
    TVegaDoubleList empty;
    empty.SetRSI(14, 0);
    EXPECT_EQ(empty.Count(), 0);
}

// A x = b for a small system with its known solution, copied in the solver's layout.
struct System {
    int n;
    std::vector<double> a;
    std::vector<double> b;
};

TEST(SolveLinearSystemTest, SolvesAndReportsFailures) {
    struct Case {
        System s;
        int err;
        std::vector<double> x;
    };
    const std::vector<Case> cases = {
        {{1, {4}, {2}}, 0, {0.5}},
        {{2, {2, 1, 1, 3}, {3, 5}}, 0, {0.8, 1.4}},
        // A zero pivot is exchanged with the first usable row below.
        {{3, {0, 1, 1, 0, 0, 2, 1, 1, 0}, {3, 4, 5}}, 0, {4, 1, 2}},
        {{2, {1, 2, 2, 4}, {1, 2}}, 2, {}},
        {{3, {0, 1, 1, 0, 2, 2, 0, 3, 4}, {1, 2, 3}}, 2, {}},
        {{1, {1e-13}, {1}}, 2, {}},
        {{0, {}, {}}, 1, {}},
        {{-2, {}, {}}, 1, {}},
        {{2, {1, 0, 0}, {1, 1}}, 3, {}},  // storage smaller than the order
    };
    for (const Case& c : cases) {
        std::vector<double> a = c.s.a;
        std::uint8_t err = 99;
        std::vector<double> x = {-7};
        SolveLinearSystem(c.s.n, a, c.s.b, err, x);
        EXPECT_EQ(err, c.err) << "order " << c.s.n;
        if (c.err == 0) {
            ASSERT_EQ(x.size(), c.x.size());
            for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(x[i], c.x[i], 1e-12);
        } else {
            EXPECT_THAT(x, ElementsAre(-7));
        }
    }
}

TEST(SolveLinearSystemTest, OrdersUpToTheLimit) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-1, 1);
    const int n = kMaxLinearSystemOrder;
    std::vector<double> a(static_cast<std::size_t>(n) * n);
    std::vector<double> solution(n);
    for (double& v : a) v = u(rng);
    for (double& v : solution) v = u(rng);
    std::vector<double> b(n, 0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) b[i] += a[i * n + j] * solution[j];
    std::vector<double> work = a;
    std::uint8_t err = 9;
    std::vector<double> x;
    SolveLinearSystem(n, work, b, err, x);
    ASSERT_EQ(err, 0);
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], solution[i], 1e-6);

    std::vector<double> big(static_cast<std::size_t>(n + 1) * (n + 1), 1.0);
    std::vector<double> big_b(n + 1, 1.0);
    SolveLinearSystem(n + 1, big, big_b, err, x);
    EXPECT_EQ(err, 3);
}

TEST(AutoregressionTest, ForecastNext) {
    struct Case {
        std::vector<double> in;
        int order;
        double next;
    };
    const std::vector<Case> cases = {
        {{1, 2, 4}, 1, 8},
        {{2, 4}, 1, 8},
        {{4}, 1, kNull},
        {{1, 2, 4}, 2, kNull},
        {{1, 2, 4}, 0, kNull},
        {{1, 2, 4}, -1, kNull},
        {{1, kNull, 4}, 1, kNull},
        {{kNull, 2, 4}, 1, 8},  // outside the fitted stretch
        {{1, 2, kNull}, 1, kNull},
        {{3, 3, 3, 3}, 2, kNull},  // singular
        // x[t] = x[t-1] + x[t-2]
        {{1, 1, 2, 3, 5, 8}, 2, 13},
    };
    for (const Case& c : cases) {
        const TVegaDoubleList list = MakeDoubleList(c.in);
        const double next = list.AR_Model_ForecastNext(c.order);
        if (c.next == kNull) {
            EXPECT_EQ(next, kNull) << c.order;
        } else {
            EXPECT_NEAR(next, c.next, 1e-9) << c.order;
        }
    }
    // Orders beyond the solver's capacity fail quietly.
    const TVegaDoubleList long_series = MakeDoubleList(std::vector<double>(2000, 1.5));
    EXPECT_EQ(long_series.AR_Model_ForecastNext(kMaxLinearSystemOrder + 1), kNull);
}

TEST(AutoregressionTest, ForecastExtendsTheSeries) {
    const TVegaDoubleList list = MakeDoubleList({1, 2, 4});
    TVegaDoubleList before = MakeDoubleList({9});
    TVegaDoubleList after = MakeDoubleList({9});
    EXPECT_TRUE(list.AR_Model_Forecast(1, &before, after, 0, 4));
    EXPECT_EQ(before.Count(), 0);
    EXPECT_THAT(ItemsOf(after), ElementsAre(1, 2, 4, 8, 16, 32));
    EXPECT_TRUE(list.AR_Model_Forecast(1, nullptr, after, 0, 1));
    EXPECT_THAT(ItemsOf(after), ElementsAre(1, 2, 4));

    // The first forecast beyond 12 times the last item ends the extension.
    const TVegaDoubleList falling = MakeDoubleList({1, 2, -4});
    EXPECT_TRUE(falling.AR_Model_Forecast(1, nullptr, after, 0, 4));
    EXPECT_THAT(ItemsOf(after), ElementsAre(1, 2, -4, 8));

    // A chart series ends in null future points: nothing is fitted, nothing touched.
    std::vector<double> chart = kCloses;
    chart.insert(chart.end(), 15, kNull);
    TVegaDoubleList kept = MakeDoubleList({7});
    EXPECT_FALSE(MakeDoubleList(chart).AR_Model_Forecast(3, &kept, kept, 0, 5));
    EXPECT_THAT(ItemsOf(kept), ElementsAre(7));
}

TEST(DominantCyclesTest, AppendsOnlyForOscillations) {
    TVegaDoubleList cycles = MakeDoubleList({5});
    MakeDoubleList({0, 1, 0, -1, 0, 1, 0, -1}).DominantCycles(cycles);
    ASSERT_EQ(cycles.Count(), 2);
    EXPECT_NEAR(cycles.GetItem(1), 1, 1e-12);
    // Proportional columns: no fit.
    MakeDoubleList({1, -1, 1, -1, 1}).DominantCycles(cycles);
    // Real roots: x[t] = 2 x[t-1] - ... growth.
    MakeDoubleList({1, 2, 4, 7, 13, 24, 44}).DominantCycles(cycles);
    MakeDoubleList({1, kNull}).DominantCycles(cycles);
    EXPECT_EQ(cycles.Count(), 2);
}

// The passes that go on from a mark give exactly the items of the whole pass: run once from
// the start with a mark, then again from that mark over the series with its tail changed, for
// every type, with nulls inside and at the end, and the RSI alike.
TEST(IndicatorPassTest, GoingOnFromAMarkIsTheWholePass) {
    std::mt19937 random(7);
    std::vector<double> c;
    for (int i = 0; i < 300; ++i)
        c.push_back(i % 37 == 5 ? kNull
                                : 100 + std::uniform_real_distribution<double>(-5, 5)(random));
    struct Case {
        std::int32_t Window;
        std::int32_t Type;  // -1: the RSI
    };
    const Case cases[] = {{1, 0},  {20, 0}, {3, 1}, {50, 1}, {4, 2},   {15, 2},
                          {16, 2}, {5, 3},  {0, 0}, {7, 9},  {14, -1}, {2, -1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.Window) + " " + std::to_string(k.Type));
        const auto whole = [&](const std::vector<double>& items) {
            TVegaDoubleList list = MakeDoubleList(items);
            if (k.Type < 0)
                list.SetRSI(k.Window, 0);
            else
                list.SetMovingAverages(k.Window, k.Type);
            return ItemsOf(list);
        };
        const auto pass = [&](const std::vector<double>& items, const IndicatorPass& start,
                              std::vector<double>& tail, std::size_t markAt, IndicatorPass& mark) {
            return k.Type < 0
                       ? RsiFrom(items, k.Window, start, tail, markAt, mark)
                       : MovingAverageFrom(items, k.Window, k.Type, start, tail, markAt, mark);
        };
        std::vector<double> tail;
        IndicatorPass mark;
        ASSERT_EQ(pass(c, IndicatorPass{}, tail, 200, mark), 0u);
        std::vector<double> expected = whole(c);
        ASSERT_EQ(tail, expected);
        // Later items change, some become nulls, more are added: on from the mark.
        std::vector<double> changed = c;
        for (std::size_t i = 230; i < changed.size(); i += 3) changed[i] += 1.5;
        changed[250] = kNull;
        for (int i = 0; i < 20; ++i) changed.push_back(i < 5 ? 90.0 + i : kNull);
        expected = whole(changed);
        IndicatorPass start = mark;
        ASSERT_EQ(start.At, 200u);
        start.Previous = expected[199];
        IndicatorPass next;
        const std::size_t from = pass(changed, start, tail, 260, next);
        ASSERT_LE(from, 200u);
        ASSERT_EQ(from + tail.size(), expected.size());
        for (std::size_t i = 0; i < tail.size(); ++i)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(tail[i]),
                      std::bit_cast<std::uint64_t>(expected[from + i]))
                << "item " << from + i;
    }
}

}  // namespace
}  // namespace vela
