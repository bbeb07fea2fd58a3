#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "series/double_list.h"
#include "series/integer_list.h"
#include "series/list_error.h"
#include "series/series_statistics.h"

namespace vela {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::size_t At(std::int32_t i) {
    return static_cast<std::size_t>(i);
}

// The first position from a given one on whose value lies beyond a threshold (below it for a
// tree of minima, above it for a tree of maxima), found by descending a tree of block
// extremes instead of walking the positions one by one.
class FirstBeyond {
  public:
    FirstBeyond(const std::vector<double>& values, bool minima)
        : count_(values.size()), minima_(minima) {
        while (leaves_ < count_) leaves_ *= 2;
        const double none = minima ? kInfinity : -kInfinity;
        tree_.assign(2 * leaves_, none);
        std::copy(values.begin(), values.end(),
                  tree_.begin() + static_cast<std::ptrdiff_t>(leaves_));
        for (std::size_t k = leaves_ - 1; k > 0; --k)
            tree_[k] = minima ? std::min(tree_[2 * k], tree_[2 * k + 1])
                              : std::max(tree_[2 * k], tree_[2 * k + 1]);
    }

    // The item count when there is none.
    std::size_t Find(std::size_t from, double threshold) const {
        const std::size_t found = Find(1, 0, leaves_, from, threshold);
        return std::min(found, count_);
    }

  private:
    bool Beyond(double v, double threshold) const {
        return minima_ ? v < threshold : v > threshold;
    }
    std::size_t Find(std::size_t node, std::size_t lo, std::size_t hi, std::size_t from,
                     double threshold) const {
        if (hi <= from || !Beyond(tree_[node], threshold)) return count_;
        if (hi - lo == 1) return lo;
        const std::size_t mid = lo + (hi - lo) / 2;
        const std::size_t left = Find(2 * node, lo, mid, from, threshold);
        return left < count_ ? left : Find(2 * node + 1, mid, hi, from, threshold);
    }

    std::size_t count_;
    bool minima_;
    std::size_t leaves_ = 1;
    std::vector<double> tree_;
};

// Turning points. Nulls are indexed once, so that each neighbour lookup costs one step, and
// the forward scan of a test is answered by three searches instead of a walk: where the first
// value beyond y[i] lies, where the first confirming turn lies, and where neighbours start to
// run out (near the last value); the test holds when the turn comes strictly first. A scan
// from i only meets positions whose previous neighbour lies at or after i's own, so the turns
// can be found once, before any value is forgotten.
class WavePoints {
  public:
    WavePoints(std::span<const double> y, double delta)
        : y_(y), delta_(delta), last_(y.size()), first_(y.size()) {
        const auto n = static_cast<std::int32_t>(y.size());
        std::int32_t last = -1;
        for (std::int32_t i = 0; i < n; ++i) {
            if (y[At(i)] != kNullValue) last = i;
            last_[At(i)] = last;
        }
        std::int32_t first = -1;
        for (std::int32_t i = n - 1; i >= 0; --i) {
            if (y[At(i)] != kNullValue) first = i;
            first_[At(i)] = first;
        }
        last_value_ = n > 0 ? last_[At(n - 1)] : -1;
        std::vector<double> maxima(y.size(), -kInfinity);
        std::vector<double> minima(y.size(), kInfinity);
        for (std::int32_t j = 0; j < n; ++j) {
            const double yj = Y(j);
            if (yj == kNullValue) continue;
            const std::int32_t pj = Prev(j);
            const std::int32_t nj = Next(j);
            if (pj < 0 || nj < 0) continue;
            if (Y(pj) < yj && Y(nj) <= yj) maxima[At(j)] = yj;
            if (Y(pj) > yj && Y(nj) >= yj) minima[At(j)] = yj;
        }
        maxima_.emplace(maxima, false);
        minima_.emplace(minima, true);
        // A null is never beyond anything.
        auto values_with_nulls_as = [&](double none) {
            std::vector<double> values(y.begin(), y.end());
            for (double& v : values)
                if (v == kNullValue) v = none;
            return values;
        };
        lower_.emplace(values_with_nulls_as(kInfinity), true);
        higher_.emplace(values_with_nulls_as(-kInfinity), false);
    }

    // Everything before the first turning point counts as null from then on.
    void ForgetBefore(std::int32_t i) { floor_ = i; }

    bool Trough(std::int32_t i) const { return Holds(i, -1); }
    bool Peak(std::int32_t i) const { return Holds(i, 1); }

  private:
    // The last non-null position <= i - 2, or -1.
    std::int32_t Prev(std::int32_t i) const {
        if (i - 2 < 0) return -1;
        const std::int32_t p = last_[At(i - 2)];
        return p >= floor_ ? p : -1;
    }
    // The first non-null position >= i + 2, or -1.
    std::int32_t Next(std::int32_t i) const { return i + 2 < Size() ? first_[At(i + 2)] : -1; }
    std::int32_t Size() const { return static_cast<std::int32_t>(y_.size()); }
    double Y(std::int32_t i) const { return y_[At(i)]; }

    // side -1: y[i] is a local minimum confirmed by a later local maximum above y[i] + Delta
    // before any lower value; side 1: the mirror, confirmed by a local minimum below
    // y[i] + Delta (the threshold is y[i] + Delta on both sides). A later position without
    // both neighbours ends the scan as a failure.
    bool Holds(std::int32_t i, int side) const {
        const double yi = Y(i);
        if (yi == kNullValue) return false;
        const std::int32_t pi = Prev(i);
        const std::int32_t ni = Next(i);
        if (pi < 0 || ni < 0) return false;
        if (side < 0 ? !(yi < Y(pi) && yi <= Y(ni)) : !(yi > Y(pi) && yi >= Y(ni))) return false;
        const std::size_t from = At(i) + 1;
        const std::size_t beyond = side < 0 ? lower_->Find(from, yi) : higher_->Find(from, yi);
        const std::size_t turn =
            side < 0 ? maxima_->Find(from, yi + delta_) : minima_->Find(from, yi + delta_);
        // Next(j) is missing from the last value's position - 1 on.
        const std::int32_t edge = std::max(i + 1, last_value_ - 1);
        const std::size_t end =
            edge < Size() && first_[At(edge)] >= 0 ? At(first_[At(edge)]) : y_.size();
        return turn < std::min(beyond, end);
    }

    std::span<const double> y_;
    double delta_;
    std::vector<std::int32_t> last_;
    std::vector<std::int32_t> first_;
    std::int32_t floor_ = 0;
    std::int32_t last_value_ = -1;
    std::optional<FirstBeyond> lower_;
    std::optional<FirstBeyond> higher_;
    std::optional<FirstBeyond> maxima_;
    std::optional<FirstBeyond> minima_;
};

// The forward half of the buy test (side -1) and of the sell test (side 1): from it + 1 on,
// the first non-null value that passes a by Swing in the trade's direction comes before any
// value beyond a against it. Returns where the scan stopped (the item count when it ran out).
std::size_t SwingScanEnd(std::span<const double> items, std::int32_t it, double a, double swing,
                         int side, bool& reached) {
    reached = false;
    for (std::size_t j = At(it) + 1; j < items.size(); ++j) {
        const double v = items[j];
        if (v == kNullValue) continue;
        if (side < 0 ? v < a : v > a) return j;
        if (side < 0 ? v >= a + swing : v <= a - swing) {
            reached = true;
            return j;
        }
    }
    return items.size();
}

bool ReachesSwing(std::span<const double> items, std::int32_t it, double a, double swing,
                  int side) {
    bool reached = false;
    SwingScanEnd(items, it, a, swing, side, reached);
    return reached;
}

// The forward scans of one signal search. Candidates of one value inside a flat stretch share
// a scan: what the scan from the first passed over neither broke nor confirmed that value, so
// a later candidate before the scan's stop ends the same way. A flat series stays linear.
class SwingScans {
  public:
    SwingScans(std::span<const double> items, double swing) : items_(items), swing_(swing) {}

    bool Reaches(std::int32_t it, double a, int side) {
        if (side != side_ || a != value_ || At(it) < start_ || At(it) >= stop_) {
            side_ = side;
            value_ = a;
            start_ = At(it);
            stop_ = SwingScanEnd(items_, it, a, swing_, side, reached_);
        }
        return reached_;
    }

  private:
    std::span<const double> items_;
    double swing_;
    int side_ = 0;
    double value_ = 0;
    std::size_t start_ = 0;
    std::size_t stop_ = 0;
    bool reached_ = false;
};

// Whether item it is a non-null extreme of prev..it - 1 (ties allowed) that reaches Swing.
bool TurningPoint(const TVegaDoubleList& list, std::int32_t prev, std::int32_t it, double swing,
                  int side) {
    const double a = list.GetItem(it);
    if (a == kNullValue) return false;
    for (std::int32_t j = prev; j < it; ++j) {
        const double v = list.GetItem(j);
        if (v != kNullValue && (side < 0 ? v < a : v > a)) return false;
    }
    return ReachesSwing(list.Items(), it, a, swing, side);
}

}  // namespace

void TVegaDoubleList::GetFilteredWavePoints(double Delta, std::int32_t /*MinL*/,
                                            std::int32_t /*SmoothFactor*/,
                                            TVegaIntegerList& FilteredWaveTurnigPoints) const {
    if (FList.empty()) throw ListIndexError(0);
    WavePoints w(FList, Delta);
    FilteredWaveTurnigPoints = TVegaIntegerList::Create10(Count(), 0);
    int state = 0;
    bool marked = false;
    for (std::int32_t i = 0; i < Count(); ++i) {
        if (state != -1 && w.Trough(i)) {
            FilteredWaveTurnigPoints.SetItem(i, -1);
            state = -1;
            if (!marked) w.ForgetBefore(i);
            marked = true;
        }
        if (state != 1 && w.Peak(i)) {
            FilteredWaveTurnigPoints.SetItem(i, 1);
            state = 1;
            if (!marked) w.ForgetBefore(i);
            marked = true;
        }
    }
}

bool TVegaDoubleList::This_Buy_Point(std::int32_t prev_sell, std::int32_t it, double Swing) const {
    return TurningPoint(*this, prev_sell, it, Swing, -1);
}

bool TVegaDoubleList::This_Sell_Point(std::int32_t prev_buy, std::int32_t it, double Swing) const {
    return TurningPoint(*this, prev_buy, it, Swing, 1);
}

std::int32_t TVegaDoubleList::Find_Enter_Point(std::int32_t from_it, double Swing) const {
    // The running minimum since from_it stands for the backward half of each buy test.
    double lowest = kMinSearchStart;
    SwingScans scans(FList, Swing);
    for (std::int32_t i = from_it; i < Count(); ++i) {
        const double a = GetItem(i);
        if (a == kNullValue) continue;
        if (!(lowest < a) && scans.Reaches(i, a, -1)) return i;
        if (a < lowest) lowest = a;
    }
    return -1;
}

void TVegaDoubleList::Find_Buy_Sell_Signals(std::int32_t imin, std::int32_t imax, double Swing,
                                            TVegaIntegerList& LL1) const {
    LL1 = TVegaIntegerList::Create10(Count(), 0);
    std::int32_t b = Find_Enter_Point(imin, Swing);
    if (b == -1 || b > imax) return;
    LL1.SetItem(b, -1);
    int expected = 1;
    // The extreme of the non-null items b..it - 1 against the expected trade: the highest
    // while a sell is expected, the lowest while a buy is, so each test's backward half is one
    // comparison instead of a walk back to b.
    double extreme = kNullValue;
    SwingScans scans(FList, Swing);
    for (std::int32_t it = b; it <= imax; ++it) {
        if (it > b) {
            const double a = GetItem(it);
            if (a != kNullValue &&
                (extreme == kNullValue || !(expected > 0 ? extreme > a : extreme < a)) &&
                scans.Reaches(it, a, expected)) {
                LL1.SetItem(it, expected);
                b = it;
                expected = -expected;
                extreme = a;
                continue;
            }
        }
        const double v = GetItem(it);
        if (v != kNullValue &&
            (extreme == kNullValue || (expected > 0 ? v > extreme : v < extreme)))
            extreme = v;
    }
}

void TVegaDoubleList::DoSmartInversion(std::int32_t VirifySize, std::int32_t MinError) {
    // The history holds the last VirifySize entry values, newest first, as AddAsStack keeps
    // it; only its count of losses matters.
    std::deque<double> history;
    std::int32_t losses = 0;
    double sign = 1;
    for (double& item : FList) {
        const double entry = item;
        history.push_front(entry);
        if (entry < 0) ++losses;
        if (static_cast<std::int32_t>(history.size()) > VirifySize) {
            if (history.back() < 0) --losses;
            history.pop_back();
        }
        item *= sign;
        if (static_cast<std::int32_t>(history.size()) == VirifySize)
            sign = losses >= MinError ? -1 : 1;
    }
}

double TVegaDoubleList::OptimizeSmartInvesionParameters(std::int32_t MaxVerifySize,
                                                        std::int32_t& VirifySize,
                                                        std::int32_t& MinError) const {
    std::int32_t best = -1;
    for (std::int32_t v = 1; v <= MaxVerifySize; ++v) {
        for (std::int32_t e = 1; e <= v; ++e) {
            TVegaDoubleList trial;
            trial.FList = FList;
            trial.DoSmartInversion(v, e);
            std::int32_t plus = 0;
            std::int32_t minus = 0;
            trial.PlusMinusStat(plus, minus);
            if (plus > best) {
                best = plus;
                VirifySize = v;
                MinError = e;
            }
        }
    }
    return best;
}

}  // namespace vela
