#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "market/bar_interval.h"
#include "market/feed_requests.h"
#include "market/sim_session_calendar.h"
#include "platform/clock.h"
#include "platform/message_loop.h"

namespace vela {

struct SimFeedOptions {
    std::uint64_t Seed = 1;
    // The market's instant when the feed is first asked for a history (platform days); from
    // then on it runs with the clock. Without it the market runs on the clock's local time.
    std::optional<double> Start;
    // How long a history takes to become ready.
    std::int32_t ReadyDelayMs = 300;
    // Histories of at least this many bars are made on another thread while the request
    // waits to become ready (the same bars); 0: always on the spot.
    std::int32_t BackgroundBars = 100'000;
};

// A deterministic simulated market with one past. Each symbol has a price level derived from
// its name and one price path, a pure function of seed, symbol and time, that every interval
// aggregates: a five-minute bar is exactly its five one-minute bars. Intraday bars follow a
// weekday day session (09:30 to 16:00) or the hours a request asks for, daily bars one per
// weekday. A live tick once a second walks the forming bar along the same path and opens new
// bars at interval boundaries. An empty or blank symbol is not served.
class SimFeed : public FeedRequests {
  public:
    static constexpr DayWindow kSession = sim::kDaySession;
    static constexpr std::int32_t kMaxBars = 4'000'000;
    static constexpr std::int64_t kTickMs = 1000;

    // Waits are measured on clock; the market's instants run on market (clock when null),
    // which a snapshot holds still while its windows load.
    SimFeed(const SimFeedOptions& options, MessageLoop& loop, Clock& clock,
            const Clock* market = nullptr);
    ~SimFeed() override;

    std::int32_t IsEntitled() override { return 1; }
    void ClearSymbolCache() override {}
    std::int32_t RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                const std::string& interval, std::int32_t btType,
                                std::int32_t numBars, std::int32_t startTime,
                                std::int32_t endTime) override;
    std::int32_t GetNumBars(std::int32_t handle) override;
    BarData GetBar(std::int32_t handle, std::int32_t index) override;

    // The market's current instant in whole seconds since 30 December 1899.
    std::int64_t MarketSeconds() const;

  private:
    struct SimRequest;
    bool BecomesReady(Request& r) override;
    void Tick();
    void NoRequestsLeft() noexcept override;
    bool Advance(SimRequest& r, std::int64_t nowSec);
    // Takes the bars made on another thread, waiting for them when they are not done yet.
    static void Settle(Request& r);

    SimFeedOptions options_;
    MessageLoop& loop_;
    Clock& clock_;
    const Clock& market_;
    // When the market started running from options_.Start; set by the first request.
    std::optional<std::int64_t> steadyAtStart_;
    MessageLoop::TimerId timer_ = 0;
};

}  // namespace vela
