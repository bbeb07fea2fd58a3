#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "app/application.h"
#include "app/command_line.h"
#include "app/display_check.h"

int main(int argc, char** argv) {
    vela::app::CommandLine options;
    std::string error;
    if (!vela::app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options,
                                     error)) {
        std::cerr << "vela-monitor: " << error << "\n";
        return 2;
    }
    if (options.Help) {
        std::cout << vela::app::UsageText();
        return 0;
    }
    const bool snapshot = options.SnapshotDir.has_value();
    if (snapshot) {
        // No window is shown: draw off screen whatever the session has.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else if (const std::string reason = vela::app::MissingDisplayReason(); !reason.empty()) {
        std::cerr
            << "vela-monitor: cannot open a window: " << reason
            << ".\nStart it inside a desktop session, under xvfb-run, or use --snapshot DIR.\n";
        return 2;
    }
    // The options are all ours (any other was refused above); Qt would read --style itself.
    int qtArgc = 1;
    QApplication qapp(qtArgc, argv);
    vela::app::Application app;
    if (!app.StartFeed(options.Feeds, snapshot, error)) {
        std::cerr << "vela-monitor: " << error << "\n";
        return 2;
    }
    return snapshot ? app.RunSnapshot(options) : app.RunInteractive(options);
}
