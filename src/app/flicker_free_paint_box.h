#pragma once

#include <QImage>
#include <QRegion>
#include <QSize>
#include <QWidget>
#include <functional>

#include "platform/canvas.h"
#include "platform/graphics_types.h"

class QPainter;

namespace vela::app {

class TFlickerFreePaintBox;

// The paint handler: the paint box and the canvas of the frame being composed.
using TFFPaintEvent = std::function<void(TFlickerFreePaintBox& Sender, Canvas& Canvas)>;
// Draws over the composed frame on the window (a crosshair), never into the frame itself: its
// canvas is on a copy of the frame and starts with the frame's font.
using TFFOverlayEvent = std::function<void(Canvas& Canvas)>;

// Composes one frame off screen: an image of `size` filled with `color`, a canvas on it with
// `font`, then draw. A null image for an empty size or an image that cannot be allocated
// (draw is not called then). Whatever draw throws passes on; the image is freed all the same.
QImage ComposeFrame(QSize size, TColor color, const CanvasFont& font,
                    const std::function<void(Canvas&)>& draw);

// A drawing surface that never flickers: every paint composes the whole frame off screen with
// the OnPaint handler and copies it to the window in one step, and the background is never
// erased between frames. Without a handler nothing is painted and the window keeps what it
// showed.
class TFlickerFreePaintBox : public QWidget {
    Q_OBJECT
  public:
    explicit TFlickerFreePaintBox(QWidget* parent = nullptr);

    const TFFPaintEvent& OnPaint() const { return onPaint_; }
    void SetOnPaint(TFFPaintEvent handler) { onPaint_ = std::move(handler); }

    // The colour a frame starts from before the handler draws.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // The font the frame's canvas starts with.
    const CanvasFont& FrameFont() const { return font_; }
    void SetFrameFont(const CanvasFont& font) { font_ = font; }

    // Drawn over every frame shown; nothing without one.
    void SetOnOverlay(TFFOverlayEvent handler) { onOverlay_ = std::move(handler); }
    // Repaints `region` from the last composed frame plus the overlay, so a moving overlay
    // does not compose the whole frame again. A full update() pending as well still composes.
    void UpdateOverlay(const QRegion& region);

    // The frame the next paint shows, at the box's current size; a null image without a
    // handler. Exceptions from the handler pass on.
    QImage ComposeFrame();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TFFPaintEvent onPaint_;
    TFFOverlayEvent onOverlay_;
    QImage frame_;  // the last composed frame, what overlay-only paints start from
    QImage shown_;  // the frame with the overlay over it, as last shown
    bool overlayOnly_ = false;
    TColor color_ = clWhite;
    CanvasFont font_;
};

}  // namespace vela::app
