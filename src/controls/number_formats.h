#pragma once

#include <string>
#include <string_view>

namespace vela {

// The user's currency format: what stands before and after the digits of a positive and of a
// negative amount ("$" and "" / "-$" and "" in the United States, "" and " €" / "-" and " €"
// in Germany). The digits carry thousands separators and the decimal separator.
struct CurrencyFormat {
    std::string PositivePrefix = "$";
    std::string PositiveSuffix;
    std::string NegativePrefix = "-$";
    std::string NegativeSuffix;
};

// The parts of the user's locale that numbers follow. Texts are UTF-8.
struct NumberLocale {
    char32_t DecimalSeparator = U'.';
    std::string ThousandSeparator = ",";
    CurrencyFormat Currency;
};

// The floating-point text formats of the platform.
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// x as text in a format, with `precision` significant digits (1..18) and `digits`:
//   ffGeneral  the shorter of fixed and scientific, trailing zeros dropped ("1234.5", "1E20",
//              "1E-05"); scientific from 1E-5 down and above `precision` integer digits;
//              `digits` is the least number of exponent digits (0..4).
//   ffExponent "-d.ddd…E+dd": `precision` digits, `digits` the least exponent digits (0..4).
//   ffFixed    `digits` decimals (0..18); ffGeneral's scientific form when the integer part has
//              more than `precision` digits.
//   ffNumber   as ffFixed, with thousands separators.
//   ffCurrency as ffNumber, inside the locale's currency format.
// Non-finite values give "NAN", "INF" and "-INF". A value that rounds to zero has no sign.
std::string FloatToTextF(long double x, TFloatFormat format, int precision, int digits,
                         const NumberLocale& locale);

// The platform's reading of a number: blanks around it, an optional sign, digits with at most
// one decimal separator (at least one digit), an optional exponent ("E" or "e", an optional
// sign, digits). No thousands separators. False for anything else and for magnitudes beyond
// the extended range; tiny magnitudes read as 0.
bool LocaleTextToFloat(std::string_view text, const NumberLocale& locale, long double& value);

// An extended value stored as a double: magnitudes beyond the largest double become the
// largest double instead of infinity.
double ClampToDouble(long double x);

}  // namespace vela
