#include "app/chart_window.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include <gmock/gmock.h>

#include "app/app_fixture.h"
#include "app/bar_table_model.h"
#include "app/chart_render.h"
#include "app/flicker_free_paint_box.h"
#include "app/main_window.h"
#include "chart/bar_table_text.h"
#include "chart/chart_update.h"
#include "market/csv_feed.h"
#include "market/esignal_downloader.h"
#include "market/feed_factory.h"
#include "market/market_feed.h"
#include "platform/atomic_file.h"
#include "text/date_time_text.h"
#include "text/number_text.h"

namespace vela::app {
namespace {

namespace fs = std::filesystem;

using ChartWindowTest = AppFixture;

TEST_F(ChartWindowTest, RunFillsSeriesTableAndCaption) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    EXPECT_EQ(form->windowTitle(), "New ...");
    form->BitBtn1Click();

    const ChartState& s = form->State();
    ASSERT_EQ(form->Table()->LineCount(), 100);
    ASSERT_EQ(s.LClose.Count(), 115);
    for (int i = 100; i < 115; ++i) {
        EXPECT_EQ(s.LClose.GetItem(i), kNullValue);
        EXPECT_EQ(s.LHigh.GetItem(i), kNullValue);
        EXPECT_EQ(s.LLow.GetItem(i), kNullValue);
        EXPECT_NEAR(s.LTime.GetItem(i) - s.LTime.GetItem(i - 1), s.dT, 1e-15);
    }
    EXPECT_EQ(s.ILastPrice, 99);
    EXPECT_DOUBLE_EQ(s.dT, DayInCenturies / 1440);
    EXPECT_TRUE(s.Intraday);
    EXPECT_EQ(form->windowTitle(), "$INDU:  1 min");
    EXPECT_TRUE(form->BitBtn1->isEnabled());
    EXPECT_TRUE(form->Panel4->isHidden());

    // Newest first, in the table's own format.
    const std::string newest = form->Table()->Line(0);
    EXPECT_EQ(newest, DateTimeToText(0, '.', s.LTime.GetItem(99)) + "  " +
                          RealToText(0, s.LClose.GetItem(99)));
    EXPECT_EQ(form->Table()->Line(99).substr(0, 10),
              DateTimeToText(0, '.', s.LTime.GetItem(0)).substr(0, 10));

    // The run's markers, in order.
    const QString memo = main.Memo1->toPlainText();
    EXPECT_EQ(memo, "A2-B1\nA2-B2\nA2-B3\nA2-B4\nA2-B5");
}

// The status text is laid out by hand beside the square: a new text (each zoom step shows
// one) repaints the text alone, not the whole tab page around it.
TEST_F(ChartWindowTest, TheStatusRowFollowsTheWindowAndANewTextRepaintsOnlyItself) {
    TForm2 main;
    main.resize(1000, 700);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    TForm1* form = main.BitBtn1Click();
    for (const int width : {600, 900}) {
        form->parentWidget()->resize(width, 500);
        QCoreApplication::processEvents();
        const int row = form->Panel3->width();
        EXPECT_EQ(form->Panel2->geometry(), QRect(0, 0, row - 22, 27)) << width;
        EXPECT_EQ(form->Shape1->geometry(), QRect(row - 22, 2, 22, 23)) << width;
    }

    struct PaintCounter : QObject {
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++Paints;
            return false;
        }
    } counter;
    form->PageControl1->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.Paints = 0;
    form->Panel2->setText("1234 bars; last bar: a status text of quite another length");
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(counter.Paints, 0);
    form->PageControl1->removeEventFilter(&counter);
}

TEST_F(ChartWindowTest, BlanksAroundATypedSymbolAreNoPartOfIt) {
    TForm2 main;
    TForm1* plain = main.BitBtn1Click();
    plain->Edit1->setText("IBM");
    plain->BitBtn1Click();
    TForm1* padded = main.BitBtn1Click();
    padded->Edit1->setText("  IBM \t");
    padded->BitBtn1Click();
    EXPECT_EQ(padded->Edit1->text(), "IBM");
    EXPECT_EQ(padded->windowTitle(), "IBM:  1 min");
    ASSERT_EQ(padded->Table()->LineCount(), 100);
    EXPECT_EQ(padded->Table()->Line(0), plain->Table()->Line(0));
}

// Extras switched on after a run take effect with their overlays; switched off again, the
// chart is the plain one, pixel for pixel.
TEST_F(ChartWindowTest, ExtrasSwitchOnAndOffAgain) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    const QImage plain = RenderChart(form->State(), 441, 294, nullptr);

    ChartExtras extras;
    extras.Style = BarStyle::Candles;
    extras.Volume = true;
    extras.Averages = {{0, 20}};
    extras.RsiWindow = 14;
    form->SetExtras(extras);
    EXPECT_EQ(form->State().Extras, extras);
    ASSERT_EQ(form->State().Overlays.LAverages.size(), 1u);
    EXPECT_EQ(form->State().Overlays.LRsi.Count(), form->State().LClose.Count());
    // The opens and volumes the candles and the pane need are fetched when switched on.
    EXPECT_EQ(form->State().LOpen.Count(), form->State().LClose.Count());
    EXPECT_EQ(form->State().LVolume.Count(), form->State().LClose.Count());
    EXPECT_NE(RenderChart(form->State(), 441, 294, nullptr), plain);

    form->SetExtras(ChartExtras{});
    EXPECT_TRUE(form->State().Overlays.LAverages.empty());
    EXPECT_EQ(RenderChart(form->State(), 441, 294, nullptr), plain);
}

TEST_F(ChartWindowTest, SaveWritesEveryLineOrAnEmptyFile) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    const fs::path dir = fs::temp_directory_path() / ("vela-save-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string error;
    ASSERT_TRUE(form->SaveTable((dir / "empty.txt").string(), error));
    std::string content = "x";
    ASSERT_TRUE(ReadWholeFile((dir / "empty.txt").string(), content));
    EXPECT_EQ(content, "");

    form->SpinEdit1->setValue(7);
    form->BitBtn1Click();
    ASSERT_TRUE(form->SaveTable((dir / "seven.txt").string(), error));
    ASSERT_TRUE(ReadWholeFile((dir / "seven.txt").string(), content));
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 7);
    EXPECT_EQ(content.substr(0, content.find('\n')), form->Table()->Line(0));
    EXPECT_FALSE(form->SaveTable((dir / "no" / "such.txt").string(), error));
    EXPECT_NE(error.find("such.txt"), std::string::npos);
    fs::remove_all(dir);
}

TEST_F(ChartWindowTest, WholeDayAndUpdatePeriodReachTheDownloader) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->CheckBox1->setChecked(true);
    form->SpinEdit2->setValue(5);
    form->BitBtn1Click();
    EXPECT_TRUE(form->E().Info_Use_Specific_Time);
    EXPECT_EQ(form->E().Info_Specific_TimeMin, 0);
    EXPECT_EQ(form->E().Info_Specific_TimeMax, 1440);
    EXPECT_EQ(form->E().Info_Update_Speed, 5000);
    form->SpinEdit2->setValue(600);  // takes effect without a new run
    EXPECT_EQ(form->E().Info_Update_Speed, 600000);
}

// The number fields are read from their text: a blank one reads as its minimum, and a value
// typed beyond the range is clamped rather than handed to the downloader.
TEST_F(ChartWindowTest, NumberFieldsAreReadFromTheirText) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    auto* bars = form->SpinEdit1->findChild<QLineEdit*>();
    auto* period = form->SpinEdit2->findChild<QLineEdit*>();
    struct Case {
        const char* text;
        int bars;
        int seconds;
    };
    for (const Case& c : {Case{"", 1, 0}, Case{"9999999999", 3000000, 600}, Case{"-5", 1, 0},
                          Case{"12", 12, 12}, Case{"x", 1, 0}}) {
        bars->setText(c.text);
        period->setText(c.text);
        EXPECT_EQ(form->BarsToRequest(), c.bars) << c.text;
        EXPECT_EQ(form->UpdateSeconds(), c.seconds) << c.text;
    }
    // Blanking the period takes effect at once, as typing another one does.
    period->setText("7");
    EXPECT_EQ(form->E().Info_Update_Speed, 7000);
    period->setText("");
    EXPECT_EQ(form->E().Info_Update_Speed, 0);
    bars->setText("");
    form->BitBtn1Click();
    EXPECT_EQ(form->E().LCurr.Count(), 1);
}

// Lines of the table are selected and copied as from a text area: newest first, as saved.
TEST_F(ChartWindowTest, SelectedTableLinesAreCopied) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    ASSERT_EQ(form->Table()->LineCount(), 100);
    EXPECT_EQ(form->RichEdit2->selectionMode(), QAbstractItemView::ExtendedSelection);
    auto* selection = form->RichEdit2->selectionModel();
    for (const int row : {7, 5, 6})
        selection->select(form->Table()->index(row), QItemSelectionModel::Select);
    const std::string expected = form->Table()->Line(5) + "\n" + form->Table()->Line(6) + "\n" +
                                 form->Table()->Line(7) + "\n";
    EXPECT_EQ(form->SelectedLines()->toStdString(), expected);
    QAction* copy = nullptr;
    for (QAction* a : form->RichEdit2->actions())
        if (a->text() == "Copy") copy = a;
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->shortcut(), QKeySequence(QKeySequence::Copy));
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), expected);
    EXPECT_EQ(form->RichEdit2->contextMenuPolicy(), Qt::ActionsContextMenu);

    // Shift+click extends the selection from the line clicked before.
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect r = form->RichEdit2->visualRect(form->Table()->index(row));
        QTest::mouseClick(form->RichEdit2->viewport(), Qt::LeftButton, modifiers, r.center());
    };
    form->resize(600, 500);
    form->PageControl1->setCurrentIndex(1);
    click(2, Qt::NoModifier);
    click(5, Qt::ShiftModifier);
    EXPECT_EQ(form->SelectedLines()->count('\n'), 4);
    EXPECT_TRUE(form->SelectedLines()->startsWith(QString::fromStdString(form->Table()->Line(2))));

    // Ctrl+A takes every line (as one range, not an index per line), in the table's order.
    QTest::keyClick(form->RichEdit2, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form->RichEdit2->selectionModel()->selection().size(), 1);
    std::ostringstream all;
    ASSERT_TRUE(form->Table()->WriteLines(all));
    EXPECT_EQ(form->SelectedLines()->toStdString(), all.str());
    // Beyond what a clipboard should hold, nothing is made.
    EXPECT_FALSE(form->SelectedLines(all.str().size() - 1));
    EXPECT_TRUE(form->SelectedLines(all.str().size()));
}

TEST_F(ChartWindowTest, DailyBarsAreNotIntraday) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->ComboBox1->setCurrentIndex(9);
    form->SpinEdit1->setValue(30);
    form->BitBtn1Click();
    const ChartState& s = form->State();
    ASSERT_EQ(form->Table()->LineCount(), 30);
    EXPECT_FALSE(s.Intraday);
    EXPECT_EQ(s.IFirstBarInDay, 0);
    EXPECT_EQ(s.DayTMin, s.LTime.GetItem(0));
    EXPECT_EQ(form->windowTitle(), "$INDU:  1 day");
}

// A feed of files in which ACME has five one-minute bars and every other symbol none.
class ChartWindowFilesTest : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        dir_ = fs::temp_directory_path() / ("vela-files-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        std::ofstream(dir_ / "ACME.csv") << "Date,Time,Open,High,Low,Close,Volume\n"
                                            "2024-06-20,10:00,5,6,4,5.5,100\n"
                                            "2024-06-20,10:01,5.5,6,5,5.75,100\n"
                                            "2024-06-20,10:02,5.75,7,5,6.5,100\n"
                                            "2024-06-20,10:03,6.5,7,6,6.25,100\n"
                                            "2024-06-20,10:04,6.25,7,6,6,100\n";
        FeedChoice choice = MakeFeed("csv:" + dir_.string());
        ASSERT_TRUE(choice.Feed) << choice.Error;
        feed_ = choice.Feed;
        InstallFeed(feed_);
    }
    void TearDown() override {
        AppFixture::TearDown();
        fs::remove_all(dir_);
    }

    static std::vector<std::string> LinesOf(const BarTableModel& table) {
        std::vector<std::string> lines;
        for (int i = 0; i < table.LineCount(); ++i) lines.push_back(table.Line(i));
        return lines;
    }

    fs::path dir_;
};

// A csv feed that says when a window clears its cache, which every run does first.
class CacheClearingFeed : public CsvFeed {
  public:
    using CsvFeed::CsvFeed;
    void ClearSymbolCache() override {
        CsvFeed::ClearSymbolCache();
        if (OnClear) OnClear();
    }
    std::function<void()> OnClear;
};

// A run charts the history it got afresh, even when a late update rebuilt the chart from the
// old bars while the request waited.
TEST_F(ChartWindowFilesTest, UpdateWhileARunWaitsKeepsNoOldBar) {
    CsvFeedOptions options;
    options.Folder = dir_.string();
    options.Warnings = nullptr;
    auto feed = std::make_shared<CacheClearingFeed>(options, loop_, clock_);
    feed_ = feed;
    InstallFeed(feed_);
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->Edit1->setText("ACME");
    form->SpinEdit1->setValue(100);
    form->BitBtn1Click();
    ASSERT_EQ(form->State().LClose.GetItem(1), 5.75);
    // The file's 10:01 bar is corrected; the newest bar stays as it was.
    std::ofstream(dir_ / "ACME.csv") << "Date,Time,Open,High,Low,Close,Volume\n"
                                        "2024-06-20,10:00,5,6,4,5.5,100\n"
                                        "2024-06-20,10:01,5.5,6,5,5.875,100\n"
                                        "2024-06-20,10:02,5.75,7,5,6.5,100\n"
                                        "2024-06-20,10:03,6.5,7,6,6.25,100\n"
                                        "2024-06-20,10:04,6.25,7,6,6,100\n";
    int late = 0;
    feed->OnClear = [form, &late] {
        CurrentMessageLoop().Post([form, &late] {
            ++late;
            form->UpdateChart();
        });
    };
    form->BitBtn1Click();
    EXPECT_GE(late, 1);
    EXPECT_EQ(form->State().LClose.GetItem(1), 5.875);
    EXPECT_EQ(form->Table()->Line(3), BarTableLine(form->State().LTime.GetItem(1), 5.875));
}

TEST_F(ChartWindowFilesTest, RunWithoutBarsKeepsTheTable) {
    struct Case {
        const char* Symbol;
        int Bars;
        const char* Why;  // the start of what the window says of the run
    };
    // A symbol without a file, and a single bar, which makes no chart either.
    const Case cases[] = {{"NOSUCH", 100, "NOSUCH 1 min: no bars ("},
                          {"ACME", 1, "ACME 1 min: no bars (one bar only; a chart needs two)"}};
    for (const Case& c : cases) {
        TForm2 main;
        TForm1* form = main.BitBtn1Click();
        form->Edit1->setText("ACME");
        form->BitBtn1Click();
        const std::vector<std::string> before = LinesOf(*form->Table());
        ASSERT_EQ(before.size(), 5u);
        ASSERT_EQ(before[0].substr(before[0].size() - 5), "  6.0");

        form->Edit1->setText(c.Symbol);
        form->SpinEdit1->setValue(c.Bars);
        form->BitBtn1Click();
        EXPECT_EQ(form->State().LClose.Count(), 0) << c.Symbol;  // the chart is empty
        EXPECT_EQ(form->windowTitle(), QString(c.Symbol) + ":  1 min");
        EXPECT_TRUE(form->BitBtn1->isEnabled());
        EXPECT_EQ(LinesOf(*form->Table()), before) << c.Symbol;
        std::ostringstream saved;
        ASSERT_TRUE(form->Table()->WriteLines(saved));
        std::string expected;
        for (const std::string& line : before) expected += line + "\n";
        EXPECT_EQ(saved.str(), expected) << c.Symbol;
        // Nothing passes the kept lines off as the new request's.
        EXPECT_EQ(form->Panel2->text().left(static_cast<int>(std::strlen(c.Why))), c.Why)
            << form->Panel2->text().toStdString();
        EXPECT_TRUE(
            form->Panel2->text().contains(QString(c.Symbol) == "NOSUCH" ? "NOSUCH.csv" : "one bar"))
            << form->Panel2->text().toStdString();
        EXPECT_EQ(form->Status().TextColor, TColor{0x0000FF});
        const auto* label = form->findChild<QLabel*>("PreviousRunLabel");
        ASSERT_NE(label, nullptr);
        EXPECT_FALSE(label->isHidden());
        EXPECT_EQ(label->text(), "lines of the previous run: ACME 1 min");
        // A run with bars again: the window is plain once more.
        form->Edit1->setText("ACME");
        form->SpinEdit1->setValue(100);
        form->BitBtn1Click();
        form->FlickerFreePaintBox1->ComposeFrame();
        EXPECT_TRUE(label->isHidden());
        EXPECT_THAT(form->Panel2->text().toStdString(), ::testing::StartsWith("5 bars; last bar"));
    }
}

TEST_F(ChartWindowTest, StreamingShowsStopAndStopEndsIt) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->BitBtn1Click();
    form->E().OnBarsChanged1(form->E().eSignal.get(), form->E().Handle);
    form->Timer1Timer();
    EXPECT_FALSE(form->BitBtn2->isHidden());
    form->BitBtn2Click();
    form->Timer1Timer();
    EXPECT_TRUE(form->BitBtn2->isHidden());
    EXPECT_FALSE(form->E().RT_Active());
}

}  // namespace
}  // namespace vela::app

namespace vela::app {
namespace {

TEST_F(ChartWindowTest, LiveUpdatesFromTheFeedMakeTheWindowStream) {
    TForm2 main;
    TForm1* form = main.BitBtn1Click();
    form->SpinEdit2->setValue(0);
    form->BitBtn1Click();
    WaitPumping(1500);  // the simulated market ticks once a second
    EXPECT_TRUE(form->E().RT_Active());
    form->Timer1Timer();
    EXPECT_FALSE(form->BitBtn2->isHidden());
}

}  // namespace
}  // namespace vela::app
