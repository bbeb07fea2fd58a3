#include "market/bar_list.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vela {

namespace {
[[noreturn]] void IndexError(std::int32_t index) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

bool TLBarList::OutOfOrder(std::size_t i) const {
    return !(L[i].dtTime <= L[i + 1].dtTime);
}

void TLBarList::MakeRoomFor(std::size_t extra) {
    const std::size_t need = L.size() + extra;
    if (need <= L.capacity()) return;
    // Grow by an eighth rather than doubling: a list of a million bars then never holds
    // room for another million that streaming would take years to fill.
    L.reserve(std::max(need, L.size() + L.size() / 8 + 16));
}

void TLBarList::Reserve(std::int32_t n) {
    if (n > 0 && static_cast<std::size_t>(n) > L.capacity()) L.reserve(static_cast<std::size_t>(n));
}

void TLBarList::Add1(const BarData& BD) {
    MakeRoomFor(1);
    L.push_back(BD);
    if (L.size() > 1 && OutOfOrder(L.size() - 2)) ++unordered_;
}

void TLBarList::Clear() {
    // The storage stays: the next download or update usually needs as much again, and
    // memory touched once is not paid for in page faults a second time.
    L.clear();
    unordered_ = 0;
}

BarData TLBarList::GetItem(std::int32_t Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= L.size()) IndexError(Index);
    return L[static_cast<std::size_t>(Index)];
}

void TLBarList::SetItem(std::int32_t Index, const BarData& Value) {
    if (Index < 0 || static_cast<std::size_t>(Index) >= L.size()) IndexError(Index);
    const auto i = static_cast<std::size_t>(Index);
    const bool hasLeft = i > 0;
    const bool hasRight = i + 1 < L.size();
    if (hasLeft && OutOfOrder(i - 1)) --unordered_;
    if (hasRight && OutOfOrder(i)) --unordered_;
    L[i] = Value;
    if (hasLeft && OutOfOrder(i - 1)) ++unordered_;
    if (hasRight && OutOfOrder(i)) ++unordered_;
}

void TLBarList::Update(const TLBarList& L1) {
    if (L1.L.empty()) return;
    const double t = L1.L.front().dtTime;
    // The first held bar with dtTime >= t. No NaN compares >= anything, so nothing is cut.
    std::size_t cut = L.size();
    if (std::isnan(t)) {
        cut = L.size();
    } else if (unordered_ == 0) {
        // Ascending (so no NaN among two or more bars): the first bar >= t starts the run of
        // bars >= t at the end. Gallop back from the end, then search the last step, so the
        // cost follows the bars replaced, not the bars held. "!(x >= t)" keeps a lone NaN
        // bar where the scan would keep it.
        std::size_t hi = L.size();  // L[hi..] are all >= t
        std::size_t step = 1;
        std::size_t lo = hi;
        while (lo > 0) {
            const std::size_t probe = lo > step ? lo - step : 0;
            if (!(L[probe].dtTime >= t)) {
                lo = probe;
                break;
            }
            hi = probe;
            lo = probe;
            step *= 2;
        }
        // Now L[hi..] >= t and, when lo < hi, not L[lo] >= t; search between.
        while (lo + 1 < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (!(L[mid].dtTime >= t))
                lo = mid;
            else
                hi = mid;
        }
        cut = hi;
    } else {
        for (std::size_t i = 0; i < L.size(); ++i) {
            if (L[i].dtTime >= t) {
                cut = i;
                break;
            }
        }
    }
    if (cut < L.size()) {
        for (std::size_t i = cut == 0 ? 0 : cut - 1; i + 1 < L.size(); ++i)
            if (OutOfOrder(i)) --unordered_;
        L.resize(cut);
    }
    const std::size_t first = L.size();
    MakeRoomFor(L1.L.size());
    L.insert(L.end(), L1.L.begin(), L1.L.end());
    for (std::size_t i = first == 0 ? 0 : first - 1; i + 1 < L.size(); ++i)
        if (OutOfOrder(i)) ++unordered_;
}

}  // namespace vela
