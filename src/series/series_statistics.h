#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "series/double_list.h"

namespace vela {

// Solves A11*x1 + A12*x2 = B1, A21*x1 + A22*x2 = B2 by Cramer's rule. False, with x1 and x2
// unchanged, when the determinant is exactly 0 or any step leaves the finite numbers.
bool SolveLinear2(double& x1, double& x2, double A11, double A12, double B1, double A21, double A22,
                  double B2);

// Statistics of a series given as a block of items in which `null` marks a position without a
// value. The TVegaDoubleList members of the same names forward here, so any contiguous series
// can be analysed without a copy. Statistics that cannot be computed give `null`; positions
// given by the caller are not clamped, and one outside the items raises ListIndexError.
namespace stats {

// Mean of the non-null items.
double AvValue(std::span<const double> items, double null = kNullValue);
// Mean of the absolute values of the non-null items.
double AvAbsValue(std::span<const double> items, double null = kNullValue);
// Mean of the non-null items at imin..imax; null when imax < imin or imax = 0.
double AvValue1(std::span<const double> items, std::int32_t imin, std::int32_t imax,
                double null = kNullValue);
// Mean of the k + 1 smallest absolute values, k = Trunc((100 - PercentExtreme) * (M - 1) / 100)
// of the M non-null items; null for fewer than two items or when every item is null.
double AvValue_WithoutAbsExtreme(std::span<const double> items, std::uint8_t PercentExtreme,
                                 double null = kNullValue);
// Standard deviation: StatKind 0 population, 1 sample. 0 for fewer than two values, another
// kind, a null mean or a sum that leaves the finite numbers.
double Dispersion(std::span<const double> items, std::uint8_t StatKind, double null = kNullValue);
// Skewness T3 / ((M - 1) s^3) and kurtosis T4 / ((M - 1 - StatKind) s^4) - 3 with
// s = Dispersion(StatKind); both 0 for fewer than three values, a constant series or s = 0.
void GetSkewKurtosis(std::span<const double> items, long double& Skew, long double& Kert,
                     std::uint8_t StatKind, double null = kNullValue);
// Mean absolute difference of 5 * Count random pairs drawn with the process-wide generator;
// pairs with a null are passed over. 0 when no pair counted or the sum is not finite.
double Changebility(std::span<const double> items, double null = kNullValue);
// Sum of p ln p (<= 0) over the values normalised to 0..1 by their own extremes and divided by
// their total; null for a constant or empty series.
double Entropy(std::span<const double> items, double null = kNullValue);
// Kind 0: Entropy; 1: Entropy of the absolute values; other kinds 0.
double EntropyExt(std::span<const double> items, std::uint8_t Kind, double null = kNullValue);
// Maximal runs of non-null items.
std::int32_t UndependenIntervalsCount(std::span<const double> items, double null = kNullValue);
// Maximal runs of items that are neither null nor 0.
std::int32_t UndependenIntervalsCount1(std::span<const double> items, double null = kNullValue);
// Least-squares line y = a * i + b over the non-null items at their positions i; false, with a
// and b unchanged, for fewer than two of them.
bool LinearInterpolate(std::span<const double> items, double& a, double& b,
                       double null = kNullValue);
// The same over positions imin..imax; false when imax < imin.
bool LinearInterpolate1(std::span<const double> items, double& a, double& b, std::int32_t imin,
                        std::int32_t imax, double null = kNullValue);
// Range of the running sums of the mean-free values over the population deviation.
double ForHurst_RS(std::span<const double> items, double null = kNullValue);
// Root mean square distance of the running sums from their least-squares line.
double ForHurst_DFA(std::span<const double> items, double null = kNullValue);
// Sum of the absolute steps between consecutive values; null for a constant series.
double ForHurst_Path(std::span<const double> items, double null = kNullValue);
// iplus: values > 0, iminus: values < 0; the share of positive values in percent, null when
// both counts are 0.
double PlusMinusStat(std::span<const double> items, std::int32_t& iplus, std::int32_t& iminus,
                     double null = kNullValue);
// mean * sqrt(Count) / population deviation, Count taking nulls too; null below five items.
double SQN(std::span<const double> items, double null = kNullValue);
// The SQN as text: Kind 0 the number, 1 "SQN=" and the number, 2 with the rating, 3 with the
// rating and its range; "***" when there is no SQN.
std::string SQN_Info_Str(std::span<const double> items, std::int32_t Kind,
                         double null = kNullValue);
// Deepest fall below an earlier peak, in value and in percent of the peak. Runs of equal items
// count once; nulls take part as numbers.
void DrawDown(std::span<const double> items, double& AbsValue, double& PercentageValue);
// Lower median of the non-null items at imin..imax.
double MedianValue(std::span<const double> items, std::int32_t imin, std::int32_t imax,
                   double null = kNullValue);
// Mean product of the pairs Lag apart, about the mean when NormalizeOnAverage, else about 0;
// 0 when no pair counts. A negative lag raises ListIndexError.
double AutoCovariation(std::span<const double> items, std::int32_t Lag, bool NormalizeOnAverage,
                       double null = kNullValue);
// Total signed rotation in degrees along the non-null angles.
double Path_360(std::span<const double> items, double null = kNullValue);
// 1 when the first later value reaching c + delta or c - delta (c the item at i_curr) lies
// above, -1 when below, with its position in i_reach; 0 when none does or the item is null.
std::int32_t Quantum(std::span<const double> items, std::int32_t i_curr, double delta,
                     std::int32_t& i_reach, double null = kNullValue);

}  // namespace stats

}  // namespace vela
