#include "app/main_window.h"

#include <QMdiArea>

namespace vela::app {

TForm2::TForm2(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form2");
    setWindowTitle("Vela eSignal Monitor");
    mdiArea_ = new QMdiArea(this);
    setCentralWidget(mdiArea_);
    resize(900, 600);
}

}  // namespace vela::app
