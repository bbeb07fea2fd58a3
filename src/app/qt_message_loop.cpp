#include "app/qt_message_loop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <utility>

#include "text/calendar.h"

namespace vela::app {

QtMessageLoop::QtMessageLoop() : idle_(new QTimer(&context_)) {
    idle_->setSingleShot(true);
    idle_->setInterval(kIdleTickMs);
}

QtMessageLoop::~QtMessageLoop() {
    // The timers are children of context_ and go with it; nothing fires after this.
    timers_.clear();
}

void QtMessageLoop::ProcessPendingMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtMessageLoop::HandleOneMessage() {
    idle_->start();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtMessageLoop::Post(Work work) {
    QMetaObject::invokeMethod(
        &context_,
        [work = std::move(work)] {
            if (work) work();
        },
        Qt::QueuedConnection);
}

MessageLoop::TimerId QtMessageLoop::StartTimer(std::int64_t delayMs, Work work) {
    const TimerId id = nextId_++;
    auto* timer = new QTimer(&context_);  // owned by context_
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, &context_, [this, id, work = std::move(work)] {
        // Forget the timer before running the work: the work may cancel or start timers.
        const auto it = timers_.find(id);
        if (it == timers_.end()) return;
        QTimer* fired = it->second;
        timers_.erase(it);
        fired->deleteLater();
        const Work run = work;
        if (run) run();
    });
    timers_.emplace(id, timer);
    const std::int64_t clamped =
        std::clamp<std::int64_t>(delayMs, 0, std::numeric_limits<int>::max());
    timer->start(static_cast<int>(clamped));
    return id;
}

void QtMessageLoop::CancelTimer(TimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

QtClock::QtClock() {
    steady_.start();
}

double QtClock::LocalNow() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return EncodePlatformDateTime(
        CivilDateTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

std::int64_t QtClock::SteadyMs() const {
    return steady_.elapsed();
}

}  // namespace vela::app
