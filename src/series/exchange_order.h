#pragma once

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vela::detail {

// Sorts [first, last) into exactly the order that repeated passes of neighbour exchanges give
// (exchange only when strictly out of order): a stable sort. A NaN key compares neither way,
// so such an item is never exchanged and nothing passes it; the runs between NaN keys are
// therefore sorted on their own. `ascending` false sorts largest first.
template <class It, class Key>
void SortLikeExchange(It first, It last, bool ascending, Key key) {
    auto sortRun = [&](It from, It to) {
        if (ascending)
            std::stable_sort(from, to,
                             [&](const auto& a, const auto& b) { return key(a) < key(b); });
        else
            std::stable_sort(from, to,
                             [&](const auto& a, const auto& b) { return key(a) > key(b); });
    };
    It runStart = first;
    for (It it = first; it != last; ++it) {
        if (std::isnan(key(*it))) {
            sortRun(runStart, it);
            runStart = std::next(it);
        }
    }
    sortRun(runStart, last);
}

}  // namespace vela::detail
