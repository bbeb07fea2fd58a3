#pragma once

#include <memory>

#include "platform/alert_notifier.h"

class QSystemTrayIcon;

namespace vela::app {

// QApplication's beep, and the freedesktop notification service on the session bus; where
// there is no session bus, a system tray's balloon when there is a tray. Never waits for an
// answer: a missing or hung service costs nothing.
class QtAlertNotifier : public AlertNotifier {
  public:
    QtAlertNotifier();
    ~QtAlertNotifier() override;

    void Beep() override;
    void Notify(const std::string& title, const std::string& text) override;

  private:
    std::unique_ptr<QSystemTrayIcon> tray_;
};

}  // namespace vela::app
