#pragma once

#include <cstdint>

namespace vela {

// The local clock. Wall time is what the user sees and may be set back; the steady count
// only moves forward and is what waits are measured on.
class Clock {
  public:
    virtual ~Clock() = default;
    // Local date and time as a platform date-time (days since 30 December 1899, fraction =
    // time of day), to the millisecond.
    virtual double LocalNow() const = 0;
    // Milliseconds on a monotonic clock with an arbitrary origin.
    virtual std::int64_t SteadyMs() const = 0;
};

// The process-wide clock. Until one is installed, a settable clock standing still at
// 2000-01-03 00:00 (a Monday) answers, so core code never runs without a clock.
Clock& CurrentClock();
// Installs the clock (nullptr restores the standing one); returns the previous one. The
// installer keeps ownership and must uninstall before the clock goes away.
Clock* InstallClock(Clock* clock);

}  // namespace vela
