#include "controls/number_formats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "text/utf8_chars.h"

namespace vela {

namespace {

// A magnitude rounded to `precision` significant digits: exactly `precision` digits, the
// value being d.ddd… × 10^Exponent.
struct Significant {
    std::string Digits;
    int Exponent = 0;
};

Significant ScientificDigits(long double magnitude, int precision) {
    Significant s;
    if (magnitude == 0) {
        s.Digits.assign(static_cast<std::size_t>(precision), '0');
        return s;
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   precision - 1);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.') s.Digits += c;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    s.Exponent);
    return s;
}

std::string ExponentDigits(int exponent, int least) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(digits.size()) < least)
        digits.insert(0, static_cast<std::size_t>(least) - digits.size(), '0');
    return digits;
}

std::string GeneralText(long double x, int precision, int exponentDigits, const std::string& sep) {
    if (x == 0) return "0";
    Significant s = ScientificDigits(std::fabs(x), precision);
    while (s.Digits.size() > 1 && s.Digits.back() == '0') s.Digits.pop_back();
    std::string out = x < 0 ? "-" : "";
    const int e = s.Exponent;
    if (e >= precision || e < -4) {
        out += s.Digits[0];
        if (s.Digits.size() > 1) out += sep + s.Digits.substr(1);
        out += 'E';
        if (e < 0) out += '-';
        out += ExponentDigits(e, exponentDigits);
    } else if (e < 0) {
        out += "0" + sep;
        out.append(static_cast<std::size_t>(-e - 1), '0');
        out += s.Digits;
    } else {
        const auto whole = static_cast<std::size_t>(e) + 1;
        if (s.Digits.size() <= whole) {
            out += s.Digits;
            out.append(whole - s.Digits.size(), '0');
        } else {
            out += s.Digits.substr(0, whole) + sep + s.Digits.substr(whole);
        }
    }
    return out;
}

std::string ExponentText(long double x, int precision, int exponentDigits, const std::string& sep) {
    const Significant s = ScientificDigits(std::fabs(x), precision);
    const bool negative = x < 0 && s.Digits.find_first_not_of('0') != std::string::npos;
    std::string out = negative ? "-" : "";
    out += s.Digits[0];
    if (s.Digits.size() > 1) out += sep + s.Digits.substr(1);
    out += 'E';
    out += s.Exponent < 0 ? '-' : '+';
    out += ExponentDigits(s.Exponent, exponentDigits);
    return out;
}

// The integer and fraction digits of a magnitude with `decimals` decimals and at most
// `precision` significant digits; false when the integer part needs more than `precision`
// digits.
bool FixedParts(long double magnitude, int precision, int decimals, std::string& whole,
                std::string& fraction) {
    const Significant s = ScientificDigits(magnitude, precision);
    if (magnitude != 0 && s.Exponent + 1 > precision) return false;

    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, decimals);
    const std::string_view fixed(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto point = fixed.find('.');
    whole = std::string(fixed.substr(0, point));
    fraction = point == std::string_view::npos ? "" : std::string(fixed.substr(point + 1));

    const std::string all = whole + fraction;
    const auto first = all.find_first_not_of('0');
    const auto significant = first == std::string::npos ? 0 : all.size() - first;
    if (significant <= static_cast<std::size_t>(precision)) return true;

    // More digits than the precision holds: the digits rounded to the precision, padded.
    if (s.Exponent >= 0) {
        const auto count = static_cast<std::size_t>(s.Exponent) + 1;
        whole = s.Digits.substr(0, std::min(count, s.Digits.size()));
        whole.append(count - whole.size(), '0');
        fraction = count < s.Digits.size() ? s.Digits.substr(count) : "";
    } else {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-s.Exponent - 1), '0') + s.Digits;
    }
    fraction.resize(static_cast<std::size_t>(decimals), '0');
    return true;
}

std::string Grouped(const std::string& whole, const std::string& separator) {
    std::string out;
    const std::size_t n = whole.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += separator;
        out += whole[i];
    }
    return out;
}

std::string FixedText(long double x, TFloatFormat format, int precision, int decimals,
                      const NumberLocale& locale, const std::string& sep) {
    std::string whole;
    std::string fraction;
    if (!FixedParts(std::fabs(x), precision, decimals, whole, fraction))
        return GeneralText(x, precision, 0, sep);
    const bool negative = x < 0 && (whole + fraction).find_first_not_of('0') != std::string::npos;
    if (format != TFloatFormat::ffFixed) whole = Grouped(whole, locale.ThousandSeparator);
    std::string body = whole;
    if (!fraction.empty()) body += sep + fraction;
    if (format == TFloatFormat::ffCurrency) {
        const CurrencyFormat& c = locale.Currency;
        return negative ? c.NegativePrefix + body + c.NegativeSuffix
                        : c.PositivePrefix + body + c.PositiveSuffix;
    }
    return negative ? "-" + body : body;
}

// Whether a decimal number (digits, "." and an exponent, without a sign) lies below one, from
// the place of its first significant digit; tells underflow from overflow.
bool BelowOne(const std::string& whole, const std::string& fraction, long long exponent) {
    long long place = 0;  // digits before the point up to the first significant digit
    const auto first = whole.find_first_not_of('0');
    if (first != std::string::npos) {
        place = static_cast<long long>(whole.size() - first);
    } else {
        const auto f = fraction.find_first_not_of('0');
        if (f == std::string::npos) return true;
        place = -static_cast<long long>(f);
    }
    return place + exponent <= 0;
}

}  // namespace

std::string FloatToTextF(long double x, TFloatFormat format, int precision, int digits,
                         const NumberLocale& locale) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
    precision = std::clamp(precision, 1, 18);
    const std::string sep = EncodeUtf8(locale.DecimalSeparator);
    switch (format) {
        case TFloatFormat::ffGeneral:
            return GeneralText(x, precision, std::clamp(digits, 0, 4), sep);
        case TFloatFormat::ffExponent:
            return ExponentText(x, precision, std::clamp(digits, 0, 4), sep);
        case TFloatFormat::ffFixed:
        case TFloatFormat::ffNumber:
        case TFloatFormat::ffCurrency:
            return FixedText(x, format, precision, std::clamp(digits, 0, 18), locale, sep);
    }
    return "0";
}

bool LocaleTextToFloat(std::string_view text, const NumberLocale& locale, long double& value) {
    const std::u32string s = DecodeUtf8(text);
    std::size_t i = 0;
    std::size_t n = s.size();
    while (i < n && s[i] <= U' ') ++i;
    while (n > i && s[n - 1] <= U' ') --n;

    bool negative = false;
    if (i < n && (s[i] == U'+' || s[i] == U'-')) negative = s[i++] == U'-';
    auto digit = [](char32_t c) { return c >= U'0' && c <= U'9'; };
    std::string whole;
    std::string fraction;
    while (i < n && digit(s[i])) whole += static_cast<char>(s[i++]);
    if (i < n && s[i] == locale.DecimalSeparator) {
        ++i;
        while (i < n && digit(s[i])) fraction += static_cast<char>(s[i++]);
    }
    if (whole.empty() && fraction.empty()) return false;

    long long exponent = 0;
    std::string exponentText;
    if (i < n && (s[i] == U'E' || s[i] == U'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == U'+' || s[i] == U'-')) negativeExponent = s[i++] == U'-';
        const std::size_t start = i;
        while (i < n && digit(s[i])) {
            exponent = std::min(exponent * 10 + (s[i] - U'0'), 1LL << 40);
            ++i;
        }
        if (i == start) return false;
        if (negativeExponent) exponent = -exponent;
        exponentText = "e" + std::to_string(exponent);
    }
    if (i != n) return false;

    const std::string number =
        (whole.empty() ? "0" : whole) + (fraction.empty() ? "" : "." + fraction) + exponentText;
    long double v = 0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        if (!BelowOne(whole, fraction, exponent)) return false;
        v = 0;
    } else if (res.ec != std::errc() || res.ptr != number.data() + number.size()) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

double ClampToDouble(long double x) {
    constexpr long double kMax = std::numeric_limits<double>::max();
    if (x > kMax) return std::numeric_limits<double>::max();
    if (x < -kMax) return -std::numeric_limits<double>::max();
    return static_cast<double>(x);
}

}  // namespace vela
