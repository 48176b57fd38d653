#include "conversation/ui/tab_images.h"

#include <QPainter>

namespace quillo {

QPixmap DrawTabImage(TabImage image, qreal ratio) {
    QPixmap picture(QSize(kTabImageSize, kTabImageSize) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    switch (image) {
    case TabImage::Online:
    case TabImage::Unread:
        painter.setBrush(QColor(0x2E, 0xB8, 0x2E));
        painter.drawEllipse(QRectF(0.5, 0.5, 8, 8));
        if (image == TabImage::Unread) {
            painter.setBrush(QColor(0xFF, 0xD7, 0x00)); // the yellow heart of an unread tab
            painter.drawEllipse(QRectF(2.5, 2.5, 4, 4));
        }
        break;
    case TabImage::Offline:
        painter.setBrush(QColor(0xD0, 0x20, 0x20));
        painter.drawEllipse(QRectF(0.5, 0.5, 8, 8));
        break;
    }
    return picture;
}

} // namespace quillo
