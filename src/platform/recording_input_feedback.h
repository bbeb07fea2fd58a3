#pragma once

#include <string>
#include <vector>

#include "platform/input_feedback.h"

namespace vela {

// InputFeedback that only note what would have been sounded and shown, for tests and for running
// without a user.
class RecordingInputFeedback : public InputFeedback {
  public:
    void Beep(BeepSound sound) override { beeps_.push_back(sound); }
    void ErrorBox(const std::string& text) override { boxes_.push_back(text); }

    const std::vector<BeepSound>& Beeps() const { return beeps_; }
    const std::vector<std::string>& Boxes() const { return boxes_; }
    void Clear() {
        beeps_.clear();
        boxes_.clear();
    }

  private:
    std::vector<BeepSound> beeps_;
    std::vector<std::string> boxes_;
};

}  // namespace vela
