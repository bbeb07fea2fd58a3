#include "app/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "app/app_fixture.h"
#include "app/application.h"
#include "app/bar_table_model.h"
#include "app/chart_window.h"
#include "app/display_check.h"
#include "market/esignal_downloader.h"

namespace vela::app {
namespace {

using MainWindowTest = AppFixture;

void DeleteDeferred() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Makes a window stream as if its first bars-changed event had arrived.
void StartStreaming(TForm1* form) {
    form->E().OnBarsChanged1(form->E().eSignal.get(), form->E().Handle);
    form->Timer1Timer();
}

TEST_F(MainWindowTest, CaptionAndControls) {
    TForm2 form;
    EXPECT_EQ(form.windowTitle(), "Vela eSignal Monitor");
    EXPECT_EQ(form.BitBtn9->text(), "Click here and wait 10-30 sec...");
    EXPECT_EQ(form.BitBtn7->text(), "All: start streaming");
    EXPECT_EQ(form.BitBtn8->text(), "All: stop streaming");
    EXPECT_EQ(form.StatusPanel->text(), "");
    form.Timer1Timer();
    EXPECT_EQ(form.StatusPanel->text(), "eSignal is not intitled");
    EXPECT_FALSE(form.Panel2->text().isEmpty());
}

TEST_F(MainWindowTest, ConnectLeavesMarkersAndExactlyOneRunningWindow) {
    TForm2 main;
    main.SetConfirm([](const QString& q) {
        ADD_FAILURE() << "no window holds bars, yet asked: " << q.toStdString();
        return true;
    });
    main.BitBtn1Click();
    main.BitBtn1Click();
    main.BitBtn9Click();
    EXPECT_TRUE(main.BitBtn9->isHidden());
    EXPECT_EQ(main.Memo1->toPlainText(),
              "A1\nA1-B1\nA1-B2\nA1-B3\nA1-B4\nA2\nA2-B1\nA2-B2\nA2-B3\nA2-B4\nA2-B5\nA3");
    DeleteDeferred();
    const auto windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->Table()->LineCount(), 100);
    main.Timer1Timer();
    EXPECT_EQ(main.StatusPanel->text(), "eSignal is ready");
}

TEST_F(MainWindowTest, ConnectAsksBeforeClosingWindowsThatHoldBars) {
    TForm2 main;
    TForm1* empty = main.BitBtn1Click();
    TForm1* held = main.BitBtn1Click();
    held->BitBtn1Click();
    ASSERT_EQ(held->Table()->LineCount(), 100);
    QString asked;
    bool answer = false;
    main.SetConfirm([&](const QString& q) {
        asked = q;
        return answer;
    });
    const QString memo = main.Memo1->toPlainText();
    main.BitBtn9Click();
    EXPECT_EQ(asked,
              "Connecting closes the 1 chart window holding bars and opens one new "
              "window. Connect?");
    // No: everything as it was.
    DeleteDeferred();
    EXPECT_EQ(TForm2::ChartWindows(), (std::vector<TForm1*>{empty, held}));
    EXPECT_EQ(held->Table()->LineCount(), 100);
    EXPECT_FALSE(main.BitBtn9->isHidden());
    EXPECT_EQ(main.Memo1->toPlainText(), memo);
    answer = true;
    main.BitBtn9Click();
    DeleteDeferred();
    EXPECT_EQ(TForm2::ChartWindows().size(), 1u);
    EXPECT_TRUE(main.BitBtn9->isHidden());
}

TEST_F(MainWindowTest, AllButtonsLeaveStreamingWindowsAlone) {
    TForm2 main;
    TForm1* a = main.BitBtn1Click();
    TForm1* b = main.BitBtn1Click();
    TForm1* c = main.BitBtn1Click();
    b->BitBtn1Click();
    StartStreaming(b);
    const auto bHandle = b->E().Handle;

    main.BitBtn7Click();
    EXPECT_EQ(a->Table()->LineCount(), 100);
    EXPECT_EQ(c->Table()->LineCount(), 100);
    EXPECT_EQ(b->E().Handle, bHandle);  // not run again

    StartStreaming(a);
    main.BitBtn8Click();
    a->Timer1Timer();
    b->Timer1Timer();
    EXPECT_FALSE(a->E().RT_Active());
    EXPECT_FALSE(b->E().RT_Active());
    EXPECT_TRUE(a->BitBtn2->isHidden());
}

TEST_F(MainWindowTest, AllButtonsWithNoWindowDoNothing) {
    TForm2 main;
    main.BitBtn7Click();
    main.BitBtn8Click();
    EXPECT_TRUE(TForm2::ChartWindows().empty());
}

TEST_F(MainWindowTest, WindowClosedDuringAnAllWalkIsSkipped) {
    TForm2 main;
    TForm1* a = main.BitBtn1Click();
    QPointer<TForm1> b = main.BitBtn1Click();
    TForm1* c = main.BitBtn1Click();
    // While a's run pumps messages, the user closes b.
    CurrentMessageLoop().Post([b] {
        if (b) b->parentWidget()->close();
    });
    main.BitBtn7Click();
    DeleteDeferred();
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(a->Table()->LineCount(), 100);
    EXPECT_EQ(c->Table()->LineCount(), 100);
    EXPECT_EQ(TForm2::ChartWindows().size(), 2u);
}

TEST_F(MainWindowTest, TheDiagnosticsDockSitsBesideTheChartAreaAndComesBack) {
    TForm2 main;
    main.resize(1280, 900);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    auto* area = main.findChild<QMdiArea*>("MdiClient");
    ASSERT_NE(area, nullptr);
    const auto inMain = [&](const QWidget* w) {
        return QRect(w->mapTo(&main, QPoint(0, 0)), w->size());
    };
    // Beside the area, not over it: a maximized chart window is wholly in sight.
    EXPECT_FALSE(inMain(area).intersects(inMain(main.DiagnosticsDock)));
    EXPECT_LE(inMain(area).right(), inMain(main.DiagnosticsDock).left());
    EXPECT_GE(main.DiagnosticsDock->width(), 300);
    EXPECT_TRUE(main.BitBtn9->isVisible());
    EXPECT_TRUE(main.Memo1->isVisible());
    const int narrow = area->width();
    // Closed, the area takes the room; the toolbar button brings the dock back.
    main.DiagnosticsDock->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(main.DiagnosticsButton->isChecked());
    EXPECT_GT(area->width(), narrow);
    main.DiagnosticsButton->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(main.DiagnosticsDock->isVisible());
    EXPECT_EQ(area->width(), narrow);
}

TEST_F(MainWindowTest, TheDefaultDesktopButtonSaysWhereItWrote) {
    TForm2 main;
    ASSERT_TRUE(main.SaveDefaultDesktop());
    const QStringList lines = main.Memo1->toPlainText().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    const QString prefix = "Default desktop saved as ";
    ASSERT_TRUE(lines.back().startsWith(prefix)) << lines.back().toStdString();
    const std::string path = lines.back().mid(prefix.size()).toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    std::filesystem::remove(path);
}

TEST_F(MainWindowTest, TheMemoShowsItsNewestLine) {
    TForm2 main;
    main.resize(1280, 900);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    for (int i = 0; i < 200; ++i) TraceMark("line " + std::to_string(i));
    main.Memo1->verticalScrollBar()->setValue(0);  // the user scrolled up
    TraceMark("csv feed: something failed");
    EXPECT_EQ(main.Memo1->verticalScrollBar()->value(), main.Memo1->verticalScrollBar()->maximum());
}

TEST_F(MainWindowTest, WindowClosedDuringItsOwnRunGoesAfterTheRun) {
    TForm2 main;
    QPointer<TForm1> a = main.BitBtn1Click();
    CurrentMessageLoop().Post([a] {
        if (a) a->parentWidget()->close();
    });
    a->BitBtn1Click();
    ASSERT_FALSE(a.isNull());  // still there: its run was on the stack
    EXPECT_TRUE(a->Closing());
    EXPECT_TRUE(TForm2::ChartWindows().empty());
    DeleteDeferred();
    EXPECT_TRUE(a.isNull());
}

TEST_F(MainWindowTest, NestedRunPressIsSkipped) {
    TForm2 main;
    TForm1* a = main.BitBtn1Click();
    int runsInside = 0;
    CurrentMessageLoop().Post([a, &runsInside] {
        // "All: start streaming" presses Run again while the first run waits.
        runsInside += a->Running();
        a->BitBtn1Click();
    });
    a->BitBtn1Click();
    EXPECT_EQ(runsInside, 1);
    EXPECT_EQ(a->Table()->LineCount(), 100);
    EXPECT_FALSE(a->Running());
}

TEST_F(MainWindowTest, ProgressMessageShowsInTheStatusBar) {
    TForm2 main;
    TForm1* a = main.BitBtn1Click();
    a->SpinEdit1->setValue(200);
    int shown = 0;
    QObject::connect(main.DownloadProgress, &QProgressBar::valueChanged,
                     [&shown](int) { ++shown; });
    a->BitBtn1Click();
    EXPECT_GE(shown, 3);  // 25, 50, 75 (100 hides it)
    EXPECT_TRUE(main.DownloadProgress->isHidden());
}

TEST_F(MainWindowTest, FontsSizesAndTheEditableMemo) {
    TForm2 main;
    main.layout()->activate();
    // The client area without the status bar: the toolbar over the chart windows' area and
    // the dock beside it.
    EXPECT_EQ(main.width(), 905);
    EXPECT_EQ(main.Panel1->height() + main.centralWidget()->height(), 538);
    EXPECT_EQ(QFontInfo(main.font()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(main.Memo1->font()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(main.StatusBar1->font()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(main.BitBtn9->font()).pixelSize(), 19);
    EXPECT_FALSE(main.Memo1->isReadOnly());
    TForm1* form = main.BitBtn1Click();
    EXPECT_EQ(form->size(), QSize(468, 383));
    EXPECT_EQ(QFontInfo(form->font()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(form->PageControl1->font()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(form->BitBtn3->font()).pixelSize(), 11);
    EXPECT_FALSE(form->parentWidget()->windowIcon().isNull());
}

// New windows cascade from the top left one title-bar step apart, and start again at the
// top left when the next would leave the frame's client area.
TEST_F(MainWindowTest, NewWindowsOpenWhereThePlatformPutsThem) {
    TForm2 main;
    main.resize(1000, 700);
    main.show();
    main.DiagnosticsDock->close();  // the chart windows' area is then the frame's width
    std::vector<QPoint> places;
    for (int i = 0; i < 3; ++i) places.push_back(main.BitBtn1Click()->parentWidget()->pos());
    const int step = places[1].x();
    EXPECT_GT(step, 10);
    EXPECT_EQ(places[0], QPoint(0, 0));
    EXPECT_EQ(places[1], QPoint(step, step));
    EXPECT_EQ(places[2], QPoint(2 * step, 2 * step));
    // In a small frame the next step would leave the client area: back to the top left.
    main.resize(560, 460 + 3 * step);
    QApplication::processEvents();
    EXPECT_EQ(main.BitBtn1Click()->parentWidget()->pos(), QPoint(0, 0));
    EXPECT_EQ(main.BitBtn1Click()->parentWidget()->pos(), QPoint(step, step));
}

// The person at the window learns why a chart stayed empty: the feed's reports are lines of
// the diagnostics memo.
TEST(FeedReports, ReachTheMemo) {
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("vela-memo-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    {
        Application app;
        std::string error;
        ASSERT_TRUE(app.StartFeed({"csv:" + dir.string()}, false, error)) << error;
        TForm2 main;
        TForm1* window = main.BitBtn1Click();
        window->Edit1->setText("NOPE");
        window->BitBtn1Click();
        EXPECT_EQ(window->Table()->LineCount(), 0);
        EXPECT_TRUE(main.Memo1->toPlainText().contains(
            QString::fromStdString("no file " + (dir / "NOPE.csv").string() + "; no bars")))
            << main.Memo1->toPlainText().toStdString();
    }
    std::filesystem::remove_all(dir);
}

TEST(DisplayCheck, OffscreenNeedsNoDisplay) {
    // The test main sets the offscreen platform.
    EXPECT_EQ(MissingDisplayReason(), "");
}

}  // namespace
}  // namespace vela::app
