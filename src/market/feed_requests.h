#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "market/bar_data.h"
#include "market/bar_interval.h"
#include "market/market_feed.h"

namespace vela {

// The bookkeeping every feed shares: handles, the bars each request serves, readiness, and
// delivery of events to the sink that made the request.
class FeedRequests : public MarketFeed {
  public:
    bool IsHistoryReady(std::int32_t handle) override;
    std::int32_t GetNumBars(std::int32_t handle) override;
    BarData GetBar(std::int32_t handle, std::int32_t index) override;
    void ReleaseHistory(std::int32_t handle) override;
    void DetachSink(FeedEventSink& sink) noexcept override;

  protected:
    struct Request {
        virtual ~Request() = default;
        FeedEventSink* Sink = nullptr;
        // Oldest first, times as platform date-times (as the component hands them out).
        std::vector<BarPrices> Bars;
        std::size_t First = 0;  // bars before First are not served
        bool Ready = false;
    };

    // Readiness of a request that is not Ready yet; the default is "not yet".
    virtual bool BecomesReady(Request&) { return false; }
    // The last open request was released: a feed stops its timers here, so that a feed
    // outliving the message loop never touches it.
    virtual void NoRequestsLeft() noexcept {}

    std::int32_t Open(std::unique_ptr<Request> request);
    // The interval and the part of the day a request asks for (-1, -1: sessionDefault);
    // throws HooksError for an interval or a range that is none.
    static void ReadRequest(const std::string& interval, std::int32_t startTime,
                            std::int32_t endTime, DayWindow sessionDefault, BarInterval& iv,
                            DayWindow& window);
    // The one rule of every feed for a symbol that is empty or all blanks: it names nothing,
    // and the feed says so, each time. True when the symbol is blank; the feed then opens
    // its request ready at once with no bars (its own kind of request: its walks over the
    // requests take every one for that kind).
    bool SaysBlankSymbol(std::string_view symbol, std::string_view feedName);
    Request* Find(std::int32_t handle);
    bool HasRequests() const { return !requests_.empty(); }
    // Lets every request go; a feed whose requests hold on to its parts calls this first
    // thing in its destructor.
    void ReleaseAll() noexcept;
    std::vector<std::int32_t> Handles() const;
    // Tells the request's sink that its bars changed. The request may be released or the
    // whole feed's requests changed by the receiver; callers look requests up again after.
    void Notify(std::int32_t handle);

  private:
    std::unordered_map<std::int32_t, std::unique_ptr<Request>> requests_;
    std::int32_t nextHandle_ = 1;
    // GetData asks for one bar at a time; most calls name the handle of the call before.
    std::int32_t cachedHandle_ = -1;
    Request* cached_ = nullptr;
};

}  // namespace vela
