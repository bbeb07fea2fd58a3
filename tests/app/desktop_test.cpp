#include <gtest/gtest.h>
#include <unistd.h>
#include <QMdiSubWindow>
#include <QPushButton>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>
#include <QStandardPaths>
#include <filesystem>
#include <random>

#include "app/app_fixture.h"
#include "app/chart_alerts.h"
#include "app/chart_navigation.h"
#include "app/chart_window.h"
#include "app/main_window.h"
#include "chart/chart_view.h"
#include "geometry/window_tiling.h"
#include "market/esignal_downloader.h"
#include "platform/atomic_file.h"
#include "settings/extended_ini_file.h"

namespace vela::app {
namespace {

struct WindowSettings {
    QString symbol;
    int interval;
    int bars;
    int period;
    bool highLow;
    QRect bounds;
};

class DesktopTest : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        dir_ = std::filesystem::temp_directory_path() /
               ("vela-desktop-" + std::to_string(::getpid()) + "-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        main_ = std::make_unique<TForm2>();
        main_->resize(1280, 900);
    }
    void TearDown() override {
        main_.reset();
        std::filesystem::remove_all(dir_);
        AppFixture::TearDown();
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Put(const std::string& name, const std::string& content) const {
        EXPECT_TRUE(WriteFileAtomically(Path(name), content));
        return Path(name);
    }
    static void DeleteDeferred() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TForm1* Open(const WindowSettings& s) {
        TForm1* form = main_->BitBtn1Click();
        form->Edit1->setText(s.symbol);
        form->ComboBox1->setCurrentIndex(s.interval);
        form->SpinEdit1->setValue(s.bars);
        form->SpinEdit2->setValue(s.period);
        form->CheckBox2->setChecked(s.highLow);
        form->parentWidget()->setGeometry(s.bounds);
        return form;
    }

    static WindowSettings SettingsOf(TForm1* form) {
        return {form->Edit1->text(),          form->ComboBox1->currentIndex(),
                form->SpinEdit1->value(),     form->SpinEdit2->value(),
                form->CheckBox2->isChecked(), form->parentWidget()->geometry()};
    }

    std::filesystem::path dir_;
    std::unique_ptr<TForm2> main_;
};

const WindowSettings kThree[] = {
    {"IBM", 5, 200, 3, true, QRect(10, 20, 400, 300)},
    {"$INDU", 9, 50, 0, false, QRect(300, 150, 500, 350)},
    {"MSFT", 0, 120, 7, true, QRect(40, 400, 460, 280)},
};

TEST_F(DesktopTest, ThreeWindowsComeBackInOrderWithSettingsAndBounds) {
    for (const auto& s : kThree) Open(s)->CheckBox1->setChecked(true);
    const std::string file = Path("three.dsc_1");
    std::string error;
    ASSERT_TRUE(main_->SaveDesktop(file, &error)) << error;

    // Something else on the desktop meanwhile; it goes when the file opens.
    Open({"OTHER", 1, 10, 1, false, QRect(0, 0, 300, 200)});
    std::vector<QString> runOrder;
    ASSERT_TRUE(main_->OpenDesktop(file, &error, [&](TForm1* form) {
        runOrder.push_back(form->Edit1->text());
        EXPECT_GT(form->State().LClose.Count(), 0) << "run before the next window";
    })) << error;
    DeleteDeferred();

    const std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const WindowSettings got = SettingsOf(windows[i]);
        EXPECT_EQ(got.symbol, kThree[i].symbol) << i;
        EXPECT_EQ(got.interval, kThree[i].interval) << i;
        EXPECT_EQ(got.bars, kThree[i].bars) << i;
        EXPECT_EQ(got.period, kThree[i].period) << i;
        EXPECT_EQ(got.highLow, kThree[i].highLow) << i;
        EXPECT_EQ(got.bounds, kThree[i].bounds) << i;
        EXPECT_FALSE(windows[i]->CheckBox1->isChecked()) << "Whole day is not stored";
    }
    EXPECT_EQ(runOrder, (std::vector<QString>{"IBM", "$INDU", "MSFT"}));
}

TEST_F(DesktopTest, FileLayoutAndSectionsOfALargerSaveStay) {
    for (const auto& s : kThree) Open(s);
    const std::string file = Path("d.dsc_1");
    ASSERT_TRUE(main_->SaveDesktop(file));
    {
        TSpecIniFile ini(file);
        std::vector<std::string> sections;
        ini.ReadSections(sections);
        EXPECT_EQ(sections, (std::vector<std::string>{"W_0", "FORM_0", "W_1", "FORM_1", "W_2",
                                                      "FORM_2", "OPTIONS"}));
        std::vector<std::string> keys;
        ini.ReadSection("W_0", keys);
        EXPECT_EQ(keys, (std::vector<std::string>{"Edit1", "ComboBox1", "SpinEdit1", "SpinEdit2",
                                                  "CheckBox2"}));
        EXPECT_EQ(ini.ReadString("W_0", "CheckBox2", ""), "1");
        EXPECT_EQ(ini.ReadString("W_1", "ComboBox1", ""), "9");
        keys.clear();
        ini.ReadSection("FORM_1", keys);
        EXPECT_EQ(keys, (std::vector<std::string>{"W", "H", "L", "T"}));
        EXPECT_EQ(ini.ReadInteger("FORM_1", "L", -1), 300);
    }

    TForm2::ChartWindows().back()->RequestClose();
    DeleteDeferred();
    ASSERT_TRUE(main_->SaveDesktop(file));
    {
        TSpecIniFile ini(file);
        EXPECT_EQ(ini.ReadInteger("OPTIONS", "COUNT", -1), 2);
        EXPECT_EQ(ini.ReadString("W_2", "Edit1", ""), "MSFT");
    }
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    EXPECT_EQ(TForm2::ChartWindows().size(), 2u);
}

TEST_F(DesktopTest, ChartExtrasComeBackAfterTheControlsKeys) {
    ChartExtras on;
    on.Style = BarStyle::Candles;
    on.Volume = true;
    on.Averages = {{0, 20}, {1, 20}};
    on.RsiWindow = 14;
    on.Crosshair = true;
    ChartExtras averagesOnly;
    averagesOnly.Averages = {{0, 50}};
    Open(kThree[0])->SetExtras(on);
    Open(kThree[1]);
    Open(kThree[2])->SetExtras(averagesOnly);
    const std::string file = Path("extras.dsc_1");
    ASSERT_TRUE(main_->SaveDesktop(file));
    {
        TSpecIniFile ini(file);
        std::vector<std::string> keys;
        ini.ReadSection("W_0", keys);
        EXPECT_EQ(keys, (std::vector<std::string>{"Edit1", "ComboBox1", "SpinEdit1", "SpinEdit2",
                                                  "CheckBox2", "ChartStyle", "ChartVolume",
                                                  "ChartAverages", "ChartRSI", "ChartCrosshair",
                                                  "ChartFullTimeAxis", "ChartLogScale"}));
        EXPECT_EQ(ini.ReadString("W_0", "ChartAverages", ""), "0:20,1:20");
        keys.clear();
        ini.ReadSection("W_1", keys);
        EXPECT_EQ(keys.size(), 5u) << "all off: the controls' keys alone";
    }
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0]->Extras(), on);
    EXPECT_EQ(windows[1]->Extras(), ChartExtras{});
    EXPECT_EQ(windows[2]->Extras(), averagesOnly);

    // Switched off again, a window's old keys are overwritten, not left to switch them on.
    windows[0]->SetExtras(ChartExtras{});
    ASSERT_TRUE(main_->SaveDesktop(file));
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0]->Extras(), ChartExtras{});
    EXPECT_EQ(windows[2]->Extras(), averagesOnly);
}

TEST_F(DesktopTest, ViewsLogScaleAndTheWholeViewAxisComeBack) {
    TForm1* following = Open(kThree[0]);
    following->BitBtn1Click();
    ASSERT_EQ(following->E().LCurr.Count(), 200);
    ChartExtras scaled;
    scaled.LogScale = true;
    scaled.FullTimeAxis = true;
    following->SetExtras(scaled);
    following->Navigation().SetView(NewestBars(200, 40));
    TForm1* back = Open(kThree[1]);
    back->BitBtn1Click();
    ASSERT_EQ(back->E().LCurr.Count(), 50);
    back->Navigation().SetView(BarsBefore(50, 20, 10));
    Open(kThree[2]);
    const std::string file = Path("views.dsc_1");
    ASSERT_TRUE(main_->SaveDesktop(file));
    {
        TSpecIniFile ini(file);
        EXPECT_EQ(ini.ReadString("W_0", "ChartView", "-"), "40");
        EXPECT_EQ(ini.ReadString("W_1", "ChartView", "-"), "20@10");
        std::vector<std::string> keys;
        ini.ReadSection("W_2", keys);
        EXPECT_EQ(keys.size(), 5u) << "a whole history adds no key";
    }
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    const std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0]->Extras(), scaled);
    EXPECT_EQ(windows[0]->Navigation().View(), NewestBars(200, 40));
    EXPECT_EQ(windows[1]->Navigation().View(), BarsBefore(50, 20, 10));
    EXPECT_TRUE(windows[2]->Navigation().View().Whole);
}

TEST_F(DesktopTest, AlertsComeBackArmedOrFiredAndNoAlertsAddNoKey) {
    TForm1* withAlerts = Open(kThree[0]);
    Open(kThree[1]);
    const std::string file = Path("alerts.dsc_1");
    // As the window is: one armed, one fired from above at 99.5.
    PriceAlert fired;
    fired.Level = 100;
    fired.Fired = true;
    fired.Direction = AlertDirection::FromAbove;
    fired.Last = 99.5;
    PriceAlert armed;
    armed.Level = 3830.25;
    withAlerts->Alerts().Restore({armed, fired});
    ASSERT_TRUE(main_->SaveDesktop(file));
    {
        TSpecIniFile ini(file);
        EXPECT_EQ(ini.ReadString("W_0", "ChartAlerts", "-"), "3830.25 armed;100 fired above 99.5");
        std::vector<std::string> keys;
        ini.ReadSection("W_0", keys);
        EXPECT_EQ(keys.back(), "ChartAlerts") << "after the specified keys";
        keys.clear();
        ini.ReadSection("W_1", keys);
        EXPECT_EQ(keys.size(), 5u) << "a window without alerts adds no key";
    }
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    const std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 2u);
    const auto& items = windows[0]->Alerts().Alerts().Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Level, 3830.25);
    EXPECT_FALSE(items[0].Fired);
    EXPECT_EQ(items[1].Level, 100);
    EXPECT_TRUE(items[1].Fired);
    EXPECT_EQ(items[1].Direction, AlertDirection::FromAbove);
    EXPECT_EQ(items[1].Last, 99.5);
    EXPECT_EQ(windows[0]->State().Alerts, (std::vector<AlertMark>{{3830.25, false}, {100, true}}));
    EXPECT_TRUE(windows[1]->Alerts().Alerts().Empty());
    EXPECT_TRUE(windows[1]->State().Alerts.empty());

    // Deleted again, they leave an empty key where the file had one, and none elsewhere.
    windows[0]->Alerts().Restore({});
    ASSERT_TRUE(main_->SaveDesktop(file));
    TSpecIniFile ini(file);
    EXPECT_EQ(ini.ReadString("W_0", "ChartAlerts", "-"), "");
    EXPECT_EQ(ini.ReadString("W_1", "ChartAlerts", "-"), "-");
}

TEST_F(DesktopTest, MinimizedAndMaximizedWindowsAreSavedAtTheirNormalSize) {
    main_->show();
    TForm1* minimized = Open(kThree[0]);
    TForm1* maximized = Open(kThree[1]);
    auto* minFrame = static_cast<QMdiSubWindow*>(minimized->parentWidget());
    auto* maxFrame = static_cast<QMdiSubWindow*>(maximized->parentWidget());
    minFrame->showMinimized();
    maxFrame->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_NE(minFrame->size(), kThree[0].bounds.size());
    const std::string file = Path("states.dsc_1");
    ASSERT_TRUE(main_->SaveDesktop(file));
    {
        TSpecIniFile ini(file);
        for (int i = 0; i < 2; ++i) {
            const std::string section = "FORM_" + std::to_string(i);
            const QRect b = kThree[i].bounds;
            EXPECT_EQ(ini.ReadInteger(section, "W", 0), b.width()) << i;
            EXPECT_EQ(ini.ReadInteger(section, "H", 0), b.height()) << i;
            EXPECT_EQ(ini.ReadInteger(section, "L", 0), b.x()) << i;
            EXPECT_EQ(ini.ReadInteger(section, "T", 0), b.y()) << i;
        }
    }
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    const std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0]->parentWidget()->size(), kThree[0].bounds.size());
}

TEST_F(DesktopTest, TileMakesAGridOfFourOrMoreWindows) {
    main_->show();
    for (const int n : {4, 5}) {
        for (TForm1* form : TForm2::ChartWindows()) form->parentWidget()->close();
        DeleteDeferred();
        for (int i = 0; i < n; ++i) main_->BitBtn1Click();
        QCoreApplication::processEvents();
        main_->BitBtn3->click();
        const QWidget* viewport = TForm2::ChartWindows().front()->parentWidget()->parentWidget();
        const std::vector<TRect> expected = TileRects(n, viewport->width(), viewport->height());
        const std::vector<TForm1*> windows = TForm2::ChartWindows();
        ASSERT_EQ(windows.size(), static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const QRect g = windows[i]->parentWidget()->geometry();
            const TRect& r = expected[i];
            EXPECT_EQ(g, QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top)) << n << " " << i;
        }
    }
}

TEST_F(DesktopTest, DesktopsWithoutOrWithBadExtrasKeysOpenWithExtrasOff) {
    const std::string file = Put("old.dsc_1",
                                 "[W_0]\nEdit1=IBM\nComboBox1=3\nSpinEdit1=100\nSpinEdit2=0\n"
                                 "CheckBox2=0\n\n[W_1]\nEdit1=MSFT\nChartStyle=7\n"
                                 "ChartAverages=x,9:\nChartRSI=-3\nChartVolume=yes\n\n"
                                 "[OPTIONS]\nCOUNT=2\n");
    Open(kThree[0])->SetExtras(ChartExtras{BarStyle::Ohlc, true, {}, 14, true});
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    const std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 2u);
    for (TForm1* form : windows) EXPECT_EQ(form->Extras(), ChartExtras{});
}

TEST_F(DesktopTest, NoWindowsSavesCountZeroAndOpensNone) {
    const std::string file = Path("empty.dsc_1");
    ASSERT_TRUE(main_->SaveDesktop(file));
    TSpecIniFile ini(file);
    EXPECT_EQ(ini.ReadString("OPTIONS", "COUNT", ""), "0");
    Open(kThree[0]);
    ASSERT_TRUE(main_->OpenDesktop(file));
    DeleteDeferred();
    EXPECT_TRUE(TForm2::ChartWindows().empty());
}

TEST_F(DesktopTest, SaveAsChangesTheExtension) {
    Open(kThree[0]);
    for (const char* name : {"report.txt", "report2", ".foo"}) {
        ASSERT_TRUE(main_->SaveDesktopAs(Path(name))) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(Path("report.dsc_1")));
    EXPECT_TRUE(std::filesystem::exists(Path("report2.dsc_1")));
    EXPECT_TRUE(std::filesystem::exists(Path(".dsc_1")));
    EXPECT_FALSE(std::filesystem::exists(Path("report.txt")));
}

TEST_F(DesktopTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    Open(kThree[0]);
    std::string error;
    EXPECT_FALSE(main_->SaveDesktop(Path("no/such/folder/d.dsc_1"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(main_->SaveDesktopAs(Path("no/such/folder/d")));
    EXPECT_TRUE(main_->Memo1->toPlainText().contains("The desktop was not saved"));
    EXPECT_NE(main_->findChild<QMessageBox*>("DesktopFailure"), nullptr);
}

TEST_F(DesktopTest, UnreadableFileLeavesTheDesktopAsItWas) {
    Open(kThree[0]);
    std::filesystem::create_directories(dir_ / "folder.dsc_1");
    std::string error;
    EXPECT_FALSE(main_->OpenDesktop(Path("folder.dsc_1"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(TForm2::ChartWindows().size(), 1u);
    // A name that names no file is an empty desktop.
    EXPECT_TRUE(main_->OpenDesktop(Path("missing.dsc_1"), &error));
    DeleteDeferred();
    EXPECT_TRUE(TForm2::ChartWindows().empty());
}

TEST_F(DesktopTest, BadFilesNeverCrashAndGiveSoundWindows) {
    std::string random(4000, '\0');
    std::mt19937 gen(5);
    for (char& c : random) c = static_cast<char>(gen() & 0xFF);
    const struct {
        const char* name;
        std::string content;
        std::size_t windows;
    } cases[] = {
        {"empty", "", 0},
        {"random", random, 0},
        {"no options", "[W_0]\r\nEdit1=IBM\r\n", 0},
        {"count -1", "[OPTIONS]\r\nCOUNT=-1\r\n", 0},
        {"count text", "[OPTIONS]\r\nCOUNT=many\r\n", 0},
        {"garbled", "[W_0\r\nEdit1\r\n]]\r\n[OPTIONS\r\nCOUNT=1\r\n", 0},
        {"sections missing", "[OPTIONS]\r\nCOUNT=2\r\n", 2},
    };
    for (const auto& c : cases) {
        const std::string file = Put("bad.dsc_1", c.content);
        std::string error;
        EXPECT_TRUE(main_->OpenDesktop(file, &error)) << c.name << ": " << error;
        DeleteDeferred();
        EXPECT_EQ(TForm2::ChartWindows().size(), c.windows) << c.name;
    }
}

TEST_F(DesktopTest, OutOfRangeValuesFallBack) {
    const std::string file =
        Put("bad.dsc_1",
            "[W_0]\r\nEdit1=IBM\r\nComboBox1=99\r\nSpinEdit1=-5\r\nSpinEdit2=x\r\n"
            "[FORM_0]\r\nW=abc\r\nH=0\r\nL=99999\r\nT=-99999\r\n"
            "[W_1]\r\nComboBox1=-7\r\n[FORM_1]\r\nW=2000000000\r\nH=300\r\nL=10\r\nT=10\r\n"
            "[OPTIONS]\r\nCOUNT=2\r\n");
    ASSERT_TRUE(main_->OpenDesktop(file));
    const std::vector<TForm1*> windows = TForm2::ChartWindows();
    ASSERT_EQ(windows.size(), 2u);
    const QSize area = main_->MdiArea()->contentsRect().size();
    for (TForm1* form : windows) {
        EXPECT_EQ(form->ComboBox1->currentText(), "1 min");
        const QRect r = form->parentWidget()->geometry();
        EXPECT_TRUE(r.intersects(QRect(QPoint(0, 0), area))) << r.x() << "," << r.y();
        EXPECT_GE(r.height(), 50);
        EXPECT_LE(r.width(), 16000);
    }
    EXPECT_EQ(windows[0]->SpinEdit1->value(), 1);
    EXPECT_EQ(windows[0]->SpinEdit2->value(), 1);
}

TEST_F(DesktopTest, RandomValuesInEveryKeyGiveWindowsInsideTheArea) {
    const char* values[] = {"",    "-1",         "0",   "99",  "2000000000", "-2000000000",
                            "1e9", "0x7FFFFFFF", "abc", "~~~", "$INDU",      "3.5"};
    const char* keys[] = {"Edit1", "ComboBox1", "SpinEdit1", "SpinEdit2", "CheckBox2"};
    std::mt19937 gen(11);
    auto pick = [&] { return std::string(values[gen() % std::size(values)]); };
    for (int round = 0; round < 8; ++round) {
        const int count = static_cast<int>(gen() % 3) + 1;
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += "[W_" + std::to_string(i) + "]\r\n";
            for (const char* key : keys) text += std::string(key) + "=" + pick() + "\r\n";
            text += "[FORM_" + std::to_string(i) + "]\r\n";
            for (const char* key : {"W", "H", "L", "T"})
                text += std::string(key) + "=" + pick() + "\r\n";
        }
        text += "[OPTIONS]\r\nCOUNT=" + std::to_string(count) + "\r\n";
        ASSERT_TRUE(main_->OpenDesktop(Put("r.dsc_1", text))) << text;
        DeleteDeferred();
        const std::vector<TForm1*> windows = TForm2::ChartWindows();
        ASSERT_EQ(windows.size(), static_cast<std::size_t>(count)) << text;
        const QRect area(QPoint(0, 0), main_->MdiArea()->contentsRect().size());
        for (TForm1* form : windows) {
            EXPECT_TRUE(form->parentWidget()->geometry().intersects(area)) << text;
            EXPECT_GE(form->ComboBox1->currentIndex(), 0) << text;
        }
    }
}

TEST_F(DesktopTest, HugeCountIsClamped) {
    const std::string file = Put("huge.dsc_1", "[OPTIONS]\r\nCOUNT=2000000000\r\n");
    ASSERT_TRUE(main_->OpenDesktop(file));
    EXPECT_EQ(TForm2::ChartWindows().size(), 64u);
}

TEST_F(DesktopTest, ASecondOpenWhileRunningIsRefusedAndClosedWindowsAreSkipped) {
    for (const auto& s : kThree) Open(s);
    const std::string file = Path("three.dsc_1");
    ASSERT_TRUE(main_->SaveDesktop(file));
    int seen = 0;
    std::string nestedError;
    ASSERT_TRUE(main_->OpenDesktop(file, nullptr, [&](TForm1* form) {
        ++seen;
        if (seen == 1) {
            EXPECT_FALSE(main_->OpenDesktop(file, &nestedError));
            EXPECT_TRUE(main_->OpeningDesktop());
            main_->BitBtn4Click();  // the button says so without asking for a file
            EXPECT_TRUE(main_->Memo1->toPlainText().contains("still opening"));
            form->RequestClose();  // the user closes the first restored window
        }
    }));
    EXPECT_FALSE(nestedError.empty());
    EXPECT_FALSE(main_->OpeningDesktop());
    DeleteDeferred();
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(TForm2::ChartWindows().size(), 2u);
}

}  // namespace
}  // namespace vela::app

namespace vela::app {
namespace {

TEST(DesktopFolder, ProgramFolderWhenWritableElseTheUsersDataFolder) {
    QStandardPaths::setTestModeEnabled(true);
    const std::string writable = std::filesystem::temp_directory_path().string() + "/";
    EXPECT_EQ(TForm2::DesktopFolderFor(writable), writable);
    const std::string elsewhere = TForm2::DesktopFolderFor("/no/such/program/folder/");
    EXPECT_NE(elsewhere, "/no/such/program/folder/");
    EXPECT_EQ(elsewhere.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(elsewhere));
    QStandardPaths::setTestModeEnabled(false);
}

TEST(DesktopFolder, DialogFilter) {
    EXPECT_EQ(TForm2::DesktopFilter(), "Vela eSignal Desctop (*.dsc_1)");
}

}  // namespace
}  // namespace vela::app
