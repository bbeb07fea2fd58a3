#pragma once

#include <QMainWindow>

class QMdiArea;

namespace vela::app {

// The multiple-document main window holding the chart windows.
class TForm2 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return mdiArea_; }

  private:
    QMdiArea* mdiArea_ = nullptr;
};

}  // namespace vela::app
