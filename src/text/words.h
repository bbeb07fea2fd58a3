#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace vela {

// A set of 8-bit character codes.
using CharSet = std::bitset<256>;

CharSet MakeCharSet(std::string_view chars);

inline bool InCharSet(const CharSet& set, char c) {
    return set.test(static_cast<unsigned char>(c));
}

// Words are maximal runs of characters outside the delimiter set; no word is ever empty.
int WordCount(std::string_view s, const CharSet& delims);

// The n-th word counted from 1; empty when there are fewer words or n < 1.
std::string ExtractWord(int n, std::string_view s, const CharSet& delims);

// s without leading and trailing characters of codes 0..32.
std::string TrimBlanks(std::string_view s);

// The integer reading of settings values: optional leading blanks, an optional sign, then
// decimal digits or a hexadecimal prefix ("$", "x", "X", "0x", "0X") and at most 8
// hexadecimal digits taken as a 32-bit pattern. Anything else (empty, trailing characters,
// decimal overflow) fails.
bool ParseInt32(std::string_view s, std::int32_t& value);

// TrimBlanks, then ParseInt32.
bool TextToLong(std::string_view s, std::int32_t& value);

// The first "," becomes "."; trimmed; then sign, digits, optional point and digits, optional
// exponent, always with "." as the decimal point. A lone point reads as 0.
bool TextToDouble(std::string_view s, double& value);

}  // namespace vela
