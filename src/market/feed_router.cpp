#include "market/feed_router.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace vela {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool FeedRouter::Start(const std::vector<std::string>& specs, Maker maker, std::string& error) {
    maker_ = std::move(maker);
    for (const std::string& spec : specs) {
        const FeedKind* kind = FeedKindOf(spec);
        FeedChoice choice = maker_(spec);
        if (!choice.Feed) {
            error = choice.Error;
            return false;
        }
        // A second feed of a kind already made is a mistake: which would CSV: mean?
        if (FeedOf(kind->Name)) {
            error = "--feed " + std::string(kind->Name) + " is given twice";
            return false;
        }
        Add(std::string(kind->Name), std::move(choice.Feed));
    }
    if (feeds_.empty()) {
        error = "no feed";
        return false;
    }
    return true;
}

FeedRouter::Entry* FeedRouter::Add(std::string kind, std::shared_ptr<MarketFeed> feed) {
    auto e = std::make_unique<Entry>();
    e->Kind = std::move(kind);
    e->Feed = std::move(feed);
    e->Events = std::make_unique<Relay>();
    e->Events->Router = this;
    e->Events->Feed = e->Feed.get();
    // The feed's reports come out of the router, once.
    e->Feed->SetReportStream(nullptr);
    e->Feed->SetReportListener([this](const std::string& line) { Report(line); });
    feeds_.push_back(std::move(e));
    return feeds_.back().get();
}

std::shared_ptr<MarketFeed> FeedRouter::FeedOf(std::string_view kind) const {
    for (const auto& e : feeds_)
        if (e->Kind == kind) return e->Feed;
    return nullptr;
}

FeedRouter::Entry* FeedRouter::Route(const std::string& symbol, std::string& inner,
                                     std::string& why) {
    inner = symbol;
    const std::size_t colon = symbol.find(':');
    if (colon == std::string::npos) return feeds_.front().get();
    const std::string name = Lower(symbol.substr(0, colon));
    const auto& kinds = FeedKinds();
    const auto kind = std::find_if(kinds.begin(), kinds.end(),
                                   [&name](const FeedKind& k) { return k.Name == name; });
    // Not a feed's name: the colon is part of the symbol.
    if (kind == kinds.end()) return feeds_.front().get();
    inner = symbol.substr(colon + 1);
    for (const auto& e : feeds_)
        if (e->Kind == name) return e.get();
    FeedChoice choice = maker_ ? maker_(name) : FeedChoice{nullptr, "no feed " + name};
    if (!choice.Feed) {
        why = "no " + name + " feed for " + symbol + " (" + choice.Error + ")";
        return nullptr;
    }
    return Add(name, std::move(choice.Feed));
}

std::int32_t FeedRouter::IsEntitled() {
    return feeds_.empty() ? 0 : feeds_.front()->Feed->IsEntitled();
}

void FeedRouter::ClearSymbolCache() {
    for (const auto& e : feeds_) e->Feed->ClearSymbolCache();
}

std::int32_t FeedRouter::RequestHistory(FeedEventSink& sink, const std::string& symbol,
                                        const std::string& interval, std::int32_t btType,
                                        std::int32_t numBars, std::int32_t startTime,
                                        std::int32_t endTime) {
    if (feeds_.empty()) throw HooksError("no feed");
    std::string inner;
    std::string why;
    Entry* via = Route(symbol, inner, why);
    if (via == nullptr) {
        Report(why);
        throw HooksError(why);
    }
    const std::int32_t innerHandle = via->Feed->RequestHistory(*via->Events, inner, interval,
                                                               btType, numBars, startTime, endTime);
    while (routed_.count(next_) != 0)
        next_ = next_ == std::numeric_limits<std::int32_t>::max() ? 1 : next_ + 1;
    const std::int32_t handle = next_;
    next_ = next_ == std::numeric_limits<std::int32_t>::max() ? 1 : next_ + 1;
    routed_[handle] = Routed{via, innerHandle, &sink};
    outer_[{via->Feed.get(), innerHandle}] = handle;
    cachedHandle_ = -1;
    return handle;
}

FeedRouter::Routed* FeedRouter::Find(std::int32_t handle) {
    if (handle == cachedHandle_ && cached_ != nullptr) return cached_;
    const auto it = routed_.find(handle);
    if (it == routed_.end()) return nullptr;
    cachedHandle_ = handle;
    cached_ = &it->second;
    return cached_;
}

bool FeedRouter::IsHistoryReady(std::int32_t handle) {
    Routed* r = Find(handle);
    return r != nullptr && r->Via->Feed->IsHistoryReady(r->Inner);
}

std::int32_t FeedRouter::GetNumBars(std::int32_t handle) {
    Routed* r = Find(handle);
    return r == nullptr ? 0 : r->Via->Feed->GetNumBars(r->Inner);
}

BarData FeedRouter::GetBar(std::int32_t handle, std::int32_t index) {
    Routed* r = Find(handle);
    if (r == nullptr) throw HooksError("Invalid history handle " + std::to_string(handle));
    return r->Via->Feed->GetBar(r->Inner, index);
}

void FeedRouter::ReleaseHistory(std::int32_t handle) {
    const auto it = routed_.find(handle);
    if (it == routed_.end()) return;
    const Routed r = it->second;
    routed_.erase(it);
    cachedHandle_ = -1;
    cached_ = nullptr;
    outer_.erase({r.Via->Feed.get(), r.Inner});
    r.Via->Feed->ReleaseHistory(r.Inner);
}

void FeedRouter::DetachSink(FeedEventSink& sink) noexcept {
    std::vector<std::int32_t> handles;
    for (const auto& [handle, r] : routed_)
        if (r.Sink == &sink) handles.push_back(handle);
    for (const std::int32_t handle : handles) {
        try {
            ReleaseHistory(handle);
        } catch (...) {
            // Releasing never matters more than letting the sink go.
        }
    }
}

void FeedRouter::Relay::BarsChanged(std::int32_t handle) {
    Router->Relayed(Feed, handle);
}

void FeedRouter::Relayed(MarketFeed* feed, std::int32_t inner) {
    const auto it = outer_.find({feed, inner});
    if (it == outer_.end()) return;
    const std::int32_t handle = it->second;
    Routed* r = Find(handle);
    if (r != nullptr && r->Sink != nullptr) r->Sink->BarsChanged(handle);
}

}  // namespace vela
