#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace vela {

// A clock for tests and virtual time: it moves only when told to. Wall time is kept in
// whole milliseconds so that many small steps never accumulate rounding error.
class SettableClock : public Clock {
  public:
    // Starts at 2000-01-03 00:00 (a Monday), steady count 0.
    SettableClock();
    explicit SettableClock(double localNow) { SetLocal(localNow); }

    double LocalNow() const override;
    std::int64_t SteadyMs() const override { return steady_; }

    // Sets the wall time only (rounded to the millisecond), as a user setting the clock
    // would; the steady count stays. Non-finite or absurd values leave the clock as it is.
    void SetLocal(double localNow);
    // Lets time pass: both the wall time and the steady count move by ms (ms >= 0).
    void Advance(std::int64_t ms);

  private:
    std::int64_t localMs_ = 0;
    std::int64_t steady_ = 0;
};

}  // namespace vela
