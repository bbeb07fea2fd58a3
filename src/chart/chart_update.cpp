#include "chart/chart_update.h"

#include <algorithm>

namespace vela {

namespace {
constexpr int kFuturePoints = 15;
}

double BarLengthInCenturies(double minutes) {
    return static_cast<double>(static_cast<long double>(DayInCenturies) * minutes / 1440.0L);
}

bool UpdateChartSeries(std::span<const BarPrices> bars, ChartState& s) {
    s.LClose.Clear();
    s.LHigh.Clear();
    s.LLow.Clear();
    s.LTime.Clear();
    s.LOpen.Clear();
    s.LVolume.Clear();
    if (bars.size() < 2) {
        UpdateChartOverlays(s);
        return false;
    }

    const auto n = static_cast<std::int32_t>(bars.size());
    for (TVegaDoubleList* l : {&s.LClose, &s.LHigh, &s.LLow, &s.LTime})
        l->Reserve(n + kFuturePoints);
    for (const BarPrices& b : bars) {
        s.LClose.Add(b.dClose);
        s.LLow.Add(b.dLow);
        s.LHigh.Add(b.dHigh);
        s.LTime.Add(b.dtTime);
        s.LastClose = b.dClose;
        s.LastCloseTime = b.dtTime;
    }
    // Opens and volumes only for the extras that draw them: the plain chart of a million
    // bars does not pay for two more series.
    if (NeedsOpenAndVolume(s.Extras)) {
        for (TVegaDoubleList* l : {&s.LOpen, &s.LVolume}) l->Reserve(n + kFuturePoints);
        for (const BarPrices& b : bars) {
            s.LOpen.Add(b.dOpen);
            s.LVolume.Add(b.dVolume);
        }
        for (int i = 1; i <= kFuturePoints; ++i) {
            s.LOpen.Add(kNullValue);
            s.LVolume.Add(kNullValue);
        }
    }
    s.DeltaClose = 0;
    if (s.LClose.Count() > 2) s.DeltaClose = s.LClose.GetItem(n - 1) - s.LClose.GetItem(n - 2);
    s.ILastPrice = s.LClose.Count() - 1;
    for (int i = 1; i <= kFuturePoints; ++i) {
        s.LClose.Add(kNullValue);
        s.LLow.Add(kNullValue);
        s.LHigh.Add(kNullValue);
        s.LTime.Add(static_cast<double>(s.LastCloseTime + static_cast<long double>(i) * s.dT));
    }

    s.IFirstBarInDay = 0;
    s.Intraday = s.dT < kIntradayLimit;
    if (s.Intraday) {
        // The first bar after the newest break of more than three bar lengths.
        for (std::int32_t i = n - 1; i >= 1; --i) {
            if (bars[static_cast<std::size_t>(i)].dtTime -
                    bars[static_cast<std::size_t>(i) - 1].dtTime >
                3 * s.dT) {
                s.IFirstBarInDay = i;
                break;
            }
        }
    }
    s.DayTMin = bars[static_cast<std::size_t>(s.IFirstBarInDay)].dtTime;
    s.DayTMax =
        static_cast<double>(bars.back().dtTime + static_cast<long double>(kFuturePoints) * s.dT);
    UpdateChartOverlays(s);
    return true;
}

void UpdateChartOverlays(ChartState& s) {
    ChartOverlays& o = s.Overlays;
    o.Averages = s.Extras.Averages;
    o.RsiWindow = s.Extras.RsiWindow;
    o.LAverages.clear();
    o.LRsi.Clear();
    // An average of a list without values has nothing to start from.
    const auto closes = s.LClose.Items();
    if (std::none_of(closes.begin(), closes.end(), [](double v) { return v != kNullValue; }))
        return;
    for (const ChartAverage& a : o.Averages) {
        o.LAverages.push_back(s.LClose);
        if (a.Window > 0) o.LAverages.back().SetMovingAverages(a.Window, a.Type);
    }
    if (o.RsiWindow > 0) {
        o.LRsi = s.LClose;
        o.LRsi.SetRSI(o.RsiWindow, 0);
    }
}

}  // namespace vela
