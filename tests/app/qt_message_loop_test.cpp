#include "app/qt_message_loop.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>
#include <string>

#include "platform/runtime_utilities.h"
#include "text/calendar.h"

namespace vela::app {
namespace {

class QtLoopTest : public ::testing::Test {
  protected:
    QtMessageLoop loop;
    QtClock clock;
    void SetUp() override {
        previousLoop_ = InstallMessageLoop(&loop);
        previousClock_ = InstallClock(&clock);
    }
    void TearDown() override {
        InstallMessageLoop(previousLoop_);
        InstallClock(previousClock_);
    }

  private:
    MessageLoop* previousLoop_ = nullptr;
    Clock* previousClock_ = nullptr;
};

TEST_F(QtLoopTest, PostedWorkAndTimersRunWhileWaitPumpingWaits) {
    std::string log;
    loop.Post([&] { log += "p"; });
    loop.ProcessPendingMessages();
    EXPECT_EQ(log, "p");
    loop.StartTimer(20, [&] { log += "t"; });
    const auto cancelled = loop.StartTimer(10, [&] { log += "x"; });
    loop.CancelTimer(cancelled);
    const std::int64_t start = clock.SteadyMs();
    WaitPumping(60);
    EXPECT_GT(clock.SteadyMs() - start, 60);
    EXPECT_EQ(log, "pt");
}

TEST_F(QtLoopTest, ClockReadsTheLocalTimeToTheMillisecond) {
    const QDateTime before = QDateTime::currentDateTime();
    const double now = clock.LocalNow();
    CivilDateTime c;
    ASSERT_TRUE(DecodePlatformDateTime(now, c));
    const QDateTime read(QDate(c.Year, c.Month, c.Day),
                         QTime(c.Hour, c.Minute, c.Second, c.Millisecond));
    EXPECT_LE(std::abs(before.msecsTo(read)), 1000);
}

}  // namespace
}  // namespace vela::app
