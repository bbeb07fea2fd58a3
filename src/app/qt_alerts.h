#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/alerts.h"

namespace vela::app {

// The beep is QApplication's; the error box is a modal message box over the given widget's
// window.
class QtAlerts : public Alerts {
  public:
    explicit QtAlerts(QWidget* parent = nullptr) : parent_(parent) {}

    void Beep(BeepSound sound) override;
    void ErrorBox(const std::string& text) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace vela::app
