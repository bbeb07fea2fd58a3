#include "platform/held_clock.h"

namespace vela {

double HeldClock::LocalNow() const {
    // The wall time moves with the steady count, so a held clock's day stands still as well.
    const std::int64_t behind = under_.SteadyMs() - SteadyMs();
    return under_.LocalNow() - static_cast<double>(behind) / 86'400'000.0;
}

std::int64_t HeldClock::SteadyMs() const {
    return held_ ? heldSteady_ : under_.SteadyMs() - lostMs_;
}

void HeldClock::Hold() {
    if (held_) return;
    heldSteady_ = SteadyMs();
    held_ = true;
}

void HeldClock::LetGo() {
    if (!held_) return;
    held_ = false;
    lostMs_ = under_.SteadyMs() - heldSteady_;
}

}  // namespace vela
