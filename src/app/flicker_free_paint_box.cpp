#include "app/flicker_free_paint_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <QtGlobal>
#include <cstring>
#include <exception>

#include "app/qt_canvas.h"

namespace vela::app {

QImage ComposeFrame(QSize size, TColor color, const CanvasFont& font,
                    const std::function<void(Canvas&)>& draw) {
    if (size.isEmpty()) return QImage();
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return QImage();
    image.fill(ToQColor(color));
    {
        QtCanvas canvas(image);
        canvas.Brush().Color = color;
        canvas.Font() = font;
        draw(canvas);
    }  // the canvas ends painting before the image is handed on
    return image;
}

TFlickerFreePaintBox::TFlickerFreePaintBox(QWidget* parent) : QWidget(parent) {
    // The frame covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    resize(100, 100);
}

void TFlickerFreePaintBox::SetColor(TColor color) {
    if (color_ == color) return;
    color_ = color;
    update();
}

QImage TFlickerFreePaintBox::ComposeFrame() {
    if (!onPaint_) return QImage();
    return app::ComposeFrame(size(), color_, font_,
                             [this](Canvas& canvas) { onPaint_(*this, canvas); });
}

void TFlickerFreePaintBox::UpdateOverlay(const QRegion& region) {
    overlayOnly_ = true;
    update(region);
}

void TFlickerFreePaintBox::paintEvent(QPaintEvent* event) {
    if (!onPaint_) return;
    const bool overlayOnly = overlayOnly_;
    overlayOnly_ = false;
    // Qt merges pending updates: a region covering the whole box may include a full update().
    // The region is clipped to what can be seen of the box (a window partly off the area, a
    // panel over it), so it is compared with that.
    const QRegion seen = isVisible() ? visibleRegion() : QRegion(rect());
    const bool whole = seen.subtracted(event->region()).isEmpty();
    const bool composed = !overlayOnly || whole || frame_.isNull() || frame_.size() != size();
    if (composed) {
        QImage frame;
        try {
            frame = ComposeFrame();
        } catch (const std::exception& e) {
            // An exception must not unwind through Qt's event loop; the window keeps its last
            // frame, as it would had the paint been abandoned.
            qWarning("Paint box: %s", e.what());
            return;
        }
        if (frame.isNull()) return;
        frame_ = std::move(frame);
    }
    QPainter painter(this);
    if (!onOverlay_) {
        painter.drawImage(0, 0, frame_);
        return;
    }
    // The overlay draws on a copy of the frame; only what this paint shows is brought up to
    // date from the frame first (the painter is clipped to the same region).
    if (composed || shown_.size() != frame_.size() || shown_.format() != frame_.format()) {
        shown_ = frame_.copy();
    } else {
        const int bytes = frame_.depth() / 8;
        for (const QRect& dirty : event->region()) {
            const QRect r = dirty.intersected(frame_.rect());
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memcpy(shown_.scanLine(y) + r.left() * bytes,
                            frame_.constScanLine(y) + r.left() * bytes,
                            static_cast<std::size_t>(r.width() * bytes));
        }
    }
    {
        QtCanvas canvas(shown_);
        canvas.Font() = font_;
        onOverlay_(canvas);
    }
    painter.drawImage(0, 0, shown_);
}

}  // namespace vela::app
