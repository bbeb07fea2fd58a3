#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <vector>

#include "platform/canvas.h"

namespace vela::app {

// A $00BBGGRR colour as Qt's colour; the top byte is ignored.
QColor ToQColor(TColor c);

// The Qt font for a logical font: negative heights are em heights (Qt's pixel size), positive
// ones cell heights; weights of 600 and more are bold; a set average character width stretches
// the face. "Arial" falls back to the metric-compatible Liberation Sans.
QFont ToQFont(const CanvasFont& font);

// The canvas over a QImage (RGB32 or premultiplied ARGB32), with the platform's pixel rules:
// one-pixel lines are rasterised here so that they leave out their end pixel whatever their
// direction and take the platform's dash patterns; shapes are not antialiased (text is).
// The image must outlive the canvas; painting ends when the canvas is destroyed.
class QtCanvas : public Canvas {
  public:
    explicit QtCanvas(QImage& image);
    ~QtCanvas() override;

    std::int32_t TextWidth(std::string_view text) const override;
    std::int32_t TextHeight(std::string_view text) const override;
    std::int32_t PixelsPerInch() const override;

  protected:
    void DoLine(TPoint from, TPoint to) override;
    void DoFillRect(const TRect& normalized) override;
    void DoRectangle(const TRect& normalized) override;
    void DoPolygon(std::span<const TPoint> points) override;
    void DoTextOut(std::int32_t x, std::int32_t y, std::string_view text) override;

  private:
    struct CachedFont {
        CanvasFont Key;
        QFont Font;
        QFontMetrics Metrics;
    };

    const CachedFont& CurrentFont() const;
    void UsePenMode();
    void UseCopyMode();
    // A line one pixel wide from `from` up to but not including `to`, styled by the pen.
    void ThinLine(TPoint from, TPoint to);
    void WideLine(TPoint from, TPoint to);

    QImage& image_;
    QPainter painter_;
    QPainter::CompositionMode mode_ = QPainter::CompositionMode_SourceOver;
    mutable std::vector<CachedFont> fonts_;
};

}  // namespace vela::app
