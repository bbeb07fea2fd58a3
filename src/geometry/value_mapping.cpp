#include "geometry/value_mapping.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace vela {

static_assert(std::numeric_limits<long double>::digits == 64,
              "extended precision needs the 80-bit long double");

namespace {

// 2^63 as an exact long double: a rounded value must lie in [-2^63, 2^63).
constexpr long double kTwo63 = 9223372036854775808.0L;

std::int32_t SaturateToInt32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace

std::int32_t ValueToPixel(std::int32_t a, std::int32_t b, double vmin, double vmax, long double v) {
    const long double span = static_cast<long double>(vmax) - static_cast<long double>(vmin);
    if (span == 0.0L) return a;
    const long double pixels = static_cast<long double>(static_cast<std::int64_t>(b) - a);
    const long double d = (v - static_cast<long double>(vmin)) * pixels / span;
    if (!std::isfinite(d)) return a;
    const long double r = std::nearbyint(d);
    if (r < -kTwo63 || r >= kTwo63) return a;
    std::int64_t sum = 0;
    if (__builtin_add_overflow(static_cast<std::int64_t>(a), static_cast<std::int64_t>(r), &sum))
        return r > 0 ? std::numeric_limits<std::int32_t>::max()
                     : std::numeric_limits<std::int32_t>::min();
    return SaturateToInt32(sum);
}

long double LinearMap(long double a, long double b, long double vmin, long double vmax,
                      long double v) {
    if (vmax == vmin) return a;
    const long double r = (b - a) * (v - vmin) / (vmax - vmin) + a;
    return std::isfinite(r) ? r : a;
}

TColor GradientColor(TColor c1, TColor c2, double vmin, double vmax, double v) {
    if (vmin == vmax) return clWhite;
    const int r = ValueToPixel(RedOf(c1), RedOf(c2), vmin, vmax, v) & 0xFF;
    const int g = ValueToPixel(GreenOf(c1), GreenOf(c2), vmin, vmax, v) & 0xFF;
    const int b = ValueToPixel(BlueOf(c1), BlueOf(c2), vmin, vmax, v) & 0xFF;
    return RgbColor(r, g, b);
}

TRect NormalizeRect(const TRect& r) {
    TRect n = r;
    if (n.Left > n.Right) std::swap(n.Left, n.Right);
    if (n.Top > n.Bottom) std::swap(n.Top, n.Bottom);
    return n;
}

TRect MapRect(const TRect& frame, const TRect& inner, const TRect& target) {
    TRect m;
    m.Left = ValueToPixel(target.Left, target.Right, frame.Left, frame.Right, inner.Left);
    m.Right = ValueToPixel(target.Left, target.Right, frame.Left, frame.Right, inner.Right);
    m.Top = ValueToPixel(target.Top, target.Bottom, frame.Top, frame.Bottom, inner.Top);
    m.Bottom = ValueToPixel(target.Top, target.Bottom, frame.Top, frame.Bottom, inner.Bottom);
    return NormalizeRect(m);
}

void SwapBytes(void* p, void* q, std::uint16_t count) {
    if (count == 0 || p == nullptr || q == nullptr) return;
    auto* x = static_cast<unsigned char*>(p);
    auto* y = static_cast<unsigned char*>(q);
    const auto xa = reinterpret_cast<std::uintptr_t>(x);
    const auto ya = reinterpret_cast<std::uintptr_t>(y);
    if (xa < ya + count && ya < xa + count) return;  // overlapping: a swap would corrupt both
    std::vector<unsigned char> tmp(x, x + count);
    std::memcpy(x, y, count);
    std::memcpy(y, tmp.data(), count);
}

}  // namespace vela
