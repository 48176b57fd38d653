#include "desktop/ui/application_mark.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>

namespace quillo {

void DrawApplicationMark(QPainter& painter, qreal side) {
    const QColor serviceBlue(0x3B, 0x59, 0x98);
    painter.setPen(Qt::NoPen);
    painter.setBrush(serviceBlue);
    painter.drawRoundedRect(QRectF(0, 0, side, side), side * 0.18, side * 0.18);
    QPainterPath bubble;
    const QRectF oval(side * 0.16, side * 0.18, side * 0.68, side * 0.52);
    bubble.addEllipse(oval);
    QPainterPath tail;
    tail.moveTo(side * 0.30, side * 0.60);
    tail.lineTo(side * 0.22, side * 0.84);
    tail.lineTo(side * 0.48, side * 0.66);
    tail.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(bubble.united(tail));
    painter.setBrush(serviceBlue);
    const qreal dot = side * 0.09;
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(
            QRectF(side * (0.31 + 0.14 * i), oval.center().y() - dot / 2, dot, dot));
}

} // namespace quillo
