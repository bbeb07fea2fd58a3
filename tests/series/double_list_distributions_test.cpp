#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "geometry/value_mapping.h"
#include "platform/pseudo_random.h"
#include "platform/recording_canvas.h"
#include "series/double_list.h"
#include "series/list_builders.h"
#include "series/recorded_segments.h"
#include "series/series_distributions.h"

namespace vela {
namespace {

using test::ItemsOf;
using test::MakeDoubleList;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr double kNull = kNullValue;

using test::Segment;
using test::SegmentsOf;

std::vector<TRect> FillsOf(const RecordingCanvas& canvas) {
    std::vector<TRect> out;
    for (const CanvasRecord& r : canvas.Of(CanvasRecord::Kind::FillRect)) out.push_back(r.Rect);
    return out;
}

// Bin centres 0, 5 and 10; the last item (7) is left out.
const TVegaDoubleList kSample = MakeDoubleList({0, 4, 5, 6, 10, 7});

TEST(Distributions, FixedBins) {
    struct Case {
        const char* what;
        std::vector<double> items;
        std::int32_t count;
        double lo, hi;
        std::vector<double> bins;
    } cases[] = {
        {"example", {0, 4, 5, 6, 10, 7}, 3, 0, 10, {1, 3, 1}},
        {"nulls and values outside are skipped", {kNull, -1, 11, 5, 3}, 3, 0, 10, {0, 1, 0}},
        {"halves go to the even bin", {2.5, 7.5, 0}, 3, 0, 10, {1, 0, 1}},
        {"one bin", {3, 8, 1}, 1, 0, 10, {2}},
        {"a single item is the last one", {5}, 2, 0, 10, {0, 0}},
        {"no bins", {5, 5}, 0, 0, 10, {}},
        {"negative bin count", {5, 5}, -4, 0, 10, {}},
    };
    for (const auto& c : cases) {
        TVegaDoubleList out = MakeDoubleList({42});
        MakeDoubleList(c.items).CalculateDistibution(c.count, c.lo, c.hi, out);
        EXPECT_EQ(ItemsOf(out), c.bins) << c.what;
    }
    TVegaDoubleList out;
    kSample.CalculateCommulativeDistibution(3, 0, 10, out);
    EXPECT_THAT(ItemsOf(out), ElementsAre(1, 4, 5));
    // The output may be the list itself.
    TVegaDoubleList self = kSample;
    self.CalculateDistibution(3, 0, 10, self);
    EXPECT_THAT(ItemsOf(self), ElementsAre(1, 3, 1));
}

TEST(Distributions, WeightedBinsTakeTheWeightAtTheSamePosition) {
    const TVegaDoubleList list = MakeDoubleList({0, 5, 10, 5, 99});
    struct Case {
        const char* what;
        std::vector<double> norm;
        std::vector<double> bins;
    } cases[] = {
        {"weights", {1, 2, 3, 4, 100}, {1, 6, 3}},
        {"missing weights count as 0", {1, 2}, {1, 2, 0}},
        {"no weights", {}, {0, 0, 0}},
        {"a null weight counts as it is", {kNull, 1, 1, 1}, {kNull, 2, 1}},
    };
    for (const auto& c : cases) {
        TVegaDoubleList out;
        list.CalculateDistibutionWithNormalization(3, 0, 10, MakeDoubleList(c.norm), out);
        EXPECT_EQ(ItemsOf(out), c.bins) << c.what;
    }
}

// x = 10, 60, 110 for bins 0..2; y = 320 - 100 * count for a highest count of 3.
constexpr TRect kBox{10, 20, 110, 320};

TEST(Distributions, DrawDistibutionAsLineOrColumns) {
    RecordingCanvas canvas;
    canvas.Pen().Color = clTeal;
    canvas.Brush().Color = clOlive;
    TVegaDoubleList counts;
    kSample.DrawDistibution(canvas, kBox, 3, 0, 10, &counts, 0);
    EXPECT_THAT(SegmentsOf(canvas),
                ElementsAre(Segment{{10, 220}, {60, 20}}, Segment{{60, 20}, {110, 220}}));
    EXPECT_EQ(canvas.Records().size(), 2u);
    for (const CanvasRecord& r : canvas.Records()) EXPECT_EQ(r.Pen.Color, clTeal);
    EXPECT_THAT(ItemsOf(counts), ElementsAre(1, 3, 1, 0));

    canvas.Clear();
    kSample.DrawDistibution(canvas, kBox, 3, 0, 10, nullptr, 1);
    // Column k carries the height of bin k + 1.
    EXPECT_THAT(FillsOf(canvas), ElementsAre(TRect{10, 20, 60, 320}, TRect{60, 220, 110, 320}));
    EXPECT_EQ(canvas.Records().size(), 2u);
    for (const CanvasRecord& r : canvas.Records()) EXPECT_EQ(r.Brush.Color, clOlive);
}

TEST(Distributions, DrawDistibutionDrawsNothing) {
    struct Case {
        const char* what;
        TVegaDoubleList list;
        std::int32_t count;
        double lo, hi;
        std::int32_t kind;
        std::vector<double> counts;  // {42}: left as it was
    } cases[] = {
        {"empty range", kSample, 3, 10, 10, 0, {42}},
        {"reversed range", kSample, 3, 10, 0, 1, {42}},
        {"another kind", kSample, 3, 0, 10, 2, {1, 3, 1, 0}},
        {"nothing counted", MakeDoubleList({20, 30, 0}), 3, 0, 10, 1, {0, 0, 0, 0}},
        {"no bins", kSample, 0, 0, 10, 0, {}},
        {"negative bins", kSample, -3, 0, 10, 1, {}},
    };
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        TVegaDoubleList counts = MakeDoubleList({42});
        c.list.DrawDistibution(canvas, kBox, c.count, c.lo, c.hi, &counts, c.kind);
        EXPECT_THAT(canvas.Records(), IsEmpty()) << c.what;
        EXPECT_EQ(ItemsOf(counts), c.counts) << c.what;
    }
}

TEST(Distributions, FloatingBins) {
    // Width 2 over 0..4: two bins step 1 ([0,2], [1,3]) or four step 0.5; 9 is the last item.
    const TVegaDoubleList list = MakeDoubleList({1, kNull, 2, 3, -1, 9});
    struct Case {
        std::int32_t count, subdiv, kind;
        std::vector<double> h;
    } cases[] = {
        {2, 1, 0, {2, 3}},
        {2, 2, 0, {2, 2, 3, 2}},
        {2, 1, 1, {1.5, 2}},  // weights 1 at the
                              // centre, 0.5 at the
                              // ends
        {2, 1, 3, {0, 0}},
        {0, 5, 0, {}},
        {2, 0, 0, {}},
        {-2, -5, 0, {}},
        {100000, 101, 0, {}},   // more than ten million bins
        {65536, 65536, 0, {}},  // 2^32 bins, 0 in 32-bit arithmetic
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.count << " x " << c.subdiv << " kind " << c.kind);
        TVegaDoubleList h = MakeDoubleList({42});
        RecordingCanvas canvas;
        list.DrawDistibutionFloatingBins(&canvas, TRect{0, 0, 100, 30}, c.count, c.subdiv, 0, 4,
                                         c.kind, &h);
        EXPECT_EQ(ItemsOf(h), c.h);
        EXPECT_EQ(canvas.Records().empty(), c.h.empty() || c.kind > 1);
    }

    RecordingCanvas canvas;
    list.DrawDistibutionFloatingBins(&canvas, TRect{0, 0, 100, 30}, 2, 2, 0, 4, 0, nullptr);
    EXPECT_THAT(SegmentsOf(canvas),
                ElementsAre(Segment{{0, 10}, {33, 10}}, Segment{{33, 10}, {67, 0}},
                            Segment{{67, 0}, {100, 10}}));

    // Without a canvas the values still come back; an empty range leaves them alone.
    TVegaDoubleList h;
    list.DrawDistibutionFloatingBins(nullptr, TRect{}, 2, 1, 0, 4, 0, &h);
    EXPECT_THAT(ItemsOf(h), ElementsAre(2, 3));
    list.DrawDistibutionFloatingBins(nullptr, TRect{}, 2, 1, 4, 4, 0, &h);
    EXPECT_THAT(ItemsOf(h), ElementsAre(2, 3));
}

TEST(Distributions, RandomDrawsFollowTheBins) {
    // Four tens in bin 2 of 0..10. Drawing back maps bin k to a third of the range centred on
    // k: r = 0 picks bin 0 (-1.67..1.67, clamped to 0..1.67), r = 1..3 bin 2 (5..8.33).
    const TVegaDoubleList list = MakeDoubleList({10, 10, 10, 10, 0});
    SeedPseudoRandom(11);
    int low = 0;
    int high = 0;
    for (int i = 0; i < 400; ++i) {
        const double x = list.GetRandomDistributed(3, 0, 10);
        if (x >= 0 && x < 10.0 / 6)
            ++low;
        else if (x >= 5 && x < 25.0 / 3)
            ++high;
        else
            ADD_FAILURE() << x;
    }
    EXPECT_NEAR(low, 100, 35);
    EXPECT_NEAR(high, 300, 35);

    SeedPseudoRandom(3);
    const double first = list.GetRandomDistributed(3, 0, 10);
    SeedPseudoRandom(3);
    EXPECT_EQ(list.GetRandomDistributed(3, 0, 10), first);

    // Without bins: VMin, and the generator does not move.
    SeedPseudoRandom(5);
    EXPECT_EQ(list.GetRandomDistributed(0, 2, 10), 2);
    const double next = PseudoRandomUnit();
    SeedPseudoRandom(5);
    EXPECT_EQ(PseudoRandomUnit(), next);
}

TEST(Distributions, PointsInsideAnInterval) {
    const TVegaDoubleList list = MakeDoubleList({1, 3, 5, 7, kNull});
    EXPECT_EQ(list.Amount_Points_Inside_Interval(5, 1), 3);
    EXPECT_EQ(list.Amount_Points_Inside_Interval(1, 5), 3);
    EXPECT_EQ(list.Amount_Points_Inside_Interval(7, 7), 1);
    EXPECT_EQ(list.Amount_Points_Inside_Interval(8, 9), 0);
}

TEST(Distributions, RobustRange) {
    const double kNone = kMinSearchStart;
    struct Case {
        const char* what;
        std::vector<double> items;
        std::uint8_t per;
        std::int32_t maxOut;
        double lo, hi;
        std::vector<std::int32_t> removed;
    } cases[] = {
        {"plain", {3, kNull, -2, 8}, 100, 0, -2, 8, {}},
        {"widened", {0, 10}, 150, 0, -5, 15, {}},
        {"example", {1, 2, 3, 4, 100}, 60, 100, 2, 4, {0, 4}},
        {"at least one pass", {1, 2, 3, 4, 100}, 0, 0, 2, 4, {0, 4}},
        {"stops at MaxOutPoints", {1, 2, 3, 4, 100}, 0, 3, 3, 3, {0, 4, 1, 3}},
        {"first occurrences", {5, 1, 9, 1, 9}, 60, 100, 1, 9, {1, 2}},
        {"equal values: one position twice", {5, 5, 5, 5}, 0, 100, 5, 5, {0, 0, 1, 1}},
        {"a lone value is recorded twice",
         {5, kNull, kNull, kNull},
         50,
         100,
         kNone,
         -kNone,
         {0, 0}},
        {"stops when nothing remains", {1, 2, kNull}, 0, 100, kNone, -kNone, {0, 1}},
        {"empty", {}, 0, 100, kNone, -kNone, {}},
    };
    for (const auto& c : cases) {
        double lo = 0, hi = 0;
        MakeDoubleList(c.items).GetMinMaxDistributed(c.per, c.maxOut, lo, hi);
        EXPECT_EQ(lo, c.lo) << c.what;
        EXPECT_EQ(hi, c.hi) << c.what;
        EXPECT_EQ(stats::RemovedExtremes(c.items, c.per, c.maxOut), c.removed) << c.what;
    }
}

TEST(Distributions, DeleteExtremeValues) {
    struct Case {
        std::vector<double> items;
        std::uint8_t per;
        std::vector<double> kept;
    } cases[] = {
        {{1, 2, 3, 4, 100}, 60, {2, 3, 4}},
        {{kNull, 1, 2, 3, 4, 100}, 60, {2, 3, 4}},  // nulls lie outside
        {{1, kNull, 2}, 100, {1, 2}},
        {{1, 2}, 0, {1, 2}},  // nothing remains: the empty range keeps everything
    };
    for (const auto& c : cases) {
        TVegaDoubleList list = MakeDoubleList(c.items);
        list.DeleteExtremeValues(c.per, 100);
        EXPECT_EQ(ItemsOf(list), c.kept);
    }
}

// The robust range's removals as defined: a full scan of the working copy per pass.
std::vector<std::int32_t> PlainRemovedExtremes(const std::vector<double>& items, std::uint8_t per,
                                               std::int32_t maxOut) {
    std::vector<std::int32_t> removed;
    std::vector<double> work = items;
    const auto target = static_cast<std::int64_t>(std::nearbyint(
        static_cast<double>((100 - per) * static_cast<std::int64_t>(items.size())) / 100));
    do {
        double lo = kMinSearchStart, hi = kMaxSearchStart;
        std::int32_t loAt = -1, hiAt = -1;
        for (std::size_t i = 0; i < work.size(); ++i) {
            if (work[i] == kNull) continue;
            if (work[i] < lo) lo = work[loAt = static_cast<std::int32_t>(i)];
            if (work[i] > hi) hi = work[hiAt = static_cast<std::int32_t>(i)];
        }
        if (loAt < 0 && hiAt < 0) break;
        if (loAt >= 0) removed.push_back(loAt);
        if (hiAt >= 0) removed.push_back(hiAt);
        if (loAt >= 0) work[static_cast<std::size_t>(loAt)] = kNull;
        if (hiAt >= 0) work[static_cast<std::size_t>(hiAt)] = kNull;
    } while (static_cast<std::int64_t>(removed.size()) < target &&
             static_cast<std::int64_t>(removed.size()) < maxOut);
    return removed;
}

TEST(Distributions, RemovalsAgreeWithAScanPerPass) {
    std::mt19937_64 rng(23);
    const double specials[] = {
        kNull,       -0.0, 1e300, -1e300, 2e300, -2e300, std::numeric_limits<double>::infinity(),
        std::nan("")};
    for (int round = 0; round < 400; ++round) {
        // Few distinct values, so ties and lone groups are common.
        const int spread = std::uniform_int_distribution<int>(0, 6)(rng);
        std::uniform_int_distribution<int> value(-spread, spread);
        std::uniform_int_distribution<int> pick(0, 29);
        std::vector<double> items;
        const int n = std::uniform_int_distribution<int>(0, 60)(rng);
        for (int i = 0; i < n; ++i) {
            const int k = pick(rng);
            items.push_back(round % 2 == 1 && k < 8 ? specials[k] : value(rng));
        }
        const auto per = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 99)(rng));
        const std::int32_t maxOut = std::uniform_int_distribution<std::int32_t>(-1, 70)(rng);
        const std::vector<std::int32_t> expected = PlainRemovedExtremes(items, per, maxOut);
        ASSERT_EQ(stats::RemovedExtremes(items, per, maxOut), expected)
            << ::testing::PrintToString(items) << " per " << int{per} << " max " << maxOut;
    }
}

// The floating-bin histogram as defined: every bin scans every value.
std::vector<double> PlainFloatingBins(const std::vector<double>& items, std::int32_t count,
                                      std::int32_t subdiv, double lo, double hi,
                                      std::int32_t kind) {
    const std::int64_t m = static_cast<std::int64_t>(subdiv) * count;
    std::vector<double> values;
    for (std::size_t i = 0; i + 1 < items.size(); ++i)
        if (items[i] != kNull && lo <= items[i] && items[i] <= hi) values.push_back(items[i]);
    const double w = (hi - lo) / count;
    const double s = ((hi - lo) - w) / static_cast<double>(m);
    std::vector<double> h(static_cast<std::size_t>(m), 0.0);
    for (std::int64_t j = 0; j < m; ++j) {
        const double a = lo + static_cast<double>(j) * s;
        const double b = a + w;
        double sum = 0;
        for (double v : values) {
            if (!((v - a) * (v - b) <= 0)) continue;
            if (kind == 0)
                sum += 1;
            else
                sum = static_cast<double>(sum +
                                          LinearMap(0.5, 1, w / 2, 0, std::fabs(v - (a + w / 2))));
        }
        h[static_cast<std::size_t>(j)] = sum;
    }
    return h;
}

TEST(Distributions, FloatingBinsAgreeWithAScanPerBin) {
    std::mt19937_64 rng(24);
    for (int round = 0; round < 300; ++round) {
        // Ordinary prices, coarse values with ties on the bin edges, or values so small that
        // the interval test's product underflows and takes values just outside a bin.
        const int mode = round % 3;
        const double scale = mode == 2 ? 1e-162 : 1;
        std::uniform_real_distribution<double> fine(-1, 11);
        std::uniform_int_distribution<int> coarse(-2, 22);
        std::vector<double> items;
        const int n = std::uniform_int_distribution<int>(0, 150)(rng);
        for (int i = 0; i < n; ++i) {
            if (i % 17 == 5) {
                items.push_back(kNull);
                continue;
            }
            items.push_back(mode == 1 ? coarse(rng) * 0.5 : fine(rng) * scale);
        }
        const std::int32_t count = std::uniform_int_distribution<std::int32_t>(1, 8)(rng);
        const std::int32_t subdiv = std::uniform_int_distribution<std::int32_t>(1, 12)(rng);
        const double lo = (mode == 1 ? 0.0 : fine(rng) / 2) * scale;
        const double hi = lo + std::uniform_real_distribution<double>(0.5, 10)(rng) * scale;
        for (std::int32_t kind : {0, 1}) {
            const std::vector<double> expected =
                PlainFloatingBins(items, count, subdiv, lo, hi, kind);
            ASSERT_EQ(stats::FloatingBinHistogram(items, count, subdiv, lo, hi, kind), expected)
                << "round " << round << " kind " << kind;
        }
    }
}

}  // namespace
}  // namespace vela
