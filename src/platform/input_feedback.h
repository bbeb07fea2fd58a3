#pragma once

#include <string>

namespace vela {

// The two beeps the controls sound: the default beep and the system beep.
enum class BeepSound { Default = 0, System = 1 };

// How a control tells the user that an input was refused: a beep, or an error message box
// with an OK button that returns once the user has closed it.
class InputFeedback {
  public:
    virtual ~InputFeedback() = default;
    virtual void Beep(BeepSound sound) = 0;
    virtual void ErrorBox(const std::string& text) = 0;
};

}  // namespace vela
