#pragma once

#include <string>

namespace vela {

// How a fired price alert reaches the user beyond the memo: a beep and a desktop notification.
class AlertNotifier {
  public:
    virtual ~AlertNotifier() = default;
    virtual void Beep() = 0;
    // Shows a desktop notification; without a notification service nothing is shown and
    // nothing is said: the memo and the beep have told already.
    virtual void Notify(const std::string& title, const std::string& text) = 0;
};

}  // namespace vela
