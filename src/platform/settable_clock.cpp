#include "platform/settable_clock.h"

#include <cmath>

#include "text/calendar.h"

namespace vela {

namespace {
constexpr double kMsPerDay = 86400000.0;
}

SettableClock::SettableClock() {
    SetLocal(EncodePlatformDateTime(CivilDateTime{2000, 1, 3, 0, 0, 0, 0}));
}

double SettableClock::LocalNow() const {
    return static_cast<double>(localMs_) / kMsPerDay;
}

void SettableClock::SetLocal(double localNow) {
    // Years 1..9999 are well inside this bound.
    if (!std::isfinite(localNow) || std::fabs(localNow) > 1e7) return;
    localMs_ = static_cast<std::int64_t>(std::rint(localNow * kMsPerDay));
}

void SettableClock::Advance(std::int64_t ms) {
    if (ms <= 0) return;
    localMs_ += ms;
    steady_ += ms;
}

}  // namespace vela
