#include "app/chart_navigation.h"

#include <gtest/gtest.h>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

#include "app/app_fixture.h"
#include "app/chart_window.h"
#include "app/flicker_free_paint_box.h"
#include "app/main_window.h"
#include "chart/chart_painting.h"
#include "market/esignal_downloader.h"

namespace vela::app {
namespace {

class ChartNavigationTest : public AppFixture {
  protected:
    TForm1* Open(TForm2& main, int bars) {
        TForm1* form = main.BitBtn1Click();
        form->resize(900, 600);
        form->SpinEdit1->setValue(bars);
        form->BitBtn1Click();
        EXPECT_EQ(form->E().LCurr.Count(), bars);
        return form;
    }
    static void Wheel(QWidget* box, QPoint at, int steps) {
        QWheelEvent e(at, box->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(box, &e);
    }
};

ChartView View(std::int32_t first, std::int32_t width) {
    ChartView v;
    v.Whole = false;
    v.First = first;
    v.Width = width;
    return v;
}

TEST_F(ChartNavigationTest, TheWheelZoomsAroundTheBarUnderTheMouseAndEscShowsAllAgain) {
    TForm2 main;
    TForm1* form = Open(main, 300);
    QWidget* box = form->FlickerFreePaintBox1;
    const ChartNavigation& nav = form->Navigation();
    ASSERT_TRUE(nav.View().Whole);
    // Over the newest bars (the right end of the plot before the future positions).
    const int plotRight = box->width() * 98 / 100;
    Wheel(box, QPoint(plotRight - 2, box->height() / 3), 1);
    ASSERT_FALSE(nav.View().Whole);
    EXPECT_EQ(nav.View().Width, 240);
    EXPECT_TRUE(nav.View().Follows(300));
    // The chart shown is the chart of the bars in view.
    EXPECT_EQ(form->ShownState().ILastPrice + 1, 240);
    EXPECT_EQ(form->State().ILastPrice + 1, 300);
    Wheel(box, QPoint(plotRight - 2, box->height() / 3), -3);
    EXPECT_TRUE(nav.View().Whole);
    Wheel(box, QPoint(box->width() / 2, box->height() / 3), 2);
    EXPECT_EQ(nav.View().Width, 192);
    EXPECT_FALSE(nav.View().Follows(300));
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(nav.View().Whole);
    EXPECT_EQ(&form->ShownState(), &form->State());
}

TEST_F(ChartNavigationTest, ZoomingByHandPutsTheAxisOverTheWholeView) {
    TForm2 main;
    TForm1* form = Open(main, 300);
    // Set from outside (a snapshot's --view, a desktop), the axis stays as it was.
    form->Navigation().SetView(NewestBars(300, 100));
    EXPECT_FALSE(form->Extras().FullTimeAxis);
    form->Navigation().Reset();
    QWidget* box = form->FlickerFreePaintBox1;
    Wheel(box, QPoint(box->width() / 2, box->height() / 3), 1);
    ASSERT_FALSE(form->Navigation().View().Whole);
    EXPECT_TRUE(form->Extras().FullTimeAxis);
    // Back to the whole history, it stays on until switched off.
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(form->Extras().FullTimeAxis);
}

TEST_F(ChartNavigationTest, KeysAndDraggingMoveTheView) {
    TForm2 main;
    TForm1* form = Open(main, 300);
    QWidget* box = form->FlickerFreePaintBox1;
    ChartNavigation& nav = form->Navigation();
    nav.SetView(View(100, 50));
    struct Step {
        Qt::Key key;
        ChartView expected;
    };
    const Step steps[] = {
        {Qt::Key_Left, View(99, 50)},   {Qt::Key_Right, View(100, 50)},
        {Qt::Key_PageUp, View(50, 50)}, {Qt::Key_PageDown, View(100, 50)},
        {Qt::Key_Home, View(0, 50)},    {Qt::Key_End, View(250, 50)},
        {Qt::Key_Right, View(250, 50)}, {Qt::Key_Minus, View(238, 62)},
        {Qt::Key_Plus, View(250, 50)},
    };
    for (const Step& s : steps) {
        QTest::keyClick(box, s.key);
        EXPECT_EQ(nav.View(), s.expected) << s.key;
    }
    // Dragging the plot to the right shows older bars, by as many as the mouse passed.
    nav.SetView(View(100, 50));
    const int y = box->height() / 3;
    const double perBar = (box->width() * 98 / 100 - box->width() * 15 / 100) / 64.0;
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(400, y));
    QTest::mouseMove(box, QPoint(400 + static_cast<int>(10 * perBar), y));
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier,
                        QPoint(400 + static_cast<int>(10 * perBar), y));
    EXPECT_NEAR(nav.View().First, 90, 1);
    QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(400, y));
    EXPECT_TRUE(nav.View().Whole);
}

TEST_F(ChartNavigationTest, AClickOnTheMarkerReturnsToTheNewestBars) {
    TForm2 main;
    TForm1* form = Open(main, 300);
    QWidget* box = form->FlickerFreePaintBox1;
    ChartNavigation& nav = form->Navigation();
    nav.SetView(View(100, 50));
    ASSERT_TRUE(nav.NewerBeyond());
    const TRect plot = ChartLayoutFor(TRect{0, 0, box->width(), box->height()}).Plot;
    const TRect marker = NewerBarsMarker(plot);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier,
                      QPoint(marker.Left + 3, (marker.Top + marker.Bottom) / 2));
    EXPECT_EQ(nav.View(), View(250, 50));
    EXPECT_FALSE(nav.NewerBeyond());
}

TEST_F(ChartNavigationTest, ANewRunShowsTheWholeHistory) {
    TForm2 main;
    TForm1* form = Open(main, 300);
    form->Navigation().SetView(View(10, 20));
    form->BitBtn1Click();
    EXPECT_TRUE(form->Navigation().View().Whole);
}

}  // namespace
}  // namespace vela::app
