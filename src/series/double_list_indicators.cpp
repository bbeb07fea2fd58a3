#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "series/double_list.h"
#include "series/list_error.h"
#include "series/series_indicators.h"
#include "series/series_statistics.h"

namespace vela {

namespace {

constexpr double kPivotEpsilon = 1e-12;

// alpha = 2 / (W + 1) is a division by zero at W = -1.
double AlphaOf(std::int32_t window) {
    if (window == -1) throw ListDivisionByZeroError();
    return 2.0 / (static_cast<double>(window) + 1.0);
}

std::size_t At(std::int32_t i) {
    return static_cast<std::size_t>(i);
}

// The exponential pass of types 1 and 3, forwards over the entry values c into out.
void ForwardExponential(const std::vector<double>& c, std::vector<double>& out, double alpha) {
    for (std::size_t i = 1; i < c.size(); ++i) {
        if (c[i] == kNullValue) continue;
        out[i] = c[i - 1] != kNullValue ? out[i - 1] + alpha * (c[i] - out[i - 1]) : c[i];
    }
}

void TrailingMean(const std::vector<double>& c, std::vector<double>& out, std::int32_t window) {
    const std::size_t n = c.size();
    std::size_t p = 0;
    // The first value is searched for without a bound: none at all is an index error.
    for (; p >= n || c[p] == kNullValue; ++p)
        if (p >= n) throw ListIndexError(static_cast<std::int32_t>(p));
    double sum = 0;
    std::int32_t k = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (c[i] == kNullValue) continue;
        sum += c[i];
        ++k;
        if (k > window) {
            sum -= c[p];
            --k;
            do ++p;
            while (c[p] == kNullValue);
        }
        out[i] = sum / k;
    }
}

void CentredMean(const std::vector<double>& c, std::vector<double>& out, std::int32_t window) {
    const auto n = static_cast<std::int32_t>(c.size());
    for (std::int32_t i = 0; i < n; ++i) {
        double sum = 0;
        std::int32_t k = 0;
        for (std::int32_t j = std::max(0, i - window); j <= std::min(n - 1, i + window); ++j) {
            if (c[At(j)] == kNullValue) continue;
            sum += c[At(j)];
            ++k;
        }
        out[At(i)] = k > 0 ? sum / k : kNullValue;
    }
}

// The least-squares weights of the last p values, fitted exactly on the last 2p items.
bool FitAutoregression(std::span<const double> items, std::int32_t p, std::vector<double>& x) {
    if (p <= 0 || p > kMaxLinearSystemOrder) return false;
    const auto n = static_cast<std::int32_t>(items.size());
    const std::int32_t m = n - 2 * p;
    if (m < 0) return false;
    // The last item too: a series ending in nulls must not be fitted on 1e10.
    for (std::int32_t i = m; i < n; ++i)
        if (items[At(i)] == kNullValue) return false;
    std::vector<double> a(At(p) * At(p));
    std::vector<double> b(At(p));
    for (std::int32_t j = 0; j < p; ++j) {
        for (std::int32_t r = 0; r < p; ++r) a[At(j) * At(p) + At(r)] = items[At(m + j + r)];
        b[At(j)] = items[At(m + p + j)];
    }
    std::uint8_t err = 0;
    SolveLinearSystem(p, a, b, err, x);
    return err == 0;
}

double NextValue(std::span<const double> w, const std::vector<double>& x) {
    const std::size_t p = x.size();
    const std::size_t from = w.size() - p;
    double s = 0;
    for (std::size_t r = 0; r < p; ++r) s += x[r] * w[from + r];
    return s;
}

}  // namespace

std::size_t MovingAverageItemsKept(std::int32_t window, std::int32_t type, std::size_t unchanged) {
    if (window == 0 || type < 0 || type > 3) return unchanged;  // the values as they are
    if (window < 0) return 0;
    if (type == 2 && window > kWindowLimit) type = 3;
    if (type == 3) return 0;
    if (type == 2) return unchanged > static_cast<std::size_t>(window) ? unchanged - At(window) : 0;
    return unchanged;
}

std::size_t MovingAverageFrom(std::span<const double> c, std::int32_t window, std::int32_t type,
                              const IndicatorPass& pass, std::vector<double>& tail,
                              std::size_t markAt, IndicatorPass& mark) {
    tail.clear();
    const std::size_t n = c.size();
    if (window == 0 || type < 0 || type > 3) {
        const std::size_t from = std::min(pass.At, n);
        tail.assign(c.begin() + static_cast<std::ptrdiff_t>(from), c.end());
        if (markAt >= from && markAt <= n) mark = IndicatorPass{markAt};
        return from;
    }
    const double alpha = AlphaOf(window);
    if (window < 0)
        throw ListError("Negative moving average window (" + std::to_string(window) + ")");
    if (type == 2 && window > kWindowLimit) type = 3;
    if (type == 3) {
        // Every item depends on the newest: the whole pass, as the list does it.
        TVegaDoubleList all;
        all.Reserve(static_cast<std::int32_t>(n));
        for (const double v : c) all.Add(v);
        all.SetMovingAverages(window, type);
        tail.assign(all.Items().begin(), all.Items().end());
        if (markAt <= n) mark = IndicatorPass{markAt};
        return 0;
    }
    if (type == 2) {
        const std::size_t from = std::min(n, MovingAverageItemsKept(window, type, pass.At));
        const auto count = static_cast<std::int32_t>(n);
        for (auto i = static_cast<std::int32_t>(from); i < count; ++i) {
            double sum = 0;
            std::int32_t k = 0;
            for (std::int32_t j = std::max(0, i - window); j <= std::min(count - 1, i + window);
                 ++j) {
                if (c[At(j)] == kNullValue) continue;
                sum += c[At(j)];
                ++k;
            }
            tail.push_back(k > 0 ? sum / k : kNullValue);
        }
        if (markAt >= from && markAt <= n) mark = IndicatorPass{markAt};
        return from;
    }
    IndicatorPass at = pass;
    const std::size_t from = std::min(at.At, n);
    tail.reserve(n - from);
    if (type == 0 && from == 0) {
        // The first value is searched for without a bound: none at all is an index error.
        std::size_t p = 0;
        for (; p >= n || c[p] == kNullValue; ++p)
            if (p >= n) throw ListIndexError(static_cast<std::int32_t>(p));
        at = IndicatorPass{};
        at.Oldest = p;
    }
    for (std::size_t i = from; i < n; ++i) {
        if (i == markAt) {
            mark = at;
            mark.At = i;
        }
        const double v = c[i];
        if (type == 0) {
            if (v == kNullValue) {
                tail.push_back(v);
                continue;
            }
            at.Sum += v;
            ++at.Values;
            if (at.Values > window) {
                at.Sum -= c[at.Oldest];
                --at.Values;
                do ++at.Oldest;
                while (c[at.Oldest] == kNullValue);
            }
            tail.push_back(at.Sum / at.Values);
        } else {
            double out = v;
            if (i > 0 && v != kNullValue)
                out = c[i - 1] != kNullValue ? at.Previous + alpha * (v - at.Previous) : v;
            tail.push_back(out);
            at.Previous = out;
        }
    }
    if (markAt == n && markAt >= from) {
        mark = at;
        mark.At = n;
    }
    return from;
}

std::size_t RsiFrom(std::span<const double> c, std::int32_t window, const IndicatorPass& pass,
                    std::vector<double>& tail, std::size_t markAt, IndicatorPass& mark) {
    const double alpha = AlphaOf(window);
    const std::size_t n = c.size();
    const std::size_t from = std::min(pass.At, n);
    IndicatorPass at = pass;
    if (from == 0) at = IndicatorPass{};
    tail.assign(n - from, kNullValue);
    for (std::size_t i = from; i < n; ++i) {
        if (i == markAt) {
            mark = at;
            mark.At = i;
        }
        if (i == 0 || c[i] == kNullValue || c[i - 1] == kNullValue) continue;
        const double d = c[i] - c[i - 1];
        const double gain = d > 0 ? d : 0;
        const double loss = d <= 0 ? std::fabs(d) : 0;
        at.Gain += alpha * (gain - at.Gain);
        at.Loss += alpha * (loss - at.Loss);
        if (at.Loss != 0) tail[i - from] = 100 - 100 / (at.Gain / at.Loss + 1);
    }
    if (markAt == n && markAt >= from) {
        mark = at;
        mark.At = n;
    }
    return from;
}

void SolveLinearSystem(std::int32_t n, std::span<double> A, std::span<const double> b,
                       std::uint8_t& err, std::vector<double>& x) {
    if (n <= 0) {
        err = 1;
        return;
    }
    const std::size_t size = At(n);
    if (n > kMaxLinearSystemOrder || A.size() < size * size || b.size() < size) {
        err = 3;
        return;
    }
    auto a = [&](std::size_t i, std::size_t j) -> double& { return A[i * size + j]; };
    err = 0;
    if (n == 1) {
        if (std::fabs(a(0, 0)) < kPivotEpsilon) {
            err = 2;
        } else {
            x.assign(1, b[0] / a(0, 0));
        }
        return;
    }
    std::vector<double> rhs(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size));
    for (std::size_t k = 0; k + 1 < size && err == 0; ++k) {
        if (std::fabs(a(k, k)) < kPivotEpsilon) {
            std::size_t swap = k + 1;
            while (swap < size && !(std::fabs(a(swap, k)) > kPivotEpsilon)) ++swap;
            if (swap == size) {
                err = 2;
                break;
            }
            for (std::size_t j = 0; j < size; ++j) std::swap(a(k, j), a(swap, j));
            std::swap(rhs[k], rhs[swap]);
        }
        for (std::size_t i = k + 1; i < size; ++i) {
            if (!(std::fabs(a(i, k)) > kPivotEpsilon)) continue;
            const double f = -a(i, k) / a(k, k);
            for (std::size_t j = 0; j < size; ++j) a(i, j) += f * a(k, j);
            rhs[i] += f * rhs[k];
        }
    }
    if (std::fabs(a(size - 1, size - 1)) < kPivotEpsilon) err = 2;
    if (err != 0) return;
    std::vector<double> solution(size);
    for (std::size_t i = size; i-- > 0;) {
        double s = rhs[i];
        for (std::size_t j = i + 1; j < size; ++j) s -= a(i, j) * solution[j];
        solution[i] = s / a(i, i);
    }
    x = std::move(solution);
}

void TVegaDoubleList::SetMovingAverages(std::int32_t _Win, std::int32_t _Type) {
    if (_Win == 0) return;
    const double alpha = AlphaOf(_Win);
    if (_Win < 0) throw ListError("Negative moving average window (" + std::to_string(_Win) + ")");
    if (_Type == 2 && _Win > kWindowLimit) _Type = 3;
    if (_Type < 0 || _Type > 3) return;
    const std::vector<double> c = FList;
    std::vector<double> out = FList;
    switch (_Type) {
        case 0:
            TrailingMean(c, out, _Win);
            break;
        case 1:
            ForwardExponential(c, out, alpha);
            break;
        case 2:
            CentredMean(c, out, _Win);
            break;
        default:
            ForwardExponential(c, out, alpha);
            for (std::size_t i = c.size() < 2 ? 0 : c.size() - 1; i-- > 0;) {
                if (c[i] == kNullValue) continue;
                out[i] = c[i + 1] != kNullValue ? out[i + 1] + alpha * (c[i] - out[i + 1]) : c[i];
            }
            break;
    }
    FList = std::move(out);
}

void TVegaDoubleList::SetNonLagMovingAverages(const TVegaDoubleList& Buffer, std::int32_t _Win,
                                              std::int32_t iimin, std::int32_t iimax,
                                              std::uint8_t Kind) {
    if (_Win == -1) throw ListDivisionByZeroError();
    if (_Win > kWindowLimit) Kind = 1;
    const std::int32_t n = Count();
    if (n == 0 || Kind > 1) return;
    iimin = std::clamp(iimin, 0, n - 1);
    iimax = std::clamp(iimax, 0, n - 1);
    if (Kind == 0) {
        if (_Win < 0) return;  // an empty window either side
        for (std::int32_t i = iimin; i <= iimax; ++i) {
            double sum = 0;
            std::int32_t k = 0;
            // Buffer may be this list: each value is read as the pass reaches it.
            for (std::int32_t j = std::max(iimin, i - _Win); j <= std::min(iimax, i + _Win); ++j) {
                const double v = Buffer.GetItem(j);
                if (v == kNullValue) continue;
                sum += v;
                ++k;
            }
            if (k > 0) FList[At(i)] = sum / k;
        }
        return;
    }
    const double alpha = AlphaOf(_Win);
    for (std::int32_t i = iimin + 1; i <= iimax; ++i)
        if (FList[At(i)] != kNullValue && FList[At(i - 1)] != kNullValue)
            FList[At(i)] = (1 - alpha) * FList[At(i - 1)] + alpha * FList[At(i)];
    for (std::int32_t i = iimax - 1; i >= iimin; --i)
        if (FList[At(i)] != kNullValue && FList[At(i + 1)] != kNullValue)
            FList[At(i)] = (1 - alpha) * FList[At(i + 1)] + alpha * FList[At(i)];
}

void TVegaDoubleList::SetRSI(std::int32_t Win, std::int32_t /*MA_Kind*/) {
    const double alpha = AlphaOf(Win);
    double gain_average = 0;
    double loss_average = 0;
    std::vector<double> r(FList.size(), kNullValue);
    for (std::size_t i = 1; i < FList.size(); ++i) {
        if (FList[i] == kNullValue || FList[i - 1] == kNullValue) continue;
        const double d = FList[i] - FList[i - 1];
        const double gain = d > 0 ? d : 0;
        const double loss = d <= 0 ? std::fabs(d) : 0;
        gain_average += alpha * (gain - gain_average);
        loss_average += alpha * (loss - loss_average);
        if (loss_average != 0) r[i] = 100 - 100 / (gain_average / loss_average + 1);
    }
    FList = std::move(r);
}

bool TVegaDoubleList::AR_Model_Forecast(std::int32_t Order, TVegaDoubleList* LBeforeLast,
                                        TVegaDoubleList& LAfterLast,
                                        std::int32_t /*CountBeforeLast*/,
                                        std::int32_t CountAfterLast) const {
    std::vector<double> x;
    if (!FitAutoregression(FList, Order, x)) return false;
    std::vector<double> w = FList;
    const double limit = 12 * FList.back();
    for (std::int32_t step = 0; step < CountAfterLast - 1; ++step) {
        const double s = NextValue(w, x);
        w.push_back(s);
        if (std::fabs(s) > limit) break;
    }
    if (LBeforeLast != nullptr) LBeforeLast->Clear();
    LAfterLast.Clear();
    LAfterLast.FList = std::move(w);
    return true;
}

double TVegaDoubleList::AR_Model_ForecastNext(std::int32_t Order) const {
    std::vector<double> x;
    if (!FitAutoregression(FList, Order, x)) return kNullValue;
    return NextValue(FList, x);
}

void TVegaDoubleList::DominantCycles(TVegaDoubleList& CyclesL) const {
    double s11 = 0;
    double s12 = 0;
    double s22 = 0;
    double s01 = 0;
    double s02 = 0;
    for (std::size_t t = 2; t < FList.size(); ++t) {
        const double x0 = FList[t];
        const double x1 = FList[t - 1];
        const double x2 = FList[t - 2];
        if (x0 == kNullValue || x1 == kNullValue || x2 == kNullValue) continue;
        s11 += x1 * x1;
        s12 += x1 * x2;
        s22 += x2 * x2;
        s01 += x0 * x1;
        s02 += x0 * x2;
    }
    double a1 = 0;
    double a2 = 0;
    if (!SolveLinear2(a1, a2, s11, s12, s01, s12, s22, s02)) return;
    const double disc = a1 * a1 + 4 * a2;
    if (disc < 0) CyclesL.Add(std::sqrt(-disc) / 2);
}

}  // namespace vela
