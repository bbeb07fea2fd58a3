#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/pseudo_random.h"
#include "series/double_list.h"
#include "series/list_builders.h"
#include "series/list_error.h"
#include "series/series_statistics.h"

namespace vela {
namespace {

using test::ItemsOf;
using test::MakeDoubleList;
using ::testing::ElementsAre;

constexpr double kNull = kNullValue;
constexpr double kInf = std::numeric_limits<double>::infinity();

using test::ExpectIndexError;

// Thirty daily closes of an index.
const std::vector<double> kCloses = {
    1187.25, 1192.50, 1189.75, 1201.00, 1198.25, 1205.50, 1211.75, 1208.00, 1196.50, 1184.25,
    1179.75, 1188.00, 1193.25, 1190.50, 1202.75, 1215.00, 1221.25, 1218.50, 1209.75, 1212.00,
    1224.50, 1230.25, 1226.75, 1219.00, 1207.25, 1199.50, 1203.75, 1211.00, 1216.25, 1222.50};

void ExpectClose(double actual, long double expected) {
    EXPECT_NEAR(actual, static_cast<double>(expected), 1e-9 * std::max(1.0L, std::fabs(expected)));
}

// The common statistics against textbook computations written out here.
TEST(SeriesStatistics, AgreeWithPlainComputationsOnAPriceSeries) {
    const TVegaDoubleList list = MakeDoubleList(kCloses);
    const auto n = static_cast<long double>(kCloses.size());
    long double mean = 0;
    for (double v : kCloses) mean += v;
    mean /= n;
    long double m2 = 0, m3 = 0, m4 = 0;
    for (double v : kCloses) {
        const long double d = v - mean;
        m2 += d * d;
        m3 += d * d * d;
        m4 += d * d * d * d;
    }
    const long double population = std::sqrt(m2 / n);
    const long double sample = std::sqrt(m2 / (n - 1));
    ExpectClose(list.AvValue(), mean);
    ExpectClose(list.Dispersion(0), population);
    ExpectClose(list.Dispersion(1), sample);

    long double skew = 0, kurt = 0;
    list.GetSkewKurtosis(skew, kurt, 0);
    ExpectClose(skew, m3 / ((n - 1) * population * population * population));
    ExpectClose(kurt, m4 / ((n - 1) * population * population * population * population) - 3);
    list.GetSkewKurtosis(skew, kurt, 1);
    ExpectClose(skew, m3 / ((n - 1) * sample * sample * sample));
    ExpectClose(kurt, m4 / ((n - 2) * sample * sample * sample * sample) - 3);

    // Least squares from centred sums.
    const long double meanX = (n - 1) / 2;
    long double sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < kCloses.size(); ++i) {
        sxy += (i - meanX) * (kCloses[i] - mean);
        sxx += (i - meanX) * (i - meanX);
    }
    double a = 0, b = 0;
    ASSERT_TRUE(list.LinearInterpolate(a, b));
    ExpectClose(a, sxy / sxx);
    ExpectClose(b, mean - sxy / sxx * meanX);

    std::vector<double> sorted = kCloses;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(list.MedianValue(0, list.Count() - 1), sorted[(sorted.size() - 1) / 2]);
    std::vector<double> firstFive(kCloses.begin(), kCloses.begin() + 5);
    std::sort(firstFive.begin(), firstFive.end());
    EXPECT_EQ(list.MedianValue(0, 4), firstFive[2]);

    for (std::int32_t lag : {0, 1, 3}) {
        long double sum = 0;
        for (std::size_t i = 0; i + lag < kCloses.size(); ++i)
            sum += (kCloses[i] - mean) * (kCloses[i + lag] - mean);
        ExpectClose(list.AutoCovariation(lag, true), sum / (n - lag));
    }

    double peak = kCloses[0], deepest = 0, deepestPercent = 0;
    for (double v : kCloses) {
        peak = std::max(peak, v);
        deepest = std::max(deepest, peak - v);
        deepestPercent = std::max(deepestPercent, (peak - v) / peak * 100);
    }
    double abs = 0, percent = 0;
    list.DrawDown(abs, percent);
    ExpectClose(abs, deepest);
    ExpectClose(percent, deepestPercent);
}

TEST(SeriesStatistics, MeansSkipNulls) {
    EXPECT_EQ(MakeDoubleList({1, kNull, 3}).AvValue(), 2);
    EXPECT_EQ(MakeDoubleList({kNull}).AvValue(), kNull);
    EXPECT_EQ(TVegaDoubleList().AvValue(), kNull);
    EXPECT_EQ(MakeDoubleList({-1, kNull, 3}).AvAbsValue(), 2);
    EXPECT_EQ(TVegaDoubleList().AvAbsValue(), kNull);

    const TVegaDoubleList list = MakeDoubleList({5, 2, kNull, 6});
    EXPECT_EQ(list.AvValue1(0, 0), kNull);  // position 0 alone gives null
    EXPECT_EQ(list.AvValue1(1, 3), 4);
    EXPECT_EQ(list.AvValue1(2, 2), kNull);
    EXPECT_EQ(list.AvValue1(3, 1), kNull);
    ExpectIndexError([&] { list.AvValue1(-1, 2); }, -1);
    ExpectIndexError([&] { list.AvValue1(2, 4); }, 4);
    ExpectIndexError([&] { list.AvValue1(6, 9); }, 6);
}

TEST(SeriesStatistics, AvValueWithoutAbsExtreme) {
    struct Case {
        std::vector<double> items;
        std::uint8_t percent;
        double expected;
    } cases[] = {
        {{1, -2, 3, -100}, 50, 1.5},  // k = Trunc(50 * 3 / 100) = 1
        {{1, -2, 3, -100}, 0, 26.5},
        {{1, -2, 3, -100}, 100, 1},
        {{1, -2, kNull, 3, -100}, 33, 2},  // k = Trunc(67 * 3 / 100) = 2
        {{7}, 0, kNull},
        {{}, 50, kNull},
        {{kNull, kNull}, 0, kNull},
        {{kNull, kNull}, 50, kNull},  // nothing to average
        {{kNull, 4}, 50, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.items) + " " + std::to_string(c.percent));
        EXPECT_EQ(MakeDoubleList(c.items).AvValue_WithoutAbsExtreme(c.percent), c.expected);
    }
}

TEST(SeriesStatistics, DispersionAndItsZeroFallbacks) {
    const TVegaDoubleList pair = MakeDoubleList({1, kNull, 3});
    EXPECT_EQ(pair.Dispersion(0), 1);
    EXPECT_DOUBLE_EQ(pair.Dispersion(1), std::sqrt(2.0));
    EXPECT_EQ(pair.Dispersion(2), 0);
    EXPECT_EQ(MakeDoubleList({5}).Dispersion(0), 0);
    EXPECT_EQ(MakeDoubleList({kNull, kNull}).Dispersion(1), 0);
    // Arithmetic faults: an infinite value, squares beyond the double range.
    EXPECT_EQ(MakeDoubleList({1, kInf}).Dispersion(0), 0);
    EXPECT_EQ(MakeDoubleList({1e300, -1e300}).Dispersion(1), 0);
}

TEST(SeriesStatistics, SkewAndKurtosisByHand) {
    // Deviations -1, -1, 2: T3 = 6, T4 = 18; s = sqrt(2) (population) or sqrt(3) (sample).
    const TVegaDoubleList list = MakeDoubleList({0, kNull, 0, 3});
    long double skew = 9, kurt = 9;
    list.GetSkewKurtosis(skew, kurt, 0);
    EXPECT_NEAR(static_cast<double>(skew), 6 / (2 * 2 * std::sqrt(2.0)), 1e-15);
    EXPECT_NEAR(static_cast<double>(kurt), 18.0 / (2 * 4) - 3, 1e-15);
    list.GetSkewKurtosis(skew, kurt, 1);
    EXPECT_NEAR(static_cast<double>(skew), 1 / std::sqrt(3.0), 1e-15);
    EXPECT_NEAR(static_cast<double>(kurt), -1, 1e-15);

    struct Case {
        const char* what;
        std::vector<double> items;
        std::uint8_t kind;
    } zero[] = {
        {"two values", {1, kNull, 2}, 0},
        {"constant", {4, 4, 4, 4}, 1},
        {"another kind", {0, 0, 3}, 2},
    };
    for (const auto& c : zero) {
        skew = 9;
        kurt = 9;
        MakeDoubleList(c.items).GetSkewKurtosis(skew, kurt, c.kind);
        EXPECT_EQ(skew, 0) << c.what;
        EXPECT_EQ(kurt, 0) << c.what;
    }
}

TEST(SeriesStatistics, ChangebilityDrawsRandomPairs) {
    TVegaDoubleList alternating;
    for (int i = 0; i < 1000; ++i) alternating.Add(i % 2 == 0 ? 0 : 10);
    SeedPseudoRandom(7);
    const double first = alternating.Changebility();
    SeedPseudoRandom(7);
    EXPECT_EQ(alternating.Changebility(), first);  // repeats for a seed
    // Half the pairs differ by 10.
    EXPECT_NEAR(first, 5, 0.5);

    EXPECT_EQ(TVegaDoubleList().Changebility(), 0);
    EXPECT_EQ(MakeDoubleList({kNull, kNull}).Changebility(), 0);
    EXPECT_EQ(MakeDoubleList({3, 3, kNull}).Changebility(), 0);
    SeedPseudoRandom(7);
    EXPECT_EQ(MakeDoubleList({1, kInf, 2}).Changebility(), 0);  // arithmetic fault
}

TEST(SeriesStatistics, Entropy) {
    const double halfHalf = 2 * 0.5 * std::log(0.5);
    struct Case {
        std::vector<double> items;
        std::uint8_t kind;
        double expected;
    } cases[] = {
        {{0, 1}, 0, 0},  // p = 0 is skipped, 1 ln 1 = 0
        {{0, 1, 1}, 0, halfHalf},
        {{0, kNull, 1, 1}, 0, halfHalf},
        {{2, 2}, 0, kNull},
        {{}, 0, kNull},
        {{kNull}, 0, kNull},
        {{1e27, 2e27, 2e27}, 0, halfHalf},  // beyond 1e26
        {{-2e27, -1e27, -1e27}, 0, halfHalf},
        {{-1, 0, 1}, 0, 1.0 / 3 * std::log(1.0 / 3) + 2.0 / 3 * std::log(2.0 / 3)},
        {{-1, 0, 1}, 1, halfHalf},
        {{-2, 2}, 1, kNull},
        {{-1, 0, 1}, 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.items) + " kind " + std::to_string(c.kind));
        EXPECT_NEAR(MakeDoubleList(c.items).EntropyExt(c.kind), c.expected, 1e-15);
        if (c.kind == 0) {
            EXPECT_EQ(MakeDoubleList(c.items).Entropy(), MakeDoubleList(c.items).EntropyExt(0));
        }
    }
}

TEST(SeriesStatistics, RunCounts) {
    struct Case {
        std::vector<double> items;
        std::int32_t runs;
        std::int32_t nonZeroRuns;
    } cases[] = {
        {{1, kNull, kNull, 2, 3, kNull, 4}, 3, 3},
        {{1, 0, 2, kNull, 3}, 2, 3},
        {{}, 0, 0},
        {{kNull}, 0, 0},
        {{0, 0}, 1, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeDoubleList(c.items).UndependenIntervalsCount(), c.runs);
        EXPECT_EQ(MakeDoubleList(c.items).UndependenIntervalsCount1(), c.nonZeroRuns);
    }
}

TEST(SolveLinear2, CramersRuleOrFalseWithOutputsUntouched) {
    double x1 = 0, x2 = 0;
    ASSERT_TRUE(SolveLinear2(x1, x2, 2, 1, 5, 1, -1, 1));  // 2x + y = 5, x - y = 1
    EXPECT_EQ(x1, 2);
    EXPECT_EQ(x2, 1);

    struct Case {
        const char* what;
        double a11, a12, b1, a21, a22, b2;
    } failing[] = {
        {"singular", 1, 2, 3, 2, 4, 6},
        {"determinant overflows", 1e200, 0, 1, 0, 1e200, 1},
        {"solution overflows", 1e-200, 0, 1e200, 0, 1, 1},
        {"not a number", std::nan(""), 1, 1, 1, 2, 1},
    };
    for (const auto& c : failing) {
        x1 = 7;
        x2 = 8;
        EXPECT_FALSE(SolveLinear2(x1, x2, c.a11, c.a12, c.b1, c.a21, c.a22, c.b2)) << c.what;
        EXPECT_EQ(x1, 7) << c.what;
        EXPECT_EQ(x2, 8) << c.what;
    }
}

TEST(SeriesStatistics, LinearInterpolateOverPositions) {
    const TVegaDoubleList list = MakeDoubleList({1, kNull, 5, 8, 9});
    double a = 0, b = 0;
    ASSERT_TRUE(list.LinearInterpolate1(a, b, 0, 2));
    EXPECT_EQ(a, 2);  // positions 0 and 2
    EXPECT_EQ(b, 1);
    ASSERT_TRUE(list.LinearInterpolate1(a, b, 3, 4));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 5);

    a = 7;
    b = 8;
    EXPECT_FALSE(list.LinearInterpolate1(a, b, 1, 2));  // a single value
    EXPECT_FALSE(list.LinearInterpolate1(a, b, 3, 2));
    EXPECT_FALSE(MakeDoubleList({kNull, 4}).LinearInterpolate(a, b));
    EXPECT_FALSE(TVegaDoubleList().LinearInterpolate(a, b));
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 8);
    ExpectIndexError([&] { list.LinearInterpolate1(a, b, -2, 1); }, -2);
    ExpectIndexError([&] { list.LinearInterpolate1(a, b, 3, INT_MAX); }, 5);
}

TEST(SeriesStatistics, HurstInputs) {
    // Mean-free running sums -1.5, -2, -1.5, 0; s = sqrt(1.25).
    EXPECT_DOUBLE_EQ(MakeDoubleList({1, 2, kNull, 3, 4}).ForHurst_RS(), 2 / std::sqrt(1.25));
    EXPECT_EQ(MakeDoubleList({3, 3, 3}).ForHurst_RS(), kNull);
    EXPECT_EQ(TVegaDoubleList().ForHurst_RS(), kNull);

    // Running sums 1, 1, 1, 2 against the line 0.3 i + 0.8: residuals .2, -.1, -.4, .3.
    EXPECT_NEAR(MakeDoubleList({1, 0, 0, 1}).ForHurst_DFA(), std::sqrt(0.3 / 4), 1e-15);
    EXPECT_NEAR(MakeDoubleList({1, 1, 1, 1}).ForHurst_DFA(), 0, 1e-15);
    EXPECT_EQ(MakeDoubleList({kNull, 1}).ForHurst_DFA(), kNull);

    EXPECT_EQ(MakeDoubleList({1, kNull, 3, 2}).ForHurst_Path(), 3);
    EXPECT_EQ(MakeDoubleList({2, 2}).ForHurst_Path(), kNull);
    EXPECT_EQ(MakeDoubleList({2}).ForHurst_Path(), kNull);
}

TEST(SeriesStatistics, PlusMinusStat) {
    std::int32_t plus = -1, minus = -1;
    EXPECT_DOUBLE_EQ(MakeDoubleList({1, -1, 0, kNull, 2}).PlusMinusStat(plus, minus), 200.0 / 3);
    EXPECT_EQ(plus, 2);
    EXPECT_EQ(minus, 1);
    EXPECT_EQ(MakeDoubleList({0, 0}).PlusMinusStat(plus, minus), kNull);
    EXPECT_EQ(plus, 0);
    EXPECT_EQ(minus, 0);
}

// Eight results m - 1, m + 1, ...: population deviation 1, so the SQN is m * sqrt(8).
TVegaDoubleList ResultsWithSqn(double q) {
    const double m = q / std::sqrt(8.0);
    TVegaDoubleList list;
    for (int i = 0; i < 8; ++i) list.Add(i % 2 == 0 ? m - 1 : m + 1);
    return list;
}

TEST(SeriesStatistics, SqnAndItsRating) {
    const TVegaDoubleList five = MakeDoubleList({1, 2, 3, 4, 5});
    EXPECT_DOUBLE_EQ(five.SQN(), 3 * std::sqrt(5.0) / std::sqrt(2.0));
    EXPECT_EQ(MakeDoubleList({1, 2, 3, 4}).SQN(), kNull);
    EXPECT_EQ(MakeDoubleList({2, 2, 2, 2, 2}).SQN(), kNull);
    // Nulls count in N but not in the mean.
    EXPECT_DOUBLE_EQ(MakeDoubleList({1, 3, kNull, kNull, kNull}).SQN(), 2 * std::sqrt(5.0));

    EXPECT_EQ(five.SQN_Info_Str(0), "4.743");
    EXPECT_EQ(five.SQN_Info_Str(-1), "4.743");
    EXPECT_EQ(five.SQN_Info_Str(4), "4.743");
    EXPECT_EQ(five.SQN_Info_Str(1), "SQN=4.743");
    EXPECT_EQ(five.SQN_Info_Str(2), "SQN=4.743 (excellent)");
    EXPECT_EQ(five.SQN_Info_Str(3), "SQN=4.743 (excellent 3..5)");
    EXPECT_EQ(MakeDoubleList({1, 2}).SQN_Info_Str(3), "***");

    struct Case {
        double q;
        const char* kind2;
        const char* kind3;
    } cases[] = {
        {-3, "SQN=-3.000 (no profit)", "SQN=-3.000 (no profit)"},
        {1, "SQN=1.000 (no profit)", "SQN=1.000 (no profit)"},
        {1.8, "SQN=1.800 (poor but tradable)", "SQN=1.800 (poor but tradable 1.6..2)"},
        {2.2, "SQN=2.200 (average)", "SQN=2.200 (average 2..2.5)"},
        {2.7, "SQN=2.700 (good)", "SQN=2.700 (good 2.5..3)"},
        {4, "SQN=4.000 (excellent)", "SQN=4.000 (excellent 3..5)"},
        {6, "SQN=6.000 (superb)", "SQN=6.000 (superb 5..7)"},
        {7.5, "SQN=7.500 (Holly Grail)", "SQN=7.500 (Holly Grail >7)"},
    };
    for (const auto& c : cases) {
        const TVegaDoubleList list = ResultsWithSqn(c.q);
        EXPECT_EQ(list.SQN_Info_Str(2), c.kind2);
        EXPECT_EQ(list.SQN_Info_Str(3), c.kind3);
    }
}

TEST(SeriesStatistics, DrawDown) {
    struct Case {
        const char* what;
        std::vector<double> items;
        double abs;
        double percent;
    } cases[] = {
        {"example", {10, 12, 9, 11, 6}, 6, 50},
        {"equal runs count once", {10, 10, 12, 12, 12, 9, 9}, 3, 25},
        {"rising", {1, 2, 3}, 0, 0},
        {"a zero peak is passed over", {0, -5}, 0, 0},
        {"negative peak", {-2, -5}, 3, 150},
        {"a null is a number", {5, kNull, 1}, kNull - 1, (kNull - 1) * 100 / kNull},
        {"empty", {}, 0, 0},
        {"one item", {4}, 0, 0},
        // The percentage overflows and keeps its previous value.
        {"percentage fault", {1e-300, -1e300}, 1e300, 0},
        {"the others still count", {1e-300, -1e300, -1e-300}, 1e300, 200},
    };
    for (const auto& c : cases) {
        double abs = -1, percent = -1;
        MakeDoubleList(c.items).DrawDown(abs, percent);
        EXPECT_EQ(abs, c.abs) << c.what;
        EXPECT_DOUBLE_EQ(percent, c.percent) << c.what;
    }
}

// The drawdown as defined: every peak against every later value.
void PlainDrawDown(const std::vector<double>& items, double& abs, double& percent) {
    abs = 0;
    percent = 0;
    std::vector<double> w;
    for (double v : items)
        if (w.empty() || v != w.back()) w.push_back(v);
    for (std::size_t i = 0; i + 1 < w.size(); ++i) {
        const double p = w[i];
        if (p == 0) continue;
        if (!(i == 0 || i + 2 == w.size() || (w[i - 1] < p && w[i + 1] < p))) continue;
        for (std::size_t j = i + 1; j < w.size(); ++j) {
            const double y = w[j];
            if (!(y < p)) continue;
            abs = std::max(abs, p - y);
            const double q = (y - p) * 100 / p;
            if (std::isfinite(q)) percent = std::max(percent, std::fabs(q));
        }
    }
}

TEST(SeriesStatistics, DrawDownAgreesWithEveryPeakAgainstEveryLaterValue) {
    std::mt19937_64 rng(21);
    const double specials[] = {0, -0.0, kNull, 1e-300, -1e300, 1e300, kInf, -kInf, std::nan("")};
    std::uniform_int_distribution<int> small(-5, 5);
    std::uniform_int_distribution<int> pick(0, 19);
    std::normal_distribution<double> step(0, 1);
    for (int round = 0; round < 300; ++round) {
        std::vector<double> items;
        const int n = std::uniform_int_distribution<int>(0, 200)(rng);
        double walk = 100;
        // Small integers (ties, zeros, signs), a walk, a walk with rare special values, or
        // special values among small integers (falls whose percentage overflows).
        const int mode = round % 4;
        for (int i = 0; i < n; ++i) {
            const int k = pick(rng);
            if ((mode == 2 && k == 0) || (mode == 3 && k < 10))
                items.push_back(specials[static_cast<std::size_t>(k + small(rng) + 5) % 9]);
            else if (mode == 0 || mode == 3)
                items.push_back(small(rng));
            else
                items.push_back(walk += step(rng));
        }
        double abs = 0, percent = 0, plainAbs = 0, plainPercent = 0;
        stats::DrawDown(items, abs, percent);
        PlainDrawDown(items, plainAbs, plainPercent);
        ASSERT_EQ(abs, plainAbs) << ::testing::PrintToString(items);
        ASSERT_EQ(percent, plainPercent) << ::testing::PrintToString(items);
    }
}

TEST(SeriesStatistics, MedianValueIsTheLowerMiddle) {
    const TVegaDoubleList list = MakeDoubleList({4, 1, kNull, 3, 2, 9});
    EXPECT_EQ(MakeDoubleList({4, 1, 3, 2}).MedianValue(0, 3), 2);
    EXPECT_EQ(list.MedianValue(0, 4), 2);
    EXPECT_EQ(list.MedianValue(0, 5), 3);
    EXPECT_EQ(list.MedianValue(2, 2), kNull);
    EXPECT_EQ(list.MedianValue(3, 1), kNull);
    ExpectIndexError([&] { list.MedianValue(4, 6); }, 6);
}

TEST(SeriesStatistics, AutoCovariation) {
    const TVegaDoubleList list = MakeDoubleList({1, 2, 3, 4});
    EXPECT_DOUBLE_EQ(list.AutoCovariation(1, true), 1.25 / 3);
    EXPECT_DOUBLE_EQ(list.AutoCovariation(1, false), 20.0 / 3);
    EXPECT_DOUBLE_EQ(list.AutoCovariation(0, true), 1.25);
    EXPECT_EQ(list.AutoCovariation(4, true), 0);
    EXPECT_EQ(list.AutoCovariation(INT_MAX, true), 0);
    EXPECT_EQ(MakeDoubleList({1, kNull, 3, kNull}).AutoCovariation(1, false), 0);
    ExpectIndexError([&] { list.AutoCovariation(-1, false); }, -1);
}

TEST(SeriesStatistics, AnglePaths) {
    EXPECT_EQ(MakeDoubleList({350, 10, 20}).Path_360(), 30);
    EXPECT_EQ(MakeDoubleList({10, kNull, 350}).Path_360(), -20);
    EXPECT_EQ(MakeDoubleList({kNull, 5}).Path_360(), 0);  // the last position is no start
    EXPECT_EQ(MakeDoubleList({5}).Path_360(), 0);

    struct Case {
        std::vector<double> items;
        std::vector<double> unwrapped;
    } cases[] = {
        {{350, 10, 20}, {0, 20, 30}},
        {{kNull, 350, 10}, {kNull, 350, 370}},
        {{10, 350, kNull, 340}, {0, -20, kNull, -30}},
        {{0, 170, 340, 150}, {0, 170, 340, 510}},
        {{kNull, 5}, {kNull, 5}},
        {{5}, {5}},
    };
    for (const auto& c : cases) {
        TVegaDoubleList list = MakeDoubleList(c.items);
        list.Set_Path_360(0);
        EXPECT_EQ(ItemsOf(list), c.unwrapped) << ::testing::PrintToString(c.items);
    }
}

TEST(SeriesStatistics, QuantumFindsTheFirstCrossing) {
    std::int32_t reach = -5;
    EXPECT_EQ(MakeDoubleList({100, 103, 94, 106}).Quantum(0, 5, reach), -1);
    EXPECT_EQ(reach, 2);
    const TVegaDoubleList list = MakeDoubleList({100, 103, kNull, 94, 106});
    EXPECT_EQ(list.Quantum(0, 5, reach), -1);
    EXPECT_EQ(reach, 3);
    EXPECT_EQ(list.Quantum(3, 3, reach), 1);
    EXPECT_EQ(reach, 4);
    reach = -5;
    EXPECT_EQ(list.Quantum(0, 50, reach), 0);
    EXPECT_EQ(list.Quantum(2, 1, reach), 0);  // a null start
    EXPECT_EQ(list.Quantum(4, 1, reach), 0);
    EXPECT_EQ(reach, -5);
    // Both levels reached at once: the upward test comes first.
    EXPECT_EQ(MakeDoubleList({100, 100}).Quantum(0, -1, reach), 1);
    ExpectIndexError([&] { list.Quantum(5, 1, reach); }, 5);
}

// The functions over a block of items take any null value.
TEST(SeriesStatistics, SpanFunctionsTakeTheirNull) {
    const std::vector<double> items = {-1, 4, -1, 6};
    EXPECT_EQ(stats::AvValue(items, -1), 5);
    EXPECT_EQ(stats::AvValue(std::span<const double>(), -1), -1);
    EXPECT_EQ(stats::MedianValue(items, 0, 3, -1), 4);
    EXPECT_EQ(stats::UndependenIntervalsCount(items, -1), 2);
}

TEST(IntegerListStatistics, SumWrapsAndExtremes) {
    EXPECT_EQ(test::MakeIntegerList({INT_MAX, 1}).Sum(), INT_MIN);
    EXPECT_EQ(test::MakeIntegerList({INT_MIN, -1}).Sum(), INT_MAX);
    EXPECT_EQ(test::MakeIntegerList({3, -5, 4}).Sum(), 2);
    EXPECT_EQ(TVegaIntegerList().Sum(), 0);

    std::int32_t lo = 0, hi = 0;
    TVegaIntegerList().GetMinMax(lo, hi);
    EXPECT_EQ(lo, INT_MAX);
    EXPECT_EQ(hi, INT_MIN);
    test::MakeIntegerList({3, -1, 7, 2}).GetMinMax(lo, hi);
    EXPECT_EQ(lo, -1);
    EXPECT_EQ(hi, 7);
}

TEST(IntegerListStatistics, TheMostCommonValue) {
    struct Case {
        std::vector<std::int32_t> items;
        std::int32_t null;
        std::int32_t value;
        std::int32_t occurance;
    } cases[] = {
        {{3, 1, 3, 1, 7}, 0, 3, 2},                           // a tie goes to the value met first
        {{1, 3, 3, 1, 3}, 0, 3, 3}, {{0, 0, 0, 5}, 0, 5, 1},  // the null value is never counted
        {{4, 4}, 4, 4, 0},          {{-2, 9, -2}, 9, -2, 2},
    };
    for (const auto& c : cases) {
        TVegaIntegerList list;
        for (std::int32_t v : c.items) list.Add(v);
        std::int32_t occurance = -1;
        EXPECT_EQ(list.TheMostCommonValue(occurance, c.null), c.value);
        EXPECT_EQ(occurance, c.occurance);
    }
    std::int32_t occurance = 42;
    EXPECT_EQ(TVegaIntegerList().TheMostCommonValue(occurance, -7), -7);
    EXPECT_EQ(occurance, 42);
}

// The most common value as defined: count the first remaining value, strike it out, repeat.
std::int32_t PlainMostCommon(std::vector<std::int32_t> work, std::int32_t& occurance,
                             std::int32_t null) {
    std::int32_t kept = null, keptCount = 0;
    for (std::size_t first = 0; first < work.size(); ++first) {
        const std::int32_t value = work[first];
        if (value == null) continue;
        std::int32_t count = 0;
        for (std::int32_t& x : work) {
            if (x != value) continue;
            ++count;
            x = null;
        }
        if (count > keptCount) {
            kept = value;
            keptCount = count;
        }
    }
    occurance = keptCount;
    return kept;
}

TEST(IntegerListStatistics, TheMostCommonValueAgreesWithStrikingOut) {
    std::mt19937_64 rng(22);
    for (int round = 0; round < 300; ++round) {
        const int spread = std::uniform_int_distribution<int>(1, 30)(rng);
        std::uniform_int_distribution<std::int32_t> value(-spread, spread);
        TVegaIntegerList list;
        std::vector<std::int32_t> items;
        const int n = std::uniform_int_distribution<int>(1, 120)(rng);
        for (int i = 0; i < n; ++i) {
            items.push_back(value(rng));
            list.Add(items.back());
        }
        const std::int32_t null = value(rng);
        std::int32_t occurance = -1, plainOccurance = -1;
        ASSERT_EQ(list.TheMostCommonValue(occurance, null),
                  PlainMostCommon(items, plainOccurance, null));
        ASSERT_EQ(occurance, plainOccurance);
    }
}

}  // namespace
}  // namespace vela
