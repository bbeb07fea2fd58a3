#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "series/double_list.h"

namespace vela::stats {

// How a series' values spread over a value range, for a series given as a block of items in
// which `null` marks a position without a value. The TVegaDoubleList members of the same
// names forward here.
//
// Every histogram leaves the last item out (in a live series the last bar is still forming).
// Fixed bins: a value v with VMin <= v <= VMax goes to bin ValueToPixel(0, NCount - 1, VMin,
// VMax, v), the nearest of NCount equally spaced centres from VMin to VMax.

// Floating-bin histograms refuse more bins than this.
inline constexpr std::int64_t kMaxFloatingBins = 10000000;

// Counts of the non-null values per bin, NCount of them; empty when NCount < 1.
std::vector<double> CalculateDistibution(std::span<const double> items, std::int32_t NCount,
                                         double VMin, double VMax, double null = kNullValue);
// Sums of the weights in Norm (taken at the value's position, nulls included as they are) per
// bin; a value without a weight in Norm adds nothing.
std::vector<double> CalculateDistibutionWithNormalization(std::span<const double> items,
                                                          std::int32_t NCount, double VMin,
                                                          double VMax, std::span<const double> Norm,
                                                          double null = kNullValue);
// Running totals of the counts.
std::vector<double> CalculateCommulativeDistibution(std::span<const double> items,
                                                    std::int32_t NCount, double VMin, double VMax,
                                                    double null = kNullValue);

// NSubdiv * NCount overlapping bins of width w = (VMax - VMin) / NCount, bin j covering
// lo = VMin + j * s .. lo + w with s = ((VMax - VMin) - w) / (NSubdiv * NCount), ends
// included. HistKind 0 counts the values in each bin; 1 weighs each by 1 at the bin's centre
// falling linearly to 0.5 at its ends; other kinds give zeros. Empty when NCount < 1, the bin
// count is below 1 or above kMaxFloatingBins, or VMin >= VMax.
std::vector<double> FloatingBinHistogram(std::span<const double> items, std::int32_t NCount,
                                         std::int32_t NSubdiv, double VMin, double VMax,
                                         std::int32_t HistKind, double null = kNullValue);

// A random value drawn from the histogram of the items in VMin..VMax (nulls not excluded) with
// the process-wide generator: a bin chosen by its count, then a uniform value in the bin's
// share of the range, clamped into VMin..VMax. VMin when NCount < 1.
double GetRandomDistributed(std::span<const double> items, std::int32_t NCount, double VMin,
                            double VMax);

// Non-null items v with (v - YMin) * (v - YMax) <= 0: inside the interval, ends included.
std::int32_t Amount_Points_Inside_Interval(std::span<const double> items, double YMin, double YMax,
                                           double null = kNullValue);

// Per = 100: the extremes of the non-null items. Per > 100: that range widened on both sides
// by (Per - 100) percent of its width. Per < 100: the extremes left after removing, pass by
// pass, the smallest and the largest remaining value (first occurrences), until
// Round((100 - Per) * Count / 100) or MaxOutPoints positions are recorded or nothing remains.
// The pair kMinSearchStart/kMaxSearchStart when no value remains.
void GetMinMaxDistributed(std::span<const double> items, std::uint8_t Per,
                          std::int32_t MaxOutPoints, double& XMin, double& XMax,
                          double null = kNullValue);
// The positions GetMinMaxDistributed records for Per < 100, in order; a value left alone is
// recorded twice (as the smallest and as the largest).
std::vector<std::int32_t> RemovedExtremes(std::span<const double> items, std::uint8_t Per,
                                          std::int32_t MaxOutPoints, double null = kNullValue);

}  // namespace vela::stats
