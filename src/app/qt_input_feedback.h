#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/input_feedback.h"

namespace vela::app {

// The beep is QApplication's; the error box is a modal message box over the given widget's
// window.
class QtInputFeedback : public InputFeedback {
  public:
    explicit QtInputFeedback(QWidget* parent = nullptr) : parent_(parent) {}

    void Beep(BeepSound sound) override;
    void ErrorBox(const std::string& text) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace vela::app
