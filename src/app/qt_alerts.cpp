#include "app/qt_alerts.h"

#include <QApplication>
#include <QMessageBox>

namespace vela::app {

void QtAlerts::Beep(BeepSound) {
    // Qt has one beep; both sounds use it.
    QApplication::beep();
}

void QtAlerts::ErrorBox(const std::string& text) {
    QMessageBox::critical(parent_, QStringLiteral("Error"), QString::fromStdString(text));
}

}  // namespace vela::app
