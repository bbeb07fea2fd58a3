#include "market/bar_list.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vela {

namespace {

[[noreturn]] void IndexError(std::int32_t index) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

BarPrices PricesOf(const BarData& b) {
    return BarPrices{b.dtTime, b.dOpen, b.dHigh, b.dLow, b.dClose, b.dVolume};
}

template <typename Rest>
Rest RestOf(const BarData& b) {
    Rest r;
    std::memcpy(r.data(), reinterpret_cast<const unsigned char*>(&b) + sizeof(BarPrices), r.size());
    return r;
}

// Whether any byte of the other fields is set (so -0.0 counts as set, as it should).
template <typename Rest>
bool IsSet(const Rest& r) {
    return std::any_of(r.begin(), r.end(), [](unsigned char c) { return c != 0; });
}

}  // namespace

bool TLBarList::OutOfOrder(std::size_t i) const {
    return !(prices_[i].dtTime <= prices_[i + 1].dtTime);
}

void TLBarList::MakeRoomFor(std::size_t extra) {
    const std::size_t need = prices_.size() + extra;
    if (need <= prices_.capacity()) return;
    // Grow by an eighth rather than doubling: a list of a million bars then never holds
    // room for another million that streaming would take years to fill.
    prices_.reserve(std::max(need, prices_.size() + prices_.size() / 8 + 16));
}

void TLBarList::KeepRest() {
    if (rest_.size() < prices_.size()) rest_.resize(prices_.size(), Rest{});
}

void TLBarList::Reserve(std::int32_t n) {
    if (n > 0 && static_cast<std::size_t>(n) > prices_.capacity())
        prices_.reserve(static_cast<std::size_t>(n));
}

void TLBarList::Add1(const BarData& BD) {
    MakeRoomFor(1);
    const Rest rest = RestOf<Rest>(BD);
    const bool restSet = IsSet(rest);
    if (restSet) KeepRest();
    prices_.push_back(PricesOf(BD));
    if (!rest_.empty() || restSet) rest_.push_back(rest);
    if (prices_.size() > 1 && OutOfOrder(prices_.size() - 2)) ++unordered_;
}

void TLBarList::Clear() {
    // The storage stays: the next download or update usually needs as much again, and
    // memory touched once is not paid for in page faults a second time.
    prices_.clear();
    rest_.clear();
    unordered_ = 0;
}

void TLBarList::ShrinkToFit() {
    prices_.shrink_to_fit();
    rest_.shrink_to_fit();
}

BarData TLBarList::GetItem(std::int32_t Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= prices_.size()) IndexError(Index);
    const auto i = static_cast<std::size_t>(Index);
    BarData b = BarOf(prices_[i]);
    if (!rest_.empty())
        std::memcpy(reinterpret_cast<unsigned char*>(&b) + sizeof(BarPrices), rest_[i].data(),
                    rest_[i].size());
    return b;
}

void TLBarList::SetItem(std::int32_t Index, const BarData& Value) {
    if (Index < 0 || static_cast<std::size_t>(Index) >= prices_.size()) IndexError(Index);
    const auto i = static_cast<std::size_t>(Index);
    const bool hasLeft = i > 0;
    const bool hasRight = i + 1 < prices_.size();
    if (hasLeft && OutOfOrder(i - 1)) --unordered_;
    if (hasRight && OutOfOrder(i)) --unordered_;
    prices_[i] = PricesOf(Value);
    const Rest rest = RestOf<Rest>(Value);
    if (IsSet(rest)) KeepRest();
    if (!rest_.empty()) rest_[i] = rest;
    if (hasLeft && OutOfOrder(i - 1)) ++unordered_;
    if (hasRight && OutOfOrder(i)) ++unordered_;
}

void TLBarList::Update(const TLBarList& L1) {
    if (L1.prices_.empty()) return;
    const double t = L1.prices_.front().dtTime;
    // The first held bar with dtTime >= t. No NaN compares >= anything, so nothing is cut.
    std::size_t cut = prices_.size();
    if (std::isnan(t)) {
        cut = prices_.size();
    } else if (unordered_ == 0) {
        // Ascending (so no NaN among two or more bars): the first bar >= t starts the run of
        // bars >= t at the end. Gallop back from the end, then search the last step, so the
        // cost follows the bars replaced, not the bars held. "!(x >= t)" keeps a lone NaN
        // bar where the scan would keep it.
        std::size_t hi = prices_.size();  // prices_[hi..] are all >= t
        std::size_t step = 1;
        std::size_t lo = hi;
        while (lo > 0) {
            const std::size_t probe = lo > step ? lo - step : 0;
            if (!(prices_[probe].dtTime >= t)) {
                lo = probe;
                break;
            }
            hi = probe;
            lo = probe;
            step *= 2;
        }
        // Now prices_[hi..] >= t and, when lo < hi, not prices_[lo] >= t; search between.
        while (lo + 1 < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (!(prices_[mid].dtTime >= t))
                lo = mid;
            else
                hi = mid;
        }
        cut = hi;
    } else {
        for (std::size_t i = 0; i < prices_.size(); ++i) {
            if (prices_[i].dtTime >= t) {
                cut = i;
                break;
            }
        }
    }
    if (cut < prices_.size()) {
        for (std::size_t i = cut == 0 ? 0 : cut - 1; i + 1 < prices_.size(); ++i)
            if (OutOfOrder(i)) --unordered_;
        prices_.resize(cut);
        if (rest_.size() > cut) rest_.resize(cut);
    }
    const std::size_t first = prices_.size();
    MakeRoomFor(L1.prices_.size());
    prices_.insert(prices_.end(), L1.prices_.begin(), L1.prices_.end());
    if (!L1.rest_.empty()) {
        rest_.resize(first, Rest{});
        rest_.insert(rest_.end(), L1.rest_.begin(), L1.rest_.end());
    } else if (!rest_.empty()) {
        rest_.resize(prices_.size(), Rest{});
    }
    for (std::size_t i = first == 0 ? 0 : first - 1; i + 1 < prices_.size(); ++i)
        if (OutOfOrder(i)) ++unordered_;
}

}  // namespace vela
