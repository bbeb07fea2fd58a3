#include "chart/logged_chart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "series/series_indicators.h"

namespace vela {

namespace {

double Logged(double v) {
    return v == kNullValue || !(v > 0) ? v : std::log(v);
}

void LogInPlace(TVegaDoubleList& list) {
    const std::int32_t n = list.Count();
    for (std::int32_t i = 0; i < n; ++i) {
        const double v = list.GetItem(i);
        if (v != kNullValue && v > 0) list.SetItem(i, Logged(v));
    }
}

// `to` becomes `from` (its logarithms with log), redoing the items from `kept` on only.
void Follow(const TVegaDoubleList& from, TVegaDoubleList& to, std::size_t kept, bool log) {
    const std::int32_t n = from.Count();
    const std::int32_t keep = static_cast<std::int32_t>(std::min<std::size_t>(
        {kept, static_cast<std::size_t>(n), static_cast<std::size_t>(to.Count())}));
    if (keep == 0) {
        to = from;
        if (log) LogInPlace(to);
        return;
    }
    while (to.Count() > keep) to.Delete(to.Count() - 1);
    to.Reserve(n);
    const std::span<const double> items = from.Items();
    for (std::int32_t i = keep; i < n; ++i) {
        const double v = items[static_cast<std::size_t>(i)];
        to.Add(log ? Logged(v) : v);
    }
}

// Every field but the series; a field added to the chart must be added here too.
void CopyAllButSeries(const ChartState& from, ChartState& to) {
    static_assert(sizeof(ChartState) == 856, "copy the chart's new field below");
    to.IFirstBarInDay = from.IFirstBarInDay;
    to.ILastPrice = from.ILastPrice;
    to.DayTMin = from.DayTMin;
    to.DayTMax = from.DayTMax;
    to.dT = from.dT;
    to.LastClose = from.LastClose;
    to.LastCloseTime = from.LastCloseTime;
    to.DeltaClose = from.DeltaClose;
    to.Intraday = from.Intraday;
    to.HighLow = from.HighLow;
    to.Extras = from.Extras;
    to.Overlays.Averages = from.Overlays.Averages;
    to.Overlays.RsiWindow = from.Overlays.RsiWindow;
    to.Alerts = from.Alerts;
}

}  // namespace

ChartState LoggedPrices(const ChartState& state) {
    ChartState logged = state;
    for (TVegaDoubleList* list : {&logged.LClose, &logged.LHigh, &logged.LLow, &logged.LOpen})
        LogInPlace(*list);
    for (TVegaDoubleList& average : logged.Overlays.LAverages) LogInPlace(average);
    return logged;
}

const ChartState& LoggedChart::Of(const ChartState& state) {
    // A count that changed while nobody said what stayed: nothing is vouched for.
    std::size_t kept = kept_;
    if (kept == kAll && (logged_.LClose.Count() != state.LClose.Count() ||
                         logged_.LTime.Count() != state.LTime.Count()))
        kept = 0;
    // The overlays keep what their passes kept, as long as they are made for the same.
    const bool sameAverages = logged_.Overlays.Averages == state.Overlays.Averages;
    const bool sameRsi = logged_.Overlays.RsiWindow == state.Overlays.RsiWindow;
    CopyAllButSeries(state, logged_);
    Follow(state.LTime, logged_.LTime, kept, false);
    Follow(state.LVolume, logged_.LVolume, kept, false);
    for (const auto member :
         {&ChartState::LClose, &ChartState::LHigh, &ChartState::LLow, &ChartState::LOpen})
        Follow(state.*member, logged_.*member, kept, true);
    logged_.Overlays.LAverages.resize(state.Overlays.LAverages.size());
    for (std::size_t k = 0; k < state.Overlays.LAverages.size(); ++k) {
        const std::vector<ChartAverage>& made = state.Overlays.Averages;
        const std::size_t averageKept =
            !sameAverages || k >= made.size() ? 0
            : kept >= static_cast<std::size_t>(state.LClose.Count())
                ? kept
                : MovingAverageItemsKept(made[k].Window, made[k].Type, kept);
        Follow(state.Overlays.LAverages[k], logged_.Overlays.LAverages[k], averageKept, true);
    }
    Follow(state.Overlays.LRsi, logged_.Overlays.LRsi, sameRsi ? kept : 0, false);
    kept_ = kAll;
    return logged_;
}

}  // namespace vela
