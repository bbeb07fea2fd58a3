#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vela {

// Solves A x = b by Gaussian elimination with a row exchange only where a pivot is below 1e-12
// in magnitude. A holds n rows of n entries one after another and is overwritten; b is left as
// it is. err: 0 solved (x then holds the n unknowns), 1 for n <= 0, 2 for a singular system,
// 3 for n above kMaxLinearSystemOrder or an A or b too small for n. x is written only on
// success.
void SolveLinearSystem(std::int32_t n, std::span<double> A, std::span<const double> b,
                       std::uint8_t& err, std::vector<double>& x);

// Where a pass of a moving average or of the RSI over a series stood just before position At:
// what it needs to go on from there with the very numbers the whole pass gives.
struct IndicatorPass {
    std::size_t At = 0;
    double Sum = 0;           // trailing mean: the sum of the values in its window
    std::int32_t Values = 0;  // trailing mean: how many values that is
    std::size_t Oldest = 0;   // trailing mean: the position of the oldest of them
    double Previous = 0;      // exponential: the average at At - 1
    double Gain = 0;          // RSI: the averages of the gains and losses
    double Loss = 0;
};

// The items from position `pass.At` on (or from where they start to differ, see below) of
// TVegaDoubleList::SetMovingAverages(window, type) over the entry values c, as the whole pass
// makes them, into `tail`; returns the position of tail's first item. The pass's state at
// At is `pass` (state at 0 for a pass from the start); a centred mean (type 2 up to
// kWindowLimit) starts window positions earlier, and a forward-backward one (type 3, or 2
// above the limit) always from 0, since later values reach back to every item. When
// markAt lies at or after the start, `mark` receives the pass's state at markAt, from which
// a later call can go on as long as the items before it stay. A window of 0 or an unknown
// type gives the items as they are; a negative window raises as SetMovingAverages does.
std::size_t MovingAverageFrom(std::span<const double> c, std::int32_t window, std::int32_t type,
                              const IndicatorPass& pass, std::vector<double>& tail,
                              std::size_t markAt, IndicatorPass& mark);
// How many leading items of SetMovingAverages(window, type) stay as they were when only the
// values from position `unchanged` on changed: all before it for a trailing or exponential
// pass, window fewer for a centred mean, none for a forward-backward pass. The RSI keeps all
// before it.
std::size_t MovingAverageItemsKept(std::int32_t window, std::int32_t type, std::size_t unchanged);
// The same for TVegaDoubleList::SetRSI(window, kind); it always starts at pass.At.
std::size_t RsiFrom(std::span<const double> c, std::int32_t window, const IndicatorPass& pass,
                    std::vector<double>& tail, std::size_t markAt, IndicatorPass& mark);

}  // namespace vela
