#include "chart/chart_column_cache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "chart/chart_painting.h"
#include "chart/chart_update.h"
#include "platform/recording_canvas.h"
#include "text/calendar.h"

namespace vela {
namespace {

void ExpectSameRecords(const RecordingCanvas& fast, const RecordingCanvas& plain) {
    const auto& a = fast.Records();
    const auto& b = plain.Records();
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].What, b[i].What) << "record " << i;
        ASSERT_EQ(a[i].Points, b[i].Points) << "record " << i;
        ASSERT_EQ(a[i].Rect, b[i].Rect) << "record " << i;
        ASSERT_EQ(a[i].Text, b[i].Text) << "record " << i;
        ASSERT_EQ(a[i].Pen, b[i].Pen) << "record " << i;
        ASSERT_EQ(a[i].Brush, b[i].Brush) << "record " << i;
        ASSERT_EQ(a[i].Font, b[i].Font) << "record " << i;
        ASSERT_EQ(a[i].Transparent, b[i].Transparent) << "record " << i;
    }
}

struct Case {
    const char* Name;
    double Minutes;  // intraday bars go by position, daily bars by time
    bool Log;
    BarStyle Style = BarStyle::Line;
    bool Volume = false;
    std::vector<ChartAverage> Averages = {};
    std::int32_t Rsi = 0;
};

// After every step of a random stream of updates (the forming bar moving, beyond the range
// too, new bars, bars fetched again, gaps without a close, the high and low lines switched,
// the box resized), the chart painted with what the paints keep is the plain chart, record
// for record, whether painted after every update or after a few: its lines, its bars and
// volume pane, its averages and RSI where the extras show them.
TEST(ChartColumnCache, PaintsThePlainChartAfterRandomUpdates) {
    for (const Case& c :
         {Case{"minutes", 1, false}, Case{"days", 1440, false}, Case{"minutes, log", 1, true},
          Case{"minutes, candles and volume", 1, false, BarStyle::Candles, true},
          Case{"days, OHLC bars", 1440, false, BarStyle::Ohlc},
          Case{"minutes, log, OHLC bars and volume", 1, true, BarStyle::Ohlc, true},
          // Every kind of average pass: trailing, exponential, centred, forward-backward.
          Case{"minutes, averages and RSI",
               1,
               false,
               BarStyle::Line,
               false,
               {{0, 20}, {1, 50}, {2, 3}},
               14},
          Case{"days, log, averages and RSI",
               1440,
               true,
               BarStyle::Candles,
               false,
               {{3, 5}, {2, 20}, {0, 3}},
               9}}) {
        SCOPED_TRACE(c.Name);
        std::mt19937 random(26);
        const double dT = BarLengthInCenturies(c.Minutes);
        std::vector<BarPrices> bars;
        double t = DateToCenturies(2012, 6, 20, 9.5);
        double price = 100;
        const auto next = [&](double gapBars) {
            t += gapBars * dT;
            price = std::max(1.0, price + std::uniform_real_distribution<double>(-1, 1)(random));
            BarPrices b;
            b.dtTime = t;
            b.dOpen = price - 0.25;
            b.dHigh = price + 0.5 + std::uniform_real_distribution<double>(0, 1)(random);
            b.dLow = price - 0.5;
            b.dClose = price;
            b.dVolume = std::uniform_int_distribution<int>(0, 1000)(random);
            // Now and then a bar without a close: a gap in the close line.
            if (std::uniform_int_distribution<int>(0, 400)(random) == 0) b.dClose = kNullValue;
            return b;
        };
        for (int i = 0; i < 3000; ++i) bars.push_back(next(i % 997 == 996 ? 1000 : 1));

        ChartState s;
        s.dT = dT;
        s.Extras.LogScale = c.Log;
        s.Extras.Style = c.Style;
        s.Extras.Volume = c.Volume;
        s.Extras.Averages = c.Averages;
        s.Extras.RsiWindow = c.Rsi;
        ChartOverlayTails tails;
        std::size_t unchanged = 0;
        ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, s, tails));
        ChartColumnCache cache;
        TRect client{0, 0, 441, 294};
        for (int step = 0; step < 300; ++step) {
            std::size_t cut = bars.size();
            switch (std::uniform_int_distribution<int>(0, 9)(random)) {
                case 0:
                case 1:
                case 2:
                case 3:  // the forming bar moves
                    cut = bars.size() - 1;
                    price = bars.back().dClose == kNullValue ? price : bars.back().dClose;
                    t -= dT;
                    bars.back() = next(1);
                    break;
                case 4:  // the forming bar reaches beyond the range, up or down
                    cut = bars.size() - 1;
                    bars.back().dHigh += 50;
                    bars.back().dLow = std::max(0.5, bars.back().dLow - 40 * (step % 2));
                    break;
                case 5:  // a new bar
                    bars.push_back(next(1));
                    break;
                case 6: {  // the newest bars fetched again, some of them changed
                    const auto n = std::uniform_int_distribution<std::size_t>(1, 100)(random);
                    cut = bars.size() - n;
                    for (std::size_t i = cut; i < bars.size(); ++i) bars[i].dClose += 0.125;
                    break;
                }
                case 7:  // the high and low lines switched
                    s.HighLow = !s.HighLow;
                    break;
                case 8:  // the box resized
                    client.Right = std::uniform_int_distribution<std::int32_t>(200, 1300)(random);
                    client.Bottom = std::uniform_int_distribution<std::int32_t>(150, 800)(random);
                    break;
                default:  // nothing changed
                    break;
            }
            unchanged = cut;
            ASSERT_TRUE(UpdateChartSeriesFrom(bars, unchanged, s, tails));
            cache.Keep(unchanged);
            // Some updates go unpainted: what the cache vouches for is the least kept since.
            if (step % 5 == 3) continue;
            RecordingCanvas fast;
            RecordingCanvas plain;
            ChartStatus fastStatus;
            ChartStatus plainStatus;
            ASSERT_EQ(FlickerFreePaintBox1Paint(s, fast, client, fastStatus, nullptr, &cache),
                      FlickerFreePaintBox1Paint(s, plain, client, plainStatus));
            ExpectSameRecords(fast, plain);
            EXPECT_EQ(fastStatus.Text, plainStatus.Text);
            if (HasFailure()) {
                ADD_FAILURE() << "at step " << step;
                return;
            }
        }
    }
}

// The price range of highs and lows as GetMinMax finds it, over blocks of which only those
// after the first changed item are searched again.
TEST(ChartColumnCache, HighLowRangeAsGetMinMax) {
    ChartState s;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::uniform_real_distribution<double>(10, 20)(random);
        s.LHigh.Add(i % 5000 == 17 ? kNullValue : v + 1);
        s.LLow.Add(v - 1);
    }
    ChartColumnCache cache;
    const auto expectSame = [&] {
        double a[4], b[4];
        cache.HighLowRange(s, a[0], a[1], a[2], a[3]);
        s.LHigh.GetMinMax(b[0], b[1]);
        s.LLow.GetMinMax(b[2], b[3]);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(a[k], b[k]) << k;
    };
    expectSame();
    // Changes among the newest items, as vouched for; then fewer and more items.
    for (const std::int32_t at : {19999, 12288, 4096, 0}) {
        s.LHigh.SetItem(at, 30 + at);
        s.LLow.SetItem(at, 5 - at);
        cache.Keep(static_cast<std::size_t>(at));
        expectSame();
    }
    for (TVegaDoubleList* list : {&s.LHigh, &s.LLow}) list->Delete(list->Count() - 1);
    cache.Keep(19999);
    expectSame();
    s.LHigh.Add(1000);
    s.LLow.Add(-1000);
    cache.Keep(19999);
    expectSame();
    // A count changed without a word of what stayed is not trusted.
    s.LHigh.SetItem(5, 1e6);
    s.LHigh.Add(20);
    s.LLow.Add(10);
    expectSame();
}

}  // namespace
}  // namespace vela
