#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics_types.h"
#include "series/double_list.h"

namespace vela {

// How the bars are drawn: the close line (as specified), or OHLC bars or candles.
enum class BarStyle { Line, Ohlc, Candles };

// A moving average drawn over the bars: SetMovingAverages' type and window.
struct ChartAverage {
    std::int32_t Type = 0;
    std::int32_t Window = 20;
    friend bool operator==(const ChartAverage&, const ChartAverage&) = default;
};

// The extras a trader switches on from the chart's menu; all off, the chart is exactly the
// specified one.
struct ChartExtras {
    BarStyle Style = BarStyle::Line;
    bool Volume = false;                 // a volume pane under the plot
    std::vector<ChartAverage> Averages;  // at most three
    std::int32_t RsiWindow = 0;          // an RSI pane when above 0
    bool Crosshair = false;              // a crosshair and the bar under the mouse
    bool FullTimeAxis = false;           // the time axis over the whole plot, not the newest day
    bool LogScale = false;               // prices mapped by their logarithm
    bool AnyOn() const {
        return Style != BarStyle::Line || Volume || !Averages.empty() || RsiWindow > 0 ||
               Crosshair || FullTimeAxis || LogScale;
    }
    friend bool operator==(const ChartExtras&, const ChartExtras&) = default;
};

// The overlays of the closes, computed once per update of the series instead of on every
// paint, with the extras they were computed for: painting computes any other itself.
struct ChartOverlays {
    std::vector<ChartAverage> Averages;
    std::int32_t RsiWindow = 0;
    std::vector<TVegaDoubleList> LAverages;
    TVegaDoubleList LRsi;
};

// Whether the extras draw from the bars' opens and volumes.
inline bool NeedsOpenAndVolume(const ChartExtras& extras) {
    return extras.Style != BarStyle::Line || extras.Volume;
}

// A price alert as the chart draws it: a dashed line at its level, paler once it fired.
struct AlertMark {
    double Level = 0;
    bool Fired = false;
    friend bool operator==(const AlertMark&, const AlertMark&) = default;
};

// What a chart window keeps for painting: the series (bars oldest first, then 15 future
// positions) and the fields derived from them. LOpen and LVolume serve the extras only.
struct ChartState {
    TVegaDoubleList LClose;
    TVegaDoubleList LOpen;
    TVegaDoubleList LVolume;
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
    ChartExtras Extras;
    ChartOverlays Overlays;
    std::vector<AlertMark> Alerts;  // none: the chart is drawn as without alerts
};

// The status line above the chart, as the last paint that got past the range check left it.
struct ChartStatus {
    std::string Text;
    TColor TextColor = clBlack;
    TColor SquareColor = clWhite;
};

}  // namespace vela
