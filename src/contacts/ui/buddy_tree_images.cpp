#include "contacts/ui/buddy_tree_images.h"

#include <QPainter>
#include <QPolygonF>

namespace quillo {
namespace {

QImage blank(qreal ratio) {
    const QSize pixels = QSize(kBuddyIconSize, kBuddyIconSize) * ratio;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

QImage dot(qreal ratio, const QColor& fill) {
    QImage image = blank(ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(fill.darker(160), 1.0));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(1.5, 1.5, 9.0, 9.0));
    return image;
}

QImage triangle(qreal ratio, const QPolygonF& corners, const QColor& outline, const QBrush& fill) {
    QImage image = blank(ratio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(fill);
    painter.drawPolygon(corners);
    return image;
}

const QPolygonF kRight{QPointF(3.5, 1.5), QPointF(9.5, 6.0), QPointF(3.5, 10.5)};
const QPolygonF kDown{QPointF(1.5, 3.5), QPointF(10.5, 3.5), QPointF(6.0, 9.5)};

} // namespace

QList<QImage> DrawBuddyTreeImages(qreal ratio) {
    const QColor outline(0x40, 0x40, 0x40);
    const QColor grey(0x80, 0x80, 0x80);
    return {
        dot(ratio, QColor(0x2e, 0xb8, 0x2e)),          dot(ratio, QColor(0xd9, 0x30, 0x30)),
        triangle(ratio, kRight, outline, Qt::NoBrush), triangle(ratio, kDown, outline, Qt::NoBrush),
        triangle(ratio, kRight, grey, grey),
    };
}

} // namespace quillo
