#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "series/integer_list.h"

namespace vela {

std::int32_t TVegaIntegerList::Sum() const {
    // Unsigned arithmetic wraps as the 32-bit sum does; signed overflow would be undefined.
    std::uint32_t sum = 0;
    for (std::int32_t v : FList) sum += static_cast<std::uint32_t>(v);
    return static_cast<std::int32_t>(sum);
}

void TVegaIntegerList::GetMinMax(std::int32_t& XMin, std::int32_t& XMax) const {
    std::int32_t lo = std::numeric_limits<std::int32_t>::max();
    std::int32_t hi = std::numeric_limits<std::int32_t>::min();
    for (std::int32_t v : FList) {
        if (v < lo) lo = v;
        if (v > hi) hi = v;
    }
    XMin = lo;
    XMax = hi;
}

std::int32_t TVegaIntegerList::TheMostCommonValue(std::int32_t& Occurance,
                                                  std::int32_t NullValue) const {
    if (FList.empty()) return NullValue;
    std::vector<std::int32_t> sorted;
    sorted.reserve(FList.size());
    for (std::int32_t v : FList)
        if (v != NullValue) sorted.push_back(v);
    std::sort(sorted.begin(), sorted.end());
    // The largest count and, in increasing order, the values that reach it.
    std::int32_t best = 0;
    std::vector<std::int32_t> leaders;
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i;
        while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
        const auto count = static_cast<std::int32_t>(j - i);
        if (count > best) {
            best = count;
            leaders.clear();
        }
        if (count == best) leaders.push_back(sorted[i]);
        i = j;
    }
    Occurance = best;
    if (leaders.empty()) return NullValue;
    // A tie goes to the value met first.
    for (std::int32_t v : FList)
        if (v != NullValue && std::binary_search(leaders.begin(), leaders.end(), v)) return v;
    return leaders.front();
}

}  // namespace vela
