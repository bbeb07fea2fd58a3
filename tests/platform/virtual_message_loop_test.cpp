#include "platform/virtual_message_loop.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>

namespace vela {
namespace {

TEST(VirtualMessageLoop, TimersFireInDueOrderAndCancelledOnesNever) {
    SettableClock clock;
    VirtualMessageLoop loop(clock, 0);
    std::string log;
    loop.StartTimer(300, [&] { log += "c"; });
    const auto cancelled = loop.StartTimer(200, [&] { log += "x"; });
    loop.StartTimer(100, [&] { log += "a"; });
    loop.StartTimer(100, [&] { log += "b"; });  // same due time: start order
    loop.Post([&] { log += "p"; });
    loop.CancelTimer(cancelled);
    loop.CancelTimer(9999);  // unknown: ignored
    loop.RunFor(30000);
    EXPECT_EQ(log, "pabc");
    EXPECT_EQ(clock.SteadyMs(), 30000);
    EXPECT_EQ(loop.PendingTimers(), 0u);
}

TEST(VirtualMessageLoop, WaitingJumpsToTheNextTimerAndHandlesItNextPass) {
    SettableClock clock;
    const double wallBefore = clock.LocalNow();
    VirtualMessageLoop loop(clock, 0);
    int fired = 0;
    loop.StartTimer(30000, [&] { ++fired; });
    loop.HandleOneMessage();  // nothing pending: blocks until the timer is due
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(clock.SteadyMs(), 30000);
    EXPECT_NEAR(clock.LocalNow() - wallBefore, 30000 / 86400000.0, 1e-9);
    loop.ProcessPendingMessages();
    EXPECT_EQ(fired, 1);
    // Nothing left and no idle tick: a wait would never end.
    EXPECT_THROW(loop.HandleOneMessage(), std::logic_error);
}

TEST(VirtualMessageLoop, IdleTickKeepsAnEmptyQueueMoving) {
    SettableClock clock;
    VirtualMessageLoop loop(clock, 10);
    loop.HandleOneMessage();
    EXPECT_EQ(clock.SteadyMs(), 10);
    loop.ProcessPendingMessages();  // the tick itself
    loop.StartTimer(4, [] {});
    loop.HandleOneMessage();  // a timer sooner than the tick wins
    EXPECT_EQ(clock.SteadyMs(), 14);
}

TEST(SettableClock, SettingTheWallTimeLeavesTheSteadyCount) {
    SettableClock clock(1000.5);
    clock.Advance(1500);
    clock.SetLocal(10.25);
    EXPECT_EQ(clock.SteadyMs(), 1500);
    EXPECT_DOUBLE_EQ(clock.LocalNow(), 10.25);
    clock.SetLocal(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(clock.LocalNow(), 10.25);
}

}  // namespace
}  // namespace vela
