#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "geometry/value_mapping.h"
#include "platform/pseudo_random.h"
#include "series/angles.h"
#include "series/double_list.h"
#include "series/exchange_order.h"
#include "series/list_error.h"
#include "series/series_statistics.h"
#include "text/words.h"

namespace vela {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::int32_t CountOf(std::span<const double> items) {
    return static_cast<std::int32_t>(items.size());
}

// Reading positions imin..imax one by one would fail at the first one outside the items;
// that position is the one reported.
void CheckPositions(std::int32_t imin, std::int32_t imax, std::span<const double> items) {
    if (imax < imin) return;
    if (imin < 0) throw ListIndexError(imin);
    if (imax >= CountOf(items)) throw ListIndexError(std::max(imin, CountOf(items)));
}

double ItemAt(std::span<const double> items, std::int32_t i) {
    detail::CheckIndex(i, items.size());
    return items[static_cast<std::size_t>(i)];
}

struct SumAndCount {
    double Sum = 0;
    std::int64_t Count = 0;
};

template <class Value>
SumAndCount SumOfValues(std::span<const double> items, double null, Value value) {
    SumAndCount s;
    for (double v : items) {
        if (v == null) continue;
        s.Sum += value(v);
        ++s.Count;
    }
    return s;
}

std::int64_t CountValues(std::span<const double> items, double null) {
    std::int64_t n = 0;
    for (double v : items) n += v != null ? 1 : 0;
    return n;
}

double MeanOr(const SumAndCount& s, double null) {
    return s.Count == 0 ? null : s.Sum / static_cast<double>(s.Count);
}

// The least-squares line over the non-null items at positions from..to (inside the items).
bool FitLine(std::span<const double> items, std::int64_t from, std::int64_t to, double& a,
             double& b, double null) {
    double k = 0;
    double sx = 0;
    double sy = 0;
    double sxx = 0;
    double sxy = 0;
    for (std::int64_t i = from; i <= to; ++i) {
        const double y = items[static_cast<std::size_t>(i)];
        if (y == null) continue;
        const double x = static_cast<double>(i);
        k += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    if (k < 2) return false;
    return SolveLinear2(a, b, sxx, sx, sxy, sx, k, sy);
}

double EntropyOf(std::span<const double> items, double null, bool absolute) {
    auto value = [absolute](double v) { return absolute ? std::fabs(v) : v; };
    // The data's own extremes: fixed starting bounds would cut off values beyond them.
    double lo = kInfinity;
    double hi = -kInfinity;
    for (double v : items) {
        if (v == null) continue;
        const double x = value(v);
        if (x < lo) lo = x;
        if (x > hi) hi = x;
    }
    if (hi <= lo) return null;
    auto normalised = [&](double v) { return LinearMap(0, 1, lo, hi, value(v)); };
    double total = 0;
    for (double v : items)
        if (v != null) total = static_cast<double>(total + normalised(v));
    if (total == 0) return null;
    double sum = 0;
    for (double v : items) {
        if (v == null) continue;
        const long double p = normalised(v) / total;
        if (p == 0) continue;
        const long double term = p * std::log(p);
        if (!std::isfinite(term)) continue;
        sum = static_cast<double>(sum + term);
    }
    return sum;
}

std::int32_t RunsOf(std::span<const double> items, double null, bool zeroEndsARun) {
    std::int32_t runs = 0;
    bool inRun = false;
    for (double v : items) {
        const bool member = v != null && !(zeroEndsARun && v == 0);
        if (member && !inRun) ++runs;
        inRun = member;
    }
    return runs;
}

// Calls f(i, s) for each non-null item i with s the running sum of the values up to it. As on
// a working copy of running sums, a sum that lands on the null value reads as a gap.
template <class F>
void ForEachRunningSum(std::span<const double> items, double null, double shift, F f) {
    double sum = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == null) continue;
        const double v = items[i] - shift;
        if (v == null) continue;
        sum += v;
        if (sum != null) f(i, sum);
    }
}

const char* SqnRating(double q) {
    if (q < 1.6) return "no profit";
    if (q < 2) return "poor but tradable";
    if (q < 2.5) return "average";
    if (q < 3) return "good";
    if (q < 5) return "excellent";
    if (q < 7) return "superb";
    return "Holly Grail";
}

const char* SqnRatingRange(double q) {
    if (q < 1.6) return "";
    if (q < 2) return " 1.6..2";
    if (q < 2.5) return " 2..2.5";
    if (q < 3) return " 2.5..3";
    if (q < 5) return " 3..5";
    if (q < 7) return " 5..7";
    return " >7";
}

}  // namespace

bool SolveLinear2(double& x1, double& x2, double A11, double A12, double B1, double A21, double A22,
                  double B2) {
    const double d = A11 * A22 - A21 * A12;
    if (d == 0 || !std::isfinite(d)) return false;
    const double r1 = (B1 * A22 - B2 * A12) / d;
    const double r2 = (A11 * B2 - A21 * B1) / d;
    if (!std::isfinite(r1) || !std::isfinite(r2)) return false;
    x1 = r1;
    x2 = r2;
    return true;
}

namespace stats {

double AvValue(std::span<const double> items, double null) {
    return MeanOr(SumOfValues(items, null, [](double v) { return v; }), null);
}

double AvAbsValue(std::span<const double> items, double null) {
    return MeanOr(SumOfValues(items, null, [](double v) { return std::fabs(v); }), null);
}

double AvValue1(std::span<const double> items, std::int32_t imin, std::int32_t imax, double null) {
    if (imax < imin || imax == 0) return null;
    CheckPositions(imin, imax, items);
    const auto from = static_cast<std::size_t>(imin);
    const auto count = static_cast<std::size_t>(static_cast<std::int64_t>(imax) - imin + 1);
    return AvValue(items.subspan(from, count), null);
}

double AvValue_WithoutAbsExtreme(std::span<const double> items, std::uint8_t PercentExtreme,
                                 double null) {
    if (items.size() <= 1) return null;
    std::vector<double> magnitudes;
    for (double v : items)
        if (v != null) magnitudes.push_back(std::fabs(v));
    // All null: there is nothing to average (rather than reading an empty sorted list).
    if (magnitudes.empty()) return null;
    const auto m = static_cast<std::int64_t>(magnitudes.size());
    const std::int64_t share = (100 - static_cast<std::int64_t>(PercentExtreme)) * (m - 1);
    const auto k = static_cast<std::int64_t>(std::trunc(static_cast<double>(share) / 100));
    if (k < 0) return null;
    detail::SortLikeExchange(magnitudes.begin(), magnitudes.end(), true,
                             [](double v) { return v; });
    double sum = 0;
    for (std::int64_t i = 0; i <= k; ++i) sum += magnitudes[static_cast<std::size_t>(i)];
    return sum / static_cast<double>(k + 1);
}

double Dispersion(std::span<const double> items, std::uint8_t StatKind, double null) {
    const SumAndCount s = SumOfValues(items, null, [](double v) { return v; });
    const double m = MeanOr(s, null);
    if (m == null || s.Count <= 1 || StatKind > 1) return 0;
    // Arithmetic faults give 0: a mean or a sum of squares that is no longer finite.
    if (!std::isfinite(m)) return 0;
    double squares = 0;
    for (double v : items)
        if (v != null) squares += (v - m) * (v - m);
    if (!std::isfinite(squares)) return 0;
    const auto n = static_cast<double>(StatKind == 0 ? s.Count : s.Count - 1);
    return std::sqrt(squares / n);
}

void GetSkewKurtosis(std::span<const double> items, long double& Skew, long double& Kert,
                     std::uint8_t StatKind, double null) {
    Skew = 0;
    Kert = 0;
    std::int64_t m = 0;
    double lo = kInfinity;
    double hi = -kInfinity;
    for (double v : items) {
        if (v == null) continue;
        ++m;
        if (v < lo) lo = v;
        if (v > hi) hi = v;
    }
    if (m <= 2 || !(hi > lo)) return;
    const double mean = AvValue(items, null);
    const long double s = Dispersion(items, StatKind, null);
    long double t3 = 0;
    long double t4 = 0;
    for (double v : items) {
        if (v == null) continue;
        const long double d = static_cast<long double>(v) - mean;
        t3 += d * d * d;
        t4 += d * d * d * d;
    }
    if (s == 0) return;
    const auto n = static_cast<long double>(m);
    Skew = t3 / ((n - 1) * (s * s * s));
    Kert = t4 / ((n - 1 - StatKind) * (s * s * s * s)) - 3;
}

double Changebility(std::span<const double> items, double null) {
    const std::int32_t n = CountOf(items);
    const std::int64_t draws = 5 * static_cast<std::int64_t>(n);
    double sum = 0;
    std::int64_t counted = 0;
    for (std::int64_t d = 0; d < draws; ++d) {
        const double a = items[static_cast<std::size_t>(PseudoRandomBelow(n))];
        const double b = items[static_cast<std::size_t>(PseudoRandomBelow(n))];
        if (a == null || b == null) continue;
        sum += std::fabs(a - b);
        ++counted;
    }
    if (counted == 0 || !std::isfinite(sum)) return 0;
    return sum / static_cast<double>(counted);
}

double Entropy(std::span<const double> items, double null) {
    return EntropyOf(items, null, false);
}

double EntropyExt(std::span<const double> items, std::uint8_t Kind, double null) {
    if (Kind == 0) return EntropyOf(items, null, false);
    if (Kind == 1) return EntropyOf(items, null, true);
    return 0;
}

std::int32_t UndependenIntervalsCount(std::span<const double> items, double null) {
    return RunsOf(items, null, false);
}

std::int32_t UndependenIntervalsCount1(std::span<const double> items, double null) {
    return RunsOf(items, null, true);
}

bool LinearInterpolate(std::span<const double> items, double& a, double& b, double null) {
    return FitLine(items, 0, static_cast<std::int64_t>(items.size()) - 1, a, b, null);
}

bool LinearInterpolate1(std::span<const double> items, double& a, double& b, std::int32_t imin,
                        std::int32_t imax, double null) {
    if (imax < imin) return false;
    CheckPositions(imin, imax, items);
    return FitLine(items, imin, imax, a, b, null);
}

double ForHurst_RS(std::span<const double> items, double null) {
    const double m = AvValue(items, null);
    const double s = Dispersion(items, 0, null);
    double lo = kMinSearchStart;
    double hi = kMaxSearchStart;
    ForEachRunningSum(items, null, m != null ? m : 0, [&](std::size_t, double sum) {
        if (sum < lo) lo = sum;
        if (sum > hi) hi = sum;
    });
    if (hi > lo && s != 0 && s != null) return (hi - lo) / s;
    return null;
}

double ForHurst_DFA(std::span<const double> items, double null) {
    double k = 0;
    double sx = 0;
    double sy = 0;
    double sxx = 0;
    double sxy = 0;
    ForEachRunningSum(items, null, 0, [&](std::size_t i, double y) {
        const auto x = static_cast<double>(i);
        k += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    });
    double a = 0;
    double b = 0;
    if (k < 2 || !SolveLinear2(a, b, sxx, sx, sxy, sx, k, sy)) return null;
    double squares = 0;
    ForEachRunningSum(items, null, 0, [&](std::size_t i, double y) {
        const double r = y - a * static_cast<double>(i) - b;
        squares += r * r;
    });
    return std::sqrt(squares / static_cast<double>(CountValues(items, null)));
}

double ForHurst_Path(std::span<const double> items, double null) {
    if (Dispersion(items, 0, null) == 0) return null;
    double length = 0;
    bool started = false;
    double previous = 0;
    for (double v : items) {
        if (v == null) continue;
        if (started) length += std::fabs(v - previous);
        previous = v;
        started = true;
    }
    return length;
}

double PlusMinusStat(std::span<const double> items, std::int32_t& iplus, std::int32_t& iminus,
                     double null) {
    std::int32_t plus = 0;
    std::int32_t minus = 0;
    for (double v : items) {
        if (v == null) continue;
        if (v > 0)
            ++plus;
        else if (v < 0)
            ++minus;
    }
    iplus = plus;
    iminus = minus;
    const std::int64_t both = static_cast<std::int64_t>(plus) + minus;
    if (both == 0) return null;
    // 64 bits: a 32-bit 100 * iplus would wrap beyond 21 million positive values.
    return static_cast<double>(100 * static_cast<std::int64_t>(plus)) / static_cast<double>(both);
}

double SQN(std::span<const double> items, double null) {
    if (items.size() < 5) return null;
    const double m = AvValue(items, null);
    const double s = Dispersion(items, 0, null);
    if (m == null || s == 0) return null;
    return m * std::sqrt(static_cast<double>(items.size())) / s;
}

std::string SQN_Info_Str(std::span<const double> items, std::int32_t Kind, double null) {
    const double q = SQN(items, null);
    if (q == null) return "***";
    char buf[400];  // the widest double in fixed notation with three decimals fits
    const auto written = std::to_chars(buf, buf + sizeof buf, q, std::chars_format::fixed, 3);
    const std::string number =
        TrimBlanks(std::string_view(buf, static_cast<std::size_t>(written.ptr - buf)));
    if (Kind < 1 || Kind > 3) return number;
    std::string text = "SQN=" + number;
    if (Kind == 1) return text;
    text += " (";
    text += SqnRating(q);
    if (Kind == 3) text += SqnRatingRange(q);
    text += ")";
    return text;
}

void DrawDown(std::span<const double> items, double& AbsValue, double& PercentageValue) {
    AbsValue = 0;
    PercentageValue = 0;
    std::vector<double> w;
    for (double v : items)
        if (w.empty() || v != w.back()) w.push_back(v);
    const std::size_t n = w.size();
    if (n < 2) return;
    // For a given peak both the fall and its percentage only grow as the later value drops
    // (each rounded step is monotone), so the lowest later value decides; walking backwards
    // keeps it at hand.
    double lowest = kInfinity;
    if (w[n - 1] < lowest) lowest = w[n - 1];
    for (std::size_t i = n - 1; i-- > 0;) {
        const double p = w[i];
        const bool peak = i == 0 || i + 2 == n || (w[i - 1] < p && w[i + 1] < p);
        if (p != 0 && peak && lowest < p) {
            if (p - lowest > AbsValue) AbsValue = p - lowest;
            const double percent = (lowest - p) * 100 / p;
            if (std::isfinite(percent)) {
                if (std::fabs(percent) > PercentageValue) PercentageValue = std::fabs(percent);
            } else if (std::isfinite(p)) {
                // The deepest fall overflows its percentage: the others may still count (an
                // infinite peak has no finite percentage at all).
                for (std::size_t j = i + 1; j < n; ++j) {
                    const double other = (w[j] - p) * 100 / p;
                    if (w[j] < p && std::isfinite(other) && std::fabs(other) > PercentageValue)
                        PercentageValue = std::fabs(other);
                }
            }
        }
        if (p < lowest) lowest = p;
    }
}

double MedianValue(std::span<const double> items, std::int32_t imin, std::int32_t imax,
                   double null) {
    if (imax < imin) return null;
    CheckPositions(imin, imax, items);
    std::vector<double> values;
    for (std::int64_t i = imin; i <= imax; ++i) {
        const double v = items[static_cast<std::size_t>(i)];
        if (v != null) values.push_back(v);
    }
    if (values.empty()) return null;
    detail::SortLikeExchange(values.begin(), values.end(), true, [](double v) { return v; });
    return values[(values.size() - 1) / 2];
}

double AutoCovariation(std::span<const double> items, std::int32_t Lag, bool NormalizeOnAverage,
                       double null) {
    const double c = NormalizeOnAverage ? AvValue(items, null) : 0;
    const std::int64_t pairs = static_cast<std::int64_t>(items.size()) - Lag;
    if (pairs <= 0) return 0;
    // The first pair already reaches before the first item.
    if (Lag < 0) throw ListIndexError(Lag);
    double sum = 0;
    std::int64_t counted = 0;
    for (std::int64_t i = 0; i < pairs; ++i) {
        const double a = items[static_cast<std::size_t>(i)];
        const double b = items[static_cast<std::size_t>(i + Lag)];
        if (a == null || b == null) continue;
        sum += (a - c) * (b - c);
        ++counted;
    }
    return counted == 0 ? 0 : sum / static_cast<double>(counted);
}

double Path_360(std::span<const double> items, double null) {
    if (items.size() < 2) return 0;
    std::size_t start = 0;
    while (start + 1 < items.size() && items[start] == null) ++start;
    if (start + 1 == items.size()) return 0;
    double previous = items[start];
    double path = 0;
    for (std::size_t j = start + 1; j < items.size(); ++j) {
        if (items[j] == null) continue;
        path += Difference_360(previous, items[j]);
        previous = items[j];
    }
    return path;
}

std::int32_t Quantum(std::span<const double> items, std::int32_t i_curr, double delta,
                     std::int32_t& i_reach, double null) {
    const double c = ItemAt(items, i_curr);
    if (c == null) return 0;
    for (std::int32_t j = i_curr + 1; j < CountOf(items); ++j) {
        const double v = items[static_cast<std::size_t>(j)];
        if (v == null) continue;
        if (v >= c + delta) {
            i_reach = j;
            return 1;
        }
        if (v <= c - delta) {
            i_reach = j;
            return -1;
        }
    }
    return 0;
}

}  // namespace stats

double TVegaDoubleList::AvValue() const {
    return stats::AvValue(FList, kNullValue);
}

double TVegaDoubleList::AvAbsValue() const {
    return stats::AvAbsValue(FList, kNullValue);
}

double TVegaDoubleList::AvValue1(std::int32_t imin, std::int32_t imax) const {
    return stats::AvValue1(FList, imin, imax, kNullValue);
}

double TVegaDoubleList::AvValue_WithoutAbsExtreme(std::uint8_t PercentExtreme) const {
    return stats::AvValue_WithoutAbsExtreme(FList, PercentExtreme, kNullValue);
}

double TVegaDoubleList::Dispersion(std::uint8_t StatKind) const {
    return stats::Dispersion(FList, StatKind, kNullValue);
}

void TVegaDoubleList::GetSkewKurtosis(long double& Skew, long double& Kert,
                                      std::uint8_t StatKind) const {
    stats::GetSkewKurtosis(FList, Skew, Kert, StatKind, kNullValue);
}

double TVegaDoubleList::Changebility() const {
    return stats::Changebility(FList, kNullValue);
}

double TVegaDoubleList::Entropy() const {
    return stats::Entropy(FList, kNullValue);
}

double TVegaDoubleList::EntropyExt(std::uint8_t Kind) const {
    return stats::EntropyExt(FList, Kind, kNullValue);
}

std::int32_t TVegaDoubleList::UndependenIntervalsCount() const {
    return stats::UndependenIntervalsCount(FList, kNullValue);
}

std::int32_t TVegaDoubleList::UndependenIntervalsCount1() const {
    return stats::UndependenIntervalsCount1(FList, kNullValue);
}

bool TVegaDoubleList::LinearInterpolate(double& a, double& b) const {
    return stats::LinearInterpolate(FList, a, b, kNullValue);
}

bool TVegaDoubleList::LinearInterpolate1(double& a, double& b, std::int32_t imin,
                                         std::int32_t imax) const {
    return stats::LinearInterpolate1(FList, a, b, imin, imax, kNullValue);
}

double TVegaDoubleList::ForHurst_RS() const {
    return stats::ForHurst_RS(FList, kNullValue);
}

double TVegaDoubleList::ForHurst_DFA() const {
    return stats::ForHurst_DFA(FList, kNullValue);
}

double TVegaDoubleList::ForHurst_Path() const {
    return stats::ForHurst_Path(FList, kNullValue);
}

double TVegaDoubleList::PlusMinusStat(std::int32_t& iplus, std::int32_t& iminus) const {
    return stats::PlusMinusStat(FList, iplus, iminus, kNullValue);
}

double TVegaDoubleList::SQN() const {
    return stats::SQN(FList, kNullValue);
}

std::string TVegaDoubleList::SQN_Info_Str(std::int32_t Kind) const {
    return stats::SQN_Info_Str(FList, Kind, kNullValue);
}

void TVegaDoubleList::DrawDown(double& AbsValue, double& PercentageValue) const {
    stats::DrawDown(FList, AbsValue, PercentageValue);
}

double TVegaDoubleList::MedianValue(std::int32_t imin, std::int32_t imax) const {
    return stats::MedianValue(FList, imin, imax, kNullValue);
}

double TVegaDoubleList::AutoCovariation(std::int32_t Lag, bool NormalizeOnAverage) const {
    return stats::AutoCovariation(FList, Lag, NormalizeOnAverage, kNullValue);
}

double TVegaDoubleList::Path_360() const {
    return stats::Path_360(FList, kNullValue);
}

void TVegaDoubleList::Set_Path_360(std::uint8_t /*Kind*/) {
    const std::size_t n = FList.size();
    if (n < 2) return;
    std::size_t start = 0;
    while (start + 1 < n && FList[start] == kNullValue) ++start;
    if (start + 1 == n) return;
    const double first = FList[start];
    double path = first;
    double previous = first;
    for (std::size_t j = start + 1; j < n; ++j) {
        const double x = FList[j];
        if (x == kNullValue) continue;
        path += Difference_360(previous, x);
        // Pulls the path back onto the angle when rounding has let it drift.
        path += Difference_360(path, x);
        previous = x;
        FList[j] = path;
    }
    if (start != 0) return;
    for (double& v : FList)
        if (v != kNullValue) v -= first;
}

std::int32_t TVegaDoubleList::Quantum(std::int32_t i_curr, double delta,
                                      std::int32_t& i_reach) const {
    return stats::Quantum(FList, i_curr, delta, i_reach, kNullValue);
}

}  // namespace vela
