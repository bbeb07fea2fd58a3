#pragma once

#include <cstdint>

namespace vela {

// A whole part with minutes and seconds (hours or degrees) held in one number with the sign of
// the whole part: |W| + M/100 + S/10000, so 12 h 30 m 15 s is 12.3015.
struct Sexagesimal {
    std::int64_t Whole = 0;
    std::int32_t Minutes = 0;
    std::int32_t Seconds = 0;
};

// The largest magnitude that is split: beyond it the four decimal places no longer fit a
// 64-bit count.
inline constexpr long double kLargestSexagesimal = 1e14L;

// x to the nearest ten-thousandth (ties to even), split into whole part, minutes and seconds.
// A value between -1 and 0 has the whole part 0 and so loses its sign. False for non-finite
// values and magnitudes beyond kLargestSexagesimal.
bool SplitSexagesimal(long double x, Sexagesimal& parts);

// (|W| + M/100 + S/10000) with the sign of W.
long double JoinSexagesimal(std::int64_t whole, std::int32_t minutes, std::int32_t seconds);

// The decimal equivalent sign × (|W| + M/60 + S/3600) of the coded value; values that are not
// split come back as they are.
long double SexagesimalToDecimal(long double x);

}  // namespace vela
