#include "market/market_feed.h"

#include <algorithm>
#include <ostream>
#include <string_view>
#include <utility>

namespace vela {

namespace {
std::shared_ptr<MarketFeed>& Slot() {
    static std::shared_ptr<MarketFeed> feed;
    return feed;
}
}  // namespace

void MarketFeed::Report(const std::string& text) {
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t nl = rest.find('\n');
        const std::string line(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        if (stream_ != nullptr) *stream_ << line << '\n' << std::flush;
        ++reportCount_;
        recent_.push_back(line);
        if (recent_.size() > kKeptReports) recent_.pop_front();
        // The listener may show the line in a window; a failure there must not fail the feed.
        if (listener_) {
            try {
                listener_(line);
            } catch (...) {
            }
        }
    }
}

std::vector<std::string> MarketFeed::ReportsSince(std::uint64_t count) const {
    if (count >= reportCount_) return {};
    const std::uint64_t wanted = std::min<std::uint64_t>(reportCount_ - count, recent_.size());
    return std::vector<std::string>(recent_.end() - static_cast<std::ptrdiff_t>(wanted),
                                    recent_.end());
}

void InstallFeed(std::shared_ptr<MarketFeed> feed) {
    // Hooks objects hold their own reference, so replacing the feed never frees one in use.
    std::shared_ptr<MarketFeed> old = std::exchange(Slot(), std::move(feed));
}

std::shared_ptr<MarketFeed> InstalledFeed() {
    return Slot();
}

}  // namespace vela
