#include "chart/chart_view.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/chart_update.h"
#include "platform/recording_canvas.h"

namespace vela {
namespace {

ChartView View(std::int32_t first, std::int32_t width) {
    ChartView v;
    v.Whole = false;
    v.First = first;
    v.Width = width;
    return v;
}

TEST(ChartView, ViewsStayWithinTheBarsAndAtLeastTenWide) {
    struct Case {
        ChartView view;
        std::int32_t bars;
        ChartView expected;
    };
    const Case cases[] = {
        {View(5, 20), 100, View(5, 20)},
        {View(-3, 20), 100, View(0, 20)},   // not before the oldest
        {View(95, 20), 100, View(80, 20)},  // not past the newest
        {View(50, 3), 100, View(50, 10)},   // ten bars at least
        {View(0, 500), 100, View(0, 100)},  // no wider than the bars
        {View(2, 20), 6, View(0, 6)},       // fewer bars than ten: all of them
        {View(0, 20), 0, View(0, 0)},
        {ChartView{}, 100, ChartView{}},  // the whole history stays whole
    };
    for (const Case& c : cases)
        EXPECT_EQ(Clamped(c.view, c.bars), c.expected) << c.view.First << "+" << c.view.Width;
}

TEST(ChartView, NewestBarsAndBarsBeforeTheNewest) {
    EXPECT_EQ(NewestBars(3000, 100), View(2900, 100));
    EXPECT_EQ(NewestBars(50, 100), View(0, 50));
    EXPECT_EQ(NewestBars(3000, 4), View(2990, 10));
    EXPECT_EQ(BarsBefore(3000, 100, 200), View(2700, 100));
    EXPECT_EQ(BarsBefore(3000, 100, 2950), View(0, 100));
    EXPECT_TRUE(NewestBars(3000, 100).Follows(3000));
    EXPECT_FALSE(BarsBefore(3000, 100, 1).Follows(3000));
}

TEST(ChartView, ZoomKeepsTheBarUnderTheMouseInItsPlace) {
    struct Case {
        ChartView view;
        std::int32_t anchor;
        double factor;
        ChartView expected;
    };
    const Case cases[] = {
        // In around the middle of the whole history of 100 bars.
        {ChartView{}, 50, 0.8, View(10, 80)},
        // Around the oldest or the newest bar: that end stays.
        {View(0, 80), 0, 0.5, View(0, 40)},
        {View(20, 80), 99, 0.5, View(60, 40)},
        // A small factor still takes a bar; never below ten.
        {View(40, 20), 50, 0.99, View(41, 19)},
        {View(45, 10), 50, 0.5, View(45, 10)},
        // Out again: clamped at the oldest bar, and the whole history once all fit.
        {View(10, 40), 10, 1.5, View(10, 60)},
        {View(10, 80), 50, 1.25, ChartView{}},
        // An anchor outside the view counts as its nearest end.
        {View(20, 40), 5, 0.5, View(20, 20)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Zoomed(c.view, 100, c.anchor, c.factor), c.expected)
            << c.view.First << "+" << c.view.Width << " about " << c.anchor << " x" << c.factor;
}

TEST(ChartView, PanAndFollow) {
    EXPECT_EQ(Panned(View(10, 20), 100, 5), View(15, 20));
    EXPECT_EQ(Panned(View(10, 20), 100, -50), View(0, 20));
    EXPECT_EQ(Panned(View(10, 20), 100, 1000), View(80, 20));
    EXPECT_EQ(Panned(ChartView{}, 100, -5), ChartView{});
    // A view at the newest bar moves along with new bars; one scrolled back stays.
    EXPECT_EQ(Followed(View(80, 20), 100, 103), View(83, 20));
    EXPECT_EQ(Followed(View(50, 20), 100, 103), View(50, 20));
    EXPECT_EQ(Followed(ChartView{}, 100, 103), ChartView{});
}

// A view of the newest bars is the chart of a window that holds only those bars.
TEST(ChartView, TheChartOfAViewIsTheChartOfItsBars) {
    std::vector<BarPrices> bars;
    for (int i = 0; i < 300; ++i) {
        // Two sessions with a night between them.
        const double t = 1.0 + i * 1e-6 + (i >= 150 ? 5e-4 : 0);
        bars.push_back(
            BarPrices{t, 10.0 + i % 7, 12.0 + i % 5, 9.0 - i % 3, 10.5 + i % 11, 1.0 * i});
    }
    ChartState viewed;
    viewed.dT = 1e-6;
    viewed.Extras.Averages = {{0, 5}};
    ChartState alone = viewed;
    ASSERT_TRUE(UpdateViewSeries(bars, BarsBefore(300, 100, 20), viewed));
    ASSERT_TRUE(UpdateChartSeries(std::span(bars).subspan(180, 100), alone));
    EXPECT_EQ(viewed.LClose.Items().size(), 115u);
    for (TVegaDoubleList ChartState::*list :
         {&ChartState::LClose, &ChartState::LHigh, &ChartState::LLow, &ChartState::LTime}) {
        const auto a = (viewed.*list).Items();
        const auto b = (alone.*list).Items();
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
    }
    EXPECT_EQ(viewed.IFirstBarInDay, alone.IFirstBarInDay);
    EXPECT_EQ(viewed.DayTMin, alone.DayTMin);
    EXPECT_EQ(viewed.DayTMax, alone.DayTMax);
    EXPECT_EQ(viewed.ILastPrice, alone.ILastPrice);
    EXPECT_EQ(viewed.LastClose, alone.LastClose);
    ASSERT_EQ(viewed.Overlays.LAverages.size(), 1u);
    const auto av = viewed.Overlays.LAverages[0].Items();
    const auto aa = alone.Overlays.LAverages[0].Items();
    EXPECT_TRUE(std::equal(av.begin(), av.end(), aa.begin(), aa.end()));
}

TEST(ChartView, TheMarkerOfNewerBarsSitsAtThePlotsRightEdge) {
    RecordingCanvas canvas;
    const TRect plot{120, 10, 784, 360};
    DrawNewerBarsMarker(canvas, plot);
    const auto polygons = canvas.Of(CanvasRecord::Kind::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    EXPECT_EQ(polygons[0].Points, (std::vector<TPoint>{{773, 177}, {782, 185}, {773, 193}}));
    EXPECT_EQ(polygons[0].Brush.Color, 0x808080);
    EXPECT_EQ(NewerBarsMarker(plot), (TRect{773, 177, 783, 194}));
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

TEST(ChartViewTextTest, ViewsAsTextAndBack) {
    struct Case {
        ChartView View;
        std::int32_t Bars;
        const char* Text;
    };
    for (const Case& c : {Case{ChartView{}, 500, ""}, Case{NewestBars(500, 100), 500, "100"},
                          Case{BarsBefore(500, 100, 40), 500, "100@40"}}) {
        EXPECT_EQ(ViewText(c.View, c.Bars), c.Text);
        if (c.View.Whole) continue;
        const auto span = ParseViewText(c.Text, 3000000);
        ASSERT_TRUE(span) << c.Text;
        EXPECT_EQ(BarsBefore(c.Bars, span->Width, span->Back), c.View) << c.Text;
    }
    for (const char* bad : {"", "0", "-5", "10@", "@3", "10@-1", "x", "10@3@4", "4000000", " 10"})
        EXPECT_FALSE(ParseViewText(bad, 3000000)) << bad;
}

}  // namespace
}  // namespace vela
