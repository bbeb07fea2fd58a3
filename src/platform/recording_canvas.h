#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"

namespace vela {

// One drawing call as the recording canvas saw it, with the canvas state at that moment.
struct CanvasRecord {
    enum class Kind { Line, FillRect, Rectangle, Polygon, Text };

    Kind What = Kind::Line;
    // Line: from and to; Text: the cell's top-left corner; Polygon: the vertices.
    std::vector<TPoint> Points;
    // FillRect and Rectangle: the rectangle with its corners in order.
    TRect Rect;
    std::string Text;
    CanvasPen Pen;
    CanvasBrush Brush;
    CanvasFont Font;
    bool Transparent = false;

    TPoint From() const { return Points.at(0); }
    TPoint To() const { return Points.at(1); }
};

// A canvas that draws nothing and logs every primitive, for tests that assert drawing exactly.
// Text metrics are simple and deterministic:
//   em height   = -Height for a negative height, Height * 8 / 9 (rounded down) for a positive one;
//   cell height = Height for a positive height, -Height * 9 / 8 (rounded) for a negative one;
//   character   = Width when the font sets one, otherwise em height / 2 (at least 1);
//   text width  = characters * character width.
class RecordingCanvas : public Canvas {
  public:
    explicit RecordingCanvas(std::int32_t pixelsPerInch = 96) : ppi_(pixelsPerInch) {}

    const std::vector<CanvasRecord>& Records() const { return records_; }
    void Clear() { records_.clear(); }

    // The records of one kind, in drawing order.
    std::vector<CanvasRecord> Of(CanvasRecord::Kind kind) const;
    // The texts written, in drawing order.
    std::vector<std::string> Texts() const;

    static std::int32_t EmHeight(const CanvasFont& font);
    static std::int32_t CellHeight(const CanvasFont& font);
    static std::int32_t CharWidth(const CanvasFont& font);

    std::int32_t TextWidth(std::string_view text) const override;
    std::int32_t TextHeight(std::string_view text) const override;
    std::int32_t PixelsPerInch() const override { return ppi_; }

  protected:
    void DoLine(TPoint from, TPoint to) override;
    void DoFillRect(const TRect& normalized) override;
    void DoRectangle(const TRect& normalized) override;
    void DoPolygon(std::span<const TPoint> points) override;
    void DoTextOut(std::int32_t x, std::int32_t y, std::string_view text) override;

  private:
    CanvasRecord& Add(CanvasRecord::Kind kind);

    std::int32_t ppi_;
    std::vector<CanvasRecord> records_;
};

}  // namespace vela
