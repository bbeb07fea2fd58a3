#include "text/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
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

namespace {

// Fixed text of a double with `decimals` decimals, exactly as std::to_chars writes it (the
// binary value rounded once, ties to even), for the usual prices: the value times 10^decimals
// is worked out exactly in 128 bits. False when x is out of that range; the caller then asks
// std::to_chars.
bool ExactFixedText(double x, int decimals, char* out, char*& end) {
    static constexpr std::uint64_t kPowers[] = {1ULL,
                                                10ULL,
                                                100ULL,
                                                1000ULL,
                                                10000ULL,
                                                100000ULL,
                                                1000000ULL,
                                                10000000ULL,
                                                100000000ULL,
                                                1000000000ULL,
                                                10000000000ULL,
                                                100000000000ULL,
                                                1000000000000ULL,
                                                10000000000000ULL,
                                                100000000000000ULL,
                                                1000000000000000ULL};
    if (decimals < 0 || decimals > 15) return false;
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    // Normal numbers below 2^52 with at least one bit below the point, and not tiny.
    const int shift = 1075 - exponent;  // |x| = mantissa / 2^shift
    if (exponent == 0 || shift < 1 || shift > 100) return false;
    __extension__ using U128 = unsigned __int128;
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | std::uint64_t{1} << 52;
    const U128 scaled = static_cast<U128>(mantissa) * kPowers[decimals];
    U128 q = scaled >> shift;
    const U128 rest = scaled - (q << shift);
    const U128 half = static_cast<U128>(1) << (shift - 1);
    if (rest > half || (rest == half && (q & 1) != 0)) ++q;
    if (q >> 64 != 0) return false;
    auto digits = static_cast<std::uint64_t>(q);

    char buf[32];
    char* p = buf + sizeof buf;
    int written = 0;
    do {
        *--p = static_cast<char>('0' + digits % 10);
        digits /= 10;
        ++written;
    } while (digits != 0 || written < decimals + 1);
    char* o = out;
    if ((bits >> 63) != 0) *o++ = '-';
    const auto count = static_cast<std::size_t>(buf + sizeof buf - p);
    const std::size_t whole = count - static_cast<std::size_t>(decimals);
    o = std::copy_n(p, whole, o);
    if (decimals > 0) {
        *o++ = '.';
        o = std::copy_n(p + whole, decimals, o);
    }
    end = o;
    return true;
}

}  // namespace

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
        const int decimals = kDecimals[mode][band];
        char* end = buf;
        if (ExactFixedText(x, decimals, buf, end)) {
            fixed = std::string_view(buf, static_cast<std::size_t>(end - buf));
        } else {
            const auto res =
                std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
            if (res.ec == std::errc())
                fixed = std::string_view(buf, static_cast<std::size_t>(res.ptr - buf));
        }
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
