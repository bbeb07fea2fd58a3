#include <QApplication>
#include <iostream>

#include "app/display_check.h"
#include "app/main_window.h"

int main(int argc, char** argv) {
    if (const std::string reason = vela::app::MissingDisplayReason(); !reason.empty()) {
        std::cerr
            << "vela-monitor: cannot open a window: " << reason
            << ".\nStart it inside a desktop session, under xvfb-run, or use --snapshot DIR.\n";
        return 2;
    }
    QApplication app(argc, argv);
    vela::app::TForm2 mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
