#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "market/market_feed.h"
#include "platform/clock.h"
#include "platform/message_loop.h"
#include "platform/settable_clock.h"
#include "platform/virtual_message_loop.h"
#include "text/calendar.h"

namespace vela::testing_support {

inline double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodePlatformDateTime(CivilDateTime{y, mo, d, h, mi, s, ms});
}

// Virtual time installed as the process clock and loop; no feed until a test installs one.
class VirtualTimeTest : public ::testing::Test {
  protected:
    // Monday 4 March 2024, 10:00, inside the day session.
    SettableClock clock{At(2024, 3, 4, 10, 0, 0)};
    VirtualMessageLoop loop{clock};

    void SetUp() override {
        previousClock_ = InstallClock(&clock);
        previousLoop_ = InstallMessageLoop(&loop);
    }
    void TearDown() override {
        InstallFeed(nullptr);
        InstallMessageLoop(previousLoop_);
        InstallClock(previousClock_);
    }

  private:
    Clock* previousClock_ = nullptr;
    MessageLoop* previousLoop_ = nullptr;
};

// A feed that serves the bars a test gives it and fires events when told; it can also be
// made to fail, and it counts releases.
class ScriptedFeed : public MarketFeed {
  public:
    std::vector<BarData> Bars;  // oldest first; dtTime in platform days
    bool Ready = true;
    int FailGetBarAfter = -1;  // GetBar calls that succeed before every further one throws
    int GetBarCalls = 0;
    std::map<std::int32_t, int> Releases;
    std::map<std::int32_t, FeedEventSink*> Open;

    std::int32_t IsEntitled() override { return 1; }
    void ClearSymbolCache() override {}
    std::int32_t RequestHistory(FeedEventSink& sink, const std::string&, const std::string&,
                                std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
        Open[next_] = &sink;
        return next_++;
    }
    bool IsHistoryReady(std::int32_t handle) override { return Ready && Open.count(handle) != 0; }
    std::int32_t GetNumBars(std::int32_t handle) override {
        return Open.count(handle) != 0 ? static_cast<std::int32_t>(Bars.size()) : 0;
    }
    BarData GetBar(std::int32_t handle, std::int32_t index) override {
        if (FailGetBarAfter >= 0 && GetBarCalls >= FailGetBarAfter)
            throw HooksError("scripted failure");
        ++GetBarCalls;
        if (Open.count(handle) == 0 || index > 0 ||
            -index >= static_cast<std::int32_t>(Bars.size()))
            throw HooksError("bad bar");
        return Bars[Bars.size() - 1 - static_cast<std::size_t>(-index)];
    }
    void ReleaseHistory(std::int32_t handle) override {
        ++Releases[handle];
        Open.erase(handle);
    }
    void DetachSink(FeedEventSink& sink) noexcept override {
        std::erase_if(Open, [&sink](const auto& e) { return e.second == &sink; });
    }
    void Fire(std::int32_t handle) {
        if (const auto it = Open.find(handle); it != Open.end()) it->second->BarsChanged(handle);
    }

  private:
    std::int32_t next_ = 1;
};

// BarData is packed, so its doubles may sit off their alignment: tests read them by value
// (a unary +) before anything, such as an EXPECT macro, binds a reference to them.
inline BarData Bar(double dtTime, double close = 100) {
    BarData b;
    b.dtTime = dtTime;
    b.dOpen = b.dHigh = b.dLow = b.dClose = close;
    return b;
}

}  // namespace vela::testing_support
