#include "app/application.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSpinBox>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iostream>
#include <system_error>
#include <vector>

#include "app/alert_command.h"
#include "app/bar_table_model.h"
#include "app/chart_alerts.h"
#include "app/chart_navigation.h"
#include "app/chart_render.h"
#include "app/chart_window.h"
#include "app/main_window.h"
#include "app/program_icon.h"
#include "app/qt_http_transport.h"
#include "app/qt_message_loop.h"
#include "app/qt_websocket_transport.h"
#include "chart/chart_painting.h"
#include "market/esignal_downloader.h"
#include "market/feed_factory.h"
#include "market/feed_router.h"
#include "market/market_feed.h"
#include "platform/runtime_utilities.h"
#include "text/calendar.h"

namespace vela::app {

namespace {
constexpr const char* kSnapshotStart = "start=2024-06-20T15:30:00";
constexpr std::int64_t kAlertCommandPatienceMs = 10000;
}  // namespace

std::string Application::SnapshotFeedSpec(const std::string& feed) {
    const bool sim = feed == "sim" || feed.rfind("sim:", 0) == 0 || feed.rfind("sim,", 0) == 0;
    if (!sim || feed.find("start=") != std::string::npos) return feed;
    return feed + "," + kSnapshotStart;
}

std::string Application::InteractiveFeedSpec(const std::string& feed, double now) {
    const bool sim = feed == "sim" || feed.rfind("sim:", 0) == 0 || feed.rfind("sim,", 0) == 0;
    if (!sim || feed.find("start=") != std::string::npos) return feed;
    const double timeOfDay = now - std::floor(now);
    const int weekday = PlatformDayOfWeek(now);  // 1 = Sunday .. 7 = Saturday
    const bool inSession =
        weekday >= 2 && weekday <= 6 && timeOfDay >= 9.5 / 24 && timeOfDay < 16.0 / 24;
    if (inSession) return feed;
    double day = std::floor(now);
    if (timeOfDay < 12.0 / 24) day -= 1;
    while (PlatformDayOfWeek(day) == 1 || PlatformDayOfWeek(day) == 7) day -= 1;
    CivilDateTime c;
    if (!DecodePlatformDateTime(day, c)) return feed;
    char start[40];
    std::snprintf(start, sizeof start, "start=%04d-%02d-%02dT12:00:00", c.Year, c.Month, c.Day);
    return feed + "," + start;
}

std::vector<std::string> WriteChartFiles(const TForm1& chart, const std::string& base, int width,
                                         int height, FileWriteOps& ops) {
    const std::string picturePath = base + ".png";
    const std::string tablePath = base + ".txt";
    // Both are replaced or neither: a picture beside a table of another moment would mislead.
    AtomicFileSet files({picturePath, tablePath}, ops);
    constexpr std::size_t kPicture = 0;
    constexpr std::size_t kTable = 1;
    // The table is written on another thread while the chart is drawn and encoded here; both
    // only read the window's bars.
    const auto save = [&chart, &files] {
        files.WriteStreamed(kTable,
                            [&chart](std::ostream& out) { return chart.Table()->WriteLines(out); });
    };
    std::future<void> saved;
    try {
        saved = std::async(std::launch::async, save);
    } catch (const std::system_error&) {
        saved = std::async(std::launch::deferred, save);  // no thread: written below
    }

    // Encoded in memory first, so the picture goes through the same replace as the table: a
    // full disk never leaves a cut-off PNG in the old one's place.
    ChartStatus status = chart.Status();
    const QImage image = RenderChart(chart.ShownState(), width, height, &status);
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        files.Fail(kPicture, "cannot draw \"" + picturePath + "\"");
    else
        files.Write(kPicture,
                    std::string_view(png.constData(), static_cast<std::size_t>(png.size())));

    saved.get();
    return files.Commit();
}

Application::Application()
    : loop_(std::make_unique<QtMessageLoop>()),
      clock_(std::make_unique<QtClock>()),
      marketClock_(std::make_unique<HeldClock>(*clock_)),
      http_(std::make_unique<QtHttpTransport>()),
      ws_(std::make_unique<QtWebSocketTransport>()) {
    ephemeris_.Bind(AppFolder());
    InstallMessageLoop(loop_.get());
    InstallClock(clock_.get());
}

Application::~Application() {
    if (feed_) feed_->SetReportListener(nullptr);
    TEsignalDownloader::Free_Esignal_DM_Global();
    ephemeris_.Close();
    InstallFeed(nullptr);
    feed_.reset();
    InstallClock(nullptr);
    InstallMessageLoop(nullptr);
}

bool Application::StartFeed(const std::vector<std::string>& specs, bool snapshot,
                            std::string& error) {
    // The windows of a snapshot all see the market at one instant, however long each took.
    if (snapshot) marketClock_->Hold();
    const FeedServices services{*loop_,      *clock_,   &std::cerr,
                                http_.get(), ws_.get(), marketClock_.get()};
    const auto maker = [services, snapshot](std::string_view spec) {
        const std::string s(spec);
        return MakeFeed(
            snapshot ? SnapshotFeedSpec(s) : InteractiveFeedSpec(s, services.Clock.LocalNow()),
            services);
    };
    auto router = std::make_shared<FeedRouter>();
    if (!router->Start(specs.empty() ? std::vector<std::string>{"sim"} : specs, maker, error))
        return false;
    feed_ = router;
    // What the feed reports reaches the person at the window too, not only stderr.
    feed_->SetReportListener([this](const std::string& line) {
        if (TraceSink* memo = TraceMemo()) memo->AppendLine(line);
        heard_.push_back(line);
    });
    InstallFeed(feed_);
    return true;
}

int Application::RunInteractive(const CommandLine& options) {
    QApplication::setApplicationName("Vela eSignal Monitor");
    QApplication::setWindowIcon(ProgramIcon());
    TForm2 mainWindow;
    if (options.AlertCommand) mainWindow.SetAlertCommand(*options.AlertCommand);
    mainWindow.showMaximized();
    if (options.DesktopFile) {
        // Opened once the window is up, so its windows are placed in the shown area.
        const std::string desktop = *options.DesktopFile;
        QTimer::singleShot(0, &mainWindow, [&mainWindow, desktop] {
            std::string error;
            std::error_code ec;
            // Asked for by name: a file that is not there is a mistake, not an empty desktop.
            if (!std::filesystem::exists(desktop, ec))
                error = "cannot read the desktop file \"" + desktop + "\": there is no such file";
            else if (mainWindow.OpenDesktop(desktop, &error))
                return;
            std::cerr << "vela-monitor: " << error << "\n";
            if (TraceSink* memo = TraceMemo()) memo->AppendLine(error);
        });
    }
    return QApplication::exec();
}

int Application::RunSnapshot(const CommandLine& options) {
    namespace fs = std::filesystem;
    const std::string dir = *options.SnapshotDir;
    std::error_code ec;
    fs::create_directories(dir, ec);
    const std::string why = ec ? ec.message() : "something else of that name is in the way";
    if (!fs::is_directory(dir, ec)) {
        std::cerr << "vela-monitor: cannot create the snapshot folder \"" << dir << "\": " << why
                  << "\n";
        return 1;
    }
    std::string desktop;
    if (options.DesktopFile) {
        desktop = *options.DesktopFile;
        // Asked for by name: a desktop that is not there is a mistake here, not an empty desktop.
        // Only a plain file is opened: opening a FIFO would wait for a writer for ever.
        if (!fs::is_regular_file(desktop, ec) || !std::ifstream(desktop, std::ios::binary)) {
            std::cerr << "vela-monitor: cannot read the desktop file \"" << desktop << "\"\n";
            return 2;
        }
    }

    // Before the windows, which tell it of their alerts as long as they live.
    std::string alertLines;
    TForm2 mainWindow;
    mainWindow.resize(1280, 900);
    if (options.AlertCommand) mainWindow.SetAlertCommand(*options.AlertCommand);
    // No desktop here to notify; every fired alert is printed as it fires instead.
    mainWindow.Outlets().Notifier.reset();
    mainWindow.Outlets().Heard = [&alertLines](const std::string& line) {
        std::cout << line << "\n" << std::flush;
        alertLines += line + "\n";
    };

    int n = 0;
    bool allHaveBars = true;
    bool allWritten = true;
    // Each window is written as soon as its run is done, before later windows' runs let it
    // stream on: the files then do not depend on how long the others took.
    const auto writeNow = [&](TForm1* chart) {
        ++n;
        const std::string base = (fs::path(dir) / ("chart-" + std::to_string(n))).string();
        const std::vector<std::string> failed =
            WriteChartFiles(*chart, base, options.Width, options.Height);
        for (const std::string& message : failed) std::cerr << "vela-monitor: " << message << "\n";
        if (!failed.empty()) {
            allWritten = false;
            return;
        }
        const std::string what = chart->Edit1->text().toStdString() + "  " +
                                 chart->ComboBox1->currentText().toStdString();
        std::cout << base << ".png  " << base << ".txt  " << what << "  "
                  << chart->Table()->LineCount() << " bars\n";
        if (const std::string why = UndrawableReason(chart->ShownState()); !why.empty()) {
            allHaveBars = false;
            std::cerr << "vela-monitor: chart-" << n << " (" << what << "): " << why << "\n";
        } else if (chart->State().LClose.Count() == 0) {
            // Every window is still written; the exit status tells a script something is off.
            allHaveBars = false;
            std::string why = heard_.empty() ? "the feed sent none" : heard_.front();
            for (std::size_t i = 1; i < heard_.size(); ++i) why += "; " + heard_[i];
            if (chart->E().LCurr.Count() == 1) why = "one bar only; a chart needs two";
            std::cerr << "vela-monitor: chart-" << n << " (" << what << ") got no bars: " << why
                      << "\n";
        }
        heard_.clear();
    };
    // With --stream every window runs first and streams on; the files are written at the end.
    // Each with what the feed said during its run.
    std::vector<std::pair<QPointer<TForm1>, std::vector<std::string>>> streaming;
    const auto write = [&](TForm1* chart) {
        // Made once the run is done, the alerts wait for what the market does after it.
        for (const double level : options.AlertLevels) chart->Alerts().Add(level);
        if (options.ViewBars)
            chart->Navigation().SetView(
                BarsBefore(chart->E().LCurr.Count(), *options.ViewBars, options.ViewBack));
        if (options.StreamSeconds) {
            streaming.emplace_back(chart, std::move(heard_));
            heard_.clear();
        } else {
            writeNow(chart);
        }
    };

    if (options.DesktopFile) {
        heard_.clear();
        std::string error;
        if (!mainWindow.OpenDesktop(desktop, &error, write)) {
            std::cerr << "vela-monitor: " << error << "\n";
            return 2;
        }
        if (n == 0 && streaming.empty())
            std::cerr << "vela-monitor: the desktop \"" << desktop << "\" has no windows\n";
    } else {
        TForm1* form = mainWindow.BitBtn1Click();
        if (options.Symbol) form->Edit1->setText(QString::fromStdString(*options.Symbol));
        if (options.IntervalIndex) form->ComboBox1->setCurrentIndex(*options.IntervalIndex);
        if (options.Bars) form->SpinEdit1->setValue(*options.Bars);
        if (options.Period) form->SpinEdit2->setValue(*options.Period);
        form->CheckBox2->setChecked(options.HighLow);
        form->SetExtras(options.Extras);
        for (TForm1* chart : TForm2::ChartWindows()) {
            heard_.clear();
            QPointer<TForm1> guard(chart);
            chart->BitBtn1Click();
            if (guard) write(chart);
        }
    }
    if (options.StreamSeconds) {
        marketClock_->LetGo();
        const std::int64_t until = clock_->SteadyMs() + std::int64_t{*options.StreamSeconds} * 1000;
        while (clock_->SteadyMs() < until)
            WaitPumping(
                static_cast<std::int32_t>(std::min<std::int64_t>(until - clock_->SteadyMs(), 100)));
        for (auto& [chart, heard] : streaming) {
            heard_ = std::move(heard);
            if (chart) writeNow(chart);
        }
        // Commands of the last alerts get a moment to finish before the program ends them.
        const std::int64_t patience = clock_->SteadyMs() + kAlertCommandPatienceMs;
        while (mainWindow.Outlets().Command && mainWindow.Outlets().Command->AnyRunning() &&
               clock_->SteadyMs() < patience)
            WaitPumping(50);
        if (!options.AlertLevels.empty()) {
            const std::string path = (fs::path(dir) / "alerts.txt").string();
            std::string why;
            if (!WriteFileAtomically(path, alertLines, &why)) {
                std::cerr << "vela-monitor: cannot write \"" << path << "\": " << why << "\n";
                allWritten = false;
            }
        }
    }
    // A file not written is worse news than a window without bars.
    if (!allWritten) return 1;
    return allHaveBars ? 0 : 3;
}

}  // namespace vela::app
