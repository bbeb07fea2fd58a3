#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "market/market_feed.h"

namespace vela {

// One bar as a feed keeps it: the record's prices and a platform date-time.
struct FeedBar {
    double Time = 0;
    double Open = 0;
    double High = 0;
    double Low = 0;
    double Close = 0;
    double Volume = 0;
};

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
        std::vector<FeedBar> Bars;  // oldest first
        std::size_t First = 0;      // bars before First are not served
        bool Ready = false;

        // The bars served, oldest first; a request may serve them from elsewhere than Bars.
        virtual std::size_t BarCount() const { return Bars.size(); }
        virtual FeedBar BarAt(std::size_t i) const { return Bars[i]; }
    };

    // Readiness of a request that is not Ready yet; the default is "not yet".
    virtual bool BecomesReady(Request&) { return false; }
    // The last open request was released: a feed stops its timers here, so that a feed
    // outliving the message loop never touches it.
    virtual void NoRequestsLeft() noexcept {}

    std::int32_t Open(std::unique_ptr<Request> request);
    Request* Find(std::int32_t handle);
    bool HasRequests() const { return !requests_.empty(); }
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
