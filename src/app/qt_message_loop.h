#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstdint>
#include <unordered_map>

#include "platform/clock.h"
#include "platform/message_loop.h"

class QTimer;

namespace vela::app {

// The message loop of the Qt application: pending events through
// QCoreApplication::processEvents, timers as single-shot QTimers. A wait for a message never
// blocks longer than kIdleTickMs: an idle tick stands in for the main window's clock timer,
// so waits also end when no window is there to keep the queue moving.
class QtMessageLoop : public MessageLoop {
  public:
    static constexpr int kIdleTickMs = 10;

    QtMessageLoop();
    ~QtMessageLoop() override;

    void ProcessPendingMessages() override;
    void HandleOneMessage() override;
    void Post(Work work) override;
    TimerId StartTimer(std::int64_t delayMs, Work work) override;
    void CancelTimer(TimerId id) override;

  private:
    QObject context_;  // owns the timers; queued work dies with it
    QTimer* idle_ = nullptr;
    std::unordered_map<TimerId, QTimer*> timers_;
    TimerId nextId_ = 1;
};

// Local time from QDateTime, steady time from a monotonic QElapsedTimer.
class QtClock : public Clock {
  public:
    QtClock();
    double LocalNow() const override;
    std::int64_t SteadyMs() const override;

  private:
    QElapsedTimer steady_;
};

}  // namespace vela::app
