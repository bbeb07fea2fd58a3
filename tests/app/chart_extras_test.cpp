#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/chart_window.h"
#include "app/flicker_free_paint_box.h"
#include "app/main_window.h"
#include "chart/bar_under_mouse.h"
#include "chart/chart_painting.h"
#include "market/esignal_downloader.h"

namespace vela::app {
namespace {

class ChartExtrasTest : public AppFixture {
  protected:
    static void Trigger(TForm1* form, const char* name) {
        QAction* action = form->ExtrasMenu()->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        ASSERT_TRUE(action->isEnabled()) << name;
        action->trigger();
    }
    // The plot of the chart once the window has laid out its controls.
    static TRect LaidOutPlot(TForm1* form) {
        form->parentWidget()->resize(700, 500);
        QCoreApplication::sendPostedEvents();
        form->parentWidget()->grab();
        const TFlickerFreePaintBox* box = form->FlickerFreePaintBox1;
        return ChartLayoutFor(TRect{0, 0, box->width(), box->height()}).Plot;
    }
    static bool Enabled(TForm1* form, const char* name) {
        return form->ExtrasMenu()->findChild<QAction*>(name)->isEnabled();
    }
};

TEST_F(ChartExtrasTest, MenuActionsSwitchTheFields) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    EXPECT_FALSE(form->Extras().AnyOn());
    const struct {
        const char* action;
        ChartExtras after;
    } steps[] = {
        {"ActionCandles", {BarStyle::Candles, false, {}, 0, false}},
        {"ActionOhlc", {BarStyle::Ohlc, false, {}, 0, false}},
        {"ActionVolume", {BarStyle::Ohlc, true, {}, 0, false}},
        {"ActionSma50", {BarStyle::Ohlc, true, {{0, 50}}, 0, false}},
        {"ActionEma20", {BarStyle::Ohlc, true, {{0, 50}, {1, 20}}, 0, false}},
        {"ActionRsi", {BarStyle::Ohlc, true, {{0, 50}, {1, 20}}, 14, false}},
        {"ActionCrosshair", {BarStyle::Ohlc, true, {{0, 50}, {1, 20}}, 14, true}},
        {"ActionSma50", {BarStyle::Ohlc, true, {{1, 20}}, 14, true}},
        {"ActionVolume", {BarStyle::Ohlc, false, {{1, 20}}, 14, true}},
        {"ActionRsi", {BarStyle::Ohlc, false, {{1, 20}}, 0, true}},
        {"ActionLine", {BarStyle::Line, false, {{1, 20}}, 0, true}},
        {"ActionCrosshair", {BarStyle::Line, false, {{1, 20}}, 0, false}},
        {"ActionEma20", {}},
    };
    for (const auto& step : steps) {
        Trigger(form, step.action);
        EXPECT_EQ(form->Extras(), step.after) << step.action;
    }
    // The scale and the axis switch on their own.
    Trigger(form, "ActionLogScale");
    EXPECT_TRUE(form->Extras().LogScale);
    Trigger(form, "ActionFullTimeAxis");
    EXPECT_TRUE(form->Extras().FullTimeAxis);
    Trigger(form, "ActionLogScale");
    EXPECT_FALSE(form->Extras().LogScale);
    EXPECT_TRUE(form->Extras().FullTimeAxis);
    EXPECT_EQ(form->ExtrasMenu()->findChild<QAction*>("ActionFullTimeAxis")->text(),
              "Time axis over the whole view");
}

TEST_F(ChartExtrasTest, RightClickOnTheChartOpensTheMenuShowingTheFields) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    ChartExtras extras;
    extras.Volume = true;
    form->SetExtras(extras);
    form->ExtrasMenu()->findChild<QAction*>("ActionVolume")->setChecked(false);  // stale
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
    QCoreApplication::sendEvent(form->FlickerFreePaintBox1, &click);
    EXPECT_TRUE(form->ExtrasMenu()->isVisible());
    EXPECT_TRUE(form->ExtrasMenu()->findChild<QAction*>("ActionVolume")->isChecked());
    form->ExtrasMenu()->hide();
}

TEST_F(ChartExtrasTest, AtMostThreeAveragesAndTheMenuFollowsSetExtras) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    Trigger(form, "ActionSma20");
    Trigger(form, "ActionSma50");
    EXPECT_TRUE(Enabled(form, "ActionEma20"));
    Trigger(form, "ActionSma200");
    EXPECT_FALSE(Enabled(form, "ActionEma20"));  // a fourth cannot be checked
    EXPECT_TRUE(Enabled(form, "ActionSma50"));   // but a checked one can be unchecked
    EXPECT_EQ(form->Extras().Averages.size(), 3u);

    ChartExtras extras;
    extras.Style = BarStyle::Candles;
    extras.Averages = {{1, 20}};
    form->SetExtras(extras);
    EXPECT_EQ(form->Extras(), extras);
    const auto checked = [form](const char* name) {
        return form->ExtrasMenu()->findChild<QAction*>(name)->isChecked();
    };
    EXPECT_TRUE(checked("ActionCandles"));
    EXPECT_FALSE(checked("ActionLine"));
    EXPECT_TRUE(checked("ActionEma20"));
    EXPECT_FALSE(checked("ActionSma20"));
    EXPECT_TRUE(Enabled(form, "ActionSma20"));
}

TEST_F(ChartExtrasTest, EnterInTheSymbolFieldRunsOnlyWhenRunIsEnabled) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    QSignalSpy clicks(form->BitBtn1, &QPushButton::clicked);
    form->BitBtn1->setEnabled(false);
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(form->State().LClose.Count(), 0);
    form->BitBtn1->setEnabled(true);
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(form->State().LClose.Count(), 115);
}

TEST_F(ChartExtrasTest, CrosshairReadsTheBarUnderTheMouse) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    const TRect plot = LaidOutPlot(form);
    const int y = (plot.Top + plot.Bottom) / 2;

    form->ChartMouseMove(QPoint(plot.Left, y));
    EXPECT_EQ(form->CrosshairReadout(), "") << "off by default";

    ChartExtras extras;
    extras.Crosshair = true;
    form->SetExtras(extras);
    const auto prices = form->E().LCurr.Prices();
    ASSERT_EQ(prices.size(), 100u);
    form->ChartMouseMove(QPoint(plot.Left, y));
    EXPECT_EQ(form->CrosshairReadout(), BarReadout(prices.front()));
    // 115 positions: the last bar is position 99.
    const int last = plot.Left + ((plot.Right - plot.Left) * 99 + 57) / 114;
    form->ChartMouseMove(QPoint(last, y));
    EXPECT_EQ(form->CrosshairReadout(), BarReadout(prices.back()));
    form->ChartMouseMove(QPoint(plot.Right, y));
    EXPECT_EQ(form->CrosshairReadout(), "") << "future positions have no bar";
    form->ChartMouseMove(QPoint(plot.Left, y));
    form->ChartMouseMove(QPoint(plot.Left - 2, y));
    EXPECT_EQ(form->CrosshairReadout(), "") << "outside the plot";
    form->ChartMouseMove(QPoint(plot.Left, y));
    form->ChartMouseLeave();
    EXPECT_EQ(form->CrosshairReadout(), "");
}

// The crosshair is drawn over the shown frame only: the composed chart stays the same.
TEST_F(ChartExtrasTest, CrosshairLeavesTheComposedFrameAlone) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    const TRect plot = LaidOutPlot(form);
    TFlickerFreePaintBox* box = form->FlickerFreePaintBox1;
    const QImage plain = box->ComposeFrame();
    const QImage shownPlain = box->grab().toImage();
    ChartExtras extras;
    extras.Crosshair = true;
    form->SetExtras(extras);
    const QPoint at((plot.Left + plot.Right) / 2, (plot.Top + plot.Bottom) / 2);
    form->ChartMouseMove(at);
    EXPECT_EQ(box->ComposeFrame(), plain);
    const QImage shown = box->grab().toImage();
    EXPECT_NE(shown, shownPlain);
    form->ChartMouseLeave();
    EXPECT_EQ(box->grab().toImage(), shownPlain);
}

}  // namespace
}  // namespace vela::app
