#pragma once

#include <string>

namespace vela {

// Prices and other reals as text: decimals chosen by magnitude and mode (0 standard, 1 fine,
// 2 coarse), trailing zeros trimmed down to one decimal. 0 gives "0.0"; other modes give "".
std::string RealToText(int mode, double x);
// The same text appended to `text`.
void AppendRealText(std::string& text, int mode, double x);

// Fixed-point text with exactly `decimals` decimals and "." as the point, right-aligned in a
// field of `width` characters. |x| < 1e-50 and non-finite values give "0".
std::string RealToFixedText(int width, int decimals, double x);

// The general number format: up to `precision` significant digits, no trailing zeros,
// scientific (e.g. "1E-5", "1.5E20") below 1E-4 in magnitude or with more than `precision`
// integer digits; "." as the decimal point.
std::string FloatToGeneralText(double x, int precision = 15);

}  // namespace vela
