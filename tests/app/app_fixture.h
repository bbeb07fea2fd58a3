#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/qt_message_loop.h"
#include "market/feed_factory.h"
#include "market/market_feed.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/runtime_utilities.h"

namespace vela::app {

// The Qt message loop and clock with a simulated market that answers quickly and always
// gives the same bars.
class AppFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallMessageLoop(&loop_);
        InstallClock(&clock_);
        FeedChoice choice = MakeFeed("sim:7,start=2024-06-20T15:30:00,delay=20");
        ASSERT_TRUE(choice.Feed) << choice.Error;
        feed_ = choice.Feed;
        InstallFeed(feed_);
    }
    void TearDown() override {
        InstallFeed(nullptr);
        feed_.reset();
        InstallClock(nullptr);
        InstallMessageLoop(nullptr);
    }

    QtMessageLoop loop_;
    QtClock clock_;
    std::shared_ptr<MarketFeed> feed_;
};

}  // namespace vela::app
