#include "app/program_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace vela::app {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::white);
        QPainter p(&pixmap);
        const auto at = [size](int x, int y) { return QPoint(x * size / 16, y * size / 16); };
        p.setPen(QPen(QColor(0, 0x80, 0x80), size / 16 + 1));  // the chart's close line
        p.drawPolyline(QPolygon({at(1, 12), at(5, 8), at(8, 10), at(11, 4), at(14, 6)}));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(at(1, 14), at(15, 14));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace vela::app
