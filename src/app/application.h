#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/swiss_ephemeris.h"
#include "platform/atomic_file.h"
#include "platform/held_clock.h"

namespace vela {
class MarketFeed;
}

namespace vela::app {

class QtClock;
class QtHttpTransport;
class QtMessageLoop;
class QtWebSocketTransport;
class TForm1;

// Writes a chart window's chart (a PNG of width x height) and table into base + ".png" and
// base + ".txt": both are replaced by wholly written files, or neither is. One message per
// file that could not be written or replaced, naming it; empty when both were.
std::vector<std::string> WriteChartFiles(const TForm1& chart, const std::string& base, int width,
                                         int height, FileWriteOps& ops = DiskFileOps());

// The process around the windows: module start-up (the ephemeris library, the message loop,
// the clock and the feed) and shut-down in the reverse order. Needs a QApplication.
class Application {
  public:
    // The feed the snapshot mode uses when the command line names plain "sim": a fixed start
    // instant makes every snapshot of the simulated market the same.
    static std::string SnapshotFeedSpec(const std::string& feed);

    // The feed the interactive program uses: plain "sim" outside the simulated market's
    // weekday session (09:30 to 16:00) starts at noon of the latest weekday instead, so that a
    // chart opened at night or at the weekend streams all the same. now is in platform days.
    static std::string InteractiveFeedSpec(const std::string& feed, double now);

    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // Makes the feeds the command line names (none: the simulated market) and installs them
    // as the process-wide feed; a symbol NAME:SYMBOL goes to the feed NAME, made when first
    // named. Sim feeds start as the snapshot or the interactive program wants them. False
    // with a message for the user.
    bool StartFeed(const std::vector<std::string>& specs, bool snapshot, std::string& error);

    // Opens the main window maximized (with the windows of --desktop, when given) and runs
    // the message loop until it closes.
    int RunInteractive(const CommandLine& options);
    // Opens the chart windows the options describe, runs each, writes its table and chart
    // into the folder and prints one line per window; names every file it could not write.
    // 0 when all were written.
    int RunSnapshot(const CommandLine& options);

  private:
    SwissEphemeris ephemeris_;
    std::unique_ptr<QtMessageLoop> loop_;
    std::unique_ptr<QtClock> clock_;
    // What simulated and replayed markets run on: a snapshot holds it while its windows load.
    std::unique_ptr<HeldClock> marketClock_;
    // Declared before the feed: network feeds use them until they go.
    std::unique_ptr<QtHttpTransport> http_;
    std::unique_ptr<QtWebSocketTransport> ws_;
    std::shared_ptr<MarketFeed> feed_;
    // The feed's reports since the last window's run began, for saying why it got no bars.
    std::vector<std::string> heard_;
};

}  // namespace vela::app
