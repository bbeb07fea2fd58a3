#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "market/feed_factory.h"
#include "market/market_feed.h"

namespace vela {

// Sends each request to the feed its symbol names: "BINANCE:BTCUSDT", "SIM:IBM" or
// "CSV:IFL8" (the name of a feed kind, in any letter case, and a colon), and a bare symbol
// to the default feed, the first one made. A named kind that was not made at start is made
// on first use from its name alone. Reports of every feed come out of this one.
class FeedRouter : public MarketFeed {
  public:
    using Maker = std::function<FeedChoice(std::string_view spec)>;

    // Makes the feeds of specs (the first is the default); false with the error.
    bool Start(const std::vector<std::string>& specs, Maker maker, std::string& error);

    // The default feed's.
    std::int32_t IsEntitled() override;
    void ClearSymbolCache() override;
    std::int32_t RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                const std::string& interval, std::int32_t btType,
                                std::int32_t numBars, std::int32_t startTime,
                                std::int32_t endTime) override;
    bool IsHistoryReady(std::int32_t handle) override;
    std::int32_t GetNumBars(std::int32_t handle) override;
    BarData GetBar(std::int32_t handle, std::int32_t index) override;
    void ReleaseHistory(std::int32_t handle) override;
    void DetachSink(FeedEventSink& sink) noexcept override;

    // The feed of a kind, if it was made.
    std::shared_ptr<MarketFeed> FeedOf(std::string_view kind) const;

  private:
    // Carries one feed's events back to the requests' own sinks.
    struct Relay : FeedEventSink {
        FeedRouter* Router = nullptr;
        MarketFeed* Feed = nullptr;
        void BarsChanged(std::int32_t handle) override;
    };
    struct Entry {
        std::string Kind;
        std::shared_ptr<MarketFeed> Feed;
        std::unique_ptr<Relay> Events;
    };
    struct Routed {
        Entry* Via = nullptr;
        std::int32_t Inner = 0;
        FeedEventSink* Sink = nullptr;
    };

    Entry* Add(std::string kind, std::shared_ptr<MarketFeed> feed);
    // The feed a symbol goes to and the symbol it is asked for; nullptr with the reason.
    Entry* Route(const std::string& symbol, std::string& inner, std::string& why);
    Routed* Find(std::int32_t handle);
    void Relayed(MarketFeed* feed, std::int32_t inner);

    Maker maker_;
    std::vector<std::unique_ptr<Entry>> feeds_;  // the default first
    std::unordered_map<std::int32_t, Routed> routed_;
    std::map<std::pair<MarketFeed*, std::int32_t>, std::int32_t> outer_;
    std::int32_t next_ = 1;
    std::int32_t cachedHandle_ = -1;
    Routed* cached_ = nullptr;
};

}  // namespace vela
