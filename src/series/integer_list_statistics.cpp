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
    std::vector<std::int32_t> work = FList;
    std::int32_t kept = NullValue;
    std::int32_t keptCount = 0;
    for (std::size_t first = 0; first < work.size(); ++first) {
        const std::int32_t value = work[first];
        if (value == NullValue) continue;
        std::int32_t count = 0;
        for (std::size_t i = first; i < work.size(); ++i) {
            if (work[i] != value) continue;
            ++count;
            work[i] = NullValue;
        }
        if (count > keptCount) {
            kept = value;
            keptCount = count;
        }
    }
    Occurance = keptCount;
    return kept;
}

}  // namespace vela
