#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <unordered_map>
#include <utility>

#include "platform/message_loop.h"
#include "platform/settable_clock.h"

namespace vela {

// A message loop in virtual time for tests (and the fallback of the process): waiting jumps
// the clock straight to the next timer, so a 30-second wait costs no real time.
//
// When nothing at all is scheduled, a wait lets idleTickMs pass and counts that as an
// arrived message, the way a desktop's periodic timer keeps the queue moving. With
// idleTickMs 0 such a wait is a dead lock and throws std::logic_error instead.
class VirtualMessageLoop : public MessageLoop {
  public:
    explicit VirtualMessageLoop(SettableClock& clock, std::int64_t idleTickMs = 10);

    void ProcessPendingMessages() override;
    void HandleOneMessage() override;
    void Post(Work work) override;
    TimerId StartTimer(std::int64_t delayMs, Work work) override;
    void CancelTimer(TimerId id) override;

    // Handles messages and lets virtual time pass until ms have passed; timers due in that
    // span fire in order. Returns at exactly start + ms.
    void RunFor(std::int64_t ms);

    SettableClock& Clock() { return clock_; }
    std::size_t PendingTimers() const { return timers_.size(); }

  private:
    // Moves timers that are due into the queue, in due order.
    void QueueDueTimers();

    SettableClock& clock_;
    std::int64_t idleTickMs_;
    std::deque<Work> queue_;
    // Keyed by (due time, id): ids grow, so timers due at the same time fire in start order.
    std::map<std::pair<std::int64_t, TimerId>, Work> timers_;
    std::unordered_map<TimerId, std::int64_t> dueById_;
    TimerId nextId_ = 1;
};

}  // namespace vela
