#include "app/qt_input_feedback.h"

#include <QApplication>
#include <QMessageBox>

namespace vela::app {

void QtInputFeedback::Beep(BeepSound) {
    // Qt has one beep; both sounds use it.
    QApplication::beep();
}

void QtInputFeedback::ErrorBox(const std::string& text) {
    QMessageBox::critical(parent_, QStringLiteral("Error"), QString::fromStdString(text));
}

}  // namespace vela::app
