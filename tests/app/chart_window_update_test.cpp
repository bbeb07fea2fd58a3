#include <QCheckBox>
#include <QSpinBox>
#include <random>
#include <sstream>

#include "app/app_fixture.h"
#include "app/bar_table_model.h"
#include "app/chart_navigation.h"
#include "app/chart_render.h"
#include "app/chart_window.h"
#include "app/flicker_free_paint_box.h"
#include "app/main_window.h"
#include "chart/bar_table_text.h"
#include "chart/chart_update.h"
#include "chart/chart_view.h"
#include "market/esignal_downloader.h"

namespace vela::app {
namespace {

using ChartWindowUpdateTest = AppFixture;

// An update that arrives while UpdateChart pumps messages must not run nested (every table
// line would be built twice over); it runs once more afterwards instead.
TEST_F(ChartWindowUpdateTest, UpdateArrivingInsideAnUpdateRunsAfterIt) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(20);
    form->BitBtn1Click();
    ASSERT_EQ(form->Table()->LineCount(), 20);

    int nested = 0;
    CurrentMessageLoop().Post([form, &nested] {
        ++nested;
        form->UpdateChart();  // arrives while the outer update pumps
    });
    form->UpdateChart();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(form->Table()->LineCount(), 20);
    EXPECT_EQ(form->State().LClose.Count(), 35);
}

// Streaming rebuilds only from the first changed bar on; after any sequence of merges the
// window shows exactly the chart and the table that a full rebuild of its bars gives.
TEST_F(ChartWindowUpdateTest, StreamedWindowMatchesAFullRebuild) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(400);
    form->SpinEdit2->setValue(0);
    form->BitBtn1Click();
    TEsignalDownloader& e = form->E();
    ASSERT_EQ(e.LCurr.Count(), 400);
    std::mt19937 random(25);
    for (int step = 0; step < 60; ++step) {
        // What a merge does: the newest bars fetched again, some changed, some new.
        const std::int32_t count = e.LCurr.Count();
        const std::int32_t refetched = std::uniform_int_distribution<std::int32_t>(1, 100)(random);
        const std::int32_t added = std::uniform_int_distribution<std::int32_t>(-2, 3)(random);
        e.LUpdate.Clear();
        const std::int32_t from = count - refetched;
        BarData last = e.LCurr.GetItem(count - 1);
        for (std::int32_t i = from; i < count + added; ++i) {
            BarData b = i < count ? e.LCurr.GetItem(i) : last;
            if (i >= count) b.dtTime = last.dtTime + (i - count + 1) * form->State().dT;
            if (std::uniform_int_distribution<int>(0, 3)(random) == 0)
                b.dClose += std::uniform_real_distribution<double>(-2, 2)(random);
            e.LUpdate.Add1(b);
        }
        e.LCurr.Update(e.LUpdate);
        if (step == 20) {
            ChartExtras extras;
            extras.Volume = true;
            form->SetExtras(extras);
        }
        e.Info_Update_Procedure();

        ChartState rebuilt;
        rebuilt.dT = form->State().dT;
        rebuilt.Extras = form->State().Extras;
        ASSERT_TRUE(UpdateChartSeries(e.LCurr.Prices(), rebuilt));
        ASSERT_EQ(RenderChart(form->State(), 441, 294, nullptr),
                  RenderChart(rebuilt, 441, 294, nullptr))
            << "step " << step;
        std::ostringstream shown;
        std::ostringstream expected;
        ASSERT_TRUE(form->Table()->WriteLines(shown));
        const auto bars = static_cast<std::size_t>(rebuilt.ILastPrice + 1);
        ASSERT_TRUE(WriteBarTableLines(expected, rebuilt.LTime.Items().first(bars),
                                       rebuilt.LClose.Items().first(bars)));
        ASSERT_EQ(shown.str(), expected.str()) << "step " << step;
    }
}

// The window's paints keep the chart's reduced columns between updates; after any sequence of
// merges, with the high and low lines switched, candles and volume switched, the box resized
// and a view of the newest bars shown now and then, each frame is the chart of what the
// window shows, painted afresh.
TEST_F(ChartWindowUpdateTest, FramesAfterStreamingAreThoseOfAFreshPaint) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit1->setValue(3000);
    form->SpinEdit2->setValue(0);
    form->BitBtn1Click();
    TEsignalDownloader& e = form->E();
    ASSERT_EQ(e.LCurr.Count(), 3000);
    TFlickerFreePaintBox* box = form->FlickerFreePaintBox1;
    box->resize(441, 294);
    std::mt19937 random(26);
    for (int step = 0; step < 80; ++step) {
        const std::int32_t count = e.LCurr.Count();
        const std::int32_t refetched = std::uniform_int_distribution<std::int32_t>(1, 3)(random);
        const std::int32_t added = std::uniform_int_distribution<std::int32_t>(-1, 4)(random) / 3;
        e.LUpdate.Clear();
        BarData last = e.LCurr.GetItem(count - 1);
        for (std::int32_t i = count - refetched; i < count + added; ++i) {
            BarData b = i < count ? e.LCurr.GetItem(i) : last;
            if (i >= count) b.dtTime = last.dtTime + (i - count + 1) * form->State().dT;
            b.dClose += std::uniform_real_distribution<double>(-2, 2)(random);
            // Now and then beyond the range so far.
            if (step % 9 == 4) b.dHigh += 500;
            e.LUpdate.Add1(b);
        }
        e.LCurr.Update(e.LUpdate);
        switch (step % 11) {
            case 3:
                form->CheckBox2->setChecked(!form->CheckBox2->isChecked());
                break;
            case 5:
                box->resize(std::uniform_int_distribution<int>(300, 900)(random),
                            std::uniform_int_distribution<int>(200, 600)(random));
                break;
            case 7:
                form->Navigation().SetView(NewestBars(e.LCurr.Count(), 500));
                break;
            case 9:
                form->Navigation().Reset();
                break;
            case 10: {  // candles, the volume pane, averages and the RSI on a log scale, or
                        // the close line again
                ChartExtras extras;
                if (form->State().Extras.Style == BarStyle::Line) {
                    extras.Style = BarStyle::Candles;
                    extras.Volume = true;
                    extras.Averages = {{0, 20}, {2, 3}, {3, 5}};
                    extras.RsiWindow = 14;
                    extras.LogScale = true;
                }
                form->SetExtras(extras);
                break;
            }
            default:
                break;
        }
        e.Info_Update_Procedure();
        // Some updates go unpainted, as when they come faster than the screen.
        if (step % 4 == 1) continue;
        ASSERT_EQ(box->ComposeFrame(),
                  RenderChart(form->ShownState(), box->width(), box->height(), nullptr))
            << "step " << step;
    }
}

}  // namespace
}  // namespace vela::app
