#include "platform/recording_canvas.h"

#include <algorithm>
#include <limits>

namespace vela {

std::vector<CanvasRecord> RecordingCanvas::Of(CanvasRecord::Kind kind) const {
    std::vector<CanvasRecord> out;
    for (const auto& r : records_)
        if (r.What == kind) out.push_back(r);
    return out;
}

std::vector<std::string> RecordingCanvas::Texts() const {
    std::vector<std::string> out;
    for (const auto& r : records_)
        if (r.What == CanvasRecord::Kind::Text) out.push_back(r.Text);
    return out;
}

std::int32_t RecordingCanvas::EmHeight(const CanvasFont& font) {
    const std::int64_t h = font.Height;
    if (h < 0) return static_cast<std::int32_t>(std::min<std::int64_t>(-h, 1 << 30));
    return static_cast<std::int32_t>(h * 8 / 9);
}

std::int32_t RecordingCanvas::CellHeight(const CanvasFont& font) {
    const std::int64_t h = font.Height;
    if (h >= 0) return static_cast<std::int32_t>(h);
    return static_cast<std::int32_t>(std::min<std::int64_t>((-h * 9 + 4) / 8, 1 << 30));
}

std::int32_t RecordingCanvas::CharWidth(const CanvasFont& font) {
    if (font.Width > 0) return font.Width;
    return std::max<std::int32_t>(1, EmHeight(font) / 2);
}

std::int32_t RecordingCanvas::TextWidth(std::string_view text) const {
    const std::int64_t w = static_cast<std::int64_t>(text.size()) * CharWidth(Font());
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(w, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t RecordingCanvas::TextHeight(std::string_view) const {
    return CellHeight(Font());
}

CanvasRecord& RecordingCanvas::Add(CanvasRecord::Kind kind) {
    CanvasRecord& r = records_.emplace_back();
    r.What = kind;
    r.Pen = Pen();
    r.Brush = Brush();
    r.Font = Font();
    r.Transparent = BackgroundTransparent();
    return r;
}

void RecordingCanvas::DoLine(TPoint from, TPoint to) {
    Add(CanvasRecord::Kind::Line).Points = {from, to};
}

void RecordingCanvas::DoFillRect(const TRect& normalized) {
    Add(CanvasRecord::Kind::FillRect).Rect = normalized;
}

void RecordingCanvas::DoRectangle(const TRect& normalized) {
    Add(CanvasRecord::Kind::Rectangle).Rect = normalized;
}

void RecordingCanvas::DoPolygon(std::span<const TPoint> points) {
    Add(CanvasRecord::Kind::Polygon).Points.assign(points.begin(), points.end());
}

void RecordingCanvas::DoTextOut(std::int32_t x, std::int32_t y, std::string_view text) {
    CanvasRecord& r = Add(CanvasRecord::Kind::Text);
    r.Points = {TPoint{x, y}};
    r.Text = std::string(text);
}

}  // namespace vela
