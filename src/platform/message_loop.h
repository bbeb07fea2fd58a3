#pragma once

#include <cstdint>
#include <functional>

namespace vela {

// The user-interface thread's message queue. Everything runs on that one thread; handlers
// may run nested inside other handlers whenever some code pumps.
class MessageLoop {
  public:
    using TimerId = std::uint64_t;
    using Work = std::function<void()>;

    virtual ~MessageLoop() = default;

    // Handles every pending message and returns when the queue is empty.
    virtual void ProcessPendingMessages() = 0;
    // Handles one pending message if there is one; otherwise idles and blocks until a
    // message arrives (which the next ProcessPendingMessages then handles).
    virtual void HandleOneMessage() = 0;
    // Queues work to run when the loop next handles messages.
    virtual void Post(Work work) = 0;
    // Runs work once after delayMs (0 or more) milliseconds, as a message. The id is never 0.
    virtual TimerId StartTimer(std::int64_t delayMs, Work work) = 0;
    // Forgets a timer that has not fired yet; unknown or fired ids are ignored.
    virtual void CancelTimer(TimerId id) = 0;
};

// The process-wide message loop. Until one is installed, a virtual-time loop over the
// standing clock of CurrentClock() answers, so waits end without blocking the process.
MessageLoop& CurrentMessageLoop();
// Installs the loop (nullptr restores the fallback); returns the previous one. The installer
// keeps ownership and must uninstall before the loop goes away.
MessageLoop* InstallMessageLoop(MessageLoop* loop);

}  // namespace vela
