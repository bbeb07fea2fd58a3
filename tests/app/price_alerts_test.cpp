#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>
#include <string>
#include <vector>

#include "app/alert_command.h"
#include "app/alerts_dialog.h"
#include "app/app_fixture.h"
#include "app/chart_alerts.h"
#include "app/chart_canvas.h"
#include "app/chart_window.h"
#include "app/flicker_free_paint_box.h"
#include "app/main_window.h"
#include "chart/alert_lines.h"
#include "chart/chart_painting.h"
#include "market/esignal_downloader.h"
#include "platform/recording_alert_notifier.h"
#include "text/number_text.h"

namespace vela::app {
namespace {

// Handles events until done() holds or about five seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

class PriceAlertsAppTest : public AppFixture {
  protected:
    void SetUp() override {
        AppFixture::SetUp();
        main_ = std::make_unique<TForm2>();
        auto notifier = std::make_unique<RecordingAlertNotifier>();
        notifier_ = notifier.get();
        main_->Outlets().Notifier = std::move(notifier);
        main_->Outlets().Heard = [this](const std::string& line) { heard_.push_back(line); };
    }
    void TearDown() override {
        main_.reset();
        AppFixture::TearDown();
    }
    // A window that ran: 100 bars of the simulated market.
    TForm1* Ran() {
        TForm1* form = main_->BitBtn1Click();
        form->BitBtn1Click();
        EXPECT_EQ(form->E().LCurr.Count(), 100);
        return form;
    }
    static BarPrices Newest(TForm1* form) { return form->E().LCurr.Prices().back(); }
    // What the downloader hands on after merging an update of the newest bar.
    static void Merge(TForm1* form, BarPrices newest) {
        form->E().OnMergedBars(std::span<const BarPrices>(&newest, 1));
    }
    std::string Memo() const { return main_->Memo1->toPlainText().toStdString(); }
    static std::vector<std::string> Rows(const AlertsDialog& d) {
        std::vector<std::string> rows;
        for (int r = 0; r < d.AlertsTable->rowCount(); ++r) {
            std::string row;
            for (int c = 0; c < 3; ++c)
                row += (c ? " | " : "") + d.AlertsTable->item(r, c)->text().toStdString();
            rows.push_back(row);
        }
        return rows;
    }

    std::unique_ptr<TForm2> main_;
    RecordingAlertNotifier* notifier_ = nullptr;
    std::vector<std::string> heard_;
};

TEST_F(PriceAlertsAppTest, AnAlertFiresOnAMergedUpdateAndTellsMemoBeepAndNotification) {
    TForm1* form = Ran();
    BarPrices bar = Newest(form);
    const double above = bar.dHigh + 1;
    const auto up = form->Alerts().Add(above);
    ASSERT_TRUE(form->Alerts().Add(bar.dLow - 50));
    ASSERT_TRUE(up);
    EXPECT_EQ(form->State().Alerts,
              (std::vector<AlertMark>{{above, false}, {bar.dLow - 50, false}}));

    // An update short of the level tells nothing.
    bar.dHigh = above - 0.01;
    Merge(form, bar);
    EXPECT_EQ(notifier_->Beeps(), 0);
    EXPECT_TRUE(heard_.empty());

    bar.dHigh = above + 0.2;
    bar.dClose = above + 0.1;
    Merge(form, bar);
    const std::string start = "ALERT $INDU 1 min: " + LevelText(above) + " reached from below at ";
    ASSERT_EQ(heard_.size(), 1u);
    EXPECT_EQ(heard_[0].rfind(start, 0), 0u) << heard_[0];
    EXPECT_TRUE(heard_[0].ends_with(" (last " + RealToText(0, above + 0.1) + ")")) << heard_[0];
    EXPECT_NE(Memo().find(heard_[0]), std::string::npos);
    EXPECT_EQ(notifier_->Beeps(), 1);
    EXPECT_EQ(notifier_->Notes(), std::vector<std::string>{"Price alert: " + heard_[0]});
    EXPECT_EQ(form->State().Alerts[0], (AlertMark{above, true}));

    // Fired once: the next trade through the level tells nothing more.
    bar.dClose = above - 1;
    Merge(form, bar);
    bar.dClose = above + 1;
    Merge(form, bar);
    EXPECT_EQ(heard_.size(), 1u);
    EXPECT_EQ(notifier_->Beeps(), 1);

    // A new run keeps it as it was and fires nothing from its history.
    form->Alerts().Rearm(*up);
    form->BitBtn1Click();
    EXPECT_EQ(heard_.size(), 1u);
    EXPECT_FALSE(form->Alerts().Alerts().Items()[0].Fired);
}

TEST_F(PriceAlertsAppTest, AlertAtThisPriceTakesThePriceUnderTheMouseRoundedToTheAxis) {
    TForm1* form = Ran();
    form->parentWidget()->resize(700, 500);
    QCoreApplication::sendPostedEvents();
    form->parentWidget()->grab();
    const std::optional<ChartMapping> map = form->Plot().PaintedMapping();
    ASSERT_TRUE(map);
    const TRect plot = map->Plot();
    const QPoint at((plot.Left + plot.Right) / 2, plot.Top + (plot.Bottom - plot.Top) / 3);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, at);
    QCoreApplication::sendEvent(form->FlickerFreePaintBox1, &click);
    QAction* here = form->ExtrasMenu()->findChild<QAction*>("ActionAlertHere");
    ASSERT_NE(here, nullptr);
    here->trigger();
    form->ExtrasMenu()->hide();
    const auto& items = form->Alerts().Alerts().Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Level, *AlertPriceAt(*map, at.y()));
    EXPECT_NEAR(items[0].Level, map->PriceAt(at.y()), (map->YMax() - map->YMin()) / 10);

    // Outside the plot no price is read: the dialog says why, and nothing is added.
    const QPoint outside(plot.Left - 5, at.y());
    QContextMenuEvent left(QContextMenuEvent::Mouse, outside, outside);
    QCoreApplication::sendEvent(form->FlickerFreePaintBox1, &left);
    here->trigger();
    form->ExtrasMenu()->hide();
    EXPECT_EQ(items.size(), 1u);
    ASSERT_NE(form->Alerts().Dialog(), nullptr);
    EXPECT_EQ(form->Alerts().Dialog()->Message->text().toStdString(),
              "No alert added: the menu was not opened over the plot");
}

TEST_F(PriceAlertsAppTest, WithoutAChartNoPriceCanBeReadAndTheDialogSaysSo) {
    TForm1* form = main_->BitBtn1Click();
    form->ExtrasMenu()->findChild<QAction*>("ActionAlertHere")->trigger();
    EXPECT_TRUE(form->Alerts().Alerts().Empty());
    ASSERT_NE(form->Alerts().Dialog(), nullptr);
    EXPECT_EQ(form->Alerts().Dialog()->Message->text().toStdString(),
              "No alert added: the chart shows no prices yet");
}

TEST_F(PriceAlertsAppTest, TheDialogAddsChangesDeletesAndRearms) {
    TForm1* form = Ran();
    const double last = Newest(form).dClose;
    form->ExtrasMenu()->findChild<QAction*>("ActionAlerts")->trigger();
    AlertsDialog* d = form->Alerts().Dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowTitle(), "Alerts: $INDU 1 min");

    // Refused levels add nothing and say why.
    for (const auto& [typed, said] : {std::pair{"abc", "No alert added: \"abc\" is not a number"},
                                      {"inf", "No alert added: \"inf\" is not a finite number"},
                                      {"", "No alert added: no level given"}}) {
        d->LevelEdit->setText(typed);
        d->AddButton->click();
        EXPECT_EQ(d->Message->text().toStdString(), said);
        EXPECT_TRUE(form->Alerts().Alerts().Empty()) << typed;
    }

    const double above = std::round(last) + 10;
    const double below = std::round(last) - 10;
    d->LevelEdit->setText(QString::fromStdString(LevelText(above)));
    d->AddButton->click();
    d->LevelEdit->setText(QString::fromStdString(LevelText(below)));
    QTest::keyClick(d->LevelEdit, Qt::Key_Return);
    EXPECT_EQ(d->Message->text(), "");
    EXPECT_EQ(Rows(*d), (std::vector<std::string>{LevelText(above) + " | from below | armed",
                                                  LevelText(below) + " | from above | armed"}));
    EXPECT_EQ(form->State().Alerts.size(), 2u);

    // The selected alert moves to the level typed, armed.
    d->AlertsTable->selectRow(1);
    EXPECT_EQ(d->LevelEdit->text().toStdString(), LevelText(below));
    d->LevelEdit->setText(QString::fromStdString(LevelText(below - 5)));
    d->ChangeButton->click();
    EXPECT_EQ(Rows(*d)[1], LevelText(below - 5) + " | from above | armed");
    d->LevelEdit->setText("x");
    d->ChangeButton->click();
    EXPECT_EQ(d->Message->text().toStdString(), "The alert was not changed: \"x\" is not a number");
    EXPECT_EQ(form->Alerts().Alerts().Items()[1].Level, below - 5);

    // Fired, it says how; re-armed, it waits again.
    BarPrices bar = Newest(form);
    bar.dHigh = above + 1;
    bar.dClose = above + 0.5;
    Merge(form, bar);
    EXPECT_EQ(Rows(*d)[0],
              LevelText(above) + " | from below | fired (last " + RealToText(0, above + 0.5) + ")");
    d->AlertsTable->selectRow(0);
    d->RearmButton->click();
    EXPECT_EQ(Rows(*d)[0], LevelText(above) + " | from above | armed")
        << "the price is above it now";
    EXPECT_EQ(form->State().Alerts[0], (AlertMark{above, false}));

    d->AlertsTable->selectRow(0);
    d->DeleteButton->click();
    EXPECT_EQ(Rows(*d), (std::vector<std::string>{LevelText(below - 5) + " | from above | armed"}));
    EXPECT_EQ(form->State().Alerts, (std::vector<AlertMark>{{below - 5, false}}));
}

TEST_F(PriceAlertsAppTest, WithAlertsTheChartGetsTheirLinesAndWithoutThemItIsAsBefore) {
    TForm1* form = Ran();
    form->parentWidget()->resize(700, 500);
    QCoreApplication::sendPostedEvents();
    const QImage before = form->FlickerFreePaintBox1->grab().toImage();
    const auto id = form->Alerts().Add(Newest(form).dClose);
    ASSERT_TRUE(id);
    const QImage with = form->FlickerFreePaintBox1->grab().toImage();
    EXPECT_NE(with, before);
    form->Alerts().Remove(*id);
    EXPECT_EQ(form->FlickerFreePaintBox1->grab().toImage(), before);
}

class AlertCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    // A shell script in the temporary folder, made executable.
    std::string Script(const char* name, const std::string& body) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\n" + body + "\n").c_str());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path.toStdString();
    }
    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
    static std::string Read(const std::string& path) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) return "";
        return file.readAll().toStdString();
    }

    QTemporaryDir dir_;
    std::vector<std::string> reports_;
    AlertCommand::Report report_ = [this](const std::string& line) { reports_.push_back(line); };
};

const std::vector<std::string> kArgs = {"BTCUSDT",    "1 min",       "3830",
                                        "from below", "03:01:05 PM", "3830.8"};

TEST_F(AlertCommandTest, TheProgramGetsTheFieldsAsArgumentsWithoutAShell) {
    const std::string out = Path("args.txt");
    AlertCommand command(
        Script("write-args", "for a in \"$@\"; do echo \"$a\" >> '" + out + "'; done"), report_);
    std::vector<std::string> args = kArgs;
    args[0] = "$(touch pwned);*";  // a shell would expand this
    EXPECT_EQ(command.Start(1, args), AlertCommand::Outcome::Started);
    ASSERT_TRUE(WaitFor([&] { return !command.Running(1); }));
    EXPECT_EQ(Read(out), "$(touch pwned);*\n1 min\n3830\nfrom below\n03:01:05 PM\n3830.8\n");
    EXPECT_TRUE(reports_.empty());
}

TEST_F(AlertCommandTest, ACommandStillRunningIsNotStartedAgainForTheSameAlert) {
    const std::string out = Path("starts.txt");
    AlertCommand command(Script("slow", "echo start >> '" + out + "'; sleep 30"), report_);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(command.Start(7, kArgs), AlertCommand::Outcome::Started);
    EXPECT_LT(timer.elapsed(), 3000) << "the program never waits for it";
    EXPECT_EQ(command.Start(7, kArgs), AlertCommand::Outcome::StillRunning);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_NE(reports_[0].find("still running"), std::string::npos) << reports_[0];
    // Another alert has a command of its own.
    EXPECT_EQ(command.Start(8, kArgs), AlertCommand::Outcome::Started);
    EXPECT_TRUE(WaitFor([&] { return Read(out) == "start\nstart\n"; })) << Read(out);
    EXPECT_TRUE(command.Running(7));
}

TEST_F(AlertCommandTest, FailuresAreReportedWithTheProgramsOwnWords) {
    {
        AlertCommand command(Script("fails", "echo 'no route to host' >&2; exit 3"), report_);
        EXPECT_EQ(command.Start(1, kArgs), AlertCommand::Outcome::Started);
        ASSERT_TRUE(WaitFor([&] { return !reports_.empty(); }));
        EXPECT_EQ(reports_.back(), "Alert command \"" + command.Program() +
                                       "\" failed with exit status 3: no route to host");
        EXPECT_FALSE(command.Running(1));
    }
    reports_.clear();
    AlertCommand missing(Path("no-such-program"), report_);
    missing.Start(1, kArgs);
    ASSERT_TRUE(WaitFor([&] { return !reports_.empty(); }));
    EXPECT_EQ(
        reports_[0].rfind("Alert command \"" + missing.Program() + "\" could not be started", 0),
        0u)
        << reports_[0];
    EXPECT_FALSE(missing.Running(1));
    // Failed to start, it can be tried again on the next firing.
    reports_.clear();
    missing.Start(1, kArgs);
    EXPECT_TRUE(WaitFor([&] { return !reports_.empty(); }));
}

TEST_F(PriceAlertsAppTest, TheMainWindowsCommandRunsForAFiredAlertAndItsFailureReachesTheMemo) {
    QTemporaryDir dir;
    const QString script = dir.filePath("fail");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho \"cannot send $1 $3\" >&2\nexit 1\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    main_->SetAlertCommand(script.toStdString());
    TForm1* form = Ran();
    BarPrices bar = Newest(form);
    ASSERT_TRUE(form->Alerts().Add(bar.dHigh + 1));
    bar.dHigh += 2;
    bar.dClose = bar.dHigh;
    Merge(form, bar);
    const std::string said = "Alert command \"" + script.toStdString() +
                             "\" failed with exit status 1: cannot send $INDU " +
                             LevelText(Newest(form).dHigh + 1);
    EXPECT_TRUE(WaitFor([&] { return Memo().find(said) != std::string::npos; })) << Memo();
}

}  // namespace
}  // namespace vela::app
