#include "chart/chart_update.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace vela {

namespace {
constexpr int kFuturePoints = 15;

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Drops the items from position n on.
void KeepFirst(TVegaDoubleList& list, std::int32_t n) {
    while (list.Count() > n) list.Delete(list.Count() - 1);
}

// The newest bar after a break of more than three bar lengths among bars from..to (the
// break before a bar counts with it), or -1.
std::int32_t NewestBreak(std::span<const BarPrices> bars, std::int32_t from, std::int32_t to,
                         double dT) {
    for (std::int32_t i = to; i >= std::max(from, 1); --i)
        if (bars[static_cast<std::size_t>(i)].dtTime -
                bars[static_cast<std::size_t>(i) - 1].dtTime >
            3 * dT)
            return i;
    return -1;
}
// Brings the overlays up to date from the first changed close on; made: the plain way has
// just made them from these closes, so only the tails are wanted.
void GoOnWithOverlays(ChartState& s, std::size_t unchanged, ChartOverlayTails& tails, bool made);
}  // namespace

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

bool UpdateChartSeriesFrom(std::span<const BarPrices> bars, std::size_t& unchanged, ChartState& s,
                           ChartOverlayTails& tails) {
    const std::size_t held =
        s.LClose.Count() > 0 ? static_cast<std::size_t>(std::max(s.ILastPrice + 1, 0)) : 0;
    const bool withOpen = NeedsOpenAndVolume(s.Extras);
    const std::size_t n = bars.size();
    std::size_t keep = std::min({unchanged, held, n});
    // What the kept items must look like; anything else is built from scratch.
    const auto positions = static_cast<std::int32_t>(held) + kFuturePoints;
    if (keep > 0 &&
        (n < 2 || s.LHigh.Count() != positions || s.LLow.Count() != positions ||
         s.LTime.Count() != positions ||
         (withOpen && (s.LOpen.Count() != positions || s.LVolume.Count() != positions)) ||
         // Rewriting most of the items one by one costs more than building them anew.
         held - keep > n / 2 ||
         !SameBits(s.LTime.GetItem(static_cast<std::int32_t>(keep) - 1), bars[keep - 1].dtTime) ||
         !SameBits(s.LClose.GetItem(static_cast<std::int32_t>(keep) - 1), bars[keep - 1].dClose)))
        keep = 0;
    unchanged = keep;
    if (keep == 0) {
        const bool drawn = UpdateChartSeries(bars, s);
        // The plain way made the overlays as well: only the marks are wanted.
        if (drawn) GoOnWithOverlays(s, 0, tails, true);
        return drawn;
    }

    const auto k = static_cast<std::int32_t>(keep);
    const auto count = static_cast<std::int32_t>(n);
    const std::int32_t oldDayStart = s.IFirstBarInDay;
    for (TVegaDoubleList* l : {&s.LClose, &s.LHigh, &s.LLow, &s.LTime}) {
        KeepFirst(*l, k);
        l->Reserve(count + kFuturePoints);
    }
    if (withOpen) {
        KeepFirst(s.LOpen, k);
        KeepFirst(s.LVolume, k);
    } else {
        s.LOpen.Clear();
        s.LVolume.Clear();
    }
    for (const BarPrices& b : bars.subspan(keep)) {
        s.LClose.Add(b.dClose);
        s.LLow.Add(b.dLow);
        s.LHigh.Add(b.dHigh);
        s.LTime.Add(b.dtTime);
        if (withOpen) {
            s.LOpen.Add(b.dOpen);
            s.LVolume.Add(b.dVolume);
        }
    }
    s.LastClose = bars.back().dClose;
    s.LastCloseTime = bars.back().dtTime;
    s.DeltaClose = 0;
    if (count > 2) s.DeltaClose = s.LClose.GetItem(count - 1) - s.LClose.GetItem(count - 2);
    s.ILastPrice = count - 1;
    for (int i = 1; i <= kFuturePoints; ++i) {
        s.LClose.Add(kNullValue);
        s.LLow.Add(kNullValue);
        s.LHigh.Add(kNullValue);
        s.LTime.Add(static_cast<double>(s.LastCloseTime + static_cast<long double>(i) * s.dT));
        if (withOpen) {
            s.LOpen.Add(kNullValue);
            s.LVolume.Add(kNullValue);
        }
    }

    s.IFirstBarInDay = 0;
    s.Intraday = s.dT < kIntradayLimit;
    if (s.Intraday) {
        // A break among the changed bars, else the one found before when it lies among the
        // kept bars (none newer can be there), else a search of the kept bars.
        std::int32_t day = NewestBreak(bars, k, count - 1, s.dT);
        if (day < 0) day = oldDayStart >= 0 && oldDayStart < k ? oldDayStart : -1;
        if (day < 0) day = NewestBreak(bars, 1, k - 1, s.dT);
        s.IFirstBarInDay = std::max(day, 0);
    }
    s.DayTMin = bars[static_cast<std::size_t>(s.IFirstBarInDay)].dtTime;
    s.DayTMax =
        static_cast<double>(bars.back().dtTime + static_cast<long double>(kFuturePoints) * s.dT);
    UpdateChartOverlaysFrom(s, keep, tails);
    return true;
}

void UpdateChartOverlaysFrom(ChartState& s, std::size_t unchanged, ChartOverlayTails& tails) {
    GoOnWithOverlays(s, unchanged, tails, false);
}

namespace {

void GoOnWithOverlays(ChartState& s, std::size_t unchanged, ChartOverlayTails& tails, bool made) {
    ChartOverlays& o = s.Overlays;
    const std::span<const double> closes = s.LClose.Items();
    const bool same = !made && tails.Set && tails.Averages == s.Extras.Averages &&
                      tails.RsiWindow == s.Extras.RsiWindow && o.Averages == s.Extras.Averages &&
                      o.RsiWindow == s.Extras.RsiWindow &&
                      o.LAverages.size() == s.Extras.Averages.size() &&
                      (o.RsiWindow <= 0 || o.LRsi.Count() > 0);
    if (!same) {
        // Made from the start, as the plain way does (unless it just did), and marked.
        if (!made) UpdateChartOverlays(s);
        tails = ChartOverlayTails{};
        unchanged = 0;
        if (o.LAverages.empty() && o.LRsi.Count() == 0) return;
        tails.Averages = o.Averages;
        tails.RsiWindow = o.RsiWindow;
        tails.AveragePasses.resize(o.Averages.size());
    }
    // Marked this far back, every update that fetches the newest bars again goes on from it.
    constexpr std::size_t kMarkBack = 2 * 128;
    const std::size_t bars = static_cast<std::size_t>(std::max(s.ILastPrice + 1, 0));
    const std::size_t markAt = bars > kMarkBack ? bars - kMarkBack : 0;
    std::vector<double> tail;
    // Replaces the list's items from `from` on by tail.
    const auto put = [&tail](TVegaDoubleList& list, std::size_t from) {
        KeepFirst(list, static_cast<std::int32_t>(from));
        for (const double v : tail) list.Add(v);
    };
    // A pass goes on from its mark when the closes before it stayed, else from the start.
    const auto startOf = [&](const IndicatorPass& mark, const TVegaDoubleList& list) {
        IndicatorPass start;
        if (same && mark.At <= unchanged && mark.At <= static_cast<std::size_t>(list.Count())) {
            start = mark;
        }
        return start;
    };
    if (same || !o.LAverages.empty()) {
        for (std::size_t j = 0; j < o.Averages.size(); ++j) {
            TVegaDoubleList& list = o.LAverages[j];
            const ChartAverage& a = o.Averages[j];
            // A window of 0 or less leaves the closes as they are, as the plain way does.
            const std::int32_t window = std::max(a.Window, 0);
            IndicatorPass& mark = tails.AveragePasses[j];
            const IndicatorPass start = startOf(mark, list);
            if (!same) {
                // The plain way made the list; only the mark is wanted.
                MovingAverageFrom(closes, window, a.Type, start, tail, markAt, mark);
                continue;
            }
            const std::size_t from =
                MovingAverageFrom(closes, window, a.Type, start, tail, markAt, mark);
            put(list, from);
        }
    }
    if (o.RsiWindow > 0) {
        const IndicatorPass start = startOf(tails.RsiPass, o.LRsi);
        const std::size_t from = RsiFrom(closes, o.RsiWindow, start, tail, markAt, tails.RsiPass);
        if (same) put(o.LRsi, from);
    }
    tails.Set = true;
}

}  // namespace

void UpdateChartOverlays(ChartState& s) {
    ChartOverlays& o = s.Overlays;
    o.Averages = s.Extras.Averages;
    o.RsiWindow = s.Extras.RsiWindow;
    o.LAverages.clear();
    o.LRsi.Clear();
    if (o.Averages.empty() && o.RsiWindow <= 0) return;
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
