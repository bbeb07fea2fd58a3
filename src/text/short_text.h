#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vela {

// Decimal digits, "-" before negatives.
std::string IntToShortText(std::int32_t n);

// s right-aligned in width characters with fill before it; longer texts stay as they are.
std::string PadLeft(std::string_view s, char fill, int width);

// count copies of c (at most 255).
std::string CharString(char c, int count);

std::string RemoveChar(std::string_view s, char c);

// At least two digits, with a leading zero.
std::string TwoDigitText(std::int32_t n);

// The nearest multiple of step at or below (above) n; a step <= 0 returns n unchanged.
std::int32_t RoundDownToMultiple(std::int32_t n, std::int32_t step);
std::int32_t RoundUpToMultiple(std::int32_t n, std::int32_t step);

}  // namespace vela
