#pragma once

#include <cstdint>

#include "chart/chart_state.h"
#include "text/calendar.h"

namespace vela::bench {

// A chart window's state after a run of `bars` one-minute bars: trading days of 390 bars
// from 09:30 with the nights between them, a random walk of prices, 15 future positions.
inline ChartState MinuteBarChart(std::int32_t bars, bool highLow) {
    constexpr double kDay = 2.737850787e-05;
    ChartState s;
    s.dT = kDay / 1440;
    double t = DateToCenturies(2012, 6, 18, 9.5);
    double price = 1300;
    std::uint32_t seed = 12345;
    for (std::int32_t i = 0; i < bars; ++i) {
        seed = seed * 1664525u + 1013904223u;
        price += (static_cast<double>(seed >> 8) / (1 << 24) - 0.5) * 0.8;
        s.LClose.Add(price);
        s.LHigh.Add(price + 0.3);
        s.LLow.Add(price - 0.3);
        s.LTime.Add(t);
        t += s.dT;
        if (i % 390 == 389) t += kDay * (1440 - 390) / 1440;
    }
    s.ILastPrice = bars - 1;
    s.LastClose = s.LClose[bars - 1];
    s.LastCloseTime = s.LTime[bars - 1];
    s.DeltaClose = bars > 2 ? s.LClose[bars - 1] - s.LClose[bars - 2] : 0;
    for (int i = 1; i <= 15; ++i) {
        s.LClose.Add(kNullValue);
        s.LHigh.Add(kNullValue);
        s.LLow.Add(kNullValue);
        s.LTime.Add(s.LastCloseTime + i * s.dT);
    }
    s.Intraday = true;
    s.IFirstBarInDay = 0;
    for (std::int32_t i = 1; i < bars; ++i)
        if (s.LTime[i] - s.LTime[i - 1] > 3 * s.dT) s.IFirstBarInDay = i;
    s.DayTMin = s.LTime[s.IFirstBarInDay];
    s.DayTMax = s.LastCloseTime + 15 * s.dT;
    s.HighLow = highLow;
    return s;
}

}  // namespace vela::bench
