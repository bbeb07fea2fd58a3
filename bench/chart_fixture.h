#pragma once

#include <cstdint>

#include <vector>

#include "chart/chart_update.h"
#include "text/calendar.h"

namespace vela::bench {

// A chart window's state after a run of `bars` one-minute bars: trading days of 390 bars
// from 09:30 with the nights between them, a random walk of prices, 15 future positions,
// with the given extras switched on before the bars arrive.
inline ChartState MinuteBarChart(std::int32_t bars, bool highLow, const ChartExtras& extras = {}) {
    ChartState s;
    s.Extras = extras;
    s.dT = BarLengthInCenturies(1);
    std::vector<BarPrices> data(static_cast<std::size_t>(bars));
    double t = DateToCenturies(2012, 6, 18, 9.5);
    double price = 1300;
    std::uint32_t seed = 12345;
    for (std::int32_t i = 0; i < bars; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double open = price;
        price += (static_cast<double>(seed >> 8) / (1 << 24) - 0.5) * 0.8;
        BarPrices& b = data[static_cast<std::size_t>(i)];
        b.dtTime = t;
        b.dOpen = open;
        b.dVolume = 100 + (seed >> 20);
        b.dClose = price;
        b.dHigh = price + 0.3;
        b.dLow = price - 0.3;
        t += s.dT;
        if (i % 390 == 389) t += DayInCenturies * (1440 - 390) / 1440;
    }
    UpdateChartSeries(data, s);
    s.HighLow = highLow;
    return s;
}

}  // namespace vela::bench
