#include "market/hooks.h"

#include <gtest/gtest.h>

#include "market/market_test_support.h"
#include "market/sim_feed.h"

namespace vela {
namespace {

using testing_support::ScriptedFeed;

class HooksTest : public testing_support::VirtualTimeTest {};

TEST_F(HooksTest, WithoutAFeedOperationsFailWithTheComponentsMessage) {
    THooks hooks;
    hooks.SetApplication(kApplicationKey);  // swallowed
    EXPECT_EQ(hooks.IsEntitled(), 0);
    EXPECT_FALSE(hooks.Connected());
    try {
        hooks.RequestHistory("IBM", "1", 1, 10, -1, -1);
        FAIL() << "no failure";
    } catch (const HooksError& e) {
        EXPECT_STREQ(
            e.what(),
            "DefaultInterface is NULL. Component is not connected to Server. You must call "
            "'Connect' or 'ConnectTo' before this operation");
    }
    EXPECT_THROW(hooks.ClearSymbolCache(), HooksError);
    EXPECT_THROW(hooks.GetBar(1, 0), HooksError);
    EXPECT_THROW(hooks.ReleaseHistory(1), HooksError);
}

TEST_F(HooksTest, ConnectsLazilyAndDeliversEventsUntilDisconnected) {
    THooks hooks;
    auto feed = std::make_shared<SimFeed>(SimFeedOptions{}, loop, clock);
    InstallFeed(feed);
    std::vector<std::pair<THooks*, std::int32_t>> events;
    hooks.OnBarsChanged = [&](THooks* sender, std::int32_t handle) {
        events.emplace_back(sender, handle);
    };
    hooks.SetApplication(kApplicationKey);
    EXPECT_TRUE(hooks.Connected());
    EXPECT_EQ(hooks.Application(), kApplicationKey);
    EXPECT_EQ(hooks.IsEntitled(), 1);
    const auto h = hooks.RequestHistory("IBM", "1", 1, 10, -1, -1);
    loop.RunFor(2000);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair(&hooks, h));
    hooks.Disconnect();
    loop.RunFor(2000);
    EXPECT_EQ(events.size(), 2u);
    InstallFeed(nullptr);
    EXPECT_THROW(hooks.Connect(), HooksError);
}

TEST_F(HooksTest, AnObjectFreedByItsOwnHandlerGetsNoFurtherEvents) {
    auto feed = std::make_shared<ScriptedFeed>();
    InstallFeed(feed);
    auto hooks = std::make_unique<THooks>();
    int calls = 0;
    hooks->OnBarsChanged = [&](THooks*, std::int32_t) {
        ++calls;
        hooks.reset();
    };
    const auto h = hooks->RequestHistory("IBM", "1", 1, 10, -1, -1);
    feed->Fire(h);
    feed->Fire(h);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(feed->Open.empty());
}

}  // namespace
}  // namespace vela
