#include "market/hooks.h"

namespace vela {

THooks::~THooks() {
    Disconnect();
}

void THooks::Connect() {
    if (feed_) return;
    feed_ = InstalledFeed();
    if (!feed_) throw HooksError(kNotConnectedMessage);
}

void THooks::Disconnect() noexcept {
    if (!feed_) return;
    std::shared_ptr<MarketFeed> feed = std::move(feed_);
    feed_.reset();
    feed->DetachSink(*this);
}

void THooks::SetApplication(const std::string& sApp) noexcept {
    try {
        Feed();
        application_ = sApp;
    } catch (...) {
        // A component without a server swallows this, as the real one does.
    }
}

std::int32_t THooks::IsEntitled() noexcept {
    try {
        return Feed().IsEntitled();
    } catch (...) {
        return 0;
    }
}

void THooks::ClearSymbolCache() {
    Feed().ClearSymbolCache();
}

std::int32_t THooks::RequestHistory(const std::string& sSymbol, const std::string& sInterval,
                                    std::int32_t btType, std::int32_t lNumBars,
                                    std::int32_t lStartTime, std::int32_t lEndTime) {
    return Feed().RequestHistory(*this, sSymbol, sInterval, btType, lNumBars, lStartTime, lEndTime);
}

std::int32_t THooks::IsHistoryReady(std::int32_t lHandle) {
    return Feed().IsHistoryReady(lHandle) ? 1 : 0;
}

std::int32_t THooks::GetNumBars(std::int32_t lHandle) {
    return Feed().GetNumBars(lHandle);
}

BarData THooks::GetBar(std::int32_t lHandle, std::int32_t lBarIndex) {
    return Feed().GetBar(lHandle, lBarIndex);
}

void THooks::ReleaseHistory(std::int32_t lHandle) {
    Feed().ReleaseHistory(lHandle);
}

void THooks::BarsChanged(std::int32_t handle) {
    // A copy: the handler may free this object, and with it OnBarsChanged.
    const TBarsChangedEvent handler = OnBarsChanged;
    if (handler) handler(this, handle);
}

}  // namespace vela
