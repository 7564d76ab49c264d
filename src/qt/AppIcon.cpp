#include "qt/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace korvane::qt {

QIcon appIcon(bool busy) {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        double s = size / 64.0;
        p.setPen(QPen(QColor(40, 40, 60), 2 * s));
        p.setBrush(QColor(70, 90, 140));
        p.drawRoundedRect(QRectF(4 * s, 4 * s, 56 * s, 56 * s), 6 * s, 6 * s);
        p.setBrush(QColor(200, 205, 215));
        p.drawEllipse(QPointF(30 * s, 30 * s), 21 * s, 21 * s);
        p.setBrush(QColor(90, 95, 110));
        p.drawEllipse(QPointF(30 * s, 30 * s), 5 * s, 5 * s);
        p.setPen(QPen(QColor(30, 30, 30), 4 * s, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(54 * s, 54 * s), QPointF(36 * s, 24 * s));
        p.setPen(Qt::NoPen);
        p.setBrush(busy ? QColor(255, 0, 0) : QColor(0, 220, 0));
        p.drawEllipse(QPointF(52 * s, 12 * s), 6 * s, 6 * s);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace korvane::qt
