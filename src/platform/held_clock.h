#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace vela {

// A clock that can be held still: while held, both its wall time and its steady count stand
// where they were; once let go they run on with the underlying clock from there, without a
// jump for the time spent held. A snapshot holds the clock its simulated and replayed
// markets run on while the windows load, so that what they show does not depend on how long
// the earlier windows took.
class HeldClock : public Clock {
  public:
    explicit HeldClock(const Clock& under) : under_(under) {}

    double LocalNow() const override;
    std::int64_t SteadyMs() const override;

    void Hold();
    void LetGo();
    bool Held() const { return held_; }

  private:
    const Clock& under_;
    bool held_ = false;
    std::int64_t heldSteady_ = 0;  // this clock's steady count when it was held
    std::int64_t lostMs_ = 0;      // time spent held, taken off the underlying clock
};

}  // namespace vela
