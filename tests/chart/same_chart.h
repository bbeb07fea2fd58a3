#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "chart/chart_state.h"
#include "series/double_list.h"

namespace vela::testing_support {

// The two lists hold the very same bits, item for item.
inline void ExpectSameItems(const TVegaDoubleList& a, const TVegaDoubleList& b, const char* what) {
    ASSERT_EQ(a.Count(), b.Count()) << what;
    for (std::int32_t i = 0; i < a.Count(); ++i)
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a.GetItem(i)),
                  std::bit_cast<std::uint64_t>(b.GetItem(i)))
            << what << " item " << i;
}

// Every series, the overlays and the fields made with them are the same in both charts.
inline void ExpectSameChart(const ChartState& a, const ChartState& b) {
    ExpectSameItems(a.LClose, b.LClose, "LClose");
    ExpectSameItems(a.LHigh, b.LHigh, "LHigh");
    ExpectSameItems(a.LLow, b.LLow, "LLow");
    ExpectSameItems(a.LTime, b.LTime, "LTime");
    ExpectSameItems(a.LOpen, b.LOpen, "LOpen");
    ExpectSameItems(a.LVolume, b.LVolume, "LVolume");
    ASSERT_EQ(a.Overlays.LAverages.size(), b.Overlays.LAverages.size());
    for (std::size_t i = 0; i < a.Overlays.LAverages.size(); ++i)
        ExpectSameItems(a.Overlays.LAverages[i], b.Overlays.LAverages[i], "average");
    ExpectSameItems(a.Overlays.LRsi, b.Overlays.LRsi, "LRsi");
    EXPECT_EQ(a.IFirstBarInDay, b.IFirstBarInDay);
    EXPECT_EQ(a.ILastPrice, b.ILastPrice);
    EXPECT_EQ(a.DayTMin, b.DayTMin);
    EXPECT_EQ(a.DayTMax, b.DayTMax);
    EXPECT_EQ(a.LastClose, b.LastClose);
    EXPECT_EQ(a.LastCloseTime, b.LastCloseTime);
    EXPECT_EQ(a.DeltaClose, b.DeltaClose);
    EXPECT_EQ(a.Intraday, b.Intraday);
}

}  // namespace vela::testing_support
