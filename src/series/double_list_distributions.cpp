#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "geometry/value_mapping.h"
#include "platform/canvas.h"
#include "platform/pseudo_random.h"
#include "series/double_list.h"
#include "series/integer_list.h"
#include "series/series_distributions.h"

namespace vela {

namespace {

// The items a histogram reads: all but the last.
std::span<const double> Counted(std::span<const double> items) {
    return items.empty() ? items : items.first(items.size() - 1);
}

// Adds weight(i) to the bin of every counted item i that `take` accepts and that lies in
// VMin..VMax. NCount + 1 bins; a bin outside them is never written. Returns the number of
// items binned.
template <class Take, class Weight>
std::int64_t FillBins(std::vector<double>& bins, std::span<const double> items, std::int32_t NCount,
                      double VMin, double VMax, Take take, Weight weight) {
    bins.assign(static_cast<std::size_t>(NCount) + 1, 0.0);
    std::int64_t binned = 0;
    const std::span<const double> counted = Counted(items);
    for (std::size_t i = 0; i < counted.size(); ++i) {
        const double v = counted[i];
        if (!take(v) || !(VMin <= v && v <= VMax)) continue;
        const std::int32_t k = ValueToPixel(0, NCount - 1, VMin, VMax, v);
        if (k < 0 || k > NCount) continue;
        bins[static_cast<std::size_t>(k)] += weight(i);
        ++binned;
    }
    return binned;
}

std::vector<double> FixedBins(std::span<const double> items, std::int32_t NCount, double VMin,
                              double VMax, double null) {
    std::vector<double> bins;
    if (NCount < 1) return bins;
    FillBins(
        bins, items, NCount, VMin, VMax, [null](double v) { return v != null; },
        [](std::size_t) { return 1.0; });
    return bins;
}

void Refill(TVegaDoubleList& list, std::span<const double> values) {
    list.Clear();
    list.Reserve(static_cast<std::int32_t>(values.size()));
    for (double v : values) list.Add(v);
}

// (v - lo) * (v - hi) <= 0, the interval test the counting operations share.
bool Inside(double v, double lo, double hi) {
    return (v - lo) * (v - hi) <= 0;
}

}  // namespace

namespace stats {

std::vector<double> CalculateDistibution(std::span<const double> items, std::int32_t NCount,
                                         double VMin, double VMax, double null) {
    std::vector<double> bins = FixedBins(items, NCount, VMin, VMax, null);
    if (!bins.empty()) bins.pop_back();
    return bins;
}

std::vector<double> CalculateDistibutionWithNormalization(std::span<const double> items,
                                                          std::int32_t NCount, double VMin,
                                                          double VMax, std::span<const double> Norm,
                                                          double null) {
    std::vector<double> bins;
    if (NCount < 1) return bins;
    FillBins(
        bins, items, NCount, VMin, VMax, [null](double v) { return v != null; },
        [Norm](std::size_t i) { return i < Norm.size() ? Norm[i] : 0.0; });
    bins.pop_back();
    return bins;
}

std::vector<double> CalculateCommulativeDistibution(std::span<const double> items,
                                                    std::int32_t NCount, double VMin, double VMax,
                                                    double null) {
    std::vector<double> bins = CalculateDistibution(items, NCount, VMin, VMax, null);
    for (std::size_t k = 1; k < bins.size(); ++k) bins[k] += bins[k - 1];
    return bins;
}

std::vector<double> FloatingBinHistogram(std::span<const double> items, std::int32_t NCount,
                                         std::int32_t NSubdiv, double VMin, double VMax,
                                         std::int32_t HistKind, double null) {
    if (NCount < 1 || VMin >= VMax) return {};
    const std::int64_t m = static_cast<std::int64_t>(NSubdiv) * NCount;
    if (m < 1 || m > kMaxFloatingBins) return {};
    std::vector<double> values;
    for (double v : Counted(items))
        if (v != null && VMin <= v && v <= VMax) values.push_back(v);
    const double w = (VMax - VMin) / NCount;
    const double s = ((VMax - VMin) - w) / static_cast<double>(m);
    std::vector<double> h(static_cast<std::size_t>(m), 0.0);
    // A range too wide for a double leaves the bins without bounds, so nothing lies inside.
    if ((HistKind != 0 && HistKind != 1) || !std::isfinite(w) || !std::isfinite(s)) return h;

    // A bin's members form one run of the values in sorted order: a value below the bin that
    // the interval test still takes (its product rounding to 0) lies closer to the bin than
    // any value the test refuses. As the bins move up, values only join the ones below and
    // only leave the ones above, so two cursors that never turn back find every bin's run.
    struct Ranked {
        double Value;
        std::uint32_t Index;  // in `values`
    };
    std::vector<Ranked> ranked(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        ranked[i] = Ranked{values[i], static_cast<std::uint32_t>(i)};
    std::sort(ranked.begin(), ranked.end(),
              [](const Ranked& a, const Ranked& b) { return a.Value < b.Value; });
    const std::size_t n = ranked.size();
    std::size_t first = 0;  // the first value not below the bin
    std::size_t end = 0;    // the first value above the bin
    // Weighted bins add their members in the order of the series, so the sums round as the
    // plain per-bin scan rounds them: the members are kept sorted by position.
    std::vector<std::uint32_t> members;
    std::vector<char> isMember(HistKind == 1 ? values.size() : 0, 0);
    std::vector<std::uint32_t> entering;
    std::vector<std::uint32_t> merged;
    for (std::int64_t j = 0; j < m; ++j) {
        const double lo = VMin + static_cast<double>(j) * s;
        const double hi = lo + w;
        auto below = [&](std::size_t r) {
            const double v = ranked[r].Value;
            return v < lo && !Inside(v, lo, hi);
        };
        auto above = [&](std::size_t r) {
            const double v = ranked[r].Value;
            return v > hi && !Inside(v, lo, hi);
        };
        const std::size_t oldFirst = first;
        const std::size_t oldEnd = end;
        while (first < n && below(first)) ++first;
        if (end < first) end = first;
        while (end < n && !above(end)) ++end;
        if (HistKind == 0) {
            h[static_cast<std::size_t>(j)] = static_cast<double>(end - first);
            continue;
        }
        const std::size_t leaveEnd = std::min(oldEnd, first);
        if (oldFirst < leaveEnd) {
            for (std::size_t r = oldFirst; r < leaveEnd; ++r) isMember[ranked[r].Index] = 0;
            std::erase_if(members, [&](std::uint32_t i) { return isMember[i] == 0; });
        }
        entering.clear();
        for (std::size_t r = std::max(oldEnd, first); r < end; ++r) {
            entering.push_back(ranked[r].Index);
            isMember[ranked[r].Index] = 1;
        }
        if (!entering.empty()) {
            std::sort(entering.begin(), entering.end());
            merged.clear();
            std::merge(members.begin(), members.end(), entering.begin(), entering.end(),
                       std::back_inserter(merged));
            members.swap(merged);
        }
        const double centre = lo + w / 2;
        double sum = 0;
        for (std::uint32_t i : members)
            sum = static_cast<double>(sum +
                                      LinearMap(0.5, 1, w / 2, 0, std::fabs(values[i] - centre)));
        h[static_cast<std::size_t>(j)] = sum;
    }
    return h;
}

double GetRandomDistributed(std::span<const double> items, std::int32_t NCount, double VMin,
                            double VMax) {
    if (NCount < 1) return VMin;
    std::vector<double> bins;
    const std::int64_t total = FillBins(
        bins, items, NCount, VMin, VMax, [](double) { return true; },
        [](std::size_t) { return 1.0; });
    const std::int32_t r = PseudoRandomBelow(static_cast<std::int32_t>(total));
    std::int32_t k = 0;
    double running = bins[0];
    while (running < r && k + 1 < NCount) running += bins[static_cast<std::size_t>(++k)];
    const long double lo = LinearMap(VMin, VMax, 0, NCount, k - 0.5L);
    const long double hi = LinearMap(VMin, VMax, 0, NCount, k + 0.5L);
    double x = static_cast<double>(lo + (hi - lo) * PseudoRandomUnit());
    if (x < VMin) x = VMin;
    if (x > VMax) x = VMax;
    return x;
}

std::int32_t Amount_Points_Inside_Interval(std::span<const double> items, double YMin, double YMax,
                                           double null) {
    std::int32_t n = 0;
    for (double v : items)
        if (v != null && Inside(v, YMin, YMax)) ++n;
    return n;
}

std::vector<std::int32_t> RemovedExtremes(std::span<const double> items, std::uint8_t Per,
                                          std::int32_t MaxOutPoints, double null) {
    std::vector<std::int32_t> removed;
    if (Per >= 100) return removed;
    const std::int64_t share =
        (100 - static_cast<std::int64_t>(Per)) * static_cast<std::int64_t>(items.size());
    const auto target = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(share) / 100));

    // Instead of scanning the series for every pass, the values are sorted once by value and
    // position. The smallest remaining value's first occurrence is then the lowest remaining
    // entry; the largest value's first occurrence is the first remaining entry of the top group
    // of equal values, which the passes use up from its start. A value that no search finds
    // (not a number) never takes part.
    struct Entry {
        double Value;
        std::int32_t Position;
    };
    std::vector<Entry> sorted;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const double v = items[i];
        if (v != null && !std::isnan(v)) sorted.push_back(Entry{v, static_cast<std::int32_t>(i)});
    }
    std::sort(sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) {
        if (a.Value < b.Value) return true;
        if (b.Value < a.Value) return false;
        return a.Position < b.Position;
    });
    std::size_t low = 0;              // the lowest entry no pass has taken from below
    std::size_t end = sorted.size();  // one past the top group
    std::size_t group = end;          // where the top group starts
    std::size_t top = end;            // the top group's first entry not yet taken
    do {
        // Entries before `low` and in group..top are gone; when the lowest entry reaches the
        // top group, everything left is one value and both ends take its first occurrence.
        while (std::max(low, top) >= end && end > low) {
            end = group;
            if (end <= low) break;
            group = end - 1;
            while (group > 0 && sorted[group - 1].Value == sorted[end - 1].Value) --group;
            top = group;
        }
        const std::size_t high = std::max(low, top);
        // Nothing left to remove: the loop would make no more progress.
        if (high >= end) break;
        const std::size_t lowest = low < group ? low : high;
        const bool takeLow = sorted[lowest].Value < kMinSearchStart;
        const bool takeHigh = sorted[high].Value > kMaxSearchStart;
        if (takeLow) removed.push_back(sorted[lowest].Position);
        if (takeHigh) removed.push_back(sorted[high].Position);
        if (takeLow) {
            low = lowest + 1;
            if (lowest >= group) top = std::max(top, lowest + 1);
        }
        if (takeHigh) top = std::max(top, high + 1);
    } while (static_cast<std::int64_t>(removed.size()) < target &&
             static_cast<std::int64_t>(removed.size()) < MaxOutPoints);
    return removed;
}

void GetMinMaxDistributed(std::span<const double> items, std::uint8_t Per,
                          std::int32_t MaxOutPoints, double& XMin, double& XMax, double null) {
    std::vector<bool> gone(items.size(), false);
    for (std::int32_t i : RemovedExtremes(items, Per, MaxOutPoints, null))
        gone[static_cast<std::size_t>(i)] = true;
    double lo = kMinSearchStart;
    double hi = kMaxSearchStart;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const double v = items[i];
        if (v == null || gone[i]) continue;
        if (v < lo) lo = v;
        if (v > hi) hi = v;
    }
    if (Per > 100) {
        const double a = (hi - lo) * (Per - 100) / 100;
        lo -= a;
        hi += a;
    }
    XMin = lo;
    XMax = hi;
}

}  // namespace stats

void TVegaDoubleList::CalculateDistibution(std::int32_t NCount, double VMin, double VMax,
                                           TVegaDoubleList& DistributedValues) const {
    Refill(DistributedValues, stats::CalculateDistibution(FList, NCount, VMin, VMax, kNullValue));
}

void TVegaDoubleList::CalculateDistibutionWithNormalization(
    std::int32_t NCount, double VMin, double VMax, const TVegaDoubleList& Norm,
    TVegaDoubleList& DistributedValues) const {
    Refill(DistributedValues, stats::CalculateDistibutionWithNormalization(
                                  FList, NCount, VMin, VMax, Norm.Items(), kNullValue));
}

void TVegaDoubleList::CalculateCommulativeDistibution(std::int32_t NCount, double VMin, double VMax,
                                                      TVegaDoubleList& DistributedValues) const {
    Refill(DistributedValues,
           stats::CalculateCommulativeDistibution(FList, NCount, VMin, VMax, kNullValue));
}

void TVegaDoubleList::DrawDistibution(Canvas& Canv, const TRect& R, std::int32_t NCount,
                                      double VMin, double VMax, TVegaDoubleList* DistributedValues,
                                      std::int32_t Kind) const {
    if (VMin >= VMax) return;
    // NCount counts and the bin that never receives one.
    const std::vector<double> bins = FixedBins(FList, NCount, VMin, VMax, kNullValue);
    if (DistributedValues != nullptr) Refill(*DistributedValues, bins);
    double max = 0;
    for (std::int32_t k = 0; k < NCount; ++k)
        if (bins[static_cast<std::size_t>(k)] > max) max = bins[static_cast<std::size_t>(k)];
    if (max == 0 || (Kind != 0 && Kind != 1)) return;
    auto x = [&](std::int32_t k) { return ValueToPixel(R.Left, R.Right, 0, NCount - 1, k); };
    auto y = [&](std::int32_t k) {
        return ValueToPixel(R.Bottom, R.Top, 0, max, bins[static_cast<std::size_t>(k)]);
    };
    for (std::int32_t k = 0; k + 1 < NCount; ++k) {
        if (Kind == 0) {
            Canv.MoveTo(x(k), y(k));
            Canv.LineTo(x(k + 1), y(k + 1));
        } else {
            Canv.FillRect(TRect{x(k), y(k + 1), x(k + 1), R.Bottom});
        }
    }
}

void TVegaDoubleList::DrawDistibutionFloatingBins(Canvas* Canv, const TRect& R, std::int32_t NCount,
                                                  std::int32_t NSubdiv, double VMin, double VMax,
                                                  std::int32_t HistKind,
                                                  TVegaDoubleList* DistributedValues) const {
    if (VMin >= VMax) return;
    const std::vector<double> h =
        stats::FloatingBinHistogram(FList, NCount, NSubdiv, VMin, VMax, HistKind, kNullValue);
    if (DistributedValues != nullptr) Refill(*DistributedValues, h);
    double max = 0;
    for (double v : h)
        if (v > max) max = v;
    if (Canv == nullptr || max == 0) return;
    const auto last = static_cast<double>(h.size() - 1);
    auto point = [&](std::size_t j) {
        return TPoint{ValueToPixel(R.Left, R.Right, 0, last, static_cast<long double>(j)),
                      ValueToPixel(R.Bottom, R.Top, 0, max, h[j])};
    };
    for (std::size_t j = 0; j + 1 < h.size(); ++j) {
        const TPoint from = point(j);
        const TPoint to = point(j + 1);
        Canv->MoveTo(from.X, from.Y);
        Canv->LineTo(to.X, to.Y);
    }
}

double TVegaDoubleList::GetRandomDistributed(std::int32_t NCount, double VMin, double VMax) const {
    return stats::GetRandomDistributed(FList, NCount, VMin, VMax);
}

std::int32_t TVegaDoubleList::Amount_Points_Inside_Interval(double YMin, double YMax) const {
    return stats::Amount_Points_Inside_Interval(FList, YMin, YMax, kNullValue);
}

void TVegaDoubleList::GetMinMaxDistributed(std::uint8_t Per, std::int32_t MaxOutPoints,
                                           double& XMin, double& XMax) const {
    stats::GetMinMaxDistributed(FList, Per, MaxOutPoints, XMin, XMax, kNullValue);
}

void TVegaDoubleList::DeleteExtremeValues(std::uint8_t Per, std::int32_t MaxOutPoints) {
    double lo = 0;
    double hi = 0;
    GetMinMaxDistributed(Per, MaxOutPoints, lo, hi);
    TVegaIntegerList outside;
    for (std::size_t i = 0; i < FList.size(); ++i) {
        const double x = FList[i];
        if ((x - lo) * (x - hi) > 0) outside.Add(static_cast<std::int32_t>(i));
    }
    DeleteL(outside);
}

}  // namespace vela
