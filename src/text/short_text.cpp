#include "text/short_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace vela {

std::string IntToShortText(std::int32_t n) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    return std::string(buf, res.ptr);
}

std::string PadLeft(std::string_view s, char fill, int width) {
    if (width <= 0 || s.size() >= static_cast<std::size_t>(width)) return std::string(s);
    std::string out(static_cast<std::size_t>(width) - s.size(), fill);
    out += s;
    return out;
}

std::string CharString(char c, int count) {
    return std::string(static_cast<std::size_t>(std::clamp(count, 0, 255)), c);
}

std::string RemoveChar(std::string_view s, char c) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s)
        if (ch != c) out += ch;
    return out;
}

std::string TwoDigitText(std::int32_t n) {
    return PadLeft(IntToShortText(n), '0', 2);
}

// The stepping loop of the definition ends at the multiple nearest in its direction; the
// closed form gives the same in 64 bits, and results beyond 32 bits (only possible near the
// ends of the range) saturate.
std::int32_t RoundDownToMultiple(std::int32_t n, std::int32_t step) {
    if (step <= 0) return n;
    const std::int64_t v = n;
    std::int64_t r = v - v % step;
    if (v % step < 0) r -= step;
    return static_cast<std::int32_t>(
        std::max<std::int64_t>(r, std::numeric_limits<std::int32_t>::min()));
}

std::int32_t RoundUpToMultiple(std::int32_t n, std::int32_t step) {
    if (step <= 0) return n;
    const std::int64_t v = n;
    std::int64_t r = v - v % step;
    if (v % step > 0) r += step;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(r, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace vela
