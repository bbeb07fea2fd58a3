#include "market/feed_requests.h"

#include <algorithm>
#include <iostream>
#include <limits>

namespace vela {

std::int32_t FeedRequests::Open(std::unique_ptr<Request> request) {
    // Handles are positive and not reused while open; after 2^31 requests they wrap.
    while (requests_.count(nextHandle_) != 0) {
        nextHandle_ = nextHandle_ == std::numeric_limits<std::int32_t>::max() ? 1 : nextHandle_ + 1;
    }
    const std::int32_t handle = nextHandle_;
    nextHandle_ = nextHandle_ == std::numeric_limits<std::int32_t>::max() ? 1 : nextHandle_ + 1;
    requests_.emplace(handle, std::move(request));
    return handle;
}

void FeedRequests::ReadRequest(const std::string& interval, std::int32_t startTime,
                               std::int32_t endTime, DayWindow sessionDefault, BarInterval& iv,
                               DayWindow& window) {
    if (!ParseBarInterval(interval, iv)) throw HooksError("Unknown interval \"" + interval + "\"");
    if (!ResolveDayWindow(startTime, endTime, sessionDefault, window))
        throw HooksError("Invalid time range " + std::to_string(startTime) + ", " +
                         std::to_string(endTime));
}

bool FeedRequests::SaysBlankSymbol(std::string_view symbol, std::string_view feedName) {
    if (symbol.find_first_not_of(" \t\r\n\v\f") != std::string_view::npos) return false;
    Report(std::string(feedName) + ": no symbol given; no bars");
    return true;
}

FeedRequests::Request* FeedRequests::Find(std::int32_t handle) {
    if (handle == cachedHandle_ && cached_ != nullptr) return cached_;
    const auto it = requests_.find(handle);
    if (it == requests_.end()) return nullptr;
    cachedHandle_ = handle;
    cached_ = it->second.get();
    return cached_;
}

std::vector<std::int32_t> FeedRequests::Handles() const {
    std::vector<std::int32_t> handles;
    handles.reserve(requests_.size());
    for (const auto& [handle, request] : requests_) handles.push_back(handle);
    std::sort(handles.begin(), handles.end());
    return handles;
}

bool FeedRequests::IsHistoryReady(std::int32_t handle) {
    Request* r = Find(handle);
    if (r == nullptr) return false;
    if (!r->Ready) r->Ready = BecomesReady(*r);
    return r->Ready;
}

std::int32_t FeedRequests::GetNumBars(std::int32_t handle) {
    const Request* r = Find(handle);
    if (r == nullptr) return 0;
    const std::size_t n = r->Bars.size() - r->First;
    return static_cast<std::int32_t>(
        std::min<std::size_t>(n, std::numeric_limits<std::int32_t>::max()));
}

BarData FeedRequests::GetBar(std::int32_t handle, std::int32_t index) {
    const Request* r = Find(handle);
    if (r == nullptr) throw HooksError("Invalid history handle " + std::to_string(handle));
    const std::size_t count = r->Bars.size();
    const std::size_t n = count - r->First;
    // index 0 is the newest bar.
    if (index > 0 || static_cast<std::size_t>(-static_cast<std::int64_t>(index)) >= n)
        throw HooksError("Bar index " + std::to_string(index) + " out of range");
    return BarOf(r->Bars[count - 1 - static_cast<std::size_t>(-static_cast<std::int64_t>(index))]);
}

void FeedRequests::ReleaseHistory(std::int32_t handle) {
    if (handle == cachedHandle_) {
        cachedHandle_ = -1;
        cached_ = nullptr;
    }
    requests_.erase(handle);
    if (requests_.empty()) NoRequestsLeft();
}

void FeedRequests::DetachSink(FeedEventSink& sink) noexcept {
    cachedHandle_ = -1;
    cached_ = nullptr;
    std::erase_if(requests_, [&sink](const auto& entry) { return entry.second->Sink == &sink; });
    if (requests_.empty()) NoRequestsLeft();
}

void FeedRequests::ReleaseAll() noexcept {
    cachedHandle_ = -1;
    cached_ = nullptr;
    requests_.clear();
}

void FeedRequests::Notify(std::int32_t handle) {
    Request* r = Find(handle);
    if (r == nullptr || r->Sink == nullptr) return;
    try {
        r->Sink->BarsChanged(handle);
    } catch (const std::exception& e) {
        // Nothing above the message loop could handle it; the next event tries again.
        std::cerr << "vela: bars-changed handler failed: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "vela: bars-changed handler failed\n";
    }
}

}  // namespace vela
