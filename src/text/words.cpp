#include "text/words.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vela {

CharSet MakeCharSet(std::string_view chars) {
    CharSet set;
    for (char c : chars) set.set(static_cast<unsigned char>(c));
    return set;
}

int WordCount(std::string_view s, const CharSet& delims) {
    int count = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && InCharSet(delims, s[i])) ++i;
        if (i < s.size()) ++count;
        while (i < s.size() && !InCharSet(delims, s[i])) ++i;
    }
    return count;
}

std::string ExtractWord(int n, std::string_view s, const CharSet& delims) {
    int count = 0;
    std::size_t i = 0;
    while (i < s.size() && count < n) {
        while (i < s.size() && InCharSet(delims, s[i])) ++i;
        if (i >= s.size()) break;
        const std::size_t start = i;
        while (i < s.size() && !InCharSet(delims, s[i])) ++i;
        if (++count == n) return std::string(s.substr(start, i - start));
    }
    return "";
}

std::string TrimBlanks(std::string_view s) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    return std::string(s);
}

bool ParseInt32(std::string_view s, std::int32_t& value) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size()) return false;

    bool hex = false;
    if (s[i] == '$' || s[i] == 'x' || s[i] == 'X') {
        hex = true;
        ++i;
    } else if (s[i] == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    const std::string_view digits = s.substr(i);
    if (digits.empty()) return false;
    if (hex) {
        if (digits.size() > 8) return false;
        std::uint32_t bits = 0;
        const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
        if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return false;
        // Two's complement of the pattern: eight F digits read as -1.
        const std::uint32_t pattern = negative ? 0u - bits : bits;
        value = static_cast<std::int32_t>(pattern);
        return true;
    }
    std::uint64_t magnitude = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
        if (magnitude > 2147483648ULL) return false;
    }
    if (!negative && magnitude > 2147483647ULL) return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

namespace {

// Whether a digits[.digits][e[sign]digits] text is below one in magnitude, judged by the
// position of its first significant digit (used to tell underflow from overflow).
bool IsBelowOne(std::string_view number) {
    const auto e = number.find('e');
    const std::string_view mantissa = number.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view ex = number.substr(e + 1);
        const bool neg = !ex.empty() && ex.front() == '-';
        if (!ex.empty() && (ex.front() == '-' || ex.front() == '+')) ex.remove_prefix(1);
        for (char c : ex) exponent = std::min<long long>(exponent * 10 + (c - '0'), 1LL << 40);
        if (neg) exponent = -exponent;
    }
    const auto point = mantissa.find('.');
    const long long intDigits =
        static_cast<long long>(point == std::string_view::npos ? mantissa.size() : point);
    long long firstSignificant = 0;  // digits from the point to the first nonzero digit
    for (std::size_t k = 0; k < mantissa.size(); ++k) {
        if (mantissa[k] == '.') continue;
        if (mantissa[k] != '0') {
            const long long pos =
                static_cast<long long>(k) - (point != std::string_view::npos && k > point ? 1 : 0);
            firstSignificant = intDigits - pos;  // > 0: that many integer digits
            break;
        }
    }
    return firstSignificant + exponent <= 0;
}

}  // namespace

bool TextToLong(std::string_view s, std::int32_t& value) {
    return ParseInt32(TrimBlanks(s), value);
}

bool TextToDouble(std::string_view s, double& value) {
    std::string text(s);
    if (const auto comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    text = TrimBlanks(text);

    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string number;  // what from_chars reads: digits, point, exponent, without a sign
    const std::size_t intStart = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
    number.append(text, intStart, i - intStart);
    if (i < n && text[i] == '.') {
        ++i;
        const std::size_t fracStart = i;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
        if (number.empty()) number = "0";
        number += '.';
        number.append(text, fracStart, i - fracStart);
        if (i == fracStart) number += '0';
    }
    if (number.empty()) return false;  // empty text or a lone sign
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < n && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const std::size_t expStart = j;
        while (j < n && text[j] >= '0' && text[j] <= '9') ++j;
        if (j == expStart) return false;
        exponent.append(text, expStart, j - expStart);
        number += exponent;
        i = j;
    }
    if (i != n) return false;
    double v = 0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Too small reads as zero; too large cannot be held in a double.
        if (!IsBelowOne(number)) return false;
        v = 0;
    } else if (res.ec != std::errc() || res.ptr != number.data() + number.size()) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

}  // namespace vela
