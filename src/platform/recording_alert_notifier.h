#pragma once

#include <string>
#include <vector>

#include "platform/alert_notifier.h"

namespace vela {

// Notes the beeps and notifications a fired alert would give, for tests.
class RecordingAlertNotifier : public AlertNotifier {
  public:
    void Beep() override { ++beeps_; }
    void Notify(const std::string& title, const std::string& text) override {
        notes_.push_back(title + ": " + text);
    }

    int Beeps() const { return beeps_; }
    const std::vector<std::string>& Notes() const { return notes_; }

  private:
    int beeps_ = 0;
    std::vector<std::string> notes_;
};

}  // namespace vela
