#pragma once

#include <array>
#include <string_view>

namespace vela {

// One entry of the chart window's interval list: the item shown, the interval text handed
// to the feed, and the bar length in minutes.
struct IntervalEntry {
    std::string_view Item;
    std::string_view Text;
    double Minutes;
};

inline constexpr std::array<IntervalEntry, 10> kIntervalTable = {{
    {"5s", "5S", 1.0 / 12},
    {"10s", "10S", 1.0 / 6},
    {"30s", "30S", 0.5},
    {"1 min", "1", 1},
    {"2 min", "2", 2},
    {"5 min", "5", 5},
    {"10 min", "10", 10},
    {"15 min", "15", 15},
    {"1 hour", "60", 60},
    {"1 day", "D", 1440},
}};

inline constexpr int kDefaultIntervalIndex = 3;  // "1 min"

// The entry for a list index; an index outside the table (a corrupted desktop file) falls
// back to "1 min".
inline const IntervalEntry& IntervalAt(int index) {
    if (index < 0 || index >= static_cast<int>(kIntervalTable.size()))
        index = kDefaultIntervalIndex;
    return kIntervalTable[static_cast<std::size_t>(index)];
}

// The index of an item text ("1 min"), or -1.
inline int IntervalIndexOfItem(std::string_view item) {
    for (std::size_t i = 0; i < kIntervalTable.size(); ++i)
        if (kIntervalTable[i].Item == item) return static_cast<int>(i);
    return -1;
}

}  // namespace vela
