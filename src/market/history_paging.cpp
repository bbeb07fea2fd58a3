#include "market/history_paging.h"

#include <algorithm>
#include <limits>

#include "market/bar_interval.h"

namespace vela {

HistoryPaging::HistoryPaging(const IntervalPlan& plan, std::int32_t maxKlines,
                             std::int32_t wantedBars)
    : plan_(plan), wanted_(std::max<std::int32_t>(wantedBars, 0)) {
    const std::int64_t perBar = std::max<std::int64_t>(plan.BucketMs / plan.BaseMs, 1);
    barsPerPage_ = std::max<std::int64_t>(maxKlines / perBar, 1);
    pageKlines_ =
        static_cast<std::int32_t>(std::min<std::int64_t>(barsPerPage_ * perBar, maxKlines));
}

HistoryPaging::Page HistoryPaging::PageAt(int index) const {
    if (index == kProbe) return Page{kProbe, 0, -1, 1};
    if (index == 0) return Page{0, -1, -1, pageKlines_};
    const std::int64_t span = static_cast<std::int64_t>(pageKlines_) * plan_.BaseMs;
    const std::int64_t end = boundaryMs_ - static_cast<std::int64_t>(index - 1) * span;
    return Page{index, end - span, end - 1, pageKlines_};
}

std::optional<HistoryPaging::Page> HistoryPaging::Next() {
    if (!asked0_) {
        asked0_ = true;
        inFlight_.push_back(0);
        return PageAt(0);
    }
    if (!askedProbe_) {
        askedProbe_ = true;
        inFlight_.push_back(kProbe);
        return PageAt(kProbe);
    }
    if (!retry_.empty()) {
        const int index = retry_.front();
        retry_.erase(retry_.begin());
        inFlight_.push_back(index);
        return PageAt(index);
    }
    if (results_.count(0) == 0 || Complete()) return std::nullopt;
    // Counted as if every page in flight came back full: pages are not asked twice over.
    std::int64_t expected = 0;
    for (const auto& [index, r] : results_)
        if (index >= 0 && !r.Failed) expected += r.Bars;
    for (const int index : inFlight_)
        if (index > 0) expected += barsPerPage_;
    if (expected >= wanted_) return std::nullopt;
    const Page page = PageAt(nextIndex_);
    if (firstMs_ && page.EndMs < *firstMs_) return std::nullopt;
    for (const auto& [index, r] : results_)
        if (index > 0 && r.Failed && index < nextIndex_) return std::nullopt;
    ++nextIndex_;
    inFlight_.push_back(page.Index);
    return page;
}

void HistoryPaging::Received(int index, std::vector<Kline> klines) {
    std::erase(inFlight_, index);
    std::stable_sort(klines.begin(), klines.end(),
                     [](const Kline& a, const Kline& b) { return a.OpenMs < b.OpenMs; });
    // A kline sent twice is taken once.
    klines.erase(std::unique(klines.begin(), klines.end(),
                             [](const Kline& a, const Kline& b) { return a.OpenMs == b.OpenMs; }),
                 klines.end());
    if (index == kProbe) {
        firstMs_ =
            klines.empty() ? std::numeric_limits<std::int64_t>::max() : klines.front().OpenMs;
        return;
    }
    if (index == 0) {
        page0Full_ = static_cast<std::int32_t>(klines.size()) >= pageKlines_;
        if (page0Full_) {
            // Klines before the first bar boundary belong to a bar that page 1 holds whole.
            const std::int64_t oldest = klines.front().OpenMs;
            boundaryMs_ = FloorDiv(oldest + plan_.BucketMs - 1, plan_.BucketMs) * plan_.BucketMs;
            std::erase_if(klines, [this](const Kline& k) { return k.OpenMs < boundaryMs_; });
        }
    } else {
        const Page page = PageAt(index);
        std::erase_if(klines, [&page](const Kline& k) {
            return k.OpenMs < page.StartMs || k.OpenMs > page.EndMs;
        });
    }
    Result& r = results_[index];
    r.Klines = std::move(klines);
    std::int64_t last = std::numeric_limits<std::int64_t>::min();
    for (const Kline& k : r.Klines) {
        const std::int64_t bucket = FloorDiv(k.OpenMs, plan_.BucketMs);
        if (bucket != last) ++r.Bars;
        last = bucket;
    }
}

void HistoryPaging::Failed(int index) {
    std::erase(inFlight_, index);
    if (index == kProbe) {
        probeFailed_ = true;
        return;
    }
    results_[index].Failed = true;
}

void HistoryPaging::Retry(int index) {
    std::erase(inFlight_, index);
    retry_.push_back(index);
}

void HistoryPaging::Walk(std::int64_t& bars, bool& ends) const {
    bars = 0;
    ends = false;
    reachedFirst_ = false;
    for (int index = 0;; ++index) {
        const auto it = results_.find(index);
        if (it == results_.end()) return;
        if (it->second.Failed) {
            ends = true;
            return;
        }
        bars += it->second.Bars;
        if (index == 0 && !page0Full_) {
            ends = reachedFirst_ = true;
            return;
        }
        const bool emptyBeforeAll =
            index > 0 && it->second.Klines.empty() && (probeFailed_ || !firstMs_.has_value());
        if ((index > 0 && firstMs_ && PageAt(index).StartMs <= *firstMs_) || emptyBeforeAll) {
            ends = reachedFirst_ = true;
            return;
        }
        if (bars >= wanted_) {
            ends = true;
            return;
        }
    }
}

bool HistoryPaging::Complete() const {
    std::int64_t bars = 0;
    bool ends = false;
    Walk(bars, ends);
    return ends;
}

std::int64_t HistoryPaging::BarsInHand() const {
    std::int64_t bars = 0;
    bool ends = false;
    Walk(bars, ends);
    return bars;
}

std::vector<Kline> HistoryPaging::Take() {
    std::vector<int> run;
    for (int index = 0; results_.count(index) != 0 && !results_[index].Failed; ++index)
        run.push_back(index);
    std::size_t total = 0;
    for (const int index : run) total += results_[index].Klines.size();
    std::vector<Kline> out;
    out.reserve(total);
    for (auto it = run.rbegin(); it != run.rend(); ++it) {
        std::vector<Kline>& k = results_[*it].Klines;
        out.insert(out.end(), k.begin(), k.end());
        std::vector<Kline>().swap(k);
    }
    return out;
}

}  // namespace vela
