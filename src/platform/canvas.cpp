#include "platform/canvas.h"

#include <algorithm>
#include <limits>

namespace vela {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t num = product < 0 ? -product : product;
    const std::int64_t den = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t q = (num + den / 2) / den;
    if (q > std::numeric_limits<std::int32_t>::max()) return -1;
    return static_cast<std::int32_t>(negative ? -q : q);
}

namespace {

TRect Ordered(const TRect& r) {
    return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom)};
}

std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t Canvas::FontSize() const {
    return -MulDiv(font_.Height, 72, PixelsPerInch());
}

void Canvas::SetFontSize(std::int32_t points) {
    font_.Height = -MulDiv(points, PixelsPerInch(), 72);
}

void Canvas::LineTo(std::int32_t x, std::int32_t y) {
    const TPoint to{x, y};
    if (pen_.Style != PenStyle::Clear) DoLine(penPos_, to);
    penPos_ = to;
}

void Canvas::FillRect(const TRect& r) {
    if (brush_.Style == BrushStyle::Clear) return;
    const TRect n = Ordered(r);
    if (n.Left == n.Right || n.Top == n.Bottom) return;
    DoFillRect(n);
}

void Canvas::Rectangle(const TRect& r) {
    const TRect n = Ordered(r);
    if (n.Left == n.Right || n.Top == n.Bottom) return;
    DoRectangle(n);
}

void Canvas::Polygon(std::span<const TPoint> points) {
    if (points.size() < 2) return;
    DoPolygon(points);
}

void Canvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    if (!text.empty()) DoTextOut(x, y, text);
    penPos_ = TPoint{ClampToInt32(static_cast<std::int64_t>(x) + TextWidth(text)), y};
}

}  // namespace vela
