#pragma once

#include <QObject>
#include <QRect>

class QWidget;

namespace vela::app {

// Keeps a chart window's frame's size and place as a normal window. A minimized frame is a
// small strip and a maximized one fills the area; a desktop saves and reopens the normal one
// (child windows have no normalGeometry of their own).
class NormalGeometry : public QObject {
  public:
    // Follows frame from now on; owned by it.
    explicit NormalGeometry(QWidget* frame);

    // The frame's normal geometry: its own while it is normal, else the last it had then.
    static QRect Of(const QWidget* frame);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* frame_;
};

}  // namespace vela::app
