#include "market/market_feed.h"

#include <utility>

namespace vela {

namespace {
std::shared_ptr<MarketFeed>& Slot() {
    static std::shared_ptr<MarketFeed> feed;
    return feed;
}
}  // namespace

void InstallFeed(std::shared_ptr<MarketFeed> feed) {
    // Hooks objects hold their own reference, so replacing the feed never frees one in use.
    std::shared_ptr<MarketFeed> old = std::exchange(Slot(), std::move(feed));
}

std::shared_ptr<MarketFeed> InstalledFeed() {
    return Slot();
}

}  // namespace vela
