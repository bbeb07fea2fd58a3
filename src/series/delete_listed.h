#pragma once

#include <cstdint>
#include <vector>

#include "series/integer_list.h"
#include "series/list_error.h"

namespace vela::detail {

// Removes the items at the positions listed in `positions`, all taken before the call:
// duplicates are harmless and positions past the end are ignored. The positions are marked
// first and the marked slots removed at once, so the survivors keep their order. A negative
// position raises ListIndexError; the positions listed before it are removed all the same,
// so the list never keeps an emptied slot.
template <class T, class Allocator>
void DeleteListed(std::vector<T, Allocator>& items, const TVegaIntegerList& positions) {
    std::vector<bool> doomed(items.size(), false);
    auto removeDoomed = [&] {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!doomed[i]) items[kept++] = items[i];
        items.resize(kept);
    };
    for (std::int32_t k = 0; k < positions.Count(); ++k) {
        const std::int32_t position = positions.GetItem(k);
        if (position < 0) {
            removeDoomed();
            throw ListIndexError(position);
        }
        if (static_cast<std::size_t>(position) < doomed.size())
            doomed[static_cast<std::size_t>(position)] = true;
    }
    removeDoomed();
}

}  // namespace vela::detail
