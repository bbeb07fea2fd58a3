#include "controls/sexagesimal.h"

#include <cmath>

namespace vela {

namespace {

// The coded value in ten-thousandths, rounded; false where that would not fit 64 bits.
bool TenThousandths(long double x, long double& n) {
    if (!std::isfinite(x) || std::fabs(x) > kLargestSexagesimal) return false;
    n = std::rint(x * 10000.0L);
    return true;
}

}  // namespace

bool SplitSexagesimal(long double x, Sexagesimal& parts) {
    long double n = 0;
    if (!TenThousandths(x, n)) return false;
    const std::int64_t count = static_cast<std::int64_t>(n);
    const std::int64_t sign = count < 0 ? -1 : 1;
    const std::int64_t magnitude = count < 0 ? -count : count;
    const auto fraction = static_cast<std::int32_t>(magnitude % 10000);
    parts.Whole = sign * (magnitude / 10000);
    parts.Minutes = fraction / 100;
    parts.Seconds = fraction % 100;
    return true;
}

long double JoinSexagesimal(std::int64_t whole, std::int32_t minutes, std::int32_t seconds) {
    const long double magnitude = std::fabs(static_cast<long double>(whole)) +
                                  static_cast<long double>(minutes) / 100.0L +
                                  static_cast<long double>(seconds) / 10000.0L;
    return whole < 0 ? -magnitude : magnitude;
}

long double SexagesimalToDecimal(long double x) {
    long double n = 0;
    if (!TenThousandths(x, n)) return x;
    // The sign comes from the rounded count, so a value between -1 and 0 keeps it here.
    const auto count = static_cast<std::int64_t>(n);
    const std::int64_t magnitude = count < 0 ? -count : count;
    const auto fraction = static_cast<std::int32_t>(magnitude % 10000);
    const long double decimal = static_cast<long double>(magnitude / 10000) +
                                static_cast<long double>(fraction / 100) / 60.0L +
                                static_cast<long double>(fraction % 100) / 3600.0L;
    return count < 0 ? -decimal : decimal;
}

}  // namespace vela
