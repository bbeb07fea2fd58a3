#include "platform/held_clock.h"

#include <gtest/gtest.h>

#include "platform/settable_clock.h"

namespace vela {
namespace {

TEST(HeldClockTest, StandsStillWhileHeldAndRunsOnWithoutAJump) {
    SettableClock under(36'000.5);  // noon of a day in 1998
    under.Advance(1000);
    HeldClock clock(under);
    EXPECT_EQ(clock.SteadyMs(), under.SteadyMs());
    EXPECT_DOUBLE_EQ(clock.LocalNow(), under.LocalNow());

    clock.Hold();
    clock.Hold();  // a second hold changes nothing
    const double local = clock.LocalNow();
    under.Advance(90'000);
    EXPECT_EQ(clock.SteadyMs(), 1000);
    EXPECT_NEAR(clock.LocalNow(), local, 1e-9);

    clock.LetGo();
    EXPECT_FALSE(clock.Held());
    EXPECT_EQ(clock.SteadyMs(), 1000);
    under.Advance(2500);
    EXPECT_EQ(clock.SteadyMs(), 3500);
    EXPECT_NEAR(clock.LocalNow(), local + 2500.0 / 86'400'000.0, 1e-9);

    // Held again later, the time lost adds up.
    clock.Hold();
    under.Advance(10'000);
    clock.LetGo();
    under.Advance(500);
    EXPECT_EQ(clock.SteadyMs(), 4000);
}

}  // namespace
}  // namespace vela
