#include "app/normal_geometry.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace vela::app {

namespace {
constexpr const char* kNormalGeometry = "velaNormalGeometry";

bool IsNormal(const QWidget* frame) {
    return !(frame->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}
}  // namespace

NormalGeometry::NormalGeometry(QWidget* frame) : QObject(frame), frame_(frame) {
    frame->setProperty(kNormalGeometry, frame->geometry());
    frame->installEventFilter(this);
}

QRect NormalGeometry::Of(const QWidget* frame) {
    if (IsNormal(frame)) return frame->geometry();
    const QVariant kept = frame->property(kNormalGeometry);
    return kept.isValid() ? kept.toRect() : frame->geometry();
}

bool NormalGeometry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == frame_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                              event->type() == QEvent::WindowStateChange)) {
        if (IsNormal(frame_)) frame_->setProperty(kNormalGeometry, frame_->geometry());
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vela::app
