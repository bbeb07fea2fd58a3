#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "text/short_text.h"

namespace vela {

std::string RealToFixedText(int width, int decimals, double x) {
    if (!std::isfinite(x)) return "0";
    if (std::fabs(x) < 1e-50) return "0";
    char buf[400];  // 309 integer digits + point + up to 255 decimals fit with room
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed,
                                   decimals < 0 ? 0 : decimals);
    if (res.ec != std::errc()) return "0";
    return PadLeft(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)), ' ', width);
}

std::string RealToText(int mode, double x) {
    std::string text;
    AppendRealText(text, mode, x);
    return text;
}

void AppendRealText(std::string& text, int mode, double x) {
    if (mode < 0 || mode > 2) return;
    if (x == 0) {
        text += "0.0";
        return;
    }
    static constexpr int kDecimals[3][7] = {
        {10, 6, 5, 5, 5, 5, 5},
        {15, 11, 10, 10, 10, 10, 10},
        {8, 5, 3, 2, 1, 1, 5},
    };
    const double a = std::fabs(x);
    int band = 6;
    if (a < 0.0001)
        band = 0;
    else if (a < 1)
        band = 1;
    else if (a < 10)
        band = 2;
    else if (a < 100)
        band = 3;
    else if (a < 1000)
        band = 4;
    else if (a < 100000)
        band = 5;
    // What RealToFixedText gives (fixed text never holds a blank), without its temporaries.
    char buf[400];
    std::string_view fixed = "0";
    if (std::isfinite(x) && a >= 1e-50) {
        const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed,
                                       kDecimals[mode][band]);
        if (res.ec == std::errc())
            fixed = std::string_view(buf, static_cast<std::size_t>(res.ptr - buf));
    }
    // Trim only a fraction: a text without a point ("0", or the digits of a huge value) keeps
    // its zeros.
    const auto point = fixed.find('.');
    if (point != std::string_view::npos) {
        while (fixed.size() > point + 2 && fixed.back() == '0') fixed.remove_suffix(1);
    }
    text += fixed;
}

std::string FloatToGeneralText(double x, int precision) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x > 0 ? "INF" : "-INF";
    if (x == 0) return "0";
    if (precision < 1) precision = 1;
    if (precision > 17) precision = 17;
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, precision - 1);
    const std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    const bool negative = s.front() == '-';
    const auto epos = s.find('e');
    std::string digits;
    for (char c : s.substr(0, epos))
        if (c >= '0' && c <= '9') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int exponent = std::atoi(std::string(s.substr(epos + 1)).c_str());

    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= precision) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += 'E';
        out += std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out += '.';
            out.append(digits, intDigits);
        }
    }
    return out;
}

}  // namespace vela
