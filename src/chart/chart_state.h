#pragma once

#include <cstdint>
#include <string>

#include "platform/graphics_types.h"
#include "series/double_list.h"

namespace vela {

// What a chart window keeps for painting: four series (bars oldest first, then 15 future
// positions) and the fields derived from them.
struct ChartState {
    TVegaDoubleList LClose;
    TVegaDoubleList LHigh;
    TVegaDoubleList LLow;
    TVegaDoubleList LTime;
    std::int32_t IFirstBarInDay = -1;
    std::int32_t ILastPrice = 0;
    double DayTMin = 0;
    double DayTMax = 0;
    double dT = 0;
    double LastClose = 0;
    double LastCloseTime = 0;
    double DeltaClose = 0;
    bool Intraday = false;
    bool HighLow = false;  // the "H/L" check box: draw high and low lines
};

// The status line above the chart, as the last paint that got past the range check left it.
struct ChartStatus {
    std::string Text;
    TColor TextColor = clBlack;
    TColor SquareColor = clWhite;
};

}  // namespace vela
