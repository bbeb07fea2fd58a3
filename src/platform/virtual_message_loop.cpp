#include "platform/virtual_message_loop.h"

#include <algorithm>
#include <stdexcept>

namespace vela {

VirtualMessageLoop::VirtualMessageLoop(SettableClock& clock, std::int64_t idleTickMs)
    : clock_(clock), idleTickMs_(std::max<std::int64_t>(idleTickMs, 0)) {}

void VirtualMessageLoop::QueueDueTimers() {
    const std::int64_t now = clock_.SteadyMs();
    while (!timers_.empty() && timers_.begin()->first.first <= now) {
        auto node = timers_.extract(timers_.begin());
        dueById_.erase(node.key().second);
        queue_.push_back(std::move(node.mapped()));
    }
}

void VirtualMessageLoop::ProcessPendingMessages() {
    for (;;) {
        QueueDueTimers();
        if (queue_.empty()) return;
        Work work = std::move(queue_.front());
        queue_.pop_front();
        if (work) work();
    }
}

void VirtualMessageLoop::HandleOneMessage() {
    QueueDueTimers();
    if (!queue_.empty()) {
        Work work = std::move(queue_.front());
        queue_.pop_front();
        if (work) work();
        return;
    }
    // Block: time passes until the next timer is due, or one idle tick.
    const std::int64_t now = clock_.SteadyMs();
    std::int64_t until = -1;
    if (!timers_.empty()) until = timers_.begin()->first.first;
    if (idleTickMs_ > 0 && (until < 0 || until > now + idleTickMs_)) {
        clock_.Advance(idleTickMs_);
        queue_.push_back(Work{});  // the tick itself: a message that does nothing
        return;
    }
    if (until < 0) throw std::logic_error("virtual message loop: waiting with nothing scheduled");
    clock_.Advance(until - now);
    QueueDueTimers();
}

void VirtualMessageLoop::Post(Work work) {
    queue_.push_back(std::move(work));
}

MessageLoop::TimerId VirtualMessageLoop::StartTimer(std::int64_t delayMs, Work work) {
    const TimerId id = nextId_++;
    const std::int64_t due = clock_.SteadyMs() + std::max<std::int64_t>(delayMs, 0);
    timers_.emplace(std::make_pair(due, id), std::move(work));
    dueById_.emplace(id, due);
    return id;
}

void VirtualMessageLoop::CancelTimer(TimerId id) {
    const auto it = dueById_.find(id);
    if (it == dueById_.end()) return;
    timers_.erase(std::make_pair(it->second, id));
    dueById_.erase(it);
}

void VirtualMessageLoop::RunFor(std::int64_t ms) {
    const std::int64_t end = clock_.SteadyMs() + std::max<std::int64_t>(ms, 0);
    for (;;) {
        ProcessPendingMessages();
        const std::int64_t now = clock_.SteadyMs();
        if (now >= end) return;
        const std::int64_t next =
            timers_.empty() ? end : std::min(end, timers_.begin()->first.first);
        clock_.Advance(next - now);
    }
}

}  // namespace vela
